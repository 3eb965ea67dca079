#include "calib/point_frame.h"

namespace dvx::calib {

PointRow::PointRow(ui::Frame& frame, const PointNames& names, int top, int word)
    : label{frame, names.label, {120, top + 60, 1800, 255}},
      field{frame, names.field, {2040, top, 1080, 315}},
      unit{frame, names.unit, {3180, top + 60, 600, 255}},
      read_in{frame, names.button, {3840, top, 1560, 375}},
      gauge{frame, names.gauge, {5520, top, 3600, 315}},
      word(word) {}

PointFrame::PointFrame(ui::Form& form, const PointFrameNames& names, int top,
                       std::array<int, 2> words)
    : ui::Frame(form, names.frame, {120, top, 9360, 1500}),
      points{{{*this, names.points[0], 240, words[0]}, {*this, names.points[1], 720, words[1]}}} {}

void PointFrame::set_unit(const std::string& unit) {
    for (PointRow& p : points) p.unit.set_caption(unit);
}

void PointFrame::show_gauges(std::int16_t (*percent)(int word)) {
    for (PointRow& p : points) p.gauge.set_value(percent(p.word));
}

}  // namespace dvx::calib

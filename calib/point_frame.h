#pragma once
// A frame of two calibration points, the one frame the DLX sheet and the KRV second sheets
// are built of. A point is a row: its caption, the reference field, the unit, the
// "Read in" button and the gauge of the stored point. Every control keeps its design name
// (given by the sheet); the sheets reach the controls by those names too.
#include <array>
#include <cstdint>
#include <string>

#include "ui/controls.h"

namespace dvx::calib {

// The design's names of one point's controls.
struct PointNames {
    const char *label, *field, *unit, *button, *gauge;
};

struct PointFrameNames {
    const char* frame;
    PointNames points[2];
};

// The current input's frame: the same names on the DLX sheet and the KRV second sheets.
inline constexpr PointFrameNames current_frame_names{
    "Frame3D4",
    {{"Label14", "ph_ma_0", "Label9", "Command3D9", "ga_ma_0"},
     {"Label15", "ph_ma_1", "Label10", "Command3D10", "ga_ma_1"}}};

// One point at `top` in its frame; `word` is where its value is kept in the parameter
// image: the button's run stores it there, the gauge shows it.
struct PointRow {
    PointRow(ui::Frame& frame, const PointNames& names, int top, int word);

    ui::Label label;
    ui::TextBox field;
    ui::Label unit;
    ui::CommandButton read_in;
    ui::Gauge gauge;
    int word;
};

// The frame at `top` on its form, full width, with its points at 240 and 720.
class PointFrame : public ui::Frame {
  public:
    PointFrame(ui::Form& form, const PointFrameNames& names, int top, std::array<int, 2> words);

    // Both points' unit labels.
    void set_unit(const std::string& unit);
    // Each gauge shows its point's word by the sheet's scale.
    void show_gauges(std::int16_t (*percent)(int word));

    std::array<PointRow, 2> points;
};

}  // namespace dvx::calib

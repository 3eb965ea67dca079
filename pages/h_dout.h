#pragma once
// The alarm outputs page h_dout, for both families: per output (two relays, two
// transistor outputs) the alarm type and function (bits 0-1 and 2-3 of words 83..86,
// the other bits kept), alarm value (109..112), hysteresis (88..91) and delay
// (92..95); and the time window of the gradient alarms (78). The fourth output is not
// offered on the board variant without it (main window's S_SNAP ticked).
#include <array>
#include <cstdint>
#include <string>

#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::pages {

// The controls of one output's frame.
class AlarmOutput {
  public:
    struct Names {
        const char *frame, *typ, *fun, *val, *unit, *hyst, *delay;
        const char *lab_typ, *lab_fun, *lab_val, *lab_hyst, *lab_delay, *unit_hyst, *unit_delay;
    };
    AlarmOutput(ui::Form& form, const Names& n, int left, int top);

    ui::Frame frame;
    ui::Label lab_typ;
    ui::ComboBox typ;
    ui::Label lab_fun;
    ui::ComboBox fun;
    ui::Label lab_val;
    ui::TextBox val;
    ui::Label unit;
    ui::Label lab_hyst;
    ui::TextBox hyst;
    ui::Label unit_hyst;
    ui::Label lab_delay;
    ui::TextBox delay;
    ui::Label unit_delay;
};

// Decimals, limits and unit of output n's alarm value (n = 1..4): by the input type
// (a scalable type: words 82, the lower and the higher of 80 and 81, and the unit
// text; a fixed type: its table entry before firmware 4); a gradient type allows minus
// to plus the span of the range, |maximum - minimum|, each limit held within the
// 16-bit range.
struct AlarmValueRule {
    std::int32_t decimals, min, max;
    std::string unit;
};
AlarmValueRule alarm_value_rule(int n);

class H_dout : public WorkPage {
  public:
    H_dout();

    void set_dout_mask();
    void fill() override { set_dout_mask(); }

    AlarmOutput out1, out2, out3, out4;
    std::array<AlarmOutput*, 4> outputs() { return {&out1, &out2, &out3, &out4}; }
    ui::Label Label21{*this, "Label21", {240, 5700, 3840, 255}};
    ui::TextBox t_gradient{*this, "t_gradient", {4200, 5640, 1200, 315}};
    ui::Label Label28{*this, "Label28", {5520, 5700, 600, 255}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {240, 6960, 3000, 495}};
};

inline ui::FormRef<H_dout> h_dout_inst;

}  // namespace dvx::pages

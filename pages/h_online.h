#pragma once
// The online values page h_online: the live state of the transmitter in hand. Its
// polling loop go_on_line runs inside the main window's online button until the page
// is hidden (Back, the window frame) or the device stops answering; the page's own
// events run in the loop's event passes. It writes nothing to the device or the image.
#include <cstdint>
#include <string>

#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::pages {

// Both gauges: 200 is the scale's zero and 200 + 10000 its end; 2 % overrun each side.
inline constexpr int gauge_zero = 200, gauge_span = 10000, gauge_max = 10400;
// Text of a value the device marks as invalid.
inline constexpr const char* no_value = " - - - - -";

class H_online : public ui::Form {
  public:
    H_online();

    // Prepares the page and polls until it is hidden; then the main window is shown.
    void go_on_line();
    // Scales, units, alarm captions and values, optional rows and output marks from
    // param_image.
    void set_online_mask();
    // The design's key handler of this page, move_next_online, has nothing to handle: the
    // page has no input field. Its family's work is model::entry_key.

    void B_Zurueck_Click();
    void Form_Unload(int& cancel);

    // Measured value.
    ui::Label Label1{*this, "Label1", {240, 240, 2400, 255}};
    ui::Label M_unit{*this, "M_unit", {1800, 540, 1200, 255}};
    ui::Gauge Gauge1{*this, "Gauge1", {1080, 840, 480, 5200}};
    ui::ControlArray<ui::Label> scal_lab{"scal_lab"};
    ui::Picture Picture3{*this, "Picture3", {1620, 880, 120, 120}};
    ui::Picture Picture4{*this, "Picture4", {1620, 5880, 120, 120}};
    ui::Label Label6{*this, "Label6", {240, 6240, 1560, 255}};
    ui::Label value_main{*this, "value_main", {1800, 6240, 1800, 255}};
    ui::Label Vergl_lab{*this, "Vergl_lab", {240, 6600, 2400, 255}};
    ui::Label Vergl{*this, "Vergl", {2640, 6600, 1200, 255}};

    // Analog output.
    ui::Label Label3{*this, "Label3", {3840, 240, 2400, 255}};
    ui::Label Label2{*this, "Label2", {5280, 540, 720, 255}};
    ui::Gauge Gauge2{*this, "Gauge2", {4680, 840, 480, 5200}};
    ui::Line tick_out_full{*this, "tick_out_full", {5160, 940, 120, 0}};
    ui::Line tick_out_zero{*this, "tick_out_zero", {5160, 5940, 120, 0}};
    ui::Picture mark_min{*this, "mark_min", {4440, 5880, 180, 120}};
    ui::Picture mark_max{*this, "mark_max", {4440, 880, 180, 120}};
    ui::Label Label4{*this, "Label4", {3840, 6240, 1560, 255}};
    ui::Label out_val{*this, "out_val", {5400, 6240, 1560, 255}};

    // Alarms and loop resistance.
    ui::Label Alarm1_lab{*this, "Alarm1_lab", {6840, 840, 2400, 255}};
    ui::Label Alarm1{*this, "Alarm1", {6840, 1140, 2400, 255}};
    ui::Label Alarm2_lab{*this, "Alarm2_lab", {6840, 1680, 2400, 255}};
    ui::Label Alarm2{*this, "Alarm2", {6840, 1980, 2400, 255}};
    ui::Label Alarm3_lab{*this, "Alarm3_lab", {6840, 2520, 2400, 255}};
    ui::Label Alarm3{*this, "Alarm3", {6840, 2820, 2400, 255}};
    ui::Label Alarm4_lab{*this, "Alarm4_lab", {6840, 3360, 2400, 255}};
    ui::Label alarm4{*this, "alarm4", {6840, 3660, 2400, 255}};
    ui::Label lbl_th_rl_l{*this, "lbl_th_rl_l", {6840, 4440, 2400, 255}};
    ui::Label lbl_th_rl_t{*this, "lbl_th_rl_t", {6840, 4740, 2400, 255}};

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {6840, 7140, 2400, 375}};

  private:
    void poll_cycle(const std::string& unit, int decimals);
};

inline ui::FormRef<H_online> h_online_inst;

// The main window's online button: the overwrite question, a fresh read of the device
// and the version gate, then the page, polling until it ends.
void B_online_Click();

}  // namespace dvx::pages

#pragma once
// The analog-output calibration page H_out_cal: two points (4/20 mA or 2/10 V), each
// driven live from its slider every 300 ms through the forced output (status words 50
// and 51) until the user's meter shows the nominal value, then confirmed with its O.K.
// button, which stores the slider value and the device's readings in the image. Closing
// the page releases the output.
#include <cstdint>
#include <string>

#include "model/firmware.h"
#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::calib {

// 1 while a tick of the page's timer runs: a tick that comes meanwhile (the link's
// pauses and message boxes run events) does nothing. Shared with the analog output page.
using model::out_cal_busy;

// The sliders run 0..31000, 31000 at the top; the start point stays at or below 12000,
// the end point at or above 20000.
inline constexpr int out_cal_top = 31000;
inline constexpr int out_cal_start_max = 12000;
inline constexpr int out_cal_end_min = 20000;

class H_out_cal : public pages::WorkPage {
  public:
    H_out_cal();

    // Point captions by Out_mode, sliders and their boxes from the image by the pair
    // rule, with mask_filling set.
    void prep_out_cal_form();
    void fill() override { prep_out_cal_form(); }

    // The live drive, one tick of Timer1.
    void Timer1_Timer();

    // The back button comes first in the tab order: opening the page gives it the
    // focus, so the output is forced only once the user goes to a slider.
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 120, 2400, 375}};

    ui::Frame Frame3D1{*this, "Frame3D1", {120, 600, 9360, 1140}};
    ui::Label Label1{Frame3D1, "Label1", {120, 300, 9120, 720}};

    ui::Label Label12{*this, "Label12", {1200, 1920, 1320, 255}};
    ui::VScrollBar s_out_beg{*this, "s_out_beg", {1680, 2280, 375, 4080}};
    ui::CommandButton Command3D2{*this, "Command3D2", {1320, 6480, 1080, 375}};

    ui::Label Label13{*this, "Label13", {3600, 1920, 1320, 255}};
    ui::VScrollBar S_out_end{*this, "S_out_end", {4080, 2280, 375, 4080}};
    ui::CommandButton Command3D1{*this, "Command3D1", {3720, 6480, 1080, 375}};

    ui::Label Label2{*this, "Label2", {4920, 6540, 4560, 255}};

    // Page state, never shown: the values driven last, the output kind ("0" current,
    // "1" voltage).
    ui::TextBox Out_beg{*this, "Out_beg", {6000, 2280, 1080, 315}};
    ui::TextBox Out_End{*this, "Out_End", {6000, 2700, 1080, 315}};
    ui::TextBox Out_mode{*this, "Out_mode", {6000, 3120, 600, 315}};

    ui::Timer Timer1{*this, "Timer1"};

  private:
    void hold_start();
    void hold_end();
    void drive(ui::VScrollBar& bar, ui::TextBox& box);
    void confirm(ui::VScrollBar& bar, bool start_point);
    void abort_confirm();
    void focus_back();
    void note_failed_send();
    bool line_back();

    // The line was lost under a send: the ticks send nothing (no drive, no release) until
    // the technician acts on a slider or an O.K. button, which probes the port first.
    bool line_lost_ = false;

    // The Tag of the control that had the focus at the previous tick.
    std::string e_counter_ = "0";
};

inline ui::FormRef<H_out_cal> h_out_cal_inst;

}  // namespace dvx::calib

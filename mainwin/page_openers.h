#pragma once
// The main window's buttons and menu items that open a page. The pages, calibration
// sheets and gateway pages sit above the main window (they hide it, show it again and
// read its fields), so each of those libraries installs its openers here when the
// program starts; a button whose opener is not installed does nothing.
#include <functional>

#include "ui/form.h"

namespace dvx::mainwin {

struct PageOpeners {
    // Transmitter pages.
    std::function<void()> B_io, B_Out, B_dout, B_Schk, B_comment, B_online, Command3D3;
    // Calibration menu.
    std::function<void()> m_cal_inp, m_cal_out;
    // Transfer menu: gateway and concentrator pages.
    std::function<void()> m_ub_hzl, m_ub_bnr;
};

PageOpeners& page_openers();

// A page closing: its placement back to the main window, which shows again.
void back_to_main(ui::Form& page);

}  // namespace dvx::mainwin

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

// The dialogs with the selected device (read, program, the live pages' opening read):
// the calibration above the main window finishes there what a failed run left on the
// device. Installed like the openers; a hook not installed does nothing.
struct DeviceDialogHooks {
    std::function<void()> starting;    // after the probe, before the dialog's own traffic
    std::function<void()> read_in;     // the device's set has come into the image
    std::function<void()> programmed;  // the device took the image
};

DeviceDialogHooks& device_dialog_hooks();
// Runs one of the hooks when installed.
void run_hook(const std::function<void()>& hook);

// A page closing: its placement back to the main window, which shows again.
void back_to_main(ui::Form& page);

}  // namespace dvx::mainwin

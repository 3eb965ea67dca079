#include "calib/out_cal_opener.h"

#include "calib/out_cal.h"
#include "link/serial_line.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/firmware.h"
#include "pages/page_open.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::calib {

void m_cal_out_Click() {
    if (link::detect_echo() == 1) return;
    if (!pages::version_gate(pages::Titled::yes)) return;
    ui::set_mouse_pointer(ui::mp_hourglass);
    mainwin::run_hook(mainwin::device_dialog_hooks().starting);
    if (pages::read_output_mode() != 0) {
        mainwin::ops::show(texts::msg_no_connection);
        ui::set_mouse_pointer(ui::mp_default);
        return;
    }
    ui::set_mouse_pointer(ui::mp_default);
    H_out_cal& page = pages::open_page(h_out_cal_inst);
    page.Out_mode.set_text(model::is_current_output() ? "0" : "1");
    page.prep_out_cal_form();
}

}  // namespace dvx::calib

#include "calib/out_cal_opener.h"

#include <cstdint>
#include <string>

#include "calib/out_cal.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/hauptmenu.h"
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
    std::int16_t mode = 0;
    if (link::read_one_reg(26, mode) != 0) {
        ui::msg_box(texts::msg_no_connection, ui::mb_ok, "DORVANEX");
        ui::set_mouse_pointer(ui::mp_default);
        return;
    }
    auto& main = *mainwin::hauptmenu_inst;
    main.in_use.set_text("1");
    // The high byte is the output-mode jumper code (above 20: a current output).
    main.v_mode.set_text(std::to_string(static_cast<std::uint16_t>(mode) >> 8));
    ui::set_mouse_pointer(ui::mp_default);
    H_out_cal& page = pages::open_page(h_out_cal_inst);
    page.Out_mode.set_text(model::is_current_output() ? "0" : "1");
    page.prep_out_cal_form();
}

}  // namespace dvx::calib

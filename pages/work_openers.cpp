#include "pages/work_openers.h"

#include <exception>
#include <string>

#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/hauptmenu.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "model/view_bindings.h"
#include "pages/comment.h"
#include "pages/dlx3_inp.h"
#include "pages/h_dout.h"
#include "pages/h_inp.h"
#include "pages/h_output.h"
#include "pages/page_open.h"
#include "pages/s_chk_30.h"
#include "pages/s_chk_m.h"
#include "platform/fault.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::pages {

void B_io_Click() {
    if (!version_gate(Titled::yes)) return;
    if (mainwin::hauptmenu_inst->S_DLX.value())
        open_page(dlx3_inp_inst).set_inp_d3_mask();
    else
        open_page(h_inp_inst).set_inp_mask();
}

void B_Out_Click() {
    auto& main = *mainwin::hauptmenu_inst;
    try {
        if (link::detect_echo() == 1) return;
        if (!version_gate(Titled::yes)) return;
        ui::set_mouse_pointer(ui::mp_hourglass);
        if (read_output_mode() != 0) main.in_use.set_text("0");
        ui::set_mouse_pointer(ui::mp_default);
        H_output& page = open_page(h_output_inst);
        // Without the device's word the user says which output the board has.
        if (model::mode_text_value(main.in_use.text()) == 0) page.out_typ.set_visible(true);
        if (model::is_current_output()) {
            page.Out_mode.set_text("0");
        } else {
            page.Out_mode.set_text("1");
            page.volt_out.set_value(true);
        }
        page.set_output_mask();
    } catch (const std::exception& e) {
        ui::msg_box(platform::text_of(e), ui::mb_ok);
        ui::set_mouse_pointer(ui::mp_default);
    }
}

void B_dout_Click() {
    if (!version_gate(Titled::no)) return;
    if (mainwin::hauptmenu_inst->S_DLX.value()) model::param_image[99] = 19;
    H_dout& page = open_page(h_dout_inst);
    for (AlarmOutput* o : page.outputs()) {
        o->typ.clear();
        for (const std::string* t : {&texts::msg_alarm_type_min, &texts::msg_alarm_type_max,
                                     &texts::msg_alarm_type_grad_min, &texts::msg_alarm_type_grad_max})
            o->typ.add_item(*t);
        if (o->fun.list_count() == 0)
            for (const std::string* t : {&texts::msg_alarm_fun_none, &texts::msg_alarm_fun_energized,
                                         &texts::msg_alarm_fun_de_energized})
                o->fun.add_item(*t);
    }
    page.set_dout_mask();
}

void B_comment_Click() {
    if (!version_gate(Titled::no)) return;
    open_page(comment_inst).comment_txt.set_text(model::view_bindings().get_komentar());
}

void B_Schk_Click() {
    if (!version_gate(Titled::yes)) return;
    if (mainwin::hauptmenu_inst->S_DLX.value())
        open_page(s_chk_m_inst).set_check_mask_m();
    else
        open_page(s_chk_30_inst).set_chk30_mask();
}

}  // namespace dvx::pages

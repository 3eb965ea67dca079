#include "gateway/gateway_menu.h"

#include "gateway/bnr_blatt.h"
#include "gateway/hzl3_blatt.h"
#include "gateway/hzl_blatt.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "model/form_state.h"
#include "model/param_image.h"

namespace dvx::gateway {

void m_ub_hzl_Click() {
    if (model::bus_mode == 1) {
        // The HZL page sets itself up when it is activated; the placement stays its own.
        hzl_blatt_inst->show_modeless();
        mainwin::hauptmenu_inst->hide();
        return;
    }
    std::int16_t ok = 0;
    hzl3_blatt_inst->get_hzl_stat(ok);
    if (ok == 0) return;
    model::copy_form_state(*mainwin::hauptmenu_inst, hzl3_blatt_inst);
    hzl3_blatt_inst->show_modeless();
    hzl3_blatt_inst->set_hzl3_form();
    hzl3_blatt_inst->restore_form();
    mainwin::hauptmenu_inst->hide();
}

void m_ub_bnr_Click() {
    mainwin::ops::Hourglass hourglass;
    std::int16_t ok = 0;
    bnr_blatt_inst->get_bnr_stat(1, ok);
    if (ok == 0) return;
    model::copy_form_state(*mainwin::hauptmenu_inst, bnr_blatt_inst);
    bnr_blatt_inst->show_modeless();
    bnr_blatt_inst->set_bnr_form();
    mainwin::hauptmenu_inst->hide();
    bnr_blatt_inst->set_bnrblatt_mask();
}

}  // namespace dvx::gateway

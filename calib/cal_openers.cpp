#include "calib/cal_openers.h"

#include <initializer_list>

#include "calib/dlx_cal.h"
#include "calib/krv4_cal.h"
#include "calib/krv_cal.h"
#include "mainwin/hauptmenu.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "pages/page_open.h"

namespace dvx::calib {

namespace {

// A list keeps the items (and their language) it got at an earlier opening.
void fill_if_empty(ui::ComboBox& list, std::initializer_list<int> types) {
    if (list.list_count() != 0) return;
    for (int t : types) list.add_item(model::sensor_names(t));
}

}  // namespace

void m_cal_inp_Click() {
    if (!pages::version_gate(pages::Titled::yes)) return;
    if (mainwin::hauptmenu_inst->S_DLX.value()) {
        pages::open_page(dlx_cal_inst).set_cal3_mask();
    } else if (model::krv_fw_at_least_400()) {
        auto& sheet = pages::open_page(krv4_cal_inst);
        fill_if_empty(sheet.Sensor_2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 20});
        fill_if_empty(sheet.Sensor_3, {9, 10, 11});
        sheet.set_cal41_mask();
    } else {
        auto& sheet = pages::open_page(krv_cal_inst);
        fill_if_empty(sheet.Sensor_1, {0, 4, 5, 6, 8});
        fill_if_empty(sheet.Sensor_2, {1, 2, 3, 7, 20});
        fill_if_empty(sheet.Sensor_3, {9, 10, 11});
        sheet.set_cal1_mask();
    }
}

}  // namespace dvx::calib

#include "calib/second_sheet.h"

#include <utility>

#include "model/input_types.h"
#include "model/number_text.h"

namespace dvx::calib {

int second_sheet_type(int word) {
    switch (word) {
        case 13:
        case 14:
            return 12;
        case 19:
        case 20:
            return 15;
        case 43:
        case 44:
            return 19;
        default:
            return 18;
    }
}

std::int32_t second_sheet_decimals(int word) {
    return model::type_decimals(second_sheet_type(word));
}

void SecondSheet::set_up_second_sheet(std::span<const pages::NumericField> table) {
    for (ui::Label* l : {&ph_lab1, &ph_lab2, &Label7, &Label6}) l->set_caption("Ohm");
    Label9.set_caption("mA");
    Label10.set_caption("mA");
    Label19.set_caption("V");
    Label18.set_caption("V");
    // Back and the sheet switch head the sheet: first in the tab order.
    lead_tab_order({&B_Zurueck, &Command3D3});
    bind_fields(table);
}

void SecondSheet::fill_second_sheet() {
    pages::Filling filling(true);
    const std::pair<ui::Gauge*, int> gauges[] = {
        {&ga_r1_0, 9},  {&ga_r1_1, 11}, {&ga_r2_0, 15}, {&ga_r2_1, 17},
        {&ga_ma_0, 39}, {&ga_ma_1, 41}, {&ga_v_0, 45},  {&ga_v_1, 47},
    };
    for (const auto& [gauge, k] : gauges) gauge->set_value(model::percent_of_param(k));
    show_fields();
}

}  // namespace dvx::calib

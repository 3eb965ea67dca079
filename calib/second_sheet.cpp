#include "calib/second_sheet.h"

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
    Frame3D2.set_unit("Ohm");
    Frame3D3.set_unit("Ohm");
    Frame3D4.set_unit("mA");
    Frame3D5.set_unit("V");
    // Back and the sheet switch head the sheet: first in the tab order.
    lead_tab_order({&B_Zurueck, &Command3D3});
    bind_fields(table);
}

void SecondSheet::fill_second_sheet() {
    pages::Filling filling(true);
    for (PointFrame* f : frames()) f->show_gauges(model::percent_of_param);
    show_fields();
}

}  // namespace dvx::calib

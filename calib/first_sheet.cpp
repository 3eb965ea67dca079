#include "calib/first_sheet.h"

#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"

namespace dvx::calib {

using model::param_image;

FirstSheet::FirstSheet(std::string name, ui::Rect rect) : CalSheet(std::move(name), rect) {
    Label2.set_caption(std::string(model::deg_c));
    Label3.set_caption(std::string(model::deg_c));
    Label15.set_caption("0 - 100.00 Ohm");
    Label10.set_caption("s");
    // Back and the sheet switch head the sheet: first in the tab order.
    lead_tab_order({&B_Zurueck, &Command3D3});
}

void FirstSheet::fill_rtd() {
    select_group(Sensor_3, rtd_group);
    show_field(*field("ph_pt_0"));
    show_field(*field("ph_pt_1"));
    ga_pt_0.set_value(model::percent_of_param(1));
    ga_pt_1.set_value(model::percent_of_param(3));
}

void FirstSheet::fill_tc2(const SensorGroup& tc) {
    select_group(Sensor_2, tc);
    show_field(*field("ph_th2_0"));
    show_field(*field("ph_th2_1"));
    ga_th2_0.set_value(model::percent_of_param(31));
    ga_th2_1.set_value(model::percent_of_param(33));
    ph_lab1.set_caption(model::type_unit(param_image[30]));
    ph_lab2.set_caption(model::type_unit(param_image[30]));
}

void FirstSheet::fill_cold_junction() {
    show_field(*field("Temp_Val"));
    show_field(*field("tc_filt"));
}

std::optional<std::int64_t> FirstSheet::rtd_point_value(const MeasureValues& r) {
    switch (model::rtd_types(Sensor_3.list_index())) {
        case 10:
            return std::int64_t{r[0]} - r[1];
        case 9:
        case 11:
            return r[0];
        default:
            return std::nullopt;
    }
}

void FirstSheet::put_cold_junction(int word, const ui::CheckBox& cjt, std::int32_t reading) {
    // The reading is status word 44, a 16-bit word.
    param_image[word] = cjt.value() == 1 ? static_cast<std::int16_t>(reading) : std::int16_t{0};
}

}  // namespace dvx::calib

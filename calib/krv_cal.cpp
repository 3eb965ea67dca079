#include "calib/krv_cal.h"

#include "calib/krv_cal1.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/captions_calib.h"

namespace dvx::calib {

namespace {

using model::param_image;
using pages::by;
using pages::fixed;

constexpr SensorGroup tc1_group{model::tc1_types, model::tc1_index, 21};
constexpr SensorGroup tc2_group{model::tc2_types, model::tc2_index, 30};

// Reference values take the limits before firmware 4 and the decimals of the group's
// type word (the rule's word tells the group).
int group_type(int word) {
    if (word == 5 || word == 6) return param_image[0];
    if (word == 26 || word == 27) return param_image[21];
    return param_image[30];
}
std::int32_t group_decimals(int word) {
    return model::type_decimals(group_type(word));
}
std::int32_t group_min(int word) {
    return model::type_min(group_type(word));
}
std::int32_t group_max(int word) {
    return model::type_max(group_type(word));
}

// clang-format off
constexpr pages::NumericField fields[] = {
    // field       word  key decimals         decimals             minimum          maximum
    {"ph_pt_0",    5,    by(group_decimals),  by(group_decimals),  by(group_min),   by(group_max)},
    {"ph_pt_1",    6,    by(group_decimals),  by(group_decimals),  by(group_min),   by(group_max)},
    {"ph_th1_0",   26,   by(group_decimals),  by(group_decimals),  by(group_min),   by(group_max)},
    {"ph_th1_1",   27,   by(group_decimals),  by(group_decimals),  by(group_min),   by(group_max)},
    {"ph_th2_0",   35,   by(group_decimals),  by(group_decimals),  by(group_min),   by(group_max)},
    {"ph_th2_1",   36,   by(group_decimals),  by(group_decimals),  by(group_min),   by(group_max)},
    {"Temp_Val",   71,   fixed(1),            fixed(2),            fixed(-500),     fixed(10000)},
    {"tc_filt",    101,  fixed(0),            fixed(0),            fixed(1),        fixed(999)},
};
// clang-format on

constexpr std::int32_t rtd_multiplier = -76384;

}  // namespace

void put_point_scaled(int k, std::int64_t v, std::int32_t r3, std::int32_t multiplier) {
    const auto keep = std::pair{param_image[k], param_image[k + 1]};
    if (put_long_checked(v, k) != 0) return;
    if (model::is_krv_fw3 && model::scale_param(k, r3, multiplier) != 0) {
        // r3 = 0 or a scaled value beyond 32 bits: no unscaled value in its place.
        param_image[k] = keep.first;
        param_image[k + 1] = keep.second;
    }
}

Krv_Cal::Krv_Cal() : FirstSheet("Krv_Cal", {0, 0, 9690, 8225}) {
    // Group 2 below group 1.
    Frame3D2.set_top(5700);
    Frame3D3.set_top(2340);
    // ... in the tab order too.
    close_tab_order({&Sensor_2, &ph_th2_0, &Command3D4, &ph_th2_1, &Command3D5, &tvg_2});
    Label12.set_caption(std::string(model::deg_c));
    Label13.set_caption(std::string(model::deg_c));
    bind_fields(fields);
    bind_sensor_list(Sensor_3, rtd_group);
    bind_sensor_list(Sensor_1, tc1_group);
    bind_sensor_list(Sensor_2, tc2_group);
    bind_button(Command3D6, [this] { read_rtd_point(1); });
    bind_button(Command3D7, [this] { read_rtd_point(3); });
    bind_button(Command3D2, [this] { read_tc_point(tc1_group, Sensor_1, 22, 60, 28, tvg_1); });
    bind_button(Command3D1, [this] { read_tc_point(tc1_group, Sensor_1, 24, 60, 29, tvg_1); });
    bind_button(Command3D4, [this] { read_tc_point(tc2_group, Sensor_2, 31, 7, 37, tvg_2); });
    bind_button(Command3D5, [this] { read_tc_point(tc2_group, Sensor_2, 33, 7, 38, tvg_2); });
    bind_button(Command3D3, [this] { switch_to(krv_cal1_inst); });
    bind_button(B_Zurueck, [this] { close_page(); });
    on_load = [this] { texts::set_lang_krv_cal(*this); };
}

void Krv_Cal::set_cal1_mask() {
    pages::Filling filling(true);
    fill_rtd();
    select_group(Sensor_1, tc1_group);
    show_field(*field("ph_th1_0"));
    show_field(*field("ph_th1_1"));
    ga_th1_0.set_value(model::percent_of_param(22));
    ga_th1_1.set_value(model::percent_of_param(24));
    fill_tc2(tc2_group);
    fill_cold_junction();
}

void Krv_Cal::read_rtd_point(int k) {
    const auto mode = model::rtd_types(Sensor_3.list_index());
    read_in(mode, [this, k](const MeasureValues& r) {
        if (auto v = rtd_point_value(r)) put_point_scaled(k, *v, r[3], rtd_multiplier);
        model::put_long(r[2], 60);
        model::put_long(r[3], 63);
    });
}

// A thermocouple point: its value r0, the difference r1 - r0 into the group's word
// (60 for group 1, 7 for group 2), r3 into 63; after the fill the cold junction.
void Krv_Cal::read_tc_point(const SensorGroup& group, ui::ComboBox& list, int k, int second_word,
                            int cold_junction_word, const ui::CheckBox& cjt) {
    const auto mode = group.types(list.list_index());
    std::int32_t reading = 0;
    const bool done = read_in(mode, [&](const MeasureValues& r) {
        model::put_long(r[0], k);
        put_long_checked(std::int64_t{r[1]} - r[0], second_word);
        model::put_long(r[3], 63);
        reading = r[2];
    });
    if (done) put_cold_junction(cold_junction_word, cjt, reading);
}

}  // namespace dvx::calib

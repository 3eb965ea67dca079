#include "calib/krv4_cal.h"

#include "calib/krv4_cal1.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/captions_calib.h"

namespace dvx::calib {

namespace {

using model::param_image;

constexpr SensorGroup rtd_group{model::rtd_types, model::rtd_index, 0};
constexpr SensorGroup tc_group{model::tc4_types, model::tc4_index, 30};

// Reference values take the firmware-4 limits and the decimals of their group's type.
std::int32_t rtd_decimals(int) {
    return model::type_decimals(param_image[0]);
}
std::int32_t rtd_min(int) {
    return model::type_min_v4(param_image[0]);
}
std::int32_t rtd_max(int) {
    return model::type_max_v4(param_image[0]);
}
std::int32_t tc_decimals(int) {
    return model::type_decimals(param_image[30]);
}
std::int32_t tc_min(int) {
    return model::type_min_v4(param_image[30]);
}
std::int32_t tc_max(int) {
    return model::type_max_v4(param_image[30]);
}

// clang-format off
constexpr pages::NumericField fields[] = {
    // field       word  key decimals            decimals               minimum              maximum
    {"ph_pt_0",    5,    pages::by(rtd_decimals), pages::by(rtd_decimals), pages::by(rtd_min), pages::by(rtd_max)},
    {"ph_pt_1",    6,    pages::by(rtd_decimals), pages::by(rtd_decimals), pages::by(rtd_min), pages::by(rtd_max)},
    {"ph_th2_0",   35,   pages::by(tc_decimals),  pages::by(tc_decimals),  pages::by(tc_min),  pages::by(tc_max)},
    {"ph_th2_1",   36,   pages::by(tc_decimals),  pages::by(tc_decimals),  pages::by(tc_min),  pages::by(tc_max)},
    {"Temp_Val",   71,   pages::fixed(1),         pages::fixed(2),         pages::fixed(0),    pages::fixed(10000)},
    {"tc_filt",    101,  pages::fixed(0),         pages::fixed(0),         pages::fixed(1),    pages::fixed(999)},
};
// clang-format on

}  // namespace

Krv4_Cal::Krv4_Cal() : CalSheet("Krv4_Cal", {0, 0, 9690, 8225}) {
    Label2.set_caption(std::string(model::deg_c));
    Label3.set_caption(std::string(model::deg_c));
    Label15.set_caption("0 - 100.00 Ohm");
    Label10.set_caption("s");
    bind_fields(fields);
    bind_sensor_list(Sensor_3, rtd_group);
    bind_sensor_list(Sensor_2, tc_group);
    bind_button(Command3D6, [this] { read_rtd_point(1); });
    bind_button(Command3D7, [this] { read_rtd_point(3); });
    bind_button(Command3D4, [this] { read_tc_point(31, 37); });
    bind_button(Command3D5, [this] { read_tc_point(33, 38); });
    bind_button(Command3D3, [this] { switch_to(krv4_cal1_inst); });
    bind_button(B_Zurueck, [this] { close_page(); });
    on_load = [this] { texts::set_lang_krv4_cal(*this); };
}

void Krv4_Cal::set_cal41_mask() {
    pages::Filling filling(true);
    select_group(Sensor_3, rtd_group);
    show_field(*field("ph_pt_0"));
    show_field(*field("ph_pt_1"));
    ga_pt_0.set_value(model::percent_of_param(1));
    ga_pt_1.set_value(model::percent_of_param(3));
    select_group(Sensor_2, tc_group);
    show_field(*field("ph_th2_0"));
    show_field(*field("ph_th2_1"));
    ga_th2_0.set_value(model::percent_of_param(31));
    ga_th2_1.set_value(model::percent_of_param(33));
    ph_lab1.set_caption(model::type_unit(param_image[30]));
    ph_lab2.set_caption(model::type_unit(param_image[30]));
    show_field(*field("Temp_Val"));
    show_field(*field("tc_filt"));
}

void Krv4_Cal::read_rtd_point(int k) {
    const auto mode = static_cast<std::int16_t>(model::rtd_types(Sensor_3.list_index()) + 40);
    read_in(mode, [this, k](const MeasureValues& r) {
        // The connection is read again after the run: 3-wire stores the lead-corrected value.
        const std::int16_t t = model::rtd_types(Sensor_3.list_index());
        if (t == 10)
            put_long_checked(std::int64_t{r[0]} - r[1], k);
        else if (t == 9 || t == 11)
            model::put_long(r[0], k);
        model::put_long(r[2], 63);
    });
}

void Krv4_Cal::read_tc_point(int k, int cold_junction_word) {
    const bool fw410 = model::krv_fw_at_least_410() != 0;
    const auto mode = static_cast<std::int16_t>(model::tc4_types(Sensor_2.list_index()) + 40);
    std::int16_t cold_junction = 0;
    const bool done = read_in(mode, [&](const MeasureValues& r) {
        model::put_long(r[2], k);
        model::put_long(r[1], 63);
        if (fw410) model::put_long(r[4], 7);
        cold_junction = static_cast<std::int16_t>(r[3]);
    });
    if (done) param_image[cold_junction_word] = tvg_2.value() == 1 ? cold_junction : std::int16_t{0};
}

}  // namespace dvx::calib

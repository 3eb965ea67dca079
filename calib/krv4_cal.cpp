#include "calib/krv4_cal.h"

#include "calib/krv4_cal1.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/captions_calib.h"

namespace dvx::calib {

namespace {

using model::param_image;
using pages::by;
using pages::fixed;

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
    // field       word  key decimals       decimals           minimum        maximum
    {"ph_pt_0",    5,    by(rtd_decimals),  by(rtd_decimals),  by(rtd_min),   by(rtd_max)},
    {"ph_pt_1",    6,    by(rtd_decimals),  by(rtd_decimals),  by(rtd_min),   by(rtd_max)},
    {"ph_th2_0",   35,   by(tc_decimals),   by(tc_decimals),   by(tc_min),    by(tc_max)},
    {"ph_th2_1",   36,   by(tc_decimals),   by(tc_decimals),   by(tc_min),    by(tc_max)},
    {"Temp_Val",   71,   fixed(1),          fixed(2),          fixed(0),      fixed(10000)},
    {"tc_filt",    101,  fixed(0),          fixed(0),          fixed(1),      fixed(999)},
};
// clang-format on

}  // namespace

Krv4_Cal::Krv4_Cal() : FirstSheet("Krv4_Cal", {0, 0, 9690, 8225}) {
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
    fill_rtd();
    fill_tc2(tc_group);
    fill_cold_junction();
}

void Krv4_Cal::read_rtd_point(int k) {
    const auto mode = static_cast<std::int16_t>(model::rtd_types(Sensor_3.list_index()) + 40);
    read_in(mode, [this, k](const MeasureValues& r) {
        if (auto v = rtd_point_value(r)) put_long_checked(*v, k);
        model::put_long(r[2], 63);
    });
}

void Krv4_Cal::read_tc_point(int k, int cold_junction_word) {
    const bool fw410 = model::krv_fw_at_least_410() != 0;
    const auto mode = static_cast<std::int16_t>(model::tc4_types(Sensor_2.list_index()) + 40);
    std::int32_t reading = 0;
    const bool done = read_in(mode, [&](const MeasureValues& r) {
        model::put_long(r[2], k);
        model::put_long(r[1], 63);
        if (fw410) model::put_long(r[4], 7);
        reading = r[3];
    });
    if (done) put_cold_junction(cold_junction_word, tvg_2, reading);
}

}  // namespace dvx::calib

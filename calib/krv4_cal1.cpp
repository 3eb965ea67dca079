#include "calib/krv4_cal1.h"

#include "calib/krv4_cal.h"
#include "mainwin/device_ops_common.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/captions_calib.h"
#include "texts/messages.h"
#include "ui/services.h"

namespace dvx::calib {

namespace {

using model::param_image;

std::int32_t min_v4(int word) {
    return model::type_min_v4(second_sheet_type(word));
}
std::int32_t max_v4(int word) {
    return model::type_max_v4(second_sheet_type(word));
}

constexpr auto fields = second_sheet_fields(min_v4, max_v4);

// The thermocouple loop closed with 1 kOhm reads within these limits.
constexpr std::int32_t loop_min = 1000000, loop_max = 2700000;

}  // namespace

Krv4_Cal1::Krv4_Cal1() : SecondSheet("Krv4_Cal1", {0, 0, 9690, 8225}) {
    set_up_second_sheet(fields);
    bind_points(Frame3D2, [this](int k) { read_resistor_point(k, 52, 63); });
    bind_points(Frame3D3, [this](int k) { read_resistor_point(k, 55, 68); });
    bind_points(Frame3D4, [this](int k) { read_signal_point(k); });
    bind_points(Frame3D5, [this](int k) { read_signal_point(k); });
    bind_button(Command3D3, [this] { switch_to(krv4_cal_inst); });
    bind_button(B_Zurueck, [this] { close_page(); });
    on_load = [this] { texts::set_lang_krv4_cal1(*this); };
}

void Krv4_Cal1::read_resistor_point(int k, std::int16_t mode, int second_word) {
    read_in(mode, [k, second_word](const MeasureValues& r) {
        model::put_long(r[0], k);
        model::put_long(r[2], second_word);
    });
}

// The current and voltage points both measure the +/-20 mA type (mode 59).
void Krv4_Cal1::read_signal_point(int k) {
    read_in(59, [k](const MeasureValues& r) {
        if (model::krv_fw_at_least_410()) {
            model::put_long(r[0], k);
            if (r[4] >= loop_min && r[4] <= loop_max)
                model::put_long(r[4], 21);
            else
                ui::msg_box(texts::msg_tc_loop_not_closed, ui::mb_ok | ui::mb_critical, mainwin::ops::title);
        } else {
            model::put_long(r[1], k);
            model::put_long(r[0], 63);
        }
    });
}

}  // namespace dvx::calib

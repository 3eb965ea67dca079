#include "calib/krv_cal1.h"

#include "calib/krv_cal.h"
#include "model/input_types.h"
#include "model/param_words.h"
#include "texts/captions_calib.h"

namespace dvx::calib {

namespace {

std::int32_t min_fw3(int word) {
    return model::type_min(second_sheet_type(word));
}
std::int32_t max_fw3(int word) {
    return model::type_max(second_sheet_type(word));
}

constexpr auto fields = second_sheet_fields(min_fw3, max_fw3);

constexpr std::int32_t ohm600_multiplier = -76384;
constexpr std::int32_t ohm5000_multiplier = -8416;
constexpr std::int32_t unscaled = 0;

}  // namespace

Krv_Cal1::Krv_Cal1() : SecondSheet("Krv_Cal1", {0, 0, 9690, 8225}) {
    set_up_second_sheet(fields);
    bind_points(Frame3D2, [this](int k) { read_point(k, 12, 63, ohm600_multiplier); });
    bind_points(Frame3D3, [this](int k) { read_point(k, 15, 68, ohm5000_multiplier); });
    // The voltage points measure the +/-20 mA type as the current points do.
    bind_points(Frame3D4, [this](int k) { read_point(k, 19, 63, unscaled); });
    bind_points(Frame3D5, [this](int k) { read_point(k, 19, 63, unscaled); });
    bind_button(Command3D3, [this] { switch_to(krv_cal_inst); });
    bind_button(B_Zurueck, [this] { close_page(); });
    on_load = [this] { texts::set_lang_krv_cal1(*this); };
}

// P[k..k+1] := r0 (scaled by `multiplier` / r3 unless unscaled); P[60..61] := r2;
// P[r3_word..] := r3.
void Krv_Cal1::read_point(int k, std::int16_t mode, int r3_word, std::int32_t multiplier) {
    read_in(mode, [=](const MeasureValues& r) {
        if (multiplier == unscaled)
            model::put_long(r[0], k);
        else
            put_point_scaled(k, r[0], r[3], multiplier);
        model::put_long(r[2], 60);
        model::put_long(r[3], r3_word);
    });
}

}  // namespace dvx::calib

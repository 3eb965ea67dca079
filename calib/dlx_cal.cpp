#include "calib/dlx_cal.h"

#include <string>

#include "link/register_images.h"
#include "mainwin/hauptmenu.h"
#include "model/dlx_input_kind.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/captions_calib.h"

namespace dvx::calib {

namespace {

using model::param_image;
using pages::by;

constexpr std::int16_t dlx_mode = 31;  // measure as the device stands
constexpr int current_type = 19;       // the +/-20 mA input type

using model::dlx_input_kind;

bool current_input() {
    return dlx_input_kind().code == 0;
}

// The key filter takes the current type's decimals whatever the input kind.
std::int32_t key_decimals(int) {
    return model::type_decimals(current_type);
}
std::int32_t kind_decimals(int) {
    return current_input() ? model::type_decimals(current_type) : dlx_input_kind().decimals;
}
std::int32_t kind_min(int) {
    return dlx_input_kind().cal_min;
}
std::int32_t kind_max(int) {
    return dlx_input_kind().cal_max;
}

constexpr pages::NumericField fields[] = {
    {"ph_ma_0", 43, by(key_decimals), by(kind_decimals), by(kind_min), by(kind_max)},
    {"ph_ma_1", 44, by(key_decimals), by(kind_decimals), by(kind_min), by(kind_max)},
};

std::int16_t low15(std::int32_t v) {
    return static_cast<std::int16_t>(v & 0x7FFF);
}
std::int16_t low_byte(std::int16_t w) {
    return static_cast<std::int16_t>(w & 255);
}

}  // namespace

Dlx_Cal::Dlx_Cal() : CalSheet("Dlx_Cal", {0, 0, 9690, 8225}, false) {
    // Back heads the page: first in the tab order.
    lead_tab_order({&B_Zurueck});
    bind_fields(fields);
    bind_points(Frame3D4, [this](int word) { read_point(word); });
    bind_button(Command3D1, [this] { read_supply(); });
    bind_button(B_Zurueck, [this] {
        mainwin::hauptmenu_inst->set_visible(true);
        close_page();
    });
    on_load = [this] { texts::set_lang_dlx_cal(*this); };
}

void Dlx_Cal::set_cal3_mask() {
    pages::Filling filling(true);
    Frame3D4.show_gauges(model::percent_of_range);
    Ga_uiout.set_value(model::percent_of_255(6));
    Frame3D1.set_visible(current_input());
    show_fields();
    Frame3D4.set_unit(std::string(dlx_input_kind().unit));
}

// A point: words first, first + 2 and 5 take r0, r1, r2 (their low 15 bits), then the
// low bytes of status words 26 and 25 go to words 59 and 62.
void Dlx_Cal::read_point(int first_word) {
    read_in(
        dlx_mode,
        [first_word](const MeasureValues& r) {
            param_image[first_word] = low15(r[0]);
            param_image[first_word + 2] = low15(r[1]);
            param_image[5] = low15(r[2]);
            param_image[59] = low_byte(link::status_regs[26]);
            param_image[62] = low_byte(link::status_regs[25]);
        },
        false);
}

// The supply circuit: the low byte of status word 26 and the high byte of 25.
void Dlx_Cal::read_supply() {
    read_in(
        dlx_mode,
        [](const MeasureValues&) {
            param_image[59] = low_byte(link::status_regs[26]);
            param_image[6] = model::shr16(link::status_regs[25], 8);
        },
        false);
}

}  // namespace dvx::calib

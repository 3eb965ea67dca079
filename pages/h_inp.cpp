#include "pages/h_inp.h"

#include <algorithm>
#include <string>

#include "mainwin/device_ops_common.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "model/sensor_hint.h"
#include "pages/board_pictures.h"
#include "texts/captions_pages.h"
#include "texts/messages.h"
#include "ui/services.h"

namespace dvx::pages {

namespace {

using model::param_image;

int input_type() {
    return param_image[99];
}
bool known_type(int t) {
    return t >= 0 && t < model::input_type_count;
}

std::int32_t type_decimals_rule(int) {
    return model::type_decimals(input_type());
}
std::int32_t type_min_rule(int) {
    return type_min_now(input_type());
}
std::int32_t type_max_rule(int) {
    return type_max_now(input_type());
}

// clang-format off
constexpr NumericField fields[] = {
    // field      word  key decimals              decimals                  minimum               maximum
    {"Mesb_0",    97,   by(type_decimals_rule),   by(type_decimals_rule),   by(type_min_rule),    by(type_max_rule)},
    {"Mesb_1",    98,   by(type_decimals_rule),   by(type_decimals_rule),   by(type_min_rule),    by(type_max_rule)},
    {"in_filt",   100,  fixed(1),                 fixed(1),                 fixed(1),             fixed(999)},
    {"rl_val",    74,   fixed(1),                 fixed(1),                 fixed(0),             fixed(1000)},
    {"Ph_0",      80,   by(display_decimals),     by(display_decimals),     fixed(-30000),        fixed(30000)},
    {"Ph_100",    81,   by(display_decimals),     by(display_decimals),     fixed(-30000),        fixed(30000)},
    {"fub_min",   72,   by(display_decimals),     by(display_decimals),     fixed(-30000),        fixed(30000)},
    {"fub_max",   73,   by(display_decimals),     by(display_decimals),     fixed(-30000),        fixed(30000)},
};
// clang-format on

constexpr const char* decimal_point_items[] = {" 0000", "000.0", "00.00", "0.000"};

}  // namespace

std::int16_t type_min_now(int type) {
    return model::krv_fw_at_least_400() ? model::type_min_v4(type) : model::type_min(type);
}
std::int16_t type_max_now(int type) {
    return model::krv_fw_at_least_400() ? model::type_max_v4(type) : model::type_max(type);
}
std::int32_t display_decimals(int) {
    return std::clamp<std::int32_t>(param_image[82], 0, 3);
}

H_Inp::H_Inp() : WorkPage("H_Inp", {0, 0, 9690, 8225}) {
    cmd_help.set_caption("Jumper Finder");
    Label8.set_caption("s");
    rl_u.set_caption("Ohm");
    bind_fields(fields);
    bind_text8(Unit, 115);
    pass_keys(Sensor);
    pass_keys(ph_Decp);
    Sensor.on_click = [this] { Sensor_Click(); };
    ph_Decp.on_click = [this] { decimal_point_chosen(*this, ph_Decp); };
    cmd_help.on_click = [this] { cmd_help_Click(); };
    B_Zurueck.on_click = [this] { B_Zurueck_Click(); };
    on_load = [this] {
        fill_decimal_point_list(ph_Decp);
        for (int t = 0; t < model::input_type_count; ++t) Sensor.add_item(model::sensor_names(t));
        texts::set_lang_inp(*this);
    };
}

void H_Inp::set_inp_mask() {
    Filling filling(true);
    const int t = input_type();
    select(Sensor, t);
    // A type without a list entry has no limits to clamp into: its words stay.
    if (known_type(t)) {
        const std::int16_t lo = type_min_now(t), hi = type_max_now(t);
        for (int k : {97, 98}) param_image[k] = std::clamp(param_image[k], lo, hi);
    }
    show_field(*field("Mesb_0"));
    show_field(*field("Mesb_1"));
    L_C_1.set_caption(model::type_unit(t));
    L_C_2.set_caption(model::type_unit(t));
    show_field(*field("in_filt"));
    show_field(*field("rl_val"));
    const std::string unit = model::text_from_params(115);
    Unit.set_text(unit);
    select(ph_Decp, param_image[82]);
    for (ui::Label* l : {&lab_ph_0, &lab_ph_100, &Label5, &Label11}) l->set_caption(unit);
    for (const char* f : {"fub_min", "fub_max", "Ph_0", "Ph_100"}) show_field(*field(f));
    Frame_ph.set_visible(model::type_scalable(t) != 0);
    const bool two_wire = model::type_2wire(t) != 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&rl_lab, &rl_val, &rl_u})
        c->set_visible(two_wire);
    cmd_help.set_visible(model::jumper_help_enabled(1) == 1);
}

void H_Inp::Sensor_Click() {
    const int t = Sensor.list_index();
    if (t < 0) return;
    model::show_sensor_hint(t);
    param_image[99] = static_cast<std::int16_t>(t);
    set_inp_mask();
}

void fill_decimal_point_list(ui::ListControl& list) {
    for (const char* item : decimal_point_items) list.add_item(item);
}

void decimal_point_chosen(WorkPage& page, const ui::ListControl& list) {
    const int d = list.list_index();
    if (d < 0) return;
    if (d != param_image[82])
        ui::msg_box(texts::msg_decimals_shift_warning, ui::mb_ok | ui::mb_exclamation, mainwin::ops::title);
    param_image[82] = static_cast<std::int16_t>(d);
    page.fill();
}

void H_Inp::cmd_help_Click() {
    auto& picture = *pcb_map_2_inst;
    picture.lbl_desc.set_caption(model::sensor_hint_text(Sensor.list_index()));
    picture.set_visible(true);
}

void H_Inp::B_Zurueck_Click() {
    if (auto* picture = pcb_map_2_inst.peek()) picture->hide();
    close_page();
}

}  // namespace dvx::pages

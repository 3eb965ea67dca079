#include "pages/dlx3_inp.h"

#include <string>

#include "mainwin/hauptmenu.h"
#include "model/dlx_input_kind.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "pages/h_inp.h"
#include "texts/captions_pages.h"

namespace dvx::pages {

namespace {

using model::param_image;

std::int32_t kind_decimals(int) {
    return model::dlx_input_kind().decimals;
}
std::int32_t kind_min(int) {
    return model::dlx_input_kind().min;
}
std::int32_t kind_max(int) {
    return model::dlx_input_kind().max;
}

// The key filter of the range and supervision fields always lets one point through;
// leaving the field cuts the text to the kind's decimals.
// clang-format off
constexpr NumericField fields[] = {
    // field      word  key decimals           decimals               minimum           maximum
    {"Mesb_0",    97,   fixed(3),              by(kind_decimals),     by(kind_min),     by(kind_max)},
    {"Mesb_1",    98,   fixed(3),              by(kind_decimals),     by(kind_min),     by(kind_max)},
    {"in_filt",   100,  fixed(1),              fixed(1),              fixed(1),         fixed(999)},
    {"fub_min",   72,   fixed(3),              by(kind_decimals),     by(kind_min),     by(kind_max)},
    {"fub_max",   73,   fixed(3),              by(kind_decimals),     by(kind_min),     by(kind_max)},
    {"Ph_0",      80,   by(display_decimals),  by(display_decimals),  fixed(-30000),    fixed(30000)},
    {"Ph_100",    81,   by(display_decimals),  by(display_decimals),  fixed(-30000),    fixed(30000)},
};
// clang-format on

}  // namespace

Dlx3_Inp::Dlx3_Inp() : WorkPage("dlx3_Inp", {0, 0, 9690, 8225}) {
    Label8.set_caption("s");
    bind_fields(fields);
    bind_text8(Unit, 115);
    pass_keys(ph_Decp);
    ph_Decp.on_click = [this] { decimal_point_chosen(*this, ph_Decp); };
    Chk_sqr.on_click = [this] { Chk_sqr_Click(); };
    B_Zurueck.on_click = [this] { close_page(); };
    on_load = [this] {
        fill_decimal_point_list(ph_Decp);
        texts::set_lang_dlx3_inp(*this);
    };
}

void Dlx3_Inp::set_inp_d3_mask() {
    Filling filling(true);
    const model::DlxInputKind& kind = model::dlx_input_kind();
    for (const char* f : {"Mesb_0", "Mesb_1", "fub_min", "fub_max"}) show_field(*field(f));
    for (ui::Control* c : std::initializer_list<ui::Control*>{&Label6, &fub_min, &Label5})
        c->set_visible(kind.min_field);
    for (ui::Label* l : {&Label11, &L_C_1, &L_C_2}) l->set_caption(std::string(kind.unit));
    if (kind.min_field) Label5.set_caption(std::string(kind.unit));
    show_field(*field("in_filt"));
    const std::string unit = model::text_from_params(115);
    Unit.set_text(unit);
    select(ph_Decp, param_image[82]);
    lab_ph_0.set_caption(unit);
    lab_ph_100.set_caption(unit);
    show_field(*field("Ph_0"));
    show_field(*field("Ph_100"));
    Chk_sqr.set_value(param_image[108] == 2 ? 1 : 0);
    Chk_sqr.set_visible(mainwin::hauptmenu_inst->curr_version.text() > "3.01" &&
                        param_image[108] != 1);
}

// A hidden box stores nothing: a fill that clears it keeps the output root (1).
void Dlx3_Inp::Chk_sqr_Click() {
    if (!Chk_sqr.visible()) return;
    param_image[108] = static_cast<std::int16_t>(Chk_sqr.value() == 1 ? 2 : 0);
}

}  // namespace dvx::pages

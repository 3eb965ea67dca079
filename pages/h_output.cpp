#include "pages/h_output.h"

#include <string>

#include "link/register_images.h"
#include "mainwin/hauptmenu.h"
#include "model/firmware.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "pages/board_pictures.h"
#include "texts/captions_pages.h"

namespace dvx::pages {

namespace {

using model::param_image;

bool voltage_output() {
    H_output* page = h_output_inst.peek();
    return page && page->voltage();
}
// 22.0 mA, or 11.0 V: the same stored span.
std::int32_t signal_max(int) {
    return voltage_output() ? 110 : 220;
}
std::int32_t signal_scale(int) {
    return voltage_output() ? 2 : 1;
}

// In the fill's order; the five signal fields first.
// clang-format off
constexpr NumericField fields[] = {
    // field       word  key decimals  decimals   minimum    maximum           scale
    {"Ber_anf",    105,  fixed(1),     fixed(1),  fixed(0),  by(signal_max),   by(signal_scale)},
    {"Ber_ende",   106,  fixed(1),     fixed(1),  fixed(0),  by(signal_max),   by(signal_scale)},
    {"Ber_min",    103,  fixed(1),     fixed(1),  fixed(0),  by(signal_max),   by(signal_scale)},
    {"Ber_max",    104,  fixed(1),     fixed(1),  fixed(0),  by(signal_max),   by(signal_scale)},
    {"Ber_fub",    102,  fixed(1),     fixed(1),  fixed(0),  by(signal_max),   by(signal_scale)},
    {"out_filt",   107,  fixed(1),     fixed(1),  fixed(1),  fixed(99)},
};
// clang-format on
constexpr std::size_t signal_fields = 5;

}  // namespace

H_output::H_output() : WorkPage("H_output", {0, 0, 9690, 8225}) {
    // Design state: current chosen, kind frame, square root and Jumper Finder hidden.
    curr_out.set_value(true);
    out_typ.set_visible(false);
    Chk_sqr.set_visible(false);
    cmd_help.set_visible(false);
    cmd_help.set_caption("Jumper Finder");
    Out_mode.set_visible(false);
    Out_mode.set_text("0");
    for (ui::Label* l : {&Label2, &Label3, &Label4, &Label5, &Label9}) l->set_caption("mA");
    Label12.set_caption("s");

    bind_fields(fields);
    Chk_sqr.on_click = [this] { Chk_sqr_Click(); };
    curr_out.on_click = [this] { output_kind_chosen("0", "40"); };
    volt_out.on_click = [this] { output_kind_chosen("1", "0"); };
    cmd_help.on_click = [] {
        auto& picture = *pcb_map_inst;
        picture.Image1.set_picture(std::string(output_board_picture()));
        picture.set_visible(true);
    };
    B_Zurueck.on_click = [this] { B_Zurueck_Click(); };
    on_load = [this] {
        // A tick of the output calibration cut short must not keep its timer blocked.
        model::out_cal_busy = 0;
        texts::set_lang_output(*this);
    };
}

bool H_output::voltage() const {
    return model::mode_text_value(Out_mode.text()) != 0;
}

void H_output::set_output_mask() {
    Filling filling(false);
    const bool volt = voltage();
    for (ui::Label* l : {&Label2, &Label3, &Label4, &Label5, &Label9}) l->set_caption(volt ? "V" : "mA");
    for (std::size_t i = 0; i < signal_fields; ++i) show_field(fields[i]);
    // A voltage word holds twice the tenths of V: an odd word becomes the even one below.
    if (volt)
        for (std::size_t i = 0; i < signal_fields; ++i) {
            auto* box = dynamic_cast<ui::TextBox*>(control(fields[i].field));
            param_image[fields[i].word] = static_cast<std::int16_t>(2 * model::text_to_raw(box->text()));
        }
    show_field(*field("out_filt"));
    if (param_image[108] == 2 && model::dlx_fw_at_least_302()) {
        Chk_sqr.set_visible(false);  // the DLX input page owns the root
    } else {
        Chk_sqr.set_value(param_image[108] != 0 ? 1 : 0);
        Chk_sqr.set_visible(true);
    }
    const bool type_113 = model::is_type_113() != 0;
    cmd_help.set_visible(!type_113 && model::jumper_help_enabled(0) == 1);
    lbl_info.set_visible(!type_113);
}

void H_output::Chk_sqr_Click() {
    if (!Chk_sqr.visible()) return;
    param_image[108] = static_cast<std::int16_t>(Chk_sqr.value() == 1 ? 1 : 0);
}

void H_output::output_kind_chosen(const char* out_mode, const char* v_mode) {
    Out_mode.set_text(out_mode);
    mainwin::hauptmenu_inst->v_mode.set_text(v_mode);
    set_output_mask();
}

void H_output::B_Zurueck_Click() {
    close_page();
    if (auto* picture = pcb_map_inst.peek()) picture->hide();
}

}  // namespace dvx::pages

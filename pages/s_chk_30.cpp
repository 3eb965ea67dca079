#include "pages/s_chk_30.h"

#include <string>

#include "mainwin/hauptmenu.h"
#include "model/firmware.h"
#include "model/supervision_bits.h"
#include "texts/captions_pages.h"

namespace dvx::pages {

namespace {

// clang-format off
constexpr ToleranceRow tolerances[] = {
    // label            prefix            prefix  field           unit              unit caption
    {"Label5",          "Label3",         "+/-",  "dif_15_mv",    "Label10",        ""},
    {"Label7",          "Label6",         "+/-",  "Fui_val",      "Label1",         ""},
    {"Label8",          "Label9",         "+/-",  "out_val_dif",  "Label4",         ""},
    {"lbl_thrl_max",    "lbl_thrl_max_1", ">",    "txt_thrl_max", "lbl_thrl_max_2", "kOhm"},
};

// KRV error bits: the row is the item of the KRV layout.
constexpr ReactionRow rows[] = {
    // row source  shown by  label      analog-output list    frozen  keys
    {3,  0x040,    0x040,    "Label16", "err_l_3", -1,        false,  true},  // mV measuring circuit
    {4,  0x010,    0x010,    "Label14", "err_l_4", -1,        false,  true},  // resistance circuit
    {5,  0x008,    0x008,    "Label13", "err_l_5", -1,        false,  true},  // output signal
    {6,  0x020,    0x020,    "Label15", "err_l_6", -1,        true,   true},  // sensor or lead break
    {9,  0x100,    0x100,    "Label29", "err_l_9", -1,        false,  true},  // relays
    {0,  0x287,    0x002,    "Label12", "err_l_0", -1,        false,  true},  // system group
};

constexpr NumericField fields[] = {
    // field           word  key decimals  decimals   minimum    maximum
    {"dif_15_mv",      77,   fixed(1),     fixed(1),  fixed(2),  fixed(50)},
    {"Fui_val",        79,   fixed(1),     fixed(1),  fixed(2),  fixed(50)},
    {"out_val_dif",    76,   fixed(1),     fixed(1),  fixed(2),  fixed(50)},
    {"txt_thrl_max",   128,  fixed(1),     fixed(2),  fixed(2),  fixed(200)},
};
// clang-format on

constexpr SupervisionDesign design{tolerances,
                                   rows,
                                   {70, 96, 114, 127},
                                   model::krv_group_bits,
                                   model::get_chk_mode_30,
                                   model::set_chk_mode_30,
                                   false};

}  // namespace

S_Chk_30::S_Chk_30() : SupervisionPage("S_Chk_30", design) {
    bind_fields(fields);
    B_Zurueck.on_click = [this] {
        mainwin::hauptmenu_inst->set_visible(true);
        close_page();
    };
    on_load = [this] {
        fill_lists(true);  // "limit" on every KRV firmware
        show_blink_chk();
        texts::set_lang_check30(*this);
    };
}

void S_Chk_30::show_blink_chk() {
    const std::string v = mainwin::hauptmenu_inst->curr_version.text();
    chk_blink_on_mem.set_visible((v >= "4.04" && v < "4.10") || v >= "4.14");
}

void S_Chk_30::set_chk30_mask() {
    Filling filling(false);
    normalise();
    for (const char* f : {"dif_15_mv", "Fui_val", "out_val_dif"}) show_field(*field(f));
    show_reactions();
    show_blink();
    // The open-circuit limit of thermocouples exists from firmware 4.10.
    const bool limit = model::krv_fw_at_least_410() != 0;
    if (limit) show_field(*field("txt_thrl_max"));
    for (const char* c : {"lbl_thrl_max", "lbl_thrl_max_1", "lbl_thrl_max_2", "txt_thrl_max"})
        control(c)->set_visible(limit);
}

}  // namespace dvx::pages

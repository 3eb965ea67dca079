#include "pages/s_chk_m.h"

#include <string>

#include "mainwin/hauptmenu.h"
#include "model/dlx_input_kind.h"
#include "model/supervision_bits.h"
#include "texts/captions_pages.h"

namespace dvx::pages {

namespace {

// clang-format off
constexpr ToleranceRow tolerances[] = {
    // label     prefix    prefix  field          unit       unit caption
    {"Label5",   "Label3", "+/-",  "dif_15_mv",   "Label10", ""},
    {"Label8",   "Label6", "+/-",  "out_val_dif", "Label4",  ""},
};

// DLX error bits: row N is the source 2^N (the item of the DLX layout).
constexpr ReactionRow rows[] = {
    // row source  shown by  label      analog-output list    frozen  keys
    {3,  0x008,    0x008,    "Label15", "err_out",   3,       false,  true},   // analog output
    {4,  0x010,    0x010,    "Label16", "err_out",   4,       false,  true},   // mA input
    {5,  0x020,    0x020,    "Label13", "err_out",   5,       true,   true},   // below minimum
    {6,  0x040,    0x040,    "Label14", "err_out",   6,       true,   true},   // above maximum
    {10, 0x400,    0x400,    "Label18", "err_out",   10,      false,  true},   // transmitter supply
    {8,  0x100,    0x100,    "Label1",  "err_out",   8,       false,  true},   // relays
    {0,  0x287,    0x287,    "Label29", "err_out_0", -1,      false,  false},  // system group
};

constexpr NumericField fields[] = {
    // field          word  key decimals  decimals   minimum    maximum
    {"dif_15_mv",     74,   fixed(1),     fixed(1),  fixed(2),  fixed(50)},
    {"out_val_dif",   76,   fixed(1),     fixed(1),  fixed(2),  fixed(50)},
};
// clang-format on

constexpr SupervisionDesign design{tolerances,
                                   rows,
                                   {79, 87, 96, 101},
                                   model::dlx_group_bits,
                                   model::get_chk_mode_m,
                                   model::set_chk_mode_m,
                                   true};

}  // namespace

S_Chk_m::S_Chk_m() : SupervisionPage("S_Chk_m", design) {
    bind_fields(fields);
    B_Zurueck.on_click = [this] { close_page(); };
    on_load = [this] {
        const std::string v = mainwin::hauptmenu_inst->curr_version.text();
        // "limit" exists from firmware 3.01, the blink bit from 4.02.
        fill_lists(v >= "3.01");
        chk_blink_on_mem.set_visible(v >= "4.02");
        texts::set_lang_check_m(*this);
    };
}

void S_Chk_m::set_check_mask_m() {
    Filling filling(false);
    show_fields();
    normalise();
    show_reactions();

    // Rows the input kind has no use for: the transmitter supply (row 10) exists only
    // for mA inputs, the minimum (row 5) only where the kind has a MIN value (not for
    // the unipolar mV and V inputs).
    const model::DlxInputKind& kind = model::dlx_input_kind();
    const bool current = kind.code == 0;
    auto show_row = [this](int row, bool visible, bool with_reactions) {
        row_label(row).set_visible(visible);
        output_list(row).set_visible(visible);
        if (with_reactions)
            for (int k = 1; k <= 4; ++k) reaction_list(k, row).set_visible(false);
    };
    show_row(10, current, !current);
    show_row(5, kind.min_field, !kind.min_field);
    show_blink();
}

}  // namespace dvx::pages

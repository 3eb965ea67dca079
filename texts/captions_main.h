#pragma once
// The language-dependent texts of the main window: its title, labels, buttons, frames,
// check box and menus, one column header of the gateway scan list and the entries of
// the bulk-set parameter list. The main window lives above this library, so the texts
// are applied to it by control name from the table below.
#include <span>
#include <string>
#include <string_view>

#include "texts/caption_target.h"
#include "texts/messages.h"
#include "ui/form.h"

namespace dvx::texts {

// Which family and bus mode a caption row is for.
enum class CaptionWhen {
    always,
    krv,         // is_krv set
    dlx,         // is_krv 0
    direct_krv,  // bus mode 0, KRV
    direct_dlx,  // bus mode 0, DLX
    gateway,     // bus mode 1 or 2, either family
};

struct CaptionRow {
    std::string_view control;
    CaptionWhen when;
    MsgForms text;
    CaptionTarget target = CaptionTarget::caption;
};

// Rows in the order they are set.
std::span<const CaptionRow> main_caption_table();

// Entries of cmb_bulk_param by list position (0..12).
std::span<const MsgForms> bulk_param_texts();

// Sets the rows that apply to the family of is_krv and the bus mode of model::bus_mode
// on `form`, in order, in the language of lang_code.
void apply_captions(ui::Form& form, std::span<const CaptionRow> rows);

// Sets every caption of the main window `main` in the language of lang_code, for the
// family of is_krv and the bus mode of model::bus_mode; refills cmb_bulk_param (its
// selection is lost) and moves the "(R)" sign Label10 behind the product name of the
// banner Label1. Controls missing from the form are passed over.
void set_lang_main(ui::Form& main);

}  // namespace dvx::texts

#pragma once
// Caption tables of the transmitter pages, one table per window: control name and its
// text in German, English and Dutch. The pages sit above this library, so each page's
// Load hands itself to its caption procedure, which sets the captions by control name.
// The window's own caption (the row with an empty control name) is followed by the tag
// header ("          TAG No: " and the tag of words 119..122).
#include <span>
#include <string_view>

#include "texts/messages.h"
#include "ui/form.h"

namespace dvx::texts {

struct PageCaption {
    std::string_view control;  // "" = the window's own caption
    MsgForms text;
};

// The back button every page has.
inline constexpr MsgForms back_to_main_menu{u8"&Zurück zum Hauptmenü", u8"&Back to main menu",
                                            u8"Terug naar &hoofdmenu"};

// Sets every caption of the table on `page` in the language of lang_code, in table
// order. Controls missing from the page are passed over.
void apply_page_captions(ui::Form& page, std::span<const PageCaption> table);

// The supervision tables, for the test that checks both pages' captions.
std::span<const PageCaption> supervision_captions();  // both supervision pages
std::span<const PageCaption> check30_captions();  // KRV supervision page S_Chk_30 (units aside)
std::span<const PageCaption> check_m_captions();  // DLX supervision page S_Chk_m

// The caption procedures of the pages.
void set_lang_inp(ui::Form& h_inp);
void set_lang_dlx3_inp(ui::Form& dlx3_inp);
void set_lang_output(ui::Form& h_output);
void set_lang_dout(ui::Form& h_dout);
void set_lang_comment(ui::Form& comment);
// The units of the two input tolerances follow krv_fw_at_least_410.
void set_lang_check30(ui::Form& s_chk_30);
void set_lang_check_m(ui::Form& s_chk_m);

}  // namespace dvx::texts

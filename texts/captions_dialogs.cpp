#include "texts/captions_dialogs.h"

namespace dvx::texts {
namespace {

using W = CaptionWhen;
constexpr auto title = CaptionTarget::form_title;

constexpr MsgForms cancel{u8"Abbrechen", u8"Cancel", u8"Afbreken"};

// "&" marks the access key of the following letter.
// clang-format off
constexpr CaptionRow adr_seek_rows[] = {
    {"", W::always, {u8"Adressen suchen ...", u8"Search addresses ...", u8"Adressen zoeken ..."}, title},
    {"Label1", W::always, {u8"Aktuelle Adresse:", u8"Current address: ", u8"Huidige adres: "}},
    {"Command3D1", W::always, cancel},
};

// The title "Bulk Update" and the labels "KRV:" and "BNR:" stay as designed.
constexpr CaptionRow bulk_update_rows[] = {
    {"Command3D1", W::always, cancel},
};

constexpr CaptionRow enter_pass_rows[] = {
    {"", W::always, {u8"Paßworteingabe", u8"Enter password", u8"Invoeren password"}, title},
};

// The frame pass_panel names the level; the dialog's load sets it.
constexpr CaptionRow set_pass_rows[] = {
    {"", W::always, {u8"Paßworte", u8"Passwords", u8"Passwords"}, title},
    {"Label1", W::always, {u8"&Altes Paßwort:", u8"Old password", u8"Oud password:"}},
    {"Label2", W::always, {u8"Neues Paßwort:", u8"New password", u8"Nieuw password:"}},
    {"Label3", W::always,
     {u8"Neues Paßwort (Bestätigung):", u8"New password (confirm):", u8"Nieuw password (bevestiging):"}},
    {"Command3D1", W::always, {u8"Speichern", u8"Save", u8"Opslaan"}},
    {"Command3D2", W::always, cancel},
};

// clang-format on

}  // namespace

void set_lang_adr_seek(ui::Form& adr_seek) {
    apply_captions(adr_seek, adr_seek_rows);
}
void set_lang_bulk_update(ui::Form& bulk_update) {
    apply_captions(bulk_update, bulk_update_rows);
}
void set_lang_enter_pass(ui::Form& enter_pass) {
    apply_captions(enter_pass, enter_pass_rows);
}
void set_lang_set_pass(ui::Form& set_pass) {
    apply_captions(set_pass, set_pass_rows);
}

}  // namespace dvx::texts

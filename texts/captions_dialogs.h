#pragma once
// The language-dependent texts of the small dialogs: the progress boxes of the address
// search and of the bulk set, and the two password dialogs. Like the main window, they
// sit above this library and are captioned by control name; a text no row sets keeps
// the window's designed text in every language.
#include "texts/captions_main.h"
#include "ui/form.h"

namespace dvx::texts {

// Each sets its window's captions in the language of lang_code.
void set_lang_adr_seek(ui::Form& adr_seek);
void set_lang_bulk_update(ui::Form& bulk_update);
void set_lang_enter_pass(ui::Form& enter_pass);
void set_lang_set_pass(ui::Form& set_pass);

}  // namespace dvx::texts

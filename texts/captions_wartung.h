#pragma once
// Captions of the two diagnosis pages: Wartung (DLX) and Wartung_krv (KRV).
#include "texts/captions_pages.h"

namespace dvx::texts {

// Title (with the tag header), buttons, frames, column heads and row captions in the
// language of lang_code.
void set_lang_wartung(ui::Form& page);
void set_lang_wartung_krv(ui::Form& page);

}  // namespace dvx::texts

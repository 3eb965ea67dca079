#pragma once
// Captions of the online values page h_online.
#include "texts/captions_pages.h"

namespace dvx::texts {

// Title (with the tag header), back button, "Measure value" and "Output" labels, the
// cold-junction and loop-resistance captions, in the language of lang_code.
void set_lang_online(ui::Form& page);

}  // namespace dvx::texts

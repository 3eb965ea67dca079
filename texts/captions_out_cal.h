#pragma once
// Captions of the analog-output calibration page H_out_cal.
#include "texts/captions_pages.h"

namespace dvx::texts {

// Title (with the tag header), back button, the frame and its two instruction labels,
// in the language of lang_code. The point captions (Label12, Label13) follow the
// output kind and are set when the page is prepared.
void set_lang_out_cal(ui::Form& page);

}  // namespace dvx::texts

#include "texts/lang_select.h"

#include "model/reg_settings.h"
#include "texts/language.h"

namespace dvx::texts {

Lang_Select::Lang_Select() : Form("Lang_Select", {0, 0, 3840, 2640}) {
    set_caption("DORVANEX - Language selection");
    opt_E.set_caption("English");
    opt_D.set_caption("German");
    opt_NL.set_caption("Dutch");
    opt_D.set_value(true);
    SSCommand1.set_caption("OK");
    SSCommand1.on_click = [this] { SSCommand1_Click(); };
}

void Lang_Select::SSCommand1_Click() {
    if (opt_NL.value()) {
        lang_code = "NL";
    } else if (opt_E.value()) {
        lang_code = "GB";
    } else {
        lang_code = "D";
    }
    // A failed write leaves the choice in force for this run only; the next start asks again.
    model::reg_set_string(model::reg_key, model::reg_language, lang_code);
    unload();
}

}  // namespace dvx::texts

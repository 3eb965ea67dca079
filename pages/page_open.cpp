#include "pages/page_open.h"

#include "model/firmware.h"
#include "texts/messages.h"
#include "ui/services.h"

namespace dvx::pages {

bool version_gate(Titled titled) {
    if (model::check_version(mainwin::hauptmenu_inst->curr_version.text()) == 0) return true;
    if (titled == Titled::yes)
        ui::msg_box(texts::msg_sw_version_not_supported, ui::mb_ok, "DORVANEX");
    else
        ui::msg_box(texts::msg_sw_version_not_supported, ui::mb_ok);
    return false;
}

}  // namespace dvx::pages

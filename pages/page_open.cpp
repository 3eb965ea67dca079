#include "pages/page_open.h"

#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "model/firmware.h"
#include "texts/messages.h"
#include "ui/services.h"

namespace dvx::pages {

bool version_gate(Titled titled) {
    if (model::check_version(mainwin::hauptmenu_inst->curr_version.text()) == 0) return true;
    if (titled == Titled::yes)
        mainwin::ops::show(texts::msg_sw_version_not_supported);
    else
        ui::msg_box(texts::msg_sw_version_not_supported, ui::mb_ok);
    return false;
}

std::int16_t read_output_mode() {
    int code = 0;
    const std::int16_t r = mainwin::read_output_mode(code);
    if (r == 0) mainwin::show_output_mode(*mainwin::hauptmenu_inst, code);
    return r;
}

}  // namespace dvx::pages

#include "pages/page_open.h"

#include <string>

#include "link/transactions.h"
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
    std::int16_t mode = 0;
    const std::int16_t r = link::read_one_reg(26, mode);
    if (r != 0) return r;
    auto& main = *mainwin::hauptmenu_inst;
    main.in_use.set_text("1");
    main.v_mode.set_text(std::to_string(static_cast<std::uint16_t>(mode) >> 8));
    return 0;
}

}  // namespace dvx::pages

#include "pages/live_opening.h"

#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/block_transfer.h"
#include "model/model_setup.h"
#include "model/param_image.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "pages/page_open.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/event_loop.h"
#include "ui/fault.h"

namespace dvx::pages {

namespace {

std::int16_t reread(mainwin::Hauptmenue& m, LivePage page) {
    std::int16_t code = 0;
    if (link::read_device_type(code) != 0) {
        mainwin::ops::show(texts::msg_no_connection);
        return 1;
    }
    if (model::set_model_ui(code) != 0) {
        mainwin::ops::show(texts::msg_device_not_supported);
        return 1;
    }
    const std::int16_t version = link::status_regs[mainwin::version_word];
    // The block is read with this device's own parameter count, not the one the last
    // device, the start or a file left. A block broken off part-way is not taken over:
    // the image stays as the set-up left it.
    if (mainwin::read_param_block_whole(code, version) != 0) {
        mainwin::ops::show(texts::msg_no_connection);
        return 1;
    }
    mainwin::run_hook(mainwin::device_dialog_hooks().read_in);
    int output_mode = 0;
    if (mainwin::read_output_mode(output_mode) != 0) {
        mainwin::ops::show(texts::msg_no_connection);
        return 1;
    }
    if (page == LivePage::online && m.S_DLX.value()) model::param_image[99] = 19;
    m.curr_version.set_text(mainwin::device_version_text(version));
    mainwin::show_output_mode(m, output_mode);
    m.set_main_mask();
    return 0;
}

}  // namespace

std::int16_t reread_for_live_page(LivePage page) {
    mainwin::Hauptmenue& m = *mainwin::hauptmenu_inst;
    if (m.check_overwrite() != 0) return 1;
    if (link::detect_echo() != 0) return 1;  // the port fault has been shown
    {
        mainwin::ops::Hourglass busy;
        mainwin::run_hook(mainwin::device_dialog_hooks().starting);
        if (reread(m, page) != 0) return 1;
    }
    // The gate sets the device's parameter count; the snapshot is taken with it, so the
    // set just read counts as unchanged from here on (also when the gate refuses).
    const bool supported = version_gate(Titled::yes);
    mainwin::param_snapshot = model::params_to_text();
    return supported ? 0 : 1;
}

void run_trapped(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const ui::UiFault& fault) {
        mainwin::ops::show(fault.text());
        ui::set_mouse_pointer(ui::mp_default);
    }
}

void poll_live_page(ui::Form& page, const std::function<void()>& prepare,
                    const std::function<bool()>& cycle, const std::string& failure) {
    try {
        prepare();
        while (page.visible()) {
            if (!cycle()) {
                mainwin::ops::show(failure);
                break;
            }
            if (model::bus_mode != 0) link::wait_seconds_dbl(0.5);
            ui::do_events();
        }
    } catch (const ui::UiFault& fault) {
        mainwin::ops::show(fault.text());
    }
    mainwin::hauptmenu_inst->set_visible(true);
    page.hide();
}

}  // namespace dvx::pages

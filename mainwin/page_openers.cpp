#include "mainwin/page_openers.h"

#include "mainwin/hauptmenu.h"
#include "model/form_state.h"

namespace dvx::mainwin {

PageOpeners& page_openers() {
    static PageOpeners openers;
    return openers;
}

DeviceDialogHooks& device_dialog_hooks() {
    static DeviceDialogHooks hooks;
    return hooks;
}

void run_hook(const std::function<void()>& hook) {
    if (hook) hook();
}

void back_to_main(ui::Form& page) {
    model::copy_form_state(page, hauptmenu_inst);
    hauptmenu_inst->set_visible(true);
}

}  // namespace dvx::mainwin

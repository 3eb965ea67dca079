#include "mainwin/page_openers.h"

#include "mainwin/hauptmenu.h"
#include "model/form_state.h"

namespace dvx::mainwin {

PageOpeners& page_openers() {
    static PageOpeners openers;
    return openers;
}

void back_to_main(ui::Form& page) {
    model::copy_form_state(page, hauptmenu_inst);
    hauptmenu_inst->set_visible(true);
}

}  // namespace dvx::mainwin

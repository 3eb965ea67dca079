#include "mainwin/lang_pass_menus.h"

#include <string>

#include "mainwin/access_level.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/password_dialogs.h"
#include "model/reg_settings.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::mainwin {

namespace {

void choose_language(const char* code) {
    texts::lang_code = code;
    // A refused write goes unreported: the language still changes for this run.
    model::reg_set_string(model::reg_key, model::reg_language, code);
    texts::set_lang_msg();
    set_lang_main();
}

void change_password(std::int16_t level) {
    password_level_edit = level;
    set_pass_inst->show_modal();
}

}  // namespace

void m_land_gb_Click() {
    choose_language("GB");
}
void m_lang_d_Click() {
    choose_language("D");
}
void m_lang_NL_Click() {
    choose_language("NL");
}

void m_pas_enter_Click() {
    enter_pass_inst->show_modal();
    apply_access_level();
}

void m_pas_1_Click() {
    change_password(1);
}
void m_pas_2_Click() {
    change_password(2);
}

}  // namespace dvx::mainwin

#include "mainwin/password_dialogs.h"

#include <algorithm>
#include <exception>
#include <string>

#include "mainwin/access_level.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "model/access.h"
#include "texts/captions_dialogs.h"
#include "texts/messages.h"

namespace dvx::mainwin {

namespace {

constexpr int key_enter = 13;

bool same_ignoring_case(const std::string& a, const std::string& b) {
    return model::upper_case_1252(a) == model::upper_case_1252(b);
}

}  // namespace

bool password_storable(const std::string& password) {
    return std::none_of(password.begin(), password.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return c == '|' || code < 32;
    });
}

Enter_Pass::Enter_Pass() : Form("enter_pass", {0, 0, 3840, 1080}) {
    Text1.set_password_char("*");
    on_load = [this] { texts::set_lang_enter_pass(*this); };
    Text1.on_key_press = [this](int& key) { Text1_KeyPress(key); };
}

void Enter_Pass::Text1_KeyPress(int& key) {
    if (key != key_enter) return;
    model::entered_password = Text1.text();
    unload();
}

Set_Pass::Set_Pass() : Form("set_pass", {0, 0, 5880, 2820}) {
    for (ui::TextBox* box : {&p1_old, &P1_new, &P1_conf}) box->set_password_char("*");
    on_load = [this] { Form_Load(); };
    Command3D1.on_click = [this] { Command3D1_Click(); };
    Command3D2.on_click = [this] { unload(); };
}

void Set_Pass::Form_Load() {
    texts::set_lang_set_pass(*this);
    pass_panel.set_caption(password_level_edit == 1 ? texts::msg_pass_area_1
                                                    : texts::msg_pass_area_2);
}

void Set_Pass::Command3D1_Click() {
    try {
        save_password();
    } catch (const std::exception& fault) {
        ops::show(fault.what());  // the dialog stays open
    }
}

void Set_Pass::save_password() {
    std::string& stored =
        password_level_edit == 1 ? model::password_level_1 : model::password_level_2;
    if (!same_ignoring_case(p1_old.text(), stored)) return ops::show(texts::msg_old_password_wrong);
    if (!same_ignoring_case(P1_new.text(), P1_conf.text()))
        return ops::show(texts::msg_password_confirm_wrong);
    // A "|" or a line break would split the settings file's fields and lose both
    // passwords with the port and address at the next start.
    if (!password_storable(P1_new.text())) return ops::show(texts::msg_password_bad_char);
    stored = P1_new.text();
    hauptmenu_inst->save_connection_settings();
    apply_access_level();
    unload();
}

}  // namespace dvx::mainwin

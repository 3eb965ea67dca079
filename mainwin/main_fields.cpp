// The main window's own fields and small handlers: TAG and serial number, the address
// kept in the set, the family options, the port and address choices, and quitting.
#include <string>

#include "link/serial_line.h"
#include "mainwin/access_level.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "model/access.h"
#include "model/con_file.h"
#include "model/number_text.h"
#include "model/param_words.h"
#include "texts/captions_main.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::mainwin {

namespace {

using ops::title;

// Keys the TAG box takes: letters, digits, "_", "-", "$", "%" and the control codes
// 8 (backspace), 10, 11 and 13.
bool tag_key_passes(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z'))
        return true;
    switch (key) {
        case '_':
        case '-':
        case '$':
        case '%':
        case 8:
        case 10:
        case 11:
        case 13:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::int16_t Hauptmenue::check_overwrite() {
    if (!params_changed()) return 0;
    const int answer =
        ui::msg_box(texts::msg_discard_changes, ui::mb_ok_cancel + ui::mb_question, title);
    return answer == ui::id_cancel ? 1 : 0;
}

void Hauptmenue::do_quit() {
    const std::string& question = params_changed() ? texts::msg_quit_unsaved : texts::msg_quit;
    if (ui::msg_box(question, ui::mb_ok_cancel, title) == ui::id_ok) ui::end_program();
}

void Hauptmenue::move_next_main(int key) {
    model::entry_key(key, [this] { set_main_mask(); });
}

void Hauptmenue::set_main_mask() {
    Komentar1.set_text(model::text_from_params(119));
    Ser_No.set_text(model::text_from_params(123));
    // An address byte of 0, or beyond the list (gateway modes list 20 or 32), selects nothing.
    Krv_adr.set_list_index(model::param_bitfield(113, 0xFF00) - 1);
}

void Hauptmenue::com_select_click() {
    link::port_status = link::open_port();
    enable_main_controls();
    if (link::port_status != 0 && load_done_) ops::show_no_connection(link::open_port_fault());
}

void Hauptmenue::save_connection_settings() {
    model::ConSettings s;
    s.port_index = Com_select.list_index();
    s.adr_index = adr_select.list_index();
    s.password_level_1 = model::password_level_1;
    s.password_level_2 = model::password_level_2;
    model::save_settings(s);
}

void Hauptmenue::key_press_tag(int& key) {
    if (!tag_key_passes(key)) key = 0;
    move_next_main(key);
}

void Hauptmenue::key_press_serial(int& key) {
    if (sn_change_flag != "enabled") key = 0;
    move_next_main(key);
}

void Hauptmenue::store_text8(ui::TextBox& box, int word) {
    model::text_to_params(word, model::text8_entry(box.text()));
}

void Hauptmenue::krv_adr_click() {
    // No selection (an address byte the list does not hold) keeps the stored address:
    // writing 0 would lose it.
    const int index = Krv_adr.list_index();
    if (index < 0) return;
    model::put_value(113, 0xFF00, static_cast<std::int16_t>(index + 1));
}

void Hauptmenue::family_click(ui::OptionButton& option, int krv) {
    if (option.value()) texts::is_krv = static_cast<std::int16_t>(krv);
    texts::set_lang_msg();
    texts::set_lang_main(*this);
}

}  // namespace dvx::mainwin

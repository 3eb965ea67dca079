// The main window's load (the whole start-up of the system), its layout per bus mode,
// its minimum size and closing it by its frame.
#include <cstdio>
#include <string>

#include "link/rtu_frame.h"
#include "link/serial_line.h"
#include "mainwin/access_level.h"
#include "mainwin/bulk_params.h"
#include "mainwin/device_ops.h"
#include "mainwin/hauptmenu.h"
#include "model/access.h"
#include "model/checked_file.h"
#include "model/con_file.h"
#include "model/form_state.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "platform/cp1252.h"
#include "platform/serial_port.h"
#include "texts/captions_main.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/fault.h"

namespace dvx::mainwin {

namespace {

constexpr int min_width = 9690;
constexpr int min_height = 8225;
constexpr int port_entries = platform::com_ports;  // "COM1".."COM20"

// A marker counts when its container is valid and holds any content.
bool marker_counts(const char* file) {
    return !model::read_checked_file(file).empty();
}

void fill_numbers(ui::ListControl& list, int count) {
    for (int i = 1; i <= count; ++i) list.add_item(std::to_string(i));
}

}  // namespace

void set_lang_main() {
    texts::set_lang_main(*hauptmenu_inst);
}

void Hauptmenue::Form_Load() {
    bind_link_and_model();

    sn_change_flag = model::read_checked_file("sn_chg.cfg");
    model::bus_mode = 0;
    if (marker_counts("HZL_mod.cfg")) model::bus_mode = 1;
    if (marker_counts("HZL3_mod.cfg")) model::bus_mode = 2;
    if (model::bus_mode == 0)
        m_uebertr.set_visible(false);
    else
        m_uebertr.set_visible(marker_counts("HZL_chart_enabled.cfg"));

    texts::is_krv = 1;
    model::is_ni120 = 0;
    model::has_wre_tc = 0;

    texts::set_lang_msg();
    texts::set_lang_main(*this);

    model::init_device_tables();
    link::init_crc_tables();
    init_bulk_params();

    set_top(10);
    model::param_count = 127;

    for (int i = 1; i <= port_entries; ++i) Com_select.add_item("COM" + std::to_string(i));

    lay_out_for_bus_mode();

    adr_select.set_list_index(0);
    Com_select.set_list_index(0);  // a port choice: opens COM1

    model::password_level_1.clear();
    model::password_level_2 = model::password_level_2_default;

    model::ConSettings start;
    start.port_index = Com_select.list_index();
    start.adr_index = adr_select.list_index();
    start.password_level_1 = model::password_level_1;
    start.password_level_2 = model::password_level_2;
    const model::ConSettingsRead con =
        model::load_settings(Com_select.list_count(), adr_select.list_count(), start);
    forget_unkept_factory_copies();  // a new run of the program
    if (con.port_index) Com_select.set_list_index(*con.port_index);
    if (con.adr_index) adr_select.set_list_index(*con.adr_index);
    if (con.password_level_1) model::password_level_1 = *con.password_level_1;
    if (con.password_level_2) model::password_level_2 = *con.password_level_2;

    link::port_status = link::open_port();
    enable_main_controls();
    // Silent on screen; whoever started the program learns why the buttons are off, in
    // the terminal's UTF-8.
    if (link::port_status != 0)
        std::fprintf(stderr, "dorvanex: COM%d: %s\n", Com_select.list_index() + 1,
                     platform::to_utf8(link::open_port_fault()).c_str());

    if (sn_change_flag != "enabled") Ser_No.set_enabled(false);

    model::entered_password.clear();
    apply_access_level();
    load_done_ = true;
}

void Hauptmenue::lay_out_for_bus_mode() {
    const int mode = model::bus_mode;
    const int slots = mode == 0 ? 255 : mode == 1 ? 20 : 32;
    fill_numbers(adr_select, slots);
    fill_numbers(Krv_adr, slots);
    Krv_adr.set_visible(mode == 0);
    Label6.set_visible(mode == 0);
    if (mode != 0) {
        fill_numbers(cmb_rack, mode == 1 ? 30 : 64);
        cmb_rack.set_list_index(0);
    }
    cmb_rack.set_visible(mode != 0);
    lbl_bnrnr.set_visible(mode != 0);
    dev_list.set_visible(mode == 0);
    Label7.set_visible(mode == 0);
    Label11.set_visible(mode == 0);
    Label12.set_visible(mode == 0);
    liv_scan.set_visible(mode != 0);
    if (mode != 0) liv_scan.move(240, 720);
    fra_bulk_upd.set_visible(mode == 2);
}

void Hauptmenue::Form_Resize() {
    // A minimised or maximised window cannot be sized: that fault is of no concern.
    try {
        if (width() < min_width) set_width(min_width);
    } catch (const ui::UiFault&) {
    }
    try {
        if (height() < min_height) set_height(min_height);
    } catch (const ui::UiFault&) {
    }
}

void Hauptmenue::Form_Unload(int& /*cancel*/) {
    model::save_form_state(*this);
    ui::end_program();
}

void close_session_windows() {
    ui::close_windows_but(hauptmenu_inst.peek());
}

void end_session() {
    close_session_windows();
    if (Hauptmenue* m = hauptmenu_inst.peek()) {
        int cancel = 0;
        m->Form_Unload(cancel);
    }
    ui::end_program();
}

void Hauptmenue::Form_GotFocus() {
    model::apply_form_state(*this);
}

}  // namespace dvx::mainwin

#include "mainwin/hauptmenu.h"

#include <string>
#include <utility>

#include "link/link_bindings.h"
#include "mainwin/access_level.h"
#include "mainwin/bulk_set.h"
#include "mainwin/bus_scan.h"
#include "mainwin/config_ops.h"
#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/lang_pass_menus.h"
#include "mainwin/page_openers.h"
#include "model/main_view_hooks.h"
#include "model/number_text.h"
#include "model/param_list.h"
#include "model/view_bindings.h"
#include "platform/cp1252.h"
#include "texts/captions_main.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::mainwin {

Hauptmenue::Hauptmenue() : Form("Hauptmenü", {0, 0, 9690, 8225}) {
    set_design_texts();
    bind_handlers();
}

Hauptmenue::~Hauptmenue() {
    // The link and the model must not read controls that are gone.
    if (hauptmenu_inst.peek() == this || hauptmenu_inst.peek() == nullptr) {
        link::bind_detached_controls();
        model::main_view_hooks() = model::MainViewHooks{};
        model::bind_detached_view();
        model::range_messages() = model::RangeMessages{};
    }
}

void Hauptmenue::set_design_texts() {
    // The German KRV texts of a direct bus, as designed; the load sets the
    // stored language's texts over them; the language in force is put back after.
    std::string saved_lang = std::exchange(texts::lang_code, std::string("D"));
    const auto saved_krv = std::exchange(texts::is_krv, 1);
    liv_scan.add_column("Rack", 900);
    liv_scan.add_column(platform::to_cp1252("Gerät"), 900);
    liv_scan.add_column("Serial No:", 1800);
    liv_scan.add_column("Tag No:", 1800);
    texts::set_lang_main(*this);
    texts::lang_code = std::move(saved_lang);
    texts::is_krv = saved_krv;

    Label1.set_font_size(12);
    Label1.set_font_bold(true);
    Label10.set_caption("(R)");
    Label2.set_caption("Version 1.0");
    Label13.set_caption("Parameter:");
    Label4.set_caption("Kommentar:");
    S_KRV.set_caption("KRV-200");
    S_DLX.set_caption("DLX-200");
    S_KRV.set_value(true);
    TH_XK.set_caption("TC 8 = XK");
    S_SNAP.set_caption("SNAP");
    dev_list.set_font_name("Courier New");
    Komentar1.set_max_length(8);
    Ser_No.set_max_length(8);
    curr_version.set_locked(true);
    v_mode.set_text("40");
    in_use.set_text("0");
    for (ui::Control* hidden : std::initializer_list<ui::Control*>{&v_mode, &in_use, &Komentar,
                                                                   &Label4, &MSComm1, &CMDialog1})
        hidden->set_visible(false);
}

void Hauptmenue::bind_handlers() {
    on_load = [this] { Form_Load(); };
    on_resize = [this] { Form_Resize(); };
    on_unload = [this](int& cancel) { Form_Unload(cancel); };
    on_got_focus = [this] { Form_GotFocus(); };

    // While a transaction waits in a link pause none of these runs: the window layer
    // refuses the user's actions then (ui/app.h, `ui::TransactionScope`).
    B_FQN_Read.on_click = [] { B_FQN_Read_Click(); };
    B_FQN_Write.on_click = [] { B_FQN_Write_Click(); };
    B_exit.on_click = [this] { do_quit(); };
    m_dat_exit.on_click = [this] { do_quit(); };
    m_dat_save.on_click = [] { m_dat_save_Click(); };
    m_dat_load.on_click = [] { m_dat_load_Click(); };
    m_dat_print.on_click = [] { m_dat_print_Click(); };
    m_dat_mpr.on_click = [] { m_dat_mpr_Click(); };
    m_restore_cfg.on_click = [] { m_restore_cfg_Click(); };
    Com_select.on_click = [this] { com_select_click(); };
    Com_select.on_lost_focus = [this] { save_connection_settings(); };
    adr_select.on_lost_focus = [this] { save_connection_settings(); };
    Komentar1.on_key_press = [this](int& key) { key_press_tag(key); };
    Komentar1.on_lost_focus = [this] { store_text8(Komentar1, 119); };
    Ser_No.on_key_press = [this](int& key) { key_press_serial(key); };
    Ser_No.on_lost_focus = [this] { store_text8(Ser_No, 123); };
    Krv_adr.on_click = [this] { krv_adr_click(); };
    Krv_adr.on_key_press = [this](int& key) { move_next_main(key); };
    S_KRV.on_click = [this] { family_click(S_KRV, 1); };
    S_DLX.on_click = [this] { family_click(S_DLX, 0); };
    Command3D4.on_click = [] { Command3D4_Click(); };
    dev_list.on_click = [] { dev_list_Click(); };
    liv_scan.on_click = [] { liv_scan_Click(); };
    liv_scan.on_dbl_click = [] { liv_scan_DblClick(); };
    m_land_gb.on_click = [] { m_land_gb_Click(); };
    m_lang_d.on_click = [] { m_lang_d_Click(); };
    m_lang_NL.on_click = [] { m_lang_NL_Click(); };
    m_pas_enter.on_click = [] { m_pas_enter_Click(); };
    m_pas_1.on_click = [] { m_pas_1_Click(); };
    m_pas_2.on_click = [] { m_pas_2_Click(); };
    cmd_bulk_set.on_click = [] { cmd_bulk_set_Click(); };

    // Looked up at the click: the page libraries install their openers after the
    // window exists.
    auto open = [](std::function<void()> PageOpeners::*opener) {
        return [opener] {
            const auto& f = page_openers().*opener;
            if (f) f();
        };
    };
    B_io.on_click = open(&PageOpeners::B_io);
    B_Out.on_click = open(&PageOpeners::B_Out);
    B_dout.on_click = open(&PageOpeners::B_dout);
    B_Schk.on_click = open(&PageOpeners::B_Schk);
    B_comment.on_click = open(&PageOpeners::B_comment);
    B_online.on_click = open(&PageOpeners::B_online);
    Command3D3.on_click = open(&PageOpeners::Command3D3);
    m_cal_inp.on_click = open(&PageOpeners::m_cal_inp);
    m_cal_out.on_click = open(&PageOpeners::m_cal_out);
    m_ub_hzl.on_click = open(&PageOpeners::m_ub_hzl);
    m_ub_bnr.on_click = open(&PageOpeners::m_ub_bnr);
}

void Hauptmenue::bind_link_and_model() {
    auto index_of = [](ui::ComboBox Hauptmenue::*list) {
        return [list] {
            Hauptmenue* m = hauptmenu_inst.peek();
            return m ? (m->*list).list_index() : -1;
        };
    };
    auto& b = link::bindings().main;
    b.MSComm1 = nullptr;  // the control forwards to the port of the service set
    b.Com_select = index_of(&Hauptmenue::Com_select);
    b.adr_select = index_of(&Hauptmenue::adr_select);
    b.cmb_rack = index_of(&Hauptmenue::cmb_rack);
    // A port lost under traffic and not to be opened again: as after a failed port choice.
    b.port_status_changed = [] {
        if (hauptmenu_inst.peek()) enable_main_controls();
    };
    b.show_no_connection = ops::show_no_connection;

    auto& h = model::main_view_hooks();
    h.curr_version = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m ? m->curr_version.text() : std::string();
    };
    h.s_krv = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m && m->S_KRV.value();
    };
    h.s_dlx = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m && m->S_DLX.value();
    };
    h.is_krv = [] { return texts::is_krv != 0; };
    h.s_snap = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m && m->S_SNAP.value() == 1;
    };
    h.th_xk = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m && m->TH_XK.value() == 1;
    };
    h.v_mode = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m ? m->v_mode.text() : std::string("40");
    };
    h.lang_code = [] { return texts::lang_code; };

    auto& v = model::view_bindings();
    v.message = [](std::string_view name) {
        for (const texts::MsgRow& row : texts::msg_table())
            if (row.name == name) return *row.text;
        return std::string(name);
    };
    auto text_of = [](ui::TextBox Hauptmenue::*box) {
        return [box] {
            Hauptmenue* m = hauptmenu_inst.peek();
            return m ? (m->*box).text() : std::string();
        };
    };
    v.get_komentar = text_of(&Hauptmenue::Komentar);
    v.set_komentar = [](const std::string& t) {
        if (Hauptmenue* m = hauptmenu_inst.peek()) m->Komentar.set_text(t);
    };
    v.komentar1 = text_of(&Hauptmenue::Komentar1);
    v.ser_no = text_of(&Hauptmenue::Ser_No);
    v.krv_adr = [] {
        Hauptmenue* m = hauptmenu_inst.peek();
        return m ? m->Krv_adr.text() : std::string();
    };
    v.set_s_krv = [](bool on) {
        if (Hauptmenue* m = hauptmenu_inst.peek()) m->S_KRV.set_value(on);
    };
    v.set_s_dlx = [](bool on) {
        if (Hauptmenue* m = hauptmenu_inst.peek()) m->S_DLX.set_value(on);
    };
    v.set_s_snap = [](bool on) {
        if (Hauptmenue* m = hauptmenu_inst.peek()) m->S_SNAP.set_value(on ? 1 : 0);
    };
    v.set_th_xk = [](bool on) {
        if (Hauptmenue* m = hauptmenu_inst.peek()) m->TH_XK.set_value(on ? 1 : 0);
    };

    auto& r = model::range_messages();
    r.value_too_large = [] { return texts::msg_value_too_large; };
    r.enter_value_till = [] { return texts::msg_enter_value_till; };
    r.value_too_small = [] { return texts::msg_value_too_small; };
    r.enter_value_from = [] { return texts::msg_enter_value_from; };
}

bool params_changed() {
    return !param_snapshot.empty() && param_snapshot != model::params_to_text();
}

}  // namespace dvx::mainwin

#pragma once
// The main window: the system's home. It holds the port, address and rack choices,
// the identity fields of the device in hand, the device lists of the bus scans, the
// buttons that read and program a device and open the work pages, and the menus.
// There is one instance, hauptmenu_inst; its first touch loads it, and that load is
// the whole start-up of the system (bus mode, texts, tables, port, access level).
//
// The controls are public members named as the rest of the system names them; the
// device link and the parameter model reach the few they need through the bindings
// and hooks the window installs when it loads.
#include <cstdint>
#include <string>

#include "ui/controls.h"
#include "ui/file_dialog.h"
#include "ui/form.h"

namespace dvx::mainwin {

class Hauptmenue : public ui::Form {
  public:
    Hauptmenue();
    ~Hauptmenue() override;

    // Public procedures other windows and operations call.
    // 1 when the user refused to discard unsaved changes, else 0.
    std::int16_t check_overwrite();
    // Asks whether to quit (naming unsaved changes) and ends the program on OK.
    void do_quit();
    // Common key handling of the main window's fields: Enter moves on, Esc refills.
    void move_next_main(int key);
    // Refills the TAG, serial-number and address fields from the parameter image.
    void set_main_mask();
    // Writes "krv_con.cfg": the port and address choices and both passwords.
    void save_connection_settings();

    // Handlers of the window itself.
    void Form_Load();
    void Form_Resize();
    void Form_Unload(int& cancel);
    void Form_GotFocus();

    // Title block.
    ui::Label Label1{*this, "Label1", {240, 120, 6960, 375}};
    ui::Label Label10{*this, "Label10", {1560, 60, 375, 255}};
    ui::Label Label2{*this, "Label2", {240, 540, 4560, 255}};
    ui::Label Label8{*this, "Label8", {5040, 540, 4410, 255}};
    ui::Line Line1{*this, "Line1", {240, 840, 9210, 0}};

    // Interface: port, address and rack, read and program.
    ui::Frame Frame3D1{*this, "Frame3D1", {240, 960, 4560, 2160}};
    ui::Label lab_com_sel{Frame3D1, "lab_com_sel", {120, 300, 1770, 255}};
    ui::ComboBox Com_select{Frame3D1, "Com_select", {1920, 240, 1200, 315}};
    ui::Label lab_adr_sel{Frame3D1, "lab_adr_sel", {120, 720, 1200, 255}};
    ui::ComboBox cmb_rack{Frame3D1, "cmb_rack", {1320, 660, 720, 315}};
    ui::Label lbl_bnrnr{Frame3D1, "lbl_bnrnr", {2160, 720, 960, 255}};
    ui::ComboBox adr_select{Frame3D1, "adr_select", {3240, 660, 1080, 315}};
    ui::CommandButton B_FQN_Read{Frame3D1, "B_FQN_Read", {120, 1140, 2100, 375}};
    ui::CommandButton B_FQN_Write{Frame3D1, "B_FQN_Write", {2340, 1140, 2100, 375}};
    ui::CheckBox Check3D2{Frame3D1, "Check3D2", {120, 1680, 4320, 255}};

    // Identification: TAG, serial number, address kept in the set.
    ui::Frame Frame3D3{*this, "Frame3D3", {5040, 960, 4410, 1440}};
    ui::Label Label5{Frame3D3, "Label5", {120, 300, 1440, 255}};
    ui::TextBox Komentar1{Frame3D3, "Komentar1", {1680, 240, 1440, 315}};
    ui::Label Label9{Frame3D3, "Label9", {120, 660, 1440, 255}};
    ui::TextBox Ser_No{Frame3D3, "Ser_No", {1680, 600, 1440, 315}};
    ui::Label Label6{Frame3D3, "Label6", {120, 1020, 1440, 255}};
    ui::ComboBox Krv_adr{Frame3D3, "Krv_adr", {1680, 960, 1080, 315}};

    // Device type: the family options and the firmware of the device in hand.
    ui::Frame Frame3D4{*this, "Frame3D4", {5040, 2460, 4410, 660}};
    ui::OptionButton S_KRV{Frame3D4, "S_KRV", {120, 300, 1200, 255}};
    ui::OptionButton S_DLX{Frame3D4, "S_DLX", {1440, 300, 1200, 255}};
    ui::Label Label3{*this, "Label3", {240, 3240, 1440, 255}};
    ui::TextBox curr_version{*this, "curr_version", {1800, 3180, 840, 315}};
    ui::CheckBox TH_XK{*this, "TH_XK", {2880, 3240, 1080, 255}};
    ui::CheckBox S_SNAP{*this, "S_SNAP", {4080, 3240, 1080, 255}};

    // Hidden state fields.
    ui::TextBox v_mode{*this, "v_mode", {5280, 3180, 480, 315}};
    ui::TextBox in_use{*this, "in_use", {5880, 3180, 480, 315}};
    ui::Label Label4{*this, "Label4", {6480, 3240, 1200, 255}};
    ui::TextBox Komentar{*this, "Komentar", {7800, 3180, 1560, 315}};

    // Connected devices: the scan lists, the search and the bulk set.
    ui::Frame Frame3D2{*this, "Frame3D2", {240, 3600, 9210, 3000}};
    ui::Label Label7{Frame3D2, "Label7", {240, 300, 1080, 255}};
    ui::Label Label11{Frame3D2, "Label11", {1440, 300, 1440, 255}};
    ui::Label Label12{Frame3D2, "Label12", {3000, 300, 1440, 255}};
    ui::ListBox dev_list{Frame3D2, "dev_list", {240, 600, 5880, 2220}};
    ui::ListView liv_scan{Frame3D2, "liv_scan", {240, 720, 5880, 2100}};
    ui::CommandButton Command3D4{Frame3D2, "Command3D4", {6300, 300, 2760, 375}};
    ui::Frame fra_bulk_upd{Frame3D2, "fra_bulk_upd", {6300, 840, 2760, 1980}};
    ui::Label Label13{fra_bulk_upd, "Label13", {120, 300, 2520, 255}};
    ui::ComboBox cmb_bulk_param{fra_bulk_upd, "cmb_bulk_param", {120, 600, 2520, 315}};
    ui::CommandButton cmd_bulk_set{fra_bulk_upd, "cmd_bulk_set", {120, 1320, 2520, 375}};

    // The pages, in two rows of four with the quit button last.
    ui::CommandButton B_io{*this, "B_io", {240, 6780, 2160, 375}};
    ui::CommandButton B_Out{*this, "B_Out", {2520, 6780, 2160, 375}};
    ui::CommandButton B_dout{*this, "B_dout", {4800, 6780, 2160, 375}};
    ui::CommandButton B_Schk{*this, "B_Schk", {7080, 6780, 2160, 375}};
    ui::CommandButton B_comment{*this, "B_comment", {240, 7260, 2160, 375}};
    ui::CommandButton B_online{*this, "B_online", {2520, 7260, 2160, 375}};
    ui::CommandButton Command3D3{*this, "Command3D3", {4800, 7260, 2160, 375}};
    ui::CommandButton B_exit{*this, "B_exit", {7080, 7260, 2160, 375}};

    // Invisible at run time.
    ui::CommControl MSComm1{*this, "MSComm1", {8880, 120, 480, 480}};
    ui::CommonDialog CMDialog1{*this, "CMDialog1", {8280, 120, 480, 480}};

    // Menus.
    ui::MenuItem m_dat{*this, "m_dat"};
    ui::MenuItem m_dat_load{m_dat, "m_dat_load"};
    ui::MenuItem m_dat_save{m_dat, "m_dat_save"};
    ui::MenuItem m_dat_print{m_dat, "m_dat_print"};
    ui::MenuItem m_dat_mpr{m_dat, "m_dat_mpr"};
    ui::MenuItem lin{m_dat, "lin", "-"};
    ui::MenuItem m_dat_exit{m_dat, "m_dat_exit"};
    ui::MenuItem m_pas{*this, "m_pas"};
    ui::MenuItem m_pas_enter{m_pas, "m_pas_enter"};
    ui::MenuItem m_pas_chg{m_pas, "m_pas_chg"};
    ui::MenuItem m_pas_1{m_pas_chg, "m_pas_1"};
    ui::MenuItem m_pas_2{m_pas_chg, "m_pas_2"};
    ui::MenuItem m_calib{*this, "m_calib"};
    ui::MenuItem m_cal_inp{m_calib, "m_cal_inp"};
    ui::MenuItem m_cal_out{m_calib, "m_cal_out"};
    ui::MenuItem m_uebertr{*this, "m_uebertr"};
    ui::MenuItem m_ub_bnr{m_uebertr, "m_ub_bnr", "BNR"};
    ui::MenuItem m_ub_hzl{m_uebertr, "m_ub_hzl", "HZL"};
    ui::MenuItem m_restore{*this, "m_restore"};
    ui::MenuItem m_restore_cfg{m_restore, "m_restore_cfg"};
    ui::MenuItem m_lang{*this, "m_lang", "Language"};
    ui::MenuItem m_land_gb{m_lang, "m_land_gb", "English"};
    ui::MenuItem m_lang_d{m_lang, "m_lang_d", "German"};
    ui::MenuItem m_lang_NL{m_lang, "m_lang_NL", "Dutch"};

  private:
    void set_design_texts();
    void bind_handlers();
    void bind_link_and_model();
    void lay_out_for_bus_mode();
    void com_select_click();
    void key_press_tag(int& key);
    void key_press_serial(int& key);
    void store_text8(ui::TextBox& box, int word);
    void krv_adr_click();
    void family_click(ui::OptionButton& option, int krv);

    // Load has run: a port choice from then on is the technician's, and told when the
    // port cannot be opened; the start itself stays silent on screen.
    bool load_done_ = false;
};

inline ui::FormRef<Hauptmenue> hauptmenu_inst;

// Content of the serial-number marker "sn_chg.cfg"; only exactly "enabled" unlocks
// the serial-number box.
inline std::string sn_change_flag;

// The parameter set as text after the last full device read or write ("" before the
// first): a difference from the current text means unsaved changes.
inline std::string param_snapshot;

// True when the set was read or written and has been changed since.
bool params_changed();

// The main window's captions in the current language and family (texts/captions_main.h).
void set_lang_main();

}  // namespace dvx::mainwin

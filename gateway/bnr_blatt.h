#pragma once
// The BNR concentrator page: the concentrator of the rack chosen here (the main
// window's rack choice) behind either gateway. Its settings block (registers
// 10000..10025 in link::bnr_regs; type 31 with 23 words behind an HZL, 33 with 26
// behind an HZL3) read, edited and written; the active-device and five error bitmaps
// of its 32 slots shown and, behind an HZL3, reset; and 60 of its 80 process-data words
// (11000.., link::bnr_data_regs) polled every 1500 ms as hexadecimal labels. The
// captions are fixed English texts.
#include <cstdint>

#include "model/bound_fields.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::gateway {

class BNR_blatt : public ui::Form, public model::BoundFields {
  public:
    BNR_blatt();

    // Shows the block: the fields of the bus mode, the version and the diagnosis.
    void set_bnrblatt_mask();
    // Reads the block of the bus mode; ok := 1 when it was read and word 0 is the
    // concentrator type of the bus mode. Messages only when show_msg is non-zero.
    void get_bnr_stat(std::int16_t show_msg, std::int16_t& ok);
    // Headers and widths of the diagnosis grid.
    void set_bnr_form();

    void Command3D1_Click();
    void Command3D2_Click();
    void cmd_reset_err_Click();
    void Timer1_Timer();

    ui::Label Label9{*this, "Label9", {120, 180, 1080, 255}};
    ui::ComboBox cmb_rack{*this, "cmb_rack", {1320, 120, 840, 315}};

    ui::Frame Frame3D1{*this, "Frame3D1", {120, 600, 4560, 2760}};
    ui::Label Label7{Frame3D1, "Label7", {120, 360, 1680, 255}};
    ui::TextBox Fui_val{Frame3D1, "Fui_val", {1920, 300, 1080, 315}};
    ui::Label Label5{Frame3D1, "Label5", {120, 720, 1680, 255}};
    ui::TextBox txt_mlen{Frame3D1, "txt_mlen", {1920, 660, 1080, 315}};
    ui::Label lbl_units_cnt{Frame3D1, "lbl_units_cnt", {120, 1080, 1680, 255}};
    ui::TextBox txt_units_cnt{Frame3D1, "txt_units_cnt", {1920, 1020, 1080, 315}};
    ui::Label lbl_data_mode{Frame3D1, "lbl_data_mode", {120, 1440, 1680, 255}};
    ui::TextBox txt_data_mode{Frame3D1, "txt_data_mode", {1920, 1380, 1080, 315}};
    ui::Label lbl_code_err{Frame3D1, "lbl_code_err", {120, 1800, 1680, 255}};
    ui::TextBox txt_code_err{Frame3D1, "txt_code_err", {1920, 1740, 1080, 315}};
    ui::CommandButton Command3D1{Frame3D1, "Command3D1", {120, 2220, 2100, 375}};
    ui::CommandButton Command3D2{Frame3D1, "Command3D2", {2340, 2220, 2100, 375}};

    ui::CommandButton cmd_reset_err{*this, "cmd_reset_err", {4920, 600, 2160, 375}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {4920, 1080, 2160, 375}};
    ui::Label Label3{*this, "Label3", {4920, 1620, 600, 255}};
    ui::Label lbl_ver_txt{*this, "lbl_ver_txt", {5520, 1620, 960, 255}};

    ui::Grid flg_diag{*this, "flg_diag", {120, 3420, 9330, 2040}};

    ui::Frame Frame3D3{*this, "Frame3D3", {120, 5520, 9330, 2220}};
    ui::ControlArray<ui::Label> lbl_data{"lbl_data"};  // 0..59
    ui::ControlArray<ui::Label> Label6{"Label6"};      // 0..5, ten data labels a row
    ui::CheckBox chk_pool{Frame3D3, "chk_pool", {120, 1890, 1560, 255}};

    ui::Timer Timer1{*this, "Timer1"};

  private:
    void cmb_rack_Click();
};

inline ui::FormRef<BNR_blatt> bnr_blatt_inst;

}  // namespace dvx::gateway

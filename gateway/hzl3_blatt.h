#pragma once
// The HZL3 gateway page (bus mode 2): the gateway's settings block (registers
// 20000..20040 in link::hzl_regs) read, edited and programmed; its active-device and
// five error bitmaps of concentrator addresses 1..64 shown and reset; and one result
// page of 100 process-data words (24000 + 100k..) polled every 1500 ms, which the link
// writes straight into flg_result.
#include <cstdint>

#include "model/bound_fields.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::gateway {

class HZL3_blatt : public ui::Form, public model::BoundFields {
  public:
    HZL3_blatt();

    // Reads the block; ok := 1 when it was read and word 0 is 34 (an HZL3), else 0
    // after the message.
    void get_hzl_stat(std::int16_t& ok);
    // Shows the block: version, settings boxes, baud list, diagnosis grid.
    void restore_form();
    // Headers and widths of both grids; result page 0.
    void set_hzl3_form();
    // The six diagnosis rows from the bitmap words 3, 11, 15, 19, 23, 27.
    void set_hzl3_diag();
    // One diagnosis row from the four bitmap words from start_word: column 16w + b + 1.
    void put_hzl3_diag(int row, int start_word);

    void Command3D1_Click();
    void cmd_hzl_save_Click();
    void cmd_reset_err_Click();
    void Timer1_Timer();

    // Settings, first field first (tab order).
    ui::Label Label1{*this, "Label1", {120, 180, 1560, 255}};
    ui::TextBox txt_hzladr{*this, "txt_hzladr", {1800, 120, 1080, 315}};
    ui::Label Label2{*this, "Label2", {120, 540, 1560, 255}};
    ui::TextBox txt_hzlstrt{*this, "txt_hzlstrt", {1800, 480, 1080, 315}};
    ui::Label Label3{*this, "Label3", {120, 900, 1560, 255}};
    ui::TextBox txt_dev_cnt{*this, "txt_dev_cnt", {1800, 840, 1080, 315}};
    ui::Label Label4{*this, "Label4", {120, 1260, 1560, 255}};
    ui::TextBox txt_blk_len{*this, "txt_blk_len", {1800, 1200, 1080, 315}};
    ui::Label Label5{*this, "Label5", {120, 1620, 1560, 255}};
    ui::TextBox txt_code_err{*this, "txt_code_err", {1800, 1560, 1080, 315}};
    ui::Label Label6{*this, "Label6", {120, 1980, 1560, 255}};
    ui::ComboBox cmb_pcs_baud{*this, "cmb_pcs_baud", {1800, 1920, 1080, 315}};

    ui::CommandButton Command3D1{*this, "Command3D1", {3360, 120, 2160, 375}};
    ui::CommandButton cmd_hzl_save{*this, "cmd_hzl_save", {3360, 600, 2160, 375}};
    ui::CommandButton cmd_reset_err{*this, "cmd_reset_err", {3360, 1080, 2160, 375}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {3360, 1560, 2160, 375}};
    ui::Label Label7{*this, "Label7", {6000, 180, 600, 255}};
    ui::Label lbl_ver_txt{*this, "lbl_ver_txt", {6600, 180, 960, 255}};

    ui::Grid flg_diag{*this, "flg_diag", {120, 2340, 9300, 1980}};

    ui::Label Label8{*this, "Label8", {120, 4500, 1560, 255}};
    ui::ComboBox cmb_buf_off{*this, "cmb_buf_off", {1800, 4440, 1080, 315}};
    ui::CheckBox chk_pool{*this, "chk_pool", {3360, 4470, 1560, 255}};
    ui::Grid flg_result{*this, "flg_result", {120, 4860, 9300, 2900}};

    ui::Timer Timer1{*this, "Timer1"};
};

inline ui::FormRef<HZL3_blatt> hzl3_blatt_inst;

}  // namespace dvx::gateway

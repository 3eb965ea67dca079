#pragma once
// The HZL gateway page (bus mode 1): the gateway's own address, the start address and
// the variable table (which rack and slot feeds each of 600 process variables) on the
// "Settings" tab, the diagnosis per rack on "Diagnostics", and the 600 process-data
// words polled every 1500 ms on "HZL-Buffer".
//
// The table lives only in the grid flg_param and the two address boxes: the link moves
// it straight between the gateway and these controls (link_bindings.h), so reading
// overwrites every row and programming sends what the grid holds.
#include <cstdint>
#include <string>

#include "model/gateway_kinds.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::gateway {

// Table geometry and limits of the gateway.
inline constexpr int hzl_variables = 600;
inline constexpr int hzl_racks = model::hzl_gateway.racks;
inline constexpr int hzl_slots = model::hzl_gateway.slots;
inline constexpr int hzl_table_words = 602;  // address, start address, 600 variables
inline constexpr int hzl_table_request = 64;
inline constexpr int hzl_result_pages = 6;
inline constexpr int hzl_result_page_words = 100;
// From this version word on the gateway keeps no table, only the two address words.
inline constexpr std::int16_t hzl_version_no_table = 500;
// Gateway type code in word 0 of its block.
inline constexpr std::int16_t hzl_type_code = model::hzl_gateway.type_code;

class HZL_blatt : public ui::Form {
  public:
    HZL_blatt();

    // Places the cell editor over (edit_row, edit_col) of flg_param and focuses it.
    void set_edit_text();
    // Hides the cell editor without storing; the keys it had go back to the grid.
    void drop_editor();

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void Form_Unload(int& cancel);
    void Command3D1_Click();
    void cmd_hzl_save_Click();
    void SSCommand1_Click();
    void Timer1_Timer();
    void B_Zurueck_Click();
    void flg_param_Click();
    void flg_param_Scroll();
    void txt_edit_KeyDown(int& key_code, int shift);
    void txt_edit_KeyPress(int& key);
    void txt_edit_LostFocus();

    // Page variables.
    std::int16_t hzl_adr_value = 1;
    std::int32_t hzl_strt_value = 1;
    std::int16_t edit_col = 1;
    std::int16_t edit_row = 1;
    // -2 up, -1 back, 0 none, 1 forward, 2 down: set by the editor's key down, used
    // when it is left.
    std::int16_t edit_move = 0;

    ui::TabControl SSTab1{*this, "SSTab1", {120, 120, 10560, 7680}};

    // "Settings"
    ui::CommandButton Command3D1{SSTab1.page(0), "Command3D1", {240, 480, 2280, 375}};
    ui::CommandButton cmd_hzl_save{SSTab1.page(0), "cmd_hzl_save", {2640, 480, 2280, 375}};
    ui::Label lbl_hzladr{SSTab1.page(0), "lbl_hzladr", {240, 1080, 1440, 255}};
    ui::TextBox txt_hzladr{SSTab1.page(0), "txt_hzladr", {1740, 1020, 900, 315}};
    ui::Label lbl_hzlstrt{SSTab1.page(0), "lbl_hzlstrt", {2880, 1080, 1440, 255}};
    ui::TextBox txt_hzlstrt{SSTab1.page(0), "txt_hzlstrt", {4380, 1020, 900, 315}};
    ui::Label lbl_assoc{SSTab1.page(0), "lbl_assoc", {240, 1500, 3000, 255}};
    ui::Grid flg_param{SSTab1.page(0), "flg_param", {240, 1800, 4760, 5640}};
    ui::TextBox txt_edit{SSTab1.page(0), "txt_edit", {0, 0, 1062, 232}};

    // "Diagnostics"
    ui::Grid flg_diag{SSTab1.page(1), "flg_diag", {60, 480, 10440, 2040}};
    ui::CommandButton SSCommand1{SSTab1.page(1), "SSCommand1", {60, 2700, 2640, 375}};

    // "HZL-Buffer"
    ui::CheckBox chk_pool{SSTab1.page(2), "chk_pool", {240, 480, 2000, 255}};
    ui::Grid flg_result{SSTab1.page(2), "flg_result", {240, 840, 9280, 6600}};

    ui::Label lbl_ver{*this, "lbl_ver", {10800, 600, 600, 255}};
    ui::Label lbl_ver_txt{*this, "lbl_ver_txt", {11400, 600, 780, 255}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {10800, 7320, 1380, 375}};
    ui::Timer Timer1{*this, "Timer1"};

  private:
    void bind_handlers();
    void bind_link();
    void set_up_grids();
    void show_hzl_addresses();
    void move_next_hzl(int key);
    // Reads the table in its requests; false after a failed one (message shown).
    bool read_table();
    // Writes the table in its requests; false after a failed one (message shown).
    bool write_table();
    // The duplicate check; true when programming may go on.
    bool table_unique();
    // Both address boxes hold numbers the gateway takes; else the box is refused.
    bool addresses_valid();
    // Gateway block read and its type checked; messages shown on failure.
    bool read_gateway_block();
    bool set_up_ = false;
    bool editor_leaving_ = false;
};

inline ui::FormRef<HZL_blatt> hzl_blatt_inst;

// A table cell text that counts as a number: decimal digits only (value set).
bool hzl_cell_number(const std::string& text, int& value);

}  // namespace dvx::gateway

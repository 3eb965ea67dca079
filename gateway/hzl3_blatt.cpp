#include "gateway/hzl3_blatt.h"

#include <span>
#include <string>

#include "gateway/gateway_fields.h"
#include "gateway/poll_busy.h"
#include "link/link.h"
#include "link/register_images.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/gateway_kinds.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "texts/messages.h"
#include "ui/app.h"

namespace dvx::gateway {

namespace {

constexpr int block_start = link::first_register(link::RegisterArea::hzl);
constexpr int block_words = 41;  // words 0..40
constexpr std::int16_t hzl3_type = model::hzl3_gateway.type_code;
constexpr int word_version = 2;
constexpr int word_command = 34;
constexpr int word_baud = 40;
constexpr int settings_words = 7;                       // command word 34 and the settings 35..40
constexpr int first_error_word = 11, error_words = 20;  // words 11..30
constexpr double reset_wait_seconds = 5.0;
constexpr int result_start = link::first_register(link::RegisterArea::result_grid);
constexpr int result_page_words = 100;
constexpr int result_pages = 30;

struct SettingsBox {
    ui::TextBox HZL3_blatt::*box;
    int word;
    std::int32_t min, max;
    const char* caption;  // of the label before it
};
constexpr SettingsBox settings_boxes[] = {
    {&HZL3_blatt::txt_hzladr, 35, 1, 248, "HZL Address :"},
    {&HZL3_blatt::txt_hzlstrt, 36, 1, 30000, "Start Address :"},
    {&HZL3_blatt::txt_dev_cnt, 37, 1, 64, "Device Count :"},
    {&HZL3_blatt::txt_blk_len, 38, 1, 125, "Block Length :"},
    {&HZL3_blatt::txt_code_err, 39, -32768, 32767, "Code Error :"},
};

// First of the four bitmap words (devices 1..64) of diagnosis rows 1..6.
constexpr int diag_first_words[] = {3, 11, 15, 19, 23, 27};

constexpr const char* baud_items[] = {"9600", "19200", "38400", "57600"};

}  // namespace

HZL3_blatt::HZL3_blatt() : Form("HZL3_blatt") {
    set_caption("HZL-Chart");
    ui::Label* labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5};
    for (std::size_t i = 0; i < std::size(settings_boxes); ++i) {
        const SettingsBox& s = settings_boxes[i];
        labels[i]->set_caption(s.caption);
        bind_settings_box(*this, this->*s.box, link::hzl_regs[s.word], s.min, s.max,
                          [this] { restore_form(); });
    }
    Label6.set_caption("PCS Baud :");
    for (const char* item : baud_items) cmb_pcs_baud.add_item(item);
    cmb_pcs_baud.on_click = [this] {
        // A word outside the list shows no entry and stays until the user picks one.
        if (cmb_pcs_baud.list_index() >= 0) link::hzl_regs[word_baud] = cmb_pcs_baud.list_index();
    };

    Command3D1.set_caption("Read HZL");
    Command3D1.on_click = [this] { Command3D1_Click(); };
    cmd_hzl_save.set_caption("Program Settings");
    cmd_hzl_save.on_click = [this] { cmd_hzl_save_Click(); };
    cmd_reset_err.set_caption("Reset Errors");
    cmd_reset_err.on_click = [this] { cmd_reset_err_Click(); };
    B_Zurueck.set_caption("&Back to Main");
    B_Zurueck.on_click = [this] { unload(); };
    Label7.set_caption("Ver.:");

    flg_diag.set_rows(7);
    flg_diag.set_cols(65);

    Label8.set_caption("Buffer Ofset :");
    for (int k = 0; k < result_pages; ++k) cmb_buf_off.add_item(std::to_string(k * 100));
    chk_pool.set_caption("Polling");
    flg_result.set_rows(11);
    flg_result.set_cols(11);

    Timer1.set_interval(1500);
    Timer1.on_timer = [this] { Timer1_Timer(); };
    // Back, by button or frame, ends the polls also while one waits in a link pause.
    B_Zurueck.set_runs_while_busy();
    set_closes_while_busy();
    // Its tick looks at its own busy flag and at the line first (`poll_may_start`).
    Timer1.set_runs_while_busy();

    on_load = [] {
        // The link writes the result pages into this page's grid (loading it if need be).
        link::bindings().hzl3.flg_result = {
            [](int row, int col) { return hzl3_blatt_inst->flg_result.text_matrix(row, col); },
            [](int row, int col, const std::string& t) {
                hzl3_blatt_inst->flg_result.set_text_matrix(row, col, t);
            }};
    };
    on_unload = [this](int&) { mainwin::back_to_main(*this); };
}

void HZL3_blatt::get_hzl_stat(std::int16_t& ok) {
    ok = 0;
    mainwin::ops::Hourglass hourglass;
    if (link::read_regs(block_start, block_words))
        show(texts::msg_no_connection_gateway);
    else if (link::hzl_regs[0] != hzl3_type)
        show(texts::msg_wrong_device);
    else
        ok = 1;
}

void HZL3_blatt::restore_form() {
    lbl_ver_txt.set_caption(gateway_version_text(link::hzl_regs[word_version]));
    for (const SettingsBox& s : settings_boxes)
        (this->*s.box).set_text(std::to_string(link::hzl_regs[s.word]));
    cmb_pcs_baud.set_list_index(link::hzl_regs[word_baud]);
    set_hzl3_diag();
}

void HZL3_blatt::set_hzl3_form() {
    set_diag_headers(flg_diag, "Status: \\ BNR-Addr.:", 1700, 280);

    set_result_headers(flg_result);
    cmb_buf_off.set_list_index(0);
}

void HZL3_blatt::set_hzl3_diag() {
    for (int r = 1; r <= static_cast<int>(std::size(diag_first_words)); ++r)
        put_hzl3_diag(r, diag_first_words[r - 1]);
}

void HZL3_blatt::put_hzl3_diag(int row, int start_word) {
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 16; ++b) {
            const bool set = (link::hzl_regs[start_word + w] & model::bit_mask16[b]) != 0;
            flg_diag.set_text_matrix(row, 16 * w + b + 1, set ? "X" : "");
        }
}

void HZL3_blatt::Command3D1_Click() {
    std::int16_t ok = 0;
    get_hzl_stat(ok);
    if (ok == 1) restore_form();
}

void HZL3_blatt::cmd_hzl_save_Click() {
    mainwin::ops::Hourglass hourglass;
    // Word 0 alone: the edited words 34..40 stay as they are.
    if (link::read_regs(block_start, 1)) return show(texts::msg_no_connection_gateway);
    if (link::hzl_regs[0] != hzl3_type) return show(texts::msg_wrong_device);
    program_settings(link::hzl_regs, word_command, block_start, settings_words);
}

void HZL3_blatt::cmd_reset_err_Click() {
    reset_error_words(std::span(link::hzl_regs).subspan(first_error_word, error_words),
                      block_start + first_error_word, reset_wait_seconds,
                      [this] { Command3D1_Click(); });
}

void HZL3_blatt::Timer1_Timer() {
    if (!poll_may_start()) return;
    PollTick tick;
    if (chk_pool.value() != 1) return;
    const int k = cmb_buf_off.list_index();
    if (link::read_regs(result_start + result_page_words * k, result_page_words)) {
        show(texts::msg_no_connection_gateway);
        chk_pool.set_value(0);
    }
}

}  // namespace dvx::gateway

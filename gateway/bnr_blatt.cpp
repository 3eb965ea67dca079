#include "gateway/bnr_blatt.h"

#include <algorithm>
#include <span>
#include <string>

#include "gateway/gateway_fields.h"
#include "gateway/poll_busy.h"
#include "link/link.h"
#include "link/register_images.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/fault.h"

namespace dvx::gateway {

namespace {

constexpr int block_start = link::first_register(link::RegisterArea::bnr);
constexpr int word_version = 2;
constexpr int word_command = 20;
constexpr int first_error_word = 7, error_words = 10;  // words 7..16
constexpr double reset_wait_seconds = 2.0;
constexpr int data_start = link::first_register(link::RegisterArea::bnr_data), data_words = 80, data_labels = 60;
constexpr int devices = 32;
constexpr std::int16_t settings_version_limit = 500;  // behind an HZL

// What the bus mode decides: behind an HZL (1) a shorter block without the last
// three settings; behind an HZL3 (2) the full block.
struct BusModeRow {
    std::int16_t type;
    int read_words;   // from 10000
    int write_words;  // from 10020
};
constexpr BusModeRow behind_hzl{31, 23, 3};
constexpr BusModeRow behind_hzl3{33, 26, 6};
const BusModeRow& bus_row() {
    return model::bus_mode == 1 ? behind_hzl : behind_hzl3;
}

struct SettingsBox {
    ui::TextBox BNR_blatt::*box;
    ui::Label BNR_blatt::*label;
    int word;
    std::int32_t min, max;
    const char* caption;
};
constexpr SettingsBox settings_boxes[] = {
    {&BNR_blatt::Fui_val, &BNR_blatt::Label7, 21, 0, 70, "Start Address:"},
    {&BNR_blatt::txt_mlen, &BNR_blatt::Label5, 22, 1, 8, "Data Length"},
    {&BNR_blatt::txt_units_cnt, &BNR_blatt::lbl_units_cnt, 23, 1, 32, "Units Count"},
    {&BNR_blatt::txt_data_mode, &BNR_blatt::lbl_data_mode, 24, -32768, 32767, "Data Mode"},
    {&BNR_blatt::txt_code_err, &BNR_blatt::lbl_code_err, 25, -32768, 32767, "Error Code"},
};
// The first two boxes are there behind both gateways, the other three behind an HZL3.
constexpr std::size_t boxes_of_both = 2;

// Low word of the bitmap pair (devices 1..32) of diagnosis rows 1..6.
constexpr int diag_low_words[] = {3, 7, 9, 11, 13, 15};

constexpr const char* data_row_captions[] = {"  1-10", "11-20", "21-30", "31-40", "41-50", "51-60"};

}  // namespace

BNR_blatt::BNR_blatt() : Form("BNR_blatt") {
    set_caption("BNR-Chart");
    Label9.set_caption("Rack No.:");
    cmb_rack.on_click = [this] { cmb_rack_Click(); };

    Frame3D1.set_caption("Settings");
    for (const SettingsBox& s : settings_boxes) {
        (this->*s.label).set_caption(s.caption);
        bind_settings_box(*this, this->*s.box, link::bnr_regs[s.word], s.min, s.max,
                          [this] { set_bnrblatt_mask(); });
    }
    Command3D1.set_caption("Read BNR Settings");
    Command3D1.on_click = [this] { Command3D1_Click(); };
    Command3D2.set_caption("Write BNR Settings");
    Command3D2.on_click = [this] { Command3D2_Click(); };
    cmd_reset_err.set_caption("Reset Errors");
    cmd_reset_err.on_click = [this] { cmd_reset_err_Click(); };
    B_Zurueck.set_caption("&Back to Main");
    B_Zurueck.on_click = [this] { unload(); };
    Label3.set_caption("Ver.:");

    flg_diag.set_rows(7);
    flg_diag.set_cols(devices + 1);

    Frame3D3.set_caption("Process Data");
    for (int r = 0; r < static_cast<int>(std::size(data_row_captions)); ++r)
        Label6.add(r, Frame3D3, {120, 240 + r * 270, 600, 255}).set_caption(data_row_captions[r]);
    for (int i = 0; i < data_labels; ++i) {
        ui::Label& l =
            lbl_data.add(i, Frame3D3, {780 + (i % 10) * 840, 240 + (i / 10) * 270, 780, 255});
        l.set_caption("-88888");
    }
    chk_pool.set_caption("Polling");

    Timer1.set_interval(1500);
    Timer1.on_timer = [this] { Timer1_Timer(); };
    // Back, by button or frame, ends the polls also while one waits in a link pause.
    B_Zurueck.set_runs_while_busy();
    set_closes_while_busy();
    // Its tick looks at its own busy flag and at the line first (`poll_may_start`).
    Timer1.set_runs_while_busy();

    on_load = [this] {
        lbl_data.each([](int, ui::Label& l) {
            l.set_alignment(1);
            l.set_caption("-1");
        });
        const ui::ComboBox& main_rack = mainwin::hauptmenu_inst->cmb_rack;
        cmb_rack.clear();
        for (int i = 1; i <= main_rack.list_count(); ++i) cmb_rack.add_item(std::to_string(i));
        cmb_rack.set_list_index(main_rack.list_index());
    };
    on_unload = [this](int&) { mainwin::back_to_main(*this); };
}

void BNR_blatt::cmb_rack_Click() {
    // The link takes the rack from the main window's list for every request.
    mainwin::hauptmenu_inst->cmb_rack.set_list_index(cmb_rack.list_index());
}

void BNR_blatt::set_bnrblatt_mask() {
    const auto& block = link::bnr_regs;
    const bool hzl3 = model::bus_mode != 1;
    for (std::size_t i = boxes_of_both; i < std::size(settings_boxes); ++i) {
        (this->*settings_boxes[i].label).set_visible(hzl3);
        (this->*settings_boxes[i].box).set_visible(hzl3);
    }
    for (std::size_t i = 0; i < std::size(settings_boxes); ++i)
        if (hzl3 || i < boxes_of_both)
            (this->*settings_boxes[i].box).set_text(std::to_string(block[settings_boxes[i].word]));
    lbl_ver_txt.set_caption(gateway_version_text(block[word_version]));
    if (!hzl3) {
        // From version 5.00 on, start address and data length are not set from here.
        const bool settable = block[word_version] < settings_version_limit;
        for (std::size_t i = 0; i < boxes_of_both; ++i) {
            (this->*settings_boxes[i].label).set_visible(settable);
            (this->*settings_boxes[i].box).set_visible(settable);
        }
        Command3D2.set_enabled(settable);
    }

    for (int r = 1; r <= static_cast<int>(std::size(diag_low_words)); ++r) {
        const int w = diag_low_words[r - 1];
        const std::int32_t bitmap = model::long_from_words(block[w], block[w + 1]);
        for (int d = 1; d <= devices; ++d)
            flg_diag.set_text_matrix(r, d, (bitmap & model::bit_mask32[d - 1]) ? "X" : " ");
    }
}

void BNR_blatt::get_bnr_stat(std::int16_t show_msg, std::int16_t& ok) {
    ok = 0;
    const BusModeRow& row = bus_row();
    try {
        if (link::read_regs(block_start, row.read_words)) {
            if (show_msg) show(texts::msg_no_connection_gateway);
        } else if (link::bnr_regs[0] == row.type) {
            ok = 1;
        } else if (show_msg) {
            show(texts::msg_wrong_device);
        }
    } catch (const ui::UiFault& e) {
        show(e.what());
    }
}

void BNR_blatt::set_bnr_form() {
    set_diag_headers(flg_diag, "Status: \\ Device:", 1350, 260);
}

void BNR_blatt::Command3D1_Click() {
    std::int16_t ok = 0;
    get_bnr_stat(1, ok);
    if (ok == 1) set_bnrblatt_mask();
}

void BNR_blatt::Command3D2_Click() {
    program_settings(link::bnr_regs, word_command, block_start, bus_row().write_words);
}

void BNR_blatt::cmd_reset_err_Click() {
    if (model::bus_mode == 1) return;  // a concentrator behind an HZL has no reset
    reset_error_words(std::span(link::bnr_regs).subspan(first_error_word, error_words),
                      block_start + first_error_word, reset_wait_seconds,
                      [this] { Command3D1_Click(); });
}

void BNR_blatt::Timer1_Timer() {
    if (!poll_may_start()) return;
    try {
        PollTick tick;
        if (chk_pool.value() != 1) return;
        link::reg_win_start = data_start;
        link::reg_win_count = data_words;
        if (link::read_reg_window()) {
            mainwin::ops::show(texts::msg_no_connection_gateway);
            chk_pool.set_value(0);
            return;
        }
        lbl_data.each(
            [](int i, ui::Label& l) { l.set_caption(model::hex4(link::bnr_data_regs[i])); });
    } catch (const ui::UiFault& e) {
        show(e.what());
    }
}

}  // namespace dvx::gateway

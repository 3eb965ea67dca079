#include "gateway/hzl_blatt.h"

#include <algorithm>

#include "gateway/gateway_fields.h"
#include "gateway/poll_busy.h"
#include "link/link_bindings.h"
#include "link/register_images.h"
#include "link/transactions.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/page_openers.h"
#include "model/grid_services.h"
#include "model/number_text.h"
#include "platform/cp1252.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::gateway {

namespace {

constexpr int gateway_block = link::first_register(link::RegisterArea::hzl);
constexpr int gateway_block_words = 20;
constexpr int command_word = 20;
constexpr int table_first = link::first_register(link::RegisterArea::hzl_table);
constexpr int result_first = link::first_register(link::RegisterArea::result_grid);

struct AddressBox {
    ui::TextBox HZL_blatt::*box;
    std::int32_t min, max;
};
constexpr AddressBox address_box[] = {
    {&HZL_blatt::txt_hzladr, 1, 248},
    {&HZL_blatt::txt_hzlstrt, 1, 30000},
};

// The page's table requests: 64 words each, the last one what is left (ten in all).
template <class F>
bool each_table_request(F transfer) {
    for (int offset = 0; offset < hzl_table_words; offset += hzl_table_request) {
        const int n = std::min(hzl_table_request, hzl_table_words - offset);
        if (transfer(table_first + offset, n) != 0) {
            show(texts::msg_no_connection_gateway);
            return false;
        }
    }
    return true;
}

}  // namespace

HZL_blatt::HZL_blatt() : Form("HZL_blatt", {0, 0, 12360, 8400}) {
    set_caption("HZL-Chart");
    SSTab1.set_tabs(3);
    SSTab1.set_tab_caption(0, "Settings");
    SSTab1.set_tab_caption(1, "Diagnostics");
    SSTab1.set_tab_caption(2, "HZL-Buffer");
    Command3D1.set_caption("Read HZL Settings");
    cmd_hzl_save.set_caption("Program Settings");
    lbl_hzladr.set_caption("HZL Address :");
    lbl_hzlstrt.set_caption("Start Address :");
    lbl_assoc.set_caption("Association of Variables:");
    flg_param.set_rows(hzl_variables + 1);
    flg_param.set_cols(4);
    txt_edit.set_visible(false);
    flg_diag.set_rows(7);
    flg_diag.set_cols(hzl_racks + 1);
    SSCommand1.set_caption("Update Status Display");
    chk_pool.set_caption("Polling");
    flg_result.set_rows(hzl_variables / 10 + 1);
    flg_result.set_cols(11);
    lbl_ver.set_caption("Ver.:");
    B_Zurueck.set_caption("&Back to Main");
    Timer1.set_interval(1500);
    bind_handlers();
}

void HZL_blatt::bind_handlers() {
    on_load = [this] { Form_Load(); };
    on_activate = [this] { Form_Activate(); };
    on_unload = [this](int& cancel) { Form_Unload(cancel); };
    Command3D1.on_click = [this] { Command3D1_Click(); };
    cmd_hzl_save.on_click = [this] { cmd_hzl_save_Click(); };
    SSCommand1.on_click = [this] { SSCommand1_Click(); };
    Timer1.on_timer = [this] { Timer1_Timer(); };
    B_Zurueck.on_click = [this] { B_Zurueck_Click(); };
    // Back, by button or frame, ends the polls also while one waits in a link pause.
    B_Zurueck.set_runs_while_busy();
    set_closes_while_busy();
    // Its tick looks at its own busy flag and at the line first (`poll_may_start`).
    Timer1.set_runs_while_busy();
    flg_param.on_click = [this] { flg_param_Click(); };
    flg_param.on_scroll = [this] { flg_param_Scroll(); };
    txt_edit.on_key_down = [this](int& k, int shift) { txt_edit_KeyDown(k, shift); };
    txt_edit.on_key_press = [this](int& k) { txt_edit_KeyPress(k); };
    txt_edit.on_lost_focus = [this] { txt_edit_LostFocus(); };
    for (const AddressBox& a : address_box) {
        ui::TextBox& box = this->*a.box;
        box.on_key_press = [this, &box](int& k) {
            filter_number_key(k, box);
            move_next_hzl(k);
        };
        filter_number_paste(box);
    }
    txt_hzladr.on_lost_focus = [this] {
        store_number_box(txt_hzladr, hzl_adr_value, address_box[0].min, address_box[0].max);
    };
    txt_hzlstrt.on_lost_focus = [this] {
        auto v = static_cast<std::int16_t>(hzl_strt_value);
        if (store_number_box(txt_hzlstrt, v, address_box[1].min, address_box[1].max) == 0)
            hzl_strt_value = v;
    };
}

// The link reads and fills the page's controls; once the page is gone it finds
// nothing there (a transfer ending after Back reloads no page).
void HZL_blatt::bind_link() {
    auto text = [](ui::TextBox HZL_blatt::*box) {
        return link::TextBinding{[box] {
                                     HZL_blatt* p = hzl_blatt_inst.peek();
                                     return p ? (p->*box).text() : std::string();
                                 },
                                 [box](const std::string& t) {
                                     if (HZL_blatt* p = hzl_blatt_inst.peek())
                                         (p->*box).set_text(t);
                                 }};
    };
    auto grid = [](ui::Grid HZL_blatt::*g) {
        return link::GridBinding{[g](int row, int col) {
                                     HZL_blatt* p = hzl_blatt_inst.peek();
                                     return p ? (p->*g).text_matrix(row, col) : std::string();
                                 },
                                 [g](int row, int col, const std::string& t) {
                                     if (HZL_blatt* p = hzl_blatt_inst.peek())
                                         (p->*g).set_text_matrix(row, col, t);
                                 }};
    };
    auto& b = link::bindings().hzl;
    b.txt_hzladr = text(&HZL_blatt::txt_hzladr);
    b.txt_hzlstrt = text(&HZL_blatt::txt_hzlstrt);
    b.flg_param = grid(&HZL_blatt::flg_param);
    b.flg_result = grid(&HZL_blatt::flg_result);
    b.lbl_ver_txt = [] {
        HZL_blatt* p = hzl_blatt_inst.peek();
        return p ? p->lbl_ver_txt.caption() : std::string();
    };
}

void HZL_blatt::Form_Load() {
    bind_link();
}

// The set-up runs once per opening: a later activation (back from another window)
// must not put 1 into boxes that hold what was read.
void HZL_blatt::Form_Activate() {
    if (set_up_) return;
    set_up_ = true;
    set_up_grids();
    hzl_adr_value = 1;
    hzl_strt_value = 1;
    show_hzl_addresses();
    // Until the gateway's own settings are read, the page holds a blank table and
    // addresses of 1: programming those would wipe the gateway's variable table.
    cmd_hzl_save.set_enabled(false);
}

void HZL_blatt::set_up_grids() {
    flg_param.set_text_matrix(0, 0, "Variable:");
    flg_param.set_text_matrix(0, 1, "Rack");
    flg_param.set_text_matrix(0, 2, platform::to_cp1252("Gerät"));
    flg_param.set_text_matrix(0, 3, "Ovr. Chk.");
    for (int c = 0; c < 4; ++c) {
        flg_param.set_col_width(c, 1070);
        flg_param.set_col_alignment(c, 2);
    }
    for (int r = 1; r < flg_param.rows(); ++r) flg_param.set_text_matrix(r, 0, std::to_string(r));

    set_diag_headers(flg_diag, "Status: \\ BNR-Nr.:", 1700, 280);
    flg_diag.set_text_matrix(1, 0, platform::to_cp1252("Aktive Geräte"));
    set_result_headers(flg_result);
}

void HZL_blatt::show_hzl_addresses() {
    txt_hzladr.set_text(std::to_string(hzl_adr_value));
    txt_hzlstrt.set_text(std::to_string(hzl_strt_value));
}

void HZL_blatt::move_next_hzl(int key) {
    model::entry_key(key, [this] { show_hzl_addresses(); });
}

bool HZL_blatt::read_gateway_block() {
    if (link::read_regs(gateway_block, gateway_block_words) != 0) {
        show(texts::msg_no_connection_gateway);
        return false;
    }
    if (link::hzl_regs[0] != hzl_type_code) {
        show(texts::msg_wrong_device);
        return false;
    }
    lbl_ver_txt.set_caption(gateway_version_text(link::hzl_regs[2]));
    return true;
}

void HZL_blatt::Command3D1_Click() {
    if (!read_gateway_block()) return;
    if (link::hzl_regs[2] < hzl_version_no_table) {
        if (!read_table()) {
            // A partly read table must not be programmed back.
            flg_param.set_enabled(false);
            cmd_hzl_save.set_enabled(false);
            return;
        }
        flg_param.set_enabled(true);
    } else {
        flg_param.set_enabled(false);
        if (link::read_regs(table_first, 2) != 0) {
            show(texts::msg_no_connection_gateway);
            cmd_hzl_save.set_enabled(false);
            return;
        }
    }
    hzl_adr_value = model::text_to_raw(txt_hzladr.text());
    hzl_strt_value = model::text_to_raw(txt_hzlstrt.text());
    cmd_hzl_save.set_enabled(true);
    model::set_hzl_diag(flg_diag);
}

bool HZL_blatt::read_table() {
    return each_table_request([this](int start, int n) {
        // Back pressed while the link waited: nothing more to read into.
        return loaded() ? link::read_regs(start, n) : std::int16_t{2};
    });
}

bool HZL_blatt::write_table() {
    return each_table_request([this](int start, int n) {
        return loaded() ? link::write_regs(start, n) : std::int16_t{2};
    });
}

bool HZL_blatt::table_unique() {
    int rack = 0, device = 0;
    for (int i = 1; i <= hzl_variables; ++i) {
        const std::string rack_i = flg_param.text_matrix(i, 1);
        const std::string device_i = flg_param.text_matrix(i, 2);
        if (!hzl_cell_number(rack_i, rack) || !hzl_cell_number(device_i, device)) continue;
        // A free variable reads as rack 0, device 0; free ones never clash.
        if (rack == 0 && device == 0) continue;
        for (int j = i + 1; j <= hzl_variables; ++j) {
            if (flg_param.text_matrix(j, 1) == rack_i && flg_param.text_matrix(j, 2) == device_i) {
                show(texts::msg_duplicate_assignment + "(" + std::to_string(i) + "," +
                     std::to_string(j) + ")");
                return false;
            }
        }
    }
    return true;
}

bool HZL_blatt::addresses_valid() {
    for (const AddressBox& a : address_box) {
        ui::TextBox& box = this->*a.box;
        int v = 0;
        if (hzl_cell_number(box.text(), v) && v >= a.min && v <= a.max) continue;
        mainwin::ops::show(texts::msg_invalid_field_value);
        if (box.can_focus()) box.set_focus();
        return false;
    }
    return true;
}

void HZL_blatt::cmd_hzl_save_Click() {
    mainwin::ops::Hourglass pointer;
    if (flg_param.enabled() && !table_unique()) return;
    // The boxes may hold what a gateway sent (0, 300 ...): never send such a text.
    if (!addresses_valid()) return;
    if (!read_gateway_block()) return;
    if (link::hzl_regs[2] >= hzl_version_no_table) {
        if (link::write_regs(table_first, 2) != 0) {
            show(texts::msg_no_connection_gateway);
            return;
        }
    } else if (!write_table()) {
        // The gateway must not take over a table it got only in part.
        return;
    }
    link::hzl_regs[command_word] = 1;
    if (link::write_regs(gateway_block + command_word, 1) != 0)
        show(texts::msg_no_connection_gateway);
}

void HZL_blatt::SSCommand1_Click() {
    if (link::read_regs(gateway_block, gateway_block_words) != 0) {
        show(texts::msg_no_connection_gateway);
        return;
    }
    if (link::hzl_regs[0] == hzl_type_code)
        model::set_hzl_diag(flg_diag);
    else
        show(texts::msg_wrong_device);
}

void HZL_blatt::Timer1_Timer() {
    if (!poll_may_start()) return;
    PollTick busy;
    if (chk_pool.value() != 1) return;
    for (int k = 0; k < hzl_result_pages && loaded(); ++k) {
        if (link::read_regs(result_first + hzl_result_page_words * k, hzl_result_page_words) != 0) {
            show(texts::msg_no_connection_gateway);
            if (loaded()) chk_pool.set_value(0);
            return;
        }
    }
}

void HZL_blatt::B_Zurueck_Click() {
    unload();
}

void HZL_blatt::Form_Unload(int&) {
    mainwin::back_to_main(*this);
}

}  // namespace dvx::gateway

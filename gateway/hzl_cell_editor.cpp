// The cell editor over the variable table: a text box laid over one "Rack" or "Gerät"
// cell. Its key down notes where the user wants to go; leaving it stores the value and
// moves it there (Tab that never reached the key down is read from the keyboard).
#include <charconv>

#include "gateway/hzl_blatt.h"
#include "mainwin/device_ops_common.h"
#include "model/grid_services.h"
#include "texts/messages.h"
#include "ui/keyboard.h"
#include "ui/services.h"

namespace dvx::gateway {

namespace {

// The editor sits inside the cell's lines.
constexpr int editor_inset = 52;
constexpr int editor_shrink = 8;
// Rows the grid shows at once below its header.
constexpr int visible_rows = 21;

}  // namespace

bool hzl_cell_number(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return true;
}

void HZL_blatt::flg_param_Click() {
    const int r = flg_param.mouse_row();
    const int c = flg_param.mouse_col();
    if ((c == 1 || c == 2) && r > 0) {
        flg_param.set_col(c);
        flg_param.set_col_sel(c);
        edit_col = static_cast<std::int16_t>(c);
        edit_row = static_cast<std::int16_t>(r);
        set_edit_text();
    } else if (c == 3 && r >= 1 && lbl_ver_txt.caption() >= "2.03") {
        // Gateways before 2.03 keep no mark: the column stays as read.
        flg_param.set_text_matrix(r, 3, flg_param.text_matrix(r, 3).empty() ? "X" : "");
    }
}

void HZL_blatt::flg_param_Scroll() {
    // The editor is left its normal way first, so a number typed into it is kept (or
    // refused with its box) before the editor goes. The editor's own moves scroll too.
    if (!editor_leaving_ && txt_edit.visible() && txt_edit.has_focus() && flg_param.can_focus())
        flg_param.set_focus();
    drop_editor();
}

void HZL_blatt::drop_editor() {
    const bool had_keys = txt_edit.has_focus();
    txt_edit.set_visible(false);
    if (had_keys && flg_param.can_focus()) flg_param.set_focus();
}

void HZL_blatt::set_edit_text() {
    txt_edit.move(flg_param.left() + flg_param.col_pos(edit_col) + editor_inset,
                  flg_param.top() + flg_param.row_pos(edit_row) + editor_inset,
                  flg_param.col_width(edit_col) - editor_shrink,
                  flg_param.row_height(edit_row) - editor_shrink);
    const std::string text = flg_param.text_matrix(edit_row, edit_col);
    txt_edit.set_text(text);
    txt_edit.set_visible(true);
    txt_edit.set_sel_start(0);
    txt_edit.set_sel_length(static_cast<int>(text.size()));
    if (txt_edit.can_focus()) txt_edit.set_focus();
}

void HZL_blatt::txt_edit_KeyDown(int& key_code, int shift) {
    switch (key_code) {
        case ui::vk_tab:
            edit_move = (shift & ui::shift_mask) ? -1 : 1;
            break;
        case ui::vk_up:
            edit_move = -2;
            ui::send_keys("{TAB}");
            break;
        case ui::vk_down:
            edit_move = 2;
            ui::send_keys("{TAB}");
            break;
        case ui::vk_return:
            edit_move = 1;
            break;
        default:
            edit_move = 0;
    }
}

void HZL_blatt::txt_edit_KeyPress(int& key) {
    if (model::grid_key_filter(key, 1, 3) == 1) drop_editor();
}

void HZL_blatt::txt_edit_LostFocus() {
    // The refusal box takes the focus and so leaves the editor once more: one check.
    if (editor_leaving_) return;
    editor_leaving_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{editor_leaving_};
    const std::string text = txt_edit.text();
    if (text.empty()) {
        flg_param.set_text_matrix(edit_row, 1, "");
        flg_param.set_text_matrix(edit_row, 2, "");
    } else {
        // Whole numbers only: a fraction such as 5.5 is no rack or slot.
        int value = 0;
        const int max = edit_col == 1 ? hzl_racks : hzl_slots;
        if (!hzl_cell_number(text, value) || value < 1 || value > max) {
            if (ui::msg_box(texts::msg_invalid_field_value, ui::mb_ok_cancel | ui::mb_critical,
                            mainwin::ops::title) == ui::id_ok) {
                if (txt_edit.visible() && txt_edit.can_focus()) txt_edit.set_focus();
            } else {
                // Cancel keeps the cell. Left by a key, the keys stay with the table: the
                // next control in tab order is Back, where one more Enter would drop the
                // whole unprogrammed table. A click keeps the control clicked. (Enter and
                // the arrows leave by a Tab keystroke too; edit_move may be an older key's.)
                const bool by_key = ui::key_down(ui::vk_tab);
                txt_edit.set_visible(false);
                if (by_key && flg_param.can_focus()) flg_param.set_focus();
            }
            return;
        }
        flg_param.set_text_matrix(edit_row, edit_col, std::to_string(value));
    }

    if (edit_move == 0 && !ui::key_down(ui::vk_return) && ui::key_down(ui::vk_tab))
        edit_move = ui::key_down(ui::vk_shift) ? -1 : 1;
    int row = edit_row;
    int col = edit_col;
    switch (edit_move) {
        case -2:
            if (row > 1) --row;
            break;
        case -1:
            if (col == 2)
                col = 1;
            else if (row > 1)
                --row, col = 2;
            break;
        case 1:
            if (col == 1)
                col = 2;
            else if (row < hzl_variables)
                ++row, col = 1;
            break;
        case 2:
            if (row < hzl_variables) ++row;
            break;
        default:
            break;
    }
    if (row == edit_row && col == edit_col) {
        txt_edit.set_visible(false);
        edit_move = 0;
        return;
    }
    if (row < flg_param.top_row())
        flg_param.set_top_row(row);
    else if (row - flg_param.top_row() >= visible_rows)
        flg_param.set_top_row(row - (visible_rows - 1));
    edit_row = static_cast<std::int16_t>(row);
    edit_col = static_cast<std::int16_t>(col);
    set_edit_text();
    edit_move = 0;
}

}  // namespace dvx::gateway

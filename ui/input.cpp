#include "ui/input.h"

#include <algorithm>
#include <cctype>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/keyboard.h"
#include "ui/ui_state.h"

namespace dvx::ui {

using detail::st;

namespace detail {

// US layout for punctuation; letters by case; other bytes give their own code.
int char_key_code(unsigned char ch, int& shift) {
    shift = 0;
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 'A';
    if (ch >= 'A' && ch <= 'Z') {
        shift = shift_mask;
        return ch;
    }
    if (ch >= '0' && ch <= '9') return ch;
    switch (ch) {
        case ' ':
            return vk_space;
        case '.':
            return 190;
        case ',':
            return 188;
        case '-':
            return 189;
        case '`':
            return 192;
        case '\r':
            return vk_return;
        case 27:
            return vk_escape;
        case 8:
            return vk_back;
        case '\t':
            return vk_tab;
        default:
            shift = (std::ispunct(ch) != 0) ? shift_mask : 0;
            return ch;
    }
}

}  // namespace detail

namespace {

// Refused while a transaction is underway unless marked to run then (app.h).
bool usable_now(Control& c) {
    return c.alive() && c.form().loaded() && c.form().visible() && c.shown() && c.usable() &&
           !detail::refused_while_busy(c);
}

// The user moves the focus to `c`: true when it landed there (a LostFocus handler may
// keep it elsewhere), and then the window counts the move.
bool move_focus_by_user(Control& c) {
    detail::move_focus(&c);
    if (st().focus != &c) return false;
    c.form().count_user_focus_move();
    return true;
}

// A user's click first activates the form and moves the focus to a focusable
// control; false when a LostFocus handler kept the focus elsewhere.
bool take_focus(Control& c) {
    Form& f = c.form();
    if (!f.is_active()) detail::activate(f, !c.focusable_kind());
    if (!c.alive()) return false;
    if (!c.focusable_kind()) return true;
    if (!c.can_focus()) return false;
    return move_focus_by_user(c);
}

int ascii_of_key(int key, int shift) {
    const bool up = (shift & shift_mask) != 0;
    if (key >= 'A' && key <= 'Z') return up ? key : key - 'A' + 'a';
    if (key >= '0' && key <= '9') return key;
    switch (key) {
        case vk_back:
            return 8;
        case vk_tab:
            return 9;
        case vk_return:
            return 13;
        case vk_escape:
            return 27;
        case vk_space:
            return 32;
        default:
            return -1;
    }
}

// Tab navigation; false when no other control could take the focus.
bool navigate(Control& from, bool back) {
    Control* target = from.form().next_in_tab_order(from, back);
    if (!target) return false;
    if (detail::give_keys(*target)) target->form().count_user_focus_move();
    return true;
}

}  // namespace

namespace detail {

Control* keys_control() {
    settle_focus();
    Control* c = st().focus;
    if (!c || !c->alive() || refused_while_busy(*c)) return nullptr;
    return c;
}

void dispatch_key(Control& c, int key, int shift, int ascii) {
    KeyHold hold(key, shift);
    if (key == vk_tab && (shift & (ctrl_mask | alt_mask)) == 0 && navigate(c, shift & shift_mask))
        return;
    int code = key;
    c.raise_key("KeyDown", c.on_key_down, code, shift);
    if (!c.alive()) return;
    if (ascii >= 0) {
        c.raise_press(ascii);
        if (ascii != 0 && c.alive()) c.default_char(ascii);
    } else {
        c.default_key(key, shift);
    }
    if (!c.alive()) return;
    int up = key;
    c.raise_key("KeyUp", c.on_key_up, up, shift);
}

}  // namespace detail

bool user_click(Control& c) {
    if (c.kind() == Kind::menu) {
        auto& m = static_cast<MenuItem&>(c);
        if (!m.alive() || !m.form().loaded() || !m.reachable() || detail::refused_while_busy(m))
            return false;
        m.raise("Click", m.on_click);
        return true;
    }
    if (!usable_now(c) || !take_focus(c)) return false;
    c.user_click_action();
    c.raise("Click", c.on_click);
    return true;
}

bool user_dbl_click(Control& c) {
    if (!user_click(c)) return false;
    c.raise("DblClick", c.on_dbl_click);
    return true;
}

bool user_select(ListControl& list, int index) {
    if (!usable_now(list) || index < 0 || index >= list.list_count() || !take_focus(list))
        return false;
    list.select_quiet(index);
    list.raise("Click", list.on_click);
    return true;
}

bool user_select(ListView& view, int item, bool double_click) {
    if (!usable_now(view) || item < 0 || item > view.item_count() || !take_focus(view))
        return false;
    if (item > 0) view.set_selected_index(item);
    view.raise("Click", view.on_click);
    if (double_click) view.raise("DblClick", view.on_dbl_click);
    return true;
}

bool user_click_cell(Grid& grid, int row, int col) {
    if (!usable_now(grid) || row < 0 || row >= grid.rows() || col < 0 || col >= grid.cols())
        return false;
    if (!take_focus(grid)) return false;
    grid.set_mouse_cell(row, col);
    if (row >= grid.fixed_rows() && col >= grid.fixed_cols()) {
        grid.set_row(row);
        grid.set_col(col);
    }
    grid.raise("Click", grid.on_click);
    return true;
}

bool user_scroll(Grid& grid, int top_row) {
    if (!usable_now(grid)) return false;
    grid.user_scroll_to(top_row);
    return true;
}

bool user_scroll(VScrollBar& bar, ScrollAction action, int value) {
    if (!usable_now(bar) || !take_focus(bar)) return false;
    switch (action) {
        case ScrollAction::line_down:
            bar.set_value(bar.stepped(1, false));
            break;
        case ScrollAction::line_up:
            bar.set_value(bar.stepped(-1, false));
            break;
        case ScrollAction::page_down:
            bar.set_value(bar.stepped(1, true));
            break;
        case ScrollAction::page_up:
            bar.set_value(bar.stepped(-1, true));
            break;
        case ScrollAction::drag:
            bar.user_drag(value);
            break;
        case ScrollAction::release:
            bar.user_release(value);
            break;
    }
    return true;
}

namespace {

// True when `c` sits on a page of `tab` other than `page`, so switching hides it.
bool hidden_by_switch(const Control& c, const TabControl& tab, int page) {
    for (const Control* at = &c; at; at = at->container())
        if (at->container() == &tab) return at->tab_page() != page;
    return false;
}

}  // namespace

bool user_switch_tab(TabControl& tab, int index) {
    if (!usable_now(tab) || index < 0 || index >= tab.tabs()) return false;
    // A control the switch would hide is left its normal way first, as when a click takes
    // the keys from it: its LostFocus stores the value or refuses it. A refusal (the
    // handler gave the keys back to it) keeps the tab.
    Control* had = st().focus;
    if (had && had->alive() && hidden_by_switch(*had, tab, index)) {
        const auto gen = st().focus_gen;
        detail::move_focus(&tab);  // the tab control takes no keys: only the leave runs
        const bool refused =
            st().focus_gen != gen + 1 && st().focus == had && had->alive() && had->can_focus();
        if (refused || !usable_now(tab)) return false;
    }
    tab.set_tab(index);
    return true;
}

bool user_focus(Control& c) {
    if (!usable_now(c) || !c.focusable_kind()) return false;
    return take_focus(c);
}

bool user_wheel(Control& c, int notches) {
    constexpr int rows_a_notch = 3;
    if (notches == 0 || !usable_now(c) || st().focus != &c) return false;
    const bool up = notches > 0;
    const int n = up ? notches : -notches;
    switch (c.kind()) {
        case Kind::combo_box:
            for (int i = 0; i < n && c.alive(); ++i) c.default_key(up ? vk_up : vk_down, 0);
            return true;
        case Kind::list_box:
            static_cast<ListControl&>(c).scroll_rows((up ? -1 : 1) * rows_a_notch * n);
            return true;
        case Kind::grid: {
            auto& g = static_cast<Grid&>(c);
            g.user_scroll_to(g.top_row() + (up ? -1 : 1) * rows_a_notch * n);
            return true;
        }
        case Kind::vscroll_bar: {
            auto& b = static_cast<VScrollBar&>(c);
            b.set_value(b.stepped(up ? -n : n, false));
            return true;
        }
        default:
            return false;
    }
}

bool user_access_key(Control& c) {
    // A label's access key gives the keys to the next control in tab order that can
    // take them, as a Tab from the label would.
    if (c.kind() == Kind::label) {
        if (!usable_now(c)) return false;
        Control* next = c.form().next_in_tab_order(c, false);
        return next && user_access_key(*next);
    }
    if (!usable_now(c) || !c.focusable_kind()) return false;
    Form& f = c.form();
    if (!f.is_active()) detail::activate(f, false);
    if (!c.alive() || !c.can_focus() || !detail::give_keys(c)) return false;
    f.count_user_focus_move();
    return true;
}

bool user_key(int key_code, int shift) {
    Control* c = detail::keys_control();
    if (!c) return false;
    detail::dispatch_key(*c, key_code, shift, ascii_of_key(key_code, shift));
    return true;
}

bool user_type(const std::string& text) {
    for (char ch : text) {
        Control* c = detail::keys_control();
        if (!c) return false;
        int shift = 0;
        const auto b = static_cast<unsigned char>(ch);
        const int key = detail::char_key_code(b, shift);
        detail::dispatch_key(*c, key, shift, b);
    }
    return true;
}

bool user_paste(TextBox& t, const std::string& text) {
    if (detail::keys_control() != &t) return false;
    std::string keys;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch == '\r' || ch == '\n') {
            if (!t.multi_line()) break;
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            keys += '\r';
        } else if (ch >= 32 && ch != 127) {
            keys += static_cast<char>(ch);
        }
    }
    if (t.on_paste) {
        std::string with;
        for (char ch : keys) with += ch == '\r' ? std::string("\r\n") : std::string(1, ch);
        t.on_paste(with);
        if (with.empty() || !t.alive() || t.locked()) return true;
        const auto after = t.text().size() - static_cast<std::size_t>(t.sel_length()) + with.size();
        if (t.max_length() > 0 && after > static_cast<std::size_t>(t.max_length())) return true;
        t.set_sel_text(with);
        return true;
    }
    for (char ch : keys) {
        if (st().focus != &t) break;
        user_type(std::string(1, ch));
    }
    return true;
}

bool user_close(Form& f) {
    if (!f.loaded() || (transaction_underway() && !f.closes_while_busy())) return false;
    f.unload();
    return true;
}

bool user_resize(Form& f, int width, int height) {
    if (!f.loaded() || f.window_state() != ws_normal) return false;
    f.move(f.left(), f.top(), width, height);
    return true;
}

bool user_window_state(Form& f, int state) {
    if (!f.loaded()) return false;
    f.set_window_state(state);
    return true;
}

bool user_activate(Form& f) {
    // Activating moves the keys, and the control left runs its LostFocus.
    if (!f.loaded() || !f.visible() || transaction_underway()) return false;
    detail::activate(f, true);
    return true;
}

}  // namespace dvx::ui

#pragma once
// The user's actions as the renderer and the tests deliver them. Each follows the
// classic order: a focusable control first takes the focus (old LostFocus, new
// GotFocus, nested), then its value changes, then Click. Actions on hidden or
// disabled controls, or on unloaded forms, are dropped and return false.
// Tests usually queue them for a pump point: loop.post([&] { user_click(f->B_ok); }).
#include <string>

namespace dvx::ui {

class Control;
class TextBox;
class Form;
class ListControl;
class ListView;
class Grid;
class VScrollBar;
class TabControl;
class MenuItem;

// Click on a control (button, check box, option, label, menu item, ...).
bool user_click(Control& c);
bool user_dbl_click(Control& c);
// Chooses a list entry (combo or list box): focus, ListIndex, Click (even unchanged).
bool user_select(ListControl& list, int index);
// Clicks a list-view row (1-based; 0 clicks the empty area): Click, and DblClick too
// when `double_click`.
bool user_select(ListView& view, int item, bool double_click = false);
// Clicks a grid cell: focus, MouseRow/MouseCol and Row/Col set, Click.
bool user_click_cell(Grid& grid, int row, int col);
// The user scrolls the grid so that `top_row` is at the top: Scroll.
bool user_scroll(Grid& grid, int top_row);
enum class ScrollAction { line_down, line_up, page_down, page_up, drag, release };
// Scroll bar: arrows and page areas give Change; drag gives Scroll with the thumb at
// `value`, release gives Change at `value`.
bool user_scroll(VScrollBar& bar, ScrollAction action, int value = 0);
bool user_switch_tab(TabControl& tab, int index);
// Moves the focus by a user's click into a control (no Click).
bool user_focus(Control& c);
// The mouse wheel turned over `c` by `notches` (positive: away from the user). Only the
// control with the keys takes it: a combo box moves its choice one entry a notch (as an
// arrow key, Click), a list box and a grid scroll three rows a notch, a scroll bar one
// line (Change); other kinds take nothing. False when nothing took it.
bool user_wheel(Control& c, int notches);

// Moves the focus by an access key into a control (no Click): as the keyboard moved
// into it, a single-line text box has its whole text selected. A label's access key
// moves it into the next control in tab order that can take it.
bool user_access_key(Control& c);

// A key on the focused control: KeyDown(code, shift) -> KeyPress(ascii) -> default
// editing -> KeyUp. Tab and Shift+Tab move the focus instead while another control
// can take it. `shift` is the ShiftMask. Returns false when no control has the focus.
bool user_key(int key_code, int shift = 0);
// Types characters (Windows-1252 bytes) one key each.
bool user_type(const std::string& text);
// The desktop's paste into the text box `t` while it has the focus. A single-line box
// takes the first line; in a multi-line box each line break (CR LF, LF or CR) is one
// Enter; tabs and other control characters are dropped. A box with on_paste judges the
// text as a whole (the selection replaced, Change); else each character is typed
// through KeyPress, and the paste ends where a handler moved the focus.
bool user_paste(TextBox& t, const std::string& text);

// Closes a form by its frame: Unload(cancel) as for unload by code.
bool user_close(Form& f);
bool user_resize(Form& f, int width, int height);
bool user_window_state(Form& f, int state);
// Activates a visible form (a click on its frame).
bool user_activate(Form& f);

}  // namespace dvx::ui

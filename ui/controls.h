#pragma once
// The controls of the window layer. Each is created as a member of its form, with its
// designed geometry in twips relative to its container:
//   Frame fra_bulk{*this, "fra_bulk", {120, 2400, 6000, 3000}};
//   ListView liv_scan{fra_bulk, "liv_scan", {240, 720, 5400, 2000}};
// Code-set values raise the same event as the user's action, nested and only when
// the value changes (list index, check value, option value, scroll value, grid top
// row); user actions always raise it (input.h).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/text_metrics.h"

namespace dvx::ui {

class Label : public CaptionControl {
  public:
    Label(Parent p, std::string name, Rect r = {}, int index = -1)
        : CaptionControl(Kind::label, p, std::move(name), r, index) {}
    int alignment() const { return alignment_; }  // 0 left, 1 right, 2 centre
    void set_alignment(int a);

  private:
    int alignment_ = 0;
};

class TextBox : public Control {
  public:
    TextBox(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::text_box, p, std::move(name), r, index) {}
    std::string text() const override { return text_; }
    // Raises Change when the text differs. MaxLength limits typing only.
    void set_text(std::string t);
    int max_length() const { return max_length_; }  // 0: no limit
    void set_max_length(int n);
    bool multi_line() const { return multi_line_; }  // Enter inserts CR LF
    void set_multi_line(bool m);
    const std::string& password_char() const { return password_char_; }  // "" or "*"
    void set_password_char(std::string c);
    int alignment() const { return alignment_; }
    void set_alignment(int a);
    bool locked() const { return locked_; }
    void set_locked(bool l);
    int sel_start() const { return std::min(anchor_, caret_); }
    void set_sel_start(int s);  // clamps to the text, clears the selection
    int sel_length() const { return std::abs(caret_ - anchor_); }
    void set_sel_length(int n);  // clamps to the text; the caret at the selection's end
    std::string sel_text() const;
    void set_sel_text(const std::string& t);  // replaces the selection (Change)
    // The selection's two ends: the caret, where Shift with a caret key extends it, and its
    // anchor (the caret alone: both the same).
    int caret() const { return caret_; }
    int anchor() const { return anchor_; }
    // The user's selection from `anchor` to `caret` (each clamped to the text; a CR LF is
    // never split).
    void select(int anchor, int caret);
    // A double click at `pos`: the run of characters between blanks there (a whole number
    // with its sign and point; a password box: its whole text); a triple click: the whole
    // line there.
    void select_word_at(int pos);
    void select_line_at(int pos);
    // The keys reached the box without a click (on): a single-line box has its whole text
    // selected, and keeps it so when code sets a new text before the user moves the caret
    // or types (a page filled after it opened on the box). Off when the focus leaves.
    void set_keys_entered(bool on);

    std::function<void()> on_change;
    // A paste (user_paste) into the box as one piece: the handler may change the text,
    // or empty it to refuse the paste. Without it each character is typed as a key.
    std::function<void(std::string& text)> on_paste;

    bool focusable_kind() const override { return true; }
    void default_char(int ascii) override;
    void default_key(int key_code, int shift) override;

  private:
    void replace_selection(const std::string& with);
    // Every change of the text, the caret or the selection comes here and is told.
    void assign(std::string text, int anchor, int caret);
    int clamped(int pos) const;
    void erase(int from, int to);
    int step_left(int pos) const;
    int step_right(int pos) const;
    int line_start(int pos) const;
    int line_end(int pos) const;
    int line_step(int pos, bool down) const;
    int row_step(int pos, RowMove move) const;
    std::string text_;
    int max_length_ = 0;
    bool multi_line_ = false;
    std::string password_char_;
    int alignment_ = 0;
    bool locked_ = false;
    int anchor_ = 0;
    int caret_ = 0;
    bool keys_entered_ = false;
};

// Combo box (drop-down list) and list box: items, ListIndex (-1 = none), Text.
class ListControl : public Control {
  public:
    ListControl(Kind k, Parent p, std::string name, Rect r, int index)
        : Control(k, p, std::move(name), r, index) {}
    // Empties the list: no selection, no Click.
    void clear();
    void add_item(std::string text);
    // Inserts at `index` (0..ListCount); UiFault beyond. The selection stays on its item.
    void add_item(std::string text, int index);
    int list_count() const { return static_cast<int>(items_.size()); }
    // Item text; "" for an index outside the list (as the classic List() reads).
    std::string list(int index) const;
    int list_index() const { return list_index_; }
    // Raises Click when the index changes. An index outside -1..ListCount-1 leaves
    // no selection (-1).
    void set_list_index(int index);
    // The selected item's text, "" when none.
    std::string text() const override;
    int top_index() const { return top_index_; }
    // A selection without Click (the user action raises it itself).
    void select_quiet(int index);

    bool focusable_kind() const override { return true; }
    // Arrow, Home/End and Page keys move the selection as a click would: Click.
    void default_key(int key_code, int shift) override;
    // Scrolls by `rows` (negative: up) without moving the selection; the last page
    // stays full.
    void scroll_rows(int rows);

  protected:
    // How far Page Up/Down move the selection.
    virtual int page_rows() const = 0;

  private:
    std::vector<std::string> items_;
    int list_index_ = -1;
    int top_index_ = 0;
};

class ComboBox : public ListControl {
  public:
    ComboBox(Parent p, std::string name, Rect r = {}, int index = -1)
        : ListControl(Kind::combo_box, p, std::move(name), r, index) {}

  protected:
    int page_rows() const override;
};

class ListBox : public ListControl {
  public:
    ListBox(Parent p, std::string name, Rect r = {}, int index = -1)
        : ListControl(Kind::list_box, p, std::move(name), r, index) {}

  protected:
    int page_rows() const override;
};

class CommandButton : public CaptionControl {
  public:
    CommandButton(Parent p, std::string name, Rect r = {}, int index = -1)
        : CaptionControl(Kind::command_button, p, std::move(name), r, index) {}
    bool focusable_kind() const override { return true; }
};

// A frame holds other controls: their positions are relative to it, they are hidden
// with it, and option buttons inside form one group.
class Frame : public CaptionControl {
  public:
    Frame(Parent p, std::string name, Rect r = {}, int index = -1)
        : CaptionControl(Kind::frame, p, std::move(name), r, index) {}
    bool is_container() const override { return true; }
};

class CheckBox : public CaptionControl {
  public:
    CheckBox(Parent p, std::string name, Rect r = {}, int index = -1)
        : CaptionControl(Kind::check_box, p, std::move(name), r, index) {}
    int value() const { return value_; }  // 0 unchecked, 1 checked, 2 grey
    // Raises Click when the value changes; UiFault outside 0..2.
    void set_value(int v);
    bool focusable_kind() const override { return true; }
    void user_click_action() override;  // toggles

  private:
    int value_ = 0;
};

// Option buttons are exclusive within their container (form, frame, picture or tab
// page). Setting one by code or by the user clears the others without raising their
// Click; Click is raised on the one whose value was set (when it changed, or always
// for a user click). The handler reads value().
class OptionButton : public CaptionControl {
  public:
    OptionButton(Parent p, std::string name, Rect r = {}, int index = -1)
        : CaptionControl(Kind::option_button, p, std::move(name), r, index) {}
    bool value() const { return value_; }
    void set_value(bool v);
    bool focusable_kind() const override { return true; }
    void user_click_action() override;

  private:
    void set_quiet(bool v);
    void clear_siblings();
    bool value_ = false;
};

class ListView;

// One row of a report-style list view. SubItems are numbered from 1.
class ListItem {
  public:
    ListItem(ListView& owner, std::string text) : owner_(&owner), text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    void set_text(std::string t);
    std::string sub_item(int k) const;  // "" when never set
    void set_sub_item(int k, std::string t);

  private:
    ListView* owner_;
    std::string text_;
    std::vector<std::string> subs_;
};

class ListView : public Control {
  public:
    ListView(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::list_view, p, std::move(name), r, index) {}
    // Column headers, numbered from 1.
    void add_column(std::string text, int width = 1440);
    int column_count() const { return static_cast<int>(columns_.size()); }
    const std::string& column_text(int i) const;
    void set_column_text(int i, std::string t);
    int column_width(int i) const;
    // ListItems, numbered from 1.
    void clear_items();
    ListItem& add_item(std::string text);
    int item_count() const { return static_cast<int>(items_.size()); }
    ListItem& item(int i) const;  // UiFault outside 1..count
    // SelectedItem: null when none.
    ListItem* selected_item() const;
    int selected_index() const { return selected_; }  // 0 = none
    void set_selected_index(int i);                   // no event

    bool focusable_kind() const override { return true; }
    // Up/Left and Down/Right one row, Home/End to the ends, then Click, as a click on
    // the row (no selection: Down and Up take the first row).
    void default_key(int key_code, int shift) override;
    void item_changed() { changed("Items"); }

  private:
    struct Column {
        std::string text;
        int width;
    };
    std::vector<Column> columns_;
    std::deque<ListItem> items_;
    int selected_ = 0;
};

// A grid of text cells with fixed rows/columns at the top/left. Row and column
// numbers start at 0 and include the fixed ones.
class Grid : public Control {
  public:
    Grid(Parent p, std::string name, Rect r = {}, int index = -1);
    int rows() const { return rows_; }
    void set_rows(int n);
    int cols() const { return cols_; }
    void set_cols(int n);
    int fixed_rows() const { return fixed_rows_; }
    void set_fixed_rows(int n);
    int fixed_cols() const { return fixed_cols_; }
    void set_fixed_cols(int n);
    const std::string& text_matrix(int row, int col) const;  // UiFault outside
    void set_text_matrix(int row, int col, std::string t);
    // Text of the current cell (Row, Col).
    std::string text() const override;
    void set_text(std::string t);
    int col_width(int col) const;
    void set_col_width(int col, int twips);
    int row_height(int row) const;
    // Position of a cell's left/top edge relative to the grid, after scrolling.
    int col_pos(int col) const;
    int row_pos(int row) const;
    int col_alignment(int col) const;  // 0 left-top ... 2 left-bottom ... 9 general
    void set_col_alignment(int col, int a);
    int top_row() const { return top_row_; }
    // Raises Scroll when the top row changes (by code too). UiFault outside the
    // scrollable rows.
    void set_top_row(int r);
    int left_col() const { return left_col_; }
    void set_left_col(int c);
    int row() const { return row_; }
    void set_row(int r);
    int col() const { return col_; }
    void set_col(int c);
    int row_sel() const { return row_sel_; }
    int col_sel() const { return col_sel_; }
    void set_col_sel(int c);
    // The cell under the mouse at the last user click.
    int mouse_row() const { return mouse_row_; }
    int mouse_col() const { return mouse_col_; }
    void set_mouse_cell(int row, int col) { mouse_row_ = row, mouse_col_ = col; }

    std::function<void()> on_scroll;

    bool focusable_kind() const override { return true; }
    void user_scroll_to(int top_row);

  private:
    void check_cell(int row, int col) const;
    void reshape(int rows, int cols);
    int rows_ = 2, cols_ = 2, fixed_rows_ = 1, fixed_cols_ = 1;
    std::vector<std::string> cells_;                       // rows_ x cols_
    std::vector<int> col_width_, row_height_, col_align_;  // RowHeight: 240 twips, set by no window
    int top_row_ = 1, left_col_ = 1, row_ = 1, col_ = 1, row_sel_ = 1, col_sel_ = 1;
    int mouse_row_ = 0, mouse_col_ = 0;
};

// Tabs with captions; controls placed on page(i) are shown (and focusable) only while
// tab i is selected. Switching tabs raises no events.
class TabControl : public Control {
  public:
    TabControl(Parent p, std::string name, Rect r = {}, int index = -1);
    int tabs() const { return static_cast<int>(captions_.size()); }
    void set_tabs(int n);
    const std::string& tab_caption(int i) const;
    void set_tab_caption(int i, std::string c);
    int tab() const { return tab_; }
    void set_tab(int i);  // UiFault outside 0..tabs-1
    TabPage page(int i) { return TabPage{this, i}; }
    bool is_container() const override { return true; }

  private:
    std::vector<std::string> captions_;
    int tab_ = 0;
};

// A bar gauge set by code only. UiFault for a value outside Min..Max.
class Gauge : public Control {
  public:
    Gauge(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::gauge, p, std::move(name), r, index) {}
    int min() const { return min_; }
    void set_min(int v);
    int max() const { return max_; }
    void set_max(int v);
    int value() const { return value_; }
    void set_value(int v);
    bool vertical() const { return vertical_; }
    void set_vertical(bool v);

  private:
    int min_ = 0, max_ = 100, value_ = 0;
    bool vertical_ = false;  // a bar filling from the left; the online page stands its own up
};

// Vertical scroll bar. Min may exceed Max (then the top is the larger value). A
// code-set Value outside the range is clamped into it; Change is raised when the
// stored value changes.
class VScrollBar : public Control {
  public:
    VScrollBar(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::vscroll_bar, p, std::move(name), r, index) {}
    int min() const { return min_; }
    void set_min(int v);
    int max() const { return max_; }
    void set_max(int v);
    int value() const { return value_; }
    void set_value(int v);
    int small_change() const { return small_; }
    void set_small_change(int v);
    int large_change() const { return large_; }
    void set_large_change(int v);

    std::function<void()> on_change;
    std::function<void()> on_scroll;

    bool focusable_kind() const override { return true; }
    // A user step towards Max (down) or Min (up) by small/large change, clamped.
    int stepped(int steps, bool large) const;
    void user_drag(int v);     // Scroll
    void user_release(int v);  // Change
    void default_key(int key_code, int shift) override;

  private:
    int clamp(int v) const;
    bool store(int v);  // clamped; true when the value changed
    int min_ = 0, max_ = 32767, value_ = 0, small_ = 1, large_ = 1;
};

// A static line from (x1, y1) to (x2, y2) in its container's twips.
class Line : public Control {
  public:
    Line(Parent p, std::string name, Rect r = {}, int index = -1);
    int x1() const { return x1_; }
    int y1() const { return y1_; }
    int x2() const { return x2_; }
    int y2() const { return y2_; }
    std::uint32_t border_color() const { return fore_color(); }
    void set_left(int v) override;
    void set_top(int v) override;

  private:
    void sync_rect();
    int x1_, y1_, x2_, y2_;
};

// A picture box (may hold controls) or an image; `picture` names the resource shown.
class Picture : public Control {
  public:
    Picture(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::picture, p, std::move(name), r, index) {}
    const std::string& picture() const { return picture_; }
    void set_picture(std::string name);
    int border_style() const { return border_style_; }  // 1 fixed single, 0 none
    void set_border_style(int b);
    bool is_container() const override { return true; }

  private:
    std::string picture_;
    int border_style_ = 1;
};

class Image : public Control {
  public:
    Image(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::image, p, std::move(name), r, index) {}
    const std::string& picture() const { return picture_; }
    void set_picture(std::string name);
    bool stretch() const { return stretch_; }
    void set_stretch(bool s);

  private:
    std::string picture_;
    bool stretch_ = false;
};

// A timer ticks every Interval ms while Enabled and its form is loaded (also while
// the form is hidden). Ticks arrive only at pump points; a late timer ticks once.
// Setting Interval or Enabled restarts the count.
class Timer : public Control {
  public:
    Timer(Parent p, std::string name, Rect r = {}, int index = -1);
    ~Timer() override;
    int interval() const { return interval_; }
    void set_interval(int ms);
    bool running() const;

    std::function<void()> on_timer;

    // Used by the timer set: runs the tick.
    void tick();

  private:
    void enabled_changed() override;
    void reschedule();
    int interval_ = 0;
    friend class TimerSet;
};

// A menu item: top level (on the form) or below another item. Caption "-" is a
// separator. Click on a user choice; menus take no focus.
class MenuItem : public CaptionControl {
  public:
    MenuItem(Form& form, std::string name, std::string caption = {}, int index = -1);
    MenuItem(MenuItem& parent, std::string name, std::string caption = {}, int index = -1);
    // Control-array form: ControlArray<MenuItem>::add(index, parent) works too.
    MenuItem(Parent p, std::string name, Rect r = {}, int index = -1);
    MenuItem* parent_menu() const { return parent_menu_; }
    const std::vector<MenuItem*>& children() const { return children_; }
    bool checked() const { return checked_; }
    bool is_separator() const { return caption() == "-"; }
    // Visible and enabled along the whole menu path.
    bool reachable() const;
    ~MenuItem() override;

  private:
    MenuItem* parent_menu_ = nullptr;
    std::vector<MenuItem*> children_;
    bool checked_ = false;
};

// The serial-port control: forwards to services().port. UiFault "Device
// unavailable" when no port service is installed; the port itself faults on
// operations while closed.
class CommControl : public Control {
  public:
    CommControl(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::comm, p, std::move(name), r, index) {}
    int comm_port() const;
    void set_comm_port(int number);
    std::string settings() const;
    void set_settings(const std::string& s);
    bool port_open() const;
    void set_port_open(bool open);
    int in_buffer_count() const;
    void set_in_buffer_count(int n);  // 0 discards the input
    // Send count: kept by the port (SerialPort::out_count, discard_output), read there.
    void set_input_len(int n) { input_len_ = n; }  // bytes per input(); 0 = all
    std::vector<std::uint8_t> input();
    void output(std::span<const std::uint8_t> bytes);

  private:
    int input_len_ = 0;
};

}  // namespace dvx::ui

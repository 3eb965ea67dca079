#include "ui/controls.h"

#include <algorithm>
#include <cmath>

#include "ui/fault.h"
#include "ui/form.h"
#include "ui/keyboard.h"
#include "ui/services.h"
#include "ui/ui_state.h"

namespace dvx::ui {

namespace {
[[noreturn]] void bad_value() {
    throw UiFault(fault_text::invalid_value);
}
[[noreturn]] void bad_index() {
    throw UiFault(fault_text::bad_subscript);
}
}  // namespace

// ---- Label

void Label::set_alignment(int a) {
    if (a < 0 || a > 2) bad_value();
    if (a == alignment_) return;
    alignment_ = a;
    changed("Alignment");
}

// ---- TextBox

void TextBox::set_text(std::string t) {
    if (t == text_) return;
    text_ = std::move(t);
    if (keys_entered_) {
        sel_start_ = 0;
        sel_length_ = static_cast<int>(text_.size());
    } else {
        sel_start_ = std::min<int>(sel_start_, static_cast<int>(text_.size()));
        sel_length_ = 0;
    }
    changed("Text");
    raise("Change", on_change);
}

void TextBox::set_max_length(int n) {
    if (n < 0) bad_value();
    max_length_ = n;
    changed("MaxLength");
}

void TextBox::set_multi_line(bool m) {
    multi_line_ = m;
    changed("MultiLine");
}

void TextBox::set_password_char(std::string c) {
    if (c.size() > 1) c.resize(1);
    password_char_ = std::move(c);
    changed("PasswordChar");
}

void TextBox::set_alignment(int a) {
    if (a < 0 || a > 2) bad_value();
    alignment_ = a;
    changed("Alignment");
}

void TextBox::set_locked(bool l) {
    locked_ = l;
    changed("Locked");
}

void TextBox::set_keys_entered(bool on) {
    if (on && multi_line_) return;
    keys_entered_ = false;
    if (!on) return;
    const int n = static_cast<int>(text_.size());
    if (sel_start_ != 0 || sel_length_ != n) {
        set_sel_start(0);
        set_sel_length(n);
    }
    keys_entered_ = true;
}

void TextBox::set_sel_start(int s) {
    keys_entered_ = false;
    if (s < 0) bad_value();
    sel_start_ = std::min<int>(s, static_cast<int>(text_.size()));
    sel_length_ = 0;
    changed("SelStart");
}

void TextBox::set_sel_length(int n) {
    keys_entered_ = false;
    if (n < 0) bad_value();
    sel_length_ = std::min<int>(n, static_cast<int>(text_.size()) - sel_start_);
    changed("SelLength");
}

std::string TextBox::sel_text() const {
    return text_.substr(sel_start_, sel_length_);
}

void TextBox::replace_selection(const std::string& with) {
    keys_entered_ = false;
    std::string t = text_;
    t.replace(sel_start_, sel_length_, with);
    const int caret = sel_start_ + static_cast<int>(with.size());
    set_text(std::move(t));
    sel_start_ = std::min<int>(caret, static_cast<int>(text_.size()));
    sel_length_ = 0;
}

void TextBox::set_sel_text(const std::string& t) {
    replace_selection(t);
}

void TextBox::default_char(int ascii) {
    if (locked_) return;
    if (ascii == 8) {
        if (sel_length_ == 0) {
            if (sel_start_ == 0) return;
            --sel_start_;
            sel_length_ = 1;
        }
        replace_selection("");
        return;
    }
    std::string with;
    if (ascii == 13) {
        if (!multi_line_) return;
        with = "\r\n";
    } else if (ascii < 32) {
        return;  // Esc and other control characters insert nothing
    } else {
        with.assign(1, static_cast<char>(ascii));
    }
    const auto after = text_.size() - sel_length_ + with.size();
    if (max_length_ > 0 && after > static_cast<std::size_t>(max_length_)) return;
    replace_selection(with);
}

void TextBox::default_key(int key, int shift) {
    keys_entered_ = false;
    const int n = static_cast<int>(text_.size());
    switch (key) {
        case vk_left:
            sel_start_ = std::max(0, sel_start_ - 1);
            break;
        case vk_right:
            sel_start_ = std::min(n, sel_start_ + sel_length_ + 1);
            break;
        case vk_home:
            sel_start_ = 0;
            break;
        case vk_end:
            sel_start_ = n;
            break;
        case vk_delete:
            if (locked_) return;
            if (sel_length_ == 0) {
                if (sel_start_ >= n) return;
                sel_length_ = 1;
            }
            replace_selection("");
            return;
        default:
            return;
    }
    sel_length_ = 0;
}

// ---- ListControl

void ListControl::clear() {
    if (items_.empty() && list_index_ == -1) return;
    items_.clear();
    list_index_ = -1;
    top_index_ = 0;
    changed("Items");
    changed("ListIndex");
}

void ListControl::add_item(std::string text) {
    add_item(std::move(text), list_count());
}

void ListControl::add_item(std::string text, int index) {
    if (index < 0 || index > list_count()) throw UiFault(fault_text::invalid_call);
    items_.insert(items_.begin() + index, std::move(text));
    changed("Items");
    if (list_index_ >= index) {
        ++list_index_;
        changed("ListIndex");
    }
}

std::string ListControl::list(int index) const {
    if (index < 0 || index >= list_count()) return {};
    return items_[index];
}

void ListControl::select_quiet(int index) {
    if (index < -1 || index >= list_count()) index = -1;
    if (index == list_index_) return;
    list_index_ = index;
    changed("ListIndex");
}

void ListControl::set_list_index(int index) {
    const int before = list_index_;
    select_quiet(index);
    if (list_index_ != before) raise("Click", on_click);
}

void ListControl::default_key(int key, int) {
    const int n = list_count();
    if (n == 0) return;
    const int at = list_index_;
    int to = at;
    switch (key) {
        case vk_up:
        case vk_left:
            to = at - 1;
            break;
        case vk_down:
        case vk_right:
            to = at + 1;
            break;
        case vk_prior:
            to = at - page_rows();
            break;
        case vk_next:
            to = at < 0 ? 0 : at + page_rows();
            break;
        case vk_home:
            to = 0;
            break;
        case vk_end:
            to = n - 1;
            break;
        default:
            return;
    }
    to = std::clamp(to, 0, n - 1);
    if (to == at) return;
    select_quiet(to);
    // The selection stays in view.
    const int rows = page_rows();
    if (to < top_index_) {
        top_index_ = to;
        changed("TopIndex");
    } else if (to >= top_index_ + rows) {
        top_index_ = to - rows + 1;
        changed("TopIndex");
    }
    raise("Click", on_click);
}

namespace {
// A list row is about 1.18 times the font's size (13 pixels at 8.25 points).
constexpr double list_row_per_point = 20 * 1.18;
// The drop-down list of a combo box shows 8 rows.
constexpr int combo_drop_rows = 8;
}  // namespace

void ListControl::scroll_rows(int rows) {
    const int last = std::max(0, list_count() - page_rows());
    const int top = std::clamp(top_index_ + rows, 0, last);
    if (top == top_index_) return;
    top_index_ = top;
    changed("TopIndex");
}

int ComboBox::page_rows() const {
    return combo_drop_rows;
}

int ListBox::page_rows() const {
    const int row = std::max(1, static_cast<int>(std::lround(font().size * list_row_per_point)));
    return std::max(1, height() / row);
}

std::string ListControl::text() const {
    return list(list_index_);
}

// ---- CheckBox

void CheckBox::set_value(int v) {
    if (v < 0 || v > 2) bad_value();
    if (v == value_) return;
    value_ = v;
    changed("Value");
    raise("Click", on_click);
}

void CheckBox::user_click_action() {
    value_ = value_ == 1 ? 0 : 1;
    changed("Value");
}

// ---- OptionButton

void OptionButton::set_quiet(bool v) {
    if (v == value_) return;
    value_ = v;
    changed("Value");
}

void OptionButton::clear_siblings() {
    for (Control* c : form().controls()) {
        if (c == this || c->kind() != Kind::option_button) continue;
        if (c->container() != container() || c->tab_page() != tab_page()) continue;
        static_cast<OptionButton*>(c)->set_quiet(false);
    }
}

void OptionButton::set_value(bool v) {
    if (v == value_) return;
    set_quiet(v);
    if (v) clear_siblings();
    raise("Click", on_click);
}

void OptionButton::user_click_action() {
    set_quiet(true);
    clear_siblings();
}

// ---- ListView

void ListItem::set_text(std::string t) {
    text_ = std::move(t);
    owner_->item_changed();
}

std::string ListItem::sub_item(int k) const {
    if (k < 1) bad_index();
    return k <= static_cast<int>(subs_.size()) ? subs_[k - 1] : std::string();
}

void ListItem::set_sub_item(int k, std::string t) {
    if (k < 1 || k > 64) bad_index();
    if (k > static_cast<int>(subs_.size())) subs_.resize(k);
    subs_[k - 1] = std::move(t);
    owner_->item_changed();
}

void ListView::add_column(std::string text, int width) {
    columns_.push_back({std::move(text), width});
    changed("ColumnHeaders");
}

const std::string& ListView::column_text(int i) const {
    if (i < 1 || i > column_count()) bad_index();
    return columns_[i - 1].text;
}

void ListView::set_column_text(int i, std::string t) {
    if (i < 1 || i > column_count()) bad_index();
    columns_[i - 1].text = std::move(t);
    changed("ColumnHeaders");
}

int ListView::column_width(int i) const {
    if (i < 1 || i > column_count()) bad_index();
    return columns_[i - 1].width;
}

void ListView::clear_items() {
    items_.clear();
    selected_ = 0;
    changed("Items");
}

ListItem& ListView::add_item(std::string text) {
    items_.emplace_back(*this, std::move(text));
    changed("Items");
    return items_.back();
}

ListItem& ListView::item(int i) const {
    if (i < 1 || i > item_count()) bad_index();
    return const_cast<ListItem&>(items_[i - 1]);
}

ListItem* ListView::selected_item() const {
    return selected_ > 0 ? &item(selected_) : nullptr;
}

void ListView::set_selected_index(int i) {
    if (i < 0 || i > item_count()) bad_index();
    if (i == selected_) return;
    selected_ = i;
    changed("SelectedItem");
}

void ListView::default_key(int key, int) {
    const int n = item_count();
    if (n == 0) return;
    int to = selected_;
    switch (key) {
        case vk_up:
        case vk_left:
            to = selected_ == 0 ? 1 : selected_ - 1;
            break;
        case vk_down:
        case vk_right:
            to = selected_ + 1;
            break;
        case vk_home:
            to = 1;
            break;
        case vk_end:
            to = n;
            break;
        default:
            return;
    }
    to = std::clamp(to, 1, n);
    if (to == selected_) return;
    set_selected_index(to);
    raise("Click", on_click);
}

// ---- Grid

Grid::Grid(Parent p, std::string name, Rect r, int index)
    : Control(Kind::grid, p, std::move(name), r, index) {
    reshape(2, 2);
}

void Grid::reshape(int rows, int cols) {
    std::vector<std::string> cells(static_cast<std::size_t>(rows) * cols);
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            if (!cells_.empty()) cells[r * cols + c] = std::move(cells_[r * cols_ + c]);
    cells_ = std::move(cells);
    rows_ = rows;
    cols_ = cols;
    col_width_.resize(cols, 960);
    col_align_.resize(cols, 9);
    row_height_.resize(rows, 240);
    auto fit = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
    top_row_ = fit(top_row_, fixed_rows_, std::max(fixed_rows_, rows - 1));
    left_col_ = fit(left_col_, fixed_cols_, std::max(fixed_cols_, cols - 1));
    row_ = fit(row_, 0, rows - 1);
    col_ = fit(col_, 0, cols - 1);
    row_sel_ = fit(row_sel_, 0, rows - 1);
    col_sel_ = fit(col_sel_, 0, cols - 1);
}

void Grid::set_rows(int n) {
    if (n < fixed_rows_ || n < 1) bad_value();
    reshape(n, cols_);
    changed("Rows");
}

void Grid::set_cols(int n) {
    if (n < fixed_cols_ || n < 1) bad_value();
    reshape(rows_, n);
    changed("Cols");
}

void Grid::set_fixed_rows(int n) {
    if (n < 0 || n >= rows_) bad_value();
    fixed_rows_ = n;
    if (top_row_ < n) top_row_ = n;
    changed("FixedRows");
}

void Grid::set_fixed_cols(int n) {
    if (n < 0 || n >= cols_) bad_value();
    fixed_cols_ = n;
    if (left_col_ < n) left_col_ = n;
    changed("FixedCols");
}

void Grid::check_cell(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) bad_index();
}

const std::string& Grid::text_matrix(int row, int col) const {
    check_cell(row, col);
    return cells_[row * cols_ + col];
}

void Grid::set_text_matrix(int row, int col, std::string t) {
    check_cell(row, col);
    auto& cell = cells_[row * cols_ + col];
    if (cell == t) return;
    cell = std::move(t);
    changed("TextMatrix");
}

std::string Grid::text() const {
    return text_matrix(row_, col_);
}
void Grid::set_text(std::string t) {
    set_text_matrix(row_, col_, std::move(t));
}

int Grid::col_width(int col) const {
    check_cell(0, col);
    return col_width_[col];
}

void Grid::set_col_width(int col, int twips) {
    check_cell(0, col);
    if (twips < -1) bad_value();
    col_width_[col] = twips < 0 ? 960 : twips;
    changed("ColWidth");
}

int Grid::row_height(int row) const {
    check_cell(row, 0);
    return row_height_[row];
}

// Fixed cells stay put; scrollable ones start after the fixed ones at LeftCol/TopRow.
// A cell scrolled out of view reads its unscrolled position minus the scrolled extent.
static int edge_pos(const std::vector<int>& sizes, int fixed, int first_shown, int i) {
    int p = 0;
    for (int k = 0; k < std::min(i, fixed); ++k) p += sizes[k];
    if (i < fixed) return p;
    for (int k = first_shown; k < i; ++k) p += sizes[k];
    for (int k = i; k < first_shown; ++k) p -= sizes[k];
    return p;
}

int Grid::col_pos(int col) const {
    check_cell(0, col);
    return edge_pos(col_width_, fixed_cols_, left_col_, col);
}

int Grid::row_pos(int row) const {
    check_cell(row, 0);
    return edge_pos(row_height_, fixed_rows_, top_row_, row);
}

int Grid::col_alignment(int col) const {
    check_cell(0, col);
    return col_align_[col];
}

void Grid::set_col_alignment(int col, int a) {
    check_cell(0, col);
    if (a < 0 || a > 9) bad_value();
    col_align_[col] = a;
    changed("ColAlignment");
}

void Grid::set_top_row(int r) {
    if (r < fixed_rows_ || r >= rows_) bad_value();
    if (r == top_row_) return;
    top_row_ = r;
    changed("TopRow");
    raise("Scroll", on_scroll);
}

void Grid::user_scroll_to(int r) {
    if (rows_ <= fixed_rows_) return;  // nothing to scroll
    set_top_row(std::max(fixed_rows_, std::min(r, rows_ - 1)));
}

void Grid::set_left_col(int c) {
    if (c < fixed_cols_ || c >= cols_) bad_value();
    if (c == left_col_) return;
    left_col_ = c;
    changed("LeftCol");
    raise("Scroll", on_scroll);
}

void Grid::set_row(int r) {
    check_cell(r, 0);
    row_ = row_sel_ = r;
    changed("Row");
}

void Grid::set_col(int c) {
    check_cell(0, c);
    col_ = col_sel_ = c;
    changed("Col");
}

void Grid::set_col_sel(int c) {
    check_cell(0, c);
    col_sel_ = c;
    changed("ColSel");
}

// ---- TabControl

TabControl::TabControl(Parent p, std::string name, Rect r, int index)
    : Control(Kind::tab_control, p, std::move(name), r, index), captions_(3) {}

void TabControl::set_tabs(int n) {
    if (n < 1) bad_value();
    captions_.resize(n);
    if (tab_ >= n) tab_ = n - 1;
    changed("Tabs");
}

const std::string& TabControl::tab_caption(int i) const {
    if (i < 0 || i >= tabs()) bad_index();
    return captions_[i];
}

void TabControl::set_tab_caption(int i, std::string c) {
    if (i < 0 || i >= tabs()) bad_index();
    captions_[i] = std::move(c);
    changed("TabCaption");
}

void TabControl::set_tab(int i) {
    if (i < 0 || i >= tabs()) bad_value();
    if (i == tab_) return;
    tab_ = i;
    changed("Tab");
    // A focused control on the page going away passes the focus on.
    Control* f = detail::st().focus;
    if (f && &f->form() == &form() && !f->shown()) detail::pass_focus_on(*f);
}

// ---- Gauge

void Gauge::set_min(int v) {
    min_ = v;
    if (value_ < v) value_ = v;
    changed("Min");
}

void Gauge::set_max(int v) {
    max_ = v;
    if (value_ > v) value_ = v;
    changed("Max");
}

void Gauge::set_value(int v) {
    if (v < min_ || v > max_) bad_value();
    if (v == value_) return;
    value_ = v;
    changed("Value");
}

void Gauge::set_vertical(bool v) {
    vertical_ = v;
    changed("Orientation");
}

// ---- VScrollBar

int VScrollBar::clamp(int v) const {
    const int lo = std::min(min_, max_), hi = std::max(min_, max_);
    return std::max(lo, std::min(v, hi));
}

void VScrollBar::set_min(int v) {
    min_ = v;
    changed("Min");
    set_value(value_);
}

void VScrollBar::set_max(int v) {
    max_ = v;
    changed("Max");
    set_value(value_);
}

bool VScrollBar::store(int v) {
    v = clamp(v);
    if (v == value_) return false;
    value_ = v;
    changed("Value");
    return true;
}

void VScrollBar::set_value(int v) {
    if (store(v)) raise("Change", on_change);
}

void VScrollBar::set_small_change(int v) {
    if (v < 0) bad_value();
    small_ = v;
}

void VScrollBar::set_large_change(int v) {
    if (v < 0) bad_value();
    large_ = v;
}

int VScrollBar::stepped(int steps, bool large) const {
    const int dir = max_ >= min_ ? 1 : -1;
    return clamp(value_ + steps * dir * (large ? large_ : small_));
}

void VScrollBar::user_drag(int v) {
    store(v);
    raise("Scroll", on_scroll);
}

void VScrollBar::user_release(int v) {
    store(v);
    raise("Change", on_change);
}

void VScrollBar::default_key(int key, int) {
    int v;
    switch (key) {
        case vk_down:
            v = stepped(1, false);
            break;
        case vk_up:
            v = stepped(-1, false);
            break;
        case vk_next:
            v = stepped(1, true);
            break;
        case vk_prior:
            v = stepped(-1, true);
            break;
        default:
            return;
    }
    set_value(v);
}

// ---- Line

Line::Line(Parent p, std::string name, Rect r, int index)
    : Control(Kind::line, p, std::move(name), r, index),
      x1_(r.left),
      y1_(r.top),
      x2_(r.left + r.width),
      y2_(r.top + r.height) {}

void Line::sync_rect() {
    Control::set_left(std::min(x1_, x2_));
    Control::set_top(std::min(y1_, y2_));
    set_width(std::abs(x2_ - x1_));
    set_height(std::abs(y2_ - y1_));
}

void Line::set_left(int v) {
    const int d = v - std::min(x1_, x2_);
    x1_ += d, x2_ += d;
    sync_rect();
}
void Line::set_top(int v) {
    const int d = v - std::min(y1_, y2_);
    y1_ += d, y2_ += d;
    sync_rect();
}

// ---- Picture, Image

void Picture::set_picture(std::string name) {
    picture_ = std::move(name);
    changed("Picture");
}

void Picture::set_border_style(int b) {
    border_style_ = b;
    changed("BorderStyle");
}

void Image::set_picture(std::string name) {
    picture_ = std::move(name);
    changed("Picture");
}

void Image::set_stretch(bool s) {
    stretch_ = s;
    changed("Stretch");
}

// ---- Timer

Timer::Timer(Parent p, std::string name, Rect r, int index)
    : Control(Kind::timer, p, std::move(name), r, index) {
    set_visible(false);
}

Timer::~Timer() {
    detail::timer_set(this, false);
}

void Timer::set_interval(int ms) {
    if (ms < 0 || ms > 65535) bad_value();
    interval_ = ms;
    changed("Interval");
    reschedule();
}

void Timer::enabled_changed() {
    reschedule();
}

void Timer::reschedule() {
    detail::timer_set(this, alive() && enabled() && interval_ > 0);
}

bool Timer::running() const {
    return detail::timer_running(this);
}

void Timer::tick() {
    raise("Timer", on_timer);
}

// ---- MenuItem

MenuItem::MenuItem(Form& form, std::string name, std::string caption, int index)
    : CaptionControl(Kind::menu, form, std::move(name), {}, index) {
    set_caption(std::move(caption));
}

MenuItem::MenuItem(MenuItem& parent, std::string name, std::string caption, int index)
    : CaptionControl(Kind::menu, Parent(parent), std::move(name), {}, index),
      parent_menu_(&parent) {
    parent.children_.push_back(this);
    set_caption(std::move(caption));
}

MenuItem::MenuItem(Parent p, std::string name, Rect r, int index)
    : CaptionControl(Kind::menu, p, std::move(name), r, index) {
    if (p.container && p.container->kind() == Kind::menu) {
        parent_menu_ = static_cast<MenuItem*>(p.container);
        parent_menu_->children_.push_back(this);
    }
}

MenuItem::~MenuItem() {
    if (parent_menu_) {
        auto& c = parent_menu_->children_;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
}

bool MenuItem::reachable() const {
    return shown() && usable() && !is_separator();
}

// ---- CommControl

namespace {
SerialPort& port() {
    SerialPort* p = services().port;
    if (!p) throw UiFault(fault_text::no_port);
    return *p;
}
}  // namespace

int CommControl::comm_port() const {
    return port().port_number();
}
void CommControl::set_comm_port(int number) {
    port().set_port_number(number);
}
std::string CommControl::settings() const {
    return port().settings();
}
void CommControl::set_settings(const std::string& s) {
    port().set_settings(s);
}
bool CommControl::port_open() const {
    return port().is_open();
}
void CommControl::set_port_open(bool open) {
    if (open)
        port().open();
    else
        port().close();
}
int CommControl::in_buffer_count() const {
    return port().in_count();
}
void CommControl::set_in_buffer_count(int n) {
    if (n != 0) bad_value();
    port().discard_input();
}
std::vector<std::uint8_t> CommControl::input() {
    SerialPort& p = port();
    return p.read(input_len_ > 0 ? input_len_ : p.in_count());
}
void CommControl::output(std::span<const std::uint8_t> bytes) {
    port().write(bytes);
}

}  // namespace dvx::ui

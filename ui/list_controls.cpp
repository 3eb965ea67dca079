#include <algorithm>
#include <cmath>

#include "ui/control_faults.h"
#include "ui/controls.h"
#include "ui/fault.h"
#include "ui/keyboard.h"

namespace dvx::ui {

using detail::bad_index;

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
    if (index < 0 || index > list_count()) throw UiFault(platform::FaultText::invalid_call);
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

}  // namespace dvx::ui

#include "ui/controls.h"

#include <algorithm>
#include <cmath>

#include "ui/control_faults.h"
#include "ui/form.h"
#include "ui/keyboard.h"
#include "ui/ui_state.h"

namespace dvx::ui {

using detail::bad_index;
using detail::bad_value;

// ---- Label

void Label::set_alignment(int a) {
    if (a < 0 || a > 2) bad_value();
    if (a == alignment_) return;
    alignment_ = a;
    changed("Alignment");
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

}  // namespace dvx::ui

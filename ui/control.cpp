#include "ui/control.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/cp1252.h"
#include "ui/controls.h"
#include "ui/fault.h"
#include "ui/form.h"
#include "ui/ui_state.h"

namespace dvx::ui {

using detail::notify;

Parent::Parent(Form& f) : form(&f) {}

Parent::Parent(Control& c) : form(&c.form()), container(&c) {
    if ((!c.is_container() && c.kind() != Kind::menu) || c.kind() == Kind::tab_control)
        throw std::logic_error("control " + c.name() + " cannot hold controls");
}

Parent::Parent(TabPage p) : form(&p.tab->form()), container(p.tab), tab_page(p.index) {}

Control::Control(Kind kind, Parent parent, std::string name, Rect rect, int index)
    : kind_(kind),
      form_(parent.form),
      container_(parent.container),
      tab_page_(parent.tab_page),
      name_(platform::to_cp1252(name)),
      index_(index),
      rect_(rect) {
    tab_index_ = form_->next_tab_index();
    order_ = form_->next_order();
    form_->add_control(this);
}

Control::~Control() {
    detail::clear_control(this);
    form_->remove_control(this);
}

bool Control::alive() const {
    return form_->alive();
}

void Control::changed(std::string_view property) {
    if (!form_->loaded() || !detail::observing()) return;
    notify([&](Observer& o) { o.property_changed(*this, property); });
}

void Control::raise(std::string_view event, const std::function<void()>& slot) {
    if (!alive()) return;
    if (detail::observing()) notify([&](Observer& o) { o.event_raised({form_, this, event, {}}); });
    if (slot) {
        auto fn = slot;  // the handler may rebind its own slot
        fn();
    }
}

void Control::raise_key(std::string_view event, const std::function<void(int&, int)>& slot,
                        int& key, int shift) {
    if (!alive()) return;
    if (detail::observing()) {
        const std::string args = std::to_string(key) + " " + std::to_string(shift);
        notify([&](Observer& o) { o.event_raised({form_, this, event, args}); });
    }
    if (slot) {
        auto fn = slot;
        fn(key, shift);
    }
}

void Control::raise_press(int& ascii) {
    if (!alive()) return;
    if (detail::observing()) {
        const std::string args = std::to_string(ascii);
        notify([&](Observer& o) { o.event_raised({form_, this, "KeyPress", args}); });
    }
    if (on_key_press) {
        auto fn = on_key_press;
        fn(ascii);
    }
}

// A focused control that can no longer hold the focus (hidden or disabled, itself or
// a container) loses it without LostFocus; its window settles the focus at the next
// pump, on it again when usable by then, else on the next control in tab order.
static void drop_focus_if_unusable() {
    Control* f = detail::st().focus;
    // A control that hides or disables itself while it is losing the focus does not
    // stop the move: the clicked control still gets the focus and its Click.
    if (f && !f->can_focus() && f != detail::st().leaving) detail::pass_focus_on(*f);
}

void Control::set_visible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    changed("Visible");
    if (!v) drop_focus_if_unusable();
    // A control usable again may take the keys nobody holds.
    if (v && !detail::st().focus) detail::request_focus_settle();
}

bool Control::shown() const {
    if (!visible_ || !form_->visible()) return false;
    for (const Control* c = this; c->container_; c = c->container_) {
        const Control* k = c->container_;
        if (!k->visible_) return false;
        if (c->tab_page_ >= 0 && static_cast<const TabControl*>(k)->tab() != c->tab_page_)
            return false;
    }
    return true;
}

void Control::set_enabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    changed("Enabled");
    if (!e) drop_focus_if_unusable();
    if (e && !detail::st().focus) detail::request_focus_settle();
    enabled_changed();
}

bool Control::usable() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->enabled_) return false;
    return true;
}

void Control::set_tag(std::string t) {
    if (t == tag_) return;
    tag_ = std::move(t);
    changed("Tag");
}

void Control::set_left(int v) {
    if (v == rect_.left) return;
    rect_.left = v;
    changed("Left");
}
void Control::set_top(int v) {
    if (v == rect_.top) return;
    rect_.top = v;
    changed("Top");
}
void Control::set_width(int v) {
    if (v < 0) throw UiFault(platform::FaultText::invalid_value);
    if (v == rect_.width) return;
    rect_.width = v;
    changed("Width");
}
void Control::set_height(int v) {
    if (v < 0) throw UiFault(platform::FaultText::invalid_value);
    if (v == rect_.height) return;
    rect_.height = v;
    changed("Height");
}
void Control::move(int left, int top) {
    set_left(left);
    set_top(top);
}
void Control::move(int left, int top, int width, int height) {
    move(left, top);
    set_width(width);
    set_height(height);
}

void Control::set_font(const Font& f) {
    if (f == font_) return;
    font_ = f;
    changed("Font");
}

void Control::set_font_name(std::string n) {
    detail::set_font_field(*this, &Font::name, std::move(n));
}
void Control::set_font_size(double s) {
    if (s <= 0) throw UiFault(platform::FaultText::invalid_value);
    detail::set_font_field(*this, &Font::size, s);
}
void Control::set_font_bold(bool b) {
    detail::set_font_field(*this, &Font::bold, b);
}
void Control::set_font_italic(bool b) {
    detail::set_font_field(*this, &Font::italic, b);
}
void Control::set_font_underline(bool b) {
    detail::set_font_field(*this, &Font::underline, b);
}
void Control::set_fore_color(std::uint32_t c) {
    if (c == fore_) return;
    fore_ = c;
    changed("ForeColor");
}
void Control::set_back_color(std::uint32_t c) {
    if (c == back_) return;
    back_ = c;
    changed("BackColor");
}

void Control::set_tab_index(int i) {
    if (i < 0) throw UiFault(platform::FaultText::invalid_value);
    tab_index_ = i;
}
void Control::set_tab_stop(bool s) {
    tab_stop_ = s;
}

bool Control::can_focus() const {
    return focusable_kind() && form_->loaded() && shown() && usable();
}

bool Control::has_focus() const {
    return detail::st().focus == this;
}

void Control::set_focus() {
    if (!can_focus()) throw UiFault(platform::FaultText::invalid_call);
    auto& s = detail::st();
    if (s.active != form_) detail::activate(*form_, false);
    detail::move_focus(this);
}

std::string Control::text() const {
    throw UiFault(platform::FaultText::no_property);
}

void CaptionControl::set_caption(std::string c) {
    if (c == caption_) return;
    caption_ = std::move(c);
    changed("Caption");
}

void announce_control(Control& c) {
    if (!c.form().loaded()) return;
    notify([&](Observer& o) { o.control_created(c); });
}

void throw_no_element(const std::string& name, int index) {
    throw UiFault(
        platform::fault_text(platform::FaultText::no_array_element, std::to_string(index)));
}

}  // namespace dvx::ui

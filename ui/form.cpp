#include "ui/form.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/cp1252.h"
#include "ui/controls.h"
#include "ui/fault.h"
#include "ui/services.h"
#include "ui/ui_state.h"

namespace dvx::ui {

using detail::notify;
using detail::st;

namespace {
// Where a minimised window reports itself: off screen, beyond a 16-bit integer.
constexpr int minimized_pos = -48000;
// A maximised window's frame hangs over the screen edges by 4 pixels.
constexpr int maximized_overhang = 60;
}  // namespace

Form::Form(std::string name, Rect rect) : name_(platform::to_cp1252(name)), rect_(rect) {}

Form::~Form() {
    auto& s = st();
    auto drop = [this](std::vector<Form*>& v) {
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    };
    drop(s.loaded);
    drop(s.activation);
    if (s.active == this) s.active = nullptr;
    if (slot && slot->form_ == this) slot->form_ = nullptr;
}

void Form::load() {
    if (state_ == State::loaded) return;
    if (state_ == State::dead)
        throw std::logic_error("form " + name_ + " was unloaded; load a new one");
    state_ = State::loaded;
    st().loaded.push_back(this);
    notify([&](Observer& o) { o.form_loaded(*this); });
    raise("Load", on_load);
}

void Form::raise(std::string_view event, const std::function<void()>& slot_fn) {
    if (state_ == State::dead) return;
    if (detail::observing())
        notify([&](Observer& o) { o.event_raised({this, nullptr, event, {}}); });
    if (slot_fn) {
        auto fn = slot_fn;
        fn();
    }
}

void Form::changed(std::string_view property) {
    if (state_ != State::loaded || !detail::observing()) return;
    notify([&](Observer& o) { o.form_property_changed(*this, property); });
}

void Form::add_control(Control* c) {
    controls_.push_back(c);
}

void Form::remove_control(Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (focused_ == c) focused_ = nullptr;
}

void Form::set_caption(std::string c) {
    if (c == caption_) return;
    caption_ = std::move(c);
    changed("Caption");
}

void Form::check_movable() const {
    if (window_state_ != ws_normal) throw UiFault(platform::FaultText::cant_move);
}

void Form::resized() {
    raise("Resize", on_resize);
}

void Form::set_window_state(int s) {
    if (s < ws_normal || s > ws_maximized) throw UiFault(platform::FaultText::invalid_value);
    if (s == window_state_) return;
    window_state_ = s;
    changed("WindowState");
    resized();
}

int Form::left() const {
    if (window_state_ == ws_minimized) return minimized_pos;
    if (window_state_ == ws_maximized) return -maximized_overhang;
    return rect_.left;
}
int Form::top() const {
    if (window_state_ == ws_minimized) return minimized_pos;
    if (window_state_ == ws_maximized) return -maximized_overhang;
    return rect_.top;
}
int Form::width() const {
    if (window_state_ == ws_maximized) return services().screen_width + 2 * maximized_overhang;
    return rect_.width;
}
int Form::height() const {
    if (window_state_ == ws_maximized) return services().screen_height + 2 * maximized_overhang;
    return rect_.height;
}

void Form::set_left(int v) {
    check_movable();
    if (v == rect_.left) return;
    rect_.left = v;
    changed("Left");
}
void Form::set_top(int v) {
    check_movable();
    if (v == rect_.top) return;
    rect_.top = v;
    changed("Top");
}
void Form::set_width(int v) {
    check_movable();
    if (v < 0) throw UiFault(platform::FaultText::invalid_value);
    if (v == rect_.width) return;
    rect_.width = v;
    changed("Width");
    resized();
}
void Form::set_height(int v) {
    check_movable();
    if (v < 0) throw UiFault(platform::FaultText::invalid_value);
    if (v == rect_.height) return;
    rect_.height = v;
    changed("Height");
    resized();
}
void Form::move(int left, int top, int width, int height) {
    check_movable();
    if (width < 0 || height < 0)
        throw UiFault(platform::FaultText::invalid_value);  // before any change
    set_left(left);
    set_top(top);
    const bool sized = width != rect_.width || height != rect_.height;
    rect_.width = width;
    rect_.height = height;
    if (sized) {
        changed("Width");
        changed("Height");
        resized();
    }
}

void Form::set_font_size(double s) {
    if (s <= 0) throw UiFault(platform::FaultText::invalid_value);
    font_.size = s;
    changed("Font");
}
void Form::set_font_name(std::string n) {
    font_.name = std::move(n);
    changed("Font");
}
void Form::set_font_bold(bool b) {
    font_.bold = b;
    changed("Font");
}

int headless_text_width(const Font& font, const std::string& text) {
    const double per_char = font.size * 10 * (font.bold ? 1.1 : 1.0);
    return static_cast<int>(per_char * static_cast<double>(text.size()) + 0.5);
}

int text_width(const Font& font, const std::string& text) {
    if (TextMetrics* m = services().metrics) return m->text_width(font, text);
    return headless_text_width(font, text);
}

int Form::text_width(const std::string& text) const {
    return ui::text_width(font_, text);
}

void Form::set_back_color(std::uint32_t c) {
    back_ = c;
    changed("BackColor");
}

void Form::set_visible(bool v) {
    if (v)
        show_modeless();
    else
        hide();
}

void Form::show_modeless() {
    if (state_ == State::dead) return;  // a stale object: its FormRef holds a new one
    load();
    if (state_ != State::loaded) return;  // unloaded inside its own Load
    if (!visible_) {
        const bool first = !shown_once_;
        visible_ = true;
        shown_once_ = true;
        notify([&](Observer& o) { o.form_shown(*this); });
        if (first) resized();
        if (!loaded() || !visible_) return;
    }
    detail::activate(*this, true);
}

void Form::show_modal() {
    EventLoop* loop = services().loop;
    if (!loop) throw UiFault(platform::FaultText::no_event_loop);
    struct ModalMark {
        Form& f;
        bool was;
        ~ModalMark() { f.modal_ = was; }
    } mark{*this, modal_};
    modal_ = true;
    show_modeless();
    while (loaded() && visible_ && !program_ended()) {
        loop->do_events();
        if (loaded() && visible_) loop->idle_until(std::numeric_limits<double>::infinity());
    }
}

void Form::hide() {
    if (!visible_ || state_ != State::loaded) {
        visible_ = false;
        return;
    }
    visible_ = false;
    notify([&](Observer& o) { o.form_hidden(*this); });
    detail::form_gone(*this);
}

void Form::unload() {
    if (state_ != State::loaded) return;
    int cancel = 0;
    if (detail::observing())
        notify([&](Observer& o) { o.event_raised({this, nullptr, "Unload", "0"}); });
    if (on_unload) {
        auto fn = on_unload;
        fn(cancel);
    }
    if (cancel != 0 || state_ != State::loaded) return;
    const bool was_visible = visible_;
    visible_ = false;
    if (was_visible) notify([&](Observer& o) { o.form_hidden(*this); });
    detail::drop_focus_of(*this);
    const bool was_active = st().active == this;
    discard();
    if (was_active) {
        st().active = this;  // so form_gone activates the next form
        detail::form_gone(*this);
    }
}

void Form::discard() {
    if (state_ == State::dead) return;
    const bool was_loaded = state_ == State::loaded;
    state_ = State::dead;
    visible_ = false;
    detail::drop_focus_of(*this);
    detail::stop_timers_of(*this);
    auto& s = st();
    s.loaded.erase(std::remove(s.loaded.begin(), s.loaded.end(), this), s.loaded.end());
    s.activation.erase(std::remove(s.activation.begin(), s.activation.end(), this),
                       s.activation.end());
    if (s.active == this) s.active = nullptr;
    if (slot && slot->form_ == this) slot->form_ = nullptr;
    if (was_loaded) notify([&](Observer& o) { o.form_unloaded(*this); });
}

void Form::refresh() {
    if (state_ != State::loaded) return;
    notify([&](Observer& o) { o.form_refreshed(*this); });
}

void Form::set_focus() {
    if (state_ != State::loaded || !visible_) throw UiFault(platform::FaultText::invalid_call);
    detail::activate(*this, false);
    Control* f = st().focus;
    if (!f || &f->form() != this) detail::focus_form(*this);
}

bool Form::is_active() const {
    return st().active == this;
}

Control* Form::control(std::string_view name, int index) const {
    const std::string n = platform::to_cp1252(name);
    for (Control* c : controls_)
        if (c->name() == n && c->index() == index) return c;
    return nullptr;
}

std::vector<Control*> Form::tab_order() const {
    std::vector<Control*> v;
    for (Control* c : controls_)
        if (c->tab_stop() && c->can_focus()) v.push_back(c);
    std::stable_sort(v.begin(), v.end(), [](const Control* a, const Control* b) {
        if (a->tab_index() != b->tab_index()) return a->tab_index() < b->tab_index();
        return a->creation_order() < b->creation_order();
    });
    return v;
}

Control* Form::next_in_tab_order(const Control& from, bool back) const {
    auto order = tab_order();
    order.erase(std::remove(order.begin(), order.end(), &from), order.end());
    if (order.empty()) return nullptr;
    auto before = [](const Control* a, const Control* b) {
        if (a->tab_index() != b->tab_index()) return a->tab_index() < b->tab_index();
        return a->creation_order() < b->creation_order();
    };
    if (!back) {
        auto it = std::find_if(order.begin(), order.end(),
                               [&](const Control* c) { return before(&from, c); });
        return it == order.end() ? order.front() : *it;
    }
    auto it = std::find_if(order.rbegin(), order.rend(),
                           [&](const Control* c) { return before(c, &from); });
    return it == order.rend() ? order.back() : *it;
}

void Form::lead_tab_order(std::initializer_list<Control*> first) {
    const int n = static_cast<int>(first.size());
    for (Control* c : controls_) c->set_tab_index(c->tab_index() + n);
    next_tab_ += n;  // controls made later still come after every one shifted
    int i = 0;
    for (Control* c : first) c->set_tab_index(i++);
}

void Form::close_tab_order(std::initializer_list<Control*> last) {
    for (Control* c : last) c->set_tab_index(next_tab_index());
}

namespace {

// Never destroyed: references made at static initialisation leave it at exit.
std::vector<FormSlot*>& every_slot() {
    static auto* v = new std::vector<FormSlot*>;
    return *v;
}

}  // namespace

FormSlot::FormSlot() {
    every_slot().push_back(this);
}

FormSlot::~FormSlot() {
    auto& v = every_slot();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    auto& s = st().slots;
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
}

std::vector<FormSlot*> window_classes() {
    return every_slot();
}

void FormSlot::unload() {
    if (form_) form_->unload();
}

void FormSlot::adopt(std::unique_ptr<Form> f) {
    auto& s = st();
    form_ = f.get();
    f->slot = this;
    if (std::find(s.slots.begin(), s.slots.end(), this) == s.slots.end()) s.slots.push_back(this);
    s.owned.push_back(std::move(f));
}

}  // namespace dvx::ui

#include "ui/app.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

#include "platform/cp1252.h"
#include "ui/controls.h"
#include "ui/fault.h"
#include "ui/input.h"
#include "ui/services.h"
#include "ui/ui_state.h"

namespace dvx::ui {
namespace detail {

State& st() {
    // Never destroyed: controls of forms still alive at exit unregister here.
    static State* s = new State;
    return *s;
}

void move_focus(Control* target) {
    auto& s = st();
    const auto gen = ++s.focus_gen;
    Control* old = s.focus;
    if (old == target) return;
    if (old && old->alive()) {
        struct Leaving {
            Control*& slot;
            Control* saved;
            ~Leaving() { slot = saved; }
        } leaving{s.leaving, s.leaving};
        s.leaving = old;
        old->raise("LostFocus", old->on_lost_focus);
    }
    if (s.focus_gen != gen) return;  // the LostFocus handler moved the focus itself
    if (target && (!target->alive() || !target->can_focus())) {
        // The control left may have hidden itself meanwhile: it keeps no focus.
        if (old && s.focus == old && !old->can_focus()) pass_focus_on(*old);
        return;
    }
    // Keys-entered lasts from a keyboard entry (give_keys) until the focus moves on.
    for (Control* c : {old, target})
        if (c && c->alive() && c->kind() == Kind::text_box)
            static_cast<TextBox*>(c)->set_keys_entered(false);
    s.focus = target;
    if (target) target->form().set_focused(target);
    notify([&](Observer& o) { o.focus_changed(target); });
    if (target) target->raise("GotFocus", target->on_got_focus);
}

Control* keys_target(Form& f) {
    Control* want = f.active_control();
    if (want && (!want->alive() || &want->form() != &f)) want = nullptr;
    if (want && !want->can_focus()) want = f.next_in_tab_order(*want);
    if (!want) {
        const auto order = f.tab_order();
        if (!order.empty()) want = order.front();
    }
    return want;
}

bool give_keys(Control& c) {
    move_focus(&c);
    if (st().focus != &c) return false;
    if (c.kind() == Kind::text_box) static_cast<TextBox&>(c).set_keys_entered(true);
    return true;
}

void focus_form(Form& f) {
    if (Control* t = keys_target(f)) {
        give_keys(*t);
        return;
    }
    auto& s = st();
    ++s.focus_gen;
    Control* old = s.focus;
    if (old && old->alive()) old->raise("LostFocus", old->on_lost_focus);
    s.focus = nullptr;
    notify([&](Observer& o) { o.focus_changed(nullptr); });
    f.raise("GotFocus", f.on_got_focus);
}

void activate(Form& f, bool focus_control) {
    auto& s = st();
    if (!f.loaded()) return;
    if (s.active != &f) {
        Form* old = s.active;
        s.active = &f;
        auto& a = s.activation;
        a.erase(std::remove(a.begin(), a.end(), &f), a.end());
        a.push_back(&f);
        notify([&](Observer& o) { o.active_form_changed(&f); });
        if (old && old->loaded()) old->raise("Deactivate", old->on_deactivate);
        if (s.active != &f) return;
        f.raise("Activate", f.on_activate);
        if (s.active != &f || !f.visible()) return;
    }
    if (focus_control) {
        Control* c = s.focus;
        if (!c || &c->form() != &f) focus_form(f);
    }
}

void drop_focus_of(Form& f) {
    auto& s = st();
    if (s.focus && &s.focus->form() == &f) {
        ++s.focus_gen;
        s.focus = nullptr;
        notify([&](Observer& o) { o.focus_changed(nullptr); });
    }
}

void settle_focus() {
    auto& s = st();
    if (s.focus || s.box_depth > 0 || s.ended) return;
    Form* f = s.active;
    if (!f || !f->loaded() || !f->visible()) return;
    if (Control* want = keys_target(*f)) give_keys(*want);
}

void pass_focus_on(Control& old) {
    drop_focus_of(old.form());
    request_focus_settle();
}

void request_focus_settle() {
    auto& s = st();
    EventLoop* loop = services().loop;
    if (s.focus_settle_posted || s.ended || !loop) return;
    s.focus_settle_posted = true;
    loop->post([] {
        st().focus_settle_posted = false;
        settle_focus();
    });
}

void form_gone(Form& f) {
    auto& s = st();
    drop_focus_of(f);
    auto& a = s.activation;
    if (!f.loaded()) a.erase(std::remove(a.begin(), a.end(), &f), a.end());
    if (s.active != &f) return;
    s.active = nullptr;
    notify([&](Observer& o) { o.active_form_changed(nullptr); });
    if (f.loaded()) f.raise("Deactivate", f.on_deactivate);
    if (s.active) return;
    for (auto it = a.rbegin(); it != a.rend(); ++it) {
        Form* next = *it;
        if (next != &f && next->loaded() && next->visible()) {
            activate(*next, true);
            return;
        }
    }
}

void clear_control(Control* c) {
    auto& s = st();
    if (s.focus == c) s.focus = nullptr;
}

void timer_set(Timer* t, bool run) {
    if (!t) return;
    auto& ts = st().timers;
    auto it = std::find_if(ts.begin(), ts.end(), [&](const TimerEntry& e) { return e.timer == t; });
    if (!run) {
        if (it != ts.end()) ts.erase(it);
        return;
    }
    platform::Clock* c = services().clock;
    const double due = (c ? c->now() : 0.0) + t->interval() / 1000.0;
    if (it != ts.end())
        it->due = due;
    else
        ts.push_back({t, due});
}

bool timer_running(const Timer* t) {
    auto& ts = st().timers;
    return std::any_of(ts.begin(), ts.end(), [&](const TimerEntry& e) { return e.timer == t; });
}

void stop_timers_of(Form& f) {
    auto& ts = st().timers;
    ts.erase(std::remove_if(ts.begin(), ts.end(),
                            [&](const TimerEntry& e) { return &e.timer->form() == &f; }),
             ts.end());
}

KeyHold::KeyHold(int k, int shift) : key(k & 0xFF), shifted((shift & shift_mask) != 0) {
    auto& s = st();
    ++s.keys_down[key];
    if (shifted) ++s.shift_down;
}

KeyHold::~KeyHold() {
    auto& s = st();
    --s.keys_down[key];
    if (shifted) --s.shift_down;
}

BoxScope::BoxScope() {
    auto& s = st();
    prev_ = s.focus;
    ++s.box_depth;
    if (prev_) {
        s.focus = nullptr;
        notify([&](Observer& o) { o.focus_changed(nullptr); });
        if (prev_->alive()) prev_->raise("LostFocus", prev_->on_lost_focus);
    }
}

void BoxScope::close() {
    auto& s = st();
    closed_ = true;
    --s.box_depth;
    if (!prev_ || s.focus || s.ended || !prev_->alive()) return;
    if (!prev_->can_focus()) {
        // Hidden or disabled while the box was up: its window's next control takes over.
        settle_focus();
        return;
    }
    s.focus = prev_;
    prev_->form().set_focused(prev_);
    notify([&](Observer& o) { o.focus_changed(prev_); });
    prev_->raise("GotFocus", prev_->on_got_focus);
}

BoxScope::~BoxScope() {
    if (!closed_) --st().box_depth;  // unwinding: no events
}

}  // namespace detail

using detail::st;

void add_observer(Observer* o) {
    if (o) st().observers.push_back(o);
}

void remove_observer(Observer* o) {
    auto& v = st().observers;
    v.erase(std::remove(v.begin(), v.end(), o), v.end());
}

void end_program(int exit_code) {
    auto& s = st();
    s.ended = true;
    s.exit_code = exit_code;
    auto forms = s.loaded;
    for (Form* f : forms) f->discard();
    s.active = nullptr;
    s.focus = nullptr;
    s.activation.clear();
    s.timers.clear();
    detail::notify([](Observer& o) { o.program_ended(); });
    throw ProgramEnded{};
}

bool program_ended() {
    return st().ended;
}

void begin_closing() {
    st().closing = true;
}

bool closing() {
    return st().closing;
}

void close_windows_but(const Form* keep) {
    auto& s = st();
    if (s.closing_windows) return;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{s.closing_windows};
    s.closing_windows = true;
    const auto forms = s.loaded;
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        // An Unload may have unloaded others: only forms still in the list are touched.
        Form* f = *it;
        if (f == keep || std::find(s.loaded.begin(), s.loaded.end(), f) == s.loaded.end()) continue;
        f->unload();
    }
}

int program_exit_code() {
    return st().exit_code;
}

void set_mouse_pointer(int pointer) {
    st().pointer = pointer;
    const int shown = mouse_pointer();
    detail::notify([&](Observer& o) { o.mouse_pointer_changed(shown); });
}

int mouse_pointer() {
    return st().busy_pointer ? mp_hourglass : st().pointer;
}

TransactionScope::TransactionScope() {
    ++st().transactions;
}

TransactionScope::~TransactionScope() {
    auto& s = st();
    if (--s.transactions > 0 || !s.busy_pointer) return;
    s.busy_pointer = false;
    if (s.pointer != mp_hourglass)
        detail::notify([&](Observer& o) { o.mouse_pointer_changed(s.pointer); });
}

bool transaction_underway() {
    return st().transactions > 0;
}

namespace detail {

bool refused_while_busy(const Control& c) {
    return st().transactions > 0 && !c.runs_while_busy();
}

void events_run() {
    auto& s = st();
    if (s.transactions == 0 || s.busy_pointer) return;
    s.busy_pointer = true;
    if (s.pointer != mp_hourglass)
        notify([](Observer& o) { o.mouse_pointer_changed(mp_hourglass); });
}

}  // namespace detail

Form* active_form() {
    return st().active;
}

Control& active_control() {
    Form* f = st().active;
    Control* c = f ? f->active_control() : nullptr;
    if (!c || !c->alive()) throw UiFault(platform::FaultText::no_object);
    return *c;
}

Control* focus_owner() {
    return st().focus;
}

namespace {

struct KeyName {
    const char* name;
    int key;
    int ascii;
};
constexpr KeyName key_names[] = {
    {"TAB", vk_tab, -1},      {"ESC", vk_escape, 27},    {"ESCAPE", vk_escape, 27},
    {"ENTER", vk_return, 13}, {"BS", vk_back, 8},        {"BACKSPACE", vk_back, 8},
    {"UP", vk_up, -1},        {"DOWN", vk_down, -1},     {"LEFT", vk_left, -1},
    {"RIGHT", vk_right, -1},  {"HOME", vk_home, -1},     {"END", vk_end, -1},
    {"DEL", vk_delete, -1},   {"DELETE", vk_delete, -1},
};

const KeyName* find_key(std::string name) {
    for (auto& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    for (const auto& k : key_names)
        if (name == k.name) return &k;
    return nullptr;
}

void deliver_key(int key, int shift, int ascii) {
    Control* c = detail::keys_control();
    if (!c) return;
    if (ascii < 0 || key == vk_return || key == vk_escape || key == vk_back)
        user_key(key, shift);
    else
        detail::dispatch_key(*c, key, shift, ascii);
}

}  // namespace

void send_keys(const std::string& keys) {
    struct Key {
        int key, shift, ascii;
    };
    std::vector<Key> parsed;
    int shift = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char ch = keys[i];
        if (ch == '+') {
            shift = shift_mask;
            continue;
        }
        if (ch == '{') {
            const auto end = keys.find('}', i + 2);
            if (end == std::string::npos) throw UiFault(platform::FaultText::invalid_call);
            const std::string name = keys.substr(i + 1, end - i - 1);
            if (name.size() == 1) {  // {+} {{} ...: the literal character
                int sh = 0;
                const int k = detail::char_key_code(static_cast<unsigned char>(name[0]), sh);
                parsed.push_back({k, sh | shift, static_cast<unsigned char>(name[0])});
            } else {
                const KeyName* k = find_key(name);
                if (!k) throw UiFault(platform::FaultText::invalid_call);
                parsed.push_back({k->key, shift, k->ascii});
            }
            i = end;
        } else if (ch == '~') {
            parsed.push_back({vk_return, shift, 13});
        } else {
            int sh = 0;
            const int k = detail::char_key_code(static_cast<unsigned char>(ch), sh);
            parsed.push_back({k, sh | shift, static_cast<unsigned char>(ch)});
        }
        shift = 0;
    }
    EventLoop* loop = services().loop;
    if (!loop) throw UiFault(platform::FaultText::no_event_loop);
    for (const Key& k : parsed) loop->post([k] { deliver_key(k.key, k.shift, k.ascii); });
}

std::vector<Form*> loaded_forms() {
    return st().loaded;
}

Form* find_form(const std::string& name) {
    const std::string n = platform::to_cp1252(name);
    for (Form* f : st().loaded)
        if (f->name() == n) return f;
    return nullptr;
}

bool box_up() {
    return st().box_depth > 0;
}

void fire_due_timers() {
    auto& s = st();
    if (s.timers.empty()) return;
    platform::Clock* c = services().clock;
    if (!c) return;
    const double now = c->now();
    std::vector<Timer*> due;
    for (const auto& e : s.timers)
        if (e.due <= now) due.push_back(e.timer);
    for (Timer* t : due) {
        auto it = std::find_if(s.timers.begin(), s.timers.end(),
                               [&](const detail::TimerEntry& e) { return e.timer == t; });
        if (it == s.timers.end() || it->due > now) continue;  // stopped or restarted meanwhile
        // Keep the timer's own rhythm; a timer late by a whole interval or more ticks
        // once and starts a new rhythm from now.
        const double period = t->interval() / 1000.0;
        it->due += period;
        if (it->due <= now) it->due = now + period;
        if (detail::refused_while_busy(*t)) continue;
        t->tick();
    }
}

double next_timer_due() {
    double next = std::numeric_limits<double>::infinity();
    for (const auto& e : st().timers) next = std::min(next, e.due);
    return next;
}

void reset_forms() {
    auto& s = st();
    for (FormSlot* slot : s.slots) slot->form_ = nullptr;
    s.slots.clear();
    auto forms = s.loaded;
    for (Form* f : forms)
        if (f->alive()) f->discard();
    s.active = nullptr;
    s.focus = nullptr;
    s.activation.clear();
    s.timers.clear();
    s.box_depth = 0;
    s.focus_settle_posted = false;
    s.ended = false;
    s.exit_code = 0;
    s.closing = false;
    s.closing_windows = false;
    s.pointer = mp_default;
    s.busy_pointer = false;
    std::fill(std::begin(s.keys_down), std::end(s.keys_down), 0);
    s.shift_down = 0;
    auto owned = std::move(s.owned);
    s.owned.clear();
    owned.clear();  // destroys the forms; their controls unregister from `s`
    s.loaded.clear();
}

void free_unloaded_forms() {
    auto& o = st().owned;
    std::vector<std::unique_ptr<Form>> dead;
    for (auto& f : o)
        if (!f->alive()) dead.push_back(std::move(f));
    o.erase(std::remove(o.begin(), o.end(), nullptr), o.end());
    dead.clear();
}

platform::Date today() {
    if (platform::Calendar* c = services().calendar) return c->today();
    static platform::SystemCalendar system;
    return system.today();
}

std::string date_text(const platform::Date& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d.day, d.month, d.year);
    return buf;
}

bool key_down(int key_code) {
    if (KeyboardState* k = services().keyboard) return k->is_down(key_code);
    auto& s = st();
    if (key_code == vk_shift && s.shift_down > 0) return true;
    return key_code >= 0 && key_code < 256 && s.keys_down[key_code] > 0;
}

}  // namespace dvx::ui

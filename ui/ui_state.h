#pragma once
// Internal state of the window layer shared by its source files (not for callers).
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ui/app.h"
#include "ui/control.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/observer.h"

namespace dvx::ui::detail {

struct TimerEntry {
    Timer* timer;
    double due;
};

struct State {
    std::vector<Observer*> observers;
    std::vector<Form*> loaded;      // load order
    std::vector<Form*> activation;  // least to most recently activated
    std::vector<FormSlot*> slots;
    std::vector<std::unique_ptr<Form>> owned;  // created through a FormRef
    Form* active = nullptr;
    Control* focus = nullptr;
    std::uint64_t focus_gen = 0;
    // The control whose LostFocus a focus move is raising (null outside).
    Control* leaving = nullptr;
    int box_depth = 0;
    bool focus_settle_posted = false;  // a settle_focus waits for the next pump
    bool ended = false;
    int exit_code = 0;             // of end_program
    bool closing = false;          // begin_closing: boxes are answered at once
    bool closing_windows = false;  // a close_windows_but runs
    int pointer = mp_default;      // as set last
    int transactions = 0;          // TransactionScopes alive
    bool busy_pointer = false;     // events ran inside the transaction: the hourglass
    std::vector<TimerEntry> timers;
    int keys_down[256] = {};
    int shift_down = 0;
};

State& st();

template <class F>
void notify(F f) {
    auto& s = st();
    if (s.observers.empty()) return;
    auto copy = s.observers;  // an observer may remove itself
    for (Observer* o : copy) f(*o);
}
inline bool observing() {
    return !st().observers.empty();
}

// Fonts (of controls and of the printer) change one attribute at a time.
template <class Owner, class FontT, class T>
void set_font_field(Owner& owner, T FontT::*field, T value) {
    FontT f = owner.font();
    f.*field = std::move(value);
    owner.set_font(f);
}

// Moves the focus (LostFocus old, GotFocus new, nested). A focus move made by a
// handler of the LostFocus supersedes this one.
void move_focus(Control* target);
// The one rule for who gets a window's keys when no click or code names a control (the
// window opens or comes back, a box closes over a control that went away, the focused
// control is disabled or hidden, a run ends): its remembered control when usable, else
// the next usable one after it in tab order (wrapping), else the first of the tab
// order; nullptr when the window has no usable control.
Control* keys_target(Form& f);
// The keys reach `c` by the keyboard or by the layer's own move: the focus moves there
// and, when it landed, a single-line text box has its whole text selected, so typing
// replaces it. False when a LostFocus kept the focus elsewhere.
bool give_keys(Control& c);
// Gives keys_target the keys (give_keys), or the form itself (form GotFocus) when it
// has no usable control.
void focus_form(Form& f);
// Makes f the active form (Deactivate old, Activate f) and, if asked, focuses it.
void activate(Form& f, bool focus_control);
// A form stops being shown (hidden or unloaded): drops its focus without
// LostFocus and activates the most recent other visible form.
void form_gone(Form& f);
void drop_focus_of(Form& f);
// `old` had the focus and can no longer hold it (hidden or disabled, itself or a
// container, its tab page): it loses it without LostFocus, and at the next pump (or
// key) the active window's control takes it over (settle_focus).
void pass_focus_on(Control& old);
// With no box up and no control holding the focus, the active shown window gives the
// keys to its keys_target (give_keys). Nothing when the window has no usable control.
void settle_focus();
// Posts one settle_focus for the next pump (none while one waits).
void request_focus_settle();
void clear_control(Control* c);

// While a transaction is underway: the user's actions on `c` and its ticks are refused
// unless it is marked to run then.
bool refused_while_busy(const Control& c);
// A pump begins: inside a transaction the pointer turns to the hourglass.
void events_run();

// Timers.
void timer_set(Timer* t, bool run);
bool timer_running(const Timer* t);
void stop_timers_of(Form& f);

// Keyboard record.
struct KeyHold {
    KeyHold(int key, int shift);
    ~KeyHold();
    int key;
    bool shifted;
};

// A modal box or dialog: takes the focus (LostFocus, nested) and gives it back.
class BoxScope {
  public:
    BoxScope();
    ~BoxScope();
    void close();  // gives the focus back with GotFocus

  private:
    Control* prev_;
    bool closed_ = false;
};

// The key code of a typed character, and whether Shift makes it.
int char_key_code(unsigned char ch, int& shift);

// The focused control, once the keys are settled, when the user's keys may reach it
// (none while a transaction refuses them).
Control* keys_control();
// Dispatches one key to a control: KeyDown, KeyPress (ascii >= 0), default, KeyUp.
void dispatch_key(Control& c, int key, int shift, int ascii);

}  // namespace dvx::ui::detail

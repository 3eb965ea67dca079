#pragma once
// Application-level services of the window layer: ending the program, the mouse
// pointer, the screen's active form and control, simulated keystrokes, today's date,
// the list of loaded forms and the timers. All of it lives on the one UI thread.
#include <string>
#include <vector>

#include "platform/clock.h"

namespace dvx::ui {

class Control;
class Form;

// Thrown by end_program(): unwinds every handler to the top loop or test harness.
// Not a std::exception, so no handler's catch of faults swallows it.
struct ProgramEnded {};

// Ends the program at once: no QueryUnload, Unload or close handler runs, every form
// is discarded, timers stop. Throws ProgramEnded. A start that had to give up ends with
// a non-zero exit code, which the top loop hands to the operating system.
[[noreturn]] void end_program(int exit_code = 0);
bool program_ended();
// The exit code the program was ended with; 0 while it runs.
int program_exit_code();

// The end from outside the windows (the desktop program's signals), as the technician's
// own hand would end the program. From begin_closing() on, until the program ends, every
// message box is answered at once as cancelled (cancel_answer) and every file dialog
// chooses nothing, without asking anyone, so the handlers under them return.
void begin_closing();
bool closing();
// Closes every loaded window but `keep` through its own Unload, the one loaded last
// first. A window that refuses (a sheet during its measuring run) stays loaded for a
// later call. A call from a pump inside one of those Unloads does nothing.
void close_windows_but(const Form* keep);

enum MousePointer : int { mp_default = 0, mp_hourglass = 11 };
void set_mouse_pointer(int pointer);  // the last set wins
// The pointer shown: the hourglass while window events run inside a transaction (below),
// else the one set last.
int mouse_pointer();

// A transaction on the line: the link holds one around each exchange with a device, and
// its pauses (and its waits for answers still owed) let window events run. While one is
// underway the layer refuses the user's actions (input.h: clicks, choices, keys, focus
// moves, tab switches, scrolling, a window activated or closed by its frame) and the
// timers' ticks, unless the control is marked to run then (`set_runs_while_busy`) or the
// window to close then (`set_closes_while_busy`). A refused action changes nothing (no
// focus move, no value, no event). Code on the transaction's own call stack is not user
// input and is not refused. From the first pump inside the transaction until it ends the
// pointer is the hourglass, so a refused click is seen as busy.
class TransactionScope {
  public:
    TransactionScope();
    ~TransactionScope();
    TransactionScope(const TransactionScope&) = delete;
    TransactionScope& operator=(const TransactionScope&) = delete;
};
bool transaction_underway();

// The active form (null when none) and its focused control. active_control() is a
// UiFault when there is none; it stays the same while a message box is up.
Form* active_form();
Control& active_control();
// The control holding the focus right now (null while a box holds it).
Control* focus_owner();

// Queues keystrokes for the control that has the focus when they are dispatched at
// the next pump: "{TAB}", "+{TAB}" (Shift+Tab), "{ESC}", "{ENTER}" or "~", "{BS}",
// "{UP}", "{DOWN}", "{LEFT}", "{RIGHT}", "{HOME}", "{END}", "{DEL}" (any case) and
// literal characters. They never arrive synchronously. UiFault on a bad key name.
void send_keys(const std::string& keys);

// Every loaded form, in load order (no loading).
std::vector<Form*> loaded_forms();
// A loaded form by name (UTF-8 or Windows-1252), null when none is loaded.
Form* find_form(const std::string& name);
// True while a modal message box or file dialog is up.
bool box_up();

// Timers: the event loop fires due ones at each pump point.
void fire_due_timers();
// Virtual or real time of the next due timer; +infinity when none runs.
double next_timer_due();

// Forgets every form and all layer state without running any event (test tear-down,
// program exit). Objects of unloaded forms kept alive for code still running on
// after its own Unload are freed here.
void reset_forms();
// Frees the objects of unloaded forms. Only for a top loop between two events, when
// no handler of such a form can still be running.
void free_unloaded_forms();

// services().calendar's date, or the system's local date.
platform::Date today();
// "dd-mm-yyyy".
std::string date_text(const platform::Date& d);

}  // namespace dvx::ui

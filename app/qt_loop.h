#pragma once
// The window layer's event loop on Qt's: pump points run the queued user actions and
// the due ui timers between Qt's own events, modal forms and yielding waits nest in
// it, and waiting sleeps in Qt's dispatcher (a timer wakes it), never spinning.
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "ui/event_loop.h"

namespace dvx::app {

class QtEventLoop final : public QObject, public ui::EventLoop {
  public:
    explicit QtEventLoop(platform::Clock& clock);

    void do_events() override;
    void idle_until(double t) override;
    void post(std::function<void()> input) override;

    // The top level: runs Qt's loop until ui::end_program() or until no form is shown
    // any more. Returns the exit code (1 after a handler's unhandled fault).
    int run();
    std::size_t pending() const { return queue_.size(); }
    // A message box or file dialog goes up: the layer's timers keep ticking while it
    // waits for the user (queued input waits for it to close).
    void box_opened();
    // Layer code that Qt starts outside the pump points (the end on a signal): run as a
    // pump point runs its handlers, the program's end or a fault stopping everything.
    void run_outside(const std::function<void()>& work) { guarded(work); }
    // Called with the text (Windows-1252) of a fault no handler caught; the program then
    // ends.
    std::function<void(const std::string&)> on_unhandled;

  private:
    void pump_top();
    void run_queued();
    bool input_ready() const;
    void arm();
    void finish(int code);
    void tick_under_box();
    bool guarded(const std::function<void()>& work);

    platform::Clock& clock_;
    std::deque<std::function<void()>> queue_;
    int depth_ = 0;  // > 0 while layer code runs: its own pumps take the input
    bool running_ = false;
    bool finished_ = false;
    int exit_code_ = 0;
    QTimer wake_;
    QTimer idle_wake_;
    QTimer box_tick_;
};

// box_opened() on the installed loop when it is the Qt one.
void note_box_opened();

}  // namespace dvx::app

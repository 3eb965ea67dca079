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
    // Layer code run at every pump point of the top level, after the queued input and
    // the timers, while set: there no handler runs any more (the signal end's last step).
    std::function<void()> at_top_level;
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

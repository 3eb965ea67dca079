#pragma once
// The event loop as a service: the headless loop (tests, virtual time) and the desktop
// loop both provide it, and nothing above ui/ asks which one runs.
//
// A pump point runs, in this order: the input queued before it (user actions posted by
// the renderer or a test, simulated keys) in FIFO order, then every due timer once.
// Input queued while a pump runs waits for the next one. While a message box or file
// dialog is up, queued input waits (the box would take it) but timers still tick.
#include <functional>

namespace dvx::ui {

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Runs every pending event (queued input, due timers) once and returns.
    virtual void do_events() = 0;
    // Sleeps until something is pending or the clock reaches t, whichever comes first.
    // t may be +infinity (a modal loop waiting for the user).
    virtual void idle_until(double t) = 0;
    // Queues input for the next pump point (FIFO).
    virtual void post(std::function<void()> input) = 0;
};

// Runs pending events once (the classic DoEvents).
void do_events();
// A yielding wait: events run while it waits; returns once `seconds` have passed.
// A wait of 0 or less returns at once.
void wait_yielding(double seconds);

}  // namespace dvx::ui

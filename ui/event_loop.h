#pragma once
// The event loop as a service: the headless loop (tests, virtual time) and the desktop
// loop both provide it, and nothing above ui/ asks which one runs.
namespace dvx::ui {

class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Runs every pending event (queued input, due timers) once and returns.
    virtual void do_events() = 0;
    // Sleeps until something is pending or the clock reaches t, whichever comes first.
    virtual void idle_until(double t) = 0;
};

// Runs pending events once (the classic DoEvents).
void do_events();
// A yielding wait: events run while it waits; returns once `seconds` have passed.
// A wait of 0 or less returns at once.
void wait_yielding(double seconds);

}  // namespace dvx::ui

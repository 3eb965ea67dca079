#pragma once
// The event loop without a screen: tests and the headless program. It runs on the
// injected clock (virtual in tests): idling moves the clock straight to the next due
// timer or scripted input, so waits cost no real time and nothing spins.
//
// Scripted input for tests: post() for the next pump, post_after_pumps(n) to let n
// pumps pass first, post_at(t) / post_after(s) for a clock time. A loop guard ends a
// modal or polling loop that runs out of script: past a bound of pumps or of clock
// time, or when a modal loop waits with nothing that could ever end it, the loop
// throws LoopGuardTripped (and remembers it, so a test fails even if it is caught).
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "ui/event_loop.h"

namespace dvx::ui {

// Not a std::exception: window code that traps faults with catch (std::exception&)
// must not swallow it and go round its loop again.
struct LoopGuardTripped {
    std::string message;
    const char* what() const noexcept { return message.c_str(); }
};

class HeadlessLoop final : public EventLoop {
  public:
    explicit HeadlessLoop(platform::Clock& clock);

    void do_events() override;
    void idle_until(double t) override;
    void post(std::function<void()> input) override;

    // Scripted input.
    void post_after_pumps(std::uint64_t pumps, std::function<void()> input);
    void post_at(double t, std::function<void()> input);
    void post_after(double seconds, std::function<void()> input);

    // Top level: pumps until no input is ready (timers due now tick too).
    void run_pending();
    // Top level: runs events and timers until the clock reaches t (or now + seconds).
    void run_until(double t);
    void run_for(double seconds);

    std::uint64_t pumps() const { return pumps_; }
    // Input waiting (ready or scheduled).
    std::size_t pending() const { return ready_.size() + later_.size(); }

    // Guard bounds, counted from now: at most `max_pumps` pumps and `max_seconds` of
    // clock time. Defaults: 1 000 000 pumps, one hour.
    void set_guard(std::uint64_t max_pumps, double max_seconds);
    bool guard_tripped() const { return !trip_.empty(); }
    // For a test that expects the trip: forget it and restart the bounds.
    void clear_guard() {
        trip_.clear();
        set_guard(guard_max_pumps_, guard_max_seconds_);
    }
    const std::string& guard_message() const { return trip_; }

  private:
    struct Item {
        std::uint64_t seq;
        std::function<void()> fn;
    };
    struct Later {
        std::uint64_t seq;
        std::uint64_t at_pump;  // 0: by time
        double at_time;
        std::function<void()> fn;
    };
    void promote_due(double now);
    bool input_ready() const;
    double next_scheduled() const;
    void check_guard();
    [[noreturn]] void trip(const std::string& why);

    platform::Clock& clock_;
    std::deque<Item> ready_;
    std::vector<Later> later_;
    std::uint64_t seq_ = 0;
    std::uint64_t pumps_ = 0;
    std::uint64_t guard_pumps_start_ = 0;
    std::uint64_t guard_max_pumps_ = 1'000'000;
    double guard_time_start_;
    double guard_max_seconds_ = 3600;
    std::string trip_;
};

}  // namespace dvx::ui

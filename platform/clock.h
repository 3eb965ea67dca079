#pragma once
// Monotonic clocks: every wait and time limit of the system reads one of these.
// Tests run on VirtualClock, which only moves when code waits (or a little per read,
// so a loop that neither yields nor waits still sees time pass and ends). The calendar
// gives the date a printout or a file names.
#include <cstdint>

namespace dvx::platform {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed start.
    virtual double now() = 0;
    // Blocks the caller (no events run) until now() >= t.
    virtual void sleep_until(double t) = 0;
};

class SteadyClock final : public Clock {
  public:
    double now() override;
    void sleep_until(double t) override;
};

class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(double start = 1000.0, double step_per_read = 1e-6)
        : t_(start), step_(step_per_read) {}
    double now() override {
        t_ += step_;
        return t_;
    }
    // Reads without the per-read step (for inspection in tests).
    double peek() const { return t_; }
    void sleep_until(double t) override {
        if (t > t_) t_ = t;
    }
    void advance(double seconds) {
        if (seconds > 0) t_ += seconds;
    }

  private:
    double t_;
    double step_;
};

struct Date {
    int year = 2000;
    int month = 1;
    int day = 1;
};

class Calendar {
  public:
    virtual ~Calendar() = default;
    virtual Date today() = 0;
};

// The system's local date.
class SystemCalendar final : public Calendar {
  public:
    Date today() override;
};

}  // namespace dvx::platform

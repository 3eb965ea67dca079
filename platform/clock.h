#pragma once
// Monotonic clocks: every wait and time limit of the system reads one of these.
// Tests run on VirtualClock, which only moves when code waits (or a little per read,
// so a loop that neither yields nor waits still sees time pass and ends).
#include <cstdint>

namespace dvx::platform {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed start.
    virtual double now() = 0;
    // Blocks the caller (no events run) until now() >= t.
    virtual void sleep_until(double t) = 0;
    void sleep_for(double seconds) { sleep_until(now() + seconds); }
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

}  // namespace dvx::platform

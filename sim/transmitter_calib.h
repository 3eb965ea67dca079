#pragma once
// What a calibration run sees of a simulated transmitter: the input type it measures,
// the reference signal on its input and the raw measuring words 28..43 (eight signed
// 32-bit pairs, low word first) that follow both.
//
// The device takes the input type of register 1099 when 57 := 1 is written (a new
// device measures the type its image holds, settled). Whenever the settled value
// of a pair changes (another type applied, another signal), the pair moves to it on an
// exponential course (time constant 1 s) and lands on it exactly once the distance is
// 16 counts or less; sampled 0.4 s apart, the readings approach strictly and then
// stand still, so a run settles on the exact settled values. A pair set to drift never
// settles. While type 18 or 19 is measured, pair 38 is the thermocouple loop reading.
#include <array>
#include <cstdint>

namespace dvx::sim {

class Transmitter;

inline constexpr int raw_first_reg = 28;  // pairs 28, 30, ..., 42
inline constexpr int raw_pairs = 8;
inline constexpr int loop_pair_reg = 38;

// Settled value of the pair at `pair_reg` while `type` is measured with `signal`
// applied: distinct per pair, per type and per signal, so a run that picks the wrong
// word or measures the wrong type is seen.
std::int32_t raw_target(int type, int pair_reg, std::int32_t signal);

class InputCalib {
  public:
    // The reference signal on the input (raw units of the type: 1000 = 100.0 Ohm).
    void set_signal(std::int32_t s) {
        signal_ = s;
        changed_at_ = last_now_;
    }
    std::int32_t signal() const { return signal_; }
    // Pair 38 while type 18 or 19 is measured (default: a loop closed with 1 kOhm).
    void set_loop_value(std::int32_t v) {
        loop_value_ = v;
        changed_at_ = last_now_;
    }
    // The pair at `pair_reg` rises by `per_second` counts a second for ever (0: normal).
    void set_drift(int pair_reg, std::int32_t per_second);
    // The pair at `pair_reg` settles on `value` whatever is measured (extreme readings).
    void set_fixed(int pair_reg, std::int32_t value);

    // The input type measured: the image's at construction, then the last strobe's.
    int applied_type() const { return applied_type_; }
    // Strobes of register 57 := 1 so far.
    int strobes() const { return strobes_; }

    // Device side: a new device measures its image's type, settled at time 0; 57 := 1
    // applies `type`; tick moves the raw words to time `now`.
    void start(Transmitter& t);
    // A device set up with another type (a preset's 1099) measures it settled, as new.
    void measure_settled(Transmitter& t, int type);
    void apply_input(int type);
    void tick(Transmitter& t, double now);

  private:
    struct Course {
        bool started = false;
        std::int32_t target = 0;
        double from = 0;  // distance to the target when the course began
        double since = 0;
        std::int32_t drift = 0;
        double drift_since = 0;
        bool fixed = false;
        std::int32_t fixed_value = 0;
    };
    std::int32_t settled_value(int type, int pair) const;

    std::int32_t signal_ = 0;
    std::int32_t loop_value_ = 1850000;
    int applied_type_ = 0;
    int strobes_ = 0;
    double last_now_ = 0;
    double changed_at_ = 0;  // a course begins at the last access before the change
    std::array<Course, raw_pairs> course_{};
    std::array<std::int32_t, raw_pairs> value_{};
};

}  // namespace dvx::sim

#pragma once
// The live side of a simulated transmitter: a process signal that the measured value,
// the analog output and the alarm states follow, the loop resistance of a thermocouple
// input, and the forced output with the device's readback of it.
//
//   t.live().set_signal(sim::Signal::fixed(5000));            // mid-range, 50.00 %
//   t.live().set_signal(sim::Signal::swing(2000, 8000, 60));  // 20..80 % every minute
//   t.live().set_loop_ohms(1250);                             // R[62] 1.250 kOhm
//
// Without a signal the status words hold what a preset or a test put there; only the
// readback (R[27]) of an output forced through R[50]/R[51] is modelled always.
#include <cstdint>
#include <optional>

namespace dvx::sim {

class Transmitter;

// A process signal in 0.01 % of the measuring range (0 = range begin, 10000 = range
// end), fixed or swinging as a sine between two values.
struct Signal {
    double low = 0, high = 0;
    double period = 0;  // seconds of one swing; 0: fixed at `low`
    double phase = 0;   // seconds

    static Signal fixed(double value) { return {value, value, 0, 0}; }
    static Signal swing(double low, double high, double period, double phase = 0) {
        return {low, high, period, phase};
    }
    double at(double now) const;
};

// Status words of the live values.
inline constexpr int reg_readback = 27, reg_cold_junction = 44, reg_value = 48,
                     reg_value_percent = 49, reg_output = 50, reg_output_forced = 51,
                     reg_alarm_1 = 52, reg_loop_milli = 62, reg_loop_centi = 64;

// The readback settles on its new value this long after the output changed.
inline constexpr double readback_settle_seconds = 0.25;

// What the device's readback of its own output shows for an output word: three
// quarters of it (a word of its own, so that a page mixing the two up is seen).
constexpr int readback_of(int output_word) {
    return output_word * 3 / 4;
}

class Live {
  public:
    void set_signal(std::optional<Signal> s) { signal_ = s; }
    const std::optional<Signal>& signal() const { return signal_; }
    // Loop resistance in Ohm: R[62] in 0.001 kOhm, R[64] in 0.01 kOhm.
    void set_loop_ohms(int ohms) { loop_ohms_ = ohms; }
    // A fault that comes and goes: `bits` in R[5] for `length` seconds of every
    // `every` seconds (the error memory latches it as any fault).
    void set_fault_pulse(int bits, double every, double length) {
        pulse_ = Pulse{bits, every, length};
    }

    // The transmitter calls these: before every access, and after a write.
    void tick(Transmitter& t, double now);
    void written(Transmitter& t, int reg, int count, double now);

  private:
    struct Pulse {
        int bits;
        double every, length;
    };
    void follow_signal(Transmitter& t, double now);
    void start_readback(Transmitter& t, double now);
    void settle_readback(Transmitter& t, double now);

    std::optional<Signal> signal_;
    std::optional<int> loop_ohms_;
    std::optional<Pulse> pulse_;
    bool pulse_on_ = false;
    // Readback moving from `from` to `to` since `since` (none: R[27] as set).
    std::optional<double> since_;
    int from_ = 0, to_ = 0;
};

}  // namespace dvx::sim

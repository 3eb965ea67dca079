#include "sim/transmitter_live.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/transmitter.h"

namespace dvx::sim {

namespace {

int rounded(double v, int lo, int hi) {
    return static_cast<int>(std::clamp(std::nearbyint(v), double(lo), double(hi)));
}
int word16(double v) {
    return rounded(v, -32768, 32767);
}

// Input types 0..11 measure a temperature: range words 97/98 in whole degC, the
// measured value in tenths; all others show the physical range 80/81.
bool is_temperature(int input_type) {
    return input_type >= 0 && input_type <= 11;
}

}  // namespace

double Signal::at(double now) const {
    if (period <= 0) return low;
    const double s = std::sin(2 * std::numbers::pi * (now + phase) / period);
    return low + (high - low) * (1 + s) / 2;
}

void Live::tick(Transmitter& t, double now) {
    if (pulse_) {
        const bool on = std::fmod(now, pulse_->every) < pulse_->length;
        if (on != pulse_on_) {
            const int bits = t.status(reg_errors);
            t.set_error_bits(on ? bits | pulse_->bits : bits & ~pulse_->bits);
            pulse_on_ = on;
        }
    }
    if (loop_ohms_) {
        t.set_status(reg_loop_milli, std::clamp(*loop_ohms_, 0, 65535));
        t.set_status(reg_loop_centi, std::clamp(*loop_ohms_ / 10, 0, 65535));
    }
    if (signal_) follow_signal(t, now);
    settle_readback(t, now);
}

void Live::written(Transmitter& t, int reg, int count, double now) {
    // The output forced to a value: the readback moves to it. A release leaves the
    // output to the signal (which moves the readback when it moves the output).
    if (reg <= reg_output_forced && reg + count > reg_output && t.status(reg_output_forced) == 1)
        start_readback(t, now);
}

void Live::follow_signal(Transmitter& t, double now) {
    const double pct = signal_->at(now);
    auto p = [&t](int w) { return double(t.param(w)); };
    const bool temperature = is_temperature(t.param(99));
    const double begin = temperature ? p(97) * 10 : p(80);
    const double end = temperature ? p(98) * 10 : p(81);
    const double value = begin + (end - begin) * pct / 10000;
    t.set_status(reg_value, word16(value));
    t.set_status(reg_value_percent, word16(pct));

    // Alarm N: word 82+N bit 0 MAX (else MIN), bits 2..3 the function (0: unused);
    // its set-point 108+N in the units of the range (whole degC for temperatures).
    const double compared = temperature ? value / 10 : value;
    for (int n = 1; n <= 4; ++n) {
        const int config = t.param(82 + n);
        const double set_point = p(108 + n);
        const bool used = (config >> 2 & 3) != 0;
        const bool active = (config & 1) ? compared >= set_point : compared <= set_point;
        t.set_status(reg_alarm_1 + n - 1, used && active ? 1 : 0);
    }

    if (t.status(reg_output_forced) == 1) return;  // the output holds the forced value
    // Output range 105/106 and limits 103/104 in 1/200 of full scale (tenths of mA, or
    // 0.05 V); the raw word follows the calibration points of the jumpered kind.
    double out = p(105) + (p(106) - p(105)) * pct / 10000;
    if (p(103) <= p(104)) out = std::clamp(out, p(103), p(104));
    const bool current = (t.status(26) >> 8) > 20;
    const double raw = current ? p(57) + (out / 10 - 4) * (p(58) - p(57)) / 16
                               : p(51) + (out / 20 - 2) * (p(52) - p(51)) / 8;
    const int word = rounded(raw, 0, 65535);
    if (word != t.status(reg_output)) {
        t.set_status(reg_output, word);
        start_readback(t, now);
    }
}

void Live::start_readback(Transmitter& t, double now) {
    from_ = t.status(reg_readback);
    to_ = readback_of(t.status(reg_output));
    since_ = now;
}

void Live::settle_readback(Transmitter& t, double now) {
    if (!since_) return;
    const double f = (now - *since_) / readback_settle_seconds;
    if (f >= 1) {
        t.set_status(reg_readback, to_);
        since_.reset();
        return;
    }
    t.set_status(reg_readback, rounded(from_ + (to_ - from_) * std::max(f, 0.0), 0, 65535));
}

}  // namespace dvx::sim

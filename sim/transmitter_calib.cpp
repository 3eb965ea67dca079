#include "sim/transmitter_calib.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "sim/transmitter.h"

namespace dvx::sim {

namespace {

constexpr double time_constant = 1.0;  // seconds
constexpr double landing = 16.0;       // counts: within this the reading is exact

int pair_index(int pair_reg) {
    const int j = (pair_reg - raw_first_reg) / 2;
    if (pair_reg < raw_first_reg || (pair_reg - raw_first_reg) % 2 || j >= raw_pairs)
        throw std::out_of_range("raw pair " + std::to_string(pair_reg));
    return j;
}

}  // namespace

std::int32_t raw_target(int type, int pair_reg, std::int32_t signal) {
    const int j = pair_index(pair_reg);
    // 1.0e6 .. 2.75e6 at no signal, a gain of 97..188 counts per signal unit.
    const std::int64_t v = 1000000 + 250000LL * j + 10007LL * type +
                           static_cast<std::int64_t>(signal) * (97 + 13 * j);
    return static_cast<std::int32_t>(v);
}

void InputCalib::set_drift(int pair_reg, std::int32_t per_second) {
    Course& c = course_[pair_index(pair_reg)];
    c.drift = per_second;
    c.drift_since = last_now_;
}

void InputCalib::set_fixed(int pair_reg, std::int32_t value) {
    Course& c = course_[pair_index(pair_reg)];
    c.fixed = true;
    c.fixed_value = value;
    changed_at_ = last_now_;
}

void InputCalib::start(Transmitter& t) {
    applied_type_ = t.param(99);
    course_ = {};
    tick(t, 0.0);
}

void InputCalib::measure_settled(Transmitter& t, int type) {
    applied_type_ = type;
    for (Course& c : course_) c.started = false;  // drift and fixed readings stay
    tick(t, last_now_);
}

void InputCalib::apply_input(int type) {
    applied_type_ = type;
    ++strobes_;
    changed_at_ = last_now_;
}

std::int32_t InputCalib::settled_value(int type, int j) const {
    const int reg = raw_first_reg + 2 * j;
    if (course_[j].fixed) return course_[j].fixed_value;
    if (reg == loop_pair_reg && (type == 18 || type == 19)) return loop_value_;
    return raw_target(type, reg, signal_);
}

void InputCalib::tick(Transmitter& t, double now) {
    last_now_ = now;
    const int type = applied_type_;
    for (int j = 0; j < raw_pairs; ++j) {
        Course& c = course_[j];
        const std::int32_t target = settled_value(type, j);
        if (!c.started) {
            c.started = true;
            c.target = target;
            c.from = 0;
            c.since = now;
            value_[j] = target;
        } else if (target != c.target) {
            c.from = static_cast<double>(value_[j]) - target;
            c.target = target;
            c.since = changed_at_;
        }
        double distance = c.from * std::exp(-(now - c.since) / time_constant);
        if (std::fabs(distance) <= landing) distance = 0;
        double v = c.target + std::trunc(distance);
        if (c.drift) v += std::floor(c.drift * (now - c.drift_since));
        value_[j] = static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
        const auto u = static_cast<std::uint32_t>(value_[j]);
        t.set_status(raw_first_reg + 2 * j, static_cast<int>(u & 0xFFFF));
        t.set_status(raw_first_reg + 2 * j + 1, static_cast<int>(u >> 16));
    }
}

}  // namespace dvx::sim

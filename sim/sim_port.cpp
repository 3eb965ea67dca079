#include "sim/sim_port.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "platform/line_timing.h"
#include "sim/crc.h"
#include "ui/fault.h"

namespace dvx::sim {

namespace {

constexpr double never = 1e300;
constexpr int max_ports = platform::com_ports;  // COM1..COM20
constexpr std::size_t max_frame = 256;

// Length of a known request starting at `f`, or 0 while it cannot be told yet / is unknown.
std::size_t request_length(std::span<const std::uint8_t> f) {
    if (f.size() < 2) return 0;
    if (f[1] == 3) return 8;
    if (f[1] == 16 && f.size() >= 7) return 9u + f[6];
    return 0;
}

}  // namespace

SimPort::SimPort(Plant& plant, platform::Clock& clock) : plant_(plant), clock_(clock) {}

void SimPort::set_settings(const std::string& text) {
    settings_ = text;
    const auto timing = platform::line_timing(text);
    if (!timing) return;  // open() refuses it
    byte_time_ = timing->char_seconds;
    gap_ = timing->silent_seconds;
}

bool SimPort::settings_match() const {
    return settings_ == plant_.expected_settings();
}

void SimPort::ensure_open() const {
    if (!open_) throw ui::UiFault(platform::FaultText::port_not_open);
    if (lost_)
        throw ui::UiFault(platform::fault_text(platform::FaultText::port) + ": " +
                          platform::system_reason(EIO));
}

double SimPort::handed_on(double arrival) const {
    if (delivery_ <= 0) return arrival;
    // A small tolerance so a byte arriving on a block boundary goes with that block.
    return std::ceil((arrival - phase_) / delivery_ - 1e-9) * delivery_ + phase_;
}

bool SimPort::waiting_at(double now) const {
    return !to_master_.empty() && handed_on(to_master_.begin()->first) <= now;
}

void SimPort::open() {
    if (open_) throw ui::UiFault(platform::FaultText::port_already_open);
    if (port_ < 1 || port_ > max_ports) throw ui::UiFault(platform::FaultText::invalid_port_number);
    if (open_fault_ == OpenFault::no_such_port)
        throw ui::UiFault(platform::FaultText::invalid_port_number);
    if (open_fault_ == OpenFault::port_in_use) throw ui::UiFault(platform::FaultText::port_in_use);
    if (!platform::line_timing(settings_))
        throw ui::UiFault(platform::FaultText::invalid_port_settings);
    const double now = clock_.now();
    advance(now);
    // Nothing waits in either direction after an open; bytes still on the line arrive.
    while (waiting_at(now)) pop_received();
    while (!to_devices_.empty() && to_devices_.back().time > now) to_devices_.pop_back();
    stuck_.clear();
    stuck_writes_ = 0;
    line_free_ = now;
    open_ = true;
    lost_ = false;
}

void SimPort::close() {
    open_ = false;
    lost_ = false;
}

int SimPort::in_count() {
    ensure_open();
    const double now = clock_.now();
    advance(now);
    int n = 0;
    for (auto it = to_master_.begin(); it != to_master_.end() && handed_on(it->first) <= now; ++it)
        ++n;
    return n;
}

int SimPort::out_count() {
    ensure_open();
    const double now = clock_.now();
    advance(now);
    return static_cast<int>(stuck_.size() + to_devices_.size());
}

void SimPort::discard_input() {
    ensure_open();
    const double now = clock_.now();
    advance(now);
    while (waiting_at(now)) pop_received();
}

void SimPort::discard_output() {
    ensure_open();
    const double now = clock_.now();
    advance(now);
    to_devices_.clear();  // everything still in the sender; what arrived is with the devices
    stuck_.clear();
    line_free_ = now;
}

std::vector<std::uint8_t> SimPort::read(int max_bytes) {
    ensure_open();
    const double now = clock_.now();
    advance(now);
    std::vector<std::uint8_t> out;
    while (static_cast<int>(out.size()) < max_bytes && waiting_at(now)) {
        out.push_back(pop_received());
    }
    return out;
}

void SimPort::write(std::span<const std::uint8_t> bytes) {
    ensure_open();
    const double now = clock_.now();
    advance(now);
    if (bytes.empty()) return;
    if (stuck_writes_ > 0) {
        --stuck_writes_;
        stuck_.insert(stuck_.end(), bytes.begin(), bytes.end());
        return;
    }
    const EchoPlan echo = plant_.echo_plan(bytes);
    double t = std::max(now, line_free_);
    // The silence before this block: since the end of the last byte either way, and
    // negative when a byte coming in is still on the line as it starts.
    double last = std::max(last_sent_end_, last_rx_end_);
    for (const auto& [arrival, b] : to_master_) {
        if (arrival - byte_time_ >= t) break;
        last = std::max(last, arrival);
    }
    if (last > -never) shortest_silence_ = std::min(shortest_silence_, t - last);
    for (std::uint8_t b : bytes) {
        t += byte_time_;
        to_devices_.push_back({t, b});
        if (echo.echo) to_master_.emplace(t + echo.delay, b);
    }
    line_free_ = t;
    last_sent_end_ = t;
}

std::uint8_t SimPort::pop_received() {
    const auto first = to_master_.begin();
    last_rx_end_ = std::max(last_rx_end_, first->first);
    const std::uint8_t b = first->second;
    to_master_.erase(first);
    return b;
}

double SimPort::next_event_time() {
    double t = never;
    const double now = clock_.now();
    advance(now);
    // Bytes already waiting count too: a caller that has not read them yet must not
    // sleep past them.
    if (!to_master_.empty()) t = std::min(t, handed_on(to_master_.begin()->first));
    if (!to_devices_.empty()) t = std::min(t, to_devices_.front().time);
    if (!frame_.empty()) t = std::min(t, frame_.back().time + gap_);
    return t;
}

void SimPort::wait_input(double seconds) {
    ensure_open();
    const double deadline = clock_.now() + seconds;
    for (;;) {
        if (in_count() > 0) return;
        const double now = clock_.now();
        if (now >= deadline) return;
        const double next = next_event_time();
        if (next > deadline) {
            clock_.sleep_until(deadline);
            advance(clock_.now());
            return;
        }
        clock_.sleep_until(next);
    }
}

// Works out everything that happened on the line up to `now`, in time order: bytes
// reaching the devices, frames ending (by CRC at their last byte or by the gap after
// it) and the answers they cause.
void SimPort::advance(double now) {
    for (;;) {
        const double t_byte = to_devices_.empty() ? never : to_devices_.front().time;
        const double t_gap = frame_.empty() ? never : frame_.back().time + gap_;
        if (t_gap <= now && t_gap <= t_byte) {
            std::vector<std::uint8_t> bytes;
            for (const auto& b : frame_) bytes.push_back(b.byte);
            frame_.clear();
            take_frame(std::move(bytes), t_gap);
            continue;
        }
        if (t_byte > now) break;
        frame_.push_back(to_devices_.front());
        to_devices_.pop_front();
        // A complete request with a good CRC ends the frame at once; bytes before it
        // (the probe byte, noise) are dropped.
        std::vector<std::uint8_t> bytes;
        for (const auto& b : frame_) bytes.push_back(b.byte);
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            const std::span<const std::uint8_t> tail(bytes.data() + k, bytes.size() - k);
            if (request_length(tail) == tail.size() && crc_ok(tail)) {
                frame_.clear();
                take_frame(std::vector<std::uint8_t>(tail.begin(), tail.end()), t_byte);
                break;
            }
        }
        if (frame_.size() > max_frame) frame_.erase(frame_.begin());
    }
}

void SimPort::take_frame(std::vector<std::uint8_t> frame, double t) {
    if (watch_) watch_(frame, t);
    // On other line settings the devices see only garbage and keep quiet.
    if (!settings_match()) return;
    const auto reply = plant_.handle(frame, t);
    if (!reply) return;
    double at = (queued_ ? std::max(t, answers_free_) : t) + reply->delay;
    for (std::uint8_t b : reply->bytes) {
        at += byte_time_;
        to_master_.emplace(at, b);
    }
    answers_free_ = std::max(answers_free_, at);
}

}  // namespace dvx::sim

#include "sim/plant.h"

#include <algorithm>

#include "sim/crc.h"
#include "sim/wire_faults.h"

namespace dvx::sim {

namespace {

// Answer delays after the end of a request (the 3.5-character gap included).
constexpr double direct_turnaround = 0.005;    // transmitter on the direct bus
constexpr double gateway_turnaround = 0.005;   // the gateway's own registers
constexpr double forwarding_delay = 0.040;     // through the gateway to a rack
constexpr double unreachable_timeout = 0.100;  // the gateway's internal time-out

constexpr int exc_function = 0x01, exc_address = 0x02, exc_value = 0x03, exc_no_rack = 0x0A,
              exc_no_device = 0x0B;

constexpr int max_read = 125, max_write = 123;

}  // namespace

std::string settings_for_bus_mode(int bus_mode) {
    switch (bus_mode) {
        case 1:
            return "19200,E,8,1";
        case 2:
            return "57600,E,8,1";
        default:
            return "9600,E,8,1";
    }
}

struct Plant::Outcome {
    bool answered = false;
    int exception = 0;
    std::vector<std::uint16_t> words;
    std::string device;
    double delay = 0;
    std::optional<int> echo_start;  // a write answer's start register, if not the request's
};

Plant::Plant(int bus_mode) : bus_mode_(bus_mode) {
    if (bus_mode == 1) gateway_.emplace(1, 32, 203);
    if (bus_mode == 2) gateway_.emplace(2, 34, 210);
}

Transmitter& Plant::add(int address, Transmitter t) {
    if (bus_mode_ == 1 || bus_mode_ == 2)
        throw std::logic_error("transmitters behind a gateway sit in racks");
    if (address < 1 || address > 255)
        throw std::invalid_argument("address " + std::to_string(address) + " outside 1..255");
    if (has(address))
        throw std::invalid_argument("address " + std::to_string(address) +
                                    " already taken (use Fault::collision())");
    // The device knows its own address in the high byte of word 113.
    const int low = static_cast<std::uint16_t>(t.param(113)) & 0xFF;
    t.set_param(113, address << 8 | low);
    return devices_.emplace(address, std::move(t)).first->second;
}

void Plant::remove(int address) {
    devices_.erase(address);
}

Transmitter& Plant::device(int address) {
    auto it = devices_.find(address);
    if (it == devices_.end())
        throw std::out_of_range("no device at address " + std::to_string(address));
    return it->second;
}

Gateway& Plant::gateway() {
    if (!gateway_) throw std::logic_error("the direct bus has no gateway");
    return *gateway_;
}

EchoPlan Plant::echo_plan(std::span<const std::uint8_t> block) {
    EchoPlan plan{echo_, 0};
    pending_echo_fault_.clear();
    if (block.size() < 4 || !crc_ok(block)) return plan;  // the probe byte and noise
    const int unit = block[0], function = block[1], start = word_at(block, 2);
    for (auto& f : faults_) {
        if (!f.matches(unit, function, start)) continue;
        if (f.kind() == FaultKind::unexpected_echo && !plan.echo) {
            if (!f.use()) continue;
            plan.echo = true;
            pending_echo_fault_ = fault_name(f.kind());
        } else if (f.kind() == FaultKind::echo_delayed && plan.echo) {
            if (!f.use()) continue;
            plan.delay += f.seconds();
            if (!pending_echo_fault_.empty()) pending_echo_fault_ += "+";
            pending_echo_fault_ += fault_name(f.kind());
        }
    }
    return plan;
}

namespace {

// Decodes a request into `entry` (start, count, written values) and returns the
// exception a malformed one is answered with, 0 for a sound one.
int decode_request(std::span<const std::uint8_t> frame, LogEntry& entry) {
    if (entry.function == 3) {
        if (frame.size() != 8) return exc_value;
        entry.start = word_at(frame, 2);
        entry.count = word_at(frame, 4);
        return entry.count < 1 || entry.count > max_read ? exc_value : 0;
    }
    if (entry.function != 16) return exc_function;
    if (frame.size() < 9) return exc_value;
    entry.start = word_at(frame, 2);
    entry.count = word_at(frame, 4);
    const std::size_t bytes = frame[6];
    if (entry.count < 1 || entry.count > max_write || bytes != 2u * entry.count ||
        frame.size() != 9 + bytes)
        return exc_value;
    for (int i = 0; i < entry.count; ++i)
        entry.values.push_back(static_cast<std::uint16_t>(word_at(frame, 7 + 2 * i)));
    return 0;
}

}  // namespace

std::optional<Reply> Plant::handle(std::span<const std::uint8_t> frame, double now) {
    if (!crc_ok(frame)) return std::nullopt;  // a device ignores a frame with a bad CRC
    LogEntry entry;
    entry.time = now;
    entry.unit = frame[0];
    entry.function = frame[1];
    entry.fault = std::move(pending_echo_fault_);
    pending_echo_fault_.clear();

    // A malformed request is answered with an exception by whoever owns the unit.
    const int bad_request = decode_request(frame, entry);

    // Unit 0 is the broadcast address: nobody answers and the plant ignores it.
    const bool someone = entry.unit != 0 && (bus_mode_ == 1 || bus_mode_ == 2 || has(entry.unit));

    // Faults that decide whether the request reaches a device at all.
    std::vector<Fault*> applied;
    if (someone) {
        for (auto& f : faults_)
            if (f.matches(entry.unit, entry.function, entry.start) &&
                f.kind() != FaultKind::echo_delayed && f.kind() != FaultKind::unexpected_echo &&
                f.use())
                applied.push_back(&f);
    }
    auto names = [&] {
        std::string s = entry.fault;
        for (auto* f : applied) s += (s.empty() ? "" : "+") + std::string(fault_name(f->kind()));
        return s;
    };
    for (auto* f : applied)
        if (f->kind() == FaultKind::silent) {
            entry.fault = names();
            log_.push_back(std::move(entry));
            return std::nullopt;
        }

    const Fault* refusal = nullptr;
    for (auto* f : applied)
        if (f->kind() == FaultKind::refused) refusal = f;
    const Outcome out = answer(entry, bad_request, someone, refusal, now);

    entry.device = out.answered ? out.device : "";
    entry.answered = out.answered;
    entry.exception = out.exception;
    entry.fault = names();
    if (!out.answered) {
        log_.push_back(std::move(entry));
        return std::nullopt;
    }

    // The answer frame, then what the wire does to it.
    std::vector<std::uint8_t> f{static_cast<std::uint8_t>(entry.unit)};
    const int echo_start = out.echo_start.value_or(entry.start);
    if (out.exception) {
        f.push_back(static_cast<std::uint8_t>(entry.function | 0x80));
        f.push_back(static_cast<std::uint8_t>(out.exception));
    } else if (entry.function == 3) {
        f.push_back(3);
        f.push_back(static_cast<std::uint8_t>(2 * out.words.size()));
        for (auto w : out.words) put_word(f, w);
    } else {
        f.push_back(16);
        put_word(f, echo_start);
        put_word(f, entry.count);
    }
    append_crc(f);

    Reply reply{std::move(f), out.delay};
    entry.exception = apply_wire_faults(
        reply, applied, {entry.unit, entry.function, entry.count, echo_start, out.words},
        entry.exception);
    log_.push_back(std::move(entry));
    return reply;
}

Plant::Outcome Plant::answer(const LogEntry& entry, int bad_request, bool someone,
                             const Fault* refusal, double now) {
    // Who turns a request away before carrying it out: the unit's owner.
    auto turned_away = [&](int code, double delay) {
        Outcome o;
        o.answered = true;
        o.exception = code;
        o.delay = delay;
        o.device = bus_mode_ == 1 || bus_mode_ == 2
                       ? (entry.unit == 1 ? "gateway" : "rack " + std::to_string(entry.unit / 2))
                       : std::to_string(entry.unit);
        return o;
    };
    if (entry.unit == 0) return {};
    if (bad_request) return someone ? turned_away(bad_request, direct_turnaround) : Outcome{};
    if (refusal) {
        const bool gateway = bus_mode_ == 1 || bus_mode_ == 2;
        if (gateway || !device(entry.unit).silent())
            return turned_away(refusal->code(),
                               gateway && entry.unit != 1 ? forwarding_delay : direct_turnaround);
        return {};
    }
    return dispatch(entry.unit, entry.function, entry.start, entry.values, entry.count, now);
}

Plant::Outcome Plant::dispatch(int unit, int function, int start,
                               std::span<const std::uint16_t> values, int count, double now) {
    if (bus_mode_ == 1 || bus_mode_ == 2)
        return via_gateway(unit, function, start, values, count, now);
    return direct(unit, function, start, values, count, now);
}

Plant::Outcome Plant::direct(int unit, int function, int start,
                             std::span<const std::uint16_t> values, int count, double now) {
    Outcome out;
    auto it = devices_.find(unit);
    if (it == devices_.end() || it->second.silent()) return out;
    Transmitter& t = it->second;
    out.answered = true;
    out.device = std::to_string(unit);
    out.delay = direct_turnaround;
    if (start + count > 0x10000) {
        out.exception = exc_address;
        return out;
    }
    if (function == 3) {
        out.exception = t.read(start, count, out.words, now, strict_);
        return out;
    }
    out.exception = t.write(start, values, now, strict_);
    // A new bus address in word 113 takes effect after the answer to the store command
    // (the answer still comes from the old address); a taken address is not moved to.
    const bool store = !out.exception && start <= reg_store && start + count > reg_store &&
                       values[reg_store - start] == 1;
    if (store) {
        const int moved_to = (static_cast<std::uint16_t>(t.stored_param(113)) >> 8) & 0xFF;
        if (moved_to >= 1 && moved_to != unit && !has(moved_to)) {
            Transmitter moved = std::move(t);
            devices_.erase(it);
            devices_.emplace(moved_to, std::move(moved));
        }
    }
    return out;
}

Plant::Outcome Plant::via_gateway(int unit, int function, int start,
                                  std::span<const std::uint16_t> values, int count, double now) {
    Outcome out;
    Gateway& gw = *gateway_;
    gw.tick(now);
    out.answered = true;
    if (start + count > 0x10000) {
        out.exception = exc_address;
        out.delay = gateway_turnaround;
        return out;
    }
    if (unit == 1) {
        out.device = "gateway";
        out.delay = gateway_turnaround;
        out.exception =
            function == 3 ? gw.read_own(start, count, out.words, now) : gw.write_own(start, values);
        return out;
    }
    // The gateway cannot reach the rack or the transmitter: exception after its own
    // time-out, or no answer at all when so configured.
    auto unreachable = [&](int code, std::string who) {
        if (gw.silent_when_unreachable()) return Outcome{};
        Outcome o;
        o.answered = true;
        o.exception = code;
        o.device = std::move(who);
        o.delay = unreachable_timeout;
        return o;
    };
    const int rack = unit / 2, half = unit % 2;
    if (!gw.has_rack(rack)) return unreachable(exc_no_rack, "gateway");
    Concentrator& conc = gw.rack(rack);
    if (conc.silent()) {
        gw.set_diag(Diag::missing_answer, rack, true);
        return unreachable(exc_no_rack, "gateway");
    }
    out.delay = forwarding_delay;
    const bool hzl3 = gw.is_hzl3();
    const int window = hzl3 ? 4000 : 5000;
    const int first_window = hzl3 ? 1000 : 5000;
    if (start >= first_window) {
        const int index = (start - first_window) / window;  // 0-based slot within the half
        const int per_half = hzl3 ? 16 : 10;
        if (index >= per_half) {
            out.device = "rack " + std::to_string(rack);
            out.exception = exc_address;
            return out;
        }
        const int slot = index + 1 + per_half * half;
        const int reg = hzl3 ? (start - 1000) % 4000 : start % 5000;
        const std::string who = "rack " + std::to_string(rack) + " slot " + std::to_string(slot);
        if (!conc.has(slot)) return unreachable(exc_no_device, "rack " + std::to_string(rack));
        Transmitter& t = conc.slot(slot);
        if (t.silent()) {
            conc.set_diag(Diag::missing_answer, slot, true);
            gw.set_diag(Diag::remote_timeout, rack, true);
            return unreachable(exc_no_device, "rack " + std::to_string(rack));
        }
        out.device = who;
        out.exception = function == 3 ? t.read(reg, count, out.words, now, strict_)
                                      : t.write(reg, values, now, strict_);
        if (function == 16 && gw.passes_transmitter_echo()) out.echo_start = reg;
        return out;
    }
    // Below the first window: the concentrator's own blocks on 2R, nothing on 2R + 1.
    out.device = "rack " + std::to_string(rack);
    if (half == 1) {
        out.exception = exc_address;
        return out;
    }
    const int process_base = hzl3 ? 100 : 1000;
    const int last = start + count - 1;
    if (last < process_base) {
        out.exception = function == 3 ? conc.read_settings(start, count, out.words)
                                      : conc.write_settings(start, values);
        return out;
    }
    if (function == 3 && start >= process_base && last < process_base + 80) {
        const auto data = conc.process_data(now);
        out.words.assign(data.begin() + (start - process_base),
                         data.begin() + (last - process_base + 1));
        return out;
    }
    out.exception = exc_address;
    return out;
}

}  // namespace dvx::sim

#include "sim/transmitter.h"

#include <cmath>
#include <stdexcept>

#include "images/param_image.h"

namespace dvx::sim {

namespace {

// Reaction words of the supervision bits per family (cleared in a normalised image).
constexpr int krv_reaction_words[] = {70, 96, 114, 127};
constexpr int dlx_reaction_words[] = {79, 87, 96, 101};

constexpr double latch_cycle = 0.1;  // error memory latches R[5] every internal cycle

std::uint16_t u16(int v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}

}  // namespace

Family family_of(int type_code) {
    if (type_code >= 11 && type_code <= 16) return Family::krv;
    if (type_code >= 111 && type_code <= 113) return Family::dlx;
    return Family::other;
}

int default_param_count(int type_code, int version) {
    if (family_of(type_code) == Family::krv) return version >= 410 ? 140 : 128;
    return 127;
}

Transmitter::Transmitter(int type_code, int version) : comment_(comment_words, 0x2020) {
    const Family fam = family_of(type_code);
    status_[reg_type] = u16(type_code);
    status_[reg_version] = u16(version);
    status_[25] = fam == Family::dlx ? 0xC8B4 : 180;  // DLX: supply 200 high, 180 low
    status_[26] = u16(40 << 8 | 128);                 // current output jumper, low byte 128
    status_[44] = 2350;                               // cold junction 23.50 degC
    for (int p = 0; p < images::default_image_words; ++p)
        working_[p] = u16(images::default_param_image[p]);
    // Normalised as the supervision pages leave it: alarm 1 MAX energized, alarms
    // 2..4 without function (bits 2..3) and without reaction bits (6..15).
    working_[83] = 0x0005;
    for (int p = 84; p <= 86; ++p) working_[p] &= 0x0003;
    working_[75] = 0;
    if (fam == Family::dlx) {
        for (int p : dlx_reaction_words) working_[p] = 0;
        working_[99] = 19;  // the DLX pages force 19 into the image
        working_[6] = 200;  // supply circuit, high byte of R[25]
    } else {
        for (int p : krv_reaction_words) working_[p] = 0;
    }
    // Output points 4/20 mA and 2/10 V; R[25]/R[26] low byte as after calibration.
    working_[57] = 5170;
    working_[58] = 25830;
    working_[51] = 5640;
    working_[52] = 28180;
    working_[62] = status_[25] & 0xFF;
    working_[59] = status_[26] & 0xFF;
    comment_[0] = 0x0320;  // empty comment: end mark, blank
    param_count_ = default_param_count(type_code, version);
    stored_ = working_;
    calib_.start(*this);
}

void Transmitter::set_param_count(int n) {
    if (n < 1 || n > param_regs) throw std::out_of_range("parameter count " + std::to_string(n));
    param_count_ = n;
}

std::uint16_t Transmitter::status(int reg) const {
    if (reg < 0 || reg >= status_regs)
        throw std::out_of_range("status register " + std::to_string(reg));
    return status_[reg];
}

void Transmitter::set_status(int reg, int value) {
    if (reg < 0 || reg >= status_regs)
        throw std::out_of_range("status register " + std::to_string(reg));
    status_[reg] = u16(value);
}

std::int16_t Transmitter::param(int p) const {
    if (p < 0 || p >= param_regs) throw std::out_of_range("parameter word " + std::to_string(p));
    return static_cast<std::int16_t>(working_[p]);
}

std::int16_t Transmitter::stored_param(int p) const {
    if (p < 0 || p >= param_regs) throw std::out_of_range("parameter word " + std::to_string(p));
    return static_cast<std::int16_t>(stored_[p]);
}

void Transmitter::set_param(int p, int value) {
    if (p < 0 || p >= param_regs) throw std::out_of_range("parameter word " + std::to_string(p));
    working_[p] = stored_[p] = u16(value);
}

void Transmitter::set_stored_param(int p, int value) {
    if (p < 0 || p >= param_regs) throw std::out_of_range("parameter word " + std::to_string(p));
    stored_[p] = u16(value);
}

void Transmitter::store() {
    stored_ = working_;
}
void Transmitter::power_cycle() {
    working_ = stored_;
}

void Transmitter::set_text8(int first_word, std::string_view text) {
    for (int k = 0; k < 4; ++k) {
        auto at = [&](std::size_t i) -> std::uint8_t {
            return i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
        };
        set_param(first_word + k, at(2 * k) | at(2 * k + 1) << 8);
    }
}

std::string Transmitter::text8(int first_word) const {
    std::string s;
    for (int k = 0; k < 4; ++k) {
        const std::uint16_t w = static_cast<std::uint16_t>(param(first_word + k));
        s += static_cast<char>(w & 0xFF);
        s += static_cast<char>(w >> 8);
    }
    return s;
}

std::uint16_t Transmitter::comment_word(int i) const {
    if (i < 0 || i >= comment_words) throw std::out_of_range("comment word " + std::to_string(i));
    return comment_[i];
}

void Transmitter::set_comment_word(int i, int value) {
    if (i < 0 || i >= comment_words) throw std::out_of_range("comment word " + std::to_string(i));
    comment_[i] = u16(value);
}

void Transmitter::set_comment_text(std::string_view text) {
    std::string bytes(text);
    bytes += '\x03';
    if (bytes.size() % 2) bytes += ' ';
    if (bytes.size() / 2 > comment_words)
        throw std::out_of_range("comment longer than 1999 characters");
    for (std::size_t i = 0; i < bytes.size() / 2; ++i)
        comment_[i] = u16(static_cast<std::uint8_t>(bytes[2 * i]) << 8 |
                          static_cast<std::uint8_t>(bytes[2 * i + 1]));
}

void Transmitter::tick(double now) {
    live_state_.tick(*this, now);
    const auto cycle = static_cast<long long>(std::floor(now / latch_cycle));
    if (cycle != last_cycle_) {
        status_[reg_error_memory] |= status_[reg_errors];
        last_cycle_ = cycle;
    }
    calib_.tick(*this, now);
    if (live_) live_(*this, now);
}

bool Transmitter::read_one(int reg, std::uint16_t& value, bool strict) const {
    value = 0;
    if (reg < status_regs) {
        value = status_[reg];
        return true;
    }
    if (reg >= 1000 && reg < 1000 + param_regs) {
        // Words past the device's count read as 0: the block read always asks 16.
        const int p = reg - 1000;
        if (p < param_count_) value = working_[p];
        return true;
    }
    if (reg >= 2000 && reg < 2000 + comment_words) {
        value = comment_[reg - 2000];
        return true;
    }
    return !strict;
}

int Transmitter::read(int reg, int count, std::vector<std::uint16_t>& out, double now,
                      bool strict) {
    tick(now);
    out.clear();
    for (int i = 0; i < count; ++i) {
        std::uint16_t v = 0;
        if (!read_one(reg + i, v, strict)) return 2;
        out.push_back(v);
    }
    return 0;
}

bool Transmitter::write_one(int reg, std::uint16_t value, bool strict) {
    if (reg < status_regs) {
        switch (reg) {
            case reg_error_memory:
                status_[reg] = value;
                return true;
            case 50:
            case 51:
                status_[reg] = value;
                return true;
            case reg_apply_input:
                if (value == 1) calib_.apply_input(static_cast<std::int16_t>(working_[99]));
                return true;  // command, reads back 0
            case reg_store:
                return true;  // command, reads back 0
            case reg_cal_mode:
                if (family() == Family::krv && version() >= 410) {
                    status_[reg] = value;
                    return true;
                }
                return !strict;
            default:
                return !strict;  // read-only: dropped
        }
    }
    if (reg >= 1000 && reg < 1000 + param_count_) {
        working_[reg - 1000] = value;
        return true;
    }
    if (reg >= 2000 && reg < 2000 + comment_words) {
        comment_[reg - 2000] = value;  // non-volatile at once
        return true;
    }
    return !strict;
}

int Transmitter::write(int reg, std::span<const std::uint16_t> values, double now, bool strict) {
    tick(now);
    if (strict) {
        // Refuse the whole request before anything changes.
        Transmitter probe = *this;
        probe.live_ = nullptr;
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!probe.write_one(reg + static_cast<int>(i), values[i], true)) return 2;
    }
    bool store_cmd = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int r = reg + static_cast<int>(i);
        write_one(r, values[i], strict);
        if (r == reg_store && values[i] == 1) store_cmd = true;
    }
    if (store_cmd) store();
    live_state_.written(*this, reg, static_cast<int>(values.size()), now);
    return 0;
}

}  // namespace dvx::sim

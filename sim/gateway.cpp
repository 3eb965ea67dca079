#include "sim/gateway.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace dvx::sim {

namespace {

std::uint16_t u16(int v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}

// The racks of a gateway and the slots of a concentrator: numbered places 1..max, each
// empty or holding one item, and one bit a place in each diagnosis word.
template <class T>
T& add_at(std::map<int, T>& places, int n, T item, int max, const char* what, const char* taken) {
    if (n < 1 || n > max)
        throw std::invalid_argument(std::string(what) + " " + std::to_string(n) + " outside 1.." +
                                    std::to_string(max));
    if (places.count(n))
        throw std::invalid_argument(std::string(what) + " " + std::to_string(n) + " " + taken);
    return places.emplace(n, std::move(item)).first->second;
}

template <class Map>
auto& at(Map& places, int n, const std::string& missing) {
    auto it = places.find(n);
    if (it == places.end()) throw std::out_of_range(missing);
    return it->second;
}

template <class Bits>
void set_place_bit(Bits& bits, int n, int max, bool on) {
    if (n < 1 || n > max) return;
    const Bits bit = Bits{1} << (n - 1);
    bits = on ? bits | bit : bits & ~bit;
}

template <class Bits>
bool place_bit(Bits bits, int n, int max) {
    return n >= 1 && n <= max && ((bits >> (n - 1)) & 1);
}

constexpr int process_words = 80;
constexpr double gateway_poll = 1.0;  // the gateway's own poll cycle over its racks

}  // namespace

// ---- Concentrator --------------------------------------------------------------

Concentrator::Concentrator(int type_code, int version) {
    words_[0] = u16(type_code);
    words_[2] = u16(version);
    words_[21] = 48;  // start address: the measured value R[48]
    words_[22] = 2;   // data length
    words_[23] = type_code == 33 ? 32 : 20;
}

std::uint16_t Concentrator::word(int w) const {
    if (w < 0 || w >= 26) throw std::out_of_range("concentrator word " + std::to_string(w));
    if (w == 3 || w == 4) {
        std::uint32_t mask = 0;
        for (const auto& [s, t] : slots_)
            if (s >= 1 && s <= 32) mask |= std::uint32_t{1} << (s - 1);
        return static_cast<std::uint16_t>(w == 3 ? mask & 0xFFFF : mask >> 16);
    }
    if (w >= 7 && w <= 16) {
        const std::uint32_t bits = diag_[(w - 7) / 2];
        return static_cast<std::uint16_t>((w - 7) % 2 == 0 ? bits & 0xFFFF : bits >> 16);
    }
    if (w == 20) return 0;  // command: executed on write, reads back 0
    return words_[w];
}

void Concentrator::set_word(int w, int value) {
    if (w < 0 || w >= 26) throw std::out_of_range("concentrator word " + std::to_string(w));
    if (w == 3 || w == 4 || w == 20) return;  // derived / command
    if (w >= 7 && w <= 16) {
        std::uint32_t& bits = diag_[(w - 7) / 2];
        const std::uint32_t v = static_cast<std::uint16_t>(value);
        bits = (w - 7) % 2 == 0 ? (bits & 0xFFFF0000u) | v : (bits & 0xFFFFu) | v << 16;
        return;
    }
    words_[w] = u16(value);
}

Transmitter& Concentrator::add(int slot, Transmitter t) {
    return add_at(slots_, slot, std::move(t), 32, "slot", "already occupied");
}

void Concentrator::remove(int slot) {
    slots_.erase(slot);
}

Transmitter& Concentrator::slot(int s) {
    return at(slots_, s, "no transmitter in slot " + std::to_string(s));
}

const Transmitter& Concentrator::slot(int s) const {
    return at(slots_, s, "no transmitter in slot " + std::to_string(s));
}

void Concentrator::set_diag(Diag d, int slot, bool on) {
    set_place_bit(diag_[static_cast<int>(d)], slot, 32, on);
}

bool Concentrator::diag(Diag d, int slot) const {
    return place_bit(diag_[static_cast<int>(d)], slot, 32);
}

std::vector<std::uint16_t> Concentrator::process_data(double now) {
    const int start = std::clamp<int>(words_[21], 0, 70);
    const int length = std::clamp<int>(words_[22], 1, 8);
    std::vector<std::uint16_t> data;
    for (auto& [s, t] : slots_) {
        std::vector<std::uint16_t> part(length, 0);
        if (!t.silent()) t.read(start, length, part, now, false);
        for (auto v : part)
            if (static_cast<int>(data.size()) < process_words) data.push_back(v);
    }
    data.resize(process_words, 0);
    return data;
}

int Concentrator::read_settings(int reg, int count, std::vector<std::uint16_t>& out) const {
    out.clear();
    for (int r = reg; r < reg + count; ++r) out.push_back(r < 26 ? word(r) : 0);
    return 0;
}

int Concentrator::write_settings(int reg, std::span<const std::uint16_t> values) {
    // The whole request is applied first, then the command word acts; the settings
    // are only stored, so the command has nothing more to do than read back 0. Words
    // past the block are acknowledged and dropped, as its reads there give 0.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int w = reg + static_cast<int>(i);
        if (w <= 2 || w >= 26) continue;  // identity is read-only
        set_word(w, values[i]);
    }
    return 0;
}

// ---- Gateway -------------------------------------------------------------------

Gateway::Gateway(int bus_mode, int type_code, int version) : bus_mode_(bus_mode == 2 ? 2 : 1) {
    block_[0] = u16(type_code);
    block_[2] = u16(version);
    if (is_hzl3()) {
        block_[35] = 1;   // own address
        block_[36] = 1;   // start address
        block_[37] = 1;   // device count
        block_[38] = 20;  // block length
        block_[40] = 3;   // process-bus baud index
    } else {
        table_[0] = 1;  // own address
        table_[1] = 1;  // start address
    }
}

std::uint16_t Gateway::word(int w) const {
    if (w < 0 || w > 40) throw std::out_of_range("gateway word " + std::to_string(w));
    const int first_mask = 3;
    const int mask_words = is_hzl3() ? 4 : 2;
    if (w >= first_mask && w < first_mask + mask_words) {
        std::uint64_t mask = 0;
        for (const auto& [r, c] : racks_) mask |= std::uint64_t{1} << (r - 1);
        return static_cast<std::uint16_t>(mask >> (16 * (w - first_mask)));
    }
    const int first_diag = is_hzl3() ? 11 : 7;
    if (w >= first_diag && w < first_diag + 5 * mask_words) {
        const int d = (w - first_diag) / mask_words;
        const int part = (w - first_diag) % mask_words;
        return static_cast<std::uint16_t>(diag_[d] >> (16 * part));
    }
    if (w == (is_hzl3() ? 34 : 20)) return 0;  // command reads back 0
    return block_[w];
}

void Gateway::set_word(int w, int value) {
    if (w < 0 || w > 40) throw std::out_of_range("gateway word " + std::to_string(w));
    const int mask_words = is_hzl3() ? 4 : 2;
    if (w >= 3 && w < 3 + mask_words) return;  // derived from the racks
    const int first_diag = is_hzl3() ? 11 : 7;
    if (w >= first_diag && w < first_diag + 5 * mask_words) {
        const int d = (w - first_diag) / mask_words;
        const int shift = 16 * ((w - first_diag) % mask_words);
        diag_[d] = (diag_[d] & ~(std::uint64_t{0xFFFF} << shift)) |
                   std::uint64_t{static_cast<std::uint16_t>(value)} << shift;
        return;
    }
    if (w == (is_hzl3() ? 34 : 20)) return;
    block_[w] = u16(value);
}

std::uint16_t Gateway::table(int i) const {
    if (i < 0 || i >= 602) throw std::out_of_range("table entry " + std::to_string(i));
    return table_[i];
}

void Gateway::set_table(int i, int value) {
    if (i < 0 || i >= 602) throw std::out_of_range("table entry " + std::to_string(i));
    table_[i] = u16(value);
}

Concentrator& Gateway::add_rack(int rack, Concentrator c) {
    return add_at(racks_, rack, std::move(c), max_racks(), "rack", "already present");
}

void Gateway::remove_rack(int rack) {
    racks_.erase(rack);
}

Concentrator& Gateway::rack(int r) {
    return at(racks_, r, "no rack " + std::to_string(r));
}

const Concentrator& Gateway::rack(int r) const {
    return at(racks_, r, "no rack " + std::to_string(r));
}

void Gateway::set_diag(Diag d, int rack, bool on) {
    set_place_bit(diag_[static_cast<int>(d)], rack, 64, on);
}

bool Gateway::diag(Diag d, int rack) const {
    return place_bit(diag_[static_cast<int>(d)], rack, 64);
}

void Gateway::tick(double now) {
    const auto cycle = static_cast<long long>(std::floor(now / gateway_poll));
    if (cycle == last_poll_) return;
    last_poll_ = cycle;
    for (auto& [r, c] : racks_) {
        if (c.silent()) {
            set_diag(Diag::missing_answer, r, true);
            continue;
        }
        for (const auto& [s, t] : c.slots())
            if (t.silent()) {
                c.set_diag(Diag::missing_answer, s, true);
                set_diag(Diag::remote_timeout, r, true);
            }
    }
}

std::vector<std::uint16_t> Gateway::results(double now) {
    std::vector<std::uint16_t> out;
    if (is_hzl3()) {
        const int length = std::clamp<int>(block_[38], 1, 125);
        for (auto& [r, c] : racks_) {
            std::vector<std::uint16_t> data =
                c.silent() ? std::vector<std::uint16_t>(process_words, 0) : c.process_data(now);
            for (int i = 0; i < length && i < process_words; ++i) out.push_back(data[i]);
        }
        out.resize(3000, 0);
        return out;
    }
    auto value_of = [&](int rack, int slot) -> std::uint16_t {
        auto rit = racks_.find(rack);
        if (rit == racks_.end() || rit->second.silent()) return 0;
        auto sit = rit->second.slots().find(slot);
        if (sit == rit->second.slots().end() || sit->second.silent()) return 0;
        std::vector<std::uint16_t> v;
        sit->second.read(48, 1, v, now, false);
        return v.empty() ? 0 : v[0];
    };
    if (version() >= 500) {
        // The table is not used from 5.00 on: occupied slots in rack/slot order.
        for (auto& [r, c] : racks_)
            for (auto& [s, t] : c.slots()) out.push_back(value_of(r, s));
    } else {
        for (int v = 1; v <= 600; ++v) {
            const std::uint16_t entry = table_[1 + v];
            out.push_back(entry == 0 ? 0 : value_of((entry & 0x7FFF) >> 8, entry & 0xFF));
        }
    }
    out.resize(3000, 0);
    if (!is_hzl3()) std::fill(out.begin() + 600, out.end(), 0);
    return out;
}

int Gateway::read_own(int reg, int count, std::vector<std::uint16_t>& out, double now) {
    out.clear();
    const int last = reg + count - 1;
    if (last < 100) {
        for (int r = reg; r <= last; ++r) out.push_back(r <= 40 ? word(r) : 0);
        return 0;
    }
    if (reg >= 2000 && last <= 2601) {
        if (is_hzl3()) return 2;  // no variable table on an HZL3
        for (int r = reg; r <= last; ++r) out.push_back(table_[r - 2000]);
        return 0;
    }
    if (reg >= 4000 && last <= 6999) {
        const auto res = results(now);
        for (int r = reg; r <= last; ++r) out.push_back(res[r - 4000]);
        return 0;
    }
    return 2;
}

int Gateway::write_own(int reg, std::span<const std::uint16_t> values) {
    const int last = reg + static_cast<int>(values.size()) - 1;
    if (last < 100) {
        // Apply the whole request, then the command word (34 HZL3, 20 HZL) acts on the
        // stored settings and reads back 0. Words past the block (41..99, read as 0) are
        // acknowledged and dropped.
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int w = reg + static_cast<int>(i);
            if (w <= 2 || w > 40) continue;
            set_word(w, values[i]);
        }
        return 0;
    }
    if (reg >= 2000 && last <= 2601 && !is_hzl3()) {
        for (std::size_t i = 0; i < values.size(); ++i) table_[reg - 2000 + i] = values[i];
        return 0;
    }
    return 2;
}

}  // namespace dvx::sim

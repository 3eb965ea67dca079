#pragma once
// HZL (type 32, bus mode 1) and HZL3 (type 34, bus mode 2) gateways with racks of BNR
// concentrators (31 behind HZL, 33 behind HZL3), each holding transmitters in slots.
// The gateway itself answers on unit 1; rack R answers on units 2R and 2R + 1.
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "sim/transmitter.h"

namespace dvx::sim {

// Diagnosis bitmaps, in register order (HZL 7/8.., HZL3 11..14.., BNR 7/8..).
enum class Diag {
    remote_timeout = 0,
    local_timeout = 1,
    crc_error = 2,
    missing_answer = 3,
    context_error = 4
};

class Concentrator {
  public:
    Concentrator(int type_code = 31, int version = 105);

    int type_code() const { return words_[0]; }
    int version() const { return words_[2]; }
    // Settings words 0..25 (3/4 occupied slots and 7..16 diagnosis are derived).
    std::uint16_t word(int w) const;
    void set_word(int w, int value);

    Transmitter& add(int slot, Transmitter t);
    void remove(int slot);
    bool has(int slot) const { return slots_.count(slot) != 0; }
    Transmitter& slot(int s);
    const Transmitter& slot(int s) const;
    const std::map<int, Transmitter>& slots() const { return slots_; }
    std::map<int, Transmitter>& slots() { return slots_; }

    bool silent() const { return silent_; }
    void set_silent(bool on) { silent_ = on; }

    void set_diag(Diag d, int slot, bool on);
    bool diag(Diag d, int slot) const;

    // Process data: for occupied slots ascending, (data length = word 22) status words
    // of each transmitter from (start address = word 21), until 80 words.
    std::vector<std::uint16_t> process_data(double now);

    // Settings registers 0..25 as the bus sees them; 0 or an exception code.
    int read_settings(int reg, int count, std::vector<std::uint16_t>& out) const;
    int write_settings(int reg, std::span<const std::uint16_t> values);

  private:
    std::array<std::uint16_t, 26> words_{};
    std::array<std::uint32_t, 5> diag_{};
    std::map<int, Transmitter> slots_;
    bool silent_ = false;
};

class Gateway {
  public:
    // HZL: type 32; HZL3: type 34. The layout follows the bus mode (1 HZL, 2 HZL3),
    // so a gateway of the other type on a bus can be modelled too.
    Gateway(int bus_mode = 1, int type_code = 32, int version = 203);

    int bus_mode() const { return bus_mode_; }
    bool is_hzl3() const { return bus_mode_ == 2; }
    int type_code() const { return block_[0]; }
    int version() const { return block_[2]; }
    int max_racks() const { return is_hzl3() ? 64 : 30; }
    int max_slots() const { return is_hzl3() ? 32 : 20; }

    // Block words 0..40 (active racks and diagnosis words are derived).
    std::uint16_t word(int w) const;
    void set_word(int w, int value);
    // HZL variable table: entry 0 gateway address, 1 start address, 2..601 variables.
    std::uint16_t table(int i) const;
    void set_table(int i, int value);

    Concentrator& add_rack(int rack, Concentrator c);
    void remove_rack(int rack);
    bool has_rack(int rack) const { return racks_.count(rack) != 0; }
    Concentrator& rack(int r);
    const Concentrator& rack(int r) const;
    const std::map<int, Concentrator>& racks() const { return racks_; }
    std::map<int, Concentrator>& racks() { return racks_; }

    void set_diag(Diag d, int rack, bool on);
    bool diag(Diag d, int rack) const;

    // Unreachable rack or transmitter: exception 0A/0B after the internal time-out
    // (default), or no answer at all.
    bool silent_when_unreachable() const { return silent_when_unreachable_; }
    void set_silent_when_unreachable(bool on) { silent_when_unreachable_ = on; }

    // A write answered by a transmitter in a slot goes back as the transmitter gave it,
    // echoing the register the transmitter knows (0..9999), instead of the one sent
    // on the bus (its slot's window). Off by default.
    bool passes_transmitter_echo() const { return pass_transmitter_echo_; }
    void set_pass_transmitter_echo(bool on) { pass_transmitter_echo_ = on; }

    // Result pages 4000.. (24000.. logical).
    std::vector<std::uint16_t> results(double now);

    // The gateway polls its racks about once a second: faults still present set their
    // diagnosis bits again (after a reset too).
    void tick(double now);

    // Own registers on unit 1; 0 or an exception code.
    int read_own(int reg, int count, std::vector<std::uint16_t>& out, double now);
    int write_own(int reg, std::span<const std::uint16_t> values);

  private:
    int bus_mode_;
    std::array<std::uint16_t, 41> block_{};
    std::array<std::uint16_t, 602> table_{};
    std::array<std::uint64_t, 5> diag_{};
    std::map<int, Concentrator> racks_;
    bool silent_when_unreachable_ = false;
    bool pass_transmitter_echo_ = false;
    long long last_poll_ = -1;
};

}  // namespace dvx::sim

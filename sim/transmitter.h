#pragma once
// A KRV or DLX transmitter as the bus sees it: status registers 0..64, the parameter
// registers 1000.. in a working and a stored set, and the comment memory 2000..2999.
// Writes change the working set at once; the store command (56 := 1) copies it to the
// stored set; a power cycle reloads the stored set.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/transmitter_calib.h"
#include "sim/transmitter_live.h"

namespace dvx::sim {

enum class Family { krv, dlx, other };

// 11..16 KRV, 111..113 DLX, anything else `other` (it still answers like a transmitter).
Family family_of(int type_code);
// 140 words for KRV 4.10 and later, 128 for other KRV, 127 for DLX and unknown codes.
int default_param_count(int type_code, int version);

inline constexpr int status_regs = 65;      // registers 0..64
inline constexpr int param_regs = 200;      // registers 1000..1199 exist; N of them are used
inline constexpr int comment_words = 1000;  // registers 2000..2999

// Register numbers of the status words with an effect.
inline constexpr int reg_type = 0, reg_version = 4, reg_errors = 5, reg_error_memory = 6,
                     reg_store = 56, reg_apply_input = 57, reg_cal_mode = 59;

class Transmitter {
  public:
    // A device as delivered: the default parameter image, normalised (alarm 1 MAX,
    // others without function, no reaction bits), plausible status words.
    explicit Transmitter(int type_code = 11, int version = 405);

    int type_code() const { return status_[reg_type]; }
    int version() const { return status_[reg_version]; }
    Family family() const { return family_of(type_code()); }
    int param_count() const { return param_count_; }
    void set_param_count(int n);

    // Status registers 0..64 (values as on the wire).
    std::uint16_t status(int reg) const;
    void set_status(int reg, int value);
    // Current error bits R[5]; the error memory R[6] latches them every 0.1 s.
    void set_error_bits(int bits) { set_status(reg_errors, bits); }

    // Parameter word p = register 1000 + p, working set.
    std::int16_t param(int p) const;
    std::int16_t stored_param(int p) const;
    // Configuration: sets the word in both sets (as if stored long ago).
    void set_param(int p, int value);
    void set_stored_param(int p, int value);  // stored set only (as if changed unstored)
    void store();                             // working -> stored (what register 56 := 1 does)
    void power_cycle();                       // stored -> working; unstored changes are lost

    // 8-character texts of the parameter words, two characters a word, low byte
    // first, in the device character set (bytes as given).
    void set_text8(int first_word, std::string_view text);
    std::string text8(int first_word) const;
    void set_tag(std::string_view text) { set_text8(119, text); }
    void set_serial(std::string_view text) { set_text8(123, text); }
    std::string tag() const { return text8(119); }
    std::string serial() const { return text8(123); }

    // Comment memory: word i = register 2000 + i, high byte first.
    std::uint16_t comment_word(int i) const;
    void set_comment_word(int i, int value);
    // Writes text + end mark 3 from word 0 on and blanks after (no other words change).
    void set_comment_text(std::string_view text);

    // A silent device never answers (behind a gateway: the gateway reports it).
    bool silent() const { return silent_; }
    void set_silent(bool on) { silent_ = on; }

    // Called with the time before every access: room for live values, forced outputs
    // and calibration transients that change status registers over time.
    using Hook = std::function<void(Transmitter&, double now)>;
    void set_live(Hook hook) { live_ = std::move(hook); }
    // Process signal, loop resistance, forced output readback (transmitter_live.h).
    Live& live() { return live_state_; }

    // Input switching, reference signal and raw measuring words (transmitter_calib.h).
    InputCalib& calib() { return calib_; }

    // Strict mode: writes past the used parameter words or to read-only status
    // registers, and registers outside the map, get exception 02 instead of being
    // acknowledged and dropped (reads) or answered with 0 (reads).
    // Wire access; the result is 0 or a Modbus exception code.
    int read(int reg, int count, std::vector<std::uint16_t>& out, double now, bool strict);
    int write(int reg, std::span<const std::uint16_t> values, double now, bool strict);

  private:
    void tick(double now);
    bool read_one(int reg, std::uint16_t& value, bool strict) const;
    bool write_one(int reg, std::uint16_t value, bool strict);

    std::array<std::uint16_t, status_regs> status_{};
    std::array<std::uint16_t, param_regs> working_{};
    std::array<std::uint16_t, param_regs> stored_{};
    std::vector<std::uint16_t> comment_;
    int param_count_ = 127;
    bool silent_ = false;
    long long last_cycle_ = -1;
    Hook live_;
    InputCalib calib_;
    Live live_state_;
};

}  // namespace dvx::sim

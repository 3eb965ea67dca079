#pragma once
// Line faults you can name. A fault changes what the bus does with the requests it
// matches (by unit, function code and start register on the wire) for the next N of
// them or always; every request a fault touched names it in the request log.
//
//   plant.fault(Fault::silent().unit(17).next(2));      // first two sends unanswered
//   plant.fault(Fault::foreign_function(4).unit(3));    // always function 4 instead of 3
#include <cstdint>
#include <string>
#include <vector>

namespace dvx::sim {

enum class FaultKind {
    silent,            // X1/X2: no answer at all
    delayed,           // X3: answer starts `seconds` after the request (late bytes)
    bad_crc,           // X4: one bit of the last CRC byte flipped
    truncated,         // X5: last `count` bytes of the answer missing
    extra_bytes,       // X6: `bytes` appended after the CRC
    wrong_unit,        // X7: answer carries unit `code` (0: request unit + 1), CRC fixed
    noise_before,      // X8: `bytes` sent right before the answer
    exception,         // X9: exception answer with code `code`
    foreign_function,  // X10: full-length answer with function code `code`, correct CRC
    wrong_byte_count,  // X11: byte-count field of a read answer off by `count` (2), CRC fixed
    wrong_echo,        // X11: write answer echoes start + `code` (1) and count + `count`
                       //      (1), CRC fixed
    register_count,    // X11: a read answer with `count` registers more (or fewer) than
                       //      asked, byte count to match, CRC correct
    echo_delayed,      // X12: the adapter's echo of the request arrives `seconds` late
    unexpected_echo,   // X12/E5: request echoed although the adapter is off (the lone
                       //         probe byte is not echoed, so the probe says "no echo")
    collision,         // X13: a second device on the same address answers at once:
                       //      the bytes after the unit are garbled (CRC error)
    refused,           // the device turns the request away with exception `code` and
                       // does not carry it out (a register that takes no writes)
};

// Name used in the request log and in messages ("silent", "bad_crc", ...).
const char* fault_name(FaultKind kind);

class Fault {
  public:
    // Constructors, one per kind.
    static Fault silent();
    static Fault delayed(double seconds = 1.2);
    static Fault bad_crc();
    static Fault truncated(int bytes_missing = 1);
    static Fault extra_bytes(std::vector<std::uint8_t> bytes = {0xA5});
    static Fault wrong_unit(int unit = 0);
    static Fault noise_before(std::vector<std::uint8_t> bytes = {0xFF});
    static Fault exception(int code = 4);
    static Fault foreign_function(int code = 4);
    static Fault wrong_byte_count(int off_by = 2);
    static Fault wrong_echo(int start_off_by = 1, int count_off_by = 1);
    static Fault register_count(int off_by);
    static Fault echo_delayed(double seconds = 0.5);
    static Fault unexpected_echo();
    static Fault collision();
    static Fault refused(int code = 4);

    // Scope (all optional; by default every request, always).
    Fault unit(int u) const;                     // unit address on the wire
    Fault function(int f) const;                 // 3 or 16
    Fault registers(int first, int last) const;  // start register on the wire in [first, last]
    Fault next(int n) const;                     // only the next n matching requests
    Fault after(int n) const;                    // leaves the next n matching requests alone first
    Fault always() const;

    FaultKind kind() const { return kind_; }
    double seconds() const { return seconds_; }
    int code() const { return code_; }
    int count() const { return count_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    int remaining() const { return remaining_; }  // -1 = always

    bool matches(int unit, int function, int start) const;
    // Counts one use; false once the fault is spent, or while it still lets requests pass.
    bool use();
    bool spent() const { return remaining_ == 0; }

  private:
    explicit Fault(FaultKind kind) : kind_(kind) {}

    FaultKind kind_;
    double seconds_ = 0;
    int code_ = 0;
    int count_ = 0;
    std::vector<std::uint8_t> bytes_;
    int unit_ = -1;
    int function_ = -1;
    int first_ = 0;
    int last_ = 0xFFFF;
    int remaining_ = -1;
    int passing_ = 0;  // matching requests still let through before the fault applies
};

}  // namespace dvx::sim

#pragma once
// The simulated bus: the devices of one bus mode, the echoing or silent adapter, the
// named faults and the request log. handle() is the pure core: one complete request
// frame in, the answer frame out (or silence), at the time it is given; it never
// touches a port. SimPort and the dorvanex-sim program put the line around it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/fault.h"
#include "sim/gateway.h"
#include "sim/transmitter.h"

namespace dvx::sim {

// One request as the devices saw it.
struct LogEntry {
    double time = 0;  // when the request frame was complete
    int unit = 0;
    int function = 0;
    int start = 0;  // register on the wire
    int count = 0;
    std::vector<std::uint16_t> values;  // written values (function 16)
    std::string device;                 // who answered: "17", "gateway", "rack 1",
                                        // "rack 1 slot 2"; empty when nobody did
    int exception = 0;                  // exception code answered, 0 none
    bool answered = false;
    std::string fault;  // faults applied, joined by "+"; empty none
};

// An answer: its bytes (noise, frame, trailing bytes) and when the first one goes on
// the line, counted from the end of the request.
struct Reply {
    std::vector<std::uint8_t> bytes;
    double delay = 0;
};

// What the adapter does with one block the master sends.
struct EchoPlan {
    bool echo = false;
    double delay = 0;
};

// A preset text that cannot be read: names the line (line 0: the file itself).
// The largest preset file read.
inline constexpr std::size_t max_preset_bytes = 4 * 1024 * 1024;

class PresetError : public std::runtime_error {
  public:
    PresetError(int line, const std::string& text)
        : std::runtime_error(line > 0 ? "preset line " + std::to_string(line) + ": " + text : text),
          line_(line) {}
    // The same error named by the file it was read from.
    PresetError(const std::string& file, const PresetError& e)
        : std::runtime_error(file + ": " + e.what()), line_(e.line()) {}
    int line() const { return line_; }

  private:
    int line_;
};

// "9600,E,8,1" (mode 0 and anything else), "19200,E,8,1" (1), "57600,E,8,1" (2).
std::string settings_for_bus_mode(int bus_mode);

class Plant {
  public:
    explicit Plant(int bus_mode = 0);

    // The default plant of a bus mode (0 direct, 1 HZL, 2 HZL3), echo off.
    static Plant preset(int bus_mode);
    // The default plant with its values moving: every transmitter's process signal
    // swings, thermocouple loops show a resistance, one device has a fault that comes
    // and goes. What the program's simulation mode serves.
    static Plant demo(int bus_mode);
    // A plant from the line-based preset text (see sim/README.md); throws PresetError.
    static Plant from_text(std::string_view text);
    static Plant from_file(const std::string& path);
    // The preset text that rebuilds this plant (registers, echo, options).
    std::string to_text() const;

    int bus_mode() const { return bus_mode_; }
    std::string expected_settings() const { return settings_for_bus_mode(bus_mode_); }

    // Direct bus (mode 0): transmitters by address 1..255. Adding to a taken address
    // throws std::invalid_argument (two devices on one address: Fault::collision()).
    Transmitter& add(int address, Transmitter t);
    Transmitter& add(int address, int type_code, int version) {
        return add(address, Transmitter(type_code, version));
    }
    void remove(int address);
    bool has(int address) const { return devices_.count(address) != 0; }
    Transmitter& device(int address);  // throws std::out_of_range
    const std::map<int, Transmitter>& devices() const { return devices_; }

    // Gateway modes: the gateway, its racks and the transmitters in their slots.
    Gateway& gateway();  // throws std::logic_error in mode 0
    Concentrator& rack(int r) { return gateway().rack(r); }
    Transmitter& device(int rack, int slot) { return gateway().rack(rack).slot(slot); }

    // Adapter echo (switchable between dialogs).
    void set_echo(bool on) { echo_ = on; }
    bool echo() const { return echo_; }
    // Strict register map for transmitters (exception 02 instead of lenient answers).
    void set_strict(bool on) { strict_ = on; }
    bool strict() const { return strict_; }

    // Faults.
    void fault(const Fault& f) { faults_.push_back(f); }
    void clear_faults() { faults_.clear(); }
    const std::vector<Fault>& faults() const { return faults_; }

    // Request log.
    const std::vector<LogEntry>& log() const { return log_; }
    void clear_log() { log_.clear(); }

    // The core. `frame` is one complete frame (CRC checked here: a bad one is dropped
    // unanswered and unlogged); `now` is the time the frame was complete.
    std::optional<Reply> handle(std::span<const std::uint8_t> frame, double now);
    // The adapter's echo of one block the master sends (consumes echo faults).
    EchoPlan echo_plan(std::span<const std::uint8_t> block);

  private:
    struct Outcome;
    // The device's answer to a decoded request, or a refusal by the unit's owner.
    Outcome answer(const LogEntry& entry, int bad_request, bool someone, const Fault* refusal,
                   double now);
    Outcome dispatch(int unit, int function, int start, std::span<const std::uint16_t> values,
                     int count, double now);
    Outcome direct(int unit, int function, int start, std::span<const std::uint16_t> values,
                   int count, double now);
    Outcome via_gateway(int unit, int function, int start, std::span<const std::uint16_t> values,
                        int count, double now);

    int bus_mode_;
    std::map<int, Transmitter> devices_;
    std::optional<Gateway> gateway_;
    bool echo_ = false;
    bool strict_ = false;
    std::vector<Fault> faults_;
    std::vector<LogEntry> log_;
    std::string pending_echo_fault_;
};

}  // namespace dvx::sim

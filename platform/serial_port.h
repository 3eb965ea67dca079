#pragma once
// The one serial port the device link talks through. Real ports (termios) and the
// in-process simulated bus implement it; the link never sees which one it has.
// Every operation but set_port_number/set_settings/is_open/close throws Fault on a
// closed port, as the port control of the original toolkit did.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dvx::platform {

// How long a port may hold received bytes before it hands them on (a USB adapter's
// latency timer), where it is known.
struct DeliveryBlock {
    double seconds = 0;
    bool from_system = false;  // told by the system (exact), else configured by the user
};

// The ports the main window's list offers: COM1..COM20.
inline constexpr int com_ports = 20;

class SerialPort {
  public:
    virtual ~SerialPort() = default;
    virtual void set_port_number(int number) = 0;  // 1 = COM1
    virtual int port_number() const = 0;
    virtual void set_settings(const std::string& text) = 0;  // "9600,E,8,1"
    virtual std::string settings() const = 0;
    virtual void open() = 0;  // throws Fault
    virtual void close() = 0;
    virtual bool is_open() const = 0;
    virtual int in_count() = 0;   // received bytes waiting
    virtual int out_count() = 0;  // bytes still to be sent
    virtual void discard_input() = 0;
    virtual void discard_output() = 0;
    virtual std::vector<std::uint8_t> read(int max_bytes) = 0;  // up to max, never waits
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // Blocks (without running window events) until a byte is waiting or `seconds`
    // have passed. Real ports sleep in poll(); the simulated port moves virtual time.
    virtual void wait_input(double seconds) = 0;
    // The port's delivery block as the system tells it or the user configured it for the
    // open port; nullopt where neither says.
    virtual std::optional<DeliveryBlock> delivery_block() const { return std::nullopt; }
};

}  // namespace dvx::platform

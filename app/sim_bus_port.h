#pragma once
// The simulated lines behind the COM ports (--simulate). Each COM port is a line of its
// own with its own devices and state, as with one adapter per port: choosing another
// port reaches other devices, or none. Without a preset file COM1 carries the default
// plants and follows the settings text the program gives the port before opening it:
// the baud rate of a bus mode (9600 direct, 19200 HZL, 57600 HZL3), which the main
// window chose from the marker files, picks that bus mode's demo plant (its default
// plant with moving values). So the marker files are read in one place only, and a
// plant is made on first use and kept, with everything written to its devices, for the
// rest of the run. Presets put one plant
// on a port each, for every settings text. A port without a plant answers nothing.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/plant.h"
#include "sim/sim_port.h"

namespace dvx::app {

// The bus mode whose plant expects this settings text's baud rate (19200 -> 1,
// 57600 -> 2), else 0.
int bus_mode_of_settings(const std::string& settings);

// "--preset" argument: "COMn=FILE" puts the plant on port n (1..20), a plain "FILE" on
// COM1. None for a port number outside 1..20 or an empty file name; `why` then says which.
struct PresetPlace {
    int port = 1;
    std::string path;
};
std::optional<PresetPlace> parse_preset_place(const std::string& arg, std::string* why = nullptr);

class SimBusPort final : public platform::SerialPort {
  public:
    // COM1 carries the default plants per bus mode; the other ports are empty.
    explicit SimBusPort(platform::Clock& clock);
    // The given plants (from presets) by port number; the other ports are empty.
    SimBusPort(platform::Clock& clock, std::map<int, sim::Plant> plants);

    void set_port_number(int number) override;
    int port_number() const override { return number_; }
    void set_settings(const std::string& text) override;
    std::string settings() const override { return settings_; }
    void open() override { port().open(); }
    void close() override { port().close(); }
    bool is_open() const override;
    int in_count() override { return port().in_count(); }
    int out_count() override { return port().out_count(); }
    void discard_input() override { port().discard_input(); }
    void discard_output() override { port().discard_output(); }
    std::vector<std::uint8_t> read(int max_bytes) override { return port().read(max_bytes); }
    void write(std::span<const std::uint8_t> bytes) override { port().write(bytes); }
    void wait_input(double seconds) override { port().wait_input(seconds); }

    // The plant on the current port now (made on demand).
    sim::Plant& plant() { return port().plant(); }

  private:
    struct Bus {
        std::unique_ptr<sim::Plant> plant;
        std::unique_ptr<sim::SimPort> port;
    };
    // One COM port's line: the default plants by bus mode, or one plant (a preset's,
    // or an empty one) for every settings text.
    struct Line {
        bool by_mode = false;
        int mode = 0;
        std::map<int, Bus> buses;  // by bus mode; one entry unless by_mode
    };
    Line& line();
    sim::SimPort& port();
    const sim::SimPort* current() const;
    platform::Clock& clock_;
    bool default_plants_ = false;
    std::map<int, Line> lines_;  // by port number, made on first use
    int number_ = 1;
    std::string settings_ = "9600,E,8,1";
};

}  // namespace dvx::app

#pragma once
// The simulated bus behind every COM port (--simulate). Without a preset file the
// plant follows the settings text the program gives the port before opening it: the
// baud rate of a bus mode (9600 direct, 19200 HZL, 57600 HZL3), which the main window
// chose from the marker files, picks that bus mode's default plant. So the marker
// files are read in one place only, and a plant is made on first use and kept, with
// everything written to its devices, for the rest of the run.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "sim/plant.h"
#include "sim/sim_port.h"
#include "ui/clock.h"
#include "ui/serial_port.h"

namespace dvx::app {

// The bus mode whose plant expects this settings text's baud rate (19200 -> 1,
// 57600 -> 2), else 0.
int bus_mode_of_settings(const std::string& settings);

class SimBusPort final : public ui::SerialPort {
  public:
    // Default plants per bus mode.
    explicit SimBusPort(ui::Clock& clock);
    // One plant (from --preset) for every settings text.
    SimBusPort(ui::Clock& clock, sim::Plant plant);

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

    // The plant in use now (made on demand).
    sim::Plant& plant() { return port().plant(); }

  private:
    struct Bus {
        std::unique_ptr<sim::Plant> plant;
        std::unique_ptr<sim::SimPort> port;
    };
    sim::SimPort& port();
    ui::Clock& clock_;
    bool fixed_ = false;
    std::map<int, Bus> buses_;  // by bus mode; one entry when fixed
    int mode_ = 0;
    int number_ = 1;
    std::string settings_ = "9600,E,8,1";
};

}  // namespace dvx::app

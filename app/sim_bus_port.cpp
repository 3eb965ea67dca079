#include "app/sim_bus_port.h"

#include <cstdlib>

namespace dvx::app {

int bus_mode_of_settings(const std::string& settings) {
    const auto baud = [](const std::string& text) {
        return std::strtol(text.c_str(), nullptr, 10);
    };
    for (int mode : {1, 2})
        if (baud(settings) == baud(sim::settings_for_bus_mode(mode))) return mode;
    return 0;
}

SimBusPort::SimBusPort(ui::Clock& clock) : clock_(clock) {}

SimBusPort::SimBusPort(ui::Clock& clock, sim::Plant plant) : clock_(clock), fixed_(true) {
    mode_ = plant.bus_mode();
    Bus& bus = buses_[mode_];
    bus.plant = std::make_unique<sim::Plant>(std::move(plant));
    bus.port = std::make_unique<sim::SimPort>(*bus.plant, clock_);
}

sim::SimPort& SimBusPort::port() {
    Bus& bus = buses_[mode_];
    if (!bus.port) {
        bus.plant = std::make_unique<sim::Plant>(sim::Plant::preset(mode_));
        bus.port = std::make_unique<sim::SimPort>(*bus.plant, clock_);
        bus.port->set_port_number(number_);
        bus.port->set_settings(settings_);
    }
    return *bus.port;
}

bool SimBusPort::is_open() const {
    auto it = buses_.find(mode_);
    return it != buses_.end() && it->second.port && it->second.port->is_open();
}

void SimBusPort::set_port_number(int number) {
    number_ = number;
    port().set_port_number(number);
}

void SimBusPort::set_settings(const std::string& text) {
    settings_ = text;
    const int mode = fixed_ ? mode_ : bus_mode_of_settings(text);
    if (mode != mode_) {
        const bool was_open = is_open();
        if (was_open) port().close();
        mode_ = mode;
        port().set_port_number(number_);
        port().set_settings(text);
        if (was_open) port().open();
        return;
    }
    port().set_settings(text);
}

}  // namespace dvx::app

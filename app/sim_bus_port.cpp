#include "app/sim_bus_port.h"

#include <charconv>
#include <cstdlib>
#include <utility>

namespace dvx::app {

namespace {
constexpr int first_port = 1;
constexpr int last_port = platform::com_ports;  // COM1..COM20, as the port list offers
}  // namespace

int bus_mode_of_settings(const std::string& settings) {
    const auto baud = [](const std::string& text) {
        return std::strtol(text.c_str(), nullptr, 10);
    };
    for (int mode : {1, 2})
        if (baud(settings) == baud(sim::settings_for_bus_mode(mode))) return mode;
    return 0;
}

std::optional<PresetPlace> parse_preset_place(const std::string& arg, std::string* why) {
    const auto refuse = [why](std::string text) {
        if (why) *why = std::move(text);
        return std::nullopt;
    };
    PresetPlace place;
    place.path = arg;
    const auto eq = arg.find('=');
    if (arg.rfind("COM", 0) == 0 && eq != std::string::npos) {
        const char* first = arg.data() + 3;
        const char* last = arg.data() + eq;
        const auto [p, ec] = std::from_chars(first, last, place.port);
        if (ec != std::errc() || p != last || place.port < first_port || place.port > last_port)
            return refuse("no such port " + arg.substr(0, eq));
        place.path = arg.substr(eq + 1);
    }
    if (place.path.empty())
        return refuse(arg.empty() ? "--preset needs a file" : "--preset " + arg + " names no file");
    return place;
}

SimBusPort::SimBusPort(platform::Clock& clock) : clock_(clock), default_plants_(true) {}

SimBusPort::SimBusPort(platform::Clock& clock, std::map<int, sim::Plant> plants) : clock_(clock) {
    for (auto& [number, plant] : plants) {
        Line& l = lines_[number];
        l.mode = plant.bus_mode();
        Bus& bus = l.buses[l.mode];
        bus.plant = std::make_unique<sim::Plant>(std::move(plant));
        bus.port = std::make_unique<sim::SimPort>(*bus.plant, clock_);
        bus.port->set_port_number(number);
    }
}

SimBusPort::Line& SimBusPort::line() {
    auto [it, made] = lines_.try_emplace(number_);
    if (made) it->second.by_mode = default_plants_ && number_ == first_port;
    return it->second;
}

sim::SimPort& SimBusPort::port() {
    Line& l = line();
    Bus& bus = l.buses[l.mode];
    if (!bus.port) {
        // The demo plant of the bus mode (its default plant with moving values), or
        // nothing on the line at all.
        bus.plant =
            std::make_unique<sim::Plant>(l.by_mode ? sim::Plant::demo(l.mode) : sim::Plant());
        bus.port = std::make_unique<sim::SimPort>(*bus.plant, clock_);
        bus.port->set_port_number(number_);
        bus.port->set_settings(settings_);
    }
    return *bus.port;
}

const sim::SimPort* SimBusPort::current() const {
    auto l = lines_.find(number_);
    if (l == lines_.end()) return nullptr;
    auto b = l->second.buses.find(l->second.mode);
    return b == l->second.buses.end() ? nullptr : b->second.port.get();
}

bool SimBusPort::is_open() const {
    const sim::SimPort* p = current();
    return p && p->is_open();
}

void SimBusPort::set_port_number(int number) {
    number_ = number;
    set_settings(settings_);  // the port's own line takes the settings as they stand
}

void SimBusPort::set_settings(const std::string& text) {
    settings_ = text;
    Line& l = line();
    const int mode = l.by_mode ? bus_mode_of_settings(text) : l.mode;
    if (mode != l.mode) {
        const bool was_open = is_open();
        if (was_open) port().close();
        l.mode = mode;
        port().set_port_number(number_);
        port().set_settings(text);
        if (was_open) port().open();
        return;
    }
    port().set_settings(text);
}

}  // namespace dvx::app

// --simulate: each COM port is a line of its own; COM1's default plant follows the bus
// mode the program gives the port through its settings text, and keeps its state.
#include "app/sim_bus_port.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "link/rtu_frame.h"
#include "platform/clock.h"

namespace dvx::testing {
namespace {

TEST(SimBusPort, SettingsTextPicksTheBusModesPlantAndKeepsIt) {
    platform::VirtualClock clock;
    app::SimBusPort port(clock);
    struct Case {
        const char* settings;
        int mode;
    };
    const Case cases[] = {
        {"9600,E,8,1", 0}, {"19200,E,8,1", 1}, {"57600,E,8,1", 2}, {"4800,N,8,1", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        port.set_settings(c.settings);
        EXPECT_EQ(port.plant().bus_mode(), c.mode);
        EXPECT_EQ(port.settings(), c.settings);
    }

    port.set_settings("19200,E,8,1");
    sim::Plant* hzl = &port.plant();
    port.set_port_number(1);
    port.open();
    port.set_settings("9600,E,8,1");  // an open port stays open on the new line
    EXPECT_TRUE(port.is_open());
    EXPECT_EQ(port.port_number(), 1);
    port.set_settings("19200,E,8,1");
    EXPECT_EQ(&port.plant(), hzl);  // the same devices, with what was written to them
    port.close();
    EXPECT_FALSE(port.is_open());
}

TEST(SimBusPort, APresetPlantServesEverySettingsText) {
    platform::VirtualClock clock;
    std::map<int, sim::Plant> plants;
    plants.emplace(1, sim::Plant::preset(2));
    app::SimBusPort port(clock, std::move(plants));
    port.set_settings("9600,E,8,1");
    EXPECT_EQ(port.plant().bus_mode(), 2);  // its devices stay silent at the wrong baud
    EXPECT_EQ(app::bus_mode_of_settings("57600,E,8,1"), 2);
}

// Opens COMn as the link does and asks unit 1 for its type: whether anything answers.
bool answers(app::SimBusPort& port, platform::VirtualClock& clock, int number) {
    if (port.is_open()) port.close();
    port.set_port_number(number);
    port.set_settings("9600,E,8,1");
    port.open();
    port.discard_input();
    port.write(link::build_read_request(1, 0, 5));
    port.wait_input(1.0);
    clock.advance(0.1);  // the whole answer
    const bool any = port.in_count() > 0;
    port.discard_input();
    return any;
}

TEST(SimBusPort, EachComPortIsALineOfItsOwn) {
    platform::VirtualClock clock;
    app::SimBusPort port(clock);
    EXPECT_TRUE(answers(port, clock, 1));  // the built-in devices
    port.plant().device(1).set_param(3, 77);
    for (int other : {2, 7, 20}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(answers(port, clock, other));  // no devices there
        EXPECT_TRUE(port.is_open());
    }
    // COM1 kept its devices and what was written to them, and its own open state.
    EXPECT_TRUE(answers(port, clock, 1));
    EXPECT_EQ(port.plant().device(1).param(3), 77);
    port.close();
    port.set_port_number(2);
    EXPECT_FALSE(port.is_open());
    port.open();
    port.set_port_number(1);
    EXPECT_FALSE(port.is_open());
}

TEST(SimBusPort, PresetsPutTheirDevicesOnTheirPorts) {
    platform::VirtualClock clock;
    std::map<int, sim::Plant> plants;
    plants.emplace(3, sim::Plant::preset(0));
    plants.emplace(5, sim::Plant::preset(0));
    app::SimBusPort port(clock, std::move(plants));
    EXPECT_FALSE(answers(port, clock, 1));
    EXPECT_TRUE(answers(port, clock, 3));
    port.plant().device(1).set_param(3, 55);
    EXPECT_TRUE(answers(port, clock, 5));
    EXPECT_NE(port.plant().device(1).param(3), 55);  // another plant
    EXPECT_FALSE(answers(port, clock, 4));
}

TEST(SimBusPort, PresetArgumentNamesItsPort) {
    struct Case {
        const char* arg;
        std::optional<int> port;
        const char* path;
    };
    const Case cases[] = {
        {"bus.preset", 1, "bus.preset"},    {"COM3=hzl.preset", 3, "hzl.preset"},
        {"COM20=/tmp/a=b", 20, "/tmp/a=b"}, {"COM21=x", std::nullopt, ""},
        {"COM0=x", std::nullopt, ""},       {"COMx=x", std::nullopt, ""},
        {"COM3=", std::nullopt, ""},        {"", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        const auto place = app::parse_preset_place(c.arg);
        ASSERT_EQ(place.has_value(), c.port.has_value());
        if (!place) continue;
        EXPECT_EQ(place->port, *c.port);
        EXPECT_EQ(place->path, c.path);
    }
}

}  // namespace
}  // namespace dvx::testing

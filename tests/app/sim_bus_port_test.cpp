// --simulate: the simulated plant behind every COM port follows the bus mode the
// program gives the port through its settings text, and keeps its state.
#include "app/sim_bus_port.h"

#include <gtest/gtest.h>

#include "ui/clock.h"

namespace dvx::testing {
namespace {

TEST(SimBusPort, SettingsTextPicksTheBusModesPlantAndKeepsIt) {
    ui::VirtualClock clock;
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
    port.set_port_number(3);
    port.open();
    port.set_settings("9600,E,8,1");  // an open port stays open on the new line
    EXPECT_TRUE(port.is_open());
    EXPECT_EQ(port.port_number(), 3);
    port.set_settings("19200,E,8,1");
    EXPECT_EQ(&port.plant(), hzl);  // the same devices, with what was written to them
    port.close();
    EXPECT_FALSE(port.is_open());
}

TEST(SimBusPort, APresetPlantServesEverySettingsText) {
    ui::VirtualClock clock;
    app::SimBusPort port(clock, sim::Plant::preset(2));
    port.set_settings("9600,E,8,1");
    EXPECT_EQ(port.plant().bus_mode(), 2);  // its devices stay silent at the wrong baud
    EXPECT_EQ(app::bus_mode_of_settings("57600,E,8,1"), 2);
}

}  // namespace
}  // namespace dvx::testing

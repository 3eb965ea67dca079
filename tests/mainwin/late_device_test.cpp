// The main window's Read and Program on a device that answers beyond the time-out, one
// request after the other, with stray bytes on the line: a read is done with the
// device's own 140 words or fails with "No connection !", never with another block's
// words, and programming the set read leaves every register of the device as it was.
#include "tests/mainwin/late_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dvx::testing {
namespace {

class LateDevice : public LateDeviceOn<DeviceFixture> {};

TEST_F(LateDevice, ReadGivesTheDevicesOwnWordsOrFailsAndProgramKeepsItsRegisters) {
    run_late_rows("reads done", [this] {
        read();
        const std::vector<std::string> said = prompts();
        EXPECT_EQ(said.size(), 1u);
        const bool done = said == std::vector<std::string>{late_read_in};
        EXPECT_TRUE(done || said == std::vector<std::string>{late_no_connection})
            << ::testing::PrintToString(said);
        return done;
    });
}

}  // namespace
}  // namespace dvx::testing

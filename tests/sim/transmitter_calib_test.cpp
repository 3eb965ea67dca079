// The simulated transmitter's calibration behaviour at its wire interface: the input
// type it measures changes only on the strobe 57 := 1, the raw pairs approach their
// settled values strictly and then stand on them exactly, a drifting pair never stands
// still, and pair 38 is the loop reading while the current or voltage type is measured.
#include "sim/transmitter_calib.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/plant.h"
#include "sim/transmitter.h"

namespace dvx::sim {
namespace {

std::int32_t pair_at(Transmitter& t, int k, double now) {
    std::vector<std::uint16_t> w;
    EXPECT_EQ(t.read(k, 2, w, now, false), 0);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(w[1]) << 16 | w[0]);
}

void write(Transmitter& t, int reg, int value, double now) {
    const std::uint16_t v = static_cast<std::uint16_t>(value);
    ASSERT_EQ(t.write(reg, {&v, 1}, now, false), 0);
}

TEST(TransmitterCalib, TheTypeChangesOnTheStrobeAndThePairsSettleExactly) {
    Transmitter t(11, 405);
    const int own = t.param(99);
    EXPECT_EQ(pair_at(t, 28, 0.0), raw_target(own, 28, 0));

    write(t, 1099, 12, 1.0);
    EXPECT_EQ(pair_at(t, 28, 1.5), raw_target(own, 28, 0));  // not applied yet
    write(t, 57, 1, 2.0);
    EXPECT_EQ(t.calib().applied_type(), 12);
    EXPECT_EQ(t.status(57), 0);

    // Samples 0.4 s apart approach strictly, then stand on the settled value.
    const std::int32_t target = raw_target(12, 28, 0);
    std::int32_t last = pair_at(t, 28, 2.0);
    bool arrived = false;
    for (double now = 2.4; now < 30; now += 0.4) {
        const std::int32_t v = pair_at(t, 28, now);
        if (arrived) {
            EXPECT_EQ(v, target);
        } else if (v == target) {
            arrived = true;
        } else {
            EXPECT_GT(v, last);
            EXPECT_LT(v, target);
        }
        last = v;
    }
    EXPECT_TRUE(arrived);
}

TEST(TransmitterCalib, SignalDriftAndLoopReading) {
    Transmitter t(11, 416);
    t.calib().set_signal(-500);
    EXPECT_EQ(pair_at(t, 30, 20.0), raw_target(0, 30, -500));
    EXPECT_NE(raw_target(0, 30, -500), raw_target(0, 30, 0));
    EXPECT_NE(raw_target(0, 30, 0), raw_target(1, 30, 0));

    t.calib().set_drift(32, 1000);
    const std::int32_t a = pair_at(t, 32, 21.0);
    const std::int32_t b = pair_at(t, 32, 22.0);
    EXPECT_EQ(b - a, 1000);

    write(t, 1099, 19, 23.0);
    t.calib().set_loop_value(2700000);
    write(t, 57, 1, 23.0);
    EXPECT_EQ(pair_at(t, 38, 60.0), 2700000);
    EXPECT_EQ(pair_at(t, 36, 60.0), raw_target(19, 36, -500));
}

// A preset's input type is what the device measures from the start, settled, with no
// strobe: the built-in bus's KRV at address 1 measures its 1099 (10), not the default.
TEST(TransmitterCalib, APresetDeviceMeasuresItsOwnTypeFromTheStart) {
    auto plant = Plant::preset(0);
    Transmitter& t = plant.device(1);
    ASSERT_EQ(t.param(99), 10);
    EXPECT_EQ(t.calib().applied_type(), 10);
    EXPECT_EQ(t.calib().strobes(), 0);
    EXPECT_EQ(pair_at(t, 28, 0.0), raw_target(10, 28, 0));
}

}  // namespace
}  // namespace dvx::sim

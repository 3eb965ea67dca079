// Live values of a simulated transmitter: the process signal and what follows it, the
// forced output's readback, the loop resistance, a fault that comes and goes, and the
// demo plant that moves while the default plant stays still.
#include "sim/transmitter_live.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/plant.h"
#include "sim/transmitter.h"

namespace dvx::sim {
namespace {

// Status word r as the bus reads it at `now` (the read lets the device tick first).
int read_at(Transmitter& t, int r, double now) {
    std::vector<std::uint16_t> out;
    EXPECT_EQ(t.read(r, 1, out, now, false), 0);
    return static_cast<std::int16_t>(out.at(0));
}
void write_at(Transmitter& t, int r, std::vector<std::uint16_t> values, double now) {
    EXPECT_EQ(t.write(r, values, now, false), 0);
}

constexpr int current_jumper = 40 << 8 | 128, voltage_jumper = 10 << 8 | 128;

TEST(TransmitterLive, MeasuredValueAndAlarmsFollowTheSignal) {
    struct Row {
        const char* name;
        int type;
        int begin, end;  // words 97/98 (whole degC) or 80/81
        int value;       // R[48] at 25.00 %
    };
    const Row rows[] = {
        {"temperature_in_tenths", 3, 0, 1000, 2500},
        {"physical_range", 19, -100, 900, 150},
        {"falling_range", 19, 900, -100, 650},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Transmitter t(11, 405);
        t.set_param(99, row.type);
        t.set_param(row.type <= 11 ? 97 : 80, row.begin);
        t.set_param(row.type <= 11 ? 98 : 81, row.end);
        t.live().set_signal(Signal::fixed(2500));
        EXPECT_EQ(read_at(t, 49, 1.0), 2500);
        EXPECT_EQ(read_at(t, 48, 1.0), row.value);
    }

    // Alarm set-points in the range's units (whole degC for a temperature): 250 degC.
    Transmitter t(11, 405);
    t.set_param(99, 3);
    t.set_param(97, 0);
    t.set_param(98, 1000);
    t.set_param(83, 0x0005);  // MAX, used
    t.set_param(109, 200);
    t.set_param(84, 0x0004);  // MIN, used
    t.set_param(110, 300);
    t.set_param(85, 0x0001);  // MAX without function
    t.set_param(111, 0);
    t.set_param(86, 0x0005);  // MAX, used, not reached
    t.set_param(112, 900);
    t.live().set_signal(Signal::fixed(2500));
    std::vector<int> alarms;
    for (int r = 52; r <= 55; ++r) alarms.push_back(read_at(t, r, 1.0));
    EXPECT_EQ(alarms, (std::vector<int>{1, 1, 0, 0}));
}

TEST(TransmitterLive, OutputFollowsTheSignalThroughTheJumperedPair) {
    struct Row {
        const char* name;
        int jumper;
        int max_limit;  // word 104
        int output;     // R[50] at 50.00 % of an output range of 4..20 mA / 2..10 V
    };
    const Row rows[] = {
        {"current_12mA", current_jumper, 200, 15500},  // 5170 + 8/16 of 20660
        {"voltage_6V", voltage_jumper, 200, 16910},    // 5640 + 4/8 of 22540
        {"held_at_max_limit_10mA", current_jumper, 100, 12918},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Transmitter t(11, 405);
        t.set_status(26, row.jumper);
        t.set_param(105, 40);
        t.set_param(106, 200);
        t.set_param(103, 0);
        t.set_param(104, row.max_limit);
        t.live().set_signal(Signal::fixed(5000));
        EXPECT_EQ(read_at(t, 50, 1.0), row.output);
        EXPECT_EQ(read_at(t, reg_readback, 1.0 + readback_settle_seconds), readback_of(row.output));
    }
}

TEST(TransmitterLive, ForcedOutputHoldsAndItsReadbackSettles) {
    Transmitter t(11, 405);
    t.set_param(105, 40);
    t.set_param(106, 200);
    t.live().set_signal(Signal::fixed(5000));
    ASSERT_EQ(read_at(t, 50, 1.0), 15500);
    const int before = read_at(t, reg_readback, 2.0);
    ASSERT_EQ(before, readback_of(15500));

    write_at(t, 50, {20000, 1}, 10.0);
    const int halfway = read_at(t, reg_readback, 10.0 + readback_settle_seconds / 2);
    EXPECT_GT(halfway, before);
    EXPECT_LT(halfway, readback_of(20000));
    EXPECT_EQ(read_at(t, reg_readback, 10.3), readback_of(20000)) << "settled within 0.3 s";
    EXPECT_EQ(read_at(t, 50, 11.0), 20000) << "forced: the signal does not move it";
    EXPECT_EQ(read_at(t, 51, 11.0), 1);

    write_at(t, 51, {0}, 12.0);  // released: the signal drives the output again
    EXPECT_EQ(read_at(t, 50, 12.1), 15500);
    EXPECT_EQ(read_at(t, reg_readback, 12.5), readback_of(15500));

    // Without a signal the forced value still has its readback.
    Transmitter still(111, 306);
    write_at(still, 50, {8000, 1}, 1.0);
    EXPECT_EQ(read_at(still, reg_readback, 1.3), readback_of(8000));
    EXPECT_EQ(read_at(still, 50, 5.0), 8000);
}

TEST(TransmitterLive, SwingLoopResistanceAndFaultPulse) {
    Transmitter t(16, 416);
    t.set_param(99, 19);
    t.set_param(80, 0);
    t.set_param(81, 10000);
    t.live().set_signal(Signal::swing(0, 10000, 40));
    EXPECT_EQ(read_at(t, 49, 0.0), 5000);
    EXPECT_EQ(read_at(t, 49, 10.0), 10000);
    EXPECT_EQ(read_at(t, 49, 30.0), 0);
    EXPECT_EQ(read_at(t, 48, 30.0), 0);

    t.live().set_loop_ohms(1250);
    EXPECT_EQ(read_at(t, reg_loop_milli, 31.0), 1250);
    EXPECT_EQ(read_at(t, reg_loop_centi, 31.0), 125);

    // 0x20 for 4 s of every 30 s; the memory keeps it until 0 is written to it.
    t.live().set_fault_pulse(0x20, 30, 4);
    t.set_error_bits(0x01);
    EXPECT_EQ(read_at(t, 5, 61.0), 0x21);
    EXPECT_EQ(read_at(t, 6, 61.2) & 0x20, 0x20);
    EXPECT_EQ(read_at(t, 5, 65.0), 0x01) << "gone again; other bits stay";
    EXPECT_EQ(read_at(t, 6, 65.0) & 0x20, 0x20) << "latched";
    write_at(t, 6, {0}, 65.05);
    EXPECT_EQ(read_at(t, 6, 65.05), 0);
    EXPECT_EQ(read_at(t, 6, 65.2), 0x01) << "only what is still present latches again";
}

TEST(TransmitterLive, DemoPlantMovesDefaultPlantStaysStill) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Plant demo = Plant::demo(mode), still = Plant::preset(mode);
        auto first = [mode](Plant& p) -> Transmitter& {
            return mode == 0 ? p.device(1) : p.rack(1).slots().begin()->second;
        };
        Transmitter& d = first(demo);
        Transmitter& s = first(still);
        EXPECT_NE(read_at(d, 48, 0.0), read_at(d, 48, 10.0));
        EXPECT_EQ(read_at(s, 48, 0.0), read_at(s, 48, 10.0));
    }
}

}  // namespace
}  // namespace dvx::sim

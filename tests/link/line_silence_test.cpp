// The RTU silent interval: the master starts no block less than 3.5 characters (1.75 ms
// above 19200 baud) after the last byte on the line, measured at the simulated port.
#include <gtest/gtest.h>

#include <ostream>

#include "platform/line_timing.h"
#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

TEST(LineTiming, CharacterAndSilenceFromTheSettingsText) {
    struct Case {
        const char* settings;
        double char_seconds;
        double silent_seconds;
    };
    const Case cases[] = {
        {"9600,E,8,1", 11.0 / 9600, 3.5 * 11.0 / 9600},
        {"19200,E,8,1", 11.0 / 19200, 3.5 * 11.0 / 19200},
        {"38400,E,8,1", 11.0 / 38400, 0.00175},
        {"57600,E,8,1", 11.0 / 57600, 0.00175},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        const auto t = platform::line_timing(c.settings);
        ASSERT_TRUE(t);
        EXPECT_DOUBLE_EQ(t->char_seconds, c.char_seconds);
        EXPECT_DOUBLE_EQ(t->silent_seconds, c.silent_seconds);
    }
    for (const char* bad : {"", "fast,E,8,1", "0,E,8,1", "-9600,E,8,1", "9600x,E,8,1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(platform::line_timing(bad));
    }
}

struct SilenceRow {
    const char* name;
    int bus_mode;
    bool echo;
    int first_reg;  // a register the plant's first device answers
};

void PrintTo(const SilenceRow& row, std::ostream* os) {
    *os << row.name;
}

class LineSilence : public BusFixture, public ::testing::WithParamInterface<SilenceRow> {};

TEST_P(LineSilence, EveryBlockWaitsTheSilentIntervalAfterTheLastByte) {
    const SilenceRow& row = GetParam();
    attach(sim::Plant::preset(row.bus_mode));
    plant().set_echo(row.echo);
    port().reset_shortest_silence();
    // Probe, reads and writes back to back, a failed exchange and its resend.
    ASSERT_EQ(detect_echo(), 0);
    ASSERT_EQ(echo_on, row.echo ? 1 : 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(read_regs(row.first_reg, 2), link_status::done);
    ASSERT_EQ(write_regs(row.first_reg, 2), link_status::done);
    plant().fault(sim::Fault::bad_crc().next(1));
    ASSERT_EQ(read_regs(row.first_reg, 2), link_status::done);
    ASSERT_EQ(detect_echo(), 0);
    ASSERT_EQ(read_regs(row.first_reg, 2), link_status::done);

    const double silent = platform::line_timing(port().settings())->silent_seconds;
    EXPECT_GE(port().shortest_silence(), silent - 1e-9);
    // And no more than the master's own turnaround on virtual time.
    EXPECT_LT(port().shortest_silence(), silent + 1e-4);
}

// A late answer still coming in when the pause after the failed exchange ends: the
// resend waits until it has passed and its bytes are not taken for the resend's answer.
using LateAnswer = BusFixture;

TEST_F(LateAnswer, TheResendWaitsOutItsTail) {
    struct Case {
        const char* name;
        int bus_mode;
        int first_reg;
        int count;
        double delay;  // the late answer starts before and ends after the resend is due
    };
    const Case cases[] = {
        {"direct bus 9600 baud", 0, 1000, 60, 1.05},
        {"HZL3 57600 baud", 2, 20000, 41, 1.085},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::preset(c.bus_mode));
        port().reset_shortest_silence();
        plant().fault(sim::Fault::delayed(c.delay).next(1));
        const std::size_t before = requests();
        ASSERT_EQ(read_regs(c.first_reg, c.count), link_status::done);
        EXPECT_EQ(requests() - before, 2u);
        EXPECT_GE(port().shortest_silence(),
                  platform::line_timing(port().settings())->silent_seconds - 1e-9);
    }
}

const SilenceRow silence_rows[] = {
    {"direct bus 9600 baud", 0, false, 1000},
    {"direct bus 9600 baud with echo", 0, true, 1000},
    {"HZL 19200 baud with echo", 1, true, 20000},
    {"HZL3 57600 baud", 2, false, 20000},
    {"HZL3 57600 baud with echo", 2, true, 20000},
};

INSTANTIATE_TEST_SUITE_P(Modes, LineSilence, ::testing::ValuesIn(silence_rows));

}  // namespace
}  // namespace dvx::link

// Port opening and the echo probe on the simulated bus.
#include <gtest/gtest.h>

#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

using SerialLine = BusFixture;

TEST_F(SerialLine, OpenPortTakesPortAndSettingsFromTheWindowAndBusMode) {
    struct Case {
        int mode;
        int com_index;
        const char* settings;
    };
    const Case cases[] = {
        {0, 0, "9600,E,8,1"}, {1, 4, "19200,E,8,1"}, {2, 19, "57600,E,8,1"}, {5, 2, "9600,E,8,1"}};
    attach(sim::Plant::preset(0));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        model::bus_mode = static_cast<std::int16_t>(c.mode);
        detached_controls().Com_select = c.com_index;
        EXPECT_EQ(open_port(), 0);
        EXPECT_TRUE(port().is_open());
        EXPECT_EQ(port().port_number(), c.com_index + 1);
        EXPECT_EQ(port().settings(), c.settings);
    }
}

TEST_F(SerialLine, OpenPortFailuresLeaveThePortClosedWithoutAMessage) {
    attach(sim::Plant::preset(0));
    detached_controls().Com_select = -1;  // nothing selected: port 0
    EXPECT_EQ(open_port(), 1);
    EXPECT_FALSE(port().is_open());
    detached_controls().Com_select = 0;
    port().set_open_fault(sim::OpenFault::port_in_use);
    EXPECT_EQ(open_port(), 1);
    EXPECT_FALSE(port().is_open());
    port().set_open_fault(sim::OpenFault::none);
    EXPECT_EQ(open_port(), 0);
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(SerialLine, OpenPortOnAnOpenPortDiscardsBothDirections) {
    attach(sim::Plant::preset(0));
    port().write(build_read_request(1, 0, 5));  // an answer on its way in
    clock_.advance(0.5);
    ASSERT_GT(port().in_count(), 0);
    port().stick_sender();
    port().write(build_read_request(1, 0, 5));
    ASSERT_GT(port().out_count(), 0);
    EXPECT_EQ(open_port(), 0);
    EXPECT_EQ(port().in_count(), 0);
    EXPECT_EQ(port().out_count(), 0);
}

TEST_F(SerialLine, ReopenOnlyWhenTheSenderIsStuck) {
    attach(sim::Plant::preset(0));
    port_status = 7;
    reopen_port_if_busy();
    EXPECT_EQ(port_status, 7);  // nothing waiting to be sent: untouched
    port().stick_sender();
    port().write(build_read_request(1, 0, 5));
    reopen_port_if_busy();
    EXPECT_EQ(port_status, 0);
    EXPECT_EQ(port().out_count(), 0);
    // A transaction checks first, so a stuck sender costs no send.
    port().stick_sender();
    port().write(build_read_request(1, 0, 5));
    plant().clear_log();
    EXPECT_EQ(read_transaction(0, 5).sends, 1);
}

TEST_F(SerialLine, GetRxByteHandsOutWholeBlocksByteByByte) {
    attach(sim::Plant::preset(0));
    EXPECT_EQ(get_rx_byte(), -1);
    const Frame request = build_read_request(1, 0, 1);
    port().write(request);
    clock_.advance(0.5);
    const int waiting = port().in_count();
    ASSERT_EQ(waiting, 7);  // unit, 3, byte count, one word, CRC
    EXPECT_EQ(get_rx_byte(), 1);
    EXPECT_EQ(port().in_count(), 0);  // the whole block moved into rx_buffer
    EXPECT_EQ(rx_buffer.size(), 6u);
    EXPECT_EQ(get_rx_byte(), 3);
    EXPECT_EQ(get_rx_byte(), 2);
    for (int i = 0; i < 4; ++i) EXPECT_GE(get_rx_byte(), 0);
    EXPECT_EQ(get_rx_byte(), -1);
}

struct ProbeCase {
    const char* name;
    bool adapter_echoes;
    int echo_expected;
    double max_seconds;
};

TEST_F(SerialLine, ProbeFindsTheAdapterEachTime) {
    attach(sim::Plant::preset(0));
    const ProbeCase cases[] = {
        {"echoing adapter", true, 1, 0.01},
        {"silent adapter", false, 0, 0.201},
        {"echoing again", true, 1, 0.01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plant().set_echo(c.adapter_echoes);
        const double t0 = clock_.peek();
        EXPECT_EQ(detect_echo(), 0);
        EXPECT_EQ(echo_on, c.echo_expected);
        EXPECT_LE(clock_.peek() - t0, c.max_seconds);
        if (!c.adapter_echoes) {
            EXPECT_GE(clock_.peek() - t0, 0.2);
        }
    }
    EXPECT_TRUE(plant().log().empty());  // the lone 0 is no request
}

TEST_F(SerialLine, ProbeDrainsLeftoversBeforeItSends) {
    attach(sim::Plant::preset(0));
    // An answer that holds 0 bytes, fully arrived, and zeros already in the buffer.
    port().write(build_read_request(1, 0, 5));
    clock_.advance(0.5);
    rx_buffer = std::string("\0\0", 2);
    ASSERT_EQ(detect_echo(), 0);
    EXPECT_EQ(echo_on, 0);
}

TEST_F(SerialLine, ProbeTakesAnyZeroByteWithinItsTime) {
    attach(sim::Plant::preset(0));
    // A late answer still on its way: its 0 bytes arrive within 0.2 s and count as the
    // echo; the non-zero bytes before them are eaten.
    plant().fault(sim::Fault::delayed(0.05).next(1));
    port().write(build_read_request(1, 0, 5));
    ASSERT_EQ(detect_echo(), 0);
    EXPECT_EQ(echo_on, 1);
}

TEST_F(SerialLine, ProbeOnAClosedPortShowsTheFaultAndKeepsTheFlag) {
    attach(sim::Plant::preset(0));
    echo_on = 1;
    port().close();
    boxes_.answer(ui::id_ok);
    EXPECT_EQ(detect_echo(), 1);
    EXPECT_EQ(echo_on, 1);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].style, 0);
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
    EXPECT_FALSE(boxes_.shown()[0].prompt.empty());
}

TEST_F(SerialLine, WaitsMeasureElapsedTime) {
    attach(sim::Plant::preset(0));
    struct Case {
        const char* name;
        void (*wait)(double);
        double seconds;
    };
    const Case cases[] = {
        {"wait_seconds", [](double s) { wait_seconds(static_cast<float>(s)); }, 0.1},
        {"wait_seconds_dbl", [](double s) { wait_seconds_dbl(s); }, 2.5},
        {"busy_wait", [](double s) { busy_wait(s); }, 0.3},
        {"busy_wait zero", [](double s) { busy_wait(s); }, 0.0},
        {"wait_seconds negative", [](double s) { wait_seconds(static_cast<float>(s)); }, -1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const double t0 = clock_.peek();
        c.wait(c.seconds);
        const double took = clock_.peek() - t0;
        EXPECT_GE(took, c.seconds > 0 ? c.seconds - 1e-6 : 0.0);
        EXPECT_LE(took, std::max(c.seconds, 0.0) + 0.001);
    }
}

}  // namespace
}  // namespace dvx::link

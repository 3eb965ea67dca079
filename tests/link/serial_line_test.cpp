// Port opening and the echo probe on the simulated bus.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

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
        // The window opens once the byte is out: 3.5 characters of silence and the
        // byte itself come before it.
        {"silent adapter", false, 0, 0.2 + 4.5 * 11.0 / 9600 + 1e-6},
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
            EXPECT_GE(clock_.peek() - t0, 0.2 + 11.0 / 9600) << "the window follows the byte";
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

// Bytes arriving right up to the probe (a late answer of 205 bytes, 235 ms at 9600
// baud) are waited out in the silence before the probe byte; its 0.2 s start once the
// byte is out, so an echoing adapter is still found.
TEST_F(SerialLine, ProbeWindowStartsWhenItsByteIsOut) {
    struct Case {
        const char* name;
        bool adapter_echoes;
    };
    const Case cases[] = {{"echoing adapter", true}, {"silent adapter", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::preset(0));
        plant().set_echo(c.adapter_echoes);
        const Frame late = build_read_request(1, 1000, 100);
        const double t0 = clock_.peek();
        port().write(late);
        // The request, the answer after its turnaround: 205 bytes, already coming in.
        const double line_busy_until =
            t0 + (static_cast<double>(late.size()) + 205) * port().byte_time() + 0.005;
        clock_.advance(0.02);
        ASSERT_EQ(detect_echo(), 0);
        EXPECT_EQ(echo_on, c.adapter_echoes ? 1 : 0);
        if (!c.adapter_echoes) {
            // The silence after bytes thrown away lasts the owed-answer block longer: the
            // port tells none, so the longest any adapter takes.
            EXPECT_GE(clock_.peek() - line_busy_until, 0.2 + max_delivery_block_seconds);
            EXPECT_LE(clock_.peek() - line_busy_until, 0.21 + max_delivery_block_seconds);
        }
        const std::size_t before = requests();
        const TransactionResult r = read_transaction(0, 5);
        EXPECT_EQ(r.status, link_status::done);
        EXPECT_EQ(r.sends, 1);
        EXPECT_EQ(requests() - before, 1u);
    }
}

// What the probe does with a port that cannot be used: a port closed after a failed
// port choice shows the fault's own text; a port that failed under the program is
// opened again, once, and the probe runs; one that cannot be brought back is closed
// (port_status 1, the buttons told) and the user told there is no connection.
TEST_F(SerialLine, ProbeReopensAPortThatFailedUnderIt) {
    struct Case {
        const char* name;
        std::function<void(sim::SimPort&)> spoil;
        bool after_failed_choice;
        std::int16_t result;
        std::vector<std::string> shown;  // "fault": the fault's own text
        std::int16_t port_status_after;
    };
    const Case cases[] = {
        {"closed after a failed port choice",
         [](sim::SimPort& p) { p.close(); },
         true,
         1,
         {"fault"},
         1},
        {"closed under the program", [](sim::SimPort& p) { p.close(); }, false, 0, {}, 0},
        {"line lost and back", [](sim::SimPort& p) { p.lose_line(); }, false, 0, {}, 0},
        {"line lost for good",
         [](sim::SimPort& p) {
             p.lose_line();
             p.set_open_fault(sim::OpenFault::no_such_port);
         },
         false,
         1,
         {"no connection: Invalid port number"},
         1},
        // A request still on its way: when device 1 takes it, inside the probe's window,
        // the line goes away. The probe fails; the next operation reopens the port.
        {"line lost during the probe",
         [](sim::SimPort& p) {
             p.plant().device(1).set_live([&p](sim::Transmitter&, double) { p.lose_line(); });
             p.write(build_read_request(1, 0, 5));
         },
         false,
         1,
         {"no connection: Port: Input/output error"},
         0},
    };
    boxes_.answer_all(ui::id_ok);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::preset(0));
        plant().set_echo(true);
        echo_on = 0;
        int status_calls = 0;
        std::vector<std::string> told;
        bindings().main.port_status_changed = [&] { ++status_calls; };
        bindings().main.show_no_connection = [&](const std::string& detail) {
            told.push_back("no connection: " + detail);
        };
        if (c.after_failed_choice) port_status = 1;
        c.spoil(port());
        EXPECT_EQ(detect_echo(), c.result);
        EXPECT_EQ(port_status, c.port_status_after);
        EXPECT_EQ(port().is_open(), c.port_status_after == 0);
        EXPECT_EQ(status_calls, c.port_status_after != 0 && !c.after_failed_choice ? 1 : 0);
        if (c.result != 0 && c.port_status_after == 0) {
            plant().device(1).set_live(nullptr);
            plant().set_echo(false);  // the failed probe left echo_on 0
            EXPECT_EQ(read_transaction(0, 5).sends, 1) << "the next operation reopens";
        }
        EXPECT_EQ(echo_on, c.result == 0 ? 1 : 0) << "a failed probe keeps the flag";
        std::vector<std::string> shown = told;
        for (const auto& b : boxes_.shown()) {
            EXPECT_EQ(b.title, "DORVANEX");
            EXPECT_EQ(b.style, 0);
            shown.push_back(b.prompt.empty() ? "" : "fault");
        }
        EXPECT_EQ(shown, c.shown);
        boxes_.clear();
    }
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

// Once bytes that closed no frame were thrown away, before the quiet (the port's input
// emptied) or during it, the quiet before the next block lasts the owed-answer block after
// them: the port's own where it is told or configured, 255 ms where nothing tells it.
TEST_F(SerialLine, AQuietThatThrewBytesAwayLastsTheOwedAnswerBlock) {
    struct Case {
        const char* name;
        std::optional<platform::DeliveryBlock> told;
        double block;
    };
    const Case cases[] = {
        {"told by the system", platform::DeliveryBlock{0.064, true}, 0.064},
        {"configured", platform::DeliveryBlock{0.032, false}, 0.032},
        {"told nothing", std::nullopt, max_delivery_block_seconds},
    };
    for (const Case& c : cases)
        for (const bool during : {false, true}) {
            SCOPED_TRACE(std::string(c.name) +
                         (during ? ", thrown during the quiet" : ", thrown before it"));
            attach(sim::Plant::preset(0));
            port().tell_delivery_block(c.told);
            const double char_seconds = port().byte_time();
            const double silent = 3.5 * char_seconds;
            const double t0 = clock_.peek();
            // Noise that is on the line 1 ms into the quiet or before it.
            port().put_on_line({0xFF, 0x00, 0x11}, t0 + (during ? 0.002 : -0.01));
            if (!during) discard_rx();
            const double thrown = during ? t0 + 0.002 + 2 * char_seconds : t0;
            send_block(build_read_request(1, 0, 1));
            clock_.advance(0.05);
            port().in_count();  // the request reaches the device
            ASSERT_EQ(plant().log().size(), 1u);
            const double sent = plant().log()[0].time - 8 * char_seconds;
            EXPECT_GE(sent, thrown + c.block - 1e-9);
            EXPECT_LE(sent - thrown, silent + c.block + 1e-4);
            EXPECT_GE(sent - thrown, c.block - 1e-9);
        }
}

// The delivery block the link waits with: the system's where the port tells it, else the
// configured value (16 ms without one) raised by the gaps the port shows inside frames.
TEST_F(SerialLine, TheDeliveryBlockIsTheSystemsElseTheConfiguredOneRaisedByWhatTheLineShows) {
    struct Case {
        const char* name;
        std::optional<platform::DeliveryBlock> told;
        double before, after;  // before and after a 60-word answer through 64 ms blocks
    };
    const Case cases[] = {
        {"told by the system", platform::DeliveryBlock{0.008, true}, 0.008, 0.008},
        {"not told", std::nullopt, default_delivery_block_seconds, 0.064},
        {"configured longer", platform::DeliveryBlock{0.1, false}, 0.1, 0.1},
        {"configured shorter", platform::DeliveryBlock{0.004, false}, 0.004, 0.064},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::preset(0));
        port().set_delivery_interval(0.064);
        port().tell_delivery_block(c.told);
        EXPECT_DOUBLE_EQ(delivery_block(), c.before);
        ASSERT_EQ(read_regs(1000, 60), 0);  // 125 bytes, 143 ms: three blocks
        EXPECT_NEAR(delivery_block(), c.after, 1e-9);
        ASSERT_EQ(open_port(), 0);  // a new line shows its own
        EXPECT_DOUBLE_EQ(delivery_block(), c.before);
    }
}

}  // namespace
}  // namespace dvx::link

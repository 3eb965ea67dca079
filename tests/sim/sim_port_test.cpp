// The simulated port: line timing, echo adapter, framing and port faults on virtual time.
#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "sim_test_util.h"
#include "ui/fault.h"

namespace dvx::sim {
namespace {

using namespace testing;

class SimPortTest : public ::testing::Test {
  protected:
    void open(int bus_mode = 0) {
        plant = Plant::preset(bus_mode);
        port.set_port_number(1);
        port.set_settings(plant.expected_settings());
        port.open();
    }
    // Time until the whole expected answer has arrived.
    double time_to_collect(const Bytes& request, std::size_t expect) {
        const double t0 = clock.now();
        port.write(request);
        std::size_t got = 0;
        while (got < expect && clock.now() - t0 < 2.0) {
            port.wait_input(2.0);
            got += port.read(1000).size();
        }
        return clock.now() - t0;
    }

    platform::VirtualClock clock;
    Plant plant{0};
    SimPort port{plant, clock};
};

TEST_F(SimPortTest, BytesTakeElevenBitTimesAndAnswersArriveProgressively) {
    struct Row {
        int bus_mode;
        double byte_time;
        double turnaround;
    };
    // request 8 bytes, answer 7 bytes; direct devices answer 5 ms after the frame, the
    // gateway's own registers likewise
    for (const Row r :
         {Row{0, 11.0 / 9600, 0.005}, Row{1, 11.0 / 19200, 0.005}, Row{2, 11.0 / 57600, 0.005}}) {
        SCOPED_TRACE(r.bus_mode);
        open(r.bus_mode);
        EXPECT_DOUBLE_EQ(port.byte_time(), r.byte_time);
        const double t = time_to_collect(read_request(1, 0, 1), 7);
        EXPECT_NEAR(t, 15 * r.byte_time + r.turnaround, 1e-4);
        port.close();
    }
    open(0);
    port.write(read_request(1, 0, 5));  // answer: 15 bytes
    clock.advance(8 * port.byte_time() + 0.005 + 3.5 * port.byte_time());
    EXPECT_EQ(port.in_count(), 3);  // part of the answer is there, the rest still coming
    clock.advance(12 * port.byte_time());
    EXPECT_EQ(port.in_count(), 15);
}

TEST_F(SimPortTest, WaitInputJumpsToTheNextByteOrTheLimit) {
    open(0);
    const double t0 = clock.peek();
    port.wait_input(0.5);  // nothing pending: exactly the limit
    EXPECT_NEAR(clock.peek() - t0, 0.5, 1e-5);
    port.write(read_request(1, 0, 1));
    const double t1 = clock.peek();
    port.wait_input(1.0);  // returns at the first answer byte
    EXPECT_EQ(port.in_count(), 1);
    EXPECT_NEAR(clock.peek() - t1, 9 * port.byte_time() + 0.005, 1e-4);
}

TEST_F(SimPortTest, ADeliveryIntervalHandsBytesOnInBlocks) {
    open(0);
    port.set_delivery_interval(0.1);
    clock.advance(std::ceil(clock.peek() / 0.1) * 0.1 - clock.peek());  // on a boundary
    const double t0 = clock.peek();
    port.write(read_request(1, 0, 5));  // the whole answer arrives within 40 ms
    clock.advance(0.05);
    EXPECT_EQ(port.in_count(), 0);  // arrived, but not handed on yet
    port.discard_input();           // nor discarded
    port.wait_input(1.0);           // wakes at the block boundary, not at the first byte
    EXPECT_NEAR(clock.peek() - t0, 0.1, 1e-5);
    EXPECT_EQ(port.read(100).size(), 15u);
    port.set_delivery_interval(0);
    port.write(read_request(1, 0, 5));
    port.wait_input(1.0);
    EXPECT_EQ(port.in_count(), 1);  // byte by byte again
}

// The blocks begin where the phase says, and the port tells its block as the system
// does, or what it is told to.
TEST_F(SimPortTest, DeliveryBlocksHaveAPhaseAndAreTold) {
    open(0);
    EXPECT_FALSE(port.delivery_block());
    port.set_delivery_interval(0.1, 0.03);
    ASSERT_TRUE(port.delivery_block());
    EXPECT_EQ(port.delivery_block()->seconds, 0.1);
    EXPECT_TRUE(port.delivery_block()->from_system);
    const double t0 = clock.peek();
    port.write(read_request(1, 0, 5));
    port.wait_input(1.0);
    const double handed = clock.peek() - 0.03;
    EXPECT_NEAR(std::remainder(handed, 0.1), 0.0, 1e-5);  // on a boundary of the phase
    EXPECT_LT(clock.peek() - t0, 0.1 + 1e-9);
    port.tell_delivery_block(platform::DeliveryBlock{0.064, false});
    EXPECT_FALSE(port.delivery_block()->from_system);
    port.tell_delivery_block(std::nullopt);
    EXPECT_FALSE(port.delivery_block());
}

// Queued answers: a request that comes while the answer before it is still to go out
// is answered after that one, with its own delay from then.
TEST_F(SimPortTest, QueuedAnswersFollowOneAnother) {
    open(0);
    plant.fault(Fault::delayed(0.5));
    const double answer = 15 * port.byte_time();  // read of 5 registers
    for (const bool queued : {false, true}) {
        SCOPED_TRACE(queued);
        port.set_answers_queued(queued);
        clock.advance(2.0);
        port.read(1000);
        const double t0 = clock.peek();
        port.write(read_request(1, 0, 5));
        clock.advance(0.1);
        port.write(read_request(1, 0, 5));
        std::vector<double> firsts;
        while (firsts.size() < 2 && clock.peek() - t0 < 3.0) {
            port.wait_input(3.0);
            if (port.in_count() == 0) continue;
            firsts.push_back(clock.peek() - t0);
            clock.advance(answer);
            port.read(1000);
        }
        ASSERT_EQ(firsts.size(), 2u);
        const double request = 8 * port.byte_time();
        EXPECT_NEAR(firsts[0], request + 0.505 + port.byte_time(), 1e-4);
        // From its own request, or from the end of the answer before it.
        const double second = queued ? firsts[0] + answer - port.byte_time() + 0.505 +
                                           port.byte_time()
                                     : 0.1 + request + 0.505 + port.byte_time();
        EXPECT_NEAR(firsts[1], second, 1e-4);
    }
}

TEST_F(SimPortTest, NextEventTimeNeverSkipsBytesWaitingUnread) {
    // the pty program sleeps until this time: bytes that became due while it was busy
    // must not be left lying until the client sends again
    open(0);
    EXPECT_GT(port.next_event_time(), 1e299);  // idle line: sleep until the client sends
    port.write(read_request(1, 0, 1));
    EXPECT_LT(port.next_event_time(), clock.peek() + 0.002);  // first request byte
    clock.advance(1.0);
    EXPECT_LE(port.next_event_time(), clock.peek());  // the answer waits unread
    EXPECT_EQ(port.read(100).size(), 7u);
    EXPECT_GT(port.next_event_time(), 1e299);
}

// The silence before each block the master sends, from the end of the last byte on the
// line either way (read or not), negative when it talks over an answer still coming in.
TEST_F(SimPortTest, TheSilenceBeforeEachBlockOfTheMasterIsMeasured) {
    open(0);
    EXPECT_GT(port.shortest_silence(), 1e299);  // nothing measured yet
    const double byte = port.byte_time();
    const double answer_end = 8 * byte + 0.005 + 15 * byte;  // 5 registers: 15 bytes
    struct Case {
        const char* name;
        double after;  // from the request's first start bit to the next block
        double silence;
    };
    const Case cases[] = {
        {"3 ms after the answer", answer_end + 0.003, 0.003},
        {"the answer's last byte still coming", answer_end - 0.5 * byte, -0.5 * byte},
        {"mid-answer, its third byte on the line", 8 * byte + 0.005 + 2.5 * byte, -0.5 * byte},
        {"right behind the request", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clock.advance(1.0);
        port.discard_input();
        port.reset_shortest_silence();
        const double t0 = clock.peek();
        port.write(read_request(1, 0, 5));
        clock.sleep_until(t0 + c.after);
        port.write(from_hex("00"));
        EXPECT_NEAR(port.shortest_silence(), c.silence, 1e-5);
    }
}

TEST_F(SimPortTest, EchoAdapterReturnsTheProbeByteWhichNoDeviceAnswers) {
    open(0);
    plant.set_echo(true);
    port.write(from_hex("00"));
    port.wait_input(0.2);
    EXPECT_NEAR(clock.peek() - 1000.0, port.byte_time(), 1e-4);
    EXPECT_EQ(to_hex(port.read(10)), "00");
    clock.advance(0.5);
    EXPECT_EQ(port.in_count(), 0);
    EXPECT_TRUE(plant.log().empty());

    // with echo every request byte comes back first, then the answer
    EXPECT_EQ(to_hex(exchange(port, clock, read_request(1, 0, 1))),
              "01 03 00 00 00 01 84 0A 01 03 02 00 0B F9 83");

    // switched off between dialogs: the probe sees nothing
    plant.set_echo(false);
    port.write(from_hex("00"));
    port.wait_input(0.2);
    EXPECT_EQ(port.in_count(), 0);
}

TEST_F(SimPortTest, DevicesFrameByCrcAndGapSoTheProbeByteNeverGluesOn) {
    struct Row {
        const char* name;
        std::vector<Bytes> writes;  // written back to back, without a pause
        const char* received;
    };
    const Bytes req = read_request(1, 0, 1);
    Bytes glued = from_hex("00 FF");
    glued.insert(glued.end(), req.begin(), req.end());
    const Row rows[] = {
        {"probe then request at once", {from_hex("00"), req}, "01 03 02 00 0B F9 83"},
        {"noise glued in front", {glued}, "01 03 02 00 0B F9 83"},
        {"unknown function ends by the gap",
         {from_hex("01 04 00 00 00 01 31 CA")},
         "01 84 01 82 C0"},
        {"read of wrong length ends by the gap",
         {from_hex("01 03 00 00 00 01 00 0A 63")},
         "01 83 03 01 31"},
        {"bad CRC is ignored", {from_hex("01 03 00 00 00 01 84 0B")}, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        open(0);
        for (std::size_t i = 0; i + 1 < r.writes.size(); ++i) port.write(r.writes[i]);
        EXPECT_EQ(to_hex(exchange(port, clock, r.writes.back())), r.received);
        port.close();
    }
    // a broken-off request followed after a gap by a whole one: one answer only
    open(0);
    plant.clear_log();
    port.write(Bytes(req.begin(), req.begin() + 4));
    clock.advance(0.05);
    EXPECT_EQ(to_hex(exchange(port, clock, req)), "01 03 02 00 0B F9 83");
    EXPECT_EQ(plant.log().size(), 1u);
}

// A watch sees every frame the devices take as it ends there, answered or not, and can
// time another talker's bytes from it.
TEST_F(SimPortTest, AWatchSeesEveryFrameAsItEndsAnsweredOrNot) {
    open(0);
    std::vector<std::pair<std::string, double>> seen;
    port.watch_frames([&](std::span<const std::uint8_t> frame, double end) {
        seen.emplace_back(to_hex(Bytes(frame.begin(), frame.end())), end);
        port.put_on_line(from_hex("FF 00 11"), end + 0.5);
    });
    plant.fault(Fault::silent().next(1));
    const Bytes req = read_request(1, 0, 1);
    for (const char* answer : {"", "01 03 02 00 0B F9 83"}) {
        SCOPED_TRACE(answer);
        seen.clear();
        const double t0 = clock.peek();
        port.write(req);
        clock.advance(0.1);
        EXPECT_EQ(to_hex(port.read(100)), answer);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].first, to_hex(req));
        EXPECT_NEAR(seen[0].second, t0 + 8 * port.byte_time(), 1e-5);
        clock.advance(0.5);
        EXPECT_EQ(to_hex(port.read(100)), "FF 00 11");
    }
    // The probe byte alone is a frame of its own, ended by the gap.
    seen.clear();
    port.write(from_hex("00"));
    clock.advance(0.1);
    port.in_count();  // the line is worked out when the master looks
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, "00");
}

TEST_F(SimPortTest, OtherLineSettingsLeaveTheDevicesSilentButTheEchoComes) {
    open(0);
    plant.set_echo(true);
    port.close();
    port.set_settings("19200,E,8,1");
    port.open();
    EXPECT_EQ(to_hex(exchange(port, clock, read_request(1, 0, 1))), "01 03 00 00 00 01 84 0A");
    EXPECT_TRUE(plant.log().empty());
}

TEST_F(SimPortTest, PortNumbersSettingsAndOpenFaults) {
    plant = Plant::preset(0);
    struct Row {
        int number;
        OpenFault fault;
        const char* settings;
        bool opens;
    };
    const Row rows[] = {
        {1, OpenFault::none, "9600,E,8,1", true},
        {20, OpenFault::none, "9600,E,8,1", true},
        {0, OpenFault::none, "9600,E,8,1", false},
        {21, OpenFault::none, "9600,E,8,1", false},
        {3, OpenFault::no_such_port, "9600,E,8,1", false},
        {3, OpenFault::port_in_use, "9600,E,8,1", false},
        {3, OpenFault::none, "fast,E,8,1", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.number);
        port.set_port_number(r.number);
        port.set_settings(r.settings);
        port.set_open_fault(r.fault);
        if (r.opens) {
            EXPECT_NO_THROW(port.open());
            EXPECT_THROW(port.open(), ui::UiFault);  // already open
        } else {
            EXPECT_THROW(port.open(), ui::UiFault);
        }
        EXPECT_EQ(port.is_open(), r.opens);
        port.close();
    }
    port.set_open_fault(OpenFault::none);
    EXPECT_THROW(port.in_count(), ui::UiFault);
    EXPECT_THROW(port.read(1), ui::UiFault);
    EXPECT_THROW(port.write(from_hex("00")), ui::UiFault);
    EXPECT_THROW(port.wait_input(0.1), ui::UiFault);
}

TEST_F(SimPortTest, OpenAndDiscardEmptyTheirDirection) {
    open(0);
    port.write(read_request(1, 0, 1));
    clock.advance(0.1);
    EXPECT_EQ(port.in_count(), 7);
    port.discard_input();
    EXPECT_EQ(port.in_count(), 0);

    port.write(read_request(1, 0, 1));
    clock.advance(0.1);
    port.close();
    port.open();
    EXPECT_EQ(port.in_count(), 0);

    // output discarded before it all went out: the devices see half a frame
    plant.clear_log();
    port.write(read_request(1, 0, 1));
    EXPECT_EQ(port.out_count(), 8);
    clock.advance(3 * port.byte_time());
    EXPECT_EQ(port.out_count(), 5);
    port.discard_output();
    EXPECT_EQ(port.out_count(), 0);
    clock.advance(1.0);
    EXPECT_EQ(port.in_count(), 0);
    EXPECT_TRUE(plant.log().empty());
}

TEST_F(SimPortTest, AStuckSenderKeepsItsCountUntilThePortIsOpenedAgain) {
    open(0);
    port.stick_sender(1);
    port.write(read_request(1, 0, 1));
    clock.advance(2.0);
    EXPECT_EQ(port.out_count(), 8);
    EXPECT_EQ(port.in_count(), 0);
    port.close();
    port.open();
    EXPECT_EQ(port.out_count(), 0);
    EXPECT_EQ(to_hex(exchange(port, clock, read_request(1, 0, 1))), "01 03 02 00 0B F9 83");
}

}  // namespace
}  // namespace dvx::sim

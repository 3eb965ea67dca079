// The fault catalogue, one row per named fault, seen through the simulated port.
#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "sim_test_util.h"

namespace dvx::sim {
namespace {

using namespace testing;

struct Bus {
    platform::VirtualClock clock;
    Plant plant = Plant::preset(0);
    SimPort port{plant, clock};
    Bus() {
        port.set_port_number(1);
        port.set_settings("9600,E,8,1");
        port.open();
    }
};

const char* read_type = "01 03 00 00 00 01 84 0A";            // unit 1, register 0
const char* write_type = "01 10 04 4B 00 01 02 00 0A 6C 2C";  // unit 1, 1099 := 10

struct FaultRow {
    const char* name;
    Fault fault;
    const char* request;
    const char* received;  // everything that arrives within 1.0 s of the send
    const char* logged;    // fault named in the request log
};

TEST(Faults, EachNamedFaultShapesTheAnswer) {
    const FaultRow rows[] = {
        {"X1 silent", Fault::silent(), read_type, "", "silent"},
        {"X3 delayed past 1.0 s", Fault::delayed(1.2), read_type, "", "delayed"},
        {"X4 bad CRC", Fault::bad_crc(), read_type, "01 03 02 00 0B F9 82", "bad_crc"},
        {"X5 truncated", Fault::truncated(1), read_type, "01 03 02 00 0B F9", "truncated"},
        {"X6 extra bytes", Fault::extra_bytes({0xA5}), read_type, "01 03 02 00 0B F9 83 A5",
         "extra_bytes"},
        {"X7 wrong unit", Fault::wrong_unit(), read_type, "02 03 02 00 0B BD 83", "wrong_unit"},
        {"X8 noise equal to the unit", Fault::noise_before({0x01}), read_type,
         "01 01 03 02 00 0B F9 83", "noise_before"},
        {"X9 exception", Fault::exception(4), read_type, "01 83 04 40 F3", "exception"},
        {"X10 foreign function", Fault::foreign_function(4), read_type, "01 04 02 00 0B F8 F7",
         "foreign_function"},
        {"X11 wrong byte count", Fault::wrong_byte_count(), read_type, "01 03 04 00 0B 19 82",
         "wrong_byte_count"},
        {"X11 wrong echoed start and count", Fault::wrong_echo(), write_type,
         "01 10 04 4C 00 02 81 2F", "wrong_echo"},
        {"X11 byte count two short", Fault::wrong_byte_count(-2), read_type, "01 03 00 00 0B 58 43",
         "wrong_byte_count"},
        {"X11 echoed count one lower", Fault::wrong_echo(0, -1), write_type,
         "01 10 04 4B 00 00 B1 2F", "wrong_echo"},
        {"X11 one register short", Fault::register_count(-1), read_type, "01 03 00 20 F0",
         "register_count"},
        {"X11 one register long", Fault::register_count(1), read_type, "01 03 04 00 0B 00 00 8B F1",
         "register_count"},
        {"register count fault on a write", Fault::register_count(1), write_type,
         "01 10 04 4B 00 01 70 EF", "register_count"},
        {"refused write", Fault::refused(4), write_type, "01 90 04 4D C3", "refused"},
        {"X13 two devices on one address", Fault::collision(), read_type, "01 03 58 5A 51 F9 83",
         "collision"},
        {"fault of another unit", Fault::silent().unit(2), read_type, "01 03 02 00 0B F9 83", ""},
        {"fault of another function", Fault::bad_crc().function(16), read_type,
         "01 03 02 00 0B F9 83", ""},
        {"fault of other registers", Fault::bad_crc().registers(1000, 1999), read_type,
         "01 03 02 00 0B F9 83", ""},
        {"fault in the register range", Fault::bad_crc().registers(0, 64), read_type,
         "01 03 02 00 0B F9 82", "bad_crc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bus bus;
        bus.plant.fault(row.fault);
        EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(row.request))), row.received);
        ASSERT_EQ(bus.plant.log().size(), 1u);
        EXPECT_EQ(bus.plant.log()[0].fault, row.logged);
    }
}

TEST(Faults, NextNCountsMatchingRequestsThenTheDeviceIsNormal) {
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        Bus bus;
        bus.plant.fault(Fault::silent().unit(1).next(k));
        int answered = 0;
        for (int send = 0; send < 4; ++send)
            if (!exchange(bus.port, bus.clock, from_hex(read_type)).empty()) ++answered;
        EXPECT_EQ(answered, 4 - k);  // k = 1..3: the fourth send succeeds; k = 4 fails
    }
    Bus bus;
    bus.plant.fault(Fault::foreign_function(4).next(2));
    EXPECT_EQ(exchange(bus.port, bus.clock, from_hex(read_type))[1], 4);
    EXPECT_EQ(exchange(bus.port, bus.clock, from_hex(read_type))[1], 4);
    EXPECT_EQ(exchange(bus.port, bus.clock, from_hex(read_type))[1], 3);
    EXPECT_TRUE(bus.plant.faults()[0].spent());
}

// after(n) lets the next n matching requests pass first, then next(m) counts as before;
// requests of another unit do not count.
TEST(Faults, AfterNLetsTheFirstMatchingRequestsPass) {
    Bus bus;
    bus.plant.fault(Fault::silent().unit(1).after(2).next(1));
    const char* other_unit = "03 03 00 00 00 01 85 E8";
    std::vector<bool> answered;
    for (const char* request : {read_type, other_unit, read_type, read_type, read_type})
        answered.push_back(!exchange(bus.port, bus.clock, from_hex(request)).empty());
    EXPECT_EQ(answered, (std::vector<bool>{true, true, true, false, true}));
    EXPECT_TRUE(bus.plant.faults()[0].spent());
    const auto& log = bus.plant.log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[2].fault, "");
    EXPECT_EQ(log[3].fault, "silent");
}

TEST(Faults, ASilentWriteNeverReachesTheDevice) {
    Bus bus;
    bus.plant.fault(Fault::silent().next(1));
    exchange(bus.port, bus.clock, from_hex(write_type));
    EXPECT_EQ(bus.plant.device(1).param(99), 10);  // unchanged preset value
    bus.plant.device(1).set_param(99, 3);
    exchange(bus.port, bus.clock, from_hex(write_type));
    EXPECT_EQ(bus.plant.device(1).param(99), 10);
}

TEST(Faults, ARefusedWriteIsNotCarriedOutAnExceptionAnswerIs) {
    Bus bus;
    bus.plant.fault(Fault::refused().function(16).registers(1099, 1099));
    bus.plant.device(1).set_param(99, 3);
    EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(write_type))), "01 90 04 4D C3");
    EXPECT_EQ(bus.plant.device(1).param(99), 3);  // turned away: the register keeps its value
    EXPECT_EQ(bus.plant.log().back().exception, 4);
    EXPECT_EQ(bus.plant.log().back().device, "1");
    // A silent device turns nothing away: it does not answer at all.
    bus.plant.device(1).set_silent(true);
    EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(write_type))), "");
    bus.plant.clear_faults();
    bus.plant.device(1).set_silent(false);
    bus.plant.fault(Fault::exception().function(16).registers(1099, 1099));
    EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(write_type))), "01 90 04 4D C3");
    EXPECT_EQ(bus.plant.device(1).param(99), 10);  // an exception answer alone: carried out
}

TEST(Faults, ADelayedAnswerArrivesDuringTheNextExchange) {
    Bus bus;
    bus.plant.fault(Fault::delayed(1.2).next(1));
    EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(read_type), 1.0)), "");
    // the next request at 1.0 s: the late answer arrives first, then the new one
    EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(read_type), 1.0)),
              "01 03 02 00 0B F9 83 01 03 02 00 0B F9 83");
}

TEST(Faults, EchoDelayedAndUnexpectedEcho) {
    {
        Bus bus;
        bus.plant.set_echo(true);
        bus.plant.fault(Fault::echo_delayed(0.5));
        const double sent = bus.clock.now();
        bus.port.write(from_hex(read_type));
        bus.port.wait_input(1.0);
        // the answer (after about 22 ms) overtakes the echo, which comes 0.5 s late
        EXPECT_EQ(to_hex(bus.port.read(100)), "01");
        EXPECT_LT(bus.clock.now() - sent, 0.03);
        bus.clock.advance(0.6);
        EXPECT_EQ(to_hex(bus.port.read(100)), "03 02 00 0B F9 83 01 03 00 00 00 01 84 0A");
        EXPECT_EQ(bus.plant.log()[0].fault, "echo_delayed");
    }
    {
        Bus bus;
        bus.plant.fault(Fault::unexpected_echo());
        // the probe byte comes back from nobody: the master believes "no echo"
        bus.port.write(from_hex("00"));
        bus.port.wait_input(0.2);
        EXPECT_EQ(bus.port.in_count(), 0);
        EXPECT_EQ(to_hex(exchange(bus.port, bus.clock, from_hex(read_type))),
                  std::string(read_type) + " 01 03 02 00 0B F9 83");
        EXPECT_EQ(bus.plant.log()[0].fault, "unexpected_echo");
    }
}

TEST(Faults, TwoDevicesOnOneAddressAreRefusedInTheConfiguration) {
    auto plant = Plant::preset(0);
    EXPECT_THROW(plant.add(1, 11, 405), std::invalid_argument);
}

}  // namespace
}  // namespace dvx::sim

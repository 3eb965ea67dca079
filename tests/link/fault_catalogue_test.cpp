// Every named line fault against the link's result: link_status, number of sends,
// failed exchanges counted, and the (virtual) time the transaction took.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

using sim::Fault;

enum class Op { read, write };

struct FaultRow {
    const char* name;
    std::vector<Fault> faults;
    bool echo_adapter;
    Op op;
    int status;
    int sends;
    int errors;
    double min_seconds;
    double max_seconds;
};

// Seconds: a clean exchange at 9600 baud takes a few tens of ms; a time-out costs
// 1.0 s, an echo time-out 0.3 s, each failed exchange a further 0.1 s pause, and a
// foreign read answer a 1.0 s pause. The simulated port tells no delivery block, so an
// exchange that failed with bytes on the line, or needed a resend, keeps it for the
// longest block any adapter may hold them (0.255 s) as well.
// clang-format off
const FaultRow rows[] = {
    {"clean", {}, false, Op::read, 0, 1, 0, 0.0, 0.1},
    {"silent", {Fault::silent()}, false, Op::read, 2, 4, 4, 4.4, 4.5},
    // An unanswered send may still be answered late: after the answer to the resend the
    // link keeps the line for as long as that answer could come (the resend's answer
    // came 1.1 s after the send before it, and the next may be 0.3 s later still), so a
    // lost request costs the time-out twice.
    {"silent_once", {Fault::silent().next(1)}, false, Op::read, 0, 2, 1, 2.75, 2.85},
    // The fourth send's answer may be the first send's, 3.4 s late: the sends after it
    // are given as long (and the device's queue behind it) before the line is free.
    {"silent_three_times", {Fault::silent().next(3)}, false, Op::read, 0, 4, 3, 7.2, 7.3},
    {"silent_four_times", {Fault::silent().next(4)}, false, Op::read, 2, 4, 4, 4.4, 4.5},
    {"silent_write", {Fault::silent()}, false, Op::write, 2, 4, 4, 4.4, 4.5},
    // The late first answer comes after the resend's and is waited out.
    {"late_answer_once", {Fault::delayed(1.2).next(1)}, false, Op::read, 0, 2, 1, 1.2, 1.25},
    // Every answer 1.2 s late: the first one arrives during the second exchange, which
    // sent the same request, and is taken; the resend's own answer, as late, is waited
    // out before the transaction ends.
    {"late_answer_always", {Fault::delayed(1.2)}, false, Op::read, 0, 2, 1, 2.3, 2.4},
    {"bad_crc_once", {Fault::bad_crc().next(1)}, false, Op::read, 0, 2, 1, 0.1, 0.3},
    {"bad_crc", {Fault::bad_crc()}, false, Op::read, 2, 4, 4, 0.6, 0.9},
    {"truncated", {Fault::truncated()}, false, Op::read, 2, 4, 4, 4.6, 4.75},
    {"extra_bytes", {Fault::extra_bytes({0xA5, 0x01})}, false, Op::read, 0, 1, 0, 0.0, 0.1},
    // Another unit's frames and exceptions are no answer that could be taken: the failed
    // exchange owes nothing.
    {"wrong_unit", {Fault::wrong_unit()}, false, Op::read, 2, 4, 4, 4.4, 4.5},
    {"noise_before", {Fault::noise_before({0xFF, 0x00})}, false, Op::read, 0, 1, 0, 0.0, 0.1},
    // A byte equal to the unit before the answer starts a frame that fails its CRC; the
    // answer's head further on is found in the same window.
    {"noise_equal_to_unit_once", {Fault::noise_before({0x01}).next(1)}, false, Op::read, 0, 1, 0, 0.0, 0.1},
    // Bytes that begin as the answer does (unit 1, function 3, byte count 10): the frame
    // they begin fails its CRC with the answer's first byte, or two, as its last.
    {"noise_like_an_answer_before_its_last_byte",
        {Fault::noise_before({1, 3, 10, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                              0xEE})},
        false, Op::read, 0, 1, 0, 0.0, 0.1},
    {"noise_like_an_answer_before_its_last_two_bytes",
        {Fault::noise_before({1, 3, 10, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                              0xEE})},
        false, Op::read, 0, 1, 0, 0.0, 0.1},
    {"exception", {Fault::exception(2)}, false, Op::read, 2, 4, 4, 4.4, 4.5},
    {"exception_write", {Fault::exception(3)}, false, Op::write, 2, 4, 4, 4.6, 4.75},
    {"foreign_twice", {Fault::foreign_function(4).next(2)}, false, Op::read, 0, 3, 0, 2.0, 2.2},
    {"foreign_always", {Fault::foreign_function(4)}, false, Op::read, 2, 4, 0, 4.0, 4.3},
    {"foreign_twice_write", {Fault::foreign_function(4).next(2)}, false, Op::write, 0, 3, 0, 0.0, 0.2},
    {"foreign_always_write", {Fault::foreign_function(4)}, false, Op::write, 2, 4, 0, 0.0, 0.3},
    // Answers whose CRC holds but whose byte count or echo does not fit the request
    // fail as a bad CRC does.
    {"wrong_byte_count", {Fault::wrong_byte_count()}, false, Op::read, 2, 4, 4, 0.6, 0.9},
    {"byte_count_too_small", {Fault::wrong_byte_count(-2)}, false, Op::read, 2, 4, 4, 0.6, 0.9},
    {"short_answer_padded_with_zeros", {Fault::register_count(-1), Fault::extra_bytes({0, 0})},
        false, Op::read, 2, 4, 4, 0.6, 0.9},
    {"short_answer_padded_once", {Fault::register_count(-1).next(1), Fault::extra_bytes({0, 0}).next(1)},
        false, Op::read, 0, 2, 1, 0.1, 0.3},
    // The rest of each answer comes in the pause: the port may hold more of it, so each
    // resend waits for the longest block of quiet.
    {"long_answer", {Fault::register_count(1)}, false, Op::read, 2, 4, 4, 1.25, 1.35},
    {"wrong_echo_of_write", {Fault::wrong_echo()}, false, Op::write, 2, 4, 4, 0.6, 0.9},
    {"echoed_start_too_high", {Fault::wrong_echo(1, 0)}, false, Op::write, 2, 4, 4, 0.6, 0.9},
    {"echoed_start_too_low", {Fault::wrong_echo(-1, 0)}, false, Op::write, 2, 4, 4, 0.6, 0.9},
    {"echoed_count_too_high", {Fault::wrong_echo(0, 1)}, false, Op::write, 2, 4, 4, 0.6, 0.9},
    {"echoed_count_too_low", {Fault::wrong_echo(0, -1)}, false, Op::write, 2, 4, 4, 0.6, 0.9},
    {"wrong_echo_once", {Fault::wrong_echo().next(1)}, false, Op::write, 0, 2, 1, 0.1, 0.3},
    {"echo_adapter", {}, true, Op::read, 0, 1, 0, 0.0, 0.1},
    {"echo_adapter_write", {}, true, Op::write, 0, 1, 0, 0.0, 0.1},
    // The first 8 bytes after the send count as the echo whatever they are: an echo
    // that comes after the answer leaves a broken answer and a time-out at 1.0 s.
    {"echo_delayed", {Fault::echo_delayed(0.5)}, true, Op::read, 2, 4, 4, 4.6, 4.75},
    {"echo_delayed_once", {Fault::echo_delayed(0.5).next(1)}, true, Op::read, 0, 2, 1, 1.1, 1.2},
    // With nothing else on the line the echo phase gives up after 0.3 s; the resend
    // 0.1 s later succeeds. Its answer may be the first send's: the first send's late
    // echo, which comes meanwhile, is no answer, so the resend's is given its time.
    {"echo_delayed_device_silent_once", {Fault::echo_delayed(0.5).next(1), Fault::silent().next(1)},
        true, Op::read, 0, 2, 1, 1.4, 1.5},
    // The echo taken for the start of the answer fails its CRC; the answer behind it is
    // found by its head.
    {"echo_while_echo_off", {Fault::unexpected_echo()}, false, Op::read, 0, 1, 0, 0.0, 0.1},
    {"collision", {Fault::collision()}, false, Op::read, 2, 4, 4, 0.5, 0.9},
};
// clang-format on

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.name;
}

class FaultCatalogue : public BusFixture, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(FaultCatalogue, ResultSendsErrorsAndTime) {
    const FaultRow& row = GetParam();
    attach(sim::Plant::preset(0), 1);
    plant().set_echo(row.echo_adapter);
    ASSERT_EQ(detect_echo(), 0);
    ASSERT_EQ(echo_on, row.echo_adapter ? 1 : 0);
    plant().clear_log();
    for (const Fault& f : row.faults) plant().fault(f);

    model::param_image[0] = 4321;
    const double t0 = clock_.peek();
    const TransactionResult r =
        row.op == Op::read ? read_transaction(0, 5) : write_transaction(1000, 4);
    const double took = clock_.peek() - t0;

    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.sends, row.sends);
    EXPECT_EQ(plant().log().size(), static_cast<std::size_t>(row.sends));
    EXPECT_EQ(link_error_count, row.errors);
    EXPECT_GE(took, row.min_seconds);
    EXPECT_LE(took, row.max_seconds);
    if (row.op == Op::read) {
        EXPECT_EQ(status_regs[0], row.status == 0 ? 11 : 0);
    } else if (row.status == 0) {
        EXPECT_EQ(plant().device(1).param(0), 4321);
    }

    // Whatever the fault left on the line, the next transaction is clean once the
    // line is quiet.
    plant().clear_faults();
    clock_.advance(0.1);
    const TransactionResult next = read_transaction(0, 5);
    EXPECT_EQ(next.status, 0);
    EXPECT_EQ(next.sends, 1);
    EXPECT_EQ(status_regs[0], 11);
}

INSTANTIATE_TEST_SUITE_P(Link, FaultCatalogue, ::testing::ValuesIn(rows),
                         [](const auto& info) { return std::string(info.param.name); });

// A request lost once costs the time-out and pause twice and the answer, the margin for
// lateness that varies (0.3 s), and the port's delivery block three times (the resend
// waits one out, so its answer and the lateness taken from it come one later): the
// port's own where the system tells it, the configured one else; where nothing tells it
// the resend's owed answer is given the longest block of any adapter (and the other two
// the common 16 ms).
class LostRequest : public BusFixture {};

TEST_F(LostRequest, WaitsOutTheResendsAnswerForThePortsOwnBlock) {
    struct Case {
        const char* name;
        std::optional<platform::DeliveryBlock> told;
        double min_seconds, max_seconds;
    };
    const Case cases[] = {
        {"told by the system", platform::DeliveryBlock{0.016, true}, 2.55, 2.6},
        {"configured", platform::DeliveryBlock{0.064, false}, 2.7, 2.75},
        {"told nothing", std::nullopt, 2.8, 2.85},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::preset(0), 1);
        port().tell_delivery_block(c.told);
        plant().fault(Fault::silent().next(1));
        const double t0 = clock_.peek();
        const TransactionResult r = read_transaction(0, 5);
        const double took = clock_.peek() - t0;
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.sends, 2);
        EXPECT_GE(took, c.min_seconds);
        EXPECT_LE(took, c.max_seconds);
        reset_link_state();
    }
}

class ShortAnswer : public BusFixture {};

// A read of two registers answered by a correct one-register answer and two zero bytes,
// 01 03 02 00 2A 39 9B 00 00: its CRC holds, and taking it would store the CRC itself
// (0x399B) as the second register.
TEST_F(ShortAnswer, PaddedWithZerosIsSentAgainAndNeverStored) {
    struct Case {
        const char* name;
        int faulty_answers;  // -1: every answer
        int status;
        int sends;
    };
    const Case cases[] = {
        {"once", 1, 0, 2},
        {"every time", -1, 2, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::preset(0), 1);
        plant().device(1).set_param(10, 0x2A);
        plant().device(1).set_param(11, 7);
        const auto scope = [&](Fault f) {
            return c.faulty_answers < 0 ? f : f.next(c.faulty_answers);
        };
        plant().fault(scope(Fault::register_count(-1)));
        plant().fault(scope(Fault::extra_bytes({0x00, 0x00})));
        model::param_image[10] = -1;
        model::param_image[11] = -1;
        const TransactionResult r = read_transaction(1010, 2);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.sends, c.sends);
        EXPECT_EQ(link_error_count, c.faulty_answers < 0 ? 4 : c.faulty_answers);
        EXPECT_EQ(model::param_image[10], c.status == 0 ? 0x2A : -1);
        EXPECT_EQ(model::param_image[11], c.status == 0 ? 7 : -1);
        reset_link_state();
    }
}

// Behind a gateway the request carries the mapped unit and register; a write answer
// must echo the mapped start register or the transmitter's own (a gateway that passes
// the transmitter's answer on unchanged), with the count sent.
TEST_F(ShortAnswer, GatewayAnswersAreCheckedAgainstTheMappedRequest) {
    struct Case {
        const char* name;
        int bus_mode;
        int slot;
        Op op;
        std::vector<Fault> faults;
        int status;
        int sends;
        bool transmitter_echo = false;  // the gateway passes the transmitter's echo on
    };
    const Case cases[] = {
        {"HZL clean", 1, 1, Op::write, {}, 0, 1},
        {"HZL3 clean", 2, 16, Op::write, {}, 0, 1},
        {"HZL echoed start off", 1, 1, Op::write, {Fault::wrong_echo(1, 0)}, 2, 4},
        {"HZL3 echoed count off", 2, 16, Op::write, {Fault::wrong_echo(0, 1)}, 2, 4},
        {"HZL3 byte count off", 2, 16, Op::read, {Fault::wrong_byte_count(-2)}, 2, 4},
        {"HZL transmitter's echo", 1, 11, Op::write, {}, 0, 1, true},
        {"HZL3 transmitter's echo", 2, 17, Op::write, {}, 0, 1, true},
        {"HZL transmitter's echo, count off",
         1,
         1,
         Op::write,
         {Fault::wrong_echo(0, 1)},
         2,
         4,
         true},
        {"HZL3 transmitter's echo, start off",
         2,
         16,
         Op::write,
         {Fault::wrong_echo(1, 0)},
         2,
         4,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Plant p = sim::Plant::preset(c.bus_mode);
        p.gateway().set_pass_transmitter_echo(c.transmitter_echo);
        attach(std::move(p), c.slot, 1);
        for (const Fault& f : c.faults) plant().fault(f);
        model::param_image[10] = 1234;
        const TransactionResult r =
            c.op == Op::read ? read_transaction(1010, 2) : write_transaction(1010, 1);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.sends, c.sends);
        if (c.status == 0) {
            plant().clear_faults();
            model::param_image[10] = 0;
            EXPECT_EQ(read_transaction(1010, 1).status, 0);
            EXPECT_EQ(model::param_image[10], 1234);
        }
        reset_link_state();
    }
}

}  // namespace
}  // namespace dvx::link

// Answers still in flight after an exchange that needed more than one send: the link
// never takes one for a later request of the same shape, and never starts a request
// into a line that is not quiet, also through a port that hands bytes on in blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/line_timing.h"
#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

using sim::Fault;

// One read or write path: its first request (made twice in flight) and the next request
// of the same unit, function and count.
struct Path {
    const char* name;
    bool gateway_only;
    std::function<TransactionResult()> first;
    std::function<TransactionResult()> next;
};

TransactionResult window_poll(int start, int count) {
    reg_win_start = static_cast<std::int16_t>(start);
    reg_win_count = static_cast<std::int16_t>(count);
    return read_transaction(reg_win_start, reg_win_count);
}

std::vector<Path> paths() {
    return {
        {"device type", false, [] { return read_transaction(0, 5); },
         [] { return read_transaction(0, 5); }},
        {"parameter block", false, [] { return read_transaction(1000, 16); },
         [] { return read_transaction(1016, 16); }},
        {"comment block", false, [] { return read_transaction(2000, 25); },
         [] { return read_transaction(2025, 25); }},
        {"online polling", false, [] { return window_poll(5, 60); },
         [] { return window_poll(5, 60); }},
        {"output drive", false, [] { return write_transaction(50, 2); },
         [] { return write_transaction(50, 2); }},
        {"store command", false, [] { return write_transaction(56, 1); },
         [] { return write_transaction(56, 1); }},
        {"gateway block", true, [] { return read_transaction(20000, 41); },
         [] { return read_transaction(20000, 41); }},
        {"result page", true, [] { return read_transaction(24000, 50); },
         [] { return read_transaction(24050, 50); }},
        {"concentrator data", true, [] { return window_poll(11000, 80); },
         [] { return window_poll(11000, 80); }},
    };
}

struct Line {
    const char* name;
    int bus_mode;
    double delivery;  // the port's block interval, 0 byte by byte
};

const Line lines[] = {
    {"9600 baud", 0, 0},  {"9600 baud, 16 ms blocks", 0, 0.016},
    {"19200 baud", 1, 0}, {"19200 baud, 8 ms blocks", 1, 0.008},
    {"57600 baud", 2, 0}, {"57600 baud, 16 ms blocks", 2, 0.016},
};

// How late the first send and the resend are answered (one device: its answers never
// overlap, even for the longest frames at 9600 baud). A device that queues the resend
// behind the first request answers it later still, after the link stopped waiting.
struct Lateness {
    double first;
    double resend;
};
const Lateness latenesses[] = {{1.3, 0.45}, {1.3, 0.0}, {1.3, 1.5}};

// Where the link learns the port's delivery block.
enum class Told { system, configured, nothing };

const char* told_name(Told told) {
    return told == Told::system ? "told" : told == Told::configured ? "configured" : "told nothing";
}

class LateAnswers : public BusFixture {
  protected:
    double silent_seconds() { return platform::line_timing(port().settings())->silent_seconds; }
    void tell(Told told, double block) {
        if (told == Told::configured)
            port().tell_delivery_block(platform::DeliveryBlock{block, false});
        if (told == Told::nothing) port().tell_delivery_block(std::nullopt);
    }
};

// Both answers of the first request are late; the device does not answer the next
// request at all. Whatever comes in after the taken answer belongs to the first
// request, so the next one must fail after its four sends. The values move (every
// transmitter's signal swings), so no late answer is the same as the taken one.
TEST_F(LateAnswers, AreNeverTakenForTheNextRequest) {
    for (const Line& line : lines)
        for (const Path& path : paths())
            for (const Lateness& late : latenesses) {
                if (path.gateway_only && line.bus_mode == 0) continue;
                SCOPED_TRACE(std::string(line.name) + ", " + path.name + ", late " +
                             std::to_string(late.first) + " / " + std::to_string(late.resend));
                attach(sim::Plant::demo(line.bus_mode));
                port().set_delivery_interval(line.delivery);
                port().reset_shortest_silence();
                plant().fault(Fault::delayed(late.first).next(1));
                plant().fault(Fault::delayed(late.resend).after(1).next(1));
                plant().fault(Fault::silent().after(2));

                const TransactionResult first = path.first();
                EXPECT_EQ(first.status, link_status::done);
                EXPECT_EQ(first.sends, 2);
                const TransactionResult next = path.next();
                EXPECT_EQ(next.status, link_status::time_out);
                EXPECT_EQ(next.sends, max_sends);
                EXPECT_GE(port().shortest_silence(), silent_seconds() - 1e-9);
            }
}

// The second block's first send answered late, its resend late too; every word of the
// parameter set must hold the device's own value, while the device's live values move.
TEST_F(LateAnswers, LeaveEveryParameterBlockItsOwnValues) {
    for (const Line& line : lines) {
        SCOPED_TRACE(line.name);
        attach(sim::Plant::demo(line.bus_mode));
        port().set_delivery_interval(line.delivery);
        sim::Transmitter& device = line.bus_mode == 0 ? plant().device(1) : plant().device(1, 1);
        for (int i = 0; i < model::param_count; ++i) device.set_param(i, 100 + 3 * i);
        model::param_image.fill(0);
        plant().fault(Fault::delayed(1.3).after(1).next(1));
        plant().fault(Fault::delayed(0.25).after(2).next(1));

        for (int i = 0; i < model::param_count; i += 16)
            ASSERT_EQ(read_regs(1000 + i, 16), link_status::done) << "block " << i;
        for (int i = 0; i < model::param_count; ++i)
            ASSERT_EQ(model::param_image[static_cast<std::size_t>(i)], 100 + 3 * i) << "word " << i;
    }
}

// A late answer still coming in as the resend is due: the resend waits until the port
// has shown the line quiet for a whole delivery block and the silent interval, so the
// late answer costs one resend, and no block is ever started over bytes on the line.
TEST_F(LateAnswers, TheTailOfALateAnswerIsWaitedOutThroughBlockDelivery) {
    struct Case {
        const char* name;
        int bus_mode;
        int start;
        int count;
        double delay;  // the late answer starts before and ends after the resend is due
    };
    const Case cases[] = {
        {"9600 baud", 0, 1000, 60, 1.05},
        {"19200 baud", 1, 20000, 41, 1.07},
        {"57600 baud", 2, 20000, 41, 1.085},
    };
    for (const auto& c : cases)
        for (const double delivery : {0.0, 0.008, 0.016}) {
            SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(delivery));
            attach(sim::Plant::preset(c.bus_mode));
            port().set_delivery_interval(delivery);
            port().reset_shortest_silence();
            ASSERT_EQ(detect_echo(), 0);
            plant().fault(Fault::delayed(c.delay).next(1));
            const TransactionResult r = read_transaction(c.start, c.count);
            EXPECT_EQ(r.status, link_status::done);
            EXPECT_EQ(r.sends, 2);
            // And the traffic after it: a probe, a read, a write.
            ASSERT_EQ(detect_echo(), 0);
            EXPECT_EQ(echo_on, 0);
            EXPECT_EQ(read_transaction(c.start, c.count).sends, 1);
            EXPECT_EQ(write_transaction(c.start, 2).sends, 1);
            EXPECT_GE(port().shortest_silence(), silent_seconds() - 1e-9);
        }
}

// A port that hands bytes on in 64 ms blocks without the link knowing it: the tail of a
// long late answer (an HZL3 result page, 205 bytes) comes in the resend's window. The
// answer behind it is still found, so the tail costs at most one more resend, never the
// transaction, and leaves nothing misaligned for the reads after it.
TEST_F(LateAnswers, TheTailOfADiscardedAnswerCostsAtMostOneResend) {
    for (int ms = 1000; ms <= 1200; ms += 5) {
        SCOPED_TRACE("late " + std::to_string(ms) + " ms");
        attach(sim::Plant::preset(2));
        port().set_delivery_interval(0.064);
        port().tell_delivery_block(std::nullopt);
        plant().fault(Fault::delayed(ms / 1000.0).next(1));
        const TransactionResult r = read_transaction(24000, 100);
        EXPECT_EQ(r.status, link_status::done);
        EXPECT_LE(r.sends, 3);
        const TransactionResult next = read_transaction(24100, 100);
        EXPECT_EQ(next.status, link_status::done);
        EXPECT_EQ(next.sends, 1);
    }
}

// Bytes of another unit while an owed answer is waited for are not that answer, not even
// where one of them equals the unit: taken for it, they would end the wait, and the
// answer, coming later, would be the next request's (whose first send is lost) with the
// words of another block.
TEST_F(LateAnswers, AnotherUnitsBytesAreNotTheAnswerOwed) {
    const std::vector<std::uint8_t> talkers[] = {{7, 3, 2, 0, 0, 7, 7, 7}, {7, 3, 2, 0, 1, 7, 7, 7}};
    for (const auto& talker : talkers) {
        SCOPED_TRACE("talker byte 4: " + std::to_string(talker[4]));
        attach(sim::Plant::preset(0));
        port().set_delivery_interval(0.016);
        sim::Transmitter& device = plant().device(1);
        for (int k = 0; k < 10; ++k) device.set_status(k, 100 + k);
        plant().fault(Fault::delayed(1.2).registers(0, 0));
        plant().fault(Fault::silent().registers(5, 5).next(1));
        // After the first request's late answer is taken, before its resend's comes.
        port().put_on_line(talker, clock_.peek() + 1.4);
        ASSERT_EQ(read_transaction(0, 5).status, link_status::done);
        status_regs.fill(0);
        const TransactionResult next = read_transaction(5, 5);
        ASSERT_EQ(next.status, link_status::done);
        EXPECT_EQ(next.sends, 2);
        for (int k = 5; k < 10; ++k)
            EXPECT_EQ(status_regs[static_cast<std::size_t>(k)], device.status(k)) << "word " << k;
        reset_link_state();
    }
}

// A device late beyond the time-out that answers one request after the other: the first
// answer comes in the second window and is taken, the second one is still owed. Bytes
// that are no answer, in the first window or the pause after it, must not count as the
// first send's answer, or the second one would be taken for the next read (another
// block of as many words).
TEST_F(LateAnswers, StrayBytesAreNoAnswer) {
    Frame other_unit{7, 3, 4, 0, 1, 0, 2};
    append_crc(other_unit);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        double at;  // after the read begins
    };
    const Case cases[] = {
        {"line noise in the pause", {0xFF, 0x00, 0x11}, 1.05},
        {"line noise in the window", {0xFF, 0x00, 0x11}, 0.5},
        {"another unit's frame in the pause", other_unit, 1.05},
        {"another unit's frame in the window", other_unit, 0.5},
        {"the unit byte alone in the pause", {1}, 1.05},
        {"the unit byte alone in the window", {1}, 0.5},
        {"the unit and function alone in the window", {1, 3}, 0.5},
    };
    for (const Case& c : cases)
        for (const Told told : {Told::system, Told::configured, Told::nothing}) {
            SCOPED_TRACE(std::string(c.name) + ", block " + told_name(told));
            reset_link_state();
            attach(sim::Plant::preset(0));
            port().set_delivery_interval(0.016);
            tell(told, 0.016);
            port().set_answers_queued(true);
            sim::Transmitter& device = plant().device(1);
            for (int i = 0; i < model::param_count; ++i) device.set_param(i, 100 + 3 * i);
            plant().fault(Fault::delayed(1.2).registers(1000, 1000).next(2));
            plant().fault(Fault::delayed(0.9).registers(1002, 1002).next(1));
            port().put_on_line(c.bytes, clock_.peek() + c.at);
            EXPECT_EQ(read_transaction(1000, 2).status, link_status::done);
            model::param_image.fill(0);
            EXPECT_EQ(read_transaction(1002, 2).status, link_status::done);
            EXPECT_EQ(model::param_image[2], 106);
            EXPECT_EQ(model::param_image[3], 109);
        }
}

// Two answers owed (the first two sends lost, the third answered at once, so the answer
// taken may be the first send's): the first one owed begins just as the wait for it
// would end, its head coming 4 ms later, so it is under way and waited for; the second
// one is timed from it and comes 2.2 s after it, in a window of the next read, which
// asks as many words of another block. When the wait ends comes from a run without them.
TEST_F(LateAnswers, AnAnswerBegunByItsDueTimeIsWaitedFor) {
    const auto answer = [](std::uint8_t word) {
        Frame f{1, 3, 4, 0, word, 0, word};
        append_crc(f);
        return f;
    };
    const Frame first = answer(0x51), second = answer(0x52);
    for (const Told told : {Told::system, Told::nothing}) {
        SCOPED_TRACE(told_name(told));
        double ends = 0;
        for (const bool owed_come : {false, true}) {
            reset_link_state();
            attach(sim::Plant::preset(0));
            tell(told, 0);
            plant().fault(Fault::silent().registers(1000, 1000).next(2));
            plant().fault(Fault::silent().registers(1002, 1002).next(2));
            const double t0 = clock_.peek();
            if (owed_come) {
                port().put_on_line({first.front()}, t0 + ends - 0.002);
                port().put_on_line(Frame(first.begin() + 1, first.end()), t0 + ends + 0.002);
                port().put_on_line(second, t0 + ends + 0.002 + 2.2);
            }
            ASSERT_EQ(read_transaction(1000, 2).status, link_status::done);
            if (!owed_come) ends = clock_.peek() - t0;
            model::param_image.fill(0);
            EXPECT_EQ(read_transaction(1002, 2).status, link_status::done);
            EXPECT_EQ(model::param_image[2], plant().device(1).param(2));
            EXPECT_EQ(model::param_image[3], plant().device(1).param(3));
        }
    }
}

// Where the count of the answers a late device still owes is in doubt, the link waits:
// each case is a way the count could take an answer it should have waited for. The
// first read's device answers as given (its faults aimed at the first read's registers);
// the read after it asks the same unit for as many words of another block, answered
// 0.9 s late (so what the first read still owes comes before it), and must hold its own
// words, never the first read's.
TEST_F(LateAnswers, AreWaitedForWhereTheirCountIsInDoubt) {
    struct Case {
        const char* name;
        std::vector<Fault> faults;  // scoped to the first read's start register
        bool queued;
        int count;
        double block;
        // Put on the line `stray_at` after the first read begins.
        std::vector<std::uint8_t> stray = {};
        double stray_at = 0;
    };
    const auto late = [](double s, int after) { return Fault::delayed(s).after(after).next(1); };
    const Case cases[] = {
        // The first answer comes in the pause after its window, the next two sends are
        // lost, the fourth answered 0.2 s later than the first: its wait comes after two
        // owed answers that never come.
        {"an owed answer not followed by one that comes",
         {late(1.05, 0), Fault::silent().after(1).next(2), late(1.25, 3)}, false, 2, 0.016},
        // 0.9 s (a bad CRC, in the first window), 1.2 s (taken in the third window), then
        // 1.5 s: the third answer is given the second one's lateness, not the first's.
        {"lateness growing over three sends",
         {Fault::bad_crc().next(1), late(0.9, 0), late(1.2, 1), late(1.5, 2)}, false, 2, 0.016},
        // A device working one request after the other, each 0.3 s longer.
        {"lateness growing over three queued answers",
         {late(2.25, 0), late(2.55, 1), late(2.85, 2)}, true, 2, 0.016},
        // Bytes that begin as the answer would, well before the late answer taken in the
        // same window: the taken answer's own time says how late the device is.
        {"a false start before the taken late answer", {late(1.6, 0), late(1.6, 1)}, true, 2,
         0.016, {1, 3, 4, 0xAA, 0xAA}, 1.2},
        // The second send's answer (125 words, 0.29 s on the line) is under way when its
        // due time comes; the third one, queued behind it, is timed from its end.
        {"an owed answer still under way at its due time",
         {late(2.3, 0), late(2.3, 1), late(2.6, 2)}, true, 125, 0.016},
        // Three answers 1.3 s late with a bad CRC, each in the next send's window, the
        // fourth one good: the read fails as the third one fails, with the fourth still
        // to come.
        {"a failed exchange's late answers",
         {Fault::bad_crc().next(3), Fault::delayed(1.3).next(3), late(0.95, 3)}, false, 16,
         0.016},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_link_state();
        attach(sim::Plant::preset(0));
        port().set_delivery_interval(c.block);
        port().set_answers_queued(c.queued);
        sim::Transmitter& device = plant().device(1);
        for (int i = 0; i < model::param_count; ++i) device.set_param(i, 100 + 3 * i);
        for (const Fault& f : c.faults) plant().fault(f.registers(1000, 1000));
        // The next read's own answer comes late too (within its window): an answer still
        // owed from the first read comes before it.
        plant().fault(late(0.9, 0).registers(1000 + c.count, 1000 + c.count));
        if (!c.stray.empty()) port().put_on_line(c.stray, clock_.peek() + c.stray_at);
        read_transaction(1000, c.count);
        model::param_image.fill(0);
        EXPECT_EQ(read_transaction(1000 + c.count, c.count).status, link_status::done);
        for (int i = c.count; i < 2 * c.count && i < model::param_count; ++i)
            EXPECT_EQ(model::param_image[static_cast<std::size_t>(i)], 100 + 3 * i) << "word " << i;
    }
}

// Two reads one after the other, each losing its first request (a scan): the wait for
// the first one's owed answer ends with events, as the second one's receive runs none.
TEST_F(LateAnswers, TheWindowTakesEventsBetweenTwoRetriedReads) {
    for (const bool told : {true, false}) {
        SCOPED_TRACE(told ? "block told" : "block told by nothing");
        attach(sim::Plant::demo(0));
        port().set_delivery_interval(0.064);
        if (!told) port().tell_delivery_block(std::nullopt);
        plant().fault(Fault::silent().registers(5, 5).next(1));
        plant().fault(Fault::silent().registers(0, 0).next(1));
        const double t0 = clock_.peek();
        std::vector<double> pumps;
        for (int k = 0; k < 800; ++k)
            loop_.post_at(t0 + 0.01 * k, [&] { pumps.push_back(clock_.peek()); });
        EXPECT_EQ(read_transaction(5, 60).sends, 2);
        EXPECT_EQ(read_transaction(0, 5).sends, 2);
        double longest = 0;
        for (std::size_t i = 1; i < pumps.size(); ++i)
            longest = std::max(longest, pumps[i] - pumps[i - 1]);
        EXPECT_LE(longest, answer_seconds + 0.01);
        loop_.run_for(10);
        reset_link_state();
    }
}

// While answers in flight are waited out the window keeps taking events, at least as
// often as the time-out (the one wait that runs none), and nothing else may start a
// transaction meanwhile. Prints the figures of link/README.md.
TEST_F(LateAnswers, LetTheWindowTakeEventsWhileTheyAreWaitedOut) {
    struct Case {
        const char* name;
        std::vector<Fault> faults;
        double block;
        int count;  // status words read from 5 on
        int status;  // -1: whatever it comes to
        bool told = true;  // the port tells its block
        double talker_at = 0;  // another talker's bytes from then on, back to back
        int talker_bytes = 0;
    };
    const Case cases[] = {
        {"request lost once, 2 words", {Fault::silent().next(1)}, 0.016, 2, link_status::done},
        {"request lost once, 60 words", {Fault::silent().next(1)}, 0.016, 60, link_status::done},
        {"request lost once, 2 words, 64 ms blocks", {Fault::silent().next(1)}, 0.064, 2,
         link_status::done},
        {"request lost once, 60 words, 64 ms blocks", {Fault::silent().next(1)}, 0.064, 60,
         link_status::done},
        {"request and resend 1.3 s late", {Fault::delayed(1.3).next(2)}, 0.016, 60,
         link_status::done},
        {"request lost once, 60 words, 64 ms blocks told by nothing", {Fault::silent().next(1)},
         0.064, 60, link_status::done, false},
        {"every answer 2.2 s late, 255 ms blocks", {Fault::delayed(2.2)}, 0.255, 60,
         link_status::time_out},
        {"clean, 60 words", {}, 0.016, 60, link_status::done},
        // Bytes of another unit keep coming: the quiet before the request is waited for
        // one longest frame, and the wait for the lost request's answer to the end.
        {"another talker as the request is due, the device silent once",
         {Fault::silent().next(1)}, 0.016, 2, -1, true, -0.05, 600},
        {"request lost once, another talker as its answer is waited out",
         {Fault::silent().next(1)}, 0.016, 2, link_status::done, true, 1.15, 1400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        attach(sim::Plant::demo(0));
        port().set_delivery_interval(c.block);
        if (!c.told) port().tell_delivery_block(std::nullopt);
        for (const Fault& f : c.faults) plant().fault(f);
        const double t0 = clock_.peek();
        port().put_on_line(std::vector<std::uint8_t>(static_cast<std::size_t>(c.talker_bytes), 7),
                           t0 + c.talker_at);
        std::vector<double> pumps;
        int nested = 0;
        for (int k = 0; k < 1000; ++k)
            loop_.post_at(t0 + 0.01 * k, [&] {
                pumps.push_back(clock_.peek());
                if (read_transaction(0, 5).end == TransactionEnd::nested) ++nested;
            });
        const TransactionResult r = read_transaction(5, c.count);
        const double took = clock_.peek() - t0;
        if (c.status >= 0) {
            EXPECT_EQ(r.status, c.status);
        }
        double longest = pumps.empty() ? took : pumps.front() - t0;
        for (std::size_t i = 1; i < pumps.size(); ++i)
            longest = std::max(longest, pumps[i] - pumps[i - 1]);
        if (!pumps.empty()) longest = std::max(longest, clock_.peek() - pumps.back());
        if (took > 1.0) {
            EXPECT_LE(longest, answer_seconds + 0.01);
            EXPECT_EQ(nested, static_cast<int>(pumps.size()));
        }
        std::printf("%s: %d sends, %.3f s, longest without events %.3f s\n", c.name, r.sends, took,
                    longest);
        loop_.run_for(10);  // what is left of the script, outside the transaction
    }
}

}  // namespace
}  // namespace dvx::link

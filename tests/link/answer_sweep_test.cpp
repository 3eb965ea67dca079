// Every read that says done holds its own words: swept over the port's delivery block
// (byte by byte up to 255 ms, the blocks at several alignments), the three bus modes, how
// late the device answers (0.9..3.5 s) and how (one request and its resend late, every
// answer late, answers queued one behind the other), with values held and moving.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

using sim::Fault;

// How the device is late.
// Where the link learns the port's delivery block.
enum class Told {
    system,      // the system tells it (a USB adapter's latency timer)
    configured,  // ports.conf sets it
    nothing,     // nothing tells it (a pseudo-terminal, a plain serial port)
};

enum class Lateness {
    pair,    // a request and its resend answered late, the others at once
    always,  // every answer late
    queued,  // a request answered late, its resend queued behind that answer and as late
};

// One read of the sequence and how its words are checked.
struct Step {
    int slot;  // address on the direct bus, slot behind a gateway (rack 1)
    int start;
    int count;
    bool late;  // the fault of a pair or a queue is aimed at this read
    enum class Words { params, status_value, results } words;
};

// The process signal (0.01 % of the range, status word 49) rises steadily through the
// whole run: a word from an earlier answer is lower than any the read's own sends can give.
constexpr double signal_period = 1000;
double signal_at(double t0, double t) {
    const double angle = -std::numbers::pi / 4 + 2 * std::numbers::pi * (t - t0) / signal_period;
    return 5000 * (1 + std::sin(angle));
}

class AnswerSweep : public BusFixture, public ::testing::WithParamInterface<int> {
  protected:
    sim::Transmitter& device(int mode, int slot) {
        return mode == 0 ? plant().device(slot) : plant().device(1, slot);
    }

    // The reads of one bus mode: blocks of different registers one after the other (a
    // parameter set, a gateway scan, result pages) and the same registers twice (a poll).
    static std::vector<Step> steps(int mode, bool moving) {
        using W = Step::Words;
        if (mode == 0)
            return {{1, 1000, 16, false, W::params},     {1, 1016, 16, true, W::params},
                    {1, 1032, 16, false, W::params},     {1, 5, 60, true, W::status_value},
                    {1, 5, 60, false, W::status_value}};
        // A scan's identity reads, slot after slot (the upper half of an HZL3 rack on a
        // unit of its own).
        const int second = mode == 1 ? 2 : 16, third = mode == 1 ? 11 : 17;
        std::vector<Step> s = {{1, 1119, 8, true, W::params},
                               {second, 1119, 8, false, W::params},
                               {third, 1119, 8, false, W::params},
                               {1, 5, 60, true, W::status_value},
                               {1, 5, 60, false, W::status_value}};
        if (!moving) {  // result words follow the measured values
            s.push_back({1, 24000, 50, true, W::results});
            s.push_back({1, 24050, 50, false, W::results});
        }
        return s;
    }

    // Runs the reads; every failure of a done read's words is reported.
    void run(int mode, double block, double phase, double late, Lateness how, bool moving,
             Told told) {
        loop_.set_guard(1'000'000, 3600);  // each run its own bounds: the sweep takes hours
        attach(sim::Plant::preset(mode));
        port().set_delivery_interval(block, phase);
        if (told == Told::configured)
            port().tell_delivery_block(platform::DeliveryBlock{block, false});
        if (told == Told::nothing) port().tell_delivery_block(std::nullopt);
        port().set_answers_queued(how == Lateness::queued);
        const double t0 = clock_.peek();
        const std::vector<Step> reads = steps(mode, moving);
        for (const Step& s : reads) {
            sim::Transmitter& t = device(mode, s.slot);
            for (int i = 0; i < 119; ++i) t.set_param(i, 100 * s.slot + 3 * i);
            if (moving)
                t.live().set_signal(sim::Signal::swing(0, 10000, signal_period, 0));
        }
        if (moving)  // the phase that puts the rise where the run begins
            device(mode, 1).live().set_signal(sim::Signal::swing(
                0, 10000, signal_period, -signal_period / 8 - t0));
        for (const Step& s : reads) {
            if (how == Lateness::always || !s.late) continue;
            const UnitRegister wire = map_address(mode, s.slot - 1, 0, s.start);
            plant().fault(
                Fault::delayed(late).unit(wire.unit).registers(wire.reg, wire.reg).next(2));
        }
        if (how == Lateness::always) plant().fault(Fault::delayed(late));

        for (const Step& s : reads) {
            SCOPED_TRACE("slot " + std::to_string(s.slot) + ", read " + std::to_string(s.start) +
                         "/" + std::to_string(s.count));
            detached_controls().adr_select = s.slot - 1;
            detached_controls().cmb_rack = 0;
            model::param_image.fill(0);
            status_regs.fill(0);
            const double began = clock_.peek();
            const TransactionResult r = read_transaction(s.start, s.count);
            const double done = clock_.peek();
            if (r.status != link_status::done) continue;
            ++done_reads_;
            check(mode, s, began, done, t0);
        }
    }

    void check(int mode, const Step& s, double began, double done, double t0) {
        sim::Transmitter& t = device(mode, s.slot);
        switch (s.words) {
            case Step::Words::params:
                for (int i = 0; i < s.count && s.start - 1000 + i < model::param_count; ++i) {
                    const auto w = static_cast<std::size_t>(s.start - 1000 + i);
                    ASSERT_EQ(model::param_image[w], t.param(static_cast<int>(w))) << "word " << w;
                }
                break;
            case Step::Words::status_value: {
                const int v = status_regs[49];
                if (!t.live().signal()) {
                    ASSERT_EQ(v, t.status(49));
                    break;
                }
                // Answered to one of the read's own sends: between the value at its first
                // send and the one at its end.
                ASSERT_GE(v, std::floor(signal_at(t0, began)) - 1) << "an earlier answer";
                ASSERT_LE(v, std::ceil(signal_at(t0, done)) + 1);
                break;
            }
            case Step::Words::results: {
                const auto words = plant().gateway().results(done);
                for (int k = 0; k < s.count; ++k) {
                    const int o = s.start - 24000 + k;
                    const std::string cell =
                        mode == 1 ? bindings().hzl.flg_result.get(o / 10 + 1, o % 10 + 1)
                                  : bindings().hzl3.flg_result.get(k / 10 + 1, k % 10 + 1);
                    ASSERT_EQ(cell, std::to_string(static_cast<std::int16_t>(
                                        words[static_cast<std::size_t>(o)])))
                        << "result " << o;
                }
                break;
            }
        }
    }
    int done_reads_ = 0;
};

// One bus mode a test, so the three run side by side.
TEST_P(AnswerSweep, EveryReadThatSaysDoneHoldsItsOwnWords) {
    const int mode = GetParam();
    const double blocks[] = {0, 0.008, 0.016, 0.032, 0.064, 0.255};
    const Lateness hows[] = {Lateness::pair, Lateness::always, Lateness::queued};
    const char* how_names[] = {"pair", "always", "queued"};
    const char* told_names[] = {" told", " configured", " told nothing"};
    int runs = 0;
    for (const double block : blocks)
        for (const double half : {0.0, 0.5})
            for (int tenth = 9; tenth <= 35; ++tenth)
                for (int h = 0; h < 3; ++h) {
                    if (block == 0 && half > 0) continue;
                    const double late = tenth / 10.0;
                    // Where the blocks begin moves with the lateness and the kind too, so
                    // the runs meet the blocks at many alignments.
                    const double turn = half + 0.37 * tenth + 0.29 * h;
                    const double align = turn - std::floor(turn);
                    // Held and moving values in turn, each lateness with both; the block
                    // told by the system, configured, or not known at all, in turn.
                    const bool moving = (tenth + h) % 2 == 1;
                    const auto told = static_cast<Told>(tenth % 3);
                    SCOPED_TRACE("block " + std::to_string(block) + " at " +
                                 std::to_string(align) + told_names[tenth % 3] +
                                 ", late " + std::to_string(late) + " " + how_names[h] +
                                 (moving ? ", moving" : ", held"));
                    run(mode, block, align * block, late, hows[h], moving, told);
                    ++runs;
                    if (HasFatalFailure()) return;
                }
    EXPECT_EQ(runs, 11 * 27 * 3);
    // Most reads get through: a link that failed them all would pass the checks above.
    EXPECT_GT(done_reads_, runs * 3) << done_reads_ << " reads done";
}

// Cases between the sweep's steps, found by a finer one: 200 and 100 ms blocks, where the
// tail of one answer reaches the port after the quiet before a resend has ended.
TEST_F(AnswerSweep, CasesBetweenItsSteps) {
    struct Case {
        int mode;
        double block, phase, late;
        Lateness how;
        Told told;
    };
    const Case cases[] = {
        {2, 0.2, 0.0, 2.58, Lateness::always, Told::system},
        {2, 0.2, 0.1, 2.58, Lateness::always, Told::system},
        {0, 0.2, 0.0, 2.08, Lateness::always, Told::nothing},
        {0, 0.2, 0.1, 2.08, Lateness::always, Told::nothing},
        {2, 0.2, 0.0, 2.18, Lateness::always, Told::nothing},
        {2, 0.2, 0.0, 2.18, Lateness::pair, Told::nothing},
        {0, 0.1, 0.0, 3.22, Lateness::queued, Told::nothing},
        {0, 0.1, 0.05, 3.22, Lateness::queued, Told::nothing},
    };
    for (const Case& c : cases)
        for (const bool moving : {false, true}) {
            SCOPED_TRACE("mode " + std::to_string(c.mode) + " block " + std::to_string(c.block) +
                         " at " + std::to_string(c.phase) + ", late " + std::to_string(c.late) +
                         (moving ? ", moving" : ", held"));
            run(c.mode, c.block, c.phase, c.late, c.how, moving, c.told);
            if (HasFatalFailure()) return;
        }
}

INSTANTIATE_TEST_SUITE_P(Link, AnswerSweep, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return "bus_mode_" + std::to_string(info.param); });

}  // namespace
}  // namespace dvx::link

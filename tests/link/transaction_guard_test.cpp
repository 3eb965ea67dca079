// Faults of the plain transaction loop that the link mends.
#include <gtest/gtest.h>

#include "tests/link/bus_fixture.h"
#include "ui/headless_loop.h"

namespace dvx::link {
namespace {

using LinkGuards = BusFixture;

TEST_F(LinkGuards, ATransactionStartedInAPauseIsTurnedAway) {
    attach(sim::Plant::preset(0), 1);
    ui::HeadlessLoop loop(clock_);
    ui::services().loop = &loop;
    TransactionResult nested{};
    bool ran = false;
    // A click that arrives while the first exchange waits: it runs in the 0.1 s pause.
    loop.post([&] {
        ran = true;
        nested = read_transaction(1000, 16);
    });
    plant().fault(sim::Fault::silent().next(1));
    const TransactionResult outer = read_transaction(0, 5);
    ASSERT_TRUE(ran);
    EXPECT_EQ(nested.status, 2);
    EXPECT_EQ(nested.end, TransactionEnd::nested);
    EXPECT_EQ(nested.sends, 0);
    EXPECT_EQ(outer.status, 0);
    EXPECT_EQ(outer.sends, 2);
    ASSERT_EQ(plant().log().size(), 2u);
    EXPECT_EQ(plant().log()[1].start, 0);  // only the outer request went out
    // Afterwards transactions run again.
    EXPECT_EQ(read_regs(1000, 16), 0);
}

TEST_F(LinkGuards, AStaleAnswerInTheBufferIsNotTakenForTheNewOne) {
    attach(sim::Plant::preset(0), 1);
    // A complete, CRC-correct answer of the same length and unit, left over from an
    // earlier exchange: unit 1, 3, 10 bytes, five words 99, CRC.
    Frame stale{1, 3, 10, 0, 99, 0, 99, 0, 99, 0, 99, 0, 99};
    append_crc(stale);
    rx_buffer.assign(stale.begin(), stale.end());
    EXPECT_EQ(read_regs(0, 5), 0);
    EXPECT_EQ(status_regs[0], 11);
    EXPECT_EQ(status_regs[4], 405);
}

TEST_F(LinkGuards, ALateAnswerWaitingAtThePortIsNotTakenByTheNextTransaction) {
    attach(sim::Plant::preset(0), 1);
    plant().device(1).set_param(0, 4321);
    // The first answer to (0, 5) comes 3 s late, later than the link waits for it after
    // the resend, which is answered at once.
    plant().fault(sim::Fault::delayed(3.0).next(1));
    const TransactionResult first = read_transaction(0, 5);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.sends, 2);
    clock_.advance(1.0);
    ASSERT_EQ(port().in_count(), 15);  // unit 1, function 3, 15 bytes, a correct CRC
    // Same unit, same length: without emptying the input it would fill the parameters
    // with status words.
    EXPECT_EQ(read_regs(1000, 5), 0);
    EXPECT_EQ(model::param_image[0], 4321);
    EXPECT_EQ(plant().log().size(), 3u);
}

TEST_F(LinkGuards, AResendKeepsWhatTheLinkBufferHoldsAndCollectsFromTheUnitOn) {
    attach(sim::Plant::preset(0), 1);
    // The adapter hands bytes on in blocks, so a whole spoiled answer and a byte after
    // it (equal to the unit) reach the link's buffer together. The byte stays there for
    // the resend and starts that answer early; it fails its CRC, and the answer's head
    // right behind it is found in the same window.
    port().set_delivery_interval(0.05);
    plant().fault(sim::Fault::bad_crc().next(1));
    plant().fault(sim::Fault::extra_bytes({0x01}).next(1));
    const TransactionResult r = read_transaction(0, 5);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.sends, 2);
    EXPECT_EQ(link_error_count, 1);
    EXPECT_EQ(status_regs[0], 11);
    EXPECT_EQ(status_regs[4], 405);
}

TEST_F(LinkGuards, NoTransactionWithoutASelection) {
    attach(sim::Plant::preset(0), 1);
    detached_controls().adr_select = -1;
    EXPECT_EQ(read_transaction(0, 5).end, TransactionEnd::no_selection);
    EXPECT_EQ(write_transaction(1000, 1).end, TransactionEnd::no_selection);
    EXPECT_TRUE(plant().log().empty());
}

TEST_F(LinkGuards, HighDeviceRegistersBeyondSixteenBitsAreNotSent) {
    attach(sim::Plant::preset(2), 32, 1);
    // Slot 32 behind HZL3: logical 5000 would be device register 66000.
    EXPECT_EQ(read_transaction(5000, 1).end, TransactionEnd::no_selection);
    EXPECT_EQ(read_regs(2999 - 15, 16), 0);  // 63984.. still fits
    EXPECT_EQ(plant().log().back().start, 63984);
    EXPECT_EQ(plant().log().back().unit, 3);
}

// A port left closed by a failed port choice (port_status 1) is not opened again.
TEST_F(LinkGuards, AClosedPortFailsTheTransactionWithoutAFault) {
    attach(sim::Plant::preset(0), 1);
    port().close();
    port_status = 1;
    EXPECT_EQ(read_transaction(0, 5).end, TransactionEnd::port_fault);
    EXPECT_EQ(write_regs(1000, 1), 2);
    EXPECT_FALSE(port().is_open());
    EXPECT_TRUE(boxes_.shown().empty());
}

// The line goes away in the middle of a read (here in the pause after a failed
// exchange): that read ends with the port's fault; the next transaction opens the port
// again, once, and runs when the line is back. When it is not, the port stays closed
// as after a failed port choice, the main window is told, and no box comes from the link.
TEST_F(LinkGuards, APortLostUnderATransactionIsOpenedAgainByTheNext) {
    struct Case {
        const char* name;
        bool back;
        TransactionResult (*failing)();  // the transaction the line goes away under
    };
    const Case cases[] = {
        {"read, line back", true, [] { return read_transaction(0, 5); }},
        {"read, line gone for good", false, [] { return read_transaction(0, 5); }},
        {"write, line back", true, [] { return write_transaction(1000, 1); }},
        {"write, line gone for good", false, [] { return write_transaction(1000, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool back = c.back;
        attach(sim::Plant::preset(0), 1);
        ui::HeadlessLoop loop(clock_);
        ui::EventLoop* const fixture_loop = ui::services().loop;
        ui::services().loop = &loop;
        int status_calls = 0;
        bindings().main.port_status_changed = [&] { ++status_calls; };
        loop.post([&] {
            port().lose_line();
            if (!back) port().set_open_fault(sim::OpenFault::no_such_port);
        });
        plant().fault(sim::Fault::silent().next(1));
        EXPECT_EQ(c.failing().end, TransactionEnd::port_fault);
        EXPECT_EQ(port_status, 0) << "the failing transaction does not reopen";

        const TransactionResult next = read_transaction(1000, 16);
        EXPECT_EQ(next.end, back ? TransactionEnd::done : TransactionEnd::port_fault);
        EXPECT_EQ(next.sends, back ? 1 : 0);
        EXPECT_EQ(port_status, back ? 0 : 1);
        EXPECT_EQ(port().is_open(), back);
        EXPECT_EQ(status_calls, back ? 0 : 1);
        // Given up: nothing is tried again until a port is chosen.
        port().set_open_fault(sim::OpenFault::none);
        EXPECT_EQ(write_regs(1000, 1), back ? 0 : 2);
        EXPECT_EQ(port().is_open(), back);
        EXPECT_TRUE(boxes_.shown().empty());
        ui::services().loop = fixture_loop;
    }
}

TEST_F(LinkGuards, NoPortInstalledFailsOpenAndTransactions) {
    ui::services().port = nullptr;
    EXPECT_EQ(open_port(), 1);
    EXPECT_EQ(read_regs(0, 5), 2);
}

}  // namespace
}  // namespace dvx::link

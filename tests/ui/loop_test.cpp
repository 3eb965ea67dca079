// The headless loop: pump points, timers (coalescing, nesting, ticks during modal
// boxes and forms), scripted input, the loop guard, and the service doubles.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "tests/support/services_fixture.h"
#include "tests/ui/test_forms.h"
#include "ui/app.h"
#include "ui/fault.h"

namespace dvx::ui {
namespace {

using test::page_inst;
using Vec = std::vector<std::string>;

class Loop : public dvx::testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        page_inst->show_modeless();
        page_inst->tmr.on_timer = [this] { ++ticks; };
        log_.clear();
    }
    int ticks = 0;
};

// Ticks come only at pump points, and a timer that is late ticks once.
TEST_F(Loop, TimersTickAtPumpsAndCoalesce) {
    auto& t = page_inst->tmr;
    t.set_interval(100);
    clock_.advance(1.0);  // a long non-yielding stretch
    EXPECT_EQ(ticks, 0);
    do_events();
    EXPECT_EQ(ticks, 1);
    do_events();
    EXPECT_EQ(ticks, 1);
    loop_.run_for(0.35);
    EXPECT_EQ(ticks, 4);
    t.set_enabled(false);
    loop_.run_for(1.0);
    EXPECT_EQ(ticks, 4);
    t.set_enabled(true);  // restarts the count
    loop_.run_for(0.05);
    EXPECT_EQ(ticks, 4);
    loop_.run_for(0.06);
    EXPECT_EQ(ticks, 5);
}

// Idling jumps to the next due timer: a 10 s wait with a 1 s timer takes a handful
// of pumps, not a spin.
TEST_F(Loop, IdlingJumpsToTheNextTimer) {
    page_inst->tmr.set_interval(1000);
    const auto before = loop_.pumps();
    wait_yielding(10.0);
    EXPECT_EQ(ticks, 10);
    EXPECT_LT(loop_.pumps() - before, 30u);
}

// A tick may arrive nested in the same timer's handler while it yields; a busy flag
// in the handler is what keeps the work from running twice.
TEST_F(Loop, TickNestsInsideItsOwnYieldingHandler) {
    auto& t = page_inst->tmr;
    int depth = 0, max_depth = 0, work = 0, busy = 0;
    t.on_timer = [&] {
        ++depth;
        max_depth = std::max(max_depth, depth);
        if (!busy) {
            busy = 1;
            ++work;
            wait_yielding(0.25);
            busy = 0;
        }
        --depth;
    };
    t.set_interval(100);
    loop_.run_for(0.11);
    EXPECT_EQ(max_depth, 2);
    EXPECT_EQ(work, 1);
}

// Ticks run while a message box or a modal form is up; queued input waits for the
// box to close (the box would take it) but reaches a modal form.
TEST_F(Loop, TimersTickDuringModalBoxAndForm) {
    page_inst->tmr.set_interval(300);
    int clicks = 0;
    page_inst->B_Zurueck.on_click = [&] { ++clicks; };
    loop_.post([&] { user_click(page_inst->B_Zurueck); });
    ScriptedBoxes::Answer a;
    a.wait = 1.0;  // the user reads for a second
    a.before = [&] { EXPECT_EQ(clicks, 0); };
    boxes_.answer(a);
    msg_box("Do You want to quit ?", mb_ok_cancel);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(clicks, 0);
    loop_.run_pending();
    EXPECT_EQ(clicks, 1);

    test::other_inst->B_ok.on_click = [] { test::other_inst->unload(); };
    loop_.post_after(1.0, [] { user_click(test::other_inst->B_ok); });
    test::other_inst->show_modal();
    EXPECT_EQ(ticks, 6);
    EXPECT_FALSE(test::other_inst.loaded());
    EXPECT_TRUE(page_inst->is_active());
}

TEST_F(Loop, UnloadStopsTimersHideKeepsThem) {
    page_inst->tmr.set_interval(100);
    page_inst->hide();
    loop_.run_for(0.5);
    EXPECT_EQ(ticks, 5);
    page_inst->unload();
    loop_.run_for(0.5);
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(next_timer_due(), std::numeric_limits<double>::infinity());
}

// Input queued before a pump runs in it in FIFO order; input queued while it runs
// waits for the next pump; scripted input waits its pumps or its time.
TEST_F(Loop, PumpOrderAndScriptedInput) {
    Vec order;
    loop_.post([&] {
        order.push_back("a");
        loop_.post([&] { order.push_back("c"); });
    });
    loop_.post([&] { order.push_back("b"); });
    loop_.post_after_pumps(2, [&] { order.push_back("after 2 pumps"); });
    const double t0 = clock_.now();
    loop_.post_at(t0 + 5, [&] { order.push_back("at 5 s"); });
    do_events();
    EXPECT_EQ(order, (Vec{"a", "b"}));
    do_events();
    EXPECT_EQ(order, (Vec{"a", "b", "c"}));
    do_events();
    EXPECT_EQ(order, (Vec{"a", "b", "c", "after 2 pumps"}));
    wait_yielding(10);
    EXPECT_EQ(order.back(), "at 5 s");
    EXPECT_EQ(loop_.pending(), 0u);
}

// A polling loop inside a handler sees a click queued at a virtual time: the scan
// loop's cancel test.
TEST_F(Loop, InputArrivesInsideARunningLoop) {
    auto& f = *page_inst;
    bool cancel = false;
    f.B_Zurueck.on_click = [&] { cancel = true; };
    loop_.post_after(2.5, [&] { user_click(f.B_Zurueck); });
    int rounds = 0;
    while (!cancel) {
        wait_yielding(0.3);
        ++rounds;
    }
    EXPECT_EQ(rounds, 9);
}

TEST_F(Loop, UnscriptedBoxFailsTheTest) {
    bool caught = false;
    try {
        msg_box("unexpected");
    } catch (const UnscriptedBox&) {
        caught = true;
    }
    EXPECT_TRUE(caught);
    ASSERT_EQ(boxes_.failures().size(), 1u);  // the fixture fails the test from here
    // A wrong prompt or style fails as well.
    boxes_.answer(ScriptedBoxes::Answer{id_ok, "expected", nullptr, 0, mb_critical, std::nullopt});
    EXPECT_THROW(msg_box("expected", mb_ok), UnscriptedBox);
    EXPECT_EQ(boxes_.failures().size(), 2u);
    boxes_.clear();
    // The focus came back despite the failure: no stale box state.
    EXPECT_FALSE(box_up());
    // The same for file dialogs.
    CommonDialog dlg{*page_inst, "cmd_dialog"};
    EXPECT_THROW(dlg.show_open(), UnscriptedDialog);
    EXPECT_EQ(dialogs_.failures().size(), 1u);
    dlg.dialog_title = "Open";
    ScriptedDialogs::Answer d;
    d.path = "a.krv";
    d.expect_title = "Save configuration";
    dialogs_.answer(d);
    EXPECT_THROW(dlg.show_open(), UnscriptedDialog);
    EXPECT_EQ(dialogs_.failures().size(), 2u);
    dialogs_.clear();
}

TEST_F(Loop, FileDialogs) {
    CommonDialog dlg{*page_inst, "cmd_dialog"};
    dlg.dialog_title = "Save configuration";
    dlg.flags = 2060;
    dlg.default_ext = "krv";
    dlg.file_name = "4711.krv";
    dlg.filter = "KRV files|*.krv|All files|*.*";
    dlg.cancel_error = true;
    dialogs_.choose("/data/4711.krv");
    dlg.show_save();
    EXPECT_EQ(dlg.file_name, "/data/4711.krv");
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    const auto& r = dialogs_.shown()[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.flags, 2060);
    EXPECT_EQ(r.file_name, "4711.krv");
    EXPECT_EQ(r.filter, "KRV files|*.krv|All files|*.*");
    EXPECT_EQ(log_.only({"LostFocus", "GotFocus"}), (Vec{"txt_a.LostFocus", "txt_a.GotFocus"}));
    dialogs_.cancel();
    try {
        dlg.show_open();
        ADD_FAILURE();
    } catch (const UiFault& e) {
        EXPECT_EQ(e.text(), "Cancel was selected.");
    }
    dlg.cancel_error = false;
    dialogs_.cancel();
    dlg.show_open();
    EXPECT_EQ(dlg.file_name, "");
}

TEST_F(Loop, PrinterCapturesLinesWithFontsAndFaults) {
    auto& p = printer();
    p.reset_scale();
    p.set_scale_left(-400);
    p.set_font_name("courier new");
    p.set_font_size(10);
    p.set_font_underline(true);
    p.print_line("Configuration");
    p.set_font_underline(false);
    p.print_line();
    p.end_doc();
    ASSERT_EQ(printer_.lines().size(), 2u);
    EXPECT_EQ(printer_.lines()[0].font.name, "courier new");
    EXPECT_TRUE(printer_.lines()[0].font.underline);
    EXPECT_FALSE(printer_.lines()[1].font.underline);
    EXPECT_EQ(printer_.lines()[0].scale_left, -400);
    EXPECT_EQ(printer_.texts(0), (Vec{"Configuration", ""}));
    EXPECT_EQ(printer_.documents(), 1);
    printer_.fault = "Printer error";
    EXPECT_THROW(p.print_line("x"), UiFault);
    services().printer = nullptr;
    try {
        printer();
        ADD_FAILURE();
    } catch (const UiFault& e) {
        EXPECT_EQ(e.text(), platform::fault_text(platform::FaultText::printer));
    }
}

// The serial-port control forwards every operation to the installed port.
TEST_F(Loop, CommControlForwardsToThePort) {
    struct FakePort : platform::SerialPort {
        int number = 0;
        std::string text;
        bool open_ = false;
        std::deque<std::uint8_t> rx;
        std::vector<std::uint8_t> tx;
        void need_open() const {
            if (!open_) throw UiFault("Port is not open");
        }
        void set_port_number(int n) override { number = n; }
        int port_number() const override { return number; }
        void set_settings(const std::string& s) override { text = s; }
        std::string settings() const override { return text; }
        void open() override {
            if (number > 20) throw UiFault("Invalid port number");
            open_ = true;
        }
        void close() override { open_ = false; }
        bool is_open() const override { return open_; }
        int in_count() override { return need_open(), static_cast<int>(rx.size()); }
        int out_count() override { return need_open(), 0; }
        void discard_input() override { need_open(), rx.clear(); }
        void discard_output() override { need_open(); }
        std::vector<std::uint8_t> read(int max) override {
            need_open();
            std::vector<std::uint8_t> out;
            while (max-- > 0 && !rx.empty()) out.push_back(rx.front()), rx.pop_front();
            return out;
        }
        void write(std::span<const std::uint8_t> b) override {
            need_open();
            tx.insert(tx.end(), b.begin(), b.end());
        }
        void wait_input(double) override {}
    } port;
    CommControl comm{*page_inst, "MSComm1"};
    EXPECT_THROW(comm.set_port_open(true), UiFault);  // no port installed
    services().port = &port;
    comm.set_comm_port(3);
    comm.set_settings("9600,E,8,1");
    EXPECT_THROW((void)comm.in_buffer_count(), UiFault);  // closed
    comm.set_port_open(true);
    EXPECT_TRUE(comm.port_open());
    port.rx = {0x01, 0x03, 0xFF, 0x00};
    EXPECT_EQ(comm.in_buffer_count(), 4);
    comm.set_input_len(3);
    EXPECT_EQ(comm.input(), (std::vector<std::uint8_t>{0x01, 0x03, 0xFF}));
    comm.set_in_buffer_count(0);
    EXPECT_EQ(comm.in_buffer_count(), 0);
    const std::uint8_t req[] = {1, 3, 0, 0, 0, 1};
    comm.output(req);
    EXPECT_EQ(port.tx.size(), 6u);
    EXPECT_EQ(comm.comm_port(), 3);
    comm.set_comm_port(25);
    comm.set_port_open(false);
    EXPECT_THROW(comm.set_port_open(true), UiFault);
    services().port = nullptr;
}

// Any pump may run any handler, the same one again included: a live page's loop runs
// inside the opener's click; Back during a pause shows the opener, a second click
// starts a nested loop, and the outer loop ends at its next visibility test.
TEST_F(Loop, LiveLoopsNestInsideTheOpenersClick) {
    auto& main = *test::other_inst;
    auto& page = *page_inst;
    page.hide();
    main.show_modeless();
    int depth = 0, max_depth = 0, rounds = 0;
    Vec trace;
    main.B_ok.on_click = [&] {
        ++depth;
        max_depth = std::max(max_depth, depth);
        trace.push_back("loop " + std::to_string(depth) + " in");
        page_inst->show_modeless();
        test::other_inst->hide();
        while (page_inst->visible()) {
            ++rounds;
            wait_yielding(0.5);
        }
        trace.push_back("loop " + std::to_string(depth) + " out");
        --depth;
    };
    page.B_Zurueck.on_click = [] {
        page_inst->hide();
        test::other_inst->show_modeless();
    };
    const double t0 = clock_.now();
    loop_.post_at(t0 + 1.2, [] { user_click(page_inst->B_Zurueck); });
    loop_.post_at(t0 + 1.4, [] { user_click(test::other_inst->B_ok); });
    loop_.post_at(t0 + 3.1, [] { user_click(page_inst->B_Zurueck); });
    user_click(main.B_ok);
    EXPECT_EQ(max_depth, 2);
    EXPECT_EQ(trace, (Vec{"loop 1 in", "loop 2 in", "loop 2 out", "loop 1 out"}));
    EXPECT_TRUE(main.visible());
    EXPECT_FALSE(page_inst->visible());
    EXPECT_LT(clock_.now() - t0, 4.0);
}

TEST_F(Loop, PointerDateAndAppTitle) {
    set_mouse_pointer(mp_hourglass);
    set_mouse_pointer(mp_hourglass);
    set_mouse_pointer(mp_default);  // the last set wins, no nesting count
    EXPECT_EQ(mouse_pointer(), mp_default);
    calendar_.date = {2026, 3, 7};
    EXPECT_EQ(date_text(today()), "07-03-2026");
    EXPECT_EQ(services().app_title, "DORVANEX");
    // A keyboard service, when installed, answers the key-state query.
    HeldKeys held;
    held.down = {vk_return};
    services().keyboard = &held;
    EXPECT_TRUE(key_down(vk_return));
    EXPECT_FALSE(key_down(vk_tab));
    services().keyboard = nullptr;
    EXPECT_FALSE(key_down(vk_return));
}

}  // namespace
}  // namespace dvx::ui

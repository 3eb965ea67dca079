#include "platform/clock.h"

#include <gtest/gtest.h>

#include "tests/support/services_fixture.h"
#include "tests/ui/test_forms.h"
#include "ui/services.h"

namespace dvx::ui {
namespace {

using Waits = dvx::testing::ServicesFixture;

TEST_F(Waits, YieldingWaitEndsAfterItsTimeOnVirtualClock) {
    const double t0 = clock_.peek();
    wait_yielding(0.1);
    EXPECT_GE(clock_.peek() - t0, 0.1);
    EXPECT_LT(clock_.peek() - t0, 0.11);
    const double t1 = clock_.peek();
    wait_yielding(0);
    wait_yielding(-1);
    EXPECT_LT(clock_.peek() - t1, 0.001);
}

// A loop that neither yields nor waits (an answer time-out read off the clock) still
// sees time pass and ends; nothing is dispatched while it runs, and the timer that
// fell due ticks once at the next pump.
TEST_F(Waits, NonYieldingLoopSeesTimePassAndRunsNoEvents) {
    auto& page = *test::page_inst;
    page.show_modeless();
    int ticks = 0, clicks = 0;
    page.tmr.on_timer = [&] { ++ticks; };
    page.tmr.set_interval(100);
    page.B_Zurueck.on_click = [&] { ++clicks; };
    loop_.post([&] { user_click(page.B_Zurueck); });
    const double end = clock().now() + 1.0;
    long reads = 0;
    while (clock().now() < end) ++reads;
    EXPECT_GT(reads, 1000);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(clicks, 0);
    do_events();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(clicks, 1);
}

TEST(SteadyClockTest, IsMonotonic) {
    platform::SteadyClock c;
    double a = c.now(), b = c.now();
    EXPECT_LE(a, b);
}

}  // namespace
}  // namespace dvx::ui

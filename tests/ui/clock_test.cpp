#include "ui/clock.h"

#include <gtest/gtest.h>

#include "tests/support/services_fixture.h"
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

TEST(SteadyClockTest, IsMonotonic) {
    SteadyClock c;
    double a = c.now(), b = c.now();
    EXPECT_LE(a, b);
}

}  // namespace
}  // namespace dvx::ui

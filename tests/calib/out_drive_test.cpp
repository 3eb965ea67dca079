// Driving the analog output for its calibration and reading the short measuring
// window, against the simulated transmitter: what goes on the wire, what a refused
// value or a silent device shows.
#include "calib/out_drive.h"

#include <gtest/gtest.h>

#include "link/register_images.h"
#include "tests/calib/calib_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using sim::Fault;

class OutDrive : public CalibFixture {};

TEST_F(OutDrive, WriteReg50DrivesTheOutputWithItsStrobeInOneRequest) {
    start_on(krv_405);
    struct Case {
        double value;
        std::int16_t rc;
        std::vector<std::uint16_t> sent;  // empty: nothing sent
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {12000, 0, {12000, 1}, {}},
        {-32768, 0, {0x8000, 1}, {}},
        {2.5, 0, {2, 1}, {}},  // rounded half to even
        {32767.6, 1, {}, {"Overflow"}},
        {-40000, 1, {}, {"Overflow"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        clear_records();
        EXPECT_EQ(calib::write_reg_50(c.value), c.rc);
        if (c.sent.empty()) {
            EXPECT_TRUE(requests().empty());
        } else {
            ASSERT_EQ(writes(), (std::vector<Request>{{write_fn, 50, 2}}));
            EXPECT_EQ(plant_->log().back().values, c.sent);
        }
        EXPECT_EQ(prompts(), c.boxes);
    }
    ASSERT_FALSE(boxes_.shown().empty());
    EXPECT_FALSE(boxes_.shown().back().title.has_value());  // the default title
}

TEST_F(OutDrive, ASilentDeviceEndsTheDriveAndTheWindowReadWithTheirMessages) {
    start_on(krv_405);
    ui::set_mouse_pointer(ui::mp_hourglass);
    plant_->fault(Fault::silent());
    EXPECT_EQ(calib::write_reg_50(100), 1);
    calib::clear_out_cal_flag();  // says nothing
    EXPECT_EQ(calib::check_measure_window(), 1);
    EXPECT_EQ(prompts(), (std::vector<std::string>{"No connection. Calibration aborted.",
                                                   "No connection. Calibration aborted."}));
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(OutDrive, ReleaseAndWindowRead) {
    start_on(krv_405);
    device().set_status(25, 0x1234);
    device().set_status(27, 0xFFFF);
    calib::clear_out_cal_flag();
    EXPECT_EQ(calib::check_measure_window(), 0);
    EXPECT_EQ(requests(), (std::vector<Request>{{write_fn, 51, 1}, {read_fn, 25, 3}}));
    EXPECT_EQ(plant_->log().front().values, std::vector<std::uint16_t>{0});
    EXPECT_EQ(link::status_regs[25], 0x1234);
    EXPECT_EQ(link::status_regs[27], -1);
    EXPECT_TRUE(prompts().empty());
}

}  // namespace
}  // namespace dvx::testing

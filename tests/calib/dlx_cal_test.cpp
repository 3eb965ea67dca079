// DLX input calibration driven as a user drives it against the simulated transmitter:
// the two points and the supply circuit store their bytes and 15-bit values, the page
// is worded and limited by the input kind, and nothing is written to the device.
#include "calib/dlx_cal.h"

#include <gtest/gtest.h>

#include <string>

#include "calib/fqn_calib.h"
#include "model/param_image.h"
#include "tests/calib/calib_fixture.h"

namespace dvx::testing {
namespace {

using model::param_image;

class DlxCal : public CalibFixture {
  protected:
    // Reads the DLX 3.06 with input kind `kind` and opens the page.
    void open_page(int kind, const char* lang = "GB") {
        start_on(dlx_306, 0, lang);
        device().set_status(2, kind);
        read();  // the input kind comes with the device's identity
        open_calibration();
        ASSERT_TRUE(calib::dlx_cal_inst.loaded());
        clear_records();
    }
    calib::Dlx_Cal& page() { return *calib::dlx_cal_inst; }
};

TEST_F(DlxCal, EachButtonStoresItsWordsFromTheDevicesState) {
    struct Case {
        const char* button;
        int kind;
        std::vector<std::pair<int, int>> stores;  // word, value
    };
    // Readings L(28) = 65536 + 5, L(30) = 40000, L(32) = -1; R[25] 0xC8B4, R[26] 0x28AB.
    const Case cases[] = {
        {"Command3D9", 999, {{0, 5}, {2, 7232}, {5, 32767}, {59, 0xAB}, {62, 0xB4}}},
        {"Command3D10", 1001, {{1, 5}, {3, 7232}, {5, 32767}, {59, 0xAB}, {62, 0xB4}}},
        {"Command3D1", 2, {{59, 0xAB}, {6, 0xC8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        open_page(c.kind);
        calib().set_fixed(28, 65536 + 5);
        calib().set_fixed(30, 40000);
        calib().set_fixed(32, -1);
        device().set_status(25, 0xC8B4);
        device().set_status(26, 0x28AB);
        const auto before = param_image;
        click(*dynamic_cast<ui::CommandButton*>(page().control(c.button)));
        std::vector<int> changed;
        for (const auto& [word, value] : c.stores) {
            EXPECT_EQ(param_image[word], value) << "word " << word;
            changed.push_back(word);
        }
        expect_stores({}, 0, before, changed);
        EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
        EXPECT_TRUE(switching().empty());
        TearDown();
        SetUp();
    }
}

TEST_F(DlxCal, TheInputKindWordsLimitsAndShowsThePoints) {
    struct Case {
        int kind;
        const char* frame;
        bool supply;
        const char* unit;
        const char* highest;  // the largest accepted reference text
        const char* too_high;
        int stored;
    };
    const Case cases[] = {
        {1000, "Voltage signal", false, "mV", "70.00", "70.01", 7000},
        {1001, "Voltage signal", false, "V", "1100.0", "1100.1", 11000},
        {1002, "Voltage signal", false, "V", "250.00", "250.01", 25000},
        {999, "Current signal", true, "mA", "20.000", "20.001", 20000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        open_page(c.kind);
        EXPECT_EQ(page().Frame3D4.caption(), c.frame);
        EXPECT_EQ(page().Frame3D1.visible(), c.supply);
        EXPECT_EQ(page().Label9.caption(), c.unit);
        type_into(page().ph_ma_0, c.highest);
        leave();
        EXPECT_EQ(param_image[43], c.stored);
        EXPECT_TRUE(prompts().empty());
        type_into(page().ph_ma_1, c.too_high);
        leave();
        EXPECT_EQ(prompts().size(), 1u);
        TearDown();
        SetUp();
    }
}

TEST_F(DlxCal, ACancelledRunStoresNothingAndBackReturnsToTheMainWindow) {
    open_page(999, "D");
    EXPECT_EQ(page().caption(), "Eingang kalibrieren" + model::tag_header());
    EXPECT_EQ(page().Frame3D1.caption(), "Speisestromkreis");
    const auto before = param_image;
    loop_.post_after(1.0, [] { ui::user_click(calib::fqn_calib_inst->Command3D1); });
    click(page().Command3D9);
    EXPECT_EQ(param_image, before);
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(requests().size() > 0);
    EXPECT_TRUE(switching().empty());

    click(page().B_Zurueck);
    EXPECT_FALSE(calib::dlx_cal_inst.loaded());
    EXPECT_TRUE(main().visible());
}

}  // namespace
}  // namespace dvx::testing

// DLX input calibration driven as a user drives it against the simulated transmitter:
// the two points and the supply circuit store their bytes and 15-bit values, the page
// is worded and limited by the input kind, and nothing is written to the device.
#include "calib/dlx_cal.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "calib/fqn_calib.h"
#include "calib/measure_run.h"
#include "model/param_image.h"
#include "model/reg_settings.h"
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

TEST_F(DlxCal, TheSecondPointTakesWord5OverAndLeavesTheFirstPoint) {
    open_page(999);
    calib().set_fixed(28, 100);
    calib().set_fixed(30, 200);
    calib().set_fixed(32, 300);
    click(page().Command3D9);
    calib().set_fixed(28, 16384);
    calib().set_fixed(30, -65536);  // low 15 bits 0
    calib().set_fixed(32, 32767);
    click(page().Command3D10);
    EXPECT_EQ(param_image[0], 100);
    EXPECT_EQ(param_image[2], 200);
    EXPECT_EQ(param_image[1], 16384);
    EXPECT_EQ(param_image[3], 0);
    EXPECT_EQ(param_image[5], 32767);
    EXPECT_EQ(page().ga_ma_0.value(), 0);
    EXPECT_EQ(page().ga_ma_1.value(), 50);
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Ready !", "Ready !"}));
}

TEST_F(DlxCal, AFailedRunStoresNothingSwitchesNothingAndLeavesThePageUsable) {
    open_page(999);
    const auto before = param_image;
    plant_->fault(sim::Fault::silent().function(read_fn).registers(25, 25));
    click(page().Command3D1);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    EXPECT_EQ(param_image, before);
    EXPECT_TRUE(writes().empty());
    EXPECT_FALSE(calib::fqn_calib_inst->visible());
    for (ui::Control* c : std::initializer_list<ui::Control*>{&page().Command3D9, &page().Command3D10,
                                                              &page().Command3D1, &page().B_Zurueck})
        EXPECT_TRUE(c->enabled()) << c->name();
}

TEST_F(DlxCal, WhileARunIsActiveThePageStaysStillAndCancelIsTheWayOut) {
    open_page(999);
    auto& s = page();
    calib().set_fixed(28, 100);
    const std::int16_t second = param_image[1];
    std::vector<bool> taken;
    loop_.post_after(3.0, [&] {
        EXPECT_TRUE(calib::measure_run_active());
        taken.push_back(ui::user_click(s.B_Zurueck));
        taken.push_back(ui::user_click(s.Command3D10));
        taken.push_back(ui::user_click(s.Command3D1));
        taken.push_back(ui::user_close(s) && !calib::dlx_cal_inst.loaded());
    });
    click(s.Command3D9);
    EXPECT_EQ(taken, std::vector<bool>(4, false));
    EXPECT_TRUE(s.visible());
    EXPECT_FALSE(main().visible());
    EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
    EXPECT_EQ(param_image[0], 100);
    EXPECT_EQ(param_image[1], second);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&s.Command3D9, &s.Command3D10,
                                                              &s.Command3D1, &s.B_Zurueck})
        EXPECT_TRUE(c->enabled()) << c->name();
}

TEST_F(DlxCal, LowerLimitsDecimalsAndEsc) {
    struct Case {
        int kind;
        const char* shown;   // word 44 = 1234
        const char* lowest;  // accepted
        const char* too_low;
        int stored;
    };
    const Case cases[] = {
        {1000, "12.34", "0.00", "-0.01", 0},
        {1001, "123.4", "0.0", "-0.1", 0},
        {1002, "12.34", "-250.00", "-250.01", -25000},
        {0, "1.234", "2.000", "1.999", 2000},
        {1003, "1.234", "2.000", "1.999", 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        start_on(dlx_306);
        device().set_status(2, c.kind);
        read();
        param_image[44] = 1234;
        open_calibration();
        clear_records();
        auto& s = page();
        EXPECT_EQ(s.ph_ma_1.text(), c.shown);
        EXPECT_EQ(s.Frame3D4.caption(), c.kind >= 1000 && c.kind <= 1002 ? "Voltage signal" : "Current signal");
        type_into(s.ph_ma_1, c.lowest);
        leave();
        EXPECT_EQ(param_image[44], c.stored);
        type_into(s.ph_ma_1, "");  // a 7-character text takes no more keys
        type_into(s.ph_ma_1, c.too_low);
        leave();
        EXPECT_EQ(param_image[44], c.stored);
        EXPECT_EQ(prompts().size(), 1u);
        EXPECT_EQ(focused(), &s.ph_ma_1);
        key(27);  // Esc shows the word again
        EXPECT_EQ(s.ph_ma_1.text(), c.lowest);
        TearDown();
        SetUp();
    }
}

TEST_F(DlxCal, ClosingLeavesTheMainWindowsPlacementAsItWas) {
    start_on(dlx_306);
    main().set_left(600);
    open_calibration();
    EXPECT_EQ(page().left(), 600);
    const auto saved = registry_.get_string(model::reg_key, model::reg_form_left);

    page().set_left(2400);
    click(page().B_Zurueck);
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().left(), 600);
    EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_form_left), saved);

    open_calibration();
    page().set_left(3000);
    bool closed = false;
    user([&] { closed = ui::user_close(page()); });
    EXPECT_TRUE(closed);
    EXPECT_FALSE(calib::dlx_cal_inst.loaded());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().left(), 600);
}

TEST_F(DlxCal, DutchWordingAndAnUnsupportedVersion) {
    open_page(1002, "NL");
    EXPECT_EQ(page().Frame3D4.caption(), "Voltagesignaal");
    EXPECT_EQ(page().Label14.caption(), "1. kalibratiepunt");
    EXPECT_EQ(page().Command3D1.caption(), "Inlezen");
    click(page().B_Zurueck);

    main().curr_version.set_text("9.99");
    open_calibration();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Software versie DLX niet ondersteund"});
    EXPECT_FALSE(calib::dlx_cal_inst.loaded());
    EXPECT_TRUE(main().visible());
}

}  // namespace
}  // namespace dvx::testing

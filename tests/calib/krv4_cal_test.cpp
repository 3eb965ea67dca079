// KRV input calibration from firmware 4.00, both sheets, driven as a user drives them:
// the calibration menu, the sensor lists, "Read in" against the simulated transmitter
// with a reference signal applied, and what lands in the parameter image.
#include "calib/krv4_cal.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "calib/fqn_calib.h"
#include "calib/krv4_cal1.h"
#include "calib/krv_cal.h"
#include "calib/measure_run.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "model/sensor_hint.h"
#include "tests/calib/calib_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using model::param_image;

struct ButtonCase {
    const char* name;
    int version;
    int sheet;              // 1 or 2
    const char* button;
    const char* list;       // "" none
    int entry;              // list position chosen
    bool cjt;               // tvg_2 ticked
    int type;               // measured during the run
    std::vector<Store> stores;
};
void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.name;
}

const ButtonCase button_cases[] = {
    {"rtd_2wire_1st", 400, 1, "Command3D6", "Sensor_3", 0, false, 9, {{1, L(28)}, {63, L(32)}}},
    {"rtd_3wire_1st", 412, 1, "Command3D6", "Sensor_3", 1, false, 10, {{1, Diff(28, 30)}, {63, L(32)}}},
    {"rtd_4wire_2nd", 401, 1, "Command3D7", "Sensor_3", 2, false, 11, {{3, L(28)}, {63, L(32)}}},
    {"rtd_3wire_2nd", 419, 1, "Command3D7", "Sensor_3", 1, false, 10, {{3, Diff(28, 30)}, {63, L(32)}}},
    {"tc_k_1st_cjt", 402, 1, "Command3D4", "Sensor_2", 3, true, 3,
     {{31, L(36)}, {63, L(32)}, {37, W44, false}}},
    {"tc_b_2nd_loop", 410, 1, "Command3D5", "Sensor_2", 0, false, 0,
     {{33, L(36)}, {63, L(32)}, {7, L(34)}, {38, Zero, false}}},
    {"mv_1st_cjt_loop", 415, 1, "Command3D4", "Sensor_2", 9, true, 20,
     {{31, L(36)}, {63, L(32)}, {7, L(34)}, {37, W44, false}}},
    {"tc_u_2nd_cjt", 405, 1, "Command3D5", "Sensor_2", 8, true, 8,
     {{33, L(36)}, {63, L(32)}, {38, W44, false}}},
    {"ohm600_1st", 403, 2, "Command3D4", "", 0, false, 12, {{9, L(28)}, {63, L(32)}}},
    {"ohm600_2nd", 411, 2, "Command3D5", "", 0, false, 12, {{11, L(28)}, {63, L(32)}}},
    {"ohm5000_1st", 404, 2, "Command3D7", "", 0, false, 15, {{15, L(28)}, {68, L(32)}}},
    {"ohm5000_2nd", 413, 2, "Command3D6", "", 0, false, 15, {{17, L(28)}, {68, L(32)}}},
    {"ma_1st_loop", 414, 2, "Command3D9", "", 0, false, 19, {{39, L(32)}, {21, Loop}}},
    {"ma_2nd", 400, 2, "Command3D10", "", 0, false, 19, {{41, L(34)}, {63, L(32)}}},
    {"ma_2nd_loop", 417, 2, "Command3D10", "", 0, false, 19, {{41, L(32)}, {21, Loop}}},
    {"v_1st_loop", 416, 2, "Command3D12", "", 0, false, 19, {{45, L(32)}, {21, Loop}}},
    {"v_2nd", 405, 2, "Command3D11", "", 0, false, 19, {{47, L(34)}, {63, L(32)}}},
    {"v_2nd_loop", 418, 2, "Command3D11", "", 0, false, 19, {{47, L(32)}, {21, Loop}}},
};

class Krv4CalFixture : public CalibFixture {
  protected:
    void open_sheet(int version, int sheet = 1) {
        start_on(krv_405, version);
        open_calibration();
        ASSERT_TRUE(calib::krv4_cal_inst.loaded());
        if (sheet == 2) click(calib::krv4_cal_inst->Command3D3);
        clear_records();
    }
    ui::Form& sheet(int n) {
        return n == 1 ? static_cast<ui::Form&>(*calib::krv4_cal_inst)
                      : static_cast<ui::Form&>(*calib::krv4_cal1_inst);
    }
    ui::Control& on(int n, const char* name) {
        ui::Control* c = sheet(n).control(name);
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }
};

class Krv4CalButtons : public Krv4CalFixture, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(Krv4CalButtons, StoresTheSettledWordsOfItsPoint) {
    const ButtonCase& c = GetParam();
    open_sheet(c.version, c.sheet);
    if (*c.list) user([&] { ui::user_select(static_cast<ui::ListControl&>(on(1, c.list)), c.entry); });
    if (c.cjt) click(calib::krv4_cal_inst->tvg_2);
    device().set_status(25, 0x8123);
    device().set_status(26, 0x28AB);
    device().set_status(44, 0xFF38);  // -200
    calib().set_signal(777);
    const std::int16_t own = device().param(99);
    for (int w : {28, 29, 37, 38}) param_image[w] = 4444;  // a cleared reading shows
    const auto before = param_image;
    clear_records();

    click(static_cast<ui::CommandButton&>(on(c.sheet, c.button)));

    std::vector<int> changed{59, 62};
    if (*c.list) changed.push_back(std::string(c.list) == "Sensor_3" ? 0 : 30);
    expect_stores(c.stores, c.type, before, changed);
    EXPECT_EQ(param_image[59], 0xAB);
    EXPECT_EQ(param_image[62], static_cast<std::int16_t>(0x8123));
    EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
    EXPECT_EQ(device().param(99), own);
    EXPECT_TRUE(sheet(c.sheet).visible());
}

INSTANTIATE_TEST_SUITE_P(Points, Krv4CalButtons, ::testing::ValuesIn(button_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Krv4CalFixture, TheLoopReadingIsTakenOnlyWithinItsLimits) {
    struct Case {
        std::int32_t loop;
        bool taken;
    };
    for (const Case c : {Case{999999, false}, Case{1000000, true}, Case{2700000, true},
                         Case{2700001, false}}) {
        SCOPED_TRACE(c.loop);
        open_sheet(416, 2);
        calib().set_loop_value(c.loop);
        model::put_long(-5, 21);
        click(calib::krv4_cal1_inst->Command3D9);
        EXPECT_EQ(pair(39), raw(19, 32));
        EXPECT_EQ(pair(21), c.taken ? c.loop : -5);
        if (c.taken) {
            EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
        } else {
            ASSERT_EQ(boxes_.shown().size(), 2u);
            EXPECT_EQ(boxes_.shown()[1].prompt,
                      "Thermoelement loop not correctly closed. Close thermoelement loop with "
                      "1kOhm resistor. Thermolement loop calibration failed.");
            EXPECT_EQ(boxes_.shown()[1].style, ui::mb_critical);
        }
        TearDown();
        SetUp();
    }
}

TEST_F(Krv4CalFixture, A3WireDifferenceBeyond32BitsLeavesThePointAsItWas) {
    open_sheet(405);
    user([] { ui::user_select(calib::krv4_cal_inst->Sensor_3, 1); });
    calib().set_fixed(28, INT32_MAX);
    calib().set_fixed(30, -1);
    model::put_long(4321, 1);
    click(calib::krv4_cal_inst->Command3D6);
    EXPECT_EQ(pair(1), 4321);
    EXPECT_EQ(pair(63), raw(10, 32));
}

TEST_F(Krv4CalFixture, ACancelledOrFailedRunStoresNothingAndRefillsNothing) {
    open_sheet(405);
    auto& s = *calib::krv4_cal_inst;
    model::put_long(4000000, 31);
    s.set_cal41_mask();
    const auto before = param_image;
    param_image[35] = 123;  // a refill would show it
    loop_.post_after(1.0, [] { ui::user_click(calib::fqn_calib_inst->Command3D1); });
    click(s.Command3D4);
    EXPECT_TRUE(prompts().empty());
    EXPECT_NE(s.ph_th2_0.text(), "123");

    plant_->fault(sim::Fault::silent().function(read_fn).registers(25, 25));
    click(s.Command3D5);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    param_image[35] = before[35];
    EXPECT_EQ(param_image, before);
    EXPECT_EQ(s.ga_th2_0.value(), 50);
    EXPECT_EQ(device().param(99), device().stored_param(99));
}

TEST_F(Krv4CalFixture, WhileARunIsActiveTheSheetStaysStillAndCancelIsTheWayOut) {
    open_sheet(405);
    auto& s = *calib::krv4_cal_inst;
    const int entry = s.Sensor_2.list_index();
    std::vector<bool> taken;
    loop_.post_after(3.0, [&] {
        taken.push_back(ui::user_click(s.B_Zurueck));
        taken.push_back(ui::user_click(s.Command3D3));
        taken.push_back(ui::user_click(s.Command3D5));
        taken.push_back(ui::user_select(s.Sensor_2, 5));
        taken.push_back(ui::user_close(s) && !calib::krv4_cal_inst.loaded());
        EXPECT_TRUE(calib::measure_run_active());
    });
    click(s.Command3D4);
    EXPECT_EQ(taken, std::vector<bool>(5, false));
    EXPECT_EQ(s.Sensor_2.list_index(), entry);
    EXPECT_TRUE(s.visible());
    EXPECT_FALSE(calib::krv4_cal1_inst.loaded());
    EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
    EXPECT_EQ(pair(31), raw(model::tc4_types(entry), 36));
    EXPECT_TRUE(s.B_Zurueck.enabled());
    EXPECT_TRUE(s.Sensor_2.enabled());
    EXPECT_EQ(ui::focus_owner(), &s.Command3D4);  // the pressed button has the focus again
}

TEST_F(Krv4CalFixture, OpeningSwitchingAndBackKeepTheListsOfTheFirstOpening) {
    start_on(krv_405);
    open_calibration();
    auto& s = *calib::krv4_cal_inst;
    EXPECT_TRUE(s.visible());
    EXPECT_FALSE(main().visible());
    EXPECT_EQ(s.Sensor_2.list_count(), 10);
    EXPECT_EQ(s.Sensor_3.list_count(), 3);
    EXPECT_EQ(s.Sensor_2.list(9), model::sensor_names(20));
    EXPECT_EQ(s.caption(), "Calibrate input " + model::tag_header());
    EXPECT_EQ(s.tvg_2.caption(), "Calibration with CJT");

    click(s.Command3D3);
    auto& s2 = *calib::krv4_cal1_inst;
    EXPECT_TRUE(s2.visible());
    EXPECT_FALSE(s.visible());
    EXPECT_EQ(s2.caption(), "Calibrate input" + model::tag_header());
    EXPECT_EQ(s2.Frame3D4.caption(), "Current signal  +/-20 mA");
    click(s2.B_Zurueck);
    EXPECT_FALSE(calib::krv4_cal1_inst.loaded());
    EXPECT_TRUE(calib::krv4_cal_inst.loaded());
    EXPECT_TRUE(main().visible());

    open_calibration();
    EXPECT_TRUE(s.visible());
    EXPECT_EQ(s.Sensor_2.list_count(), 10);
    EXPECT_EQ(s.Sensor_3.list_count(), 3);
}

TEST_F(Krv4CalFixture, AnUnsupportedKrvVersionOpensNoSheet) {
    start_on(krv_405);
    for (const char* version : {"4.06", "4.20", "2.99"}) {
        SCOPED_TRACE(version);
        clear_records();
        main().curr_version.set_text(version);
        open_calibration();
        ASSERT_EQ(boxes_.shown().size(), 1u);
        EXPECT_EQ(boxes_.shown()[0].prompt, "No support for this KRV software version.");
        EXPECT_EQ(boxes_.shown()[0].title, std::optional<std::string>("DORVANEX"));
        EXPECT_FALSE(calib::krv4_cal_inst.loaded());
        EXPECT_FALSE(calib::krv_cal_inst.loaded());
        EXPECT_TRUE(main().visible());
    }
}

TEST_F(Krv4CalFixture, EveryGaugeShowsItsPointAgainstTheFirmware4Limit) {
    const std::vector<GaugeWord> first = {
        {"ga_pt_0", 1}, {"ga_pt_1", 3}, {"ga_th2_0", 31}, {"ga_th2_1", 33}};
    const std::vector<GaugeWord> second = {{"ga_r1_0", 9},  {"ga_r1_1", 11}, {"ga_r2_0", 15},
                                           {"ga_r2_1", 17}, {"ga_ma_0", 39}, {"ga_ma_1", 41},
                                           {"ga_v_0", 45},  {"ga_v_1", 47}};
    start_on(krv_405, 410);
    put_gauge_values(first, 8000000);
    put_gauge_values(second, 8000000, 4);
    open_calibration();
    expect_gauges(*calib::krv4_cal_inst, first);
    click(calib::krv4_cal_inst->Command3D3);
    expect_gauges(*calib::krv4_cal1_inst, second, 4);
}

TEST_F(Krv4CalFixture, TheSecondSheetsReferenceFieldsTakeTheirWordsAndLimits) {
    open_sheet(412, 2);
    expect_second_sheet_fields(*calib::krv4_cal1_inst);
}

TEST_F(Krv4CalFixture, TheFillClampsTypeWordsAndShowsGaugesAndUnits) {
    start_on(krv_405);
    param_image[0] = 25;
    param_image[30] = 25;
    model::put_long(4000000, 1);
    model::put_long(-8000000, 3);
    model::put_long(9000000, 31);
    open_calibration();
    auto& s = *calib::krv4_cal_inst;
    EXPECT_EQ(param_image[0], 9);  // 20, then the first entry's type by the nested fill
    EXPECT_EQ(param_image[30], 20);
    EXPECT_EQ(s.Sensor_3.list_index(), 0);
    EXPECT_EQ(s.Sensor_2.list_index(), 9);
    EXPECT_EQ(s.ga_pt_0.value(), 50);
    EXPECT_EQ(s.ga_pt_1.value(), 100);
    EXPECT_EQ(s.ga_th2_0.value(), 100);
    EXPECT_EQ(s.ph_lab1.caption(), "mV");
    EXPECT_TRUE(prompts().empty());  // no sensor hint during a fill

    // The mV reference takes two decimals within the firmware-4 limits.
    type_into(s.ph_th2_0, "12.34");
    leave();
    EXPECT_EQ(param_image[35], 1234);
    type_into(s.ph_th2_0, "70.01");
    leave();
    EXPECT_EQ(param_image[35], 1234);
    EXPECT_EQ(prompts().size(), 1u);
}

TEST_F(Krv4CalFixture, PickingASensorShowsItsHintAndRefillsFromTheNewType) {
    open_sheet(405);
    auto& s = *calib::krv4_cal_inst;
    param_image[35] = 1234;
    user([&] { ui::user_select(s.Sensor_2, 9); });
    EXPECT_EQ(param_image[30], 20);
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_EQ(prompts()[0], model::sensor_hint_text(20));
    EXPECT_EQ(s.ph_th2_0.text(), "12.34");  // the mV input shows two decimals
    EXPECT_EQ(s.ph_lab2.caption(), "mV");
}

TEST_F(Krv4CalFixture, Ni120NamesTheResistanceFrame) {
    start_on(krv_405, 0, "NL");
    model::is_ni120 = 1;
    open_calibration();
    EXPECT_EQ(calib::krv4_cal_inst->Frame3D4.caption(), "Ni-120");
    EXPECT_EQ(calib::krv4_cal_inst->Label14.caption(), "Type sensor ");
    EXPECT_EQ(calib::krv4_cal_inst->Label6.caption(), "Type sensor");
    model::is_ni120 = 0;
}

}  // namespace
}  // namespace dvx::testing

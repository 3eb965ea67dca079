// KRV input calibration before firmware 4.00, both sheets, driven as a user drives
// them against the simulated transmitter (firmware 3.00..3.05): what each "Read in"
// stores, the scaling of the resistance points, and the type words the fill repairs.
#include "calib/krv_cal.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "calib/fqn_calib.h"
#include "calib/krv_cal1.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "tests/calib/calib_fixture.h"

namespace dvx::testing {
namespace {

using model::param_image;

constexpr std::int64_t rtd_m = -76384, ohm5000_m = -8416;

struct ButtonCase {
    const char* name;
    int version;
    int sheet;
    const char* button;
    const char* list;  // "" none
    int entry;
    const char* cjt;   // check box ticked, "" none
    int type;
    std::vector<Store> stores;
};
void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.name;
}

const ButtonCase button_cases[] = {
    {"tc1_b_1st_cjt", 300, 1, "Command3D2", "Sensor_1", 0, "tvg_1", 0,
     {{22, L(40)}, {60, Diff(42, 40)}, {63, L(30)}, {28, W44, false}}},
    {"tc1_s_2nd", 301, 1, "Command3D1", "Sensor_1", 3, "", 6,
     {{24, L(40)}, {60, Diff(42, 40)}, {63, L(30)}, {29, Zero, false}}},
    {"tc2_k_1st_cjt", 302, 1, "Command3D4", "Sensor_2", 2, "tvg_2", 3,
     {{31, L(36)}, {7, Diff(38, 36)}, {63, L(30)}, {37, W44, false}}},
    {"tc2_mv_2nd", 303, 1, "Command3D5", "Sensor_2", 4, "tvg_1", 20,
     {{33, L(36)}, {7, Diff(38, 36)}, {63, L(30)}, {38, Zero, false}}},
    {"rtd_3wire_1st", 304, 1, "Command3D6", "Sensor_3", 1, "", 10,
     {{1, Scaled(Diff(28, 32), rtd_m)}, {60, L(42)}, {63, L(30)}}},
    {"rtd_2wire_2nd", 305, 1, "Command3D7", "Sensor_3", 0, "", 9,
     {{3, Scaled(L(28), rtd_m)}, {60, L(42)}, {63, L(30)}}},
    {"rtd_4wire_1st", 303, 1, "Command3D6", "Sensor_3", 2, "", 11,
     {{1, Scaled(L(28), rtd_m)}, {60, L(42)}, {63, L(30)}}},
    {"ohm600_1st", 300, 2, "Command3D4", "", 0, "", 12,
     {{9, Scaled(L(28), rtd_m)}, {60, L(42)}, {63, L(30)}}},
    {"ohm600_2nd", 301, 2, "Command3D5", "", 0, "", 12,
     {{11, Scaled(L(28), rtd_m)}, {60, L(42)}, {63, L(30)}}},
    {"ohm5000_1st", 302, 2, "Command3D7", "", 0, "", 15,
     {{15, Scaled(L(28), ohm5000_m)}, {60, L(42)}, {68, L(30)}}},
    {"ohm5000_2nd", 303, 2, "Command3D6", "", 0, "", 15,
     {{17, Scaled(L(28), ohm5000_m)}, {60, L(42)}, {68, L(30)}}},
    {"ma_1st", 304, 2, "Command3D9", "", 0, "", 19, {{39, L(34)}, {60, L(42)}, {63, L(30)}}},
    {"ma_2nd", 305, 2, "Command3D10", "", 0, "", 19, {{41, L(34)}, {60, L(42)}, {63, L(30)}}},
    {"v_1st", 300, 2, "Command3D12", "", 0, "", 19, {{45, L(34)}, {60, L(42)}, {63, L(30)}}},
    {"v_2nd", 301, 2, "Command3D11", "", 0, "", 19, {{47, L(34)}, {60, L(42)}, {63, L(30)}}},
};

class KrvCalFixture : public CalibFixture {
  protected:
    void open_sheet(int version, int sheet = 1) {
        start_on(krv_303, version);
        open_calibration();
        ASSERT_TRUE(calib::krv_cal_inst.loaded());
        if (sheet == 2) click(calib::krv_cal_inst->Command3D3);
        clear_records();
    }
    ui::Form& sheet(int n) {
        return n == 1 ? static_cast<ui::Form&>(*calib::krv_cal_inst)
                      : static_cast<ui::Form&>(*calib::krv_cal1_inst);
    }
    template <class C>
    C& on(int n, const char* name) {
        auto* c = dynamic_cast<C*>(sheet(n).control(name));
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }
};

class KrvCalButtons : public KrvCalFixture, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(KrvCalButtons, StoresTheSettledWordsOfItsPoint) {
    const ButtonCase& c = GetParam();
    open_sheet(c.version, c.sheet);
    std::vector<int> changed{59, 62};
    if (*c.list) {
        user([&] { ui::user_select(on<ui::ListControl>(1, c.list), c.entry); });
        const std::string list = c.list;
        changed.push_back(list == "Sensor_3" ? 0 : list == "Sensor_1" ? 21 : 30);
    }
    if (*c.cjt) click(on<ui::CheckBox>(1, c.cjt));
    device().set_status(25, 0x7F01);
    device().set_status(26, 0x1234);
    device().set_status(44, 0x8000);
    calib().set_signal(-321);
    for (int w : {28, 29, 37, 38}) param_image[w] = 4444;  // a cleared reading shows
    const auto before = param_image;
    clear_records();

    click(on<ui::CommandButton>(c.sheet, c.button));

    expect_stores(c.stores, c.type, before, changed);
    EXPECT_EQ(param_image[59], 0x34);
    EXPECT_EQ(param_image[62], 0x7F01);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
    EXPECT_EQ(calib().applied_type(), device().param(99));
}

INSTANTIATE_TEST_SUITE_P(Points, KrvCalButtons, ::testing::ValuesIn(button_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KrvCalFixture, AScaleOrDifferenceThatCannotBeStoredLeavesItsPair) {
    struct Case {
        const char* name;
        int sheet;
        const char* button;
        int l28, l30, l32;  // fixed readings (l32 only for the 3-wire difference)
        int kept;           // the pair that keeps its value
    };
    const Case cases[] = {
        {"reference_reading_0", 2, "Command3D4", 1000, 0, 0, 9},
        {"scaled_beyond_32_bits", 2, "Command3D7", INT32_MAX, 1, 0, 15},
        {"3wire_difference_beyond_32_bits", 1, "Command3D6", INT32_MAX, 5, -2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open_sheet(302, c.sheet);
        if (c.sheet == 1) user([] { ui::user_select(calib::krv_cal_inst->Sensor_3, 1); });
        calib().set_fixed(28, c.l28);
        calib().set_fixed(30, c.l30);
        calib().set_fixed(32, c.l32);
        model::put_long(-777, c.kept);
        click(on<ui::CommandButton>(c.sheet, c.button));
        EXPECT_EQ(pair(c.kept), -777);
        EXPECT_EQ(pair(60), raw(c.sheet == 1 ? 10 : c.kept == 9 ? 12 : 15, 42));  // the rest stored
        TearDown();
        SetUp();
    }
}

TEST_F(KrvCalFixture, TypeWordsOutsideTheListsSelectTheFirstEntries) {
    start_on(krv_303);
    param_image[0] = -5;
    param_image[21] = 30;
    param_image[30] = -1;
    open_calibration();
    auto& s = *calib::krv_cal_inst;
    EXPECT_EQ(s.Sensor_3.list_index(), 0);
    EXPECT_EQ(s.Sensor_1.list_index(), 0);
    EXPECT_EQ(s.Sensor_2.list_index(), 0);
    EXPECT_EQ(param_image[0], 9);
    EXPECT_EQ(param_image[21], 0);
    EXPECT_EQ(param_image[30], 1);
    EXPECT_EQ(s.ph_lab1.caption(), std::string(model::deg_c));
    EXPECT_TRUE(prompts().empty());  // no sensor hint from the fill's own selections
}

TEST_F(KrvCalFixture, EveryGaugeShowsItsPointAgainstTheFirmware3Limit) {
    const std::vector<GaugeWord> first = {{"ga_pt_0", 1},   {"ga_pt_1", 3},   {"ga_th1_0", 22},
                                          {"ga_th1_1", 24}, {"ga_th2_0", 31}, {"ga_th2_1", 33}};
    const std::vector<GaugeWord> second = {{"ga_r1_0", 9},  {"ga_r1_1", 11}, {"ga_r2_0", 15},
                                           {"ga_r2_1", 17}, {"ga_ma_0", 39}, {"ga_ma_1", 41},
                                           {"ga_v_0", 45},  {"ga_v_1", 47}};
    start_on(krv_303);
    put_gauge_values(first, 390000);
    put_gauge_values(second, 390000, 6);
    open_calibration();
    expect_gauges(*calib::krv_cal_inst, first);
    click(calib::krv_cal_inst->Command3D3);
    expect_gauges(*calib::krv_cal1_inst, second, 6);
}

TEST_F(KrvCalFixture, TheSecondSheetsReferenceFieldsTakeTheirWordsAndLimits) {
    open_sheet(304, 2);
    expect_second_sheet_fields(*calib::krv_cal1_inst);
}

TEST_F(KrvCalFixture, TheMvReferenceTakesTheLimitsBeforeFirmware4) {
    open_sheet(303);
    auto& s = *calib::krv_cal_inst;
    user([&] { ui::user_select(s.Sensor_2, 4); });
    ASSERT_EQ(param_image[30], 20);
    clear_records();
    type_into(s.ph_th2_1, "-60");  // below the firmware-4 minimum of -35.00
    leave();
    EXPECT_EQ(param_image[36], -6000);
    EXPECT_EQ(s.ph_th2_1.text(), "-60.00");
    EXPECT_TRUE(prompts().empty());
    type_into(s.ph_th2_1, "60.01");
    leave();
    EXPECT_EQ(param_image[36], -6000);
    EXPECT_EQ(prompts().size(), 1u);
}

TEST_F(KrvCalFixture, Firmware3OpensThreeListsAndItsSisterSheet) {
    start_on(krv_303, 305, "D");
    open_calibration();
    auto& s = *calib::krv_cal_inst;
    EXPECT_EQ(s.Sensor_1.list_count(), 5);
    EXPECT_EQ(s.Sensor_2.list_count(), 5);
    EXPECT_EQ(s.Sensor_3.list_count(), 3);
    EXPECT_EQ(s.Sensor_1.list(4), model::sensor_names(8));
    EXPECT_EQ(s.Frame3D1.caption(), "Th Typ: B,R,T,S,U");
    EXPECT_EQ(s.Label16.caption(), "+/-0.39 Ohm pro +/-1\xB0" "C");

    // The cold-junction value goes down to -5.00 on this generation.
    type_into(s.Temp_Val, "-5");
    leave();
    EXPECT_EQ(param_image[71], -500);
    EXPECT_TRUE(prompts().empty());

    click(s.Command3D3);
    auto& s2 = *calib::krv_cal1_inst;
    EXPECT_EQ(s2.Frame3D5.caption(), "Spannungsignal +/- 10V");
    type_into(s2.ph_r1_0, "600");
    leave();
    EXPECT_EQ(param_image[13], 6000);
    EXPECT_EQ(s2.ph_r1_0.text(), "600.0");
    click(s2.Command3D3);
    EXPECT_TRUE(s.visible());
    EXPECT_FALSE(s2.visible());
}

}  // namespace
}  // namespace dvx::testing

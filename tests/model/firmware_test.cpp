#include "model/firmware.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "link/register_images.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "tests/model/model_globals_fixture.h"

namespace dvx::model {
namespace {

class Firmware : public dvx::testing::ModelGlobalsFixture {
  protected:
    void SetUp() override {
        ModelGlobalsFixture::SetUp();
        bind_view();
    }
    void krv() { view_.s_krv = view_.is_krv = true, view_.s_dlx = false; }
    void dlx() { view_.s_krv = view_.is_krv = false, view_.s_dlx = true; }
};

std::string version(int major, int minor) {
    return std::to_string(major) + "." + (minor < 10 ? "0" : "") + std::to_string(minor);
}

// The supported versions written out from the release list, independent of the table.
std::set<std::string> expected_versions(bool krv) {
    std::set<std::string> s;
    if (krv) {
        for (int m = 0; m <= 5; ++m) s.insert(version(3, m));
        for (int m = 0; m <= 5; ++m) s.insert(version(4, m));
        for (int m = 10; m <= 19; ++m) s.insert(version(4, m));
    } else {
        for (int m = 0; m <= 6; ++m) s.insert(version(3, m));
        for (int m = 0; m <= 4; ++m) s.insert(version(4, m));
    }
    return s;
}

TEST_F(Firmware, ExactlyTheReleasedVersionsAreSupported) {
    for (bool is_krv : {true, false}) {
        is_krv ? krv() : dlx();
        const auto supported = expected_versions(is_krv);
        for (int major = 0; major <= 12; ++major) {
            for (int minor = 0; minor <= 99; ++minor) {
                const std::string v = version(major, minor);
                SCOPED_TRACE((is_krv ? "KRV " : "DLX ") + v);
                param_count = 99;
                is_krv_fw3 = 7;
                show_lead_res = 7;
                const bool ok = supported.count(v) != 0;
                ASSERT_EQ(check_version(v), ok ? 0 : 1);
                EXPECT_EQ(show_lead_res, ok && is_krv && minor >= 10 ? 1 : 0);
                if (!ok) {
                    EXPECT_EQ(param_count, 99);
                    EXPECT_EQ(is_krv_fw3, is_krv ? 7 : 0);  // KRV keeps the old flag
                    continue;
                }
                if (!is_krv) {
                    EXPECT_EQ(param_count, 127);
                    EXPECT_EQ(is_krv_fw3, 0);
                } else {
                    EXPECT_EQ(param_count, minor >= 10 ? 140 : 128);
                    EXPECT_EQ(is_krv_fw3, major == 3 ? 1 : 0);
                }
            }
        }
    }
}

TEST_F(Firmware, VersionTestIsExactTextEquality) {
    krv();
    for (const char* v : {"4.05 ", " 4.05", "4.1", "04.05", "4,05", "", "4.05\n"}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(check_version(v), 1);
    }
    dlx();
    EXPECT_EQ(check_version("3.06"), 0);
    EXPECT_EQ(check_version("4.05"), 1);
    krv();
    EXPECT_EQ(check_version("3.06"), 1);
    EXPECT_EQ(check_version("4.05"), 0);
}

TEST_F(Firmware, UnsupportedVersionKeepsThePreviousDevicesCount) {
    krv();
    ASSERT_EQ(check_version("4.12"), 0);
    EXPECT_EQ(param_count, 140);
    EXPECT_EQ(check_version("4.20"), 1);
    EXPECT_EQ(param_count, 140);
    EXPECT_EQ(show_lead_res, 0);
    dlx();
    EXPECT_EQ(check_version("5.00"), 1);
    EXPECT_EQ(param_count, 140);
}

TEST_F(Firmware, CheckVersionRebuildsTheNamesEvenWhenItRefuses) {
    krv();
    view_.curr_version = "4.05";
    init_device_tables();
    EXPECT_EQ(sensor_names(20), "mV-Signal (-35mV/70mV)");
    EXPECT_EQ(sensor_names(0), "Th Pt30%Rh/Pt Typ B");
    view_.lang_code = "GB";
    view_.curr_version = "3.05";
    EXPECT_EQ(check_version("9.99"), 1);
    EXPECT_EQ(sensor_names(0), "TC Pt30%Rh/Pt Type B");
    EXPECT_EQ(sensor_names(20), "mV-Signal (+/- 60mV)");
}

TEST(VersionText, PointBeforeTheLastTwoDigits) {
    struct Case {
        std::int16_t word;
        const char* text;  // nullptr: cannot be formed
    } cases[] = {
        {405, "4.05"}, {410, "4.10"}, {300, "3.00"}, {1234, "12.34"}, {99, ".99"},
        {10, ".10"},   {9, nullptr},  {0, nullptr},  {-405, "-4.05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const auto t = version_text(c.word);
        if (c.text) {
            ASSERT_TRUE(t);
            EXPECT_EQ(*t, c.text);
        } else {
            EXPECT_FALSE(t);
        }
    }
}

TEST_F(Firmware, AtLeastTestsCompareTheTextAndTheFamily) {
    struct Case {
        const char* version;
        bool krv;
        int at_least_400, at_least_410, dlx_302;
    } cases[] = {
        {"4.00", true, 1, 0, 0},  {"4.10", true, 1, 1, 0},  {"4.09", true, 1, 0, 0},
        {"3.99", true, 0, 0, 0},  {"10.00", true, 0, 0, 0},  // two-digit major sorts low
        {"4.5", true, 1, 1, 0},   {"", true, 0, 0, 0},      {"3.02", false, 0, 0, 1},
        {"3.01", false, 0, 0, 0}, {"4.10", false, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + (c.krv ? " KRV" : " DLX"));
        c.krv ? krv() : dlx();
        view_.curr_version = c.version;
        EXPECT_EQ(krv_fw_at_least_400(), c.at_least_400);
        EXPECT_EQ(krv_fw_at_least_410(), c.at_least_410);
        EXPECT_EQ(dlx_fw_at_least_302(), c.dlx_302);
    }
}

TEST_F(Firmware, AtLeastTestsReadTheirOwnFamilyControl) {
    // krv_fw_at_least_400 follows the option S_KRV, krv_fw_at_least_410 the flag is_krv.
    view_.curr_version = "4.10";
    view_.s_krv = false;
    view_.is_krv = true;
    EXPECT_EQ(krv_fw_at_least_400(), 0);
    EXPECT_EQ(krv_fw_at_least_410(), 1);
    view_.s_krv = true;
    view_.is_krv = false;
    EXPECT_EQ(krv_fw_at_least_400(), 1);
    EXPECT_EQ(krv_fw_at_least_410(), 0);
}

TEST_F(Firmware, JumperHelp) {
    struct Case {
        const char* name;
        bool krv, snap;
        std::int16_t krv_only;
        const char* version;
        int expected;
    } cases[] = {
        {"KRV 4.00", true, false, 1, "4.00", 1},
        {"KRV 3.05", true, false, 1, "3.05", 0},
        {"KRV snap variant", true, true, 1, "4.10", 0},
        {"DLX, KRV only", false, false, 1, "4.00", 0},
        {"DLX, KRV only, any version", false, false, 1, "9.99", 0},
        {"DLX, both families", false, false, 0, "4.00", 1},
        {"DLX, both families, snap", false, true, 0, "4.00", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.krv ? krv() : dlx();
        view_.s_snap = c.snap;
        view_.curr_version = c.version;
        EXPECT_EQ(jumper_help_enabled(c.krv_only), c.expected);
    }
}

TEST_F(Firmware, CurrentOutputAboveCode20AndNonNumericModeReadsAsZero) {
    struct Case {
        const char* v_mode;
        int expected;
    } cases[] = {
        {"20", 0},   {"21", 1},  {"40", 1},  {" 40 ", 1}, {"+21", 1},
        {"20.5", 1}, {"0", 0},   {"-30", 0}, {"", 0},     {"abc", 0},
        {"21x", 0},  {"2 1", 0}, {"1e3", 0}, {"&H40", 0}, {"   ", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v_mode);
        view_.v_mode = c.v_mode;
        EXPECT_EQ(is_current_output(), c.expected);
    }
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(Firmware, Type113IsReadFromStatusWord0) {
    link::status_regs[0] = 113;
    EXPECT_EQ(is_type_113(), 1);
    link::status_regs[0] = 112;
    EXPECT_EQ(is_type_113(), 0);
}

TEST_F(Firmware, OutputCalibrationPointsFollowModeAndFirmware) {
    param_image[51] = 510;
    param_image[52] = 520;
    param_image[57] = 570;
    param_image[58] = 580;
    struct Case {
        const char* name;
        const char* out_mode;
        const char* version;
        const char* label12;
        const char* label13;
        int beg_word, end_word;
    } cases[] = {
        {"current", "0", "4.00", "&4 mA", "&20 mA", 57, 58},
        {"voltage", "1", "4.00", "&2 V", "&10 V", 51, 52},
        {"voltage, old firmware uses the current pair", "1", "2.01", "&2 V", "&10 V", 57, 58},
        {"voltage at 2.02", "1", "2.02", "&2 V", "&10 V", 51, 52},
        {"non-numeric mode reads as current", "x", "4.00", "&4 mA", "&20 mA", 57, 58},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view_.curr_version = c.version;
        int calls = 0;
        prep_out_cal_form(c.out_mode, [&](const OutCalFormSetup& s) {
            ++calls;
            EXPECT_EQ(mask_filling, 1);
            EXPECT_EQ(s.label12, c.label12);
            EXPECT_EQ(s.label13, c.label13);
            EXPECT_EQ(s.beg_word, c.beg_word);
            EXPECT_EQ(s.end_word, c.end_word);
            EXPECT_EQ(s.beg_value, c.beg_word * 10);
            EXPECT_EQ(s.end_value, c.end_word * 10);
            EXPECT_EQ(s.beg_readback_word, c.beg_word == 57 ? 65 : 53);
            EXPECT_EQ(s.end_readback_word, c.end_word == 58 ? 66 : 54);
        });
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(mask_filling, 0);
    }
}

TEST_F(Firmware, MaskFillingIsClearedWhenThePageFailsToFill) {
    EXPECT_THROW(prep_out_cal_form("0",
                                   [](const OutCalFormSetup&) {
                                       throw std::runtime_error("Invalid property value");
                                   }),
                 std::runtime_error);
    EXPECT_EQ(mask_filling, 0);
}

TEST_F(Firmware, ReinitTablesResetsTheFirst127WordsOnly) {
    param_image.fill(-7);
    reinit_tables();
    for (int i = 0; i < default_image_words; ++i) ASSERT_EQ(param_image[i], default_param_image[i]);
    for (int i = default_image_words; i < param_image_size; ++i) ASSERT_EQ(param_image[i], -7);
    EXPECT_EQ(type_max(0), 1800);
}

}  // namespace
}  // namespace dvx::model

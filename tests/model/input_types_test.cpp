#include "model/input_types.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "model/param_image.h"
#include "model/param_words.h"
#include "tests/model/model_globals_fixture.h"

namespace dvx::model {
namespace {

class InputTypes : public dvx::testing::ModelGlobalsFixture {
  protected:
    void SetUp() override {
        ModelGlobalsFixture::SetUp();
        bind_view();
    }
};

// The input-type table as released, one row per type, in stored units.
struct Expected {
    int min, max, min_v4, max_v4;
    const char* unit;
    int decimals, scalable, two_wire;
    const char *de, *gb, *nl;
};

// clang-format off
const Expected released[21] = {
    {0, 1800, 0, 1800, "\xB0" "C", 0, 0, 0,
     "Th Pt30%Rh/Pt Typ B", "TC Pt30%Rh/Pt Type B", "TC Pt30%Rh/Pt Typ B"},
    {-200, 1000, -200, 1000, "\xB0" "C", 0, 0, 0,
     "Th NiCr/CuNi Typ E", "TC NiCr/CuNi Type E", "TC NiCr/CuNi Typ E"},
    {-200, 900, -200, 900, "\xB0" "C", 0, 0, 0,
     "Th Fe/CuNi Typ J", "TC Fe/CuNi Type J", "TC Fe/CuNi Typ J"},
    {-200, 1200, -200, 1200, "\xB0" "C", 0, 0, 0,
     "Th NiCr/Ni Typ K", "TC NiCr/Ni Type K", "TC NiCr/Ni Typ K"},
    {0, 1700, 0, 1700, "\xB0" "C", 0, 0, 0,
     "Th Pt13%Rh/Pt Typ R", "TC Pt13%Rh/Pt Type R", "TC Pt13%Rh/Pt Typ R"},
    {-200, 400, -200, 400, "\xB0" "C", 0, 0, 0,
     "Th Cu/CuNi Typ T", "TC Cu/CuNi Type T", "TC Cu/CuNi Typ T"},
    {0, 1700, 0, 1700, "\xB0" "C", 0, 0, 0,
     "Th Pt10%Rh/Pt Typ S", "TC Pt10%Rh/Pt Type S", "TC Pt10%Rh/Pte Typ S"},
    {-200, 900, -200, 900, "\xB0" "C", 0, 0, 0,
     "Th Fe/CuNi Typ L", "TC Fe/CuNi Type L", "TC Fe/CuNi Typ L"},
    {-200, 600, -200, 600, "\xB0" "C", 0, 0, 0,
     "Th Cu/CuNi Typ U", "TC Cu/CuNi Type U", "TC Cu/CuNi Typ U"},
    {-200, 800, -200, 800, "\xB0" "C", 0, 0, 1,
     "Pt-100 2-Lt.-Schaltung", "Pt-100 2-wire", "Pt-100 2-draad"},
    {-200, 800, -200, 800, "\xB0" "C", 0, 0, 0,
     "Pt-100 3-Lt.-Schaltung", "Pt-100 3-wire", "Pt-100 3-draad"},
    {-200, 800, -200, 800, "\xB0" "C", 0, 0, 0,
     "Pt-100 4-Lt.-Schaltung", "Pt-100 4-wire", "Pt-100 4-draad"},
    {0, 6000, 0, 6000, "Ohm", 1, 1, 1, "Potentiometer 0-600 Ohm 2-Lt.",
     "Potentiometer 0-600 Ohm 2-wire", "Potentiometer 0-600 Ohm 2-draad"},
    {0, 6000, 0, 6000, "Ohm", 1, 1, 0, "Potentiometer 0-600 Ohm 3-Lt.",
     "Potentiometer 0-600 Ohm 3-wire", "Potentiometer 0-600 Ohm 3-draad"},
    {0, 6000, 0, 6000, "Ohm", 1, 1, 0, "Potentiometer 0-600 Ohm 4-Lt.",
     "Potentiometer 0-600 Ohm 4-wire", "Potentiometer 0-600 Ohm 4-draad"},
    {0, 5000, 0, 5000, "Ohm", 0, 1, 1, "Potentiometer 0-5000 Ohm 2-Lt.",
     "Potentiometer 0-5000 Ohm 2-wire", "Potentiometer 0-5000 Ohm 2-draad"},
    {0, 5000, 0, 5000, "Ohm", 0, 1, 0, "Potentiometer 0-5000 Ohm 3-Lt.",
     "Potentiometer 0-5000 Ohm 3-wire", "Potentiometer 0-5000 Ohm 3-draad"},
    {0, 5000, 0, 5000, "Ohm", 0, 1, 0, "Potentiometer 0-5000 Ohm 4-Lt.",
     "Potentiometer 0-5000 Ohm 4-wire", "Potentiometer 0-5000 Ohm 4-draad"},
    {-10000, 10000, -10000, 10000, "V", 3, 1, 0,
     "V-Signal (+/- 10V)", "V-Signal (+/- 10V)", "V-Signal (+/- 10V)"},
    {-20000, 20000, -20000, 20000, "mA", 3, 1, 0,
     "mA-Signal (+/- 20mA)", "mA-Signal (+/- 20mA)", "mA-Signal (+/- 20mA)"},
    {-6000, 6000, -3500, 7000, "mV", 2, 1, 0,
     "mV-Signal (+/- 60mV)", "mV-Signal (+/- 60mV)", "mV-Signal (+/- 60mV)"},
};
// clang-format on

TEST_F(InputTypes, EveryRowAsReleased) {
    for (const char* lang : {"D", "GB", "NL"}) {
        view_.lang_code = lang;
        init_device_tables();
        for (int t = 0; t < 21; ++t) {
            SCOPED_TRACE(std::string(lang) + " type " + std::to_string(t));
            const Expected& e = released[t];
            EXPECT_EQ(type_min(t), e.min);
            EXPECT_EQ(type_max(t), e.max);
            EXPECT_EQ(type_min_v4(t), e.min_v4);
            EXPECT_EQ(type_max_v4(t), e.max_v4);
            EXPECT_EQ(type_unit(t), e.unit);
            EXPECT_EQ(type_decimals(t), e.decimals);
            EXPECT_EQ(type_scalable(t), e.scalable);
            EXPECT_EQ(type_2wire(t), e.two_wire);
            const std::string lc = lang;
            EXPECT_EQ(sensor_names(t), lc == "NL" ? e.nl : lc == "GB" ? e.gb : e.de);
        }
    }
}

TEST_F(InputTypes, LanguageCodeIsComparedExactly) {
    for (const char* lang : {"nl", "gb", "", "EN", "NL "}) {
        SCOPED_TRACE(lang);
        view_.lang_code = lang;
        init_sensor_texts();
        EXPECT_EQ(sensor_names(9), "Pt-100 2-Lt.-Schaltung");
    }
}

TEST_F(InputTypes, TypeOutsideTheTableAnswersAsTheEmptyEntry) {
    init_device_tables();
    for (int t : {21, 22, 99, -1, 32767, -32768, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(sensor_names(t), "");
        EXPECT_EQ(type_unit(t), "");
        EXPECT_EQ(type_min(t), 0);
        EXPECT_EQ(type_max(t), 0);
        EXPECT_EQ(type_min_v4(t), 0);
        EXPECT_EQ(type_max_v4(t), 0);
        EXPECT_EQ(type_decimals(t), 0);
        EXPECT_EQ(type_scalable(t), 0);
        EXPECT_EQ(type_2wire(t), 0);
    }
}

TEST_F(InputTypes, TungstenRheniumReplacesTypes7And8WithoutReadingXk) {
    view_.th_xk = true;
    has_wre_tc = 1;
    view_.lang_code = "GB";
    view_.th_xk_reads = 0;
    init_device_tables();
    EXPECT_EQ(view_.th_xk_reads, 0);
    for (int t : {7, 8}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(type_min(t), 0);
        EXPECT_EQ(type_max(t), 2320);
        EXPECT_EQ(type_min_v4(t), 0);
        EXPECT_EQ(type_max_v4(t), 2320);
    }
    EXPECT_EQ(sensor_names(7), "TC W3%Re/W25%Re Typ D");
    EXPECT_EQ(sensor_names(8), "TC W5%Re/W26%Re Typ C");

    has_wre_tc = 0;  // the next device clears it again
    view_.th_xk = false;
    init_device_tables();
    EXPECT_EQ(type_max(7), 900);
    EXPECT_EQ(sensor_names(7), "TC Fe/CuNi Type L");
}

TEST_F(InputTypes, XkChangesType8AtTheNextRebuildOnly) {
    view_.lang_code = "D";
    init_device_tables();
    EXPECT_EQ(type_min(8), -200);
    view_.th_xk = true;  // ticking the box alone changes nothing
    EXPECT_EQ(type_min(8), -200);
    EXPECT_EQ(sensor_names(8), "Th Cu/CuNi Typ U");
    init_device_tables();
    EXPECT_EQ(type_min(8), 0);
    EXPECT_EQ(type_max(8), 800);
    EXPECT_EQ(type_min_v4(8), 0);
    EXPECT_EQ(type_max_v4(8), 800);
    EXPECT_EQ(type_max(7), 900);
    EXPECT_EQ(sensor_names(8), "TC Cr/Co Typ XK");
    view_.lang_code = "GB";
    init_sensor_texts();
    EXPECT_EQ(sensor_names(8), "TC Cr/Co Type XK");
}

TEST_F(InputTypes, Ni120NamesTheResistanceThermometers) {
    is_ni120 = 1;
    const char* names[3][3] = {
        {"Ni-120 2-Lt.-Schaltung", "Ni-120 3-Lt.-Schaltung", "Ni-120 4-Lt.-Schaltung"},
        {"Ni-120 2-wire", "Ni-120 3-wire", "Ni-120 4-wire"},
        {"Ni-120 2-draad", "Ni-120 3-draad", "Ni-120 4-draad"},
    };
    const char* langs[3] = {"D", "GB", "NL"};
    for (int l = 0; l < 3; ++l) {
        view_.lang_code = langs[l];
        init_device_tables();
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::string(langs[l]) + " type " + std::to_string(9 + i));
            EXPECT_EQ(sensor_names(9 + i), names[l][i]);
            EXPECT_EQ(type_min(9 + i), -200);
            EXPECT_EQ(type_max(9 + i), 800);
        }
    }
}

TEST_F(InputTypes, MillivoltNameFollowsKrvFirmware4) {
    struct Case {
        const char* name;
        bool s_krv;
        const char* version;
        const char* mv_name;
    } cases[] = {
        {"KRV 4.00", true, "4.00", "mV-Signal (-35mV/70mV)"},
        {"KRV 3.05", true, "3.05", "mV-Signal (+/- 60mV)"},
        {"DLX 4.00", false, "4.00", "mV-Signal (+/- 60mV)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view_.s_krv = c.s_krv;
        view_.curr_version = c.version;
        init_device_tables();
        EXPECT_EQ(sensor_names(20), c.mv_name);
        EXPECT_EQ(type_min(20), -6000);
        EXPECT_EQ(type_min_v4(20), -3500);
    }
}

TEST(CalibrationLists, ListsAndInverses) {
    struct Case {
        const char* name;
        std::int16_t (*types)(int);
        std::int16_t (*index)(int);
        std::vector<int> list;
    } cases[] = {
        {"tc1", tc1_types, tc1_index, {0, 4, 5, 6, 8}},
        {"tc2", tc2_types, tc2_index, {1, 2, 3, 7, 20}},
        {"rtd", rtd_types, rtd_index, {9, 10, 11}},
        {"tc4", tc4_types, tc4_index, {0, 1, 2, 3, 4, 5, 6, 7, 8, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int n = static_cast<int>(c.list.size());
        for (int pos = 0; pos < n; ++pos) EXPECT_EQ(c.types(pos), c.list[pos]) << pos;
        for (int pos : {n, n + 1, -1, 1000}) EXPECT_EQ(c.types(pos), 0) << pos;  // spare 0
        for (int t = -2; t <= 25; ++t) {
            int expected = 0;
            for (int pos = 0; pos < n; ++pos)
                if (c.list[pos] == t) expected = pos;
            EXPECT_EQ(c.index(t), expected) << "type " << t;
        }
    }
    // Spot checks against the release notes.
    EXPECT_EQ(tc1_index(8), 4);
    EXPECT_EQ(tc2_index(20), 4);
    EXPECT_EQ(rtd_index(11), 2);
    EXPECT_EQ(tc4_index(20), 9);
}

TEST(BitMasks, SingleBitsAndAnEmptyLastEntry) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(static_cast<std::uint16_t>(bit_mask16[i]), 1u << i) << i;
    }
    EXPECT_EQ(bit_mask16[15], -32768);
    EXPECT_EQ(bit_mask16[16], 0);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(bit_mask32[i]), std::uint32_t{1} << i) << i;
    }
    EXPECT_EQ(bit_mask32[31], INT32_MIN);
    EXPECT_EQ(bit_mask32[32], 0);
}

TEST_F(InputTypes, DefaultImageAsReleased) {
    // clang-format off
    const int rows[13][10] = {
        {9, 100, 0, 0, 2, 0, 8000, 100, 0, 100},
        {0, 0, 2, 0, 2000, 100, 0, 0, 2, 0},
        {1000, 0, 100, 0, 0, 2, 0, 2000, 0, 0},
        {1, 100, 0, 0, 2, 0, 2000, 0, 0, 100},
        {0, 0, 2, 0, 20000, 100, 0, 0, 2, 0},
        {10000, 220, 220, 1000, 0, 100, 0, 26026, 5490, 128},
        {250, 128, 180, -30000, -1, 255, 1023, 0, 0, 0},
        {0, 0, 0, 1000, 10, 0, 10, 2, 150, 2},
        {0, 1000, 0, 4, 5, 4, 5, 0, 10, 10},
        {10, 10, 5, 5, 5, 5, 5, 0, 1000, 0},
        {10, 20, 30, 35, 205, 40, 200, 5, 0, 0},
        {1000, 0, 1000, 259, 0, 8224, 8224, 8224, 8224, 12336},
        {12336, 12336, 12336, 14649, 14649, 14649, 14649},
    };
    // clang-format on
    param_image.fill(4242);
    init_device_tables();
    for (int i = 0; i < 127; ++i) EXPECT_EQ(param_image[i], rows[i / 10][i % 10]) << "word " << i;
    for (int i = 127; i < param_image_size; ++i) ASSERT_EQ(param_image[i], 4242) << "word " << i;
    EXPECT_EQ(param_image[99], 0);
    EXPECT_EQ(text_from_params(115), "        ");
    EXPECT_EQ(text_from_params(119), "00000000");
    EXPECT_EQ(text_from_params(123), "99999999");
}

}  // namespace
}  // namespace dvx::model

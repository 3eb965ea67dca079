#pragma once
// The 21 input types of a transmitter (parameter word 99 holds the type 0..20): names
// in three languages, measuring limits before and from firmware 4, unit, decimals and
// the scalable and 2-wire marks; the type lists of the calibration pages; the
// single-bit masks; and the default parameter image.
//
// The rows below are constant. A few rows have variants (tungsten-rhenium
// thermocouples, XK naming, Ni-120 thermometers, firmware 4), so the tables the pages
// look up are rebuilt from the rows by init_device_tables and init_sensor_texts, and
// keep the variant chosen at that moment. Every lookup takes any type number: one
// outside 0..20 (word 99 comes from a device or a file) answers as the empty entry
// 21 (empty name and unit, limits 0, 0 decimals, not scalable, not 2-wire).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/param_image.h"

namespace dvx::model {

inline constexpr int input_type_count = 21;  // types 0..20
inline constexpr int empty_input_type = 21;

// Variant flags set by the model set-up from the device type.
extern std::int16_t is_ni120;    // resistance thermometer is a Ni-120
extern std::int16_t has_wre_tc;  // types 7 and 8 are the tungsten-rhenium thermocouples

// Names in the order German, English, Dutch.
struct LangNames {
    std::string_view de, gb, nl;
};

struct InputTypeRow {
    std::int16_t min, max;        // firmware before 4, stored units
    std::int16_t min_v4, max_v4;  // firmware 4
    std::string_view unit;        // Windows-1252
    std::int16_t decimals;
    std::int16_t scalable;
    std::int16_t two_wire;
    LangNames names;
};

// clang-format off
inline constexpr std::string_view deg_c = "\xB0" "C";  // "°C" in Windows-1252

// Limits are raw integers in the type's decimals (type 18: -10000 is -10.000 V).
inline constexpr std::array<InputTypeRow, input_type_count> input_type_rows{{
    // min, max, min_v4, max_v4, unit, decimals, scalable, 2-wire, names
    {0, 1800, 0, 1800, deg_c, 0, 0, 0,
     {"Th Pt30%Rh/Pt Typ B", "TC Pt30%Rh/Pt Type B", "TC Pt30%Rh/Pt Typ B"}},
    {-200, 1000, -200, 1000, deg_c, 0, 0, 0,
     {"Th NiCr/CuNi Typ E", "TC NiCr/CuNi Type E", "TC NiCr/CuNi Typ E"}},
    {-200, 900, -200, 900, deg_c, 0, 0, 0,
     {"Th Fe/CuNi Typ J", "TC Fe/CuNi Type J", "TC Fe/CuNi Typ J"}},
    {-200, 1200, -200, 1200, deg_c, 0, 0, 0,
     {"Th NiCr/Ni Typ K", "TC NiCr/Ni Type K", "TC NiCr/Ni Typ K"}},
    {0, 1700, 0, 1700, deg_c, 0, 0, 0,
     {"Th Pt13%Rh/Pt Typ R", "TC Pt13%Rh/Pt Type R", "TC Pt13%Rh/Pt Typ R"}},
    {-200, 400, -200, 400, deg_c, 0, 0, 0,
     {"Th Cu/CuNi Typ T", "TC Cu/CuNi Type T", "TC Cu/CuNi Typ T"}},
    {0, 1700, 0, 1700, deg_c, 0, 0, 0,
     {"Th Pt10%Rh/Pt Typ S", "TC Pt10%Rh/Pt Type S", "TC Pt10%Rh/Pte Typ S"}},
    {-200, 900, -200, 900, deg_c, 0, 0, 0,
     {"Th Fe/CuNi Typ L", "TC Fe/CuNi Type L", "TC Fe/CuNi Typ L"}},
    {-200, 600, -200, 600, deg_c, 0, 0, 0,
     {"Th Cu/CuNi Typ U", "TC Cu/CuNi Type U", "TC Cu/CuNi Typ U"}},
    {-200, 800, -200, 800, deg_c, 0, 0, 1,
     {"Pt-100 2-Lt.-Schaltung", "Pt-100 2-wire", "Pt-100 2-draad"}},
    {-200, 800, -200, 800, deg_c, 0, 0, 0,
     {"Pt-100 3-Lt.-Schaltung", "Pt-100 3-wire", "Pt-100 3-draad"}},
    {-200, 800, -200, 800, deg_c, 0, 0, 0,
     {"Pt-100 4-Lt.-Schaltung", "Pt-100 4-wire", "Pt-100 4-draad"}},
    {0, 6000, 0, 6000, "Ohm", 1, 1, 1,
     {"Potentiometer 0-600 Ohm 2-Lt.", "Potentiometer 0-600 Ohm 2-wire",
      "Potentiometer 0-600 Ohm 2-draad"}},
    {0, 6000, 0, 6000, "Ohm", 1, 1, 0,
     {"Potentiometer 0-600 Ohm 3-Lt.", "Potentiometer 0-600 Ohm 3-wire",
      "Potentiometer 0-600 Ohm 3-draad"}},
    {0, 6000, 0, 6000, "Ohm", 1, 1, 0,
     {"Potentiometer 0-600 Ohm 4-Lt.", "Potentiometer 0-600 Ohm 4-wire",
      "Potentiometer 0-600 Ohm 4-draad"}},
    {0, 5000, 0, 5000, "Ohm", 0, 1, 1,
     {"Potentiometer 0-5000 Ohm 2-Lt.", "Potentiometer 0-5000 Ohm 2-wire",
      "Potentiometer 0-5000 Ohm 2-draad"}},
    {0, 5000, 0, 5000, "Ohm", 0, 1, 0,
     {"Potentiometer 0-5000 Ohm 3-Lt.", "Potentiometer 0-5000 Ohm 3-wire",
      "Potentiometer 0-5000 Ohm 3-draad"}},
    {0, 5000, 0, 5000, "Ohm", 0, 1, 0,
     {"Potentiometer 0-5000 Ohm 4-Lt.", "Potentiometer 0-5000 Ohm 4-wire",
      "Potentiometer 0-5000 Ohm 4-draad"}},
    {-10000, 10000, -10000, 10000, "V", 3, 1, 0,
     {"V-Signal (+/- 10V)", "V-Signal (+/- 10V)", "V-Signal (+/- 10V)"}},
    {-20000, 20000, -20000, 20000, "mA", 3, 1, 0,
     {"mA-Signal (+/- 20mA)", "mA-Signal (+/- 20mA)", "mA-Signal (+/- 20mA)"}},
    {-6000, 6000, -3500, 7000, "mV", 2, 1, 0,
     {"mV-Signal (+/- 60mV)", "mV-Signal (+/- 60mV)", "mV-Signal (+/- 60mV)"}},
}};
// clang-format on

// Conditions under which a row is replaced.
enum class TypeVariant {
    wre,    // has_wre_tc set
    xk,     // main window's TH_XK ticked
    ni120,  // is_ni120 set
    fw4,    // krv_fw_at_least_400 gives 1
};

struct InputTypeVariantRow {
    int type;
    TypeVariant when;
    bool changes_limits;  // min..max, the same in both limit sets
    std::int16_t min, max;
    LangNames names;
};

// For one type the first row whose condition holds wins; conditions of later rows of
// that type are not asked (with W-Re set the TH_XK box is never read).
// clang-format off
inline constexpr std::array<InputTypeVariantRow, 7> input_type_variant_rows{{
    {7, TypeVariant::wre, true, 0, 2320,
     {"TC W3%Re/W25%Re Typ D", "TC W3%Re/W25%Re Typ D", "TC W3%Re/W25%Re Typ D"}},
    {8, TypeVariant::wre, true, 0, 2320,
     {"TC W5%Re/W26%Re Typ C", "TC W5%Re/W26%Re Typ C", "TC W5%Re/W26%Re Typ C"}},
    {8, TypeVariant::xk, true, 0, 800, {"TC Cr/Co Typ XK", "TC Cr/Co Type XK", "TC Cr/Co Typ XK"}},
    {9, TypeVariant::ni120, false, 0, 0,
     {"Ni-120 2-Lt.-Schaltung", "Ni-120 2-wire", "Ni-120 2-draad"}},
    {10, TypeVariant::ni120, false, 0, 0,
     {"Ni-120 3-Lt.-Schaltung", "Ni-120 3-wire", "Ni-120 3-draad"}},
    {11, TypeVariant::ni120, false, 0, 0,
     {"Ni-120 4-Lt.-Schaltung", "Ni-120 4-wire", "Ni-120 4-draad"}},
    {20, TypeVariant::fw4, false, 0, 0,
     {"mV-Signal (-35mV/70mV)", "mV-Signal (-35mV/70mV)", "mV-Signal (-35mV/70mV)"}},
}};
// clang-format on

// Rebuilds the limit, unit, decimals and mark tables for the current variant, puts the
// default image into param_image words 0..126 (words from 127 keep their values) and
// rebuilds the names. Run when the main window loads and by reinit_tables.
void init_device_tables();
// Rebuilds the names for the current lang_code, has_wre_tc, TH_XK, is_ni120 and
// firmware. Run by init_device_tables and after every version check.
void init_sensor_texts();

// Lookups by input type (see above for types outside 0..20). Before the first
// init_device_tables every entry is empty.
std::int16_t type_min(int type);
std::int16_t type_max(int type);
std::int16_t type_min_v4(int type);
std::int16_t type_max_v4(int type);
std::string type_unit(int type);
std::int16_t type_decimals(int type);
std::int16_t type_scalable(int type);
std::int16_t type_2wire(int type);
const std::string& sensor_names(int type);

// Type lists of the calibration pages (list position -> input type) and their
// inverses (input type 0..21 -> list position, 0 for a type not in the list).
inline constexpr std::array<std::int16_t, 5> tc1_type_list{0, 4, 5, 6, 8};
inline constexpr std::array<std::int16_t, 5> tc2_type_list{1, 2, 3, 7, 20};
inline constexpr std::array<std::int16_t, 3> rtd_type_list{9, 10, 11};
inline constexpr std::array<std::int16_t, 10> tc4_type_list{0, 1, 2, 3, 4, 5, 6, 7, 8, 20};

// List position -> input type; 0 outside the list (the spare entry after the list).
std::int16_t tc1_types(int pos);
std::int16_t tc2_types(int pos);
std::int16_t rtd_types(int pos);
std::int16_t tc4_types(int pos);
// Input type -> list position; 0 for a type not in the list or outside 0..21.
std::int16_t tc1_index(int type);
std::int16_t tc2_index(int type);
std::int16_t rtd_index(int type);
std::int16_t tc4_index(int type);

// Single-bit masks: bit_mask16[i] = 2^i for i = 0..15 (index 15 is the pattern 0x8000,
// -32768), bit_mask32[i] = 2^i for i = 0..31 (index 31 the pattern 0x80000000); the
// last entry (16, 32) is 0.
inline constexpr std::array<std::int16_t, 17> bit_mask16 = [] {
    std::array<std::int16_t, 17> m{};
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(1u << i));
    return m;
}();
inline constexpr std::array<std::int32_t, 33> bit_mask32 = [] {
    std::array<std::int32_t, 33> m{};
    for (int i = 0; i < 32; ++i) m[i] = static_cast<std::int32_t>(std::uint32_t{1} << i);
    return m;
}();

}  // namespace dvx::model

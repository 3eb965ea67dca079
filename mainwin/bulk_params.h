#pragma once
// The parameters the bulk set offers (setting one parameter on every device behind a
// gateway): list position in cmb_bulk_param -> parameter word. Positions 13 and 14
// stay 0 and are never offered.
#include <array>
#include <cstdint>

namespace dvx::mainwin {

inline constexpr int bulk_param_items = 13;

// Parameter word of each list position (register 1000 + word), in list order.
inline constexpr std::array<std::int16_t, bulk_param_items> bulk_param_words{
    97,   // start of measure range
    98,   // end of measure range
    100,  // filter time
    105,  // analog output: start of range
    106,  // analog output: end of range
    103,  // analog output: MIN limit
    104,  // analog output: MAX limit
    102,  // analog output: alarm value
    107,  // analog output: filter time
    77,   // mV input: maximum tolerance
    79,   // resistor input: maximum tolerance
    76,   // analog output: maximum tolerance
    128,  // thermocouple open-circuit resistance
};

extern std::array<std::int16_t, 15> bulk_param_table;

// Writes the word numbers into positions 0..12 of bulk_param_table.
void init_bulk_params();

}  // namespace dvx::mainwin

#pragma once
// The input kinds of a DLX transmitter, as the device reports them in status word 2
// (mV, two voltage inputs, current): unit and decimals of the values, and the limits
// the input page and the input calibration page accept for them.
#include <cstdint>
#include <string_view>

namespace dvx::model {

struct DlxInputKind {
    std::int16_t code;  // status word 2; the last row stands for every other value
    std::string_view unit;
    std::int16_t decimals;
    std::int32_t min, max;  // measuring range and supervision limits of the input page
    bool min_field;         // the input page offers the MIN-value field
    std::int32_t cal_min, cal_max;  // the two calibration points
};
// clang-format off
inline constexpr DlxInputKind dlx_input_kinds[] = {
    {1000, "mV", 2,      0,  7000, false,      0,  7000},
    {1001, "V",  1,      0, 11000, false,      0, 11000},
    {1002, "V",  2, -30000, 30000, true,  -25000, 25000},
    {0,    "mA", 3,      0, 21000, true,    2000, 20000},  // current input: any other code
};
// clang-format on

// The kind of the device read last (status word 2).
const DlxInputKind& dlx_input_kind();

// True for a voltage input (1000 mV, 1001 V, 1002 V), false for the current input.
bool is_voltage_input(int code);

}  // namespace dvx::model

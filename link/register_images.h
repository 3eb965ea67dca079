#pragma once
// The program's images of the device registers and the map from a logical start
// register to the image a read fills and a write sends. The HZL variable table and the
// result pages have no image: they go straight to the gateway pages' controls.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace dvx::link {

// Word i mirrors device register i (0..64 exchanged; 65 never).
extern std::array<std::int16_t, 66> status_regs;
// Word i mirrors 2000 + i (comment text), 0..999 exchanged.
extern std::array<std::int16_t, 1001> comment_regs;
// Concentrator settings 10000 + i (0..25) and process data 11000 + i (0..79).
extern std::array<std::int16_t, 27> bnr_regs;
extern std::array<std::int16_t, 81> bnr_data_regs;
// Gateway block 20000 + i (0..40).
extern std::array<std::int16_t, 42> hzl_regs;

// +1 for every failed exchange (time-out, CRC error or an answer that does not fit the
// request) of read_regs and write_regs.
extern std::int32_t link_error_count;
// The read window of read_reg_window, set by its callers.
extern std::int16_t reg_win_start;
extern std::int16_t reg_win_count;

enum class RegisterArea { status, param, comment, bnr, bnr_data, hzl, hzl_table, result_grid };

struct RegisterMapRow {
    RegisterArea area;
    int first;      // logical register of index 0
    int last;       // last logical register the link exchanges (param: from param_count)
    bool writable;  // false: a write starting here is refused
};

// One row per area; the parameter row's end follows param_count at the lookup.
inline constexpr RegisterMapRow register_map[] = {
    {RegisterArea::status, 0, 64, true},           {RegisterArea::param, 1000, 1000, true},
    {RegisterArea::comment, 2000, 2999, true},     {RegisterArea::bnr, 10000, 10025, true},
    {RegisterArea::bnr_data, 11000, 11079, false}, {RegisterArea::hzl, 20000, 20040, true},
    {RegisterArea::hzl_table, 22000, 22601, true}, {RegisterArea::result_grid, 24000, 26999, false},
};

// The first logical register of an area, from the map.
constexpr int first_register(RegisterArea area) {
    for (const RegisterMapRow& row : register_map)
        if (row.area == area) return row.first;
    return -1;
}

// The row whose range holds the start register, with the parameter range ending at
// 999 + param_count; none outside the map.
std::optional<RegisterMapRow> find_register_area(int start);

// The word image of an area (empty for the two page areas).
std::span<std::int16_t> area_image(RegisterArea area);

}  // namespace dvx::link

#pragma once
// The calibration measuring run: switches the transmitter to the input type under
// calibration, waits 2.0 s for the input, then reads status words 25..44 every 0.4 s
// and takes five 32-bit values (chosen by the mode) until each of them has once turned
// or stood still over three successive samples, and hands the last samples back. The
// box FQN_CALIB shows meanwhile; its Cancel ends the run.
//
// Modes 0..20 are input types, 40..60 an input type + 40, 30 and 31 measure in the
// device's current state without switching it. A run that fails or is cancelled after
// the input was switched switches it back once before it ends; when that does not get
// through, "No connection. Calibration aborted." says so and the device's own type is
// kept for its next entry (calib_mode.h).
#include <array>
#include <cstdint>

namespace dvx::calib {

// One value a mode samples: the 32-bit pair L(k) (low word at k) or R[44] alone.
inline constexpr std::int8_t word44 = -44;

struct MeasureModeRow {
    std::uint64_t modes;  // bit m set: mode m uses this row
    std::array<std::int8_t, 5> picks;
};

constexpr std::uint64_t mode_bits(std::initializer_list<int> modes) {
    std::uint64_t b = 0;
    for (int m : modes) b |= std::uint64_t{1} << m;
    return b;
}

// clang-format off
inline constexpr MeasureModeRow measure_modes[] = {
    {mode_bits({0, 4, 5, 6, 8}),                          {40, 42, word44, 30, 30}},
    {mode_bits({1, 2, 3, 7, 20}),                         {36, 38, word44, 30, 30}},
    {mode_bits({9, 11, 12, 14, 15, 17}),                  {28, 28, 42, 30, 30}},
    {mode_bits({10, 13, 16}),                             {28, 32, 42, 30, 30}},
    {mode_bits({18, 19}),                                 {34, 34, 42, 30, 30}},
    {mode_bits({30}),                                     {28, 28, 28, 28, 28}},
    {mode_bits({31}),                                     {28, 30, 32, 28, 28}},
    {mode_bits({40, 41, 42, 43, 44, 45, 46, 47, 48, 60}), {28, 32, 36, word44, 34}},
    {mode_bits({49, 50, 51, 52, 53, 54, 55, 56, 57}),     {28, 30, 32, 32, 32}},
    {mode_bits({58, 59}),                                 {32, 34, 34, 34, 38}},
};
// clang-format on

// The row of a mode; null for a mode outside the table.
const MeasureModeRow* find_measure_mode(int mode);

// True while the value still moves one way over older -> previous -> current (the
// differences have the same sign and neither is 0); 64-bit, so no pair overflows.
constexpr bool still_moving(std::int64_t older, std::int64_t previous, std::int64_t current) {
    const std::int64_t d1 = older - previous;
    const std::int64_t d2 = previous - current;
    return d1 != 0 && d2 != 0 && (d1 > 0) == (d2 > 0);
}

using MeasureValues = std::array<std::int32_t, 5>;

// 0: the values settled, `values` holds the last samples and "Ready !" was shown.
// 1: the run failed (its message shown), was cancelled (no message, but for a switch
// back that did not get through), a run was already active, or the mode is outside the
// table (nothing sent); `values` untouched.
std::int16_t calibrate_measure(std::int16_t mode, MeasureValues& values);

// True while a run is under way: the calibration pages ignore their buttons, lists,
// sheet switch and Back meanwhile (the box's Cancel stays the way out).
bool measure_run_active();

// The status a calibrated point keeps: P[62] := R[25], P[59] := low byte of R[26].
void store_point_status();

}  // namespace dvx::calib

#pragma once
// Switching a transmitter into calibration mode and back. Entering reads the device's
// own input type (register 1099) into saved_input_mode, writes the type to calibrate
// into 1099 and strobes 57 (firmware "4.10" on: flag 59 := 1 as well); leaving writes
// the saved type back, strobes 57 and clears 59. param_image word 99 serves only as the
// buffer of these writes and holds its old value again afterwards.
#include <cstdint>

namespace dvx::calib {

// The device's input type as read when calibration mode was last entered.
extern std::int16_t saved_input_mode;

// How an entry ended: rc 0 done, 1 a transaction failed; switched once the type under
// calibration was sent to register 1099 (a write whose answer was lost may still have
// reached the device), so a failure from there on must switch it back.
struct EnterResult {
    std::int16_t rc = 0;
    bool switched = false;
};

// m >= 30: only the read window (25, 20) is set, nothing is sent.
EnterResult enter_calib(std::int16_t m);
// 0 done, 1 a transaction failed.
std::int16_t enter_calib_mode(std::int16_t m);
// 0 done, 1 the first failing write ended it.
std::int16_t leave_calib_mode();

}  // namespace dvx::calib

#pragma once
// What the output-calibration page asks of the device: drive the analog output to a
// value (status word 50, strobe 51), release it, and read the short measuring window
// (status words 25..27).
#include <cstdint>

namespace dvx::calib {

// status_regs[50] := value, [51] := 1, one write of both. 0 done; 1 after the message
// msg_out_calib_aborted ("DORVANEX", OK). A value that does not round to a 16-bit
// integer shows "Overflow" under the default title and sends nothing: result 1.
std::int16_t write_reg_50(double value);

// status_regs[51] := 0 and one write of it; its outcome is ignored.
void clear_out_cal_flag();

// Reads status words 25..27 (read window 25, 3). 0 done; 1 after the message
// msg_calib_aborted ("DORVANEX", OK), with the default mouse pointer.
std::int16_t check_measure_window();

}  // namespace dvx::calib

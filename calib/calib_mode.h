#pragma once
// Switching a transmitter into calibration mode and back. Entering reads the device's
// own input type (register 1099) into saved_input_mode, writes the type to calibrate
// into 1099 and strobes 57 (firmware "4.10" on: flag 59 := 1 as well); leaving writes
// the saved type back, strobes 57 and clears 59. param_image keeps its words: the reads
// land in it and are taken out, the writes send the given type.
//
// A switch back that did not get through leaves the device on the run's type, and its
// 1099 would then be read as the device's own. So the own type is kept, for as long as
// the program runs, for every device whose switch back failed, and the next dialog with
// that device switches it back first (finish_switch_back); a switch back that gets
// through, or programming the device, forgets it.
#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <optional>

namespace dvx::calib {

// The device's input type as read when calibration mode was last entered.
extern std::int16_t saved_input_mode;

// A device as the calibration tells devices apart: the port, where the link reaches its
// register 1099 (unit and register on the wire: the bus address, or the rack and slot
// behind a gateway) and the serial number the device itself gives (registers
// 1123..1126, read at calibration entry: the image may hold another device's set).
struct CalibDevice {
    int port = 0;
    int unit = 0;
    std::int32_t reg = 0;
    std::array<std::int16_t, 4> serial{};
    auto operator<=>(const CalibDevice&) const = default;
};

// A device left switched: its own input type, the types our runs may have left in its
// 1099 since (bit t: type t), and whether its entry raised flag 59 (firmware "4.10" on),
// which the switch back clears. A 1099 holding none of them was set anew (the device
// restarted on its stored set): then it is the type to restore, and the entry is dropped.
struct UnrestoredInput {
    std::int16_t own_type = 0;
    std::uint32_t left_types = 0;
    bool cal_flag = false;
};

extern std::map<CalibDevice, UnrestoredInput> unrestored_inputs;

// How an entry ended: rc 0 done, 1 a transaction failed; switched once the type under
// calibration was sent to register 1099 (a write whose answer was lost may still have
// reached the device), so a failure from there on must switch it back.
struct EnterResult {
    std::int16_t rc = 0;
    bool switched = false;
};

// The switch back of the selected device, when one did not get through. With one kept
// for its port and bus position, the device's serial number is read (the image may hold
// another device's set by now) and, when it is the kept device, 1099; while that holds a
// type one of our runs left there (or the own type) the leave writes go: 1099 := the own
// type, strobe 57, flag 59 cleared where the entry raised it. 0 nothing left to do
// (finished, none pending, another device there, or 1099 set anew since); 1 a
// transaction failed, the memory kept. The image keeps its words.
std::int16_t finish_switch_back();
// The own type of the device whose set the image holds (selected place, the image's
// serial number) while its switch back is still to be finished.
std::optional<std::int16_t> unfinished_own_type();
// The selected device was programmed: its 1099 holds the type the technician chose.
void forget_switch_back();

// The design's enter_calib_mode (0 done, 1 a transaction failed): its rc, and whether
// the type may have reached 1099. m >= 30: only the read window (25, 20) is set, nothing
// is sent. Below, the device's serial number is read first, then a switch back still to
// be finished on that device goes; when it fails, so does the entry.
EnterResult enter_calib(std::int16_t m);
// 0 done, 1 the first failing write ended it (the device entered last is then kept in
// unrestored_inputs; on 0 it is dropped from there).
std::int16_t leave_calib_mode();

}  // namespace dvx::calib

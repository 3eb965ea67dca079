#pragma once
// How to wire and jumper a transmitter for an input type: the maximum measuring range,
// the maximum lead resistance of the resistance inputs, the jumpers to close or open
// and the terminals to use, for the board variant the main window's S_SNAP chooses
// (ticked: numbered terminals; clear: the connector's contacts in rows d and z).
// The words come from the message table in the current language; numbers, jumper and
// terminal names are the same in every language.
#include <cstdint>
#include <string>

namespace dvx::model {

// 1 while an input page or input-calibration page fills its fields from the image:
// no hint is built then, so a fill never pops a hint box.
extern std::int16_t input_mask_filling;

// The hint for input type 0..20, lines joined by CR LF (none after the last); "" for
// any other type and while input_mask_filling is 1.
std::string sensor_hint_text(int type);
// The hint in a box (OK, no icon, title "DORVANEX") when there is one.
void show_sensor_hint(int type);

}  // namespace dvx::model

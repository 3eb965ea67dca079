#pragma once
// Setting one parameter on all devices behind an HZL3 gateway: the word that
// cmb_bulk_param names is written, with the value the parameter image holds now, into
// every device listed in liv_scan (row 1 first), each followed by the store command.
// The run yields once per device; the cancel button of bulk_update takes effect at
// the next row. A device that fails stops the run; nothing written is rolled back.
// However the run ends, the rack and address selections are put back on the device that
// was selected before it.
#include <cstdint>

namespace dvx::mainwin {

// The button cmd_bulk_set.
void cmd_bulk_set_Click();

// Writes parameter word p (register 1000 + p) from the image to the selected device,
// then the store command. ok := 1 when both were answered; else ok := 0 after
// msg_params_not_transmitted.
void set_one_param(std::int16_t p, std::int16_t& ok);

}  // namespace dvx::mainwin

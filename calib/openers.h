#pragma once
// Installs the main window's openers of the calibration sheets.
namespace dvx::calib {

void install_openers();

}  // namespace dvx::calib

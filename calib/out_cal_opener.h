#pragma once
// The main window's calibration menu item for the analog output: echo probe, version
// gate, the output kind read from register 26, then the output-calibration page
// prepared for that kind.
namespace dvx::calib {

void m_cal_out_Click();

}  // namespace dvx::calib

#pragma once
// The main window's calibration menu item for the inputs: the version gate, then the
// sheet of the model family and firmware generation, its sensor lists filled while
// they are empty, and its fill procedure.
namespace dvx::calib {

void m_cal_inp_Click();

}  // namespace dvx::calib

#include "calib/openers.h"

#include "calib/cal_openers.h"
#include "mainwin/page_openers.h"

namespace dvx::calib {

void install_openers() {
    auto& o = mainwin::page_openers();
    o.m_cal_inp = m_cal_inp_Click;
}

}  // namespace dvx::calib

#include "calib/openers.h"

#include "calib/cal_openers.h"
#include "calib/out_cal_opener.h"
#include "mainwin/page_openers.h"

namespace dvx::calib {

void install_openers() {
    auto& o = mainwin::page_openers();
    o.m_cal_inp = m_cal_inp_Click;
    o.m_cal_out = m_cal_out_Click;
}

}  // namespace dvx::calib

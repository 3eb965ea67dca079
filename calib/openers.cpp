#include "calib/openers.h"

#include "calib/cal_openers.h"
#include "calib/calib_mode.h"
#include "calib/out_cal_opener.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/page_openers.h"
#include "model/param_image.h"
#include "texts/messages.h"

namespace dvx::calib {

void install_openers() {
    auto& o = mainwin::page_openers();
    o.m_cal_inp = m_cal_inp_Click;
    o.m_cal_out = m_cal_out_Click;

    // A run whose switch back did not get through: finished at the next dialog with that
    // device, told at each one until then; the image never takes the run's type for the
    // device's own, and programming sets the type anew.
    auto& d = mainwin::device_dialog_hooks();
    d.starting = [] {
        if (finish_switch_back() != 0) mainwin::ops::show(texts::msg_calib_aborted);
    };
    d.read_in = [] {
        if (const auto own = unfinished_own_type()) model::param_image[99] = *own;
    };
    d.programmed = forget_switch_back;
}

}  // namespace dvx::calib

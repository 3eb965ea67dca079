#include "calib/fqn_calib.h"

#include "texts/captions_calib.h"

namespace dvx::calib {

Fqn_calib::Fqn_calib() : Form("FQN_CALIB", {0, 0, 3840, 1680}) {
    on_load = [this] { texts::set_lang_fqn_calib(*this); };
    Command3D1.on_click = [] { fqn_calib_inst->hide(); };
    // The frame's close is a Cancel: the box stays loaded with its captions.
    on_unload = [this](int& cancel) {
        cancel = 1;
        hide();
    };
}

}  // namespace dvx::calib

#include "calib/fqn_calib.h"

#include "texts/captions_calib.h"

namespace dvx::calib {

Fqn_calib::Fqn_calib() : Form("FQN_CALIB", {0, 0, 3840, 1680}) {
    on_load = [this] { texts::set_lang_fqn_calib(*this); };
    Command3D1.on_click = [] { fqn_calib_inst->hide(); };
    // The cancel, by button or frame, is heard also while a reading waits in a link pause.
    Command3D1.set_runs_while_busy();
    set_closes_while_busy();
    // The frame's close is a Cancel: the box stays loaded with its captions.
    on_unload = [this](int& cancel) {
        cancel = 1;
        hide();
    };
}

}  // namespace dvx::calib

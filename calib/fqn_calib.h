#pragma once
// The measuring-run box: shown modeless while a calibration run samples, hidden at
// every end of the run. Its visibility is the run's only cancel signal: Cancel (and
// closing the box by its frame) just hides it, the run notices at its next check.
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::calib {

class Fqn_calib : public ui::Form {
  public:
    Fqn_calib();

    ui::Label Label3{*this, "Label3", {240, 240, 3240, 255}};
    ui::CommandButton Command3D1{*this, "Command3D1", {1080, 720, 1560, 375}};
};

inline ui::FormRef<Fqn_calib> fqn_calib_inst;

}  // namespace dvx::calib

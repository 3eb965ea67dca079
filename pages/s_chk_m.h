#pragma once
// The DLX supervision page S_Chk_m: how a DLX transmitter's analog output and four alarm
// outputs react to each error source, the tolerances of its mA input and analog output
// (words 74, 76) and the no-blink bit of word 113. Rows the input kind (status word 2)
// does not have are hidden but filled and stored all the same.
#include "pages/supervision_page.h"

namespace dvx::pages {

class S_Chk_m : public SupervisionPage {
  public:
    S_Chk_m();

    // Fill: shows the tolerances, normalises the system group, shows the reactions (and
    // stores back what it read), then the rows of the input kind.
    void set_check_mask_m();
    void fill() override { set_check_mask_m(); }
};

inline ui::FormRef<S_Chk_m> s_chk_m_inst;

}  // namespace dvx::pages

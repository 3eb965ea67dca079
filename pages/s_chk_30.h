#pragma once
// The KRV supervision page S_Chk_30: how a KRV transmitter's analog output and four alarm
// outputs react to each error source of its self-supervision, the tolerances of its
// mV input, resistance input and analog output (words 77, 79, 76), from firmware 4.10 the
// thermocouple open-circuit limit (word 128), and the no-blink bit of word 113.
#include "pages/supervision_page.h"

namespace dvx::pages {

class S_Chk_30 : public SupervisionPage {
  public:
    S_Chk_30();

    // Fill: normalises the system group, then shows the image (and stores back the
    // reactions it read).
    void set_chk30_mask();
    // The blink box is offered for firmware 4.04 up to 4.09 and from 4.14.
    void show_blink_chk();
    void fill() override { set_chk30_mask(); }
};

inline ui::FormRef<S_Chk_30> s_chk_30_inst;

}  // namespace dvx::pages

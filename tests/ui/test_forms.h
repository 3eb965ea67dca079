#pragma once
// Small windows the layer's own tests drive.
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/services.h"

namespace dvx::ui::test {

// A page with two numeric fields, a list, check and option boxes in a frame, a
// button, a scroll bar and a timer.
class Page : public Form {
  public:
    Page() : Form("Seite_Ä", {0, 0, 9690, 8225}) {
        on_load = [this] {
            ++loads;
            cmb.add_item("COM1");
            cmb.add_item("COM2");
            cmb.add_item("COM3");
        };
        on_unload = [this](int& cancel) {
            ++unloads;
            cancel = refuse_unload;
        };
        on_activate = [this] { ++activations; };
    }
    Label lbl{*this, "lbl_title", {120, 120, 3000, 255}};
    TextBox txt_a{*this, "txt_a", {1800, 600, 1200, 315}};
    TextBox txt_b{*this, "txt_b", {1800, 1000, 1200, 315}};
    ComboBox cmb{*this, "cmb_port", {1800, 1400, 1200, 315}};
    Frame fra{*this, "fra_opt", {120, 2000, 4000, 1500}};
    CheckBox chk{fra, "chk_pool", {120, 240, 2000, 255}};
    OptionButton opt_a{fra, "opt_a", {120, 600, 2000, 255}};
    OptionButton opt_b{fra, "opt_b", {120, 900, 2000, 255}};
    OptionButton opt_c{*this, "opt_c", {5000, 600, 2000, 255}};  // another group
    CommandButton B_Zurueck{*this, "B_Zurück", {7000, 7000, 1200, 375}};
    VScrollBar vsb{*this, "vsb_out", {8500, 600, 255, 3000}};
    Timer tmr{*this, "tmr_poll"};

    int loads = 0, unloads = 0, activations = 0, refuse_unload = 0;
};

inline FormRef<Page> page_inst;

class Other : public Form {
  public:
    Other() : Form("Hauptmenü", {0, 0, 9690, 8225}) {
        on_load = [this] { ++loads; };
        on_activate = [this] { ++activations; };
    }
    TextBox txt{*this, "txt_main", {120, 120, 1200, 315}};
    CommandButton B_ok{*this, "B_ok", {120, 600, 1200, 375}};
    int loads = 0, activations = 0;
};

inline FormRef<Other> other_inst;

// A form without focusable controls.
class Bare : public Form {
  public:
    Bare() : Form("bare") {}
    Label lbl{*this, "lbl", {120, 120, 1000, 255}};
};

inline FormRef<Bare> bare_inst;

}  // namespace dvx::ui::test

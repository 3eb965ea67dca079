#pragma once
// The main window's side of opening a page: the firmware gate and the shared opening
// steps (placement handed over, page shown modeless, main window hidden, page painted
// and focused). The page's fill or entry procedure follows in the opener.
//
//   void B_io_Click() {
//       if (!version_gate(Titled::yes)) return;
//       open_page(h_inp_inst).set_inp_mask();
//   }
#include <cstdint>

#include "mainwin/hauptmenu.h"
#include "model/form_state.h"
#include "ui/form.h"

namespace dvx::pages {

enum class Titled { no, yes };

// check_version of the main window's curr_version; an unsupported version shows
// msg_sw_version_not_supported (OK, no icon; titled "DORVANEX", or with the
// application's own title) and gives false.
bool version_gate(Titled titled);

// Reads the output-mode word (register 26) for the output pages. Read: the main
// window's in_use is "1" and v_mode the word's high byte, the output-mode jumper code
// (above 20: a current output); the result is read_one_reg's (non-zero: not read,
// nothing set).
std::int16_t read_output_mode();

// Opens the page: copy_form_state from the main window (the page's first touch loads
// it), show modeless, hide the main window, repaint and focus the page.
template <class P>
P& open_page(ui::FormRef<P>& page) {
    auto& main = *mainwin::hauptmenu_inst;
    model::copy_form_state(main, page);
    P& p = *page;
    p.show_modeless();
    main.hide();
    p.refresh();
    p.set_focus();
    return p;
}

}  // namespace dvx::pages

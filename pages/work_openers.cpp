#include "pages/work_openers.h"

#include "mainwin/hauptmenu.h"
#include "pages/h_inp.h"
#include "pages/page_open.h"

namespace dvx::pages {

void B_io_Click() {
    if (!version_gate(Titled::yes)) return;
    open_page(h_inp_inst).set_inp_mask();
}

}  // namespace dvx::pages

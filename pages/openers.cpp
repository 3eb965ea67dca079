#include "pages/openers.h"

#include "mainwin/page_openers.h"
#include "pages/work_openers.h"
#include "pages/h_online.h"
#include "pages/wartung.h"

namespace dvx::pages {

void install_openers() {
    auto& o = mainwin::page_openers();
    o.B_io = B_io_Click;
    o.B_Out = B_Out_Click;
    o.B_dout = B_dout_Click;
    o.B_comment = B_comment_Click;
    o.B_online = B_online_Click;
    o.Command3D3 = Command3D3_Click;
    o.B_Schk = B_Schk_Click;
}

}  // namespace dvx::pages

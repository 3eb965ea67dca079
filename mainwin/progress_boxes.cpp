#include "mainwin/progress_boxes.h"

#include "texts/captions_dialogs.h"

namespace dvx::mainwin {

Adr_Seek::Adr_Seek() : Form("adr_seek", {0, 0, 4080, 1620}) {
    on_load = [this] { texts::set_lang_adr_seek(*this); };
    Command3D1.on_click = [this] { hide(); };
    // The cancel, by button or frame, is heard also while a device waits in a link pause.
    Command3D1.set_runs_while_busy();
    set_closes_while_busy();
}

Bulk_Update::Bulk_Update() : Form("bulk_update", {0, 0, 4080, 1620}) {
    set_caption("Bulk Update");
    Label1.set_caption("KRV:");
    lbl_rack.set_caption("BNR:");
    on_load = [this] { texts::set_lang_bulk_update(*this); };
    Command3D1.on_click = [this] { hide(); };
    // The cancel, by button or frame, is heard also while a device waits in a link pause.
    Command3D1.set_runs_while_busy();
    set_closes_while_busy();
}

}  // namespace dvx::mainwin

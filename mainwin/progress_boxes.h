#pragma once
// The two small progress boxes of the main window's long operations: adr_seek for the
// address search on the direct bus, bulk_update for setting one parameter on all
// devices behind a gateway. Each is shown modeless while its operation runs and
// unloaded at its end; its cancel button only hides it, and the running operation
// stops when it finds the box no longer visible.
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::mainwin {

class Adr_Seek : public ui::Form {
  public:
    Adr_Seek();

    // The address being tried.
    ui::Label Label1{*this, "Label1", {240, 240, 3480, 255}};
    ui::CommandButton Command3D1{*this, "Command3D1", {1080, 720, 1800, 375}};
};

inline ui::FormRef<Adr_Seek> adr_seek_inst;

class Bulk_Update : public ui::Form {
  public:
    Bulk_Update();

    // The device being written: its slot ("KRV:") and rack ("BNR:").
    ui::Label Label1{*this, "Label1", {240, 240, 600, 255}};
    ui::Label lbl_krv_no{*this, "lbl_krv_no", {960, 240, 600, 255}};
    ui::Label lbl_rack{*this, "lbl_rack", {1920, 240, 600, 255}};
    ui::Label lbl_rack_no{*this, "lbl_rack_no", {2640, 240, 600, 255}};
    ui::CommandButton Command3D1{*this, "Command3D1", {1080, 720, 1800, 375}};
};

inline ui::FormRef<Bulk_Update> bulk_update_inst;

// True while the box of `ref` is loaded and visible; never loads it.
template <class F>
bool box_still_up(const ui::FormRef<F>& ref) {
    const F* box = ref.peek();
    return box && box->visible();
}

}  // namespace dvx::mainwin

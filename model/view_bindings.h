#pragma once
// What the comment, supervision, block-transfer and model set-up code needs of the
// layers above the model: message texts by their name in the message table (texts/
// sits beside the model and links it, so the model cannot call it), the main window's
// hidden comment store and identity fields, and the family options and variant boxes
// the set-up selects. The main window installs these when it loads; until then, and
// in tests, they work on the detached values below.
//
// The readers of the same controls (S_KRV, S_SNAP, TH_XK, curr_version ...) stay in
// main_view_hooks.h; bind_detached_view() routes both to one detached set.
#include <functional>
#include <string>
#include <string_view>

namespace dvx::model {

struct ViewBindings {
    // The message table entry of that name (e.g. "msg_params_transmitted") in the
    // current language and family. Detached: the name itself, so a missing binding
    // shows up instead of an empty box.
    std::function<std::string(std::string_view name)> message;

    // The hidden comment store `Komentar` of the main window.
    std::function<std::string()> get_komentar;
    std::function<void(const std::string&)> set_komentar;
    // Identity fields the comment print-out reads: tag `Komentar1`, serial number
    // `Ser_No`, the text of the address list `Krv_adr`.
    std::function<std::string()> komentar1;
    std::function<std::string()> ser_no;
    std::function<std::string()> krv_adr;

    // Setting a family option or a variant box from code, as the form does it: the
    // control's Click handler runs (S_KRV / S_DLX switch is_krv and refill the
    // message table and captions).
    std::function<void(bool)> set_s_krv;
    std::function<void(bool)> set_s_dlx;
    std::function<void(bool)> set_s_snap;
    std::function<void(bool)> set_th_xk;
};

// The bindings in force.
ViewBindings& view_bindings();

// Plain values standing in for the controls while no window has bound itself.
struct DetachedView {
    std::string komentar;
    std::string komentar1;
    std::string ser_no;
    std::string krv_adr;
    bool s_krv = true;
    bool s_dlx = false;
    bool s_snap = false;
    bool th_xk = false;
};
DetachedView& detached_view();

// Resets the detached values and binds every entry of view_bindings() to them, and
// the family, variant and is_krv readers of main_view_hooks() as well.
void bind_detached_view();

// Shorthand for view_bindings().message(name).
std::string message(std::string_view name);

}  // namespace dvx::model

#include "model/view_bindings.h"

#include "model/main_view_hooks.h"

namespace dvx::model {

namespace {

ViewBindings detached_bindings() {
    ViewBindings b;
    b.message = [](std::string_view name) { return std::string(name); };
    b.get_komentar = [] { return detached_view().komentar; };
    b.set_komentar = [](const std::string& t) { detached_view().komentar = t; };
    b.komentar1 = [] { return detached_view().komentar1; };
    b.ser_no = [] { return detached_view().ser_no; };
    b.krv_adr = [] { return detached_view().krv_adr; };
    // Two option buttons of one frame: selecting one clears the other.
    b.set_s_krv = [](bool on) {
        detached_view().s_krv = on;
        if (on) detached_view().s_dlx = false;
    };
    b.set_s_dlx = [](bool on) {
        detached_view().s_dlx = on;
        if (on) detached_view().s_krv = false;
    };
    b.set_s_snap = [](bool on) { detached_view().s_snap = on; };
    b.set_th_xk = [](bool on) { detached_view().th_xk = on; };
    return b;
}

}  // namespace

ViewBindings& view_bindings() {
    static ViewBindings bindings = detached_bindings();
    return bindings;
}

DetachedView& detached_view() {
    static DetachedView view;
    return view;
}

void bind_detached_view() {
    detached_view() = DetachedView{};
    view_bindings() = detached_bindings();
    auto& h = main_view_hooks();
    h.s_krv = [] { return detached_view().s_krv; };
    h.s_dlx = [] { return detached_view().s_dlx; };
    h.is_krv = [] { return detached_view().s_krv; };
    h.s_snap = [] { return detached_view().s_snap; };
    h.th_xk = [] { return detached_view().th_xk; };
}

std::string message(std::string_view name) {
    return view_bindings().message(name);
}

}  // namespace dvx::model

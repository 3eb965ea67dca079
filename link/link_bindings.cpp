#include "link/link_bindings.h"

namespace dvx::link {

namespace {

struct Installed {
    LinkBindings bindings;
    bool bound = false;
};

Installed& installed() {
    static Installed i;
    return i;
}

}  // namespace

LinkBindings& bindings() {
    if (!installed().bound) bind_detached_controls();
    return installed().bindings;
}

DetachedControls& detached_controls() {
    static DetachedControls d;
    return d;
}

static TextBinding bind_text(std::string DetachedControls::*field) {
    return {[field] { return detached_controls().*field; },
            [field](const std::string& t) { detached_controls().*field = t; }};
}

static GridBinding bind_grid(std::map<std::pair<int, int>, std::string> DetachedControls::*field) {
    return {[field](int row, int col) {
                const auto& cells = detached_controls().*field;
                const auto it = cells.find({row, col});
                return it == cells.end() ? std::string() : it->second;
            },
            [field](int row, int col, const std::string& t) {
                (detached_controls().*field)[{row, col}] = t;
            }};
}

void bind_detached_controls() {
    detached_controls() = DetachedControls{};
    LinkBindings b;
    b.main.Com_select = [] { return detached_controls().Com_select; };
    b.main.adr_select = [] { return detached_controls().adr_select; };
    b.main.cmb_rack = [] { return detached_controls().cmb_rack; };
    b.hzl.txt_hzladr = bind_text(&DetachedControls::txt_hzladr);
    b.hzl.txt_hzlstrt = bind_text(&DetachedControls::txt_hzlstrt);
    b.hzl.flg_param = bind_grid(&DetachedControls::hzl_flg_param);
    b.hzl.flg_result = bind_grid(&DetachedControls::hzl_flg_result);
    b.hzl.lbl_ver_txt = [] { return detached_controls().lbl_ver_txt; };
    b.hzl3.flg_result = bind_grid(&DetachedControls::hzl3_flg_result);
    installed().bindings = std::move(b);
    installed().bound = true;
}

}  // namespace dvx::link

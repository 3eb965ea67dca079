#pragma once
// What the parameter model reads of the layers above it: a few controls of the main
// window (firmware field, family options, hardware-variant boxes, output-mode field)
// and the language and family owned by the texts module. The main window installs
// readers for them when it loads; until then, and in tests, the defaults below
// describe the state right after start (KRV family, German, nothing ticked).
#include <functional>
#include <string>

namespace dvx::model {

struct MainViewHooks {
    // Text of the firmware field `curr_version` (e.g. "4.05").
    std::function<std::string()> curr_version = [] { return std::string(); };
    // Family options `S_KRV` / `S_DLX` of the main window.
    std::function<bool()> s_krv = [] { return true; };
    std::function<bool()> s_dlx = [] { return false; };
    // Model family flag `is_krv` of the texts module.
    std::function<bool()> is_krv = [] { return true; };
    // Check boxes `S_SNAP` (hardware variant) and `TH_XK` (XK thermocouple naming).
    std::function<bool()> s_snap = [] { return false; };
    std::function<bool()> th_xk = [] { return false; };
    // Hidden output-mode field `v_mode` (output hardware code as decimal text).
    std::function<std::string()> v_mode = [] { return std::string("0"); };
    // Language code `lang_code` ("D", "GB", "NL"; anything else counts as German).
    std::function<std::string()> lang_code = [] { return std::string("D"); };
};

// The one installed set; assign a new MainViewHooks to reset it.
MainViewHooks& main_view_hooks();

}  // namespace dvx::model

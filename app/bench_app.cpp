// Figures for the desktop program (not a test): start-up to the shown main window on
// the offscreen platform, and what the renderer adds to a burst of 1000 property
// changes. Run from the build tree: app/dorvanex_bench [path/to/dorvanex]
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/renderer.h"
#include "app/twips.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/cp1252.h"
#include "platform/file_registry.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/headless_loop.h"
#include "ui/services.h"

namespace {

namespace fs = std::filesystem;
using dvx::ui::Form;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ms_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// Starts the program with a chosen language (so the main window comes first) and reads
// the time to its shown window from its report.
void startup(const std::string& exe) {
    const fs::path dir = fs::temp_directory_path() / ("dvx-bench-" + std::to_string(::getpid()));
    std::vector<double> shown, painted, whole;
    for (int run = 0; run < 7; ++run) {
        fs::remove_all(dir);
        fs::create_directories(dir / "home");
        dvx::platform::FileRegistry reg(dir / "home" / "registry");
        reg.create_key("SOFTWARE\\TAVRO\\DORVANEX");
        reg.set_value("SOFTWARE\\TAVRO\\DORVANEX", "LANGUAGE",
                      {dvx::platform::reg_sz, {'G', 'B', 0}});
        const std::string cmd =
            "cd '" + dir.string() + "' && env -u XDG_CONFIG_HOME HOME='" + (dir / "home").string() +
            "' DORVANEX_REGISTRY='" + (dir / "home" / "registry").string() +
            "' QT_QPA_PLATFORM=offscreen '" + exe + "' --simulate --screenshot shot.png 2>err.txt";
        const auto t0 = std::chrono::steady_clock::now();
        const int rc = std::system(cmd.c_str());
        whole.push_back(ms_since(t0));
        std::ifstream in(dir / "err.txt");
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string err = ss.str();
        const auto at = err.find("shown after ");
        if (rc != 0 || at == std::string::npos) {
            std::fprintf(stderr, "run %d failed (%d): %s\n", run, rc,
                         dvx::platform::system_to_utf8(err).c_str());
            continue;
        }
        shown.push_back(std::atof(err.c_str() + at + 12));
        if (const auto p = err.find("painted after "); p != std::string::npos)
            painted.push_back(std::atof(err.c_str() + p + 14));
    }
    fs::remove_all(dir);
    std::printf(
        "start-up to the shown main window (offscreen): median %.1f ms, best %.1f ms; painted:"
        " median %.1f ms (%zu runs); whole process incl. the PNG and exit: median %.1f ms\n",
        median(shown), shown.empty() ? 0 : *std::min_element(shown.begin(), shown.end()),
        median(painted), shown.size(), median(whole));
}

class BurstForm : public Form {
  public:
    BurstForm() : Form("burst", {0, 0, 6000, 4500}) {
        for (int i = 0; i < 20; ++i) lst.add_item("item " + std::to_string(i));
    }
    dvx::ui::Label lbl{*this, "lbl", {120, 120, 2400, 255}};
    dvx::ui::TextBox txt{*this, "txt", {120, 480, 2400, 315}};
    dvx::ui::ListBox lst{*this, "lst", {120, 900, 2400, 1500}};
    dvx::ui::Gauge gau{*this, "gau", {2640, 120, 300, 2000}};
};

// 1000 changes over four controls, as a polling loop updates a page.
void burst(BurstForm& f, int round) {
    for (int i = 0; i < 250; ++i) {
        const std::string v = std::to_string(round * 1000 + i);
        f.lbl.set_caption("Value " + v);
        f.txt.set_text(v);
        f.lst.set_list_index(i % 20);
        f.gau.set_value(i % 100);
    }
}

void renderer_burst() {
    dvx::platform::VirtualClock clock;
    dvx::ui::HeadlessLoop loop(clock);
    auto& s = dvx::ui::services();
    s.clock = &clock;
    s.loop = &loop;
    BurstForm f;
    f.load();
    const int rounds = 200;
    std::vector<double> bare, marked, flushed, painted;
    {
        f.show_modeless();
        for (int r = 0; r < rounds; ++r) {
            const auto t0 = std::chrono::steady_clock::now();
            burst(f, r);
            bare.push_back(ms_since(t0));
        }
    }
    f.hide();
    {
        dvx::app::Renderer renderer;
        f.show_modeless();
        renderer.flush();
        for (int r = 0; r < rounds; ++r) {
            auto t0 = std::chrono::steady_clock::now();
            burst(f, r);
            marked.push_back(ms_since(t0));
            t0 = std::chrono::steady_clock::now();
            renderer.flush();
            flushed.push_back(ms_since(t0));
            t0 = std::chrono::steady_clock::now();
            QCoreApplication::processEvents();  // Qt repaints what changed
            painted.push_back(ms_since(t0));
        }
        f.hide();
    }
    const double b = median(bare), m = median(marked), fl = median(flushed);
    std::printf(
        "burst of 1000 property changes: %.3f ms without a renderer, %.3f ms with it"
        " (+%.3f ms while the changes are made), flush to the widgets %.3f ms;"
        " the renderer adds %.3f ms in all; Qt's repaint afterwards %.3f ms\n",
        b, m, m - b, fl, m - b + fl, median(painted));
    dvx::ui::reset_forms();
    s = dvx::ui::Services{};
}

constexpr const char* usage =
    "Usage: dorvanex_bench [PROGRAM]\n"
    "Start-up of PROGRAM (default: the dorvanex built with it) to its shown main window\n"
    "on the offscreen platform, and what the renderer adds to a burst of 1000 property\n"
    "changes.\n"
    "  --version   shows the version and ends\n"
    "  -h, --help  shows this text and ends\n";
constexpr dvx::platform::Program program{.name = "dorvanex_bench",
                                         .version = DVX_VERSION,
                                         .usage = usage,
                                         .options = {},
                                         .arguments = 1};

}  // namespace

int main(int argc, char** argv) {
    namespace platform = dvx::platform;
    const platform::CommandLine line = platform::parse(program, argc, argv);
    if (const auto code = platform::answer(program, line)) return *code;
    const std::string exe = line.arguments.empty() ? DVX_EXE : line.arguments[0];
    if (::access(exe.c_str(), X_OK) != 0)
        return platform::refuse(program, "cannot run " + exe + ": " + std::strerror(errno));
    startup(exe);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dvx::app::set_screen_dpi(96);
    renderer_burst();
    return 0;
}

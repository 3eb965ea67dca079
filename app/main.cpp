// dorvanex: the desktop program. Installs the real platform services, runs the
// program start and then lives on Qt's event loop until the program ends or no window
// is shown any more.
#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_loop.h"
#include "app/qt_services.h"
#include "app/qt_translations.h"
#include "app/renderer.h"
#include "app/signal_end.h"
#include "app/sim_bus_port.h"
#include "app/twips.h"
#include "calib/openers.h"
#include "gateway/openers.h"
#include "mainwin/program_start.h"
#include "pages/openers.h"
#include "platform/command_line.h"
#include "platform/cp1252.h"
#include "platform/fault.h"
#include "platform/file_registry.h"
#include "platform/files.h"
#include "platform/posix_serial_port.h"
#include "sim/plant.h"
#include "ui/app.h"
#include "ui/form.h"
#include "ui/services.h"

namespace {

constexpr const char* usage_text =
    "Usage: dorvanex [--simulate] [--preset [COMn=]FILE]... [--screenshot FILE]\n"
    "  --simulate         simulated lines: COM1 leads to the built-in devices, the\n"
    "                     other COM ports to empty lines\n"
    "  --preset [COMn=]FILE\n"
    "                     the devices of a preset file on COMn (COM1 when not given);\n"
    "                     may be repeated, one port each; implies --simulate\n"
    "  --screenshot FILE  writes a PNG picture of the first shown window, then ends\n"
    "                     (offscreen when there is no display)\n"
    "  --version          shows the version and ends\n"
    "  -h, --help         shows this text and ends\n"
    "Environment:\n"
    "  DORVANEX_REGISTRY  the settings file, or a folder to keep it in (default\n"
    "                     $XDG_CONFIG_HOME/dorvanex/registry)\n"
    "  DORVANEX_COM<n>    the device of COMn, before ports.conf (default /dev/ttyS<n-1>)\n"
    "  DORVANEX_PRINT_PDF prints to this PDF file without asking\n"
    "  XDG_CONFIG_HOME    the folder of dorvanex/registry and dorvanex/ports.conf\n"
    "                     (default ~/.config)\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/dorvanex/ports.conf\n"
    "                     lines COMn=PATH name the device of COMn; \"#\" begins a comment\n"
    "  krv_con.cfg and the marker files (HZL_mod.cfg, ...) in the current folder\n"
    "Language: German, English or Dutch, the LANGUAGE value of the settings file (D, GB,\n"
    "NL); without one the first start asks in a window of its own, and the Language\n"
    "menu of the main window changes it.\n"
    "Exit codes: 0 ended, 1 the start gave up or a run-time error, 2 a wrong argument,\n"
    "3 --screenshot showed no window, 4 a box no one could answer (no screen),\n"
    "5 --screenshot could not write the picture.\n"
    "SIGINT, SIGTERM and SIGHUP end it as the user would: boxes cancelled, windows\n"
    "closed, then the main window (exit code 0); a second one ends it at once.\n";

// clang-format off
constexpr dvx::platform::Option options[] = {
    // name         short  value  repeats  a missing value
    {"--simulate",   "",   false, false,   ""},
    {"--preset",     "",   true,  true,    "--preset needs a file ([COMn=]FILE)"},
    {"--screenshot", "",   true,  false,   "--screenshot needs a file"},
};
// clang-format on
constexpr dvx::platform::Program program{.name = "dorvanex",
                                         .version = DVX_VERSION,
                                         .usage = usage_text,
                                         .options = options,
                                         .arguments = 0};

// The ports of the presets, one plant a port; empty when they are sound, else what is
// wrong with the first one that is not.
std::string place_presets(const std::vector<std::string>& args,
                          std::vector<dvx::app::PresetPlace>& presets) {
    for (const std::string& arg : args) {
        std::string why;
        const auto place = dvx::app::parse_preset_place(arg, &why);
        if (!place) return why;
        for (const auto& other : presets)
            if (other.port == place->port)
                return "two presets for COM" + std::to_string(place->port);
        presets.push_back(*place);
    }
    return {};
}

bool offscreen() {
    const QString p = QGuiApplication::platformName();
    return p == "offscreen" || p == "minimal";
}

// DORVANEX_REGISTRY names the settings file (or a folder to keep it in); else the XDG
// config folder's dorvanex/registry.
std::filesystem::path registry_path() {
    const char* env = std::getenv("DORVANEX_REGISTRY");
    if (!env || !*env) return dvx::platform::FileRegistry::default_path();
    std::filesystem::path p(env);
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) p /= "registry";
    return p;
}

// Exit codes of --screenshot: the program ended before any window was shown; the
// picture was taken but could not be written.
constexpr int exit_no_window = 3;
constexpr int exit_no_picture = 5;

// Writes the picture as PNG; empty when it was written, else why not (UTF-8, the
// system's reason where it gave one). The file gets exactly the bytes of its name: Qt
// would take the name as text and lose a byte that is no UTF-8.
std::string write_png(const QPixmap& picture, const std::string& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return "the picture could not be made into a PNG";
    if (const int err = dvx::platform::write_output_file(
            path, {png.constData(), static_cast<std::size_t>(png.size())}))
        return dvx::platform::to_utf8(dvx::platform::system_reason(err));
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace dvx;
    const auto started = std::chrono::steady_clock::now();
    const platform::CommandLine line = platform::parse(program, argc, argv);
    if (const auto code = platform::answer(program, line)) return *code;
    std::vector<app::PresetPlace> presets;
    if (const std::string wrong = place_presets(line.values("--preset"), presets); !wrong.empty())
        return platform::refuse(program, wrong);
    const bool simulate = line.has("--simulate") || !presets.empty();  // a preset implies it
    const std::string screenshot = line.value("--screenshot");

    // The port first: a preset that cannot be read is refused before any window.
    platform::SteadyClock clock;
    std::unique_ptr<platform::SerialPort> port;
    if (!presets.empty()) {
        std::map<int, sim::Plant> plants;
        for (const auto& place : presets) {
            try {
                plants.emplace(place.port, sim::Plant::from_file(place.path));
            } catch (const std::exception& e) {  // names the file, in the system's bytes
                std::fprintf(stderr, "dorvanex: %s\n", platform::system_to_utf8(e.what()).c_str());
                return 2;
            }
        }
        port = std::make_unique<app::SimBusPort>(clock, std::move(plants));
    } else if (simulate) {
        port = std::make_unique<app::SimBusPort>(clock);
    } else {
        port = platform::make_posix_serial_port();
        // Lines of ports.conf that name no port are told, not silently skipped.
        for (const std::string& fault : platform::ports_conf_faults(platform::ports_conf_path()))
            std::fprintf(stderr, "dorvanex: %s\n", platform::system_to_utf8(fault).c_str());
    }

    // A picture needs no screen: without a display it is taken offscreen.
    if (!screenshot.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("dorvanex");
    QApplication::setDesktopFileName("dorvanex");
    QApplication::setWindowIcon(app::window_icon());
    QApplication::setQuitOnLastWindowClosed(false);  // the layer decides when it ends
    app::use_primary_screen();
    // Qt's own dialogs speak the language of the message table from its first filling on.
    app::QtTranslations translations;
    translations.follow_message_table();

    // With no screen of its own (offscreen, or a picture to take) no one can answer a box.
    app::set_nobody_answers(offscreen() || !screenshot.empty());

    app::QtEventLoop loop(clock);
    const app::SignalEnd signal_end(loop, mainwin::close_session_windows, mainwin::end_session);
    app::QtMessageBoxes boxes;
    app::QtFileDialogs dialogs;
    app::QtPrinter printer;
    app::QtTextMetrics metrics;
    platform::DiskFiles files;  // the current working folder
    platform::FileRegistry registry(registry_path());

    auto& s = ui::services();
    s.clock = &clock;
    s.loop = &loop;
    s.boxes = &boxes;
    s.dialogs = &dialogs;
    s.printer = &printer;
    s.metrics = &metrics;
    s.files = &files;
    s.registry = &registry;
    s.port = port.get();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        s.screen_width = app::to_twips(screen->geometry().width());
        s.screen_height = app::to_twips(screen->geometry().height());
    }

    auto renderer = std::make_unique<app::Renderer>();
    loop.on_unhandled = [](const std::string& what) {
        std::fprintf(stderr, "dorvanex: run-time error: %s\n", platform::to_utf8(what).c_str());
        if (!app::nobody_answers())
            QMessageBox::critical(nullptr, "DORVANEX", app::qstr("Run-time error:\n" + what));
    };

    // --screenshot: once the first window is shown and the loop has gone idle (its Load
    // and the start-up code have run), picture it and end.
    bool shot = false;      // a window was pictured
    std::string shot_fault;  // why its picture could not be written
    double shown_ms = -1;
    QPointer<QWidget> first;
    std::string first_name;
    if (!screenshot.empty()) {
        renderer->on_shown = [&](ui::Form& f) {
            if (first) return;
            shown_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                 started)
                           .count();
            first = renderer->window(f);
            first_name = platform::to_utf8(f.name());
            QTimer::singleShot(0, [&] {
                if (!first || !first->isVisible()) return;
                renderer->flush();
                QCoreApplication::processEvents();
                const QPixmap picture = first->grab();  // paints every widget
                const double painted_ms = std::chrono::duration<double, std::milli>(
                                              std::chrono::steady_clock::now() - started)
                                              .count();
                shot = true;
                shot_fault = write_png(picture, screenshot);
                std::fprintf(stderr,
                             "dorvanex: window \"%s\" shown after %.1f ms, painted after %.1f ms\n",
                             first_name.c_str(), shown_ms, painted_ms);
                if (!shot_fault.empty())
                    std::fprintf(stderr, "dorvanex: cannot write the picture %s: %s\n",
                                 platform::system_to_utf8(screenshot).c_str(), shot_fault.c_str());
                loop.post([] { ui::end_program(); });
            });
        };
    }

    int code = 0;
    try {
        pages::install_openers();
        calib::install_openers();
        gateway::install_openers();
        mainwin::Main();
        code = loop.run();
    } catch (const ui::ProgramEnded&) {
        code = ui::program_exit_code();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dorvanex: run-time error: %s\n",
                     platform::to_utf8(platform::text_of(e)).c_str());
        code = 1;
    }
    if (!screenshot.empty() && code == 0) {
        if (!shot) {
            std::fputs("dorvanex: no window was shown\n", stderr);
            code = exit_no_window;
        } else if (!shot_fault.empty()) {
            code = exit_no_picture;
        }
    }

    renderer.reset();
    ui::reset_forms();
    s = ui::Services{};
    return code;
}

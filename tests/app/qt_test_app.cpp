#include "tests/app/qt_test_app.h"

#include <unistd.h>

#include <QApplication>
#include <QSettings>
#include <filesystem>
#include <string>

#include "app/twips.h"

// Fontconfig keeps its caches until the process ends; the test program's QApplication
// is never destroyed, so those are not leaks of ours. On the xcb platform Qt's D-Bus
// thread leaves a read buffer of libdbus behind in the same way, and the C library its
// list of locale folders (tests/support/locales.cpp).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libdbus-1.so\nleak:__argz_add_sep\n";
}

namespace dvx::testing {

QApplication& qt_app() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt's own user settings (the file dialog's history) go to a folder of the test
        // program's, removed when it ends, never to the user's home folder.
        static const struct SettingsDir {
            std::filesystem::path path = std::filesystem::temp_directory_path() /
                                         ("dvx-qt-settings-" + std::to_string(::getpid()));
            ~SettingsDir() {
                std::error_code ec;
                std::filesystem::remove_all(path, ec);
            }
        } settings;
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope,
                               QString::fromStdString(settings.path.string()));
        auto* a = new QApplication(argc, argv);  // lives as long as the test program
        QApplication::setQuitOnLastWindowClosed(false);
        app::set_screen_dpi(96);  // twips to pixels exactly 15:1 in the expectations
        return a;
    }();
    return *app;
}

}  // namespace dvx::testing

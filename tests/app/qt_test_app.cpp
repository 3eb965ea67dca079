#include "tests/app/qt_test_app.h"

#include <unistd.h>

#include <QApplication>
#include <QFontMetrics>
#include <QSettings>
#include <filesystem>
#include <string>

#include "app/twips.h"

#if defined(__SANITIZE_ADDRESS__)
#define DVX_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DVX_LEAK_CHECKED 1
#endif
#endif
#ifdef DVX_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

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
        QApplication* a = nullptr;
        {
            // What Qt and fontconfig keep for the whole process, made here with the
            // font database: the leak check skips it, so no leak of theirs has to be
            // matched against the suppressions above, which costs each test program a
            // third of a second of reading debug information at its end.
#ifdef DVX_LEAK_CHECKED
            const __lsan::ScopedDisabler qt_own;
#endif
            a = new QApplication(argc, argv);  // lives as long as the test program
            (void)QFontMetrics(QApplication::font()).height();
        }
        QApplication::setQuitOnLastWindowClosed(false);
        app::set_screen_dpi(96);  // twips to pixels exactly 15:1 in the expectations
        return a;
    }();
    return *app;
}

}  // namespace dvx::testing

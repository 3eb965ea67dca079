#include "tests/app/qt_test_app.h"

#include <QApplication>

#include "app/twips.h"

// Fontconfig keeps its caches until the process ends; the test program's QApplication
// is never destroyed, so those are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace dvx::testing {

QApplication& qt_app() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);  // lives as long as the test program
        QApplication::setQuitOnLastWindowClosed(false);
        app::set_screen_dpi(96);  // twips to pixels exactly 15:1 in the expectations
        return a;
    }();
    return *app;
}

}  // namespace dvx::testing

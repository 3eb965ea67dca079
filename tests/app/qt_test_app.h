#pragma once
// The one QApplication of the test program, on Qt's offscreen platform unless
// QT_QPA_PLATFORM names another. Made on first use (not while tests are listed).
class QApplication;

namespace dvx::testing {

QApplication& qt_app();

}  // namespace dvx::testing

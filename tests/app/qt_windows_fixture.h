#pragma once
// The program's windows on Qt's offscreen platform: the real renderer, the main window on
// the simulated bus, every page, sheet and gateway page reachable by its button or menu,
// and every box answered OK unless a test says otherwise.
#include <QApplication>
#include <memory>

#include "app/renderer.h"
#include "calib/openers.h"
#include "gateway/openers.h"
#include "mainwin/page_openers.h"
#include "pages/openers.h"
#include "tests/app/qt_steps.h"
#include "tests/app/qt_test_app.h"
#include "tests/mainwin/device_fixture.h"

namespace dvx::testing {

class QtWindowsFixture : public DeviceFixture {
  protected:
    void SetUp() override {
        qt_app();
        DeviceFixture::SetUp();
        renderer_ = std::make_unique<app::Renderer>();
        pages::install_openers();
        calib::install_openers();
        gateway::install_openers();
        boxes_.answer_all(ui::id_ok);
    }
    void TearDown() override {
        // A drop-down list a test left open goes with the windows.
        for (QWidget* p = QApplication::activePopupWidget(); p;
             p = QApplication::activePopupWidget())
            p->close();
        renderer_.reset();
        mainwin::page_openers() = {};
        DeviceFixture::TearDown();
    }

    std::unique_ptr<app::Renderer> renderer_;
};

}  // namespace dvx::testing

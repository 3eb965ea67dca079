#pragma once
// A fixture with the test doubles of every service, the renderer, and one form of
// type F loaded, shown and rendered; the event log starts empty.
#include <memory>

#include "app/renderer.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/services_fixture.h"

namespace dvx::testing {

template <class F>
class RenderedForm : public ServicesFixture {
  protected:
    void SetUp() override {
        qt_app();
        ServicesFixture::SetUp();
        renderer_ = std::make_unique<app::Renderer>();
        form_ = std::make_unique<F>();
        form_->load();
        form_->show_modeless();
        renderer_->flush();
        log_.clear();
    }
    void TearDown() override {
        renderer_.reset();
        ServicesFixture::TearDown();
        form_.reset();
    }

    std::unique_ptr<app::Renderer> renderer_;
    std::unique_ptr<F> form_;
};

}  // namespace dvx::testing

#pragma once
// A fixture with the test doubles of every service, the renderer, and one form of
// type F loaded, shown and rendered; the event log starts empty. Its steps: settle Qt
// and the layer, a control's widget, the keys to a control.
#include <memory>

#include "app/renderer.h"
#include "tests/app/qt_steps.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/services_fixture.h"
#include "ui/app.h"
#include "ui/input.h"

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

    // Qt's events and the layer's input run until both are quiet.
    void settle() { settle_qt(loop_, *renderer_); }
    QWidget* w(ui::Control& c) { return renderer_->widget(c); }
    // The keys to `c`, as by a click on it.
    void keys_to(ui::Control& c) {
        loop_.post([&c] { ui::user_focus(c); });
        settle();
        ASSERT_EQ(ui::focus_owner(), &c);
    }

    std::unique_ptr<app::Renderer> renderer_;
    std::unique_ptr<F> form_;
};

}  // namespace dvx::testing

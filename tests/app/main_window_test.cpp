// The real program start rendered in-process: every control of the main window is a
// widget at its designed place, shown exactly when the layer shows it.
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "app/renderer.h"
#include "app/sim_bus_port.h"
#include "app/twips.h"
#include "mainwin/program_start.h"
#include "model/reg_settings.h"
#include "platform/cp1252.h"
#include "platform/posix_serial_port.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/services_fixture.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::testing {
namespace {

class MainWindowTest : public ServicesFixture {
  protected:
    void SetUp() override {
        qt_app();
        ServicesFixture::SetUp();
        ui::services().port = &port_;
        renderer_ = std::make_unique<app::Renderer>();
    }
    void TearDown() override {
        renderer_.reset();
        ServicesFixture::TearDown();
    }
    // Runs the program start with English chosen; returns the shown main window.
    ui::Form* start_main() {
        if (!registry_.create_key(model::reg_key) ||
            !registry_.set_value(model::reg_key, model::reg_language,
                                 {platform::reg_sz, {'G', 'B', 0}}))
            return nullptr;
        mainwin::Main();
        loop_.run_pending();
        renderer_->flush();
        return ui::active_form();
    }
    app::SimBusPort port_{clock_};
    std::unique_ptr<app::Renderer> renderer_;
};

TEST_F(MainWindowTest, EveryControlIsAWidgetInItsPlace) {
    ui::Form* main = start_main();
    ASSERT_NE(main, nullptr);
    QWidget* win = renderer_->window(*main);
    ASSERT_NE(win, nullptr);
    EXPECT_TRUE(win->isVisible());

    int checked = 0;
    for (ui::Control* c : main->controls()) {
        const ui::Kind k = c->kind();
        if (k == ui::Kind::menu || k == ui::Kind::timer || k == ui::Kind::comm ||
            k == ui::Kind::common_dialog)
            continue;
        SCOPED_TRACE(platform::to_utf8(c->name()) +
                     (c->index() >= 0 ? "(" + std::to_string(c->index()) + ")" : ""));
        QWidget* w = renderer_->widget(*c);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->isVisibleTo(win), c->shown());
        if (k == ui::Kind::line) continue;  // placed by its end points
        int dy = 0;
        if (c->container() && c->container()->kind() == ui::Kind::tab_control)
            dy = static_cast<QTabWidget*>(renderer_->widget(*c->container()))
                     ->tabBar()
                     ->sizeHint()
                     .height();
        EXPECT_EQ(w->geometry(),
                  QRect(app::to_px(c->left()), app::to_px(c->top()) - dy,
                        std::max(1, app::to_px(c->width())), std::max(1, app::to_px(c->height()))));
        EXPECT_EQ(w->isEnabled(), c->usable());
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

// Without --simulate the real port is behind COM1: with no device there the main window
// comes up with its device buttons disabled and no message (an unscripted box fails the
// test); on the simulated bus they are enabled.
TEST_F(MainWindowTest, DeviceButtonsShowWhetherThePortOpened) {
    const std::string no_device = (dir_ / "no-such-tty").string();
    ::setenv("DORVANEX_COM1", no_device.c_str(), 1);
    auto real = platform::make_posix_serial_port();
    struct Case {
        const char* name;
        platform::SerialPort* port;
        bool enabled;
    };
    for (const Case& c :
         {Case{"real port, no device", real.get(), false}, Case{"simulated bus", &port_, true}}) {
        SCOPED_TRACE(c.name);
        ui::services().port = c.port;
        ui::Form* main = start_main();
        ASSERT_NE(main, nullptr);
        for (const char* name : {"B_FQN_Read", "B_FQN_Write", "B_Out", "B_online"}) {
            SCOPED_TRACE(name);
            ui::Control* button = main->control(name);
            ASSERT_NE(button, nullptr);
            QWidget* w = renderer_->widget(*button);
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(w->isEnabled(), c.enabled);
        }
        ui::reset_forms();
    }
    ::unsetenv("DORVANEX_COM1");
}

}  // namespace
}  // namespace dvx::testing

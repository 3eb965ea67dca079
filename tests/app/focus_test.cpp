// One keyboard focus in the desktop program: the widget Qt gives the keys to is the
// window layer's focused control, through mouse clicks, refusals and every kind of box.
// The program runs on the simulated bus with the real renderer and Qt's own boxes,
// answered by key as a user would; the layer's loop keeps virtual time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_services.h"
#include "app/renderer.h"
#include "app/sim_bus_port.h"
#include "calib/openers.h"
#include "gateway/openers.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "app/twips.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "model/sensor_hint.h"
#include "pages/h_inp.h"
#include "pages/openers.h"
#include "tests/app/qt_test_app.h"
#include "tests/mainwin/main_window_fixture.h"
#include "ui/app.h"
#include "ui/cp1252.h"

namespace dvx::testing {
namespace {

class OneFocus : public MainWindowFixture {
  protected:
    void SetUp() override {
        qt_app();
        MainWindowFixture::SetUp();
        model::mask_filling = 0;
        model::input_mask_filling = 0;
        ui::services().port = &port_;
        ui::services().boxes = &qt_boxes_;
        renderer_ = std::make_unique<app::Renderer>();
        pages::install_openers();
        QObject::connect(&answer_, &QTimer::timeout, [this] { answer_box(); });
        answer_.start(2);
    }
    void TearDown() override {
        answer_.stop();
        renderer_.reset();
        mainwin::page_openers() = {};
        MainWindowFixture::TearDown();
    }

    void answer_box() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        box_texts_.push_back(app::cp1252(box->text()));
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(target, Qt::Key_Return);
    }

    // Qt's events and the layer's queued input, until both are quiet.
    void settle() {
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            loop_.run_pending();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (loop_.pending() == 0 && renderer_->pending_changes() == 0) return;
        }
    }

    QWidget* w(ui::Control& c) {
        QWidget* x = renderer_->widget(c);
        EXPECT_NE(x, nullptr);
        return x;
    }
    void click(ui::Control& c) {
        QTest::mouseClick(w(c), Qt::LeftButton);
        settle();
    }
    // Where the keyboard's keys go now.
    static QWidget* keyboard() {
        if (QWidget* p = QApplication::activePopupWidget()) return p->focusWidget() ? p->focusWidget() : p;
        if (QWidget* f = QApplication::focusWidget()) return f;
        return QApplication::activeWindow();
    }
    void key(Qt::Key k) {
        QWidget* t = keyboard();
        ASSERT_NE(t, nullptr);
        QTest::keyClick(t, k);
        settle();
    }
    void type(const char* text) {
        for (const char* p = text; *p; ++p) {
            QWidget* t = keyboard();
            ASSERT_NE(t, nullptr);
            QTest::keyClick(t, *p);
            settle();
        }
    }
    // Clears the field the keys go to.
    void clear_field() {
        key(Qt::Key_End);
        for (int i = 0; i < 8; ++i) key(Qt::Key_Backspace);
    }

    void start_and_read(int address) {
        set_reg(model::reg_language, "GB");
        mainwin::Main();
        settle();
        ASSERT_TRUE(mainwin::hauptmenu_inst.loaded());
        loop_.post([this, address] { ui::user_select(main().adr_select, address - 1); });
        settle();
        click(main().B_FQN_Read);
        box_texts_.clear();
    }

    void expect_one_focus(const char* where) {
        SCOPED_TRACE(where);
        ui::Control* c = ui::focus_owner();
        QWidget* want = c ? renderer_->widget(*c) : nullptr;
        EXPECT_EQ(QApplication::focusWidget(), want)
            << "layer: " << (c ? ui::to_utf8(c->name()) : "none") << ", Qt: "
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                            : "none");
    }

    app::SimBusPort port_{clock_};
    app::QtMessageBoxes qt_boxes_;
    std::unique_ptr<app::Renderer> renderer_;
    QTimer answer_;
    std::vector<std::string> box_texts_;
};

TEST_F(OneFocus, KrvInputPage) {
    start_and_read(1);
    expect_one_focus("main");
    click(main().B_io);
    pages::H_Inp& page = *pages::h_inp_inst.peek();
    expect_one_focus("page");
    click(page.Mesb_0);
    expect_one_focus("clicked start");
    clear_field();
    type("9999");
    key(Qt::Key_Tab);
    expect_one_focus("after refusal");
    click(page.Mesb_1);
    expect_one_focus("clicked end");
    clear_field();
    type("350");
    key(Qt::Key_Tab);
    EXPECT_EQ(box_texts_, std::vector<std::string>{"Entered value is to large.\nPlease, enter a value till 800"});
    EXPECT_EQ(model::param_image[97], 0);
    EXPECT_EQ(model::param_image[98], 350);
}

}  // namespace
}  // namespace dvx::testing

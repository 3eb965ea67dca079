// The window layer's loop on Qt's: timers, yielding waits, modal forms and the top
// level run on it unchanged. These run on the real clock, so the times are kept to a
// few tens of milliseconds.
#include "app/qt_loop.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_services.h"
#include "app/renderer.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/services_fixture.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/fault.h"
#include "ui/file_dialog.h"
#include "ui/form.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

class Ticker : public ui::Form {
  public:
    Ticker() : Form("ticker", {0, 0, 3000, 2000}) {
        tmr.set_interval(10);
        tmr.on_timer = [this] { ++ticks; };
        B_ok.set_caption("OK");
        B_ok.on_click = [this] {
            if (fault) throw ui::UiFault("Overflow");
            if (end) ui::end_program();
            unload();
        };
    }
    ui::Timer tmr{*this, "tmr"};
    ui::CommandButton B_ok{*this, "B_ok", {120, 120, 1200, 375}};
    int ticks = 0;
    bool fault = false;
    bool end = false;
};

class QtLoopTest : public ServicesFixture {
  protected:
    void SetUp() override {
        qt_app();
        ServicesFixture::SetUp();
        ui::services().clock = &steady_;
        ui::services().loop = &loop_qt_;
        renderer_ = std::make_unique<app::Renderer>();
    }
    void TearDown() override {
        renderer_.reset();
        ServicesFixture::TearDown();
        form_.reset();
    }
    Ticker& make_form() {
        form_ = std::make_unique<Ticker>();
        form_->load();
        return *form_;
    }
    // Clicks the rendered OK button from Qt after `ms`, as a user would.
    void click_ok_after(int ms) {
        QTimer::singleShot(ms, [this] {
            if (QWidget* b = renderer_->widget(form_->B_ok)) QTest::mouseClick(b, Qt::LeftButton);
        });
    }

    platform::SteadyClock steady_;
    app::QtEventLoop loop_qt_{steady_};
    std::unique_ptr<app::Renderer> renderer_;
    std::unique_ptr<Ticker> form_;
};

TEST_F(QtLoopTest, TimersTickDuringAYieldingWaitAndInputRunsInOrder) {
    Ticker& f = make_form();
    std::vector<int> order;
    loop_qt_.post([&] { order.push_back(1); });
    loop_qt_.post([&] {
        order.push_back(2);
        loop_qt_.post([&] { order.push_back(3); });  // waits for the next pump point
        EXPECT_EQ(order.size(), 2u);
    });
    const double start = steady_.now();
    ui::wait_yielding(0.06);
    const double took = steady_.now() - start;
    EXPECT_GE(took, 0.06);
    EXPECT_LT(took, 0.5);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    // 10 ms ticks over 60 ms: a late timer ticks once, so a loaded machine gives fewer.
    EXPECT_GE(f.ticks, 2);
    EXPECT_LE(f.ticks, 7);
}

// do_events takes Qt's pending events (a user's click on a rendered button among them)
// and runs the input queued before it, once; what that input queues waits.
TEST_F(QtLoopTest, DoEventsRunsWhatIsPendingOnce) {
    Ticker& f = make_form();
    f.show_modeless();
    std::vector<int> order;
    loop_qt_.post([&] {
        order.push_back(1);
        loop_qt_.post([&] { order.push_back(2); });
    });
    click_ok_after(0);
    ui::do_events();
    EXPECT_EQ(order, std::vector<int>{1});
    EXPECT_EQ(log_.only({"Click"}), std::vector<std::string>{"B_ok.Click"});
    EXPECT_FALSE(f.loaded());
    ui::do_events();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

// Records what a label showed each time it was painted.
class PaintLog : public QObject {
  public:
    explicit PaintLog(QWidget* w) : w_(w) { w->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == w_ && e->type() == QEvent::Paint) {
            if (auto* label = qobject_cast<QLabel*>(w_))
                painted.push_back(label->text().toStdString());
        }
        return false;
    }
    std::vector<std::string> painted;

  private:
    QWidget* w_;
};

class Polled : public ui::Form {
  public:
    Polled() : Form("polled", {0, 0, 3000, 2000}) {
        B_ok.set_caption("OK");
        B_ok.on_click = [this] { Label1.set_caption("clicked"); };
        Label1.set_caption("waiting");
    }
    ui::CommandButton B_ok{*this, "B_ok", {120, 120, 1200, 375}};
    ui::Label Label1{*this, "Label1", {120, 720, 1200, 255}};
};

// A polling page passes through do_events once a cycle, with the link's traffic in
// between: what a click there changes is on the screen when that one pass returns, not
// a cycle later.
TEST_F(QtLoopTest, OnePassShowsWhatAClickChanged) {
    Polled f;
    f.load();
    f.show_modeless();
    for (int i = 0; i < 3; ++i) ui::do_events();  // shown and painted once
    QWidget* label = renderer_->widget(f.Label1);
    QWidget* button = renderer_->widget(f.B_ok);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(button, nullptr);

    PaintLog paints(label);
    QTimer::singleShot(0, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    ui::do_events();
    ASSERT_FALSE(paints.painted.empty()) << "not repainted in the pass that took the click";
    EXPECT_EQ(paints.painted.back(), "clicked");
    f.unload();
}

TEST_F(QtLoopTest, ModalFormRunsANestedLoopUntilTheUserClosesIt) {
    Ticker& f = make_form();
    // The user clicks OK once the form's timer has ticked twice in the modal loop.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (f.ticks < 2) return;
        user.stop();
        QTest::mouseClick(renderer_->widget(f.B_ok), Qt::LeftButton);
    });
    user.start(5);
    const double start = steady_.now();
    f.show_modal();  // returns once the click unloaded it
    EXPECT_LT(steady_.now() - start, 2.0);
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(log_.only({"Click", "Unload"}),
              (std::vector<std::string>{"B_ok.Click", "ticker.Unload 0"}));
    EXPECT_GE(f.ticks, 2);
}

TEST_F(QtLoopTest, TimersTickWhileAMessageBoxWaitsForTheUser) {
    app::QtMessageBoxes boxes;
    ui::services().boxes = &boxes;
    Ticker& f = make_form();
    f.show_modeless();
    int ticks_when_answered = -1;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || f.ticks < 3) return;
        user.stop();
        ticks_when_answered = f.ticks;
        box->button(QMessageBox::Ok)->click();
    });
    user.start(5);
    f.ticks = 0;
    EXPECT_EQ(ui::msg_box("Device not found."), ui::id_ok);
    EXPECT_GE(ticks_when_answered, 3);
}

// A timer's End while Qt's file dialog is up over a window of ours: the program's end
// drops the window, and the dialog, which belongs to the code that showed it (on its
// stack), is closed as cancelled and taken out first, never freed with the window.
TEST_F(QtLoopTest, AnEndUnderAFileDialogClosesItAsCancelled) {
    app::QtFileDialogs dialogs;
    ui::services().dialogs = &dialogs;
    Ticker& f = make_form();
    int ticks = 0;
    f.tmr.on_timer = [&] {
        if (++ticks == 3) ui::end_program();
    };
    f.show_modeless();
    renderer_->flush();
    QWidget* window = renderer_->window(f);
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), window);
    bool over_window = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (QWidget* up = QApplication::activeModalWidget())
            over_window = over_window || up->parentWidget() == window;
    });
    look.start(1);
    ui::CommonDialog dlg{f, "CMDialog1"};
    dlg.file_name = "TT-101.krv";
    dlg.show_save();  // returns: the stack's dialog is freed once, here
    EXPECT_TRUE(over_window);
    EXPECT_EQ(dlg.file_name, "");
    EXPECT_TRUE(ui::program_ended());
}

TEST_F(QtLoopTest, TopLevelRunEndsWhenNoFormIsShown) {
    Ticker& f = make_form();
    f.show_modeless();
    click_ok_after(20);
    EXPECT_EQ(loop_qt_.run(), 0);
    EXPECT_FALSE(f.loaded());
}

TEST_F(QtLoopTest, TopLevelRunEndsWithTheProgramOrAnUnhandledFault) {
    struct Case {
        const char* name;
        bool fault;
        int code;
    };
    for (const Case c : {Case{"end_program", false, 0}, Case{"unhandled fault", true, 1}}) {
        SCOPED_TRACE(c.name);
        ui::reset_forms();
        app::QtEventLoop loop(steady_);
        ui::services().loop = &loop;
        std::string reported;
        loop.on_unhandled = [&](const std::string& what) { reported = what; };
        Ticker& f = make_form();
        f.fault = c.fault;
        f.end = !c.fault;
        f.show_modeless();
        click_ok_after(20);
        EXPECT_EQ(loop.run(), c.code);
        EXPECT_EQ(reported, c.fault ? "Overflow" : "");
        ui::services().loop = &loop_qt_;
    }
}

}  // namespace
}  // namespace dvx::testing

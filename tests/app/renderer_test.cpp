// The generic renderer: a form built in the test appears as Qt widgets at its designed
// geometry, mirrors property changes, and the user's actions on the widgets reach the
// window layer only as input posted to the event loop.
#include "app/renderer.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QWheelEvent>
#include <initializer_list>
#include <memory>
#include <optional>

#include "platform/cp1252.h"
#include "tests/app/rendered_form.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::testing {
namespace {

class TestForm : public ui::Form {
  public:
    TestForm() : Form("test_form", {300, 450, 6000, 4500}) {
        on_load = [this] {
            set_caption("Test & window");
            lbl.set_caption("&Name");
            btn.set_caption("&Read");
            fra.set_caption("Devices");
            chk.set_caption("Echo");
            for (const char* item : {"first", "second", "third"}) lst.add_item(item);
            for (const char* item : {"off", "on"}) cmb.add_item(item);
        };
        on_unload = [this](int& cancel) { cancel = keep_open ? 1 : 0; };
        btn.on_click = [this] { ++clicks; };
        mnu_close.on_click = [this] { ++menu_clicks; };
        // Drops "x" and turns "q" into "Q", as KeyPress handlers do.
        txt.on_key_press = [](int& ascii) {
            if (ascii == 'x') ascii = 0;
            if (ascii == 'q') ascii = 'Q';
        };
    }
    ui::Label lbl{*this, "lbl", {120, 120, 1200, 255}};
    ui::TextBox txt{*this, "txt", {1440, 120, 2400, 315}};
    ui::TextBox txt2{*this, "txt2", {1440, 555, 2400, 315}};
    ui::CommandButton btn{*this, "btn", {4080, 120, 1200, 375}};
    ui::Frame fra{*this, "fra", {120, 1200, 3600, 2400}};
    ui::ListBox lst{fra, "lst", {240, 360, 3000, 1800}};
    ui::CheckBox chk{*this, "chk", {3840, 1200, 1500, 255}};
    ui::ComboBox cmb{*this, "cmb", {3840, 1800, 1500, 315}};
    ui::MenuItem mnu_file{*this, "mnu_file", "&File"};
    ui::MenuItem mnu_close{mnu_file, "mnu_close", "&Close"};
    int clicks = 0;
    int menu_clicks = 0;
    bool keep_open = false;
};

class RendererTest : public RenderedForm<TestForm> {
  protected:
    // The form's window once it is the active one; null where the platform cannot activate it.
    QWidget* activated_window() {
        QWidget* win = renderer_->window(*form_);
        win->activateWindow();
        return QTest::qWaitForWindowActive(win, 1000) ? win : nullptr;
    }
    template <class W>
    W* w(const ui::Control& c) {
        auto* widget = qobject_cast<W*>(renderer_->widget(c));
        EXPECT_NE(widget, nullptr) << c.name();
        return widget;
    }
};

TEST_F(RendererTest, ControlsAreWidgetsAtTheirDesignedGeometry) {
    struct Case {
        const ui::Control* control;
        const char* qt_class;
        QRect px;  // twips / 15, relative to the container
    };
    const Case cases[] = {
        {&form_->lbl, "QLabel", {8, 8, 80, 17}},
        {&form_->txt, "QLineEdit", {96, 8, 160, 21}},
        {&form_->btn, "QPushButton", {272, 8, 80, 25}},
        {&form_->fra, "QGroupBox", {8, 80, 240, 160}},
        {&form_->lst, "QListWidget", {16, 24, 200, 120}},
        {&form_->chk, "QCheckBox", {256, 80, 100, 17}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control->name());
        QWidget* widget = renderer_->widget(*c.control);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), c.qt_class);
        EXPECT_EQ(widget->geometry(), c.px);
        EXPECT_TRUE(widget->isVisible());
    }
    EXPECT_EQ(renderer_->widget(form_->lst)->parentWidget(), renderer_->widget(form_->fra));

    QWidget* win = renderer_->window(*form_);
    ASSERT_NE(win, nullptr);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), "Test & window");
    EXPECT_EQ(win->width(), 6000 / 15 - 8);  // the classic frame's borders are outside
    EXPECT_EQ(w<QPushButton>(form_->btn)->text(), "&Read");
    EXPECT_EQ(w<QLabel>(form_->lbl)->buddy(), renderer_->widget(form_->txt));  // Alt+N
    EXPECT_EQ(w<QListWidget>(form_->lst)->count(), 3);
    auto* bar = win->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
}

TEST_F(RendererTest, TheWindowTakesTheDesktopsFrameWhereItReportsOne) {
    QWidget* win = renderer_->window(*form_);
    ASSERT_NE(win, nullptr);
    const int menu_h = win->findChild<QMenuBar*>()->sizeHint().height();
    struct Case {
        const char* name;
        std::optional<QMargins> reported;
        QMargins used;
    };
    const Case cases[] = {
        {"a desktop frame", QMargins(6, 31, 6, 7), QMargins(6, 31, 6, 7)},
        {"another one", QMargins(1, 20, 2, 3), QMargins(1, 20, 2, 3)},
        {"none reported: the classic frame", std::nullopt, QMargins(4, 26, 4, 4)},
    };
    int width = 7500;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        renderer_->desktop_frame = [&c](QWidget&) { return c.reported; };
        // Placed by the form's size ...
        width += 150;
        form_->move(450, 600, width, 6000);
        renderer_->flush();
        EXPECT_EQ(win->width(), width / 15 - c.used.left() - c.used.right());
        EXPECT_EQ(win->height() - menu_h, 400 - c.used.top() - c.used.bottom());
    }
    // ... and again once the desktop tells another frame, with the outer size kept.
    renderer_->desktop_frame = [](QWidget&) { return QMargins(8, 30, 8, 8); };
    QMoveEvent moved(win->pos(), win->pos());
    QApplication::sendEvent(win, &moved);
    EXPECT_EQ(win->width(), width / 15 - 16);
    EXPECT_EQ(win->height() - menu_h, 400 - 38);
    EXPECT_EQ(form_->width(), width);
}

TEST_F(RendererTest, PropertyChangesAreMirroredAtTheNextFlush) {
    form_->lbl.set_caption("Port");
    form_->btn.set_enabled(false);
    form_->txt.set_visible(false);
    form_->txt2.set_text("42");
    form_->chk.set_value(1);
    form_->lst.set_list_index(2);
    form_->btn.move(600, 3000);
    form_->set_caption("Renamed");
    form_->fra.set_font_bold(true);
    form_->fra.set_font_size(12);
    form_->chk.set_fore_color(0x0000FF);  // red, as 0x00BBGGRR
    for (int i = 0; i < 50; ++i) form_->lbl.set_caption("Count " + std::to_string(i));
    // Coalesced: the widgets wait for the loop, each control once.
    EXPECT_EQ(w<QLabel>(form_->lbl)->text(), "&Name");
    EXPECT_EQ(renderer_->pending_changes(), 7u);

    renderer_->flush();
    EXPECT_EQ(w<QLabel>(form_->lbl)->text(), "Count 49");
    EXPECT_FALSE(renderer_->widget(form_->btn)->isEnabled());
    EXPECT_FALSE(renderer_->widget(form_->txt)->isVisible());
    EXPECT_EQ(w<QLineEdit>(form_->txt2)->text(), "42");
    EXPECT_EQ(w<QCheckBox>(form_->chk)->checkState(), Qt::Checked);
    EXPECT_EQ(w<QListWidget>(form_->lst)->currentRow(), 2);
    EXPECT_EQ(renderer_->widget(form_->btn)->pos(), QPoint(40, 200));
    EXPECT_EQ(renderer_->window(*form_)->windowTitle(), "Renamed");
    EXPECT_TRUE(renderer_->widget(form_->fra)->font().bold());
    EXPECT_EQ(renderer_->widget(form_->fra)->font().pointSizeF(), 12);
    EXPECT_EQ(renderer_->widget(form_->chk)->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_EQ(renderer_->pending_changes(), 0u);
}

TEST_F(RendererTest, ButtonClickRunsTheHandlerAtThePumpPoint) {
    QTest::mouseClick(renderer_->widget(form_->btn), Qt::LeftButton);
    EXPECT_EQ(form_->clicks, 0);  // queued: the layer decides when it runs
    loop_.run_pending();
    EXPECT_EQ(form_->clicks, 1);
    EXPECT_EQ(log_.only({"GotFocus", "Click"}),
              (std::vector<std::string>{"btn.GotFocus", "btn.Click"}));

    form_->btn.set_enabled(false);
    renderer_->flush();
    QTest::mouseClick(renderer_->widget(form_->btn), Qt::LeftButton);
    loop_.run_pending();
    EXPECT_EQ(form_->clicks, 1);
}

TEST_F(RendererTest, CheckBoxShowsTheLayersValueAfterAClick) {
    QWidget* box = renderer_->widget(form_->chk);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));  // on the box
    loop_.run_pending();
    EXPECT_EQ(form_->chk.value(), 1);
    renderer_->flush();
    EXPECT_EQ(w<QCheckBox>(form_->chk)->checkState(), Qt::Checked);

    // A disabled check box cannot be toggled by the layer: Qt's own toggle is undone.
    form_->chk.set_enabled(false);
    renderer_->flush();
    w<QCheckBox>(form_->chk)->click();
    loop_.run_pending();
    renderer_->flush();
    EXPECT_EQ(form_->chk.value(), 1);
    EXPECT_EQ(w<QCheckBox>(form_->chk)->checkState(), Qt::Checked);
}

TEST_F(RendererTest, ClickOnAListEntrySelectsItThroughTheLayer) {
    auto* list = w<QListWidget>(form_->lst);
    const QRect entry = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    loop_.run_pending();
    EXPECT_EQ(form_->lst.list_index(), 1);
    EXPECT_EQ(form_->lst.text(), "second");
    EXPECT_EQ(log_.only({"Click"}), std::vector<std::string>{"lst.Click"});
    renderer_->flush();
    EXPECT_EQ(list->currentRow(), 1);
}

TEST_F(RendererTest, TypingGoesThroughKeyPressAndTheTextIsMirroredBack) {
    form_->txt.set_focus();
    renderer_->flush();
    auto* edit = w<QLineEdit>(form_->txt);
    QTest::keyClicks(edit, "axbq");
    EXPECT_EQ(edit->text(), "");  // Qt never edits on its own
    loop_.run_pending();
    EXPECT_EQ(form_->txt.text(), "abQ");
    EXPECT_EQ(log_.only({"KeyPress"}),
              (std::vector<std::string>{"txt.KeyPress 97", "txt.KeyPress 120", "txt.KeyPress 98",
                                        "txt.KeyPress 113"}));
    renderer_->flush();
    EXPECT_EQ(edit->text(), "abQ");
    EXPECT_EQ(edit->cursorPosition(), 3);

    // One key in the layer's order: the text changes between KeyPress and KeyUp.
    log_.clear();
    QTest::keyClick(edit, Qt::Key_Z);
    loop_.run_pending();
    EXPECT_EQ(log_.only({"KeyDown", "KeyPress", "Change", "KeyUp"}),
              (std::vector<std::string>{"txt.KeyDown 90 0", "txt.KeyPress 122", "txt.Change",
                                        "txt.KeyUp 90 0"}));
    EXPECT_EQ(form_->txt.text(), "abQz");

    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Tab);
    loop_.run_pending();
    EXPECT_EQ(form_->txt.text(), "abQ");
    EXPECT_EQ(log_.only({"LostFocus", "GotFocus"}),
              (std::vector<std::string>{"txt.LostFocus", "txt2.GotFocus"}));
    renderer_->flush();
    EXPECT_EQ(edit->text(), "abQ");
    EXPECT_EQ(renderer_->window(*form_)->focusWidget(), renderer_->widget(form_->txt2));

    QTest::keyClick(renderer_->widget(form_->txt2), Qt::Key_Backtab, Qt::ShiftModifier);
    loop_.run_pending();
    EXPECT_EQ(ui::focus_owner(), &form_->txt);
}

class Other : public ui::Form {
  public:
    Other() : Form("other", {6000, 0, 3000, 2000}) {}
    ui::TextBox txt_other{*this, "txt_other", {120, 120, 2400, 315}};
};

TEST_F(RendererTest, KeysIntoAnInactiveWindowActivateItFirst) {
    Other other;
    other.load();
    other.show_modeless();
    ASSERT_EQ(ui::active_form(), &other);
    renderer_->flush();
    QTest::keyClicks(renderer_->widget(form_->txt), "ok");  // reached by Alt+Tab
    loop_.run_pending();
    EXPECT_EQ(ui::active_form(), form_.get());
    EXPECT_EQ(form_->txt.text(), "ok");
    EXPECT_EQ(other.txt_other.text(), "");
    ui::reset_forms();
}

TEST_F(RendererTest, MouseIntoATextBoxMovesTheFocusAndTheCaret) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    form_->txt2.set_text("hello");
    renderer_->flush();
    log_.clear();
    QWidget* edit = renderer_->widget(form_->txt2);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 3, edit->height() / 2));
    loop_.run_pending();
    EXPECT_EQ(ui::focus_owner(), &form_->txt2);
    EXPECT_EQ(log_.only({"LostFocus", "GotFocus"}),
              (std::vector<std::string>{"txt.LostFocus", "txt2.GotFocus"}));
    EXPECT_EQ(form_->txt2.sel_start(), 5);  // the caret where the user clicked
    QTest::keyClicks(edit, "!");
    loop_.run_pending();
    EXPECT_EQ(form_->txt2.text(), "hello!");
}

TEST_F(RendererTest, AltAndTheAccessKeyClicksTheButton) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    QTest::keyClick(win, Qt::Key_R, Qt::AltModifier);
    // Qt animates the press before the button reports its click.
    for (int i = 0; i < 100 && loop_.pending() == 0; ++i) QTest::qWait(10);
    loop_.run_pending();
    EXPECT_EQ(form_->clicks, 1);
}

// The label's access key enters its text box as Tab would: the whole text selected, so
// typing replaces it; a click places the caret instead (above).
TEST_F(RendererTest, TheLabelsAccessKeySelectsTheFieldsText) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    form_->txt.set_text("12.5");
    form_->btn.set_focus();
    renderer_->flush();
    QTest::keyClick(win, Qt::Key_N, Qt::AltModifier);
    loop_.run_pending();
    renderer_->flush();
    ASSERT_EQ(ui::focus_owner(), &form_->txt);
    EXPECT_EQ(w<QLineEdit>(form_->txt)->selectedText(), "12.5");
    QTest::keyClicks(QApplication::focusWidget(), "7");
    loop_.run_pending();
    EXPECT_EQ(form_->txt.text(), "7");
}

TEST_F(RendererTest, MenuChoiceClicksTheMenuItem) {
    auto* bar = renderer_->window(*form_)->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QMenu* file = bar->actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 1);
    file->actions()[0]->trigger();
    loop_.run_pending();
    EXPECT_EQ(form_->menu_clicks, 1);

    form_->mnu_close.set_enabled(false);
    form_->mnu_close.set_caption("&Quit");
    renderer_->flush();
    EXPECT_FALSE(file->actions()[0]->isEnabled());  // updated in place: an open menu stays valid
    EXPECT_EQ(file->actions()[0]->text(), "&Quit");
}

TEST_F(RendererTest, FrameCloseGoesThroughUnload) {
    QWidget* win = renderer_->window(*form_);
    form_->keep_open = true;
    win->close();
    loop_.run_pending();
    EXPECT_TRUE(form_->loaded());
    EXPECT_TRUE(win->isVisible());

    form_->keep_open = false;
    win->close();
    loop_.run_pending();
    EXPECT_FALSE(form_->loaded());
    EXPECT_EQ(renderer_->window(*form_), nullptr);
    EXPECT_EQ(log_.only({"Unload"}),
              (std::vector<std::string>{"test_form.Unload 0", "test_form.Unload 0"}));
}

TEST_F(RendererTest, HourglassIsTheWaitCursor) {
    ui::set_mouse_pointer(ui::mp_hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui::set_mouse_pointer(ui::mp_hourglass);  // the last set wins: no stacking
    ui::set_mouse_pointer(ui::mp_default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace dvx::testing

namespace dvx::testing {
namespace {

// Qt's focus is the layer's: Qt moving it on its own is undone at the next flush, a
// focused control hidden by code leaves no widget with the focus (keys, Tab too, reach
// no control), and the layer setting the focus again gives it to that widget.
TEST_F(RendererTest, QtsFocusFollowsTheLayersOnly) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    renderer_->flush();
    ASSERT_EQ(ui::focus_owner(), &form_->txt);
    EXPECT_EQ(QApplication::focusWidget(), renderer_->widget(form_->txt));

    renderer_->widget(form_->txt2)->setFocus(Qt::TabFocusReason);  // not the layer's move
    QCoreApplication::processEvents();
    loop_.run_pending();
    EXPECT_EQ(ui::focus_owner(), &form_->txt);
    EXPECT_EQ(QApplication::focusWidget(), renderer_->widget(form_->txt));

    // A focused control hidden drops the focus; the next pump passes it on; Qt follows.
    form_->txt.set_visible(false);
    EXPECT_EQ(ui::focus_owner(), nullptr);
    renderer_->flush();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    // A key meanwhile reaches the window, which hands it to the layer: it goes to the
    // control the focus settles on.
    QTest::keyClick(win, Qt::Key_C);
    loop_.run_pending();
    EXPECT_EQ(ui::focus_owner(), &form_->txt2);
    EXPECT_EQ(form_->txt2.text(), "c");
    form_->txt2.set_text("");
    renderer_->flush();
    EXPECT_EQ(QApplication::focusWidget(), renderer_->widget(form_->txt2));

    // With no control able to take it no widget has Qt's focus.
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &form_->txt2, &form_->btn, &form_->fra, &form_->chk, &form_->cmb})
        c->set_enabled(false);
    EXPECT_EQ(ui::focus_owner(), nullptr);
    renderer_->flush();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    log_.clear();
    QTest::keyClick(win, Qt::Key_A);
    QTest::keyClick(win, Qt::Key_Tab);
    loop_.run_pending();
    renderer_->flush();
    EXPECT_EQ(ui::focus_owner(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(form_->txt.text(), "");
    EXPECT_EQ(form_->txt2.text(), "");
    EXPECT_TRUE(log_.only({"KeyPress", "GotFocus"}).empty());

    form_->txt2.set_enabled(true);
    form_->txt2.set_focus();
    renderer_->flush();
    EXPECT_EQ(QApplication::focusWidget(), renderer_->widget(form_->txt2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B);
    loop_.run_pending();
    EXPECT_EQ(form_->txt2.text(), "b");
}

// A press on a control asks the layer for the focus; Qt gives a click none of its own.
TEST_F(RendererTest, APressAsksTheLayerForTheFocus) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    renderer_->flush();
    for (ui::Control* c :
         {static_cast<ui::Control*>(&form_->chk), static_cast<ui::Control*>(&form_->lst),
          static_cast<ui::Control*>(&form_->btn)}) {
        SCOPED_TRACE(platform::to_utf8(c->name()));
        QWidget* target = renderer_->widget(*c);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_NE(QApplication::focusWidget(), renderer_->widget(*c)) << "not before the layer";
        loop_.run_pending();
        renderer_->flush();
        EXPECT_EQ(ui::focus_owner(), c);
        EXPECT_EQ(QApplication::focusWidget(), renderer_->widget(*c));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(4, 4));
        loop_.run_pending();
    }
    EXPECT_EQ(form_->clicks, 1);
}

// The keyboard's moves through the layer show the focus frame on a button, as Qt's
// own Tab would; before any key the window shows none.
TEST_F(RendererTest, TheButtonShowsTheFocusFrameOnceTheKeyboardMoves) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    renderer_->flush();
    auto frame_shown = [&] {
        QStyleOptionButton opt;
        opt.initFrom(renderer_->widget(form_->btn));
        return (opt.state & QStyle::State_HasFocus) &&
               (opt.state & QStyle::State_KeyboardFocusChange);
    };
    form_->btn.set_focus();
    renderer_->flush();
    ASSERT_EQ(QApplication::focusWidget(), renderer_->widget(form_->btn));
    EXPECT_FALSE(frame_shown());

    QTest::keyClick(renderer_->widget(form_->btn), Qt::Key_Tab);
    loop_.run_pending();
    renderer_->flush();
    EXPECT_NE(ui::focus_owner(), &form_->btn);
    form_->btn.set_focus();
    renderer_->flush();
    EXPECT_TRUE(frame_shown());
}

// A press is remembered only for the click or choice that ends it: a later wheel turn
// over the list, once the layer has moved the keys to it by code, is the user's and is
// taken. While the keys are elsewhere the wheel over the list does nothing.
TEST_F(RendererTest, AWheelChoiceAfterAPressElsewhereIsTaken) {
    QWidget* win = activated_window();
    if (!win) GTEST_SKIP() << "this platform cannot activate windows";
    renderer_->flush();
    QWidget* combo = renderer_->widget(form_->cmb);
    QTest::mousePress(combo, Qt::LeftButton, {}, QPoint(4, 4));
    loop_.run_pending();
    QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : combo,
                    Qt::Key_Escape);
    QTest::mouseRelease(combo, Qt::LeftButton, {}, QPoint(4, 4));
    loop_.run_pending();
    form_->txt.set_focus();
    renderer_->flush();
    ASSERT_EQ(form_->cmb.list_index(), -1);

    auto turn = [combo] {
        QWheelEvent wheel(QPointF(4, 4), combo->mapToGlobal(QPointF(4, 4)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &wheel);
    };
    turn();
    loop_.run_pending();
    renderer_->flush();
    EXPECT_EQ(form_->cmb.list_index(), -1) << "the keys are in the text box";
    EXPECT_EQ(ui::focus_owner(), &form_->txt);

    form_->cmb.set_focus();
    renderer_->flush();
    turn();
    loop_.run_pending();
    renderer_->flush();
    EXPECT_EQ(form_->cmb.list_index(), 0);
}

}  // namespace
}  // namespace dvx::testing

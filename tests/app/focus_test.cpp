// One keyboard focus in the desktop program: the widget Qt gives the keys to is the
// window layer's focused control, through mouse clicks, refused entries and every kind
// of box. The program runs on the simulated bus with the real renderer and Qt's own
// boxes and dialogs, answered by key (or mouse) as a user would; the layer's loop keeps
// virtual time, so reading the device costs no real time.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_services.h"
#include "app/render_grid.h"
#include "app/renderer.h"
#include "app/sim_bus_port.h"
#include "app/twips.h"
#include "calib/fqn_calib.h"
#include "calib/measure_run.h"
#include "gateway/hzl_blatt.h"
#include "gateway/openers.h"
#include "gateway/poll_busy.h"
#include "link/link.h"
#include "mainwin/access_level.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "mainwin/password_dialogs.h"
#include "mainwin/progress_boxes.h"
#include "model/access.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "model/sensor_hint.h"
#include "pages/comment.h"
#include "pages/openers.h"
#include "platform/cp1252.h"
#include "tests/app/qt_test_app.h"
#include "tests/mainwin/main_window_fixture.h"
#include "ui/app.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

class OneFocus : public MainWindowFixture {
  protected:
    void SetUp() override {
        qt_app();
        MainWindowFixture::SetUp();
        model::mask_filling = 0;
        model::input_mask_filling = 0;
        auto& s = ui::services();
        s.port = &port_;
        s.boxes = &qt_boxes_;
        s.dialogs = &qt_dialogs_;
        s.printer = &qt_printer_;
        qt_printer_.default_printer = [] { return std::unique_ptr<QPrinter>(); };
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

    // The user answers whatever box or dialog of Qt's is up: a message box with Enter
    // (or a click on its button), a file or print dialog with Esc.
    void answer_box() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            answered_.push_back(app::cp1252(box->text()));
            if (answer_cancel_)
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Escape);
            else if (answer_by_mouse_)
                QTest::mouseClick(static_cast<QWidget*>(box->buttons().front()), Qt::LeftButton);
            else
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
        } else if (qobject_cast<QFileDialog*>(modal) || qobject_cast<QPrintDialog*>(modal)) {
            answered_.push_back(qobject_cast<QFileDialog*>(modal) ? "file dialog" : "print dialog");
            QTest::keyClick(modal, Qt::Key_Escape);
        }
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
    // A step of the user's while layer code runs its own pumps (a modal window, a
    // progress box, a measuring run): Qt's events first, as the desktop would have them.
    void during(double after, std::function<void()> step) {
        loop_.post_after(after, [step] {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            step();
        });
    }

    QWidget* widget(ui::Control& c) {
        QWidget* w = renderer_->widget(c);
        EXPECT_NE(w, nullptr);
        return w;
    }
    void click(ui::Control& c) {
        QTest::mouseClick(widget(c), Qt::LeftButton);
        settle();
    }
    // Where the keyboard's keys go now.
    static QWidget* keyboard() {
        if (QWidget* p = QApplication::activePopupWidget())
            return p->focusWidget() ? p->focusWidget() : p;
        if (QWidget* f = QApplication::focusWidget()) return f;
        return QApplication::activeWindow();
    }
    void press(Qt::Key k, bool and_settle = true) {
        QWidget* t = keyboard();
        ASSERT_NE(t, nullptr) << "no window takes keys";
        QTest::keyClick(t, k);
        if (and_settle) settle();
    }
    void type(const std::string& text, bool and_settle = true) {
        for (char ch : text) {
            QWidget* t = keyboard();
            ASSERT_NE(t, nullptr) << "no window takes keys";
            QTest::keyClick(t, ch);
            if (and_settle) settle();
        }
    }
    // Clears the field the keys go to and types `text` into it.
    void retype(const std::string& text) {
        press(Qt::Key_End);
        for (int i = 0; i < 8; ++i) press(Qt::Key_Backspace);
        type(text);
    }

    // The program started in English on the simulated bus, the device at `address` read.
    void start_and_read(int address) {
        set_reg(model::reg_language, "GB");
        mainwin::Main();
        settle();
        ASSERT_TRUE(mainwin::hauptmenu_inst.loaded());
        loop_.post([this, address] { ui::user_select(main().adr_select, address - 1); });
        settle();
        click(main().B_FQN_Read);
        ASSERT_FALSE(answered_.empty()) << "the read reports";
        answered_.clear();
    }

    static std::string name_of(const ui::Control* c) {
        return c ? platform::to_utf8(c->name()) : "none";
    }
    // The widget Qt gives the keys to belongs to the layer's focused control.
    void expect_one_focus(const std::string& where) {
        ui::Control* c = ui::focus_owner();
        QWidget* want = c ? renderer_->focus_widget(*c) : nullptr;
        QWidget* have = QApplication::focusWidget();
        EXPECT_EQ(have, want) << where << ": the layer has " << name_of(c) << ", Qt "
                              << (have ? have->objectName().toStdString() : "none");
    }

    app::SimBusPort port_{clock_};
    app::QtMessageBoxes qt_boxes_;
    app::QtFileDialogs qt_dialogs_;
    app::QtPrinter qt_printer_;
    std::unique_ptr<app::Renderer> renderer_;
    QTimer answer_;
    bool answer_by_mouse_ = false;
    bool answer_cancel_ = false;  // Esc: the box's Cancel
    std::vector<std::string> answered_;
};

// The HZL gateway page on the simulated HZL line, its settings read: the first five
// variables read rack 0, device 0.
class HzlTable : public OneFocus {
  protected:
    void SetUp() override {
        OneFocus::SetUp();
        gateway::install_openers();
        gateway::poll_busy = 0;
        link::reset_link_state();
    }
    void TearDown() override {
        OneFocus::TearDown();
        mainwin::page_openers() = {};
    }
    void open_and_read() {
        write_checked("HZL_mod.cfg", "1");
        write_checked("HZL_chart_enabled.cfg", "1");
        set_reg(model::reg_language, "GB");
        mainwin::Main();
        settle();
        loop_.post([this] { ui::user_click(main().m_ub_hzl); });
        settle();
        ASSERT_TRUE(gateway::hzl_blatt_inst.loaded());
        // The demo table assigns the first variables: the first five are unassigned here.
        for (int v = 1; v <= 5; ++v) port_.plant().gateway().set_table(1 + v, 0);
        click(page().Command3D1);
        ASSERT_TRUE(answered_.empty()) << answered_.front();
        ASSERT_EQ(cell(1, 1), "0");
    }
    gateway::HZL_blatt& page() { return *gateway::hzl_blatt_inst.peek(); }
    std::string cell(int row, int col) { return page().flg_param.text_matrix(row, col); }
    app::GridWidget& grid() { return *static_cast<app::GridWidget*>(widget(page().flg_param)); }
    void click_cell(int row, int col) {
        const QRect r = grid().cell_rect(row, col);
        ASSERT_FALSE(r.isEmpty());
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, r.center());
        settle();
    }
    // Where the cell editor stands ("row,col" or "hidden"), and that it has the keys.
    std::string editor() {
        if (!page().txt_edit.visible()) return "hidden";
        expect_one_focus("the cell editor");
        EXPECT_EQ(ui::focus_owner(), &page().txt_edit);
        return std::to_string(page().edit_row) + "," + std::to_string(page().edit_col);
    }
    // The editor's whole text is selected in Qt as in the layer: a key replaces it.
    void expect_selected() {
        auto* e = qobject_cast<QLineEdit*>(widget(page().txt_edit));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->selectedText(), app::qstr(page().txt_edit.text()));
        EXPECT_EQ(page().txt_edit.sel_length(), static_cast<int>(page().txt_edit.text().size()));
    }
};

// A click opens the editor over the cell with its text selected, and the keys go to it;
// Tab, Shift+Tab, Enter and the arrows move it as its table says; a refused value gives
// its box, OK back to the editor, Cancel keeps the cell.
TEST_F(HzlTable, TheVariableTableEditsByMouseAndKeyboard) {
    open_and_read();
    const std::string invalid = "Entered value isn not valid for this field !";

    click_cell(1, 1);
    EXPECT_TRUE(answered_.empty()) << "a click on a cell holding 0 checks nothing";
    EXPECT_EQ(editor(), "1,1");
    expect_selected();
    type("5");
    press(Qt::Key_Tab);
    EXPECT_EQ(cell(1, 1), "5");
    EXPECT_EQ(editor(), "1,2");
    expect_selected();
    type("12");
    press(Qt::Key_Return);
    EXPECT_EQ(cell(1, 2), "12");
    EXPECT_EQ(editor(), "2,1");
    type("3");
    press(Qt::Key_Down);
    EXPECT_EQ(cell(2, 1), "3");
    EXPECT_EQ(editor(), "3,1");
    type("4");
    press(Qt::Key_Up);
    EXPECT_EQ(cell(3, 1), "4");
    EXPECT_EQ(editor(), "2,1");
    QTest::keyClick(keyboard(), Qt::Key_Backtab, Qt::ShiftModifier);
    settle();
    EXPECT_EQ(editor(), "1,2");
    EXPECT_TRUE(answered_.empty());

    // A slot above 20: refused, OK gives the editor back with the value typed.
    type("25");
    press(Qt::Key_Tab);
    EXPECT_EQ(answered_, std::vector<std::string>{invalid});
    EXPECT_EQ(editor(), "1,2");
    EXPECT_EQ(page().txt_edit.text(), "25");
    EXPECT_EQ(cell(1, 2), "12");
    press(Qt::Key_Escape);
    EXPECT_EQ(editor(), "hidden");
    EXPECT_TRUE(page().flg_param.has_focus()) << "Esc gives the keys back to the table";
    EXPECT_EQ(cell(1, 2), "12");

    // A cell left at 0 by a click elsewhere: refused, Cancel keeps the cell.
    answered_.clear();
    click_cell(4, 2);
    EXPECT_EQ(editor(), "4,2");
    answer_cancel_ = true;
    click_cell(5, 1);
    answer_cancel_ = false;
    EXPECT_EQ(answered_, std::vector<std::string>{invalid});
    EXPECT_EQ(cell(4, 2), "0");
    EXPECT_EQ(cell(5, 1), "0");

    // Left by Enter, refused, Cancel: the keys stay on the table, so the next Enter
    // does not reach Back and the table stays open with its edits.
    press(Qt::Key_Escape);  // the editor the click opened on row 5 holds 0 too
    answered_.clear();
    click_cell(4, 2);
    type("25");
    answer_cancel_ = true;
    press(Qt::Key_Return);
    answer_cancel_ = false;
    EXPECT_EQ(answered_, std::vector<std::string>{invalid});
    EXPECT_EQ(editor(), "hidden");
    ASSERT_TRUE(page().flg_param.has_focus());
    press(Qt::Key_Return);
    EXPECT_TRUE(page().visible());
    EXPECT_EQ((std::vector<std::string>{cell(1, 1), cell(1, 2), cell(2, 1), cell(3, 1)}),
              (std::vector<std::string>{"5", "12", "3", "4"}));
}

// A number typed into the cell editor is kept when the table is scrolled before the
// editor is left: the wheel over the table does nothing while the editor has the keys,
// and a press on the table's scroll bar leaves the editor as a click elsewhere does.
TEST_F(HzlTable, TheCellEditorKeepsItsNumberWhenTheTableScrolls) {
    open_and_read();
    click_cell(1, 1);
    ASSERT_EQ(editor(), "1,1");
    type("5");
    QWidget* cells = grid().viewport();
    const QPoint at = grid().cell_rect(2, 1).center();
    for (int delta : {-120, 120, -120}) {
        QWheelEvent wheel(at, cells->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(cells, &wheel);
        settle();
    }
    EXPECT_EQ(editor(), "1,1") << "the wheel over the table leaves the editor alone";
    EXPECT_EQ(page().txt_edit.text(), "5");
    EXPECT_EQ(page().flg_param.top_row(), 1);

    QScrollBar* bar = grid().verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 20));
    settle();
    EXPECT_TRUE(answered_.empty());
    EXPECT_EQ(cell(1, 1), "5") << "the press on the scroll bar left the editor with its number";
    EXPECT_GT(page().flg_param.top_row(), 1);
}

// A value refused on leaving its field, the refusal box answered, the next field clicked
// and typed into: the typed value is that field's, the refused field keeps its word.
TEST_F(OneFocus, TheClickedFieldTakesTheKeysAfterARefusal) {
    struct Case {
        const char* page;
        ui::CommandButton mainwin::Hauptmenue::*opener;
        const char* refusing;
        int refusing_word;
        const char* refused;
        const char* refusal;
        bool ok_by_mouse;
        const char* next;
        int next_word;
        const char* typed;
        int stored;
    };
    // Address 1: KRV 4.05, Pt-100 3-wire 0..400 degC, current output.
    const Case cases[] = {
        {"krv input", &mainwin::Hauptmenue::B_io, "Mesb_0", 97, "9999",
         "Entered value is to large.\nPlease, enter a value till 800", false, "Mesb_1", 98, "350",
         350},
        {"analog output", &mainwin::Hauptmenue::B_Out, "Ber_ende", 106, "22.1",
         "Entered value is to large.\nPlease, enter a value till 22.0", true, "Ber_fub", 102, "7",
         70},
        {"alarm outputs", &mainwin::Hauptmenue::B_dout, "al2_val", 110, "-9999",
         "Entered value is to small.\nPlease, enter a value from -200", false, "al3_val", 111, "25",
         25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        start_and_read(1);
        click(main().*c.opener);
        ui::Form* page = ui::active_form();
        ASSERT_NE(page, &main());
        auto& refusing = *dynamic_cast<ui::TextBox*>(page->control(c.refusing));
        auto& next = *dynamic_cast<ui::TextBox*>(page->control(c.next));
        const std::int16_t kept = model::param_image[c.refusing_word];
        const std::string kept_text = refusing.text();

        click(refusing);
        expect_one_focus("the first field clicked");
        retype(c.refused);
        answer_by_mouse_ = c.ok_by_mouse;
        press(Qt::Key_Tab);
        answer_by_mouse_ = false;
        EXPECT_EQ(answered_, std::vector<std::string>{c.refusal});
        EXPECT_EQ(ui::focus_owner(), &refusing) << "a refusal keeps the focus in the field";
        EXPECT_EQ(refusing.text(), kept_text) << "and its Esc shows the word again";
        EXPECT_EQ(refusing.sel_length(), 0) << "given back, not entered by the Tab";
        expect_one_focus("after the refusal box");

        click(next);
        EXPECT_EQ(ui::focus_owner(), &next);
        expect_one_focus("the next field clicked");
        retype(c.typed);
        press(Qt::Key_Tab);
        EXPECT_EQ(model::param_image[c.refusing_word], kept);
        EXPECT_EQ(model::param_image[c.next_word], c.stored);
        EXPECT_EQ(refusing.text(), kept_text);
        EXPECT_EQ(answered_.size(), 1u) << "the typed value is accepted";
        expect_one_focus("left the next field");
        ui::reset_forms();
        answered_.clear();
    }
}

// A field entered by Shift+Tab, Tab or Enter has its whole text selected: the value typed
// replaces the old one, on the page and in the parameter word (50 over 0 is no 500, 5
// over 1.0 no 51.0, both inside their limits, so no box would tell).
TEST_F(OneFocus, AValueTypedAfterTheKeyboardEnteredTheFieldReplacesIt) {
    start_and_read(1);
    click(main().B_io);
    ui::Form* page = ui::active_form();
    auto& start = *dynamic_cast<ui::TextBox*>(page->control("Mesb_0"));
    auto& end = *dynamic_cast<ui::TextBox*>(page->control("Mesb_1"));
    auto& filter = *dynamic_cast<ui::TextBox*>(page->control("in_filt"));
    ASSERT_EQ(start.text(), "0");
    ASSERT_EQ(filter.text(), "1.0");
    auto expect_entered = [&](ui::TextBox& t, const char* by) {
        SCOPED_TRACE(by);
        EXPECT_EQ(ui::focus_owner(), &t);
        expect_one_focus(by);
        auto* edit = qobject_cast<QLineEdit*>(widget(t));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->selectedText(), app::qstr(t.text())) << "the whole text selected";
    };

    click(end);
    QTest::keyClick(keyboard(), Qt::Key_Backtab, Qt::ShiftModifier);
    settle();
    expect_entered(start, "Shift+Tab");
    type("50");
    press(Qt::Key_Tab);
    EXPECT_EQ(model::param_image[97], 50);
    expect_entered(end, "Tab");
    type("350");
    press(Qt::Key_Return);
    EXPECT_EQ(model::param_image[98], 350);
    expect_entered(filter, "Enter");
    type("5");
    press(Qt::Key_Tab);
    EXPECT_EQ(model::param_image[100], 50);
    EXPECT_EQ(filter.text(), "5.0");
    EXPECT_TRUE(answered_.empty());

    // A click places the caret where it lands, also where Qt's caret stood already (the
    // end of a field the keyboard entered and left): the key goes there, replacing nothing.
    click(start);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(ui::focus_owner(), &filter);
    QWidget* edit = widget(end);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 3, edit->height() / 2));
    settle();
    EXPECT_EQ(ui::focus_owner(), &end);
    type("1");
    EXPECT_EQ(end.text(), "3501");
    press(Qt::Key_Escape);
    EXPECT_EQ(end.text(), "350");
}

// A paste (Ctrl+V) goes into the focused field only: a Tab in the clipboard never moves
// the focus, a single-line field takes the first line through its key filter, and the
// comment box takes every line with CR LF line ends.
TEST_F(OneFocus, APasteStaysInTheFocusedField) {
    auto paste = [&](const std::string& text, bool by_shift_insert) {
        QApplication::clipboard()->setText(app::qstr(text));
        if (by_shift_insert)
            QTest::keyClick(keyboard(), Qt::Key_Insert, Qt::ShiftModifier);
        else
            QTest::keyClick(keyboard(), Qt::Key_V, Qt::ControlModifier);
        settle();
    };
    start_and_read(1);
    click(main().B_Out);
    ui::Form* page = ui::active_form();
    auto& end = *dynamic_cast<ui::TextBox*>(page->control("Ber_ende"));
    auto& low = *dynamic_cast<ui::TextBox*>(page->control("Ber_min"));
    const std::int16_t end_word = model::param_image[106];
    const std::int16_t low_word = model::param_image[103];
    const std::string end_text = end.text();
    const std::string low_text = low.text();
    ASSERT_EQ(low_text, "3.5");
    struct Case {
        const char* clipboard;
        const char* typed;  // what reaches the end of "Bereichsende"
        bool by_shift_insert = false;
    };
    const Case cases[] = {
        {"\t1", "1"},                          // the Tab dropped, not acted on
        {"1\r\n2", "1"},                       // the first line only
        {"2\n\t3", "2"}, {"x-y.7", "", true},  // a numeric field judges the paste whole: no number
        {",5", ""},                            // a second decimal point, however written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clipboard);
        click(end);
        press(Qt::Key_End);
        paste(c.clipboard, c.by_shift_insert);
        EXPECT_EQ(ui::focus_owner(), &end);
        expect_one_focus("after the paste");
        EXPECT_EQ(end.text(), end_text + c.typed);
        EXPECT_EQ(low.text(), low_text);
        press(Qt::Key_Escape);  // the page shows the image again
        ASSERT_EQ(end.text(), end_text);
    }
    click(low);
    EXPECT_EQ(model::param_image[103], low_word);
    EXPECT_EQ(model::param_image[106], end_word);
    EXPECT_TRUE(answered_.empty());
    ui::reset_forms();

    start_and_read(1);
    click(main().B_comment);
    pages::Comment& comment = *pages::comment_inst.peek();
    const Case comment_cases[] = {
        {"a\tb", "ab"},
        {"line1\nline2", "line1\r\nline2"},
        {"x\r\ny\rz", "x\r\ny\r\nz"},
    };
    for (const Case& c : comment_cases) {
        SCOPED_TRACE(c.clipboard);
        click(comment.comment_txt);
        QTest::keyClick(keyboard(), Qt::Key_A, Qt::ControlModifier);  // select all
        settle();
        paste(c.clipboard, c.by_shift_insert);
        EXPECT_EQ(ui::focus_owner(), &comment.comment_txt);
        expect_one_focus("after the paste");
        EXPECT_EQ(comment.comment_txt.text(), c.typed);
    }

    // A handler that moves the focus mid-paste ends the paste: the rest reaches no other
    // control.
    click(comment.comment_txt);
    QTest::keyClick(keyboard(), Qt::Key_A, Qt::ControlModifier);
    settle();
    int reached = 0;
    comment.B_save.on_key_press = [&](int&) { ++reached; };
    comment.comment_txt.on_key_press = [&](int& ascii) {
        if (ascii == 'b') comment.B_save.set_focus();
    };
    paste("abc", false);
    comment.comment_txt.on_key_press = nullptr;
    comment.B_save.on_key_press = nullptr;
    EXPECT_EQ(ui::focus_owner(), &comment.B_save);
    EXPECT_EQ(reached, 0);
    EXPECT_EQ(comment.comment_txt.text(), "ab");
}

// The press on a button while the field refuses its value asks for the focus once: the
// refusal keeps it, the button's Click never comes, and the refused value is not stored
// by a second leave of the field.
TEST_F(OneFocus, AButtonClickedWhileAFieldRefusesDoesNotClick) {
    start_and_read(1);
    click(main().B_io);
    ui::Form* page = ui::active_form();
    auto& start = *dynamic_cast<ui::TextBox*>(page->control("Mesb_0"));
    const std::int16_t kept = model::param_image[97];
    click(start);
    retype("9999");
    click(*page->control("B_Zurück"));
    EXPECT_EQ(answered_.size(), 1u);
    EXPECT_TRUE(page->visible()) << "Back did not run";
    EXPECT_EQ(ui::focus_owner(), &start);
    EXPECT_EQ(model::param_image[97], kept);
    expect_one_focus("after the refusal");
}

// After "Comment read." the text box clicked takes the typed keys.
TEST_F(OneFocus, TheCommentBoxTakesTheKeysAfterTheReadBox) {
    start_and_read(1);
    click(main().B_comment);
    pages::Comment& page = *pages::comment_inst.peek();
    click(page.Command3D1);
    EXPECT_EQ(answered_, std::vector<std::string>{"Comment read in."});
    expect_one_focus("after the read box");
    const std::string read = page.comment_txt.text();
    click(page.comment_txt);
    EXPECT_EQ(ui::focus_owner(), &page.comment_txt);
    expect_one_focus("the text box clicked");
    type("AB");
    const auto at = page.comment_txt.text().find("AB");
    ASSERT_NE(at, std::string::npos) << page.comment_txt.text();
    EXPECT_EQ(page.comment_txt.text().substr(0, at) + page.comment_txt.text().substr(at + 2), read);
}

// Each kind of box takes the keys while it is up and gives them back to the control
// that had them; the keys then go to that control.
TEST_F(OneFocus, EveryKindOfBoxGivesTheFocusBack) {
    start_and_read(1);
    mainwin::Hauptmenue& m = main();
    // The main window's address list has the keys.
    click(m.adr_select);
    ASSERT_EQ(ui::focus_owner(), &m.adr_select);
    const int address = m.adr_select.list_index();

    auto expect_back = [&](const char* box) {
        SCOPED_TRACE(box);
        EXPECT_EQ(ui::focus_owner(), &m.adr_select);
        expect_one_focus(std::string("after the ") + box);
        answered_.clear();
    };
    auto menu = [&](ui::MenuItem& item) {
        loop_.post([&item] { ui::user_click(item); });
        settle();
    };

    // Message box: the device read reports in one.
    loop_.post([&m] { ui::user_click(m.B_FQN_Read); });
    settle();
    EXPECT_FALSE(answered_.empty());
    EXPECT_EQ(ui::focus_owner(), &m.B_FQN_Read);
    expect_one_focus("after the message box");
    loop_.post([&m] { m.adr_select.set_focus(); });
    settle();
    expect_back("message box");

    // File dialog: loading a configuration, cancelled.
    menu(m.m_dat_load);
    EXPECT_EQ(answered_, std::vector<std::string>{"file dialog"});
    expect_back("file dialog");

    // Print dialog: no default printer, the user cancels.
    menu(m.m_dat_mpr);
    EXPECT_EQ(answered_, std::vector<std::string>{"print dialog"});
    expect_back("print dialog");

    // Input box: the password, typed into the modal box and taken by Enter.
    bool typed_into_box = false;
    during(0.01, [&] {
        mainwin::Enter_Pass* box = mainwin::enter_pass_inst.peek();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ui::focus_owner(), &box->Text1);
        expect_one_focus("input box up");
        type(model::password_level_1 + "x", false);
        press(Qt::Key_Return, false);
        typed_into_box = true;
    });
    menu(m.m_pas_enter);
    EXPECT_TRUE(typed_into_box);
    EXPECT_FALSE(mainwin::enter_pass_inst.loaded());
    EXPECT_EQ(model::entered_password, model::password_level_1 + "x");
    expect_back("input box");

    // Progress box: the address search, cancelled by its button.
    bool cancelled = false;
    during(0.5, [&] {
        mainwin::Adr_Seek* box = mainwin::adr_seek_inst.peek();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ui::focus_owner(), &box->Command3D1);
        expect_one_focus("progress box up");
        QTest::mouseClick(widget(box->Command3D1), Qt::LeftButton);
        cancelled = true;
    });
    loop_.post([&m] { ui::user_click(m.Command3D4); });
    settle();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(ui::focus_owner(), &m.Command3D4);
    expect_one_focus("after the progress box");
    loop_.post([&m, address] {
        m.adr_select.set_list_index(address);
        m.adr_select.set_focus();
    });
    settle();
    expect_back("progress box");

    // The measuring run's box: cancelled by its button.
    bool run_cancelled = false;
    during(1.0, [&] {
        calib::Fqn_calib* box = calib::fqn_calib_inst.peek();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ui::focus_owner(), &box->Command3D1);
        expect_one_focus("measuring run's box up");
        QTest::mouseClick(widget(box->Command3D1), Qt::LeftButton);
        run_cancelled = true;
    });
    loop_.post([] {
        calib::MeasureValues v{};
        calib::calibrate_measure(52, v);
    });
    settle();
    EXPECT_TRUE(run_cancelled);
    expect_back("measuring run's box");

    // The keys go to the address list again: Down picks the next address.
    press(Qt::Key_Down);
    EXPECT_EQ(m.adr_select.list_index(), address + 1);
}

}  // namespace
}  // namespace dvx::testing

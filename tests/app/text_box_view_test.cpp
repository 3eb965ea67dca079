// What a text box's widget shows is the layer's caret and selection after every key, click
// and paste: the caret keys with and without Shift, double and triple clicks, the middle
// button at the pointer, the keys leaving the box and a press the layer refused. And a list
// view's columns keep the widths and the order the program gave them.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>
#include <string>
#include <utility>

#include "app/renderer.h"
#include "app/twips.h"
#include "tests/app/qt_steps.h"
#include "tests/app/rendered_form.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

class Fields : public ui::Form {
  public:
    Fields() : Form("fields", {0, 0, 9000, 6000}) {
        on_load = [this] {
            filter.set_text("1.0");
            start.set_text("0");
            memo.set_multi_line(true);
            memo.set_text("first line\r\n4.5 -50\r\nlast");
            liv.add_column("Adresse", 900);
            liv.add_column("Ger\xE4t", 2400);
            liv.add_column("Serien-Nr.", 1500);
            for (int i = 1; i <= 3; ++i) liv.add_item(std::to_string(i));
        };
        // A field that refuses to be left while it holds "x", as a range check does.
        strict.on_lost_focus = [this] {
            if (strict.text() == "x") strict.set_focus();
        };
    }
    ui::TextBox filter{*this, "filter", {120, 120, 1500, 315}};
    ui::TextBox start{*this, "start", {1800, 120, 1500, 315}};
    ui::TextBox strict{*this, "strict", {3500, 120, 1500, 315}};
    ui::TextBox memo{*this, "memo", {120, 600, 4000, 1200}};
    ui::ListView liv{*this, "liv", {120, 2000, 6000, 1500}};
};

// {anchor, caret} as Qt shows them.
std::pair<int, int> qt_shown(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        const int caret = e->cursorPosition();
        if (!e->hasSelectedText()) return {caret, caret};
        return {caret == e->selectionStart() ? e->selectionEnd() : e->selectionStart(), caret};
    }
    const QTextCursor cur = qobject_cast<QPlainTextEdit*>(w)->textCursor();
    return {cur.anchor(), cur.position()};
}

// The layer's {anchor, caret} in Qt's positions (a multi-line box shows no CRs).
std::pair<int, int> layer_shown(const ui::TextBox& t) {
    auto qt = [&t](int pos) {
        int crs = 0;
        for (int i = 0; i < pos; ++i)
            if (t.text()[i] == '\r') ++crs;
        return pos - crs;
    };
    return {qt(t.anchor()), qt(t.caret())};
}

class TextBoxView : public RenderedForm<Fields> {
  protected:
    // Every text box's widget shows the layer's text, caret and selection.
    void expect_mirrored() {
        for (ui::TextBox* t : {&form_->filter, &form_->start, &form_->strict, &form_->memo}) {
            SCOPED_TRACE(t->name());
            EXPECT_EQ(qt_shown(w(*t)), layer_shown(*t));
        }
    }
    // The point of the gap before character `pos` of a single-line box.
    QPoint at_char(ui::TextBox& t, int pos) {
        auto* e = qobject_cast<QLineEdit*>(w(t));
        for (int x = 0; x < e->width(); ++x)
            if (e->cursorPositionAt(QPoint(x, e->height() / 2)) == pos)
                return QPoint(x, e->height() / 2);
        ADD_FAILURE() << "no point for " << pos;
        return {};
    }
    // The gap before Qt's character `qpos` of the multi-line box, on its viewport.
    QPoint in_memo(int qpos) {
        auto* pe = qobject_cast<QPlainTextEdit*>(w(form_->memo));
        QTextCursor cur(pe->document());
        cur.setPosition(qpos);
        const QRect r = pe->cursorRect(cur);
        return QPoint(r.x() + 1, r.center().y());
    }
    void send_mouse(QWidget* to, QEvent::Type type, Qt::MouseButton b, QPoint at, quint64 time) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : b;
        QMouseEvent e(type, at, to->mapToGlobal(at), b, held, {});
        e.setTimestamp(time);
        QApplication::sendEvent(to, &e);
    }
};

// The technician's sequence on the filter time: a click, Ctrl+A, End, then a 5: the field
// shows the caret at the end before the 5, and the 5 goes where it shows.
TEST_F(TextBoxView, TheCaretKeysAreShownAtTheNextFlush) {
    ui::TextBox& f = form_->filter;
    QTest::mouseClick(w(f), Qt::LeftButton, {}, at_char(f, 1));
    settle();
    ASSERT_EQ(ui::focus_owner(), &f);
    QTest::keyClick(w(f), Qt::Key_A, Qt::ControlModifier);
    settle();
    EXPECT_EQ(qt_shown(w(f)), std::make_pair(0, 3));
    QTest::keyClick(w(f), Qt::Key_End);
    settle();
    EXPECT_EQ(qt_shown(w(f)), std::make_pair(3, 3));
    QTest::keyClick(w(f), Qt::Key_Home);
    settle();
    EXPECT_EQ(qt_shown(w(f)), std::make_pair(0, 0));
    QTest::keyClick(w(f), Qt::Key_Right);
    settle();
    EXPECT_EQ(qt_shown(w(f)), std::make_pair(1, 1));
    // Shift selects from the anchor, and Qt's caret is at the end the layer's is.
    QTest::keyClick(w(f), Qt::Key_End, Qt::ShiftModifier);
    settle();
    EXPECT_EQ(qt_shown(w(f)), std::make_pair(1, 3));
    QTest::keyClick(w(f), Qt::Key_Home, Qt::ShiftModifier);
    settle();
    EXPECT_EQ(qt_shown(w(f)), std::make_pair(1, 0));
    EXPECT_EQ(f.sel_text(), "1");
    QTest::keyClick(w(f), Qt::Key_5);
    settle();
    EXPECT_EQ(f.text(), "5.0");
    expect_mirrored();

    // The multi-line box: Up, Down, End, Shift+Left.
    keys_to(form_->memo);
    QWidget* m = renderer_->focus_widget(form_->memo);
    for (auto [key, mods] : {std::pair{Qt::Key_Down, Qt::NoModifier},
                             {Qt::Key_End, Qt::NoModifier},
                             {Qt::Key_Left, Qt::ShiftModifier},
                             {Qt::Key_Up, Qt::ShiftModifier},
                             {Qt::Key_Down, Qt::NoModifier}}) {
        QTest::keyClick(m, key, mods);
        settle();
        expect_mirrored();
    }
    EXPECT_EQ(form_->memo.caret(), 18);  // below where Shift+Up took it
}

// A double click takes the whole number, a triple click the line; typing replaces it.
TEST_F(TextBoxView, DoubleAndTripleClicksSelectTheLayersWordAndLine) {
    ui::TextBox& f = form_->filter;
    loop_.post([&f] { f.set_text("-4.5"); });
    settle();
    QTest::mouseClick(w(f), Qt::LeftButton, {}, at_char(f, 2));
    QTest::mouseDClick(w(f), Qt::LeftButton, {}, at_char(f, 2));
    settle();
    EXPECT_EQ(f.sel_text(), "-4.5");
    expect_mirrored();
    QTest::keyClicks(w(f), "10");
    settle();
    EXPECT_EQ(f.text(), "10");

    // In the comment box: the word "4.5" on the second line, then that whole line.
    ui::TextBox& memo = form_->memo;
    QWidget* vp = qobject_cast<QPlainTextEdit*>(w(memo))->viewport();
    const QPoint on = in_memo(12);  // before the "." of 4.5
    quint64 t = 100000;
    send_mouse(vp, QEvent::MouseButtonPress, Qt::LeftButton, on, t);
    send_mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, on, t);
    send_mouse(vp, QEvent::MouseButtonDblClick, Qt::LeftButton, on, t + 100);
    send_mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, on, t + 100);
    settle();
    EXPECT_EQ(memo.sel_text(), "4.5");
    expect_mirrored();
    send_mouse(vp, QEvent::MouseButtonPress, Qt::LeftButton, on, t + 200);
    send_mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, on, t + 200);
    settle();
    EXPECT_EQ(memo.sel_text(), "4.5 -50");
    expect_mirrored();
    // A press long after the double click is a press again: the caret.
    send_mouse(vp, QEvent::MouseButtonPress, Qt::LeftButton, on, t + 5000);
    send_mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, on, t + 5000);
    settle();
    EXPECT_EQ(memo.sel_length(), 0);
    expect_mirrored();
}

// The middle button pastes the desktop's selection where it is pressed, through the
// box's paste rules, also into a box that had not the keys.
TEST_F(TextBoxView, TheMiddleButtonPastesAtThePointer) {
    renderer_->desktop_selection = [] { return QString("40"); };
    ui::TextBox& s = form_->start;
    keys_to(form_->filter);
    QTest::mouseClick(w(s), Qt::MiddleButton, {}, at_char(s, 1));
    settle();
    EXPECT_EQ(ui::focus_owner(), &s);
    EXPECT_EQ(s.text(), "040");
    EXPECT_EQ(qt_shown(w(s)), std::make_pair(3, 3));
    QTest::mouseClick(w(s), Qt::MiddleButton, {}, at_char(s, 0));
    settle();
    EXPECT_EQ(s.text(), "40040");
    expect_mirrored();

    // On the comment's second line, before "-50": a line break pasted is CR LF there.
    renderer_->desktop_selection = [] { return QString("x\ny "); };
    ui::TextBox& memo = form_->memo;
    QWidget* vp = qobject_cast<QPlainTextEdit*>(w(memo))->viewport();
    QTest::mouseClick(vp, Qt::MiddleButton, {}, in_memo(15));
    settle();
    EXPECT_EQ(memo.text(), "first line\r\n4.5 x\r\ny -50\r\nlast");
    expect_mirrored();

    // No selection on the desktop: nothing pasted, the caret where it was pressed.
    renderer_->desktop_selection = [] { return QString(); };
    QTest::mouseClick(w(s), Qt::MiddleButton, {}, at_char(s, 2));
    settle();
    EXPECT_EQ(s.text(), "40040");
    EXPECT_EQ(s.caret(), 2);
    expect_mirrored();
}

// The keys leaving a box and a press the layer refused leave each widget showing the
// layer's selection, not what Qt made of it.
TEST_F(TextBoxView, LeavingABoxAndARefusedPressKeepTheLayersSelection) {
    ui::TextBox& f = form_->filter;
    keys_to(f);
    QTest::keyClick(w(f), Qt::Key_Tab);  // the start of range, its text selected
    settle();
    ASSERT_EQ(ui::focus_owner(), &form_->start);
    EXPECT_EQ(form_->start.sel_length(), 1);
    QTest::keyClick(renderer_->focus_widget(form_->start), Qt::Key_Tab);
    settle();
    ASSERT_EQ(ui::focus_owner(), &form_->strict);
    expect_mirrored();

    loop_.post([this] { form_->strict.set_text("x"); });
    settle();
    loop_.post([&f] {
        f.set_sel_start(0);
        f.set_sel_length(3);
    });
    settle();
    // The press on the filter is refused: its caret stays where the layer has it.
    QTest::mouseClick(w(f), Qt::LeftButton, {}, at_char(f, 2));
    settle();
    EXPECT_EQ(ui::focus_owner(), &form_->strict);
    EXPECT_EQ(f.sel_length(), 3);
    expect_mirrored();
    // And so does its double click, and a middle click.
    renderer_->desktop_selection = [] { return QString("9"); };
    QTest::mouseDClick(w(f), Qt::LeftButton, {}, at_char(f, 2));
    QTest::mouseClick(w(f), Qt::MiddleButton, {}, at_char(f, 1));
    settle();
    EXPECT_EQ(f.text(), "1.0");
    EXPECT_EQ(f.sel_length(), 3);
    expect_mirrored();
}

// A drag on the header's dividers, a double click on them and a drag of a section move
// nothing: the widths are the program's, the last column not stretched.
TEST_F(TextBoxView, AListViewsColumnsKeepTheProgramsWidthsAndOrder) {
    auto* tree = qobject_cast<QTreeWidget*>(w(form_->liv));
    ASSERT_NE(tree, nullptr);
    QHeaderView* h = tree->header();
    auto widths = [&] {
        std::vector<int> out;
        for (int i = 0; i < 3; ++i) out.push_back(h->sectionSize(h->logicalIndex(i)));
        return out;
    };
    const std::vector<int> set = {app::to_px(900), app::to_px(2400), app::to_px(1500)};
    EXPECT_EQ(widths(), set);
    QWidget* hv = h->viewport();
    const int divider = h->sectionViewportPosition(1) + h->sectionSize(1) - 1;
    const int y = h->height() / 2;
    QTest::mousePress(hv, Qt::LeftButton, {}, QPoint(divider, y));
    QTest::mouseMove(hv, QPoint(divider - 120, y));
    QTest::mouseRelease(hv, Qt::LeftButton, {}, QPoint(divider - 120, y));
    QTest::mouseDClick(hv, Qt::LeftButton, {}, QPoint(divider, y));
    const int middle = h->sectionViewportPosition(0) + h->sectionSize(0) / 2;
    QTest::mousePress(hv, Qt::LeftButton, {}, QPoint(middle, y));
    QTest::mouseMove(hv, QPoint(middle + 300, y));
    QTest::mouseRelease(hv, Qt::LeftButton, {}, QPoint(middle + 300, y));
    settle();
    EXPECT_EQ(widths(), set);
    EXPECT_EQ(h->logicalIndex(0), 0);
    EXPECT_EQ(h->logicalIndex(1), 1);
    EXPECT_EQ(tree->headerItem()->text(1), QString::fromUtf8("Ger\u00e4t"));
    EXPECT_EQ(ui::focus_owner(), &form_->liv);
}

}  // namespace
}  // namespace dvx::testing

// What a text box's widget shows is the layer's caret and selection after every key, click
// and paste: the caret keys with and without Shift, double and triple clicks, the middle
// button at the pointer, a press the layer refused; without the keys it shows neither
// selection nor caret. What the technician selects becomes the desktop's selection (not in
// a password box), and a multi-line box's caret keys move on the rows it shows. And a list
// view's columns keep the widths and the order the program gave them.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/renderer.h"
#include "app/twips.h"
#include "tests/app/qt_steps.h"
#include "tests/app/rendered_form.h"
#include "tests/app/text_box_shown.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/services.h"

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
            pass.set_password_char("*");
            pass.set_text("ab cd");
            locked.set_locked(true);
            locked.set_text("KRV 4.05");
            note.set_multi_line(true);
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
    ui::TextBox pass{*this, "pass", {5200, 120, 1500, 315}};
    ui::TextBox locked{*this, "locked", {5200, 600, 1500, 315}};
    // A comment box narrow enough for a line to wrap.
    ui::TextBox note{*this, "note", {4400, 1100, 2200, 1400}};
    ui::ListView liv{*this, "liv", {120, 2600, 6000, 1500}};
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

// Qt's position of the layer's `pos` (a multi-line box shows no CRs).
int qt_at(const ui::TextBox& t, int pos) {
    int crs = 0;
    for (int i = 0; i < pos; ++i)
        if (t.text()[i] == '\r') ++crs;
    return pos - crs;
}

// What the widget is to show of the layer's {anchor, caret}: with the keys both, without
// them the caret alone.
std::pair<int, int> layer_shown(const ui::TextBox& t) {
    if (ui::focus_owner() != &t) return {qt_at(t, t.caret()), qt_at(t, t.caret())};
    return {qt_at(t, t.anchor()), qt_at(t, t.caret())};
}

class TextBoxView : public RenderedForm<Fields> {
  protected:
    void SetUp() override {
        RenderedForm<Fields>::SetUp();
        // The desktop's selection as the renderer sets it (the offscreen platform keeps
        // none: where the platform has one, it is read back too).
        renderer_->set_desktop_selection = [this](const QString& text) {
            offered_.push_back(text);
            app::Renderer::set_primary_selection(text);
        };
    }
    // Every text box's widget shows the layer's text, caret and selection.
    void expect_mirrored() {
        for (ui::TextBox* t : {&form_->filter, &form_->start, &form_->strict, &form_->memo,
                               &form_->pass, &form_->locked, &form_->note}) {
            SCOPED_TRACE(t->name());
            EXPECT_EQ(qt_shown(w(*t)), layer_shown(*t));
        }
    }
    QWidget* mouse_part(ui::TextBox& t) { return testing::mouse_part(w(t)); }
    // The point of the gap before the layer's character `pos`, on mouse_part(t).
    QPoint at_pos(ui::TextBox& t, int pos) { return point_before(w(t), qt_at(t, pos)); }
    // The point of the gap before character `pos` of a single-line box.
    QPoint at_char(ui::TextBox& t, int pos) { return point_before(w(t), pos); }
    // The gap before Qt's character `qpos` of the multi-line box, on its viewport.
    QPoint in_memo(int qpos) { return point_before(w(form_->memo), qpos); }
    // The keys to `t` with its caret after the text, nothing selected, nothing offered.
    void caret_at_end(ui::TextBox& t) {
        keys_to(t);
        loop_.post([&t] {
            const int n = static_cast<int>(t.text().size());
            t.select(n, n);
        });
        settle();
        offered_.clear();
    }
    std::vector<QString> offered_;
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

// Every kind of text box the windows have: a single-line field, a multi-line (comment) box,
// a password box and a locked one. (The grid's cell editor is a single-line box: the real
// windows' test meets it.)
struct BoxKind {
    const char* name;
    ui::TextBox Fields::*box;
    bool to_desktop;  // its selections become the desktop's
};
const BoxKind every_kind[] = {
    {"single-line", &Fields::filter, true},
    {"multi-line", &Fields::memo, true},
    {"password", &Fields::pass, false},
    {"locked", &Fields::locked, true},
};

// Without the keys a box shows neither selection nor caret, whether the keys went on by Tab,
// by a click elsewhere or to a message box; the layer keeps the selection, and the box
// shows it again when the keys come back (by code, or when the box closes).
TEST_F(TextBoxView, WithoutTheKeysABoxShowsNeitherSelectionNorCaret) {
    enum class Away { tab, click, box };
    for (const BoxKind& k : every_kind)
        for (Away away : {Away::tab, Away::click, Away::box}) {
            ui::TextBox& t = (*form_).*k.box;
            SCOPED_TRACE(std::string(k.name) + (away == Away::tab     ? ", Tab"
                                                : away == Away::click ? ", a click elsewhere"
                                                                      : ", a message box"));
            caret_at_end(t);
            QTest::keyClick(renderer_->focus_widget(t), Qt::Key_Left, Qt::ShiftModifier);
            QTest::keyClick(renderer_->focus_widget(t), Qt::Key_Left, Qt::ShiftModifier);
            settle();
            ASSERT_EQ(t.sel_length(), 2);
            const std::pair<int, int> kept{t.anchor(), t.caret()};
            ASSERT_TRUE(shows_selection(w(t)));
            auto expect_hidden = [&] {
                EXPECT_FALSE(shows_selection(w(t)));
                // (The scripted box takes no keys of Qt's, as a real one does.)
                if (away != Away::box) {
                    EXPECT_FALSE(draws_caret(w(t)));
                }
                EXPECT_EQ(std::make_pair(t.anchor(), t.caret()), kept) << "the layer keeps it";
                expect_mirrored();
            };
            if (away == Away::box) {
                ui::ScriptedBoxes::Answer ok;
                ok.before = [&] {
                    renderer_->flush();
                    EXPECT_EQ(ui::focus_owner(), nullptr);
                    expect_hidden();
                };
                boxes_.answer(ok);
                loop_.post([] { ui::msg_box("Entered value is to large."); });
                settle();
                ASSERT_EQ(boxes_.pending(), 0u);
            } else {
                if (away == Away::tab)
                    QTest::keyClick(renderer_->focus_widget(t), Qt::Key_Tab);
                else
                    QTest::mouseClick(qobject_cast<QAbstractScrollArea*>(w(form_->liv))->viewport(),
                                      Qt::LeftButton, {}, QPoint(10, 10));
                settle();
                ASSERT_NE(ui::focus_owner(), &t);
                expect_hidden();
                loop_.post([&t] { t.set_focus(); });
                settle();
            }
            ASSERT_EQ(ui::focus_owner(), &t);
            EXPECT_EQ(qt_shown(w(t)), std::make_pair(qt_at(t, kept.first), qt_at(t, kept.second)))
                << "shown again with the keys";
            expect_mirrored();
        }
}

// A press the layer refused (a field that will not be left) leaves each widget showing the
// layer's state: the refused box its caret only, the selection kept in the layer.
TEST_F(TextBoxView, APressTheLayerRefusedChangesNoBox) {
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
    // And so does its double click, a drag, and a middle click; none of it reaches the
    // desktop's selection.
    renderer_->desktop_selection = [] { return QString("9"); };
    offered_.clear();
    QTest::mouseDClick(w(f), Qt::LeftButton, {}, at_char(f, 2));
    QTest::mousePress(w(f), Qt::LeftButton, {}, at_char(f, 0));
    QTest::mouseMove(w(f), at_char(f, 3));
    QTest::mouseRelease(w(f), Qt::LeftButton, {}, at_char(f, 3));
    QTest::mouseClick(w(f), Qt::MiddleButton, {}, at_char(f, 1));
    settle();
    EXPECT_EQ(f.text(), "1.0");
    EXPECT_EQ(f.sel_length(), 3);
    EXPECT_FALSE(shows_selection(w(f)));
    EXPECT_EQ(offered_, std::vector<QString>{});
    expect_mirrored();
}

// Every selection the technician makes, by keys or mouse, becomes the desktop's at once, as
// in Qt's own boxes, on every kind of box but the password box; there a double click takes
// the whole text (the run between blanks would show where they are).
TEST_F(TextBoxView, EverySelectionOfTheTechniciansBecomesTheDesktops) {
    struct Gesture {
        const char* name;
        bool multi_line_only;
        std::function<void(ui::TextBox&)> make;
    };
    auto key = [this](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        return [this, k, mods](ui::TextBox& t) {
            QTest::keyClick(renderer_->focus_widget(t), k, mods);
        };
    };
    quint64 time = 100000;
    const Gesture gestures[] = {
        {"Shift+Home", false, key(Qt::Key_Home, Qt::ShiftModifier)},
        {"Shift+Left", false, key(Qt::Key_Left, Qt::ShiftModifier)},
        {"Ctrl+A", false, key(Qt::Key_A, Qt::ControlModifier)},
        {"Home, then Shift+End", false,
         [&key](ui::TextBox& t) {
             key(Qt::Key_Home)(t);
             key(Qt::Key_End, Qt::ShiftModifier)(t);
         }},
        {"Shift+Up", true, key(Qt::Key_Up, Qt::ShiftModifier)},
        {"Up twice, then Shift+Down", true,
         [&key](ui::TextBox& t) {
             key(Qt::Key_Up)(t);
             key(Qt::Key_Up)(t);
             key(Qt::Key_Down, Qt::ShiftModifier)(t);
         }},
        {"a drag", false,
         [this, &time](ui::TextBox& t) {
             QWidget* part = mouse_part(t);
             time += 5000;
             send_mouse(part, QEvent::MouseButtonPress, Qt::LeftButton, at_pos(t, 1), time);
             send_mouse(part, QEvent::MouseMove, Qt::LeftButton, at_pos(t, 2), time + 10);
             send_mouse(part, QEvent::MouseMove, Qt::LeftButton, at_pos(t, 3), time + 20);
             ASSERT_TRUE(shows_selection(w(t))) << "Qt's drag";
             send_mouse(part, QEvent::MouseButtonRelease, Qt::LeftButton, at_pos(t, 3), time + 30);
             // Qt's own copy at the release found no selection of its own to put there.
             EXPECT_FALSE(shows_selection(w(t)));
         }},
        {"Shift+click", false,
         [this, &time](ui::TextBox& t) {
             QWidget* part = mouse_part(t);
             time += 5000;
             send_mouse(part, QEvent::MouseButtonPress, Qt::LeftButton, at_pos(t, 1), time,
                        Qt::ShiftModifier);
             send_mouse(part, QEvent::MouseButtonRelease, Qt::LeftButton, at_pos(t, 1), time,
                        Qt::ShiftModifier);
         }},
        {"a quick double click", false,
         [this, &time](ui::TextBox& t) {
             time += 5000;
             double_click(mouse_part(t), at_pos(t, 1), time);
         }},
        {"a quick triple click", false,
         [this, &time](ui::TextBox& t) {
             time += 5000;
             QWidget* part = mouse_part(t);
             const QPoint at = at_pos(t, 1);
             double_click(part, at, time);
             send_mouse(part, QEvent::MouseButtonPress, Qt::LeftButton, at, time + 160);
             send_mouse(part, QEvent::MouseButtonRelease, Qt::LeftButton, at, time + 160);
         }},
    };
    QClipboard* clipboard = QApplication::clipboard();
    for (const BoxKind& k : every_kind)
        for (const Gesture& g : gestures) {
            ui::TextBox& t = (*form_).*k.box;
            if (g.multi_line_only && !t.multi_line()) continue;
            SCOPED_TRACE(std::string(g.name) + " in the " + k.name + " box");
            caret_at_end(t);
            if (clipboard->supportsSelection())
                clipboard->setText("from another program", QClipboard::Selection);
            g.make(t);
            settle();
            ASSERT_EQ(ui::focus_owner(), &t);
            ASSERT_GT(t.sel_length(), 0) << "the gesture selects";
            expect_mirrored();
            QString selected = app::qstr(t.sel_text());
            selected.remove('\r');
            if (k.to_desktop) {
                ASSERT_FALSE(offered_.empty());
                EXPECT_EQ(offered_.back(), selected);
                if (clipboard->supportsSelection()) {
                    EXPECT_EQ(clipboard->text(QClipboard::Selection), selected);
                }
            } else {
                EXPECT_EQ(offered_, std::vector<QString>{});
                if (clipboard->supportsSelection()) {
                    EXPECT_EQ(clipboard->text(QClipboard::Selection), "from another program");
                }
            }
        }
    // The password box's double click takes the whole text, blanks and all.
    ui::TextBox& pass = form_->pass;
    caret_at_end(pass);
    double_click(mouse_part(pass), at_pos(pass, 1), time + 9000);
    settle();
    EXPECT_EQ(pass.sel_text(), "ab cd");
    expect_mirrored();
}

// What the technician did not select is not offered: a keyboard entry's select-all, a
// selection set by code, a caret key that changes no selection, typing over a selection.
TEST_F(TextBoxView, ASelectionTheTechnicianDidNotMakeStaysOffTheDesktop) {
    ui::TextBox& f = form_->filter;
    caret_at_end(f);
    QTest::keyClick(renderer_->focus_widget(f), Qt::Key_Tab);  // the start of range's text
    settle();
    ASSERT_EQ(ui::focus_owner(), &form_->start);
    ASSERT_EQ(form_->start.sel_length(), 1);
    EXPECT_EQ(offered_, std::vector<QString>{}) << "a keyboard entry";
    // Down in a single-line box keeps the selection; Shift+End at the end changes nothing.
    QTest::keyClick(renderer_->focus_widget(form_->start), Qt::Key_Down);
    QTest::keyClick(renderer_->focus_widget(form_->start), Qt::Key_End, Qt::ShiftModifier);
    settle();
    EXPECT_EQ(offered_, std::vector<QString>{}) << "a key that selected nothing new";
    caret_at_end(f);
    loop_.post([&f] {
        f.set_sel_start(0);
        f.set_sel_length(2);
    });
    settle();
    EXPECT_EQ(offered_, std::vector<QString>{}) << "code";
    QTest::keyClick(renderer_->focus_widget(f), Qt::Key_7);
    settle();
    EXPECT_EQ(f.text(), "70");
    EXPECT_EQ(offered_, std::vector<QString>{}) << "typing";
}

// In a multi-line box Up, Down, Home and End move on the rows shown, a stored line wrapped
// into several; Shift extends from the anchor; the first row has nothing above it, the last
// nothing below; the stored text stays as it was.
TEST_F(TextBoxView, AMultiLineBoxsCaretKeysMoveOnTheRowsShown) {
    ui::TextBox& t = form_->note;
    const std::string text =
        "Pt-100 sensor in the boiler feed line, checked on site by the service technician"
        "\r\nnext line";
    loop_.post([&t, &text] { t.set_text(text); });
    keys_to(t);
    auto* pe = qobject_cast<QPlainTextEdit*>(w(t));
    const QTextBlock first = pe->document()->firstBlock();
    QTextLayout* layout = first.layout();
    ASSERT_GE(layout->lineCount(), 3) << "the first stored line wraps";
    const int rows = layout->lineCount();
    // Where each shown row of the first stored line starts and where End stops in it (before
    // the blank it wraps at), in the layer's positions (no CR before them).
    auto row_start = [&](int r) { return layout->lineAt(r).textStart(); };
    auto row_end = [&](int r) {
        const QTextLine line = layout->lineAt(r);
        const int end = line.textStart() + line.textLength();
        return r + 1 < rows && first.text().at(end - 1).isSpace() ? end - 1 : end;
    };
    // The shown row and the place on the screen of the layer's caret.
    auto row_of = [&] {
        const int q = qt_at(t, t.caret());
        const QTextBlock b = pe->document()->findBlock(q);
        if (b != first) return rows + b.blockNumber() - 1;
        return layout->lineForTextPosition(q - first.position()).lineNumber();
    };
    auto x_of = [&] {
        QTextCursor c(pe->document());
        c.setPosition(qt_at(t, t.caret()));
        return pe->cursorRect(c).x();
    };
    auto press = [&](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(renderer_->focus_widget(t), k, mods);
        settle();
        EXPECT_EQ(t.text(), text);
        expect_mirrored();
    };
    const int char_width = pe->fontMetrics().horizontalAdvance('m');
    loop_.post([&t] { t.select(4, 4); });  // in the first row
    settle();
    press(Qt::Key_End);
    EXPECT_EQ(t.caret(), row_end(0));
    press(Qt::Key_Home);
    EXPECT_EQ(t.caret(), row_start(0));
    press(Qt::Key_Up);
    EXPECT_EQ(t.caret(), 0) << "nothing above the first row";
    loop_.post([&t] { t.select(5, 5); });
    settle();
    const int x = x_of();
    for (int r = 1; r < rows; ++r) {
        press(Qt::Key_Down);
        EXPECT_EQ(row_of(), r);
        EXPECT_LE(std::abs(x_of() - x), char_width) << "below where it was, row " << r;
    }
    press(Qt::Key_Home);
    EXPECT_EQ(t.caret(), row_start(rows - 1));
    press(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(t.sel_start(), row_start(rows - 1));
    EXPECT_EQ(t.caret(), row_end(rows - 1));
    // From the row's end, beyond the whole of the shorter next line: that line's end.
    press(Qt::Key_Down);
    EXPECT_EQ(t.caret(), static_cast<int>(text.size())) << "the next stored line";
    EXPECT_EQ(t.sel_length(), 0);
    press(Qt::Key_Home);
    EXPECT_EQ(t.caret(), static_cast<int>(text.find("next")));
    press(Qt::Key_Down);
    EXPECT_EQ(t.caret(), static_cast<int>(text.find("next"))) << "nothing below the last row";
    press(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(row_of(), rows - 1);
    EXPECT_EQ(t.anchor(), static_cast<int>(text.find("next")));
    press(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(row_of(), rows - 2);
    EXPECT_EQ(t.anchor(), static_cast<int>(text.find("next")));
    ASSERT_FALSE(offered_.empty());
    QString selected = app::qstr(t.sel_text());
    EXPECT_EQ(offered_.back(), selected.remove('\r'));
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

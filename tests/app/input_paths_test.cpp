// Every input path Qt offers on a control's widget either reaches the window layer's own
// rules or changes nothing: keys with every modifier, the wheel, the mouse's other
// buttons, double clicks, drags, context menus and input methods. Checked on a form with
// one control of each kind (what the layer does with a path) and on the program's real
// windows on the simulated bus (parameter words, texts, values and focus unchanged by
// every path that is to do nothing; each widget showing the layer's state after a long
// seeded run of mixed input).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTreeWidget>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/render_grid.h"
#include "app/renderer.h"
#include "app/twips.h"
#include "calib/openers.h"
#include "gateway/hzl3_blatt.h"
#include "gateway/openers.h"
#include "link/register_images.h"
#include "mainwin/access_level.h"
#include "mainwin/page_openers.h"
#include "mainwin/password_dialogs.h"
#include "model/access.h"
#include "model/bound_fields.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "pages/h_dout.h"
#include "pages/h_inp.h"
#include "pages/openers.h"
#include "platform/cp1252.h"
#include "tests/app/layer_state.h"
#include "tests/app/qt_steps.h"
#include "tests/app/qt_test_app.h"
#include "tests/app/qt_windows_fixture.h"
#include "tests/app/rendered_form.h"
#include "tests/app/text_box_shown.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

std::string name_of(const ui::Control* c) {
    if (!c) return "none";
    return platform::to_utf8(c->name()) +
           (c->index() >= 0 ? "(" + std::to_string(c->index()) + ")" : "");
}

// ---------------------------------------------------------------------------------
// Sending Qt's events

void wheel(QWidget* part, int delta, Qt::KeyboardModifiers mods = {}) {
    const QPoint at = part->rect().center();
    QWheelEvent e(at, part->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(part, &e);
}

void context_menu(QWidget* part) {
    const QPoint at = part->rect().center();
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, part->mapToGlobal(at));
    QApplication::sendEvent(part, &e);
}

// Text dragged in from another program and dropped on the part.
void drop_text(QWidget* part, const QString& text) {
    QMimeData data;
    data.setText(text);
    const QPointF at = part->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(part, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(part, &drop);
}

// An input method composing "ü" (a dead key, or the compose key): its preedit, then its
// commit when `commit`.
void compose(QWidget* to, bool commit) {
    QInputMethodEvent pre(QStringLiteral("\u00a8"), {});
    QApplication::sendEvent(to, &pre);
    if (!commit) return;
    QInputMethodEvent done;
    done.setCommitString(QStringLiteral("\u00fc"));
    QApplication::sendEvent(to, &done);
}

// The parts of a control's widget the mouse can reach: the widget, a scrolled control's
// viewport and scroll bars, a tab control's bar.
std::vector<QWidget*> parts_of(QWidget* w) {
    std::vector<QWidget*> out{w};
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
        out.push_back(area->viewport());
        if (area->verticalScrollBar()->isVisible()) out.push_back(area->verticalScrollBar());
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) out.push_back(tabs->tabBar());
    return out;
}

// ---------------------------------------------------------------------------------
// The layer's state and what Qt shows of it

struct Snapshot {
    std::vector<std::int16_t> words;
    std::vector<std::string> controls;
    std::string focus, active;
    std::size_t boxes = 0;
    bool operator==(const Snapshot&) const = default;
};

// The controls of every loaded window whose state differs, and the words that did.
std::vector<std::string> differences(const Snapshot& a, const Snapshot& b) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < a.words.size() && i < b.words.size(); ++i)
        if (a.words[i] != b.words[i])
            out.push_back("word " + std::to_string(i) + ": " + std::to_string(a.words[i]) + " -> " +
                          std::to_string(b.words[i]));
    for (std::size_t i = 0; i < a.controls.size() && i < b.controls.size(); ++i)
        if (a.controls[i] != b.controls[i]) out.push_back(a.controls[i] + " -> " + b.controls[i]);
    if (a.controls.size() != b.controls.size()) out.push_back("controls came or went");
    if (a.focus != b.focus) out.push_back("keys " + a.focus + " -> " + b.focus);
    if (a.active != b.active) out.push_back("window " + a.active + " -> " + b.active);
    if (a.boxes != b.boxes) out.push_back("a box came");
    return out;
}

// Where Qt's widget shows something else than the layer holds; empty when none.
std::vector<std::string> unmirrored(app::Renderer& r, ui::Form& f) {
    std::vector<std::string> out;
    for (ui::Control* c : f.controls()) {
        QWidget* w = r.widget(*c);
        if (!w) continue;
        const std::string n = name_of(c);
        auto expect = [&](bool ok, const std::string& what) {
            if (!ok) out.push_back(n + ": " + what);
        };
        expect(w->testAttribute(Qt::WA_ForceDisabled) != c->enabled(), "enabled");
        switch (c->kind()) {
            case ui::Kind::text_box: {
                auto& t = static_cast<ui::TextBox&>(*c);
                // The layer's selection as characters of Qt's text (a multi-line box shows
                // each CR LF as one line break); without the keys its caret alone.
                const std::string& text = t.text();
                auto qt_at = [&text](int pos) {
                    const auto end = text.begin() + std::clamp<int>(pos, 0, int(text.size()));
                    return pos - static_cast<int>(std::count(text.begin(), end, '\r'));
                };
                const bool keys = ui::focus_owner() == &t;
                const std::pair<int, int> want =
                    keys ? std::pair{qt_at(t.sel_start()), qt_at(t.sel_start() + t.sel_length())}
                         : std::pair{qt_at(t.caret()), qt_at(t.caret())};
                std::pair<int, int> shown{-1, -1};
                if (auto* e = qobject_cast<QLineEdit*>(w)) {
                    expect(e->text() == app::qstr(t.text()), "text " + app::cp1252(e->text()));
                    shown = e->hasSelectedText()
                                ? std::pair{e->selectionStart(), e->selectionEnd()}
                                : std::pair{e->cursorPosition(), e->cursorPosition()};
                } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
                    QString plain = app::qstr(t.text());
                    plain.remove('\r');
                    expect(pe->toPlainText() == plain, "text");
                    const QTextCursor cur = pe->textCursor();
                    shown = {cur.selectionStart(), cur.selectionEnd()};
                }
                expect(shown == want, "caret or selection " + std::to_string(shown.first) + ".." +
                                          std::to_string(shown.second) + ", the layer's " +
                                          std::to_string(want.first) + ".." +
                                          std::to_string(want.second));
                break;
            }
            case ui::Kind::combo_box: {
                auto& l = static_cast<ui::ListControl&>(*c);
                auto* cb = qobject_cast<QComboBox*>(w);
                expect(cb->count() == l.list_count() && cb->currentIndex() == l.list_index(),
                       "choice " + std::to_string(cb->currentIndex()));
                break;
            }
            case ui::Kind::list_box: {
                auto& l = static_cast<ui::ListControl&>(*c);
                auto* lw = qobject_cast<QListWidget*>(w);
                const int sel =
                    lw->selectedItems().isEmpty() ? -1 : lw->row(lw->selectedItems()[0]);
                expect(lw->count() == l.list_count() && sel == l.list_index(),
                       "selection " + std::to_string(sel));
                const QModelIndex top = lw->indexAt(QPoint(1, 1));
                expect(!top.isValid() || top.row() == l.top_index(),
                       "top row " + std::to_string(top.row()));
                break;
            }
            case ui::Kind::list_view: {
                auto& lv = static_cast<ui::ListView&>(*c);
                auto* tw = qobject_cast<QTreeWidget*>(w);
                const auto sel = tw->selectedItems();
                const int at = sel.isEmpty() ? 0 : tw->indexOfTopLevelItem(sel[0]) + 1;
                expect(at == lv.selected_index(), "selection " + std::to_string(at));
                break;
            }
            case ui::Kind::check_box: {
                const int v = static_cast<ui::CheckBox&>(*c).value();
                const auto st = qobject_cast<QCheckBox*>(w)->checkState();
                expect(st == (v == 1   ? Qt::Checked
                              : v == 2 ? Qt::PartiallyChecked
                                       : Qt::Unchecked),
                       "check");
                break;
            }
            case ui::Kind::option_button:
                expect(qobject_cast<QRadioButton*>(w)->isChecked() ==
                           static_cast<ui::OptionButton&>(*c).value(),
                       "option");
                break;
            case ui::Kind::vscroll_bar:
                expect(qobject_cast<QScrollBar*>(w)->value() ==
                           static_cast<ui::VScrollBar&>(*c).value(),
                       "value");
                break;
            case ui::Kind::tab_control:
                expect(qobject_cast<QTabWidget*>(w)->currentIndex() ==
                           static_cast<ui::TabControl&>(*c).tab(),
                       "tab");
                break;
            case ui::Kind::grid: {
                auto& g = static_cast<ui::Grid&>(*c);
                // The wheel may scroll the layer's rows past the last full page; the widget
                // shows them from there, its scroll bar held at its end.
                QScrollBar* bar = static_cast<app::GridWidget*>(w)->verticalScrollBar();
                expect(bar->value() == std::min(g.top_row() - g.fixed_rows(), bar->maximum()),
                       "top row");
                break;
            }
            default:
                break;
        }
    }
    // Qt's keys where the layer's are: on the focused control's widget when it is on this
    // window, on none of the window's controls when the layer has no focused control.
    ui::Control* owner = ui::focus_owner();
    QWidget* keys = QApplication::focusWidget();
    if (owner && &owner->form() == &f) {
        if (keys != r.focus_widget(*owner))
            out.push_back("Qt's keys not on " + name_of(owner) + " (" +
                          (keys ? keys->metaObject()->className() : std::string("none")) + ")");
    } else if (!owner && keys) {
        for (ui::Control* c : f.controls())
            if (QWidget* w = r.widget(*c); w && (w == keys || w->isAncestorOf(keys)))
                out.push_back("Qt's keys on " + name_of(c) + ", the layer's on none");
    }
    return out;
}

// The bound fields of a window whose shown text would, when left, store another word than
// the one the image holds, or be refused: the window then shows one value while the image
// holds another. The field with the keys is being edited and is left out.
std::vector<std::string> unlike_words(app::Renderer& r, ui::Form& f) {
    std::vector<std::string> out;
    const auto* bound = dynamic_cast<const model::BoundFields*>(&f);
    if (!bound) return out;
    for (const model::BoundFields::Field& field : bound->bound_fields()) {
        const ui::TextBox& box = *field.box;
        if (&box == ui::focus_owner() || !box.shown()) continue;
        const auto* e = qobject_cast<QLineEdit*>(r.widget(box));
        const std::string shown = e ? app::cp1252(e->text()) : box.text();
        if (!field.keeps_words(shown))
            out.push_back(name_of(&box) + " shows \"" + shown + "\", unlike its words");
    }
    return out;
}

// The letters Alt takes in a window: its captions' access keys and its menus'.
std::set<char> access_letters(ui::Form& f) {
    std::set<char> out;
    auto add = [&out](const std::string& caption) {
        for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
            if (caption[i] != '&') continue;
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            const auto ch = static_cast<unsigned char>(caption[i + 1]);
            if (std::isalpha(ch)) out.insert(static_cast<char>(std::tolower(ch)));
        }
    };
    for (ui::Control* c : f.controls()) {
        if (auto* cc = dynamic_cast<ui::CaptionControl*>(c)) add(cc->caption());
        if (auto* tc = dynamic_cast<ui::TabControl*>(c))
            for (int i = 0; i < tc->tabs(); ++i) add(tc->tab_caption(i));
    }
    return out;
}

// ---------------------------------------------------------------------------------
// What the layer does with each path, on one control of each kind

class EveryKind : public ui::Form {
  public:
    EveryKind() : Form("every_kind", {0, 0, 9000, 7000}) {
        on_load = [this] {
            txt.set_text("12.5");
            memo.set_multi_line(true);
            memo.set_text("first\r\nsecond");
            btn.set_caption("&Read");
            chk.set_caption("Echo");
            opt.set_caption("Relay");
            for (int i = 0; i < 30; ++i) {
                lst.add_item("item " + std::to_string(i));
                cmb.add_item("entry " + std::to_string(i));
            }
            cmb.set_list_index(3);
            lst.set_list_index(2);
            liv.add_column("Address", 1200);
            for (int i = 1; i <= 3; ++i) liv.add_item(std::to_string(i));
            grd.set_rows(40);
            grd.set_cols(3);
            grd.set_fixed_rows(1);
            grd.set_fixed_cols(1);
            vsb.set_max(10);
            vsb.set_small_change(1);
            vsb.set_large_change(5);
            vsb.set_value(5);
            tab.set_tabs(2);
            tab.set_tab_caption(0, "Input");
            tab.set_tab_caption(1, "Output");
        };
    }
    ui::TextBox txt{*this, "txt", {120, 120, 1500, 315}};
    ui::TextBox memo{*this, "memo", {120, 5000, 3000, 900}};
    ui::CommandButton btn{*this, "btn", {3500, 120, 1200, 375}};
    ui::CheckBox chk{*this, "chk", {4900, 120, 1200, 255}};
    ui::OptionButton opt{*this, "opt", {6300, 120, 1200, 255}};
    ui::ListBox lst{*this, "lst", {120, 700, 2500, 1500}};
    ui::ComboBox cmb{*this, "cmb", {2800, 700, 2000, 315}};
    ui::ListView liv{*this, "liv", {5000, 700, 3000, 1500}};
    ui::Grid grd{*this, "grd", {120, 2500, 4000, 2000}};
    ui::VScrollBar vsb{*this, "vsb", {4500, 2500, 255, 2000}};
    ui::TabControl tab{*this, "tab", {5000, 2500, 3000, 2000}};
};

class InputTable : public RenderedForm<EveryKind> {
  protected:
    QWidget* keyboard() {
        QWidget* f = QApplication::focusWidget();
        return f ? f : w(*ui::focus_owner());
    }
};

// A list box's scroll bar scrolls its rows through the layer (the selection stays; the
// press gives the list the keys, as a press on any of its parts), and Qt shows the
// layer's top row afterwards.
TEST_F(InputTable, AListBoxsScrollBarScrollsItsRowsThroughTheLayer) {
    EveryKind& f = *form_;
    keys_to(f.txt);
    auto* lw = qobject_cast<QListWidget*>(w(f.lst));
    ASSERT_NE(lw, nullptr);
    QScrollBar* bar = lw->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const int chosen = f.lst.list_index();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 20));
    settle();
    EXPECT_GT(f.lst.top_index(), 0);
    EXPECT_EQ(bar->value(), f.lst.top_index());
    EXPECT_EQ(f.lst.list_index(), chosen);
    EXPECT_EQ(ui::focus_owner(), &f.lst);
}

// The path, the control it goes to, whether that control has the keys, and what the
// layer holds afterwards (the rest of the form unchanged).
TEST_F(InputTable, EachPathDoesWhatTheTableSaysOnEachKindOfControl) {
    auto viewport = [this](ui::Control& c) {
        return qobject_cast<QAbstractScrollArea*>(w(c))->viewport();
    };
    struct Case {
        const char* path;
        const char* control;
        bool keys;  // the control has the keys; else the text box has them
        std::function<void(EveryKind&)> send;
        std::string after;  // the control's layer_state afterwards
    };
    const std::vector<Case> cases = {
        // The wheel: only the control with the keys takes it.
        {"wheel down", "cmb", true, [&](EveryKind& f) { wheel(w(f.cmb), -120); },
         "cmb: 4 of 30 top 0"},
        {"wheel up", "cmb", true, [&](EveryKind& f) { wheel(w(f.cmb), 120); },
         "cmb: 2 of 30 top 0"},
        {"wheel, keys elsewhere", "cmb", false, [&](EveryKind& f) { wheel(w(f.cmb), -120); },
         "cmb: 3 of 30 top 0"},
        {"Ctrl+wheel", "cmb", true,
         [&](EveryKind& f) { wheel(w(f.cmb), -120, Qt::ControlModifier); }, "cmb: 3 of 30 top 0"},
        {"half a notch twice", "cmb", true,
         [&](EveryKind& f) {
             wheel(w(f.cmb), -60);
             wheel(w(f.cmb), -60);
         },
         "cmb: 4 of 30 top 0"},
        {"wheel down", "lst", true, [&](EveryKind& f) { wheel(viewport(f.lst), -240); },
         "lst: 2 of 30 top 6"},
        {"wheel, keys elsewhere", "lst", false, [&](EveryKind& f) { wheel(viewport(f.lst), -120); },
         "lst: 2 of 30 top 0"},
        {"wheel down", "vsb", true, [&](EveryKind& f) { wheel(w(f.vsb), -120); }, "vsb: 6"},
        {"wheel, keys elsewhere", "vsb", false, [&](EveryKind& f) { wheel(w(f.vsb), -120); },
         "vsb: 5"},
        {"wheel, keys elsewhere", "tab", false,
         [&](EveryKind& f) { wheel(static_cast<QTabWidget*>(w(f.tab))->tabBar(), -120); },
         "tab: 0"},
        {"wheel over the field", "txt", true, [&](EveryKind& f) { wheel(w(f.txt), -120); },
         "txt: \"12.5\""},
        // Alt with a letter that is no access key finds nothing in a list.
        {"Alt+E", "cmb", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_E, Qt::AltModifier); },
         "cmb: 3 of 30 top 0"},
        {"Alt+I", "lst", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_I, Qt::AltModifier); },
         "lst: 2 of 30 top 0"},
        {"Ctrl+End", "lst", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_End, Qt::ControlModifier); },
         "lst: 2 of 30 top 0"},
        {"Alt+Down, Alt+E in the open list, Enter", "cmb", true,
         [&](EveryKind&) {
             QTest::keyClick(keyboard(), Qt::Key_Down, Qt::AltModifier);
             QWidget* open = QApplication::activePopupWidget();
             ASSERT_NE(open, nullptr) << "Alt+Down opens the list";
             QWidget* list = open->focusWidget() ? open->focusWidget() : open;
             QTest::keyClick(list, Qt::Key_E, Qt::AltModifier);
             QTest::keyClick(list, Qt::Key_Return);
         },
         "cmb: 3 of 30 top 0"},
        {"Alt+Down, a letter in the open list, Enter", "cmb", true,
         [&](EveryKind&) {
             QTest::keyClick(keyboard(), Qt::Key_Down, Qt::AltModifier);
             QWidget* open = QApplication::activePopupWidget();
             ASSERT_NE(open, nullptr) << "Alt+Down opens the list";
             QWidget* list = open->focusWidget() ? open->focusWidget() : open;
             QTest::keyClick(list, Qt::Key_E);
             QTest::keyClick(list, Qt::Key_Return);
         },
         "cmb: 3 of 30 top 0"},
        {"typed letter", "cmb", true, [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_E); },
         "cmb: 3 of 30 top 0"},
        {"Down", "cmb", true, [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_Down); },
         "cmb: 4 of 30 top 0"},
        // The mouse's other buttons and Qt's own menus reach no control.
        {"right click", "lst", false,
         [&](EveryKind& f) {
             QTest::mouseClick(viewport(f.lst), Qt::RightButton, {}, QPoint(10, 5));
         },
         "lst: 2 of 30 top 0"},
        {"middle click", "lst", false,
         [&](EveryKind& f) {
             QTest::mouseClick(viewport(f.lst), Qt::MiddleButton, {}, QPoint(10, 5));
         },
         "lst: 2 of 30 top 0"},
        {"right double click", "liv", false,
         [&](EveryKind& f) {
             QTest::mouseDClick(viewport(f.liv), Qt::RightButton, {}, QPoint(10, 5));
         },
         "liv: 0"},
        {"middle click", "vsb", false,
         [&](EveryKind& f) {
             QTest::mouseClick(w(f.vsb), Qt::MiddleButton, {}, QPoint(5, w(f.vsb)->height() - 30));
         },
         "vsb: 5"},
        {"context menu", "vsb", false, [&](EveryKind& f) { context_menu(w(f.vsb)); }, "vsb: 5"},
        {"right click", "chk", false,
         [&](EveryKind& f) { QTest::mouseClick(w(f.chk), Qt::RightButton); }, "chk: 0"},
        // A drag over a list's rows chooses nothing until the click of one row.
        {"drag over the rows", "lst", true,
         [&](EveryKind& f) {
             QWidget* vp = viewport(f.lst);
             QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(10, 5));
             QTest::mouseMove(vp, QPoint(10, vp->height() - 5));
             QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(10, vp->height() - 5));
         },
         "lst: 2 of 30 top 0"},
        // Text boxes: the layer's editing only.
        {"Ctrl+Z", "txt", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_Z, Qt::ControlModifier); },
         "txt: \"12.5\""},
        {"Ctrl+Backspace", "txt", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_Backspace, Qt::ControlModifier); },
         "txt: \"12.5\""},
        {"Ctrl+Delete", "txt", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_Delete, Qt::ControlModifier); },
         "txt: \"12.5\""},
        {"Insert, then a digit", "txt", true,
         [&](EveryKind& f) {
             QTest::keyClick(keyboard(), Qt::Key_Insert);
             QTest::keyClick(keyboard(), Qt::Key_Home);
             QTest::keyClick(keyboard(), Qt::Key_7);
         },
         "txt: \"712.5\""},
        {"Ctrl+X, nothing selected", "txt", true,
         [&](EveryKind& f) {
             QTest::keyClick(keyboard(), Qt::Key_Home);
             QTest::keyClick(keyboard(), Qt::Key_X, Qt::ControlModifier);
         },
         "txt: \"12.5\""},
        {"Shift+Delete, nothing selected", "txt", true,
         [&](EveryKind& f) {
             QTest::keyClick(keyboard(), Qt::Key_Home);
             QTest::keyClick(keyboard(), Qt::Key_Delete, Qt::ShiftModifier);
         },
         "txt: \"12.5\""},
        {"Ctrl+A, then a digit", "txt", true,
         [&](EveryKind& f) {
             QTest::keyClick(keyboard(), Qt::Key_End);
             QTest::keyClick(keyboard(), Qt::Key_A, Qt::ControlModifier);
             QTest::keyClick(keyboard(), Qt::Key_3);
         },
         "txt: \"3\""},
        {"text dropped in", "txt", false, [&](EveryKind& f) { drop_text(w(f.txt), "99"); },
         "txt: \"12.5\""},
        {"text dropped in", "memo", false, [&](EveryKind& f) { drop_text(viewport(f.memo), "99"); },
         "memo: \"first\r\nsecond\""},
        {"context menu", "txt", true, [&](EveryKind& f) { context_menu(w(f.txt)); },
         "txt: \"12.5\""},
        {"compose, preedit only", "txt", true, [&](EveryKind& f) { compose(keyboard(), false); },
         "txt: \"12.5\""},
        {"compose \u00fc", "txt", true,
         [&](EveryKind& f) {
             QTest::keyClick(keyboard(), Qt::Key_End);
             compose(keyboard(), true);
         },
         "txt: \"12.5\xfc\""},
        {"Alt+K", "txt", true,
         [&](EveryKind& f) { QTest::keyClick(keyboard(), Qt::Key_K, Qt::AltModifier); },
         "txt: \"12.5\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " on " + c.control);
        // Each case starts from the same form.
        renderer_->flush();
        form_->unload();
        form_ = std::make_unique<EveryKind>();
        form_->load();
        form_->show_modeless();
        settle();
        std::map<std::string, std::string> before;
        for (ui::Control* k : form_->controls()) before[name_of(k)] = layer_state(*k);
        ui::Control* target = form_->control(c.control);
        ASSERT_NE(target, nullptr);
        if (c.keys)
            keys_to(*target);
        else
            keys_to(form_->txt);
        if (target == &form_->txt) {
            // The caret after the text, nothing selected.
            loop_.post([this] {
                form_->txt.set_sel_start(4);
                form_->txt.set_sel_length(0);
            });
            settle();
        }
        c.send(*form_);
        settle();
        EXPECT_EQ(layer_state(*target), c.after);
        for (ui::Control* k : form_->controls())
            if (k != target) {
                EXPECT_EQ(layer_state(*k), before[name_of(k)]);
            }
        EXPECT_EQ(unmirrored(*renderer_, *form_), std::vector<std::string>{});
    }
}

// ---------------------------------------------------------------------------------
// The program's windows on the simulated bus

class RealWindows : public QtWindowsFixture {
  protected:
    void settle() {
        settle_qt(loop_, *renderer_);
        // A drop-down list a press opened is closed again, as by Esc.
        if (QWidget* p = QApplication::activePopupWidget()) {
            p->close();
            settle_qt(loop_, *renderer_);
        }
    }
    static QWidget* keyboard() {
        if (QWidget* f = QApplication::focusWidget()) return f;
        return QApplication::activeWindow();
    }

    Snapshot snapshot() {
        Snapshot s;
        s.words.assign(model::param_image.begin(), model::param_image.end());
        for (ui::Form* f : ui::loaded_forms())
            for (ui::Control* c : f->controls()) s.controls.push_back(layer_state(*c));
        s.focus = name_of(ui::focus_owner());
        s.active = ui::active_form() ? platform::to_utf8(ui::active_form()->name()) : "none";
        s.boxes = boxes_.shown().size();
        return s;
    }

    // The program on the bus with the device read at level 2; `each` runs on the main
    // window and on every page and sheet its buttons and menus open, a calibration
    // page's sister sheet too. A live page polls inside its button's handler until it
    // closes, so `each` runs on it while it polls.
    void on_every_window(int bus, int device, const std::function<void(ui::Form&)>& each) {
        ui::reset_forms();
        reset_globals();
        for (const char* marker : {"HZL_mod.cfg", "HZL3_mod.cfg"})
            if (files_->exists(marker)) files_->remove(marker);
        if (bus != 0) {
            write_checked(bus == 1 ? "HZL_mod.cfg" : "HZL3_mod.cfg", "1");
            write_checked("HZL_chart_enabled.cfg", "1");
        }
        ASSERT_TRUE(start(bus));
        model::entered_password = model::password_level_2_default;
        mainwin::apply_access_level();
        pump();
        select(device);
        read();
        settle();
        auto& m = main();
        std::vector<ui::Control*> openers = {&m.B_io,       &m.B_Out,     &m.B_dout,
                                             &m.B_Schk,     &m.B_comment, &m.B_online,
                                             &m.Command3D3, &m.m_cal_inp, &m.m_cal_out};
        if (bus != 0) {
            openers.push_back(&m.m_ub_hzl);
            openers.push_back(&m.m_ub_bnr);
        }
        for (ui::Control* opener : openers) {
            SCOPED_TRACE(name_of(opener));
            bool ran = false;
            auto on_page = [&] {
                if (ran) return;
                ran = true;
                renderer_->flush();
                ui::Form* page = ui::active_form();
                if (!page || page == &m) return;  // not offered here
                SCOPED_TRACE(platform::to_utf8(page->name()));
                each(*page);
                auto* sister = dynamic_cast<ui::CommandButton*>(page->control("Command3D3"));
                if (page->loaded() && sister && page->name().find("Cal") != std::string::npos &&
                    sister->usable()) {
                    user([sister] { ui::user_click(*sister); });
                    settle();
                    if (ui::Form* other = ui::active_form(); other && other != page) {
                        SCOPED_TRACE(platform::to_utf8(other->name()));
                        each(*other);
                        if (other->loaded()) user([other] { ui::user_close(*other); });
                        settle();
                    }
                }
                if (page->loaded()) user([page] { ui::user_close(*page); });
                settle();
            };
            step_after(loop_, 1.0, on_page);  // a live page: while it polls
            user([opener] { ui::user_click(*opener); });
            settle();
            on_page();
            loop_.run_for(1.0);
            settle();
            if (!m.visible()) user([&m] { m.show_modeless(); });
            settle();
        }
        // The main window last: what it is given may change which pages open.
        each(m);
    }

    // The usable controls of a window that have a widget of their own.
    std::vector<ui::Control*> usable(ui::Form& f) {
        std::vector<ui::Control*> out;
        for (ui::Control* c : f.controls()) {
            QWidget* w = renderer_->widget(*c);
            if (w && w->isVisible() && w->isEnabled() && c->shown() && c->usable())
                out.push_back(c);
        }
        return out;
    }
};

// Every path the table says does nothing, on every usable control of every window: no
// parameter word, text, choice, value, focus or window changes, and no box comes.
TEST_F(RealWindows, EveryPathThatDoesNothingChangesNothingOnEveryWindow) {
    struct Path {
        const char* name;
        bool keys;  // sent to the control while it has the keys; else while another has them
        std::function<void(ui::Control&, QWidget*)> send;
    };
    std::string letters;  // set per window: Alt letters that are no access key
    const std::vector<Path> paths = {
        {"Alt+letter, no access key", true,
         [&](ui::Control&, QWidget*) {
             for (char ch : letters)
                 QTest::keyClick(keyboard(), static_cast<Qt::Key>(Qt::Key_A + (ch - 'a')),
                                 Qt::AltModifier);
         }},
        {"Ctrl+Z, Ctrl+Y", true,
         [](ui::Control&, QWidget*) {
             QTest::keyClick(keyboard(), Qt::Key_Z, Qt::ControlModifier);
             QTest::keyClick(keyboard(), Qt::Key_Y, Qt::ControlModifier);
         }},
        {"Ctrl+Backspace, Ctrl+Delete", true,
         [](ui::Control&, QWidget*) {
             QTest::keyClick(keyboard(), Qt::Key_Backspace, Qt::ControlModifier);
             QTest::keyClick(keyboard(), Qt::Key_Delete, Qt::ControlModifier);
         }},
        {"Ctrl+X, Shift+Delete with nothing selected", true,
         [this](ui::Control& c, QWidget*) {
             if (c.kind() == ui::Kind::text_box) {
                 auto& t = static_cast<ui::TextBox&>(c);
                 user([&t] {
                     t.set_sel_start(0);
                     t.set_sel_length(0);
                 });
                 settle();
             }
             QTest::keyClick(keyboard(), Qt::Key_X, Qt::ControlModifier);
             QTest::keyClick(keyboard(), Qt::Key_Delete, Qt::ShiftModifier);
         }},
        {"Insert", true,
         [](ui::Control&, QWidget*) { QTest::keyClick(keyboard(), Qt::Key_Insert); }},
        {"an input method's preedit", true,
         [](ui::Control&, QWidget*) { compose(keyboard(), false); }},
        {"the wheel, the keys elsewhere", false,
         [](ui::Control&, QWidget* w) {
             for (QWidget* part : parts_of(w)) {
                 wheel(part, -120);
                 wheel(part, 120);
             }
         }},
        {"right and middle click, right double click", false,
         [](ui::Control& c, QWidget* w) {
             for (QWidget* part : parts_of(w)) {
                 QTest::mouseClick(part, Qt::RightButton);
                 QTest::mouseDClick(part, Qt::RightButton);
                 // The middle button pastes into a text box.
                 if (c.kind() != ui::Kind::text_box) QTest::mouseClick(part, Qt::MiddleButton);
             }
         }},
        {"context menu, text dropped in", false,
         [](ui::Control&, QWidget* w) {
             for (QWidget* part : parts_of(w)) {
                 context_menu(part);
                 drop_text(part, "77");
             }
         }},
    };
    int checked = 0;
    auto each = [&](ui::Form& f) {
        renderer_->flush();
        const std::set<char> taken = access_letters(f);
        letters.clear();
        for (char ch = 'a'; ch <= 'z'; ++ch)
            if (!taken.count(ch)) letters += ch;
        for (ui::Control* c : usable(f)) {
            SCOPED_TRACE(name_of(c));
            for (const Path& p : paths) {
                if (ui::active_form() != &f) return;
                SCOPED_TRACE(p.name);
                if (p.keys) {
                    if (!c->focusable_kind()) continue;
                    user([c] { ui::user_focus(*c); });
                    settle();
                    if (ui::focus_owner() != c) continue;
                } else if (ui::focus_owner() == c) {
                    // The keys to the first other control that takes them.
                    for (ui::Control* o : f.tab_order())
                        if (o != c) {
                            user([o] { ui::user_focus(*o); });
                            settle();
                            if (ui::focus_owner() == o) break;
                        }
                    if (ui::focus_owner() == c) continue;
                }
                QWidget* w = renderer_->widget(*c);
                if (!w || !w->isVisible()) continue;
                if (p.keys) {
                    ASSERT_EQ(keyboard(), renderer_->focus_widget(*c))
                        << "Qt has the keys elsewhere";
                }
                const Snapshot before = snapshot();
                p.send(*c, w);
                settle();
                EXPECT_EQ(differences(before, snapshot()), std::vector<std::string>{});
                EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});
                ++checked;
            }
        }
    };
    on_every_window(0, 1, each);   // KRV 4.05
    on_every_window(0, 20, each);  // DLX 4.02
    on_every_window(1, 1, each);
    EXPECT_GT(checked, 500);
}

// A long seeded run of mixed input on every window of a bus (the live pages while they
// poll), for more than one seed: after each event every widget shows the layer's state
// (texts, values, choices, the caret and selection, a list's top row, Qt's keys on the
// layer's focused control), every bound field shows what its words hold (its text, left,
// would store them), and a parameter word changes only after an event that may change one
// (a typed key, a left click, the wheel over the control with the keys).
struct SeededRun {
    const char* name;
    int bus, device;
    unsigned seed;
};
class SeededRuns : public RealWindows, public ::testing::WithParamInterface<SeededRun> {};

TEST_P(SeededRuns, MixedInputKeepsQtShowingTheLayerAndTheFieldsTheirWords) {
    std::mt19937 rng(GetParam().seed);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int events = 0;
    std::set<std::string> windows;
    auto at_random = [&pick](QWidget* part) {
        return QPoint(1 + pick(std::max(1, part->width() - 2)),
                      1 + pick(std::max(1, part->height() - 2)));
    };
    auto each = [&](ui::Form& f) {
        renderer_->flush();
        windows.insert(platform::to_utf8(f.name()));
        const std::set<char> taken = access_letters(f);
        std::string free;
        for (char ch = 'a'; ch <= 'z'; ++ch)
            if (!taken.count(ch)) free += ch;
        for (int i = 0; i < 60; ++i) {
            if (ui::active_form() != &f || !f.loaded()) return;
            std::vector<ui::Control*> controls, combos;
            for (ui::Control* c : usable(f)) {
                if (c->kind() == ui::Kind::command_button) continue;  // no page closes
                controls.push_back(c);
                if (c->kind() == ui::Kind::combo_box) combos.push_back(c);
            }
            if (controls.empty()) return;
            const int kind = pick(14);
            ui::Control* c = kind == 13 && !combos.empty()
                                 ? combos[pick(static_cast<int>(combos.size()))]
                                 : controls[pick(static_cast<int>(controls.size()))];
            QWidget* w = renderer_->widget(*c);
            const auto parts = parts_of(w);
            QWidget* part = parts[pick(static_cast<int>(parts.size()))];
            const bool had_keys = ui::focus_owner() == c;
            bool may_change = false;
            std::string what;
            const Snapshot before = snapshot();
            switch (kind) {
                case 0:
                    what = "a digit";
                    QTest::keyClick(keyboard(), static_cast<Qt::Key>(Qt::Key_0 + pick(10)));
                    may_change = true;
                    break;
                case 1: {
                    static constexpr Qt::Key moves[] = {
                        Qt::Key_Tab,       Qt::Key_Return, Qt::Key_Down,   Qt::Key_Up,
                        Qt::Key_Home,      Qt::Key_End,    Qt::Key_Left,   Qt::Key_Right,
                        Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Period, Qt::Key_Minus};
                    const Qt::Key k = moves[pick(static_cast<int>(std::size(moves)))];
                    const bool shift = k >= Qt::Key_Home && k <= Qt::Key_Down && pick(2);
                    what =
                        std::string("a navigation or editing key") + (shift ? " with Shift" : "");
                    QTest::keyClick(keyboard(), k, shift ? Qt::ShiftModifier : Qt::NoModifier);
                    may_change = true;
                    break;
                }
                case 2:
                    if (free.empty()) continue;
                    what = "Alt+letter, no access key";
                    QTest::keyClick(
                        keyboard(),
                        static_cast<Qt::Key>(Qt::Key_A +
                                             (free[pick(static_cast<int>(free.size()))] - 'a')),
                        Qt::AltModifier);
                    break;
                case 3: {
                    static constexpr Qt::Key ctrl[] = {Qt::Key_Z,         Qt::Key_Y,
                                                       Qt::Key_Backspace, Qt::Key_Delete,
                                                       Qt::Key_End,       Qt::Key_A};
                    const Qt::Key k = ctrl[pick(6)];
                    what = "Ctrl+key";
                    QTest::keyClick(keyboard(), k, Qt::ControlModifier);
                    break;
                }
                case 4:
                    what = had_keys ? "the wheel, with the keys" : "the wheel, keys elsewhere";
                    wheel(part, pick(2) ? 120 : -120);
                    may_change = had_keys;
                    break;
                case 5:
                case 6:
                    what = "a left click";
                    QTest::mouseClick(part, Qt::LeftButton, {}, at_random(part));
                    may_change = true;
                    break;
                case 7:
                    what = "a right click";
                    QTest::mouseClick(part, Qt::RightButton, {}, at_random(part));
                    break;
                case 8:
                    what = "a middle click";
                    if (QApplication::clipboard()->supportsSelection())
                        QApplication::clipboard()->setText(QString::number(pick(1000)),
                                                           QClipboard::Selection);
                    QTest::mouseClick(part, Qt::MiddleButton, {}, at_random(part));
                    may_change = true;  // a press that gives the keys, a paste
                    break;
                case 9:
                    what = "a context menu";
                    context_menu(part);
                    break;
                case 10:
                    what = "a double click";
                    QTest::mouseDClick(part, Qt::LeftButton, {}, at_random(part));
                    may_change = true;
                    break;
                case 11: {
                    what = "a triple click";
                    const QPoint at = at_random(part);
                    QTest::mouseDClick(part, Qt::LeftButton, {}, at);
                    QTest::mouseClick(part, Qt::LeftButton, {}, at);
                    may_change = true;
                    break;
                }
                case 12: {
                    what = "a drag";
                    const QPoint from = at_random(part), to = at_random(part);
                    QTest::mousePress(part, Qt::LeftButton, {}, from);
                    QTest::mouseMove(part, (from + to) / 2);
                    QTest::mouseMove(part, to);
                    QTest::mouseRelease(part, Qt::LeftButton, {}, to);
                    may_change = true;
                    break;
                }
                default: {
                    what = "a choice in the open drop-down list";
                    auto* cb = qobject_cast<QComboBox*>(w);
                    if (!cb) continue;
                    // Opened by a click, or by Alt+Down when it has the keys.
                    if (had_keys && pick(2))
                        QTest::keyClick(keyboard(), Qt::Key_Down, Qt::AltModifier);
                    else
                        QTest::mouseClick(cb, Qt::LeftButton);
                    QCoreApplication::processEvents();
                    QWidget* open = QApplication::activePopupWidget();
                    if (open) {
                        QWidget* list = cb->view();
                        const Qt::Key k = pick(2) ? Qt::Key_Down : Qt::Key_Up;
                        for (int n = pick(4); n > 0; --n) QTest::keyClick(list, k);
                        QTest::keyClick(list, Qt::Key_Return);
                    }
                    may_change = true;
                    break;
                }
            }
            settle();
            ++events;
            SCOPED_TRACE(what + " on " + name_of(c) + " in " + platform::to_utf8(f.name()));
            if (f.loaded()) {
                EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});
                EXPECT_EQ(unlike_words(*renderer_, f), std::vector<std::string>{});
            }
            const Snapshot after = snapshot();
            if (!may_change) {
                EXPECT_EQ(differences(before, after), std::vector<std::string>{});
            }
            if (::testing::Test::HasFailure()) return;
        }
    };
    on_every_window(GetParam().bus, GetParam().device, each);
    EXPECT_GT(events, 400);
    // The main window, five work pages, the comment page, two live pages, the input and
    // output calibration: at least 10.
    EXPECT_GE(windows.size(), 10u) << ::testing::PrintToString(windows);
}

// Direct bus: KRV 4.05 and DLX 4.02; HZL: KRV 4.04; HZL3: KRV 4.11. Two seeds each.
INSTANTIATE_TEST_SUITE_P(
    EveryBus, SeededRuns,
    ::testing::Values(SeededRun{"Krv", 0, 1, 4301}, SeededRun{"KrvOtherSeed", 0, 1, 7919},
                      SeededRun{"Dlx", 0, 20, 4301}, SeededRun{"DlxOtherSeed", 0, 20, 104729},
                      SeededRun{"Hzl", 1, 1, 4301}, SeededRun{"HzlOtherSeed", 1, 1, 7919},
                      SeededRun{"Hzl3", 2, 1, 4301}, SeededRun{"Hzl3OtherSeed", 2, 1, 7919}),
    [](const auto& info) { return std::string(info.param.name); });

// The field check itself: a field that shows another value than its word, whether the
// image changed under it or Qt changed the widget on its own, is found by name; the
// refilled window passes. On a work page's numeric field and 8-character field and on a
// gateway page's settings box.
TEST_F(RealWindows, TheFieldCheckFindsAFieldThatShowsAnotherValueThanItsWord) {
    ASSERT_TRUE(start(0));
    select(1);
    read();
    settle();
    user([this] { ui::user_click(main().B_io); });
    settle();
    auto* inp = pages::h_inp_inst.peek();
    ASSERT_NE(inp, nullptr);
    ASSERT_EQ(unlike_words(*renderer_, *inp), std::vector<std::string>{});
    ASSERT_NE(ui::focus_owner(), &inp->in_filt);
    const std::int16_t filter = model::param_image[100];
    model::param_image[100] = static_cast<std::int16_t>(filter + 1);
    EXPECT_EQ(unlike_words(*renderer_, *inp),
              std::vector<std::string>{"in_filt shows \"" + inp->in_filt.text() +
                                       "\", unlike its words"});
    model::param_image[100] = filter;
    // A scalable input type shows the unit.
    int scalable = 0;
    while (scalable < inp->Sensor.list_count() && !model::type_scalable(scalable)) ++scalable;
    user([inp, scalable] { ui::user_select(inp->Sensor, scalable); });
    settle();
    ASSERT_TRUE(inp->Unit.shown());
    ASSERT_EQ(unlike_words(*renderer_, *inp), std::vector<std::string>{});
    auto* unit = qobject_cast<QLineEdit*>(renderer_->widget(inp->Unit));
    unit->setText("bar");
    EXPECT_EQ(unlike_words(*renderer_, *inp),
              std::vector<std::string>{"Unit shows \"bar\", unlike its words"});
    unit->setText(app::qstr(inp->Unit.text()));
    EXPECT_EQ(unlike_words(*renderer_, *inp), std::vector<std::string>{});
    user([inp] { ui::user_close(*inp); });
    settle();

    ui::reset_forms();
    reset_globals();
    write_checked("HZL3_mod.cfg", "1");
    write_checked("HZL_chart_enabled.cfg", "1");
    ASSERT_TRUE(start(2));
    settle();
    user([this] { ui::user_click(main().m_ub_hzl); });
    settle();
    auto* hzl3 = gateway::hzl3_blatt_inst.peek();
    ASSERT_NE(hzl3, nullptr);
    ASSERT_EQ(ui::active_form(), hzl3);
    user([hzl3] { hzl3->restore_form(); });
    settle();
    EXPECT_EQ(unlike_words(*renderer_, *hzl3), std::vector<std::string>{});
    ++link::hzl_regs[37];
    EXPECT_EQ(unlike_words(*renderer_, *hzl3),
              std::vector<std::string>{"txt_dev_cnt shows \"" + hzl3->txt_dev_cnt.text() +
                                       "\", unlike its words"});
}

// Every text box of every window, of each kind (the fields, the comment box, the password
// boxes, the locked version field, the HZL table's cell editor): what the technician selects
// by keys (End, Shift+Home) and by a quick double click becomes the desktop's selection, in a
// password box never, and there the double click takes the whole text; without the keys the
// box shows neither selection nor caret, the layer keeps it and the box shows it again when
// the keys come back; the comment box's Down and End move on the rows shown.
TEST_F(RealWindows, EveryTextBoxOnEveryWindowSelectsAsTheDesktopsBoxes) {
    std::vector<QString> offered;
    renderer_->set_desktop_selection = [&offered](const QString& text) {
        offered.push_back(text);
        app::Renderer::set_primary_selection(text);
    };
    std::set<std::string> kinds, windows;
    quint64 time = 1000000;
    auto desktop_has = [](const ui::TextBox& t) -> std::vector<QString> {
        if (!t.password_char().empty()) return {};
        QString selected = app::qstr(t.sel_text());
        return {selected.remove('\r')};
    };
    auto check = [&](ui::Form& f, ui::TextBox& t, const char* kind) {
        SCOPED_TRACE(std::string(kind) + " " + name_of(&t) + " in " + platform::to_utf8(f.name()));
        user([&t] { ui::user_focus(t); });
        settle();
        if (ui::focus_owner() != &t) return;
        if (t.text().empty() && !t.locked()) QTest::keyClicks(keyboard(), "12 34");
        settle();
        if (ui::focus_owner() != &t || t.text().empty()) return;
        kinds.insert(kind);
        windows.insert(platform::to_utf8(f.name()));
        QWidget* w = renderer_->widget(t);

        offered.clear();
        QTest::keyClick(keyboard(), Qt::Key_End);
        QTest::keyClick(keyboard(), Qt::Key_Home, Qt::ShiftModifier);
        settle();
        if (ui::focus_owner() != &t) return;
        EXPECT_GT(t.sel_length(), 0) << "End, Shift+Home";
        EXPECT_EQ(offered, t.sel_length() > 0 ? desktop_has(t) : std::vector<QString>{});
        EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});

        offered.clear();
        time += 5000;
        double_click(mouse_part(w), point_before(w, 1), time);
        settle();
        if (ui::focus_owner() != &t) return;
        EXPECT_GT(t.sel_length(), 0) << "a double click";
        EXPECT_EQ(offered, desktop_has(t));
        if (!t.password_char().empty()) {
            EXPECT_EQ(t.sel_text(), t.text()) << "a password box's double click";
        }
        EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});

        // The keys to the first other control that takes them, and back by code.
        const std::string text = t.text();
        const std::pair<int, int> kept{t.anchor(), t.caret()};
        for (ui::Control* o : f.tab_order())
            if (o != &t && o->can_focus() && ui::focus_owner() == &t) {
                user([o] { ui::user_focus(*o); });
                settle();
            }
        if (ui::focus_owner() == &t || !f.loaded() || !t.shown()) return;
        EXPECT_FALSE(shows_selection(w)) << "without the keys";
        EXPECT_FALSE(draws_caret(w)) << "without the keys";
        EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});
        if (t.text() != text || !t.can_focus()) return;  // its LostFocus wrote it anew
        EXPECT_EQ(std::make_pair(t.anchor(), t.caret()), kept) << "the layer keeps it";
        user([&t] { t.set_focus(); });
        settle();
        if (ui::focus_owner() != &t) return;
        EXPECT_TRUE(shows_selection(w)) << "with the keys again";
        EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});

        if (!t.multi_line()) return;
        std::string words;
        for (int i = 0; i < 40; ++i) words += "wrapped ";
        user([&t, &words] {
            t.set_text(words);
            t.select(0, 0);
        });
        settle();
        QTest::keyClick(keyboard(), Qt::Key_Down);
        settle();
        EXPECT_GT(t.caret(), 0) << "Down: the next row of the one stored line";
        QTest::keyClick(keyboard(), Qt::Key_End);
        settle();
        EXPECT_LT(t.caret(), static_cast<int>(words.size()) - 1) << "End: that row's end";
        EXPECT_EQ(t.text(), words);
        EXPECT_EQ(unmirrored(*renderer_, f), std::vector<std::string>{});
    };
    auto kind_of = [](const ui::TextBox& t) {
        return !t.password_char().empty() ? "password"
               : t.locked()               ? "locked"
               : t.multi_line()           ? "multi-line"
                                          : "single-line";
    };
    auto each = [&](ui::Form& f) {
        renderer_->flush();
        // A click on a grid's first cell that can open an editor over it.
        for (ui::Control* c : usable(f)) {
            if (c->kind() != ui::Kind::grid || ui::active_form() != &f) continue;
            auto* g = static_cast<ui::Grid*>(c);
            user([g] { ui::user_click_cell(*g, g->fixed_rows(), g->fixed_cols()); });
            settle();
            if (ui::Control* editor = ui::focus_owner();
                editor && editor->kind() == ui::Kind::text_box && editor->can_focus())
                check(f, static_cast<ui::TextBox&>(*editor), "cell editor");
        }
        for (ui::Control* c : usable(f))
            if (c->kind() == ui::Kind::text_box && ui::active_form() == &f && c->usable())
                check(f, static_cast<ui::TextBox&>(*c), kind_of(static_cast<ui::TextBox&>(*c)));
    };
    on_every_window(0, 1, each);   // KRV 4.05
    on_every_window(0, 20, each);  // DLX 4.02
    on_every_window(0, 9, each);   // KRV 3.03
    on_every_window(1, 1, each);
    on_every_window(2, 1, each);
    // The password menu's two boxes.
    for (ui::Form* box : {static_cast<ui::Form*>(&*mainwin::enter_pass_inst),
                          static_cast<ui::Form*>(&*mainwin::set_pass_inst)}) {
        user([box] { box->show_modeless(); });
        settle();
        each(*box);
        user([box] { box->unload(); });
        settle();
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"single-line", "multi-line", "password", "locked",
                                            "cell editor"}));
    // Every window with a text box it shows (the output calibration shows none).
    const std::set<std::string> with_boxes = {
        "Hauptmen\xC3\xBC", "H_Inp",     "dlx3_Inp",  "H_output",   "h_dout",     "S_Chk_30",
        "S_Chk_m",          "comment",   "Krv4_Cal",  "Krv4_Cal1",  "Krv_Cal",    "Krv_Cal1",
        "Dlx_Cal",          "HZL_blatt", "BNR_blatt", "HZL3_blatt", "enter_pass", "set_pass"};
    EXPECT_EQ(windows, with_boxes);
}

// The technician's sequences that changed a device's words without a word.
// A label's access key gives the keys to the next control in tab order that can take
// them: on the direct bus the rack list after "KRV-Adresse:" is hidden and the serial
// number after "Serial No:" is disabled, so the keys go past them.
TEST_F(RealWindows, ALabelsAccessKeyPassesOverControlsThatCannotTakeTheKeys) {
    ASSERT_TRUE(start(0, "D"));
    settle();
    ASSERT_FALSE(main().Ser_No.enabled());
    const struct {
        Qt::Key key;
        ui::Control* to;
    } cases[] = {
        {Qt::Key_R, &main().adr_select},
        {Qt::Key_O, &main().Krv_adr},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.to, nullptr);
        QTest::keyClick(keyboard(), c.key, Qt::AltModifier);
        settle();
        EXPECT_EQ(ui::focus_owner(), c.to) << name_of(ui::focus_owner());
        EXPECT_TRUE(c.to->usable() && c.to->shown());
    }
}

TEST_F(RealWindows, AltLetterWheelAndCutChangeNoWord) {
    ASSERT_TRUE(start(0, "D"));
    model::entered_password = model::password_level_2_default;
    mainwin::apply_access_level();
    pump();
    select(1);
    read();
    settle();
    // Alt+R on alarm 1's function list ("Arbeitsstrom"; "Ruhestrom" would be found).
    user([this] { ui::user_click(main().B_dout); });
    settle();
    auto* dout = pages::h_dout_inst.peek();
    ASSERT_NE(dout, nullptr);
    user([dout] { ui::user_focus(dout->out1.fun); });
    settle();
    ASSERT_EQ(ui::focus_owner(), &dout->out1.fun);
    ASSERT_EQ(keyboard(), renderer_->focus_widget(dout->out1.fun));
    const std::int16_t w83 = model::param_image[83];
    for (Qt::Key k : {Qt::Key_R, Qt::Key_M, Qt::Key_T})
        QTest::keyClick(keyboard(), k, Qt::AltModifier);
    settle();
    EXPECT_EQ(model::param_image[83], w83);
    user([dout] { ui::user_close(*dout); });
    settle();

    // The wheel over "Sensor/Signal" while the start of range has the keys.
    user([this] { ui::user_click(main().B_io); });
    settle();
    auto* inp = pages::h_inp_inst.peek();
    ASSERT_NE(inp, nullptr);
    user([inp] { ui::user_focus(inp->Mesb_0); });
    settle();
    ASSERT_EQ(ui::focus_owner(), &inp->Mesb_0);
    const std::int16_t w99 = model::param_image[99];
    const int sensor = inp->Sensor.list_index();
    wheel(renderer_->widget(inp->Sensor), -120);
    settle();
    EXPECT_EQ(model::param_image[99], w99);
    EXPECT_EQ(inp->Sensor.list_index(), sensor);
    EXPECT_EQ(ui::focus_owner(), &inp->Mesb_0);

    // Ctrl+X and Shift+Delete with nothing selected in the end of range.
    user([inp] { ui::user_focus(inp->Mesb_1); });
    settle();
    const std::string end = inp->Mesb_1.text();
    const std::int16_t w106 = model::param_image[106];
    user([inp] {
        inp->Mesb_1.set_sel_start(0);
        inp->Mesb_1.set_sel_length(0);
    });
    settle();
    QTest::keyClick(keyboard(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(keyboard(), Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(keyboard(), Qt::Key_Tab);
    settle();
    EXPECT_EQ(inp->Mesb_1.text(), end);
    EXPECT_EQ(model::param_image[106], w106);
}

}  // namespace
}  // namespace dvx::testing

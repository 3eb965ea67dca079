// One mouse press asks the window layer for the focus once, wherever on a control it
// lands: Qt hands a press a widget ignores (a grid's or list's empty area) on to the
// widget's parent, which may be the same control; a second move would run the left
// control's LostFocus again after the press's own Click.
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/renderer.h"
#include "platform/cp1252.h"
#include "tests/app/rendered_form.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::testing {
namespace {

class EveryKind : public ui::Form {
  public:
    EveryKind() : Form("every_kind", {0, 0, 9000, 7000}) {
        on_load = [this] {
            txt.set_text("12.5");
            btn.set_caption("Read");
            chk.set_caption("Echo");
            opt.set_caption("Relay");
            for (int i = 0; i < 30; ++i) {
                lst.add_item("item " + std::to_string(i));
                cmb.add_item("entry " + std::to_string(i));
            }
            liv.add_column("Address", 1200);
            for (int i = 1; i <= 3; ++i) liv.add_item(std::to_string(i));
            grd.set_rows(40);
            grd.set_cols(3);
            grd.set_fixed_rows(1);
            grd.set_fixed_cols(1);
            vsb.set_max(10);
        };
    }
    ui::TextBox trap{*this, "trap", {120, 120, 1500, 315}};
    ui::TextBox txt{*this, "txt", {1800, 120, 1500, 315}};
    ui::CommandButton btn{*this, "btn", {3500, 120, 1200, 375}};
    ui::CheckBox chk{*this, "chk", {4900, 120, 1200, 255}};
    ui::OptionButton opt{*this, "opt", {6300, 120, 1200, 255}};
    ui::ListBox lst{*this, "lst", {120, 700, 2500, 1500}};
    ui::ComboBox cmb{*this, "cmb", {2800, 700, 2000, 315}};
    ui::ListView liv{*this, "liv", {5000, 700, 3000, 1500}};
    ui::Grid grd{*this, "grd", {120, 2500, 4000, 2000}};
    ui::VScrollBar vsb{*this, "vsb", {4500, 2500, 255, 2000}};
};

class OnePress : public RenderedForm<EveryKind> {};

// Each control, as it gets the focus, hands it on to `trap` (as the gateway's grid hands
// it to its cell editor): a second move asked by the same press would reach the control
// again, and the click, choice or scroll of the press is dropped as for a refused entry.
TEST_F(OnePress, APressOnAnyPartOfAControlMovesTheFocusOnce) {
    EveryKind& f = *form_;
    std::map<const ui::Control*, int> moves;
    for (ui::Control* c : f.controls()) {
        if (c == &f.trap || !c->focusable_kind()) continue;
        c->on_got_focus = [c, &f, &moves] {
            ++moves[c];
            f.trap.set_focus();
        };
    }
    auto area = [&](ui::Control& c) {
        return qobject_cast<QAbstractScrollArea*>(renderer_->widget(c));
    };
    struct Case {
        const char* where;
        ui::Control* control;
        std::function<QWidget*()> part;
        std::function<QPoint(QWidget*)> at;
    };
    auto centre = [](QWidget* w) { return w->rect().center(); };
    auto corner = [](QWidget* w) { return QPoint(w->width() - 3, w->height() - 3); };
    auto top = [](QWidget* w) { return QPoint(w->width() / 2, 3); };
    const std::vector<Case> cases = {
        {"text box", &f.txt, [&] { return renderer_->widget(f.txt); }, centre},
        {"button", &f.btn, [&] { return renderer_->widget(f.btn); }, centre},
        {"check box", &f.chk, [&] { return renderer_->widget(f.chk); }, centre},
        {"option button", &f.opt, [&] { return renderer_->widget(f.opt); }, centre},
        {"list box entry", &f.lst, [&] { return area(f.lst)->viewport(); }, top},
        {"list box scroll bar", &f.lst, [&] { return area(f.lst)->verticalScrollBar(); }, top},
        {"combo box", &f.cmb, [&] { return renderer_->widget(f.cmb); }, centre},
        {"list view row", &f.liv, [&] { return area(f.liv)->viewport(); }, top},
        {"list view below the rows", &f.liv, [&] { return area(f.liv)->viewport(); }, corner},
        {"list view header",
         &f.liv,
         [&] { return static_cast<QTreeWidget*>(renderer_->widget(f.liv))->header()->viewport(); },
         centre},
        {"grid cell", &f.grd, [&] { return area(f.grd)->viewport(); }, centre},
        {"grid scroll bar", &f.grd, [&] { return area(f.grd)->verticalScrollBar(); }, top},
        {"grid frame", &f.grd, [&] { return renderer_->widget(f.grd); }, [](QWidget*) {
             return QPoint(0, 0);
         }},
        {"scroll bar", &f.vsb, [&] { return renderer_->widget(f.vsb); }, top},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        f.trap.set_focus();
        renderer_->flush();
        moves.clear();
        QWidget* part = c.part();
        ASSERT_NE(part, nullptr);
        ASSERT_TRUE(part->isVisible());
        QTest::mousePress(part, Qt::LeftButton, {}, c.at(part));
        loop_.run_pending();
        if (auto* combo = qobject_cast<QComboBox*>(renderer_->widget(*c.control)))
            combo->hidePopup();
        QTest::mouseRelease(part, Qt::LeftButton, {}, c.at(part));
        loop_.run_pending();
        renderer_->flush();
        EXPECT_EQ(moves[c.control], 1);
        EXPECT_EQ(ui::focus_owner(), &f.trap);
    }
    EXPECT_EQ(f.grd.top_row(), 1) << "the grid's scroll of a refused press is dropped";
    EXPECT_EQ(f.vsb.value(), 0);
}

}  // namespace
}  // namespace dvx::testing

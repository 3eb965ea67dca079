// The renderer's list view, grid, tab control and scroll bar: what they show and how
// the user's clicks on them reach the window layer.
#include <QComboBox>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/render_grid.h"
#include "app/renderer.h"
#include "app/twips.h"
#include "tests/app/rendered_form.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::testing {
namespace {

class Board : public ui::Form {
  public:
    Board() : Form("board", {0, 0, 9000, 6000}) {
        on_load = [this] {
            liv.add_column("Address", 1200);
            liv.add_column("Serial No.", 1800);
            for (int i = 1; i <= 3; ++i)
                liv.add_item(std::to_string(i)).set_sub_item(1, "SN" + std::to_string(i));
            grd.set_rows(30);
            grd.set_cols(8);
            grd.set_fixed_rows(2);
            grd.set_fixed_cols(2);
            for (int c = 0; c < 8; ++c) {
                grd.set_text_matrix(0, c, "Top " + std::to_string(c));
                grd.set_text_matrix(1, c, "Sub " + std::to_string(c));
            }
            for (int r = 2; r < 30; ++r) grd.set_text_matrix(r, 0, "Row " + std::to_string(r));
            grd.set_text_matrix(3, 3, "33");
            tab.set_tabs(2);
            tab.set_tab_caption(0, "Input");
            tab.set_tab_caption(1, "Output");
            on_page.set_caption("on page 1");
            vsb.set_max(10);
            vsb.set_small_change(1);
            vsb.set_large_change(5);
            for (int i = 0; i < 12; ++i) {
                lst.add_item("item " + std::to_string(i));
                cmb.add_item("entry " + std::to_string(i));
            }
        };
    }
    ui::ListView liv{*this, "liv", {120, 120, 4000, 1500}};
    ui::Grid grd{*this, "grd", {120, 1800, 4000, 1500}};
    ui::TabControl tab{*this, "tab", {4300, 120, 3000, 2400}};
    ui::Label on_page{tab.page(1), "on_page", {120, 900, 1500, 255}};
    ui::VScrollBar vsb{*this, "vsb", {7500, 120, 255, 2000}};
    ui::ListBox lst{*this, "lst", {120, 3500, 3000, 1000}};
    ui::ComboBox cmb{*this, "cmb", {3300, 3500, 2000, 315}};
};

using RendererControlsTest = RenderedForm<Board>;

TEST_F(RendererControlsTest, ListViewRowClickSelectsTheItem) {
    auto* tree = qobject_cast<QTreeWidget*>(renderer_->widget(form_->liv));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->headerItem()->text(1), "Serial No.");
    EXPECT_EQ(tree->topLevelItem(1)->text(1), "SN2");
    EXPECT_EQ(tree->columnWidth(0), 80);

    const QRect row = tree->visualItemRect(tree->topLevelItem(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
    loop_.run_pending();
    EXPECT_EQ(form_->liv.selected_index(), 2);
    EXPECT_EQ(log_.only({"Click"}), std::vector<std::string>{"liv.Click"});
}

TEST_F(RendererControlsTest, GridShowsEveryFixedRowAndColumnAndClicksReachTheCell) {
    auto* grid = dynamic_cast<app::GridWidget*>(renderer_->widget(form_->grd));
    ASSERT_NE(grid, nullptr);
    ui::Grid& g = form_->grd;
    // Both fixed rows and both fixed columns are in view, where the layer puts them.
    for (auto [r, c] : {std::pair{0, 0}, {0, 3}, {1, 1}, {1, 4}, {4, 0}, {3, 3}}) {
        SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
        const QRect cell = grid->cell_rect(r, c);
        ASSERT_FALSE(cell.isEmpty());
        EXPECT_EQ(cell.topLeft(), QPoint(app::to_px(g.col_pos(c)), app::to_px(g.row_pos(r))));
        EXPECT_EQ(grid->cell_text(r, c), app::qstr(g.text_matrix(r, c)));
    }
    EXPECT_EQ(grid->cell_text(0, 3), "Top 3");
    EXPECT_EQ(grid->cell_text(1, 3), "Sub 3");

    // Scrolled by code: the fixed rows stay, the rows above TopRow leave the view.
    const QRect sub = grid->cell_rect(1, 3);
    g.set_top_row(10);
    renderer_->flush();
    EXPECT_EQ(grid->cell_rect(1, 3), sub);
    EXPECT_TRUE(grid->cell_rect(2, 3).isEmpty());
    EXPECT_EQ(grid->cell_rect(10, 3).top(), sub.bottom() + 1);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 8);

    // A click on a fixed cell above the last fixed row and one on a scrolled cell.
    log_.clear();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cell_rect(0, 3).center());
    loop_.run_pending();
    EXPECT_EQ(g.mouse_row(), 0);
    EXPECT_EQ(g.mouse_col(), 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cell_rect(11, 2).center());
    loop_.run_pending();
    EXPECT_EQ(g.mouse_row(), 11);
    EXPECT_EQ(g.row(), 11);
    EXPECT_EQ(g.col(), 2);
    EXPECT_EQ(log_.only({"Click"}), (std::vector<std::string>{"grd.Click", "grd.Click"}));

    // The user's scroll bar scrolls through the layer.
    log_.clear();
    grid->verticalScrollBar()->setValue(3);
    loop_.run_pending();
    EXPECT_EQ(g.top_row(), 5);
    EXPECT_EQ(log_.only({"Scroll"}), std::vector<std::string>{"grd.Scroll"});

    g.set_text_matrix(5, 2, "new");
    renderer_->flush();
    EXPECT_EQ(grid->cell_text(5, 2), "new");
    EXPECT_EQ(grid->cell_rect(5, 2).top(), sub.bottom() + 1);
}

TEST_F(RendererControlsTest, TabPagesShowTheirControlsAtTabRelativeGeometry) {
    auto* tabs = qobject_cast<QTabWidget*>(renderer_->widget(form_->tab));
    QWidget* label = renderer_->widget(form_->on_page);
    ASSERT_NE(tabs, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Output");
    EXPECT_FALSE(label->isVisible());
    // Placed relative to the whole tab control, as designed.
    EXPECT_EQ(label->mapTo(tabs, QPoint(0, 0)), QPoint(8, 60));

    tabs->tabBar()->setCurrentIndex(1);  // the user picks the second tab
    loop_.run_pending();
    EXPECT_EQ(form_->tab.tab(), 1);
    renderer_->flush();
    EXPECT_TRUE(label->isVisible());
    // Kept for people to look at the controls as rendered.
    std::filesystem::create_directories(DVX_SCREENSHOT_DIR);
    renderer_->window(*form_)->grab().save(DVX_SCREENSHOT_DIR "/controls.png");
}

TEST_F(RendererControlsTest, ScrollBarArrowsAndDragGoThroughTheLayer) {
    auto* bar = qobject_cast<QScrollBar*>(renderer_->widget(form_->vsb));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 10);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // the down arrow
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 0);  // the layer moves the thumb
    loop_.run_pending();
    EXPECT_EQ(form_->vsb.value(), 6);
    renderer_->flush();
    EXPECT_EQ(bar->value(), 6);
    EXPECT_EQ(log_.only({"Change"}), (std::vector<std::string>{"vsb.Change", "vsb.Change"}));

    log_.clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(8);  // dragging the thumb
    bar->setSliderDown(false);
    loop_.run_pending();
    EXPECT_EQ(form_->vsb.value(), 8);
    EXPECT_EQ(log_.only({"Scroll", "Change"}),
              (std::vector<std::string>{"vsb.Scroll", "vsb.Change"}));
}

TEST_F(RendererControlsTest, KeysOnListsMoveTheSelectionThroughTheLayer) {
    auto* list = qobject_cast<QListWidget*>(renderer_->widget(form_->lst));
    auto* combo = qobject_cast<QComboBox*>(renderer_->widget(form_->cmb));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(combo, nullptr);
    form_->lst.set_focus();
    renderer_->flush();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_End);
    loop_.run_pending();
    EXPECT_EQ(form_->lst.list_index(), 11);
    EXPECT_EQ(log_.only({"Click"}),
              (std::vector<std::string>{"lst.Click", "lst.Click", "lst.Click"}));
    renderer_->flush();
    EXPECT_EQ(list->currentRow(), 11);
    EXPECT_TRUE(list->visualItemRect(list->item(11)).intersects(list->viewport()->rect()));

    log_.clear();
    form_->cmb.set_focus();
    renderer_->flush();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_PageDown);
    QTest::keyClick(combo, Qt::Key_Up);
    loop_.run_pending();
    EXPECT_EQ(form_->cmb.list_index(), 7);
    EXPECT_EQ(log_.only({"Click"}),
              (std::vector<std::string>{"cmb.Click", "cmb.Click", "cmb.Click"}));
    renderer_->flush();
    EXPECT_EQ(combo->currentIndex(), 7);
}

}  // namespace
}  // namespace dvx::testing

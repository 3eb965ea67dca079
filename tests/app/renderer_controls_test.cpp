// The renderer's list view, grid, tab control and scroll bar: what they show and how
// the user's clicks on them reach the window layer.
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/renderer.h"
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
            grd.set_rows(4);
            grd.set_cols(3);
            for (int c = 1; c < 3; ++c) grd.set_text_matrix(0, c, "Col " + std::to_string(c));
            for (int r = 1; r < 4; ++r) grd.set_text_matrix(r, 0, "Row " + std::to_string(r));
            grd.set_text_matrix(2, 2, "22");
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

TEST_F(RendererControlsTest, GridShowsFixedCellsAsHeadersAndClicksReachTheCell) {
    auto* table = qobject_cast<QTableWidget*>(renderer_->widget(form_->grd));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 3);
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Col 2");
    EXPECT_EQ(table->verticalHeaderItem(0)->text(), "Row 1");
    EXPECT_EQ(table->item(1, 1)->text(), "22");

    const QRect cell = table->visualItemRect(table->item(1, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    loop_.run_pending();
    EXPECT_EQ(form_->grd.mouse_row(), 2);
    EXPECT_EQ(form_->grd.mouse_col(), 2);
    EXPECT_EQ(form_->grd.text(), "22");
    EXPECT_EQ(log_.only({"Click"}), std::vector<std::string>{"grd.Click"});

    form_->grd.set_text_matrix(3, 1, "new");
    renderer_->flush();
    EXPECT_EQ(table->item(2, 0)->text(), "new");
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

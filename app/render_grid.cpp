// Grids: the last fixed row and column are the table's headers.
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/input.h"

namespace dvx::app {

QWidget* Renderer::make_grid(ui::Control&, QWidget* parent) {
    auto* g = new QTableWidget(parent);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    g->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->horizontalHeader()->setMinimumSectionSize(1);
    g->verticalHeader()->setMinimumSectionSize(1);
    return g;
}

void Renderer::connect_grid(ui::Control&, QWidget* w) {
    using namespace ui;
    auto* g = static_cast<QTableWidget*>(w);
    QObject::connect(g, &QTableWidget::cellClicked, this, [this, g](int row, int col) {
        if (syncing_) return;
        post_to<Grid>(g, [row, col](Grid& gr) {
            user_click_cell(gr, row + gr.fixed_rows(), col + gr.fixed_cols());
        });
    });
    QObject::connect(g->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, g](int col) {
        if (syncing_) return;
        post_to<Grid>(g, [col](Grid& gr) {
            if (gr.fixed_rows() > 0)
                user_click_cell(gr, gr.fixed_rows() - 1, col + gr.fixed_cols());
        });
    });
    QObject::connect(g->verticalHeader(), &QHeaderView::sectionClicked, this, [this, g](int row) {
        if (syncing_) return;
        post_to<Grid>(g, [row](Grid& gr) {
            if (gr.fixed_cols() > 0)
                user_click_cell(gr, row + gr.fixed_rows(), gr.fixed_cols() - 1);
        });
    });
    QObject::connect(g->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, g](int value) {
        if (syncing_) return;
        post_to<Grid>(g, [value](Grid& gr) { user_scroll(gr, value + gr.fixed_rows()); });
    });
}

void Renderer::sync_grid(ControlView& v, unsigned bits) {
    auto& g = static_cast<ui::Grid&>(*v.control);
    auto* t = static_cast<QTableWidget*>(v.widget);
    const int fr = g.fixed_rows(), fc = g.fixed_cols();
    if (bits & d_items) {
        const int rows = std::max(0, g.rows() - fr), cols = std::max(0, g.cols() - fc);
        t->setRowCount(rows);
        t->setColumnCount(cols);
        // Only the last fixed row and column can be shown, as the headers.
        t->horizontalHeader()->setVisible(fr > 0);
        t->verticalHeader()->setVisible(fc > 0);
        QStringList hh, vh;
        for (int col = fc; col < g.cols(); ++col)
            hh << (fr > 0 ? qstr(g.text_matrix(fr - 1, col)) : QString());
        for (int row = fr; row < g.rows(); ++row)
            vh << (fc > 0 ? qstr(g.text_matrix(row, fc - 1)) : QString());
        t->setHorizontalHeaderLabels(hh);
        t->setVerticalHeaderLabels(vh);
        if (fr > 0) t->horizontalHeader()->setFixedHeight(to_px(g.row_height(fr - 1)));
        if (fc > 0) t->verticalHeader()->setFixedWidth(to_px(g.col_width(fc - 1)));
        for (int col = fc; col < g.cols(); ++col)
            t->setColumnWidth(col - fc, to_px(g.col_width(col)));
        for (int row = fr; row < g.rows(); ++row) {
            t->setRowHeight(row - fr, to_px(g.row_height(row)));
            for (int col = fc; col < g.cols(); ++col) {
                QTableWidgetItem* item = t->item(row - fr, col - fc);
                if (!item) {
                    item = new QTableWidgetItem;
                    t->setItem(row - fr, col - fc, item);
                }
                item->setText(qstr(g.text_matrix(row, col)));
            }
        }
    }
    if (bits & (d_state | d_items)) {
        if (g.row() >= fr && g.col() >= fc) t->setCurrentCell(g.row() - fr, g.col() - fc);
        t->verticalScrollBar()->setValue(std::max(0, g.top_row() - fr));
        t->horizontalScrollBar()->setValue(std::max(0, g.left_col() - fc));
    }
}

}  // namespace dvx::app

// Grids: a widget of their own that draws every fixed row and column (render_grid.h).
#include "app/render_grid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/input.h"

namespace dvx::app {

namespace {

constexpr int text_margin_px = 2;

// The classic column alignments: 0..8 left/centre/right by top/centre/bottom, 9 general
// (numbers right, texts left; both centred vertically).
Qt::Alignment cell_alignment(int a, const QString& text) {
    if (a < 0 || a > 8) {
        bool number = false;
        text.trimmed().toDouble(&number);
        return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                       Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter,
                                                     Qt::AlignBottom};
    return horizontal[a / 3] | vertical[a % 3];
}

}  // namespace

GridWidget::GridWidget(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

void GridWidget::show_grid(const ui::Grid& g) {
    rows_ = g.rows();
    cols_ = g.cols();
    fixed_rows_ = g.fixed_rows();
    fixed_cols_ = g.fixed_cols();
    top_row_ = g.top_row();
    left_col_ = g.left_col();
    row_ = g.row();
    col_ = g.col();
    row_sel_ = g.row_sel();
    col_sel_ = g.col_sel();
    row_twips_.resize(static_cast<std::size_t>(rows_));
    for (int r = 0; r < rows_; ++r) row_twips_[r] = g.row_height(r);
    col_twips_.resize(static_cast<std::size_t>(cols_));
    col_align_.resize(static_cast<std::size_t>(cols_));
    for (int c = 0; c < cols_; ++c) {
        col_twips_[c] = g.col_width(c);
        col_align_[c] = g.col_alignment(c);
    }
    cells_.resize(static_cast<std::size_t>(rows_) * cols_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < cols_; ++c) cells_[r * cols_ + c] = qstr(g.text_matrix(r, c));
    update_ranges();
    viewport()->update();
}

std::vector<GridWidget::Line> GridWidget::lines(const std::vector<int>& twips, int fixed, int first,
                                                int limit) const {
    std::vector<Line> out;
    int edge = 0;  // twips: positions are the layer's, converted once
    auto add = [&](int i) {
        const int from = to_px(edge);
        edge += twips[i];
        out.push_back({i, from, to_px(edge)});
        return from < limit;
    };
    const int n = static_cast<int>(twips.size());
    for (int i = 0; i < std::min(fixed, n); ++i)
        if (!add(i)) return out;
    for (int i = std::max(first, fixed); i < n; ++i)
        if (!add(i)) break;
    return out;
}

int GridWidget::last_first(const std::vector<int>& twips, int fixed, int limit) const {
    const int n = static_cast<int>(twips.size());
    int fixed_twips = 0;
    for (int i = 0; i < std::min(fixed, n); ++i) fixed_twips += twips[i];
    int rest = 0;
    int first = n;
    while (first > fixed && to_px(fixed_twips + rest + twips[first - 1]) <= limit)
        rest += twips[--first];
    return std::min(std::max(first, fixed), std::max(fixed, n - 1));
}

void GridWidget::update_ranges() {
    const QSize view = viewport()->size();
    const int last_top = last_first(row_twips_, fixed_rows_, view.height());
    const int last_left = last_first(col_twips_, fixed_cols_, view.width());
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, last_top - fixed_rows_));
    v->setPageStep(std::max(1, rows_ - last_top));
    v->setValue(top_row_ - fixed_rows_);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, last_left - fixed_cols_));
    h->setPageStep(std::max(1, cols_ - last_left));
    h->setValue(left_col_ - fixed_cols_);
}

QRect GridWidget::cell_rect(int row, int col) const {
    const QSize view = viewport()->size();
    for (const Line& r : lines(row_twips_, fixed_rows_, top_row_, view.height()))
        if (r.index == row)
            for (const Line& c : lines(col_twips_, fixed_cols_, left_col_, view.width()))
                if (c.index == col)
                    return QRect(QPoint(c.from, r.from), QPoint(c.to - 1, r.to - 1));
    return {};
}

QString GridWidget::cell_text(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return {};
    return cells_[row * cols_ + col];
}

bool GridWidget::cell_at(QPoint p, int& row, int& col) const {
    const QSize view = viewport()->size();
    bool found_row = false, found_col = false;
    for (const Line& r : lines(row_twips_, fixed_rows_, top_row_, view.height()))
        if (p.y() >= r.from && p.y() < r.to) row = r.index, found_row = true;
    for (const Line& c : lines(col_twips_, fixed_cols_, left_col_, view.width()))
        if (p.x() >= c.from && p.x() < c.to) col = c.index, found_col = true;
    return found_row && found_col;
}

void GridWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const QSize view = viewport()->size();
    p.fillRect(viewport()->rect(), pal.color(QPalette::Window).darker(110));
    const auto row_lines = lines(row_twips_, fixed_rows_, top_row_, view.height());
    const auto col_lines = lines(col_twips_, fixed_cols_, left_col_, view.width());
    const int sel_r0 = std::min(row_, row_sel_), sel_r1 = std::max(row_, row_sel_);
    const int sel_c0 = std::min(col_, col_sel_), sel_c1 = std::max(col_, col_sel_);
    for (const Line& r : row_lines) {
        for (const Line& c : col_lines) {
            const QRect cell(QPoint(c.from, r.from), QPoint(c.to - 1, r.to - 1));
            if (cell.isEmpty()) continue;
            const bool fixed = r.index < fixed_rows_ || c.index < fixed_cols_;
            const bool current = r.index == row_ && c.index == col_;
            const bool selected = !fixed && !current && r.index >= sel_r0 && r.index <= sel_r1 &&
                                  c.index >= sel_c0 && c.index <= sel_c1;
            QColor back = pal.color(fixed ? QPalette::Button : QPalette::Base);
            QColor fore = pal.color(fixed ? QPalette::ButtonText : QPalette::Text);
            if (selected) {
                back = pal.color(QPalette::Highlight);
                fore = pal.color(QPalette::HighlightedText);
            }
            p.fillRect(cell, back);
            p.setPen(pal.color(fixed ? QPalette::Shadow : QPalette::Mid));
            p.drawLine(cell.topRight(), cell.bottomRight());
            p.drawLine(cell.bottomLeft(), cell.bottomRight());
            const QString text = cells_[r.index * cols_ + c.index];
            if (!text.isEmpty()) {
                p.setPen(fore);
                const QRect inner = cell.adjusted(text_margin_px, 0, -text_margin_px, 0);
                p.drawText(inner, cell_alignment(fixed ? 9 : col_align_[c.index], text), text);
            }
            if (current && !fixed && hasFocus()) {
                QStyleOptionFocusRect focus;
                focus.initFrom(this);
                focus.rect = cell.adjusted(0, 0, -1, -1);
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
            }
        }
    }
}

// Mouse events on the viewport come here in the viewport's coordinates.
void GridWidget::mousePressEvent(QMouseEvent* e) {
    int row = 0, col = 0;
    if (e->button() == Qt::LeftButton && on_cell_press &&
        cell_at(e->position().toPoint(), row, col))
        on_cell_press(row, col);
    QAbstractScrollArea::mousePressEvent(e);
}

void GridWidget::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();  // the current cell's focus frame
}

void GridWidget::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

void GridWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    update_ranges();
}

QWidget* Renderer::make_grid(ui::Control&, QWidget* parent) {
    return new GridWidget(parent);
}

void Renderer::connect_grid(ui::Control&, QWidget* w) {
    using namespace ui;
    auto* g = static_cast<GridWidget*>(w);
    g->on_cell_press = [this, g](int row, int col) {
        if (syncing_) return;
        post_pressed<Grid>(g, [row, col](Grid& gr) { user_click_cell(gr, row, col); });
    };
    QObject::connect(g->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, g](int value) {
        if (syncing_) return;
        post_pressed<Grid>(g, [value](Grid& gr) { user_scroll(gr, value + gr.fixed_rows()); });
    });
    QObject::connect(g->horizontalScrollBar(), &QScrollBar::valueChanged, this,
                     [this, g](int value) {
                         if (syncing_) return;
                         post_pressed<Grid>(g, [value](Grid& gr) {
                             const int left = std::min(value + gr.fixed_cols(), gr.cols() - 1);
                             if (left >= gr.fixed_cols()) gr.set_left_col(left);
                         });
                     });
}

void Renderer::sync_grid(ControlView& v, unsigned bits) {
    if (bits & (d_state | d_items | d_geom))
        static_cast<GridWidget*>(v.widget)->show_grid(static_cast<ui::Grid&>(*v.control));
}

}  // namespace dvx::app

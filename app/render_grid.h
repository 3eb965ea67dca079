#pragma once
// The grid's widget: every fixed row and column stays in place at the top and left,
// the other cells scroll by the layer's TopRow and LeftCol, and each cell is drawn
// where the layer's RowPos/ColPos put it (a cell editor placed by those lines up).
#include <QAbstractScrollArea>
#include <QString>
#include <functional>
#include <vector>

namespace dvx::ui {
class Grid;
}

namespace dvx::app {

class GridWidget final : public QAbstractScrollArea {
  public:
    explicit GridWidget(QWidget* parent);

    // Takes what the grid shows now (cells, sizes, scrolling, current cell).
    void show_grid(const ui::Grid& g);
    // Where a cell is drawn in the viewport; empty while it is out of view.
    QRect cell_rect(int row, int col) const;
    QString cell_text(int row, int col) const;
    // The cell at a point of the viewport; false outside every cell.
    bool cell_at(QPoint p, int& row, int& col) const;

    // The user pressed the mouse on a cell.
    std::function<void(int row, int col)> on_cell_press;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    // Edges in pixels of the rows (or columns) in view: fixed ones, then the scrolled
    // ones from `first` on, up to `limit` pixels.
    struct Line {
        int index;
        int from, to;  // pixels, to exclusive
    };
    std::vector<Line> lines(const std::vector<int>& twips, int fixed, int first, int limit) const;
    // The largest first scrolled index that still fills `limit` pixels to the end.
    int last_first(const std::vector<int>& twips, int fixed, int limit) const;
    void update_ranges();

    int rows_ = 0, cols_ = 0, fixed_rows_ = 0, fixed_cols_ = 0;
    int top_row_ = 0, left_col_ = 0, row_ = 0, col_ = 0, row_sel_ = 0, col_sel_ = 0;
    std::vector<int> row_twips_, col_twips_, col_align_;
    std::vector<QString> cells_;
};

}  // namespace dvx::app

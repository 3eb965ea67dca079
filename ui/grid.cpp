#include <algorithm>

#include "ui/control_faults.h"
#include "ui/controls.h"

namespace dvx::ui {

using detail::bad_index;
using detail::bad_value;

Grid::Grid(Parent p, std::string name, Rect r, int index)
    : Control(Kind::grid, p, std::move(name), r, index) {
    reshape(2, 2);
}

void Grid::reshape(int rows, int cols) {
    std::vector<std::string> cells(static_cast<std::size_t>(rows) * cols);
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            if (!cells_.empty()) cells[r * cols + c] = std::move(cells_[r * cols_ + c]);
    cells_ = std::move(cells);
    rows_ = rows;
    cols_ = cols;
    col_width_.resize(cols, 960);
    col_align_.resize(cols, 9);
    row_height_.resize(rows, 240);
    auto fit = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
    top_row_ = fit(top_row_, fixed_rows_, std::max(fixed_rows_, rows - 1));
    left_col_ = fit(left_col_, fixed_cols_, std::max(fixed_cols_, cols - 1));
    row_ = fit(row_, 0, rows - 1);
    col_ = fit(col_, 0, cols - 1);
    row_sel_ = fit(row_sel_, 0, rows - 1);
    col_sel_ = fit(col_sel_, 0, cols - 1);
}

void Grid::set_rows(int n) {
    if (n < fixed_rows_ || n < 1) bad_value();
    reshape(n, cols_);
    changed("Rows");
}

void Grid::set_cols(int n) {
    if (n < fixed_cols_ || n < 1) bad_value();
    reshape(rows_, n);
    changed("Cols");
}

void Grid::set_fixed_rows(int n) {
    if (n < 0 || n >= rows_) bad_value();
    fixed_rows_ = n;
    if (top_row_ < n) top_row_ = n;
    changed("FixedRows");
}

void Grid::set_fixed_cols(int n) {
    if (n < 0 || n >= cols_) bad_value();
    fixed_cols_ = n;
    if (left_col_ < n) left_col_ = n;
    changed("FixedCols");
}

void Grid::check_cell(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) bad_index();
}

const std::string& Grid::text_matrix(int row, int col) const {
    check_cell(row, col);
    return cells_[row * cols_ + col];
}

void Grid::set_text_matrix(int row, int col, std::string t) {
    check_cell(row, col);
    auto& cell = cells_[row * cols_ + col];
    if (cell == t) return;
    cell = std::move(t);
    changed("TextMatrix");
}

std::string Grid::text() const {
    return text_matrix(row_, col_);
}
void Grid::set_text(std::string t) {
    set_text_matrix(row_, col_, std::move(t));
}

int Grid::col_width(int col) const {
    check_cell(0, col);
    return col_width_[col];
}

void Grid::set_col_width(int col, int twips) {
    check_cell(0, col);
    if (twips < -1) bad_value();
    col_width_[col] = twips < 0 ? 960 : twips;
    changed("ColWidth");
}

int Grid::row_height(int row) const {
    check_cell(row, 0);
    return row_height_[row];
}

// Fixed cells stay put; scrollable ones start after the fixed ones at LeftCol/TopRow.
// A cell scrolled out of view reads its unscrolled position minus the scrolled extent.
static int edge_pos(const std::vector<int>& sizes, int fixed, int first_shown, int i) {
    int p = 0;
    for (int k = 0; k < std::min(i, fixed); ++k) p += sizes[k];
    if (i < fixed) return p;
    for (int k = first_shown; k < i; ++k) p += sizes[k];
    for (int k = i; k < first_shown; ++k) p -= sizes[k];
    return p;
}

int Grid::col_pos(int col) const {
    check_cell(0, col);
    return edge_pos(col_width_, fixed_cols_, left_col_, col);
}

int Grid::row_pos(int row) const {
    check_cell(row, 0);
    return edge_pos(row_height_, fixed_rows_, top_row_, row);
}

int Grid::col_alignment(int col) const {
    check_cell(0, col);
    return col_align_[col];
}

void Grid::set_col_alignment(int col, int a) {
    check_cell(0, col);
    if (a < 0 || a > 9) bad_value();
    col_align_[col] = a;
    changed("ColAlignment");
}

void Grid::set_top_row(int r) {
    if (r < fixed_rows_ || r >= rows_) bad_value();
    if (r == top_row_) return;
    top_row_ = r;
    changed("TopRow");
    raise("Scroll", on_scroll);
}

void Grid::user_scroll_to(int r) {
    if (rows_ <= fixed_rows_) return;  // nothing to scroll
    set_top_row(std::max(fixed_rows_, std::min(r, rows_ - 1)));
}

void Grid::set_left_col(int c) {
    if (c < fixed_cols_ || c >= cols_) bad_value();
    if (c == left_col_) return;
    left_col_ = c;
    changed("LeftCol");
    raise("Scroll", on_scroll);
}

void Grid::set_row(int r) {
    check_cell(r, 0);
    row_ = row_sel_ = r;
    changed("Row");
}

void Grid::set_col(int c) {
    check_cell(0, c);
    col_ = col_sel_ = c;
    changed("Col");
}

void Grid::set_col_sel(int c) {
    check_cell(0, c);
    col_sel_ = c;
    changed("ColSel");
}

}  // namespace dvx::ui

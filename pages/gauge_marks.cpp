#include "pages/gauge_marks.h"

#include <string>

#include "ui/drawing.h"

namespace dvx::pages {

namespace {

constexpr std::uint32_t black = 0x000000;
constexpr ui::Shape left_arrow[] = {{ui::ShapeKind::arrow_left, 0, 0, 10, 10, black, black, 1}};
constexpr ui::Shape right_arrow[] = {{ui::ShapeKind::arrow_right, 0, 0, 10, 10, black, black, 1}};

}  // namespace

void show_gauge_mark(ui::Picture& mark, std::string_view name) {
    ui::register_drawing(std::string(gauge_mark_left), {10, 10, left_arrow});
    ui::register_drawing(std::string(gauge_mark_right), {10, 10, right_arrow});
    mark.set_border_style(0);
    mark.set_picture(std::string(name));
}

}  // namespace dvx::pages

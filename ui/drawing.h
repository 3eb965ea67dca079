#pragma once
// Pictures the program draws itself: a drawing is a list of simple shapes in its own
// coordinate space (width x height units), registered under a name. An Image or
// Picture control whose `picture` names a registered drawing shows it stretched into
// the control; the renderer paints the shapes, tests read them.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dvx::ui {

enum class ShapeKind {
    rect,     // box at (x, y), size w x h
    ellipse,  // ellipse inside that box
    line,     // from (x, y) to (x + w, y + h)
    text,     // text centred in the box, `size` units high
    arrow_left,   // triangle filling the box, its point at the middle of the left edge
    arrow_right,  // the same pointing right
};

// Colours 0x00BBGGRR; no_fill leaves the inside empty.
inline constexpr std::uint32_t no_fill = 0xFFFFFFFFu;

struct Shape {
    ShapeKind kind;
    int x, y, w, h;
    std::uint32_t pen;           // outline, line or text colour
    std::uint32_t fill = no_fill;
    int pen_width = 2;
    std::string_view text = {};  // Windows-1252
    int size = 0;                // text height
};

struct Drawing {
    int width = 0, height = 0;
    std::span<const Shape> shapes;
};

// Registers (or replaces) a drawing; the shapes must outlive the program's windows
// (constexpr tables).
void register_drawing(std::string name, Drawing drawing);
// The drawing of that name, or nullptr.
const Drawing* find_drawing(std::string_view name);

}  // namespace dvx::ui

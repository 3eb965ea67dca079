#include "pages/board_pictures.h"

#include <array>

#include "model/main_view_hooks.h"

namespace dvx::pages {
namespace {

using ui::Shape;
using ui::ShapeKind;

// Colours 0x00BBGGRR.
constexpr std::uint32_t board_green = 0x002E7A3C;
constexpr std::uint32_t silk = 0x00F0F0F0;
constexpr std::uint32_t gold = 0x0033B5E5;
constexpr std::uint32_t chip = 0x00282828;
constexpr std::uint32_t copper = 0x004080C0;

template <std::size_t N>
struct Shapes {
    std::array<Shape, N> s{};
    std::size_t n = 0;
    constexpr void add(Shape x) { s[n++] = x; }
    constexpr void text(int x, int y, int w, int h, std::string_view t, int size,
                        std::uint32_t colour = silk) {
        add({ShapeKind::text, x, y, w, h, colour, ui::no_fill, 1, t, size});
    }
    constexpr void box(int x, int y, int w, int h, std::uint32_t pen, std::uint32_t fill,
                       int pen_width = 3) {
        add({ShapeKind::rect, x, y, w, h, pen, fill, pen_width});
    }
    constexpr void line(int x, int y, int dx, int dy, std::uint32_t pen, int pen_width = 4) {
        add({ShapeKind::line, x, y, dx, dy, pen, ui::no_fill, pen_width});
    }
    constexpr void circle(int cx, int cy, int r, std::uint32_t pen, std::uint32_t fill) {
        add({ShapeKind::ellipse, cx - r, cy - r, 2 * r, 2 * r, pen, fill, 3});
    }

    // The board with its outline, mounting holes and title.
    constexpr void board(std::string_view title) {
        box(0, 0, board_width, board_height, 0x00184A22, board_green, 8);
        for (int x : {40, board_width - 40})
            for (int y : {40, board_height - 40}) circle(x, y, 18, silk, 0x00C8C8C8);
        text(80, 20, 900, 70, title, 54);
    }
    // A two-pin jumper header, open, its name above it.
    constexpr void jumper(int x, int y, std::string_view name) {
        text(x - 40, y - 72, 200, 64, name, 54);
        box(x, y, 120, 64, silk, chip, 3);
        box(x + 18, y + 16, 32, 32, gold, gold, 1);
        box(x + 70, y + 16, 32, 32, gold, gold, 1);
    }
    // The two-row connector: rows d and z, contacts 24..32 (even), names outside the rows.
    constexpr void connector(bool named) {
        box(1850, 80, 460, 680, silk, 0x00303030, 4);
        text(1990, 90, 100, 56, "d", 50);
        text(2110, 90, 100, 56, "z", 50);
        constexpr std::string_view d_pins[] = {"d24", "d26", "d28", "d30", "d32"};
        constexpr std::string_view z_pins[] = {"z24", "z26", "z28", "z30", "z32"};
        for (int i = 0; i < 5; ++i) {
            const int y = 200 + 125 * i;
            circle(2040, y, 22, gold, gold);
            circle(2160, y, 22, gold, gold);
            if (named) {
                text(1865, y - 28, 120, 56, d_pins[i], 44);
                text(2190, y - 28, 110, 56, z_pins[i], 44);
            }
            line(1770, y, 80, 0, copper, 6);
        }
    }
    // JP3: three pins, the cap on pins 1-2 gives a current, on 2-3 a voltage output.
    constexpr void output_jumper() {
        text(1000, 160, 300, 64, "JP3", 56);
        box(1000, 240, 300, 80, silk, chip, 3);
        for (int i = 0; i < 3; ++i) box(1030 + 90 * i, 262, 40, 40, gold, gold, 1);
        text(960, 330, 180, 56, "mA", 48);
        text(1160, 330, 180, 56, "V", 48);
        text(900, 430, 900, 56, "JP3 1-2: mA    JP3 2-3: V", 44);
    }
    // Chips and tracks that make the board read as a board.
    constexpr void parts(int x0) {
        box(x0, 200, 300, 200, silk, chip, 3);
        for (int i = 0; i < 6; ++i) {
            line(x0 + 30 + 48 * i, 200, 0, -40, gold, 6);
            line(x0 + 30 + 48 * i, 400, 0, 40, gold, 6);
        }
        box(x0 + 420, 230, 160, 90, silk, 0x00D0D0D0, 2);
        box(x0 + 420, 360, 160, 90, silk, 0x00D0D0D0, 2);
        line(x0 + 300, 300, 120, -25, copper, 6);
        line(x0 + 300, 300, 120, 105, copper, 6);
    }
};

constexpr auto input_krv = [] {
    Shapes<160> l;
    l.board("KRV-200  INPUT");
    l.parts(120);
    l.jumper(820, 230, "JP5");
    l.jumper(1000, 230, "JP6");
    l.jumper(1180, 230, "JP7");
    l.jumper(1360, 230, "JP8");
    l.jumper(1540, 230, "JP9");
    l.connector(true);
    l.text(600, 560, 1200, 56, "V: z24(+) z26(-)   mA: d24(+) d26(-)", 44);
    l.text(600, 640, 1200, 56, "RTD/Ohm: d28 z28 d30 z30   TC/mV: d32(+) z32(-)", 44);
    return l;
}();

// The output side is the same on both families but for the family in its title.
constexpr auto output_board(std::string_view title) {
    Shapes<80> l;
    l.board(title);
    l.parts(120);
    l.output_jumper();
    l.connector(false);
    l.line(1300, 280, 470, -80, copper, 6);
    return l;
}
constexpr auto output_krv = output_board("KRV-200  OUTPUT");
constexpr auto output_dlx = output_board("DLX-200  OUTPUT");

template <class L>
ui::Drawing drawing_of(const L& l) {
    return {board_width, board_height, std::span<const Shape>(l.s.data(), l.n)};
}

}  // namespace

void register_board_drawings() {
    ui::register_drawing(std::string(input_board_krv), drawing_of(input_krv));
    ui::register_drawing(std::string(output_board_krv), drawing_of(output_krv));
    ui::register_drawing(std::string(output_board_dlx), drawing_of(output_dlx));
}

std::string_view output_board_picture() {
    return model::main_view_hooks().is_krv() ? output_board_krv : output_board_dlx;
}

Pcb_map_2::Pcb_map_2() : Form("pcb_map_2", {0, 0, 9600, 5550}) {
    register_board_drawings();
    set_caption("KRV Input Layout");
    Image1.set_stretch(true);
    Image1.set_picture(std::string(input_board_krv));
}

Pcb_map::Pcb_map() : Form("pcb_map", {0, 0, 9600, 3870}) {
    register_board_drawings();
    set_caption("Output Layout");
    Image1.set_stretch(true);
    Image1.set_picture(std::string(output_board_picture()));
}

}  // namespace dvx::pages

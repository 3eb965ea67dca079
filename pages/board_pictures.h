#pragma once
// The two board pictures the Jumper Finder buttons open: the input side of the
// transmitter board with the wiring hint of the chosen input type under it
// (pcb_map_2), and the output side with the current/voltage jumper (pcb_map). The
// pictures are drawn by the program (ui/drawing.h). Both buttons show only for
// firmware 4 boards with the two-row connector (main window's S_SNAP not ticked), and
// the input one only for a KRV: so there is one input picture, and an output picture
// per family, titled with it. They take no shared placement and leave the main window
// alone.
#include <string_view>

#include "ui/controls.h"
#include "ui/drawing.h"
#include "ui/form.h"

namespace dvx::pages {

// Names of the registered drawings (2362 x 827 units each).
inline constexpr std::string_view input_board_krv = "input_board_krv";
inline constexpr std::string_view output_board_krv = "output_board_krv";
inline constexpr std::string_view output_board_dlx = "output_board_dlx";
inline constexpr int board_width = 2362, board_height = 827;

// Registers the drawings (idempotent); the picture windows do it when they load.
void register_board_drawings();
// The output board of the model family the main window has chosen.
std::string_view output_board_picture();

class Pcb_map_2 : public ui::Form {
  public:
    Pcb_map_2();
    // The design's close_pcb_map_2 is unload().

    ui::Image Image1{*this, "Image1", {120, 120, 9240, 3235}};
    ui::Label lbl_desc{*this, "lbl_desc", {120, 3480, 9240, 1560}};
};

class Pcb_map : public ui::Form {
  public:
    Pcb_map();
    // The design's close_pcb_map is unload().

    ui::Image Image1{*this, "Image1", {120, 120, 9240, 3235}};
};

inline ui::FormRef<Pcb_map_2> pcb_map_2_inst;
inline ui::FormRef<Pcb_map> pcb_map_inst;

}  // namespace dvx::pages

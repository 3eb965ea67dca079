#pragma once
// The state of a control as the Qt tests compare it before and after the user's input.
#include <sstream>
#include <string>

#include "platform/cp1252.h"
#include "ui/controls.h"

namespace dvx::testing {

// What the layer holds of a control that any input could change: its name, whether it
// is enabled and visible (unless `flags` is false), its text, value, choice or cells.
inline std::string layer_state(ui::Control& c, bool flags = true) {
    std::ostringstream s;
    s << platform::to_utf8(c.name())
      << (c.index() >= 0 ? "(" + std::to_string(c.index()) + ")" : "");
    if (flags) s << (c.enabled() ? "" : " disabled") << (c.visible() ? "" : " hidden");
    s << ": ";
    switch (c.kind()) {
        case ui::Kind::text_box:
            s << '"' << static_cast<ui::TextBox&>(c).text() << '"';
            break;
        case ui::Kind::combo_box:
        case ui::Kind::list_box: {
            auto& l = static_cast<ui::ListControl&>(c);
            s << l.list_index() << " of " << l.list_count() << " top " << l.top_index();
            break;
        }
        case ui::Kind::list_view:
            s << static_cast<ui::ListView&>(c).selected_index();
            break;
        case ui::Kind::check_box:
            s << static_cast<ui::CheckBox&>(c).value();
            break;
        case ui::Kind::option_button:
            s << static_cast<ui::OptionButton&>(c).value();
            break;
        case ui::Kind::vscroll_bar:
            s << static_cast<ui::VScrollBar&>(c).value();
            break;
        case ui::Kind::tab_control:
            s << static_cast<ui::TabControl&>(c).tab();
            break;
        case ui::Kind::grid: {
            auto& g = static_cast<ui::Grid&>(c);
            s << g.row() << "," << g.col() << " top " << g.top_row() << " left " << g.left_col();
            for (int r = 0; r < g.rows(); ++r)
                for (int k = 0; k < g.cols(); ++k) s << '|' << g.text_matrix(r, k);
            break;
        }
        default:
            if (auto* cc = dynamic_cast<ui::CaptionControl*>(&c)) s << cc->caption();
            break;
    }
    return s.str();
}

}  // namespace dvx::testing

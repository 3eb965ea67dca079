#pragma once
// The small marks beside the online page's gauges: a black arrow pointing at the gauge
// (scale ends of the measured value, output limits).
#include <string_view>

#include "ui/controls.h"

namespace dvx::pages {

inline constexpr std::string_view gauge_mark_left = "gauge_mark_left";
inline constexpr std::string_view gauge_mark_right = "gauge_mark_right";

// Registers both drawings (idempotent) and shows `name` in `mark`, without a border.
void show_gauge_mark(ui::Picture& mark, std::string_view name);

}  // namespace dvx::pages

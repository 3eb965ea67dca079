#pragma once
// Test doubles for the date and the keyboard state.
#include <set>

#include "ui/app.h"
#include "ui/keyboard.h"

namespace dvx::ui {

class FixedCalendar final : public platform::Calendar {
  public:
    explicit FixedCalendar(platform::Date d = {2026, 12, 9}) : date(d) {}
    platform::Date today() override { return date; }
    platform::Date date;
};

// Keys held down by the test (in addition to nothing else).
class HeldKeys final : public KeyboardState {
  public:
    bool is_down(int key_code) override { return down.count(key_code) != 0; }
    std::set<int> down;
};

}  // namespace dvx::ui

#pragma once
// The one placement shared by every full-size window: the main window hands it to a
// page when it opens one, the page hands it back when it closes, so the user sees one
// window at the place and size last given. It survives the program in the registry.
//
//   copy_form_state(*this, h_inp_inst);        // main window opens a page
//   copy_form_state(*this, hauptmenu_inst);    // the page's Unload gives it back
//
// A window passed as its global reference (ui::FormRef) is touched, and so loaded,
// inside apply_form_state while applying_form_state is 1, as the classic reference
// loaded its window at the first property set; a save its Load asks for is dropped.
#include <cstdint>
#include <functional>

#include "ui/form.h"

namespace dvx::model {

// Window state 0 normal, 1 minimised, 2 maximised; 3 or more only as the start's mark
// for "no valid placement". Position and size in twips.
extern std::int16_t form_window_state;
extern std::int16_t form_top;
extern std::int16_t form_left;
extern std::int16_t form_width;
extern std::int16_t form_height;
// 1 while a placement is being applied.
extern std::int16_t applying_form_state;

// Applying grows a smaller size to this; saving keeps what the window had.
inline constexpr std::int16_t form_min_width = 9690;
inline constexpr std::int16_t form_min_height = 8225;

// A window argument: a loaded form, or a global reference touched on first use.
class FormArg {
  public:
    FormArg(ui::Form& form)  // NOLINT(google-explicit-constructor)
        : touch_([&form]() -> ui::Form& { return form; }) {}
    template <class F>
    FormArg(ui::FormRef<F>& ref)  // NOLINT(google-explicit-constructor)
        : touch_([&ref]() -> ui::Form& { return *ref; }) {}
    ui::Form& touch() const { return touch_(); }

  private:
    std::function<ui::Form&()> touch_;
};

// Takes the window's state, top, left, width and height into the five variables and
// writes them to the registry ("FORM STATE", "FROM WI", "FORM HI", "FROM LE",
// "FROM TOP"). Dropped while a placement is being applied. A value that does not fit
// 16 bits (a minimised window's position) leaves its variable as it was; faults of
// single steps are skipped.
void save_form_state(const FormArg& window);
// Puts the shared placement on the window: size grown to the minimum, the state set,
// and only in normal state top, left, width and height, in this order. Faults of
// single steps (a state the window refuses) are skipped.
void apply_form_state(const FormArg& window);
// save_form_state(from), then apply_form_state(to).
void copy_form_state(const FormArg& from, const FormArg& to);

}  // namespace dvx::model

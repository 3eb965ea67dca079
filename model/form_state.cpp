#include "model/form_state.h"

#include <exception>
#include <limits>
#include <string>

#include "model/reg_settings.h"

namespace dvx::model {

std::int16_t form_window_state = 0;
std::int16_t form_top = 0;
std::int16_t form_left = 0;
std::int16_t form_width = 0;
std::int16_t form_height = 0;
std::int16_t applying_form_state = 0;

namespace {

// Runs one step; a fault skips that step only, as the placement code always did.
template <class Step>
void skip_fault(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// var := value when it fits 16 bits; otherwise var keeps its value.
void take(std::int16_t& var, int value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return;
    var = static_cast<std::int16_t>(value);
}

struct ApplyingScope {
    ApplyingScope() { applying_form_state = 1; }
    ~ApplyingScope() { applying_form_state = 0; }
    ApplyingScope(const ApplyingScope&) = delete;
    ApplyingScope& operator=(const ApplyingScope&) = delete;
};

}  // namespace

void save_form_state(const FormArg& window) {
    if (applying_form_state != 0) return;
    ui::Form* f = nullptr;
    skip_fault([&] { f = &window.touch(); });
    if (f) {
        skip_fault([&] { take(form_window_state, f->window_state()); });
        skip_fault([&] { take(form_top, f->top()); });
        skip_fault([&] { take(form_left, f->left()); });
        skip_fault([&] { take(form_width, f->width()); });
        skip_fault([&] { take(form_height, f->height()); });
    }
    // One write of the five values: one wait for the store, and two windows saving at
    // once leave one placement whole, never a mix of both.
    skip_fault([] {
        reg_set_strings(reg_key, {
                                     {reg_form_state, std::to_string(form_window_state)},
                                     {reg_form_width, std::to_string(form_width)},
                                     {reg_form_height, std::to_string(form_height)},
                                     {reg_form_left, std::to_string(form_left)},
                                     {reg_form_top, std::to_string(form_top)},
                                 });
    });
}

void apply_form_state(const FormArg& window) {
    if (form_width < form_min_width) form_width = form_min_width;
    if (form_height < form_min_height) form_height = form_min_height;
    ApplyingScope applying;
    ui::Form* f = nullptr;
    skip_fault([&] { f = &window.touch(); });
    if (!f) return;
    skip_fault([&] { f->set_window_state(form_window_state); });
    if (form_window_state != 0) return;
    skip_fault([&] { f->set_top(form_top); });
    skip_fault([&] { f->set_left(form_left); });
    skip_fault([&] { f->set_width(form_width); });
    skip_fault([&] { f->set_height(form_height); });
}

void copy_form_state(const FormArg& from, const FormArg& to) {
    save_form_state(from);
    apply_form_state(to);
}

}  // namespace dvx::model

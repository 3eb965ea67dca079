#include "mainwin/program_start.h"

#include <exception>
#include <functional>
#include <string>

#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "model/checked_file.h"
#include "model/form_state.h"
#include "model/reg_settings.h"
#include "platform/fault.h"
#include "texts/lang_select.h"
#include "texts/language.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::mainwin {

namespace {

// From the placement on, a fault skips its one statement and the start goes on.
void ignoring_faults(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

std::string read_setting(const char* name, std::int16_t& err) {
    err = 0;
    return model::reg_get_string(model::hkey_local_machine, model::reg_key, name, err);
}

// The five placement values in their fixed order; the first missing, non-numeric or
// unreadable one marks the placement as not valid (state 3) and ends the read. A value
// beyond 16 bits leaves its variable as it was and the read goes on.
void read_placement() {
    struct Entry {
        const char* name;
        std::int16_t* var;
    };
    const Entry entries[] = {
        {model::reg_form_state, &model::form_window_state},
        {model::reg_form_top, &model::form_top},
        {model::reg_form_left, &model::form_left},
        {model::reg_form_width, &model::form_width},
        {model::reg_form_height, &model::form_height},
    };
    for (const Entry& e : entries) {
        std::int16_t err = 0;
        const std::string text = read_setting(e.name, err);
        const auto value = model::numeric_value(text);
        if (err != 0 || !value) {
            model::form_window_state = 3;
            return;
        }
        if (const auto v = model::round_to_i16(*value)) *e.var = *v;
    }
}

void take_placement_from(Hauptmenue& m) {
    auto take = [](std::int16_t& var, int value) {
        if (const auto v = model::round_to_i16(value)) var = *v;
    };
    take(model::form_window_state, m.window_state());
    take(model::form_top, m.top());
    take(model::form_left, m.left());
    take(model::form_width, m.width());
    take(model::form_height, m.height());
}

}  // namespace

void Main() {
    try {
        std::int16_t err = 0;
        texts::lang_code = read_setting(model::reg_language, err);
        if (err != 0) {
            ui::msg_box("Can not access registry. Must abort.", ui::mb_critical);
            ui::end_program(start_aborted);
        }
        // The single-bit mask tables are compile-time constants (model/input_types.h).
        if (texts::lang_code.empty()) texts::lang_select_inst->show_modal();
    } catch (const std::exception& e) {
        ops::show(platform::text_of(e));
        ui::end_program(start_aborted);
    }

    ignoring_faults(read_placement);
    // The first touch of the main window loads it: the whole start-up runs here.
    ignoring_faults([] {
        if (model::form_window_state >= 3)
            take_placement_from(*hauptmenu_inst);
        else
            model::apply_form_state(hauptmenu_inst);
    });
    ignoring_faults([] { ui::do_events(); });
    ignoring_faults([] { hauptmenu_inst->show_modeless(); });
    param_snapshot.clear();
}

bool start_headless(const StartServices& s) {
    ui::Services& installed = ui::services();
    if (s.clock) installed.clock = s.clock;
    if (s.loop) installed.loop = s.loop;
    if (s.boxes) installed.boxes = s.boxes;
    if (s.registry) installed.registry = s.registry;
    if (s.files) installed.files = s.files;
    if (s.port) installed.port = s.port;
    try {
        Main();
    } catch (const ui::ProgramEnded&) {
        return false;
    }
    return !ui::program_ended();
}

}  // namespace dvx::mainwin

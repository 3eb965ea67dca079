#include "calib/measure_run.h"

#include <exception>

#include "calib/calib_mode.h"
#include "calib/fqn_calib.h"
#include "link/register_images.h"
#include "link/transactions.h"
#include "mainwin/device_ops_common.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "platform/fault.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::calib {

using mainwin::ops::show;

namespace {

constexpr double settle_wait = 2.0;
constexpr double sample_pause = 0.4;

bool run_active = false;

class ActiveRun {
  public:
    ActiveRun() { run_active = true; }
    ~ActiveRun() { run_active = false; }
    ActiveRun(const ActiveRun&) = delete;
    ActiveRun& operator=(const ActiveRun&) = delete;
};

MeasureValues take(const MeasureModeRow& row) {
    MeasureValues v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const int k = row.picks[i];
        v[i] = k == word44 ? link::status_regs[44] : model::long_from_block(k);
    }
    return v;
}

// One run. `switched`: the device's input type was touched and not yet switched back
// (modes 30..39 never switch), so a failure end does that once before its message.
struct Run {
    std::int16_t mode;
    const MeasureModeRow& row;
    bool switched = false;

    // Switches back (at most once per run); its result.
    std::int16_t leave() {
        switched = false;
        return leave_calib_mode();
    }

    // The failure end: back to the normal input type, then the message; a switch back
    // that did not get through is told, a cancelled run's too.
    std::int16_t fail(const std::string* message) {
        const bool left_switched = switched && leave() != 0;
        if (message) show(*message);
        if (left_switched && message != &texts::msg_calib_aborted) show(texts::msg_calib_aborted);
        ui::set_mouse_pointer(ui::mp_default);
        fqn_calib_inst->hide();
        return 1;
    }

    std::int16_t execute(MeasureValues& out) {
        const std::int16_t m = mode >= 40 ? static_cast<std::int16_t>(mode - 40) : mode;
        const EnterResult entered = enter_calib(m);
        switched = entered.switched;
        if (entered.rc != 0) return fail(&texts::msg_calib_aborted);
        ui::wait_yielding(settle_wait);

        MeasureValues older{}, previous{}, current{};
        std::array<bool, 5> settled{};
        int warm_up = 2;
        for (;;) {
            if (link::read_reg_window() != 0) return fail(&texts::msg_calib_aborted);
            current = take(row);
            if (warm_up == 0) {
                bool all = true;
                for (std::size_t k = 0; k < current.size(); ++k) {
                    if (!still_moving(older[k], previous[k], current[k])) settled[k] = true;
                    all = all && settled[k];
                }
                if (all) break;
            }
            ui::wait_yielding(sample_pause);
            if (warm_up > 0) --warm_up;
            older = previous;
            previous = current;
            if (!fqn_calib_inst->visible()) {
                ui::set_mouse_pointer(ui::mp_default);
                return fail(nullptr);
            }
        }
        if (switched && leave() != 0) return fail(&texts::msg_calib_aborted);
        out = current;
        fqn_calib_inst->hide();
        ui::set_mouse_pointer(ui::mp_default);
        ui::do_events();
        show(texts::msg_ready);
        return 0;
    }
};

}  // namespace

const MeasureModeRow* find_measure_mode(int mode) {
    if (mode < 0 || mode > 63) return nullptr;
    for (const MeasureModeRow& row : measure_modes)
        if (row.modes & (std::uint64_t{1} << mode)) return &row;
    return nullptr;
}

std::int16_t calibrate_measure(std::int16_t mode, MeasureValues& values) {
    const MeasureModeRow* row = find_measure_mode(mode);
    if (!row || run_active) return 1;
    ActiveRun active;
    ui::set_mouse_pointer(ui::mp_hourglass);
    fqn_calib_inst->show_modeless();
    ui::do_events();
    ui::do_events();
    Run run{mode, *row};
    try {
        return run.execute(values);
    } catch (const std::exception& e) {
        const std::string fault = platform::text_of(e);
        return run.fail(&fault);
    }
}

bool measure_run_active() {
    return run_active;
}

void store_point_status() {
    model::param_image[62] = link::status_regs[25];
    model::param_image[59] = static_cast<std::int16_t>(link::status_regs[26] & 255);
}

}  // namespace dvx::calib

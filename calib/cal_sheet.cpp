#include "calib/cal_sheet.h"

#include <limits>

#include "link/register_images.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "model/sensor_hint.h"
#include "ui/app.h"

namespace dvx::calib {

std::int16_t put_long_checked(std::int64_t v, int k) {
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return 1;
    model::put_long(static_cast<std::int32_t>(v), k);
    return 0;
}

CalSheet::CalSheet(std::string name, ui::Rect rect, bool gives_placement_back)
    : WorkPage(std::move(name), rect, gives_placement_back) {
    // A sheet closed by its frame during a run would let the run store after it is gone.
    auto unload = on_unload;
    on_unload = [unload](int& cancel) {
        if (measure_run_active()) {
            cancel = 1;
            return;
        }
        unload(cancel);
    };
}

void CalSheet::bind_button(ui::CommandButton& button, std::function<void()> handler) {
    locked_.push_back(&button);
    button.on_click = [handler = std::move(handler)] {
        if (!measure_run_active()) handler();
    };
}

void CalSheet::bind_points(PointFrame& frame, const std::function<void(int word)>& read) {
    for (PointRow& p : frame.points) bind_button(p.read_in, [read, word = p.word] { read(word); });
}

void CalSheet::bind_sensor_list(ui::ComboBox& list, const SensorGroup& group) {
    locked_.push_back(&list);
    pass_keys(list);
    list.on_click = [this, &list, group] {
        const int i = list.list_index();
        if (i < 0 || measure_run_active()) return;
        const std::int16_t type = group.types(i);
        model::show_sensor_hint(type);
        model::param_image[group.word] = type;
        fill();
    };
}

void CalSheet::select_group(ui::ComboBox& list, const SensorGroup& group) {
    std::int16_t& w = model::param_image[group.word];
    if (w >= 21) w = 20;
    select(list, group.index(w));
}

bool CalSheet::read_in(std::int16_t mode, const std::function<void(const MeasureValues&)>& store,
                       bool copy_status) {
    // The control the run was started from, and whether the user puts the keys
    // elsewhere on this sheet while it runs.
    ui::Control* started_from = ui::focus_owner();
    if (started_from && &started_from->form() != this) started_from = nullptr;
    const auto user_moves = user_focus_moves();
    std::vector<ui::Control*> locked;
    for (ui::Control* c : locked_)
        if (c->enabled()) {
            c->set_enabled(false);
            locked.push_back(c);
        }
    MeasureValues r{};
    const std::int16_t rc = calibrate_measure(mode, r);
    for (ui::Control* c : locked) c->set_enabled(true);
    // The lock took the focus from the button pressed: it gets it back unless the user
    // put the keys on another control of this sheet during the run.
    if (started_from && user_focus_moves() == user_moves && visible() && started_from->can_focus())
        started_from->set_focus();
    if (rc != 0) return false;
    store(r);
    if (copy_status) {
        store_point_status();
    }
    fill();
    return true;
}

}  // namespace dvx::calib

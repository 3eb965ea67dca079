#pragma once
// What every input-calibration sheet shares: a work page whose "Read in" buttons run the
// measuring run and store chosen results, sensor lists that choose a group's input type,
// a sheet switch towards its sister sheet, and the lock that keeps the sheet still while
// a run is under way (its buttons, lists, sheet switch and Back do nothing; the run's
// box stays the way out).
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "calib/measure_run.h"
#include "calib/point_frame.h"
#include "model/form_state.h"
#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::calib {

// A sensor group: list position -> input type and back, and its type word.
struct SensorGroup {
    std::int16_t (*types)(int pos);
    std::int16_t (*index)(int type);
    int word;
};

// P[k..k+1] := v when v fits 32 bits; else the pair keeps its value. 0 stored, 1 not.
std::int16_t put_long_checked(std::int64_t v, int k);

class CalSheet : public pages::WorkPage {
  protected:
    CalSheet(std::string name, ui::Rect rect, bool gives_placement_back = true);

    // The button runs `handler` unless a run is active; it is locked during runs.
    void bind_button(ui::CommandButton& button, std::function<void()> handler);
    // Each point's "Read in" button runs `read` with the point's word, as bind_button.
    void bind_points(PointFrame& frame, const std::function<void(int word)>& read);
    // The list chooses its group's type: hint, type word, refill. Locked during runs.
    void bind_sensor_list(ui::ComboBox& list, const SensorGroup& group);
    // Selects the group's entry for its type word (21 or more first becomes 20).
    void select_group(ui::ComboBox& list, const SensorGroup& group);

    // The "Read in" cycle: runs `mode` with the sheet locked; on success `store` gets the
    // results, then (KRV sheets, `copy_status`) P[59] := low byte of R[26] and
    // P[62] := R[25], and the sheet refills. False: nothing stored, nothing refilled.
    bool read_in(std::int16_t mode, const std::function<void(const MeasureValues&)>& store,
                 bool copy_status = true);

    // The sheet switch: placement to the other sheet, show it, hide this one, repaint
    // it, fill it.
    template <class P>
    void switch_to(ui::FormRef<P>& other) {
        model::copy_form_state(*this, other);
        P& p = *other;
        p.show_modeless();
        hide();
        p.refresh();
        p.fill();
    }

  private:
    std::vector<ui::Control*> locked_;
};

}  // namespace dvx::calib

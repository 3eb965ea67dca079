#pragma once
// The main window on the simulated direct bus with a transmitter read and the
// calibration level open, plus what a calibration test reads off the run: the raw
// values the device settles on, the box, the writes of the input switching.
#include <string>
#include <vector>

#include "calib/openers.h"
#include "mainwin/access_level.h"
#include "model/access.h"
#include "sim/transmitter_calib.h"
#include "tests/pages/page_fixture.h"

namespace dvx::testing {

// The devices of the default direct bus by firmware generation.
inline constexpr int krv_405 = 1, krv_416 = 17, krv_303 = 9, dlx_306 = 3;

class CalibFixture : public PageFixture {
  protected:
    void SetUp() override {
        PageFixture::SetUp();
        calib::install_openers();
    }

    // Starts the program, reads the transmitter at `address` with firmware `version`
    // (status word 4; 0 keeps the preset's) and opens the calibration level.
    void start_on(int address, int version = 0, const char* lang = "GB") {
        prepare(0);
        if (version) plant_->device(address).set_status(4, version);
        ASSERT_TRUE(start(0, lang));
        select(address);
        read();
        model::entered_password = model::password_level_2;
        mainwin::apply_access_level();
        clear_records();
        boxes_.answer_all(ui::id_ok);
    }

    // The calibration menu item, as the user picks it.
    void open_calibration() { click(main().m_cal_inp); }

    sim::InputCalib& calib() { return device().calib(); }
    // What the device settles on for pair k while measuring `type`.
    std::int32_t raw(int type, int k) { return sim::raw_target(type, k, calib().signal()); }

    // The writes to the input-type register and the calibration words, as (reg, value).
    std::vector<std::pair<int, int>> switching() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& e : plant_->log())
            if (e.function == write_fn && (e.start == 1099 || e.start == 57 || e.start == 59))
                out.emplace_back(e.start, e.values.empty() ? -1 : int{e.values[0]});
        return out;
    }
    int window_reads() const {
        int n = 0;
        for (const auto& e : plant_->log())
            if (e.function == read_fn && e.start == 25 && e.count == 20) ++n;
        return n;
    }
};

}  // namespace dvx::testing

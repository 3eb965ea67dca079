#pragma once
// Puts the model's shared globals (image, counts, variant flags, main-window hooks)
// into their start state before each test and back afterwards, on top of the service
// doubles, so tests of the model never see each other's leftovers.
#include <algorithm>

#include "link/register_images.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/main_view_hooks.h"
#include "model/param_image.h"
#include "tests/support/services_fixture.h"

namespace dvx::testing {

class ModelGlobalsFixture : public ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        reset();
    }
    void TearDown() override {
        reset();
        ServicesFixture::TearDown();
    }

    static void reset() {
        model::main_view_hooks() = model::MainViewHooks{};
        model::param_image.fill(0);
        link::status_regs.fill(0);
        model::param_count = 127;
        model::is_ni120 = 0;
        model::has_wre_tc = 0;
        model::is_krv_fw3 = 0;
        model::show_lead_res = 0;
        model::mask_filling = 0;
    }

    // Main-window state the hooks read; tests change these fields.
    struct View {
        std::string curr_version;
        bool s_krv = true, s_dlx = false, is_krv = true;
        bool s_snap = false, th_xk = false;
        std::string v_mode = "0";
        std::string lang_code = "D";
        int th_xk_reads = 0;
    };
    View view_;

    // Routes the hooks to view_.
    void bind_view() {
        auto& h = model::main_view_hooks();
        h.curr_version = [this] { return view_.curr_version; };
        h.s_krv = [this] { return view_.s_krv; };
        h.s_dlx = [this] { return view_.s_dlx; };
        h.is_krv = [this] { return view_.is_krv; };
        h.s_snap = [this] { return view_.s_snap; };
        h.th_xk = [this] {
            ++view_.th_xk_reads;
            return view_.th_xk;
        };
        h.v_mode = [this] { return view_.v_mode; };
        h.lang_code = [this] { return view_.lang_code; };
    }
};

}  // namespace dvx::testing

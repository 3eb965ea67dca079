#pragma once
// The main window started as the program starts it, on the test doubles of every
// service and the simulated bus: marker and connection files written with the real
// checked container into the test's working folder, the language preset in the
// registry so the language window stays away unless a test wants it.
#include <memory>
#include <string>

#include "link/serial_line.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/program_start.h"
#include "model/access.h"
#include "model/checked_file.h"
#include "model/con_file.h"
#include "model/form_state.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/reg_settings.h"
#include "sim/sim.h"
#include "tests/support/services_fixture.h"
#include "texts/language.h"
#include "ui/input.h"

namespace dvx::testing {

class MainWindowFixture : public ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        reset_globals();
    }

    void TearDown() override {
        ui::reset_forms();
        ui::services().port = nullptr;
        ServicesFixture::TearDown();
    }

    static void reset_globals() {
        model::param_image.fill(0);
        model::param_count = 127;
        model::bus_mode = 0;
        texts::lang_code.clear();
        texts::is_krv = 1;
        link::port_status = 0;
        link::echo_on = 0;
        link::rx_buffer.clear();
        mainwin::sn_change_flag.clear();
        mainwin::param_snapshot = "not started";
        model::password_level_1.clear();
        model::password_level_2 = "never set";
        model::entered_password.clear();
        model::form_window_state = 0;
        model::form_top = model::form_left = model::form_width = model::form_height = 0;
        model::applying_form_state = 0;
        model::range_check_latch = 0;
        model::con_base_fields.reset();  // as in a process that has not read krv_con.cfg
    }

    // A file in the working folder through the checked container.
    void write_checked(const std::string& name, const std::string& content) {
        ASSERT_EQ(model::write_checked_file(name, content), 0);
    }
    // A file with exactly these bytes.
    void write_raw(const std::string& name, const std::string& bytes) {
        files_->write_all(name, bytes);
    }

    void set_reg(const char* name, const std::string& text) {
        registry_.put_string(model::reg_key, name, text);
    }

    // Starts the program on a simulated bus of `mode` (the plant the markers should
    // select); the language is English unless the test set one.
    bool start(int plant_mode = 0, const char* lang = "GB") {
        if (!port_ || plant_->bus_mode() != plant_mode) prepare(plant_mode);
        if (lang) set_reg(model::reg_language, lang);
        mainwin::StartServices s;
        s.port = port_.get();
        return mainwin::start_headless(s);
    }

    // The simulated bus of the next start (a test may set port faults on it first).
    void prepare(int plant_mode) {
        port_.reset();
        plant_ = std::make_unique<sim::Plant>(sim::Plant::preset(plant_mode));
        port_ = std::make_unique<sim::SimPort>(*plant_, clock_);
    }

    mainwin::Hauptmenue& main() { return *mainwin::hauptmenu_inst.peek(); }

    // Runs the queued input (user actions posted, simulated keys).
    void pump() { input_loop_->run_pending(); }

    // Runs one user action at a pump point, then everything it queued.
    template <class F>
    void user(F action) {
        input_loop_->post(action);
        pump();
    }

    std::unique_ptr<sim::Plant> plant_;
    std::unique_ptr<sim::SimPort> port_;
    // The loop user actions go through: the virtual-time one, unless a test on a real
    // line installs its own on a real clock.
    ui::HeadlessLoop* input_loop_ = &loop_;
};

}  // namespace dvx::testing

#pragma once
// The link on the simulated bus: virtual clock, a simulator plant behind its
// in-process port (installed as the service set's port), and the link's state reset.
#include <memory>

#include "link/link.h"
#include "model/param_image.h"
#include "sim/sim.h"
#include "tests/support/services_fixture.h"

namespace dvx::link {

class BusFixture : public testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        reset_link_state();
        model::param_image.fill(0);
        model::param_count = 127;
        model::bus_mode = 0;
    }
    void TearDown() override {
        reset_link_state();
        model::bus_mode = 0;
        model::param_count = 127;
        ServicesFixture::TearDown();
    }

    // Puts the plant on the line, selects the device (address, or slot and rack behind
    // a gateway) and opens the port as the main window does.
    void attach(sim::Plant plant, int address_or_slot = 1, int rack = 1) {
        plant_ = std::make_unique<sim::Plant>(std::move(plant));
        port_ = std::make_unique<sim::SimPort>(*plant_, clock_);
        ui::services().port = port_.get();
        model::bus_mode = static_cast<std::int16_t>(plant_->bus_mode());
        detached_controls().adr_select = address_or_slot - 1;
        detached_controls().cmb_rack = rack - 1;
        port_status = open_port();
        ASSERT_EQ(port_status, 0);
    }

    sim::Plant& plant() { return *plant_; }
    sim::SimPort& port() { return *port_; }
    std::size_t requests() const { return plant_->log().size(); }

    std::unique_ptr<sim::Plant> plant_;
    std::unique_ptr<sim::SimPort> port_;
};

}  // namespace dvx::link

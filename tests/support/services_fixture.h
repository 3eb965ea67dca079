#pragma once
// Installs test doubles of every platform service for the duration of one test:
// a virtual clock, scripted message boxes, an in-memory registry and a private
// temporary working folder. Nothing touches the user's home folder or a real port.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ui/clock.h"
#include "ui/doubles/memory_registry.h"
#include "ui/doubles/scripted_boxes.h"
#include "ui/files.h"
#include "ui/services.h"

namespace dvx::testing {

class ServicesFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ui::VirtualClock clock_;
    ui::ScriptedBoxes boxes_;
    ui::MemoryRegistry registry_;
    std::filesystem::path dir_;  // this test's working folder
    std::unique_ptr<ui::DiskFiles> files_;

private:
    ui::Services saved_;
};

}  // namespace dvx::testing

#pragma once
// Installs test doubles of every platform service for the duration of one test:
// a virtual clock, the headless event loop on it, scripted message boxes and file
// dialogs, a capturing printer, a fixed date, an in-memory registry and a private
// temporary working folder under scratch_root(). Nothing touches the user's home
// folder or a real port.
// Every form is discarded at the end of the test. A message box or file dialog with
// no script, or a tripped loop guard, fails the test even when the code under test
// caught the exception.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "tests/support/event_log.h"
#include "ui/doubles/capture_printer.h"
#include "ui/doubles/fixed_calendar.h"
#include "ui/doubles/memory_registry.h"
#include "ui/doubles/scripted_boxes.h"
#include "ui/doubles/scripted_dialogs.h"
#include "ui/headless_loop.h"
#include "ui/services.h"

namespace dvx::testing {

// Where tests make their working folders: $TMPDIR when set, else tmpfs (/dev/shm) when
// there is one, else the system's temporary folder. Every save flushes its file to disk,
// which costs milliseconds on a disk; on tmpfs the lock, the temporary file and the
// rename behave the same at no cost.
std::filesystem::path scratch_root();

class ServicesFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The texts and the titles ("(none)" for a box without one) of the boxes shown.
    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes_.shown()) out.push_back(b.prompt);
        return out;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& b : boxes_.shown()) out.push_back(b.title.value_or("(none)"));
        return out;
    }

    platform::VirtualClock clock_;
    ui::HeadlessLoop loop_{clock_};
    ui::ScriptedBoxes boxes_;
    ui::ScriptedDialogs dialogs_;
    ui::CapturePrinter printer_;
    ui::FixedCalendar calendar_;
    ui::MemoryRegistry registry_;
    std::filesystem::path dir_;  // this test's working folder
    std::unique_ptr<platform::DiskFiles> files_;
    EventLog log_;

  private:
    ui::Services saved_;
};

}  // namespace dvx::testing

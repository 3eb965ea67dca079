#include "tests/support/services_fixture.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "ui/app.h"

namespace dvx::testing {

std::filesystem::path scratch_root() {
    namespace fs = std::filesystem;
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) return fs::temp_directory_path();
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return fs::temp_directory_path();
}

void ServicesFixture::SetUp() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info->name();
    for (auto& ch : name)
        if (ch == '/') ch = '_';  // parameterised test names
    dir_ = scratch_root() /
           ("dvx-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + name);
    std::filesystem::create_directories(dir_);
    files_ = std::make_unique<platform::DiskFiles>(dir_.string());
    ui::reset_forms();
    platform::set_fault_language(
        platform::FaultLanguage::english);  // as before a language is chosen
    saved_ = ui::services();
    auto& s = ui::services();
    s.clock = &clock_;
    s.loop = &loop_;
    s.boxes = &boxes_;
    s.dialogs = &dialogs_;
    s.printer = &printer_;
    s.calendar = &calendar_;
    s.keyboard = nullptr;
    s.metrics = nullptr;
    s.registry = &registry_;
    s.files = files_.get();
}

void ServicesFixture::TearDown() {
    ui::reset_forms();
    ui::services() = saved_;
    for (const auto& f : boxes_.failures()) ADD_FAILURE() << f;
    for (const auto& f : dialogs_.failures()) ADD_FAILURE() << f;
    if (loop_.guard_tripped()) ADD_FAILURE() << "loop guard: " << loop_.guard_message();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

}  // namespace dvx::testing

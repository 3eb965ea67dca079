#include "tests/support/services_fixture.h"

#include <atomic>
#include <string>
#include <unistd.h>

namespace dvx::testing {

void ServicesFixture::SetUp() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("dvx-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
            info->name());
    std::filesystem::create_directories(dir_);
    files_ = std::make_unique<ui::DiskFiles>(dir_.string());
    saved_ = ui::services();
    auto& s = ui::services();
    s.clock = &clock_;
    s.boxes = &boxes_;
    s.registry = &registry_;
    s.files = files_.get();
}

void ServicesFixture::TearDown() {
    ui::services() = saved_;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

}  // namespace dvx::testing

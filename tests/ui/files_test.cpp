// Whole-file access in the working folder: bytes kept exactly, and each refusal a
// UiFault whose text the Retry/Cancel box shows.
#include "ui/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "tests/support/services_fixture.h"
#include "ui/fault.h"

namespace dvx::ui {
namespace {

using DiskFilesTest = dvx::testing::ServicesFixture;

TEST_F(DiskFilesTest, KeepsEveryByteRelativeToItsFolder) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    bytes += "\r\n\x1A";
    files_->write_all("4711.krv", bytes);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "4711.krv"));
    EXPECT_TRUE(files_->exists("4711.krv"));
    EXPECT_EQ(files_->read_all("4711.krv"), bytes);
    files_->write_all("4711.krv", "short");  // replaces, never appends
    EXPECT_EQ(files_->read_all("4711.krv"), "short");
    files_->rename("4711.krv", "4712.krv");
    EXPECT_FALSE(files_->exists("4711.krv"));
    EXPECT_EQ(files_->read_all("4712.krv"), "short");
    files_->remove("4712.krv");
    EXPECT_FALSE(files_->exists("4712.krv"));
    std::filesystem::create_directory(dir_ / "folder");
    EXPECT_FALSE(files_->exists("folder"));  // a folder is no file
}

TEST_F(DiskFilesTest, RefusalsAreFaultsWithText) {
    struct Case {
        const char* name;
        std::function<void()> op;
        const char* text;
    };
    const Case cases[] = {
        {"read a missing file", [&] { files_->read_all("none.cfg"); }, "File not found"},
        {"remove a missing file", [&] { files_->remove("none.cfg"); }, "File not found"},
        {"write into a missing folder", [&] { files_->write_all("no/such.cfg", "x"); },
         "Path not found"},
        {"rename a missing file", [&] { files_->rename("none.cfg", "b.cfg"); },
         "Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.op();
            ADD_FAILURE() << "no fault";
        } catch (const UiFault& e) {
            EXPECT_EQ(e.text(), c.text);
        }
    }
}

// Another instance holding the file's lock: a save waits at most its limit, fails with
// the text of a locked file and leaves the file as it was; with the lock free it goes
// through. Reading needs no lock.
TEST_F(DiskFilesTest, ASaveWaitsForTheLockAtMostItsLimit) {
    using namespace std::chrono;
    files_->write_all("krv_con.cfg", "old");
    DiskFiles impatient(dir_.string(), milliseconds(50));
    {
        const FileLock other(dir_ / "krv_con.cfg");
        const auto start = steady_clock::now();
        EXPECT_THROW(impatient.write_all("krv_con.cfg", "new"), FileBusy);
        EXPECT_GE(steady_clock::now() - start, milliseconds(50));
        EXPECT_EQ(FileBusy().text(), "Permission denied");
        EXPECT_EQ(impatient.read_all("krv_con.cfg"), "old");
    }
    impatient.write_all("krv_con.cfg", "new");
    EXPECT_EQ(files_->read_all("krv_con.cfg"), "new");
}

}  // namespace
}  // namespace dvx::ui

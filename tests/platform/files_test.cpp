// Whole-file access in the working folder: bytes kept exactly, and each refusal a
// Fault whose text the Retry/Cancel box shows.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/processes.h"
#include "tests/support/services_fixture.h"
#include "ui/fault.h"

namespace dvx::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t whole = 1 << 20;  // more than any file these tests write

class DiskFilesTest : public dvx::testing::ServicesFixture {
  protected:
    static std::string disk(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void put(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    // Names in a folder that a save leaves behind besides the file and its lock.
    static std::set<std::string> temporaries(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().filename().string().find(".new-") != std::string::npos)
                names.insert(e.path().filename().string());
        return names;
    }
    static struct stat status(const fs::path& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st;
    }
};

TEST_F(DiskFilesTest, KeepsEveryByteRelativeToItsFolder) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    bytes += "\r\n\x1A";
    files_->write_all("4711.krv", bytes);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "4711.krv"));
    EXPECT_TRUE(files_->exists("4711.krv"));
    EXPECT_EQ(files_->read_all("4711.krv", whole), bytes);
    // No more than asked for is read (a file picked by mistake may be huge).
    EXPECT_EQ(files_->read_all("4711.krv", 10), bytes.substr(0, 10));
    EXPECT_EQ(files_->read_all("4711.krv", bytes.size() + 1), bytes);
    files_->write_all("4711.krv", "short");  // replaces, never appends
    EXPECT_EQ(files_->read_all("4711.krv", whole), "short");
    files_->rename("4711.krv", "4712.krv");
    EXPECT_FALSE(files_->exists("4711.krv"));
    EXPECT_EQ(files_->read_all("4712.krv", whole), "short");
    files_->remove("4712.krv");
    EXPECT_FALSE(files_->exists("4712.krv"));
    std::filesystem::create_directory(dir_ / "folder");
    EXPECT_FALSE(files_->exists("folder"));  // a folder is no file
}

TEST_F(DiskFilesTest, RefusalsAreFaultsWithText) {
    struct Case {
        const char* name;
        std::function<void()> op;
        std::string text;
    };
    const Case cases[] = {
        {"read a missing file", [&] { files_->read_all("none.cfg", whole); }, "File not found"},
        {"remove a missing file", [&] { files_->remove("none.cfg"); }, "File not found"},
        {"write into a missing folder", [&] { files_->write_all("no/such.cfg", "x"); },
         "Path not found\n" + (dir_ / "no/such.cfg").string()},
        {"rename a missing file", [&] { files_->rename("none.cfg", "b.cfg"); },
         "Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.op();
            ADD_FAILURE() << "no fault";
        } catch (const Fault& e) {
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
        try {
            impatient.write_all("krv_con.cfg", "new");
        } catch (const FileBusy& busy) {
            EXPECT_EQ(busy.text(),
                      "The file is in use by another program\n" + (dir_ / "krv_con.cfg").string());
        }
        EXPECT_EQ(impatient.read_all("krv_con.cfg", whole), "old");
    }
    impatient.write_all("krv_con.cfg", "new");
    EXPECT_EQ(files_->read_all("krv_con.cfg", whole), "new");
}

// A settings file kept elsewhere through a link (with the user's other settings, on a
// share): the save writes the file the link names and the link stays, so the next start
// reads what was saved.
TEST_F(DiskFilesTest, ASaveThroughALinkWritesTheFileItNamesAndTheLinkStays) {
    struct Case {
        const char* name;
        std::string link;
        std::vector<std::pair<std::string, std::string>> links;  // link, what it names
        std::string target;                                      // relative to the test folder
        bool target_there;
    };
    const std::string shared = (dir_ / "shared").string();
    const Case cases[] = {
        {"absolute link", "a.cfg", {{"a.cfg", shared + "/a.cfg"}}, "shared/a.cfg", true},
        {"relative link", "b.cfg", {{"b.cfg", "shared/b.cfg"}}, "shared/b.cfg", true},
        {"link to a link",
         "c.cfg",
         {{"c.cfg", "c2.cfg"}, {"c2.cfg", "shared/c.cfg"}},
         "shared/c.cfg",
         true},
        {"link to a file not made yet",
         "d.cfg",
         {{"d.cfg", shared + "/d.cfg"}},
         "shared/d.cfg",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.target_there) put(dir_ / c.target, "old");
        fs::create_directories(dir_ / "shared");
        for (const auto& [link, to] : c.links) fs::create_symlink(to, dir_ / link);
        files_->write_all(c.link, "new");
        for (const auto& [link, to] : c.links) {
            EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / link))) << link;
            EXPECT_EQ(fs::read_symlink(dir_ / link), to);
        }
        EXPECT_EQ(disk(dir_ / c.target), "new");
        EXPECT_EQ(files_->read_all(c.link, whole), "new");
        files_->update_all(c.link, whole, [](const std::optional<std::string>& now) {
            return now.value_or("none") + "+";
        });
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / c.link)));
        EXPECT_EQ(disk(dir_ / c.target), "new+");
    }
    EXPECT_EQ(temporaries(dir_), std::set<std::string>{});
    EXPECT_EQ(temporaries(dir_ / "shared"), std::set<std::string>{});
}

// A file made private stays private, and keeps the owner it had where the process may
// give it (root may); a new file takes the mode the process's umask gives.
TEST_F(DiskFilesTest, ASaveKeepsTheFilesModeAndOwner) {
    for (const mode_t mode : {0600, 0640, 0604, 0444}) {
        SCOPED_TRACE(mode);
        put(dir_ / "krv_con.cfg", "old");
        ::chmod((dir_ / "krv_con.cfg").c_str(), mode);
        files_->write_all("krv_con.cfg", "new");
        EXPECT_EQ(status(dir_ / "krv_con.cfg").st_mode & 07777, mode);
        EXPECT_EQ(disk(dir_ / "krv_con.cfg"), "new");
    }
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((dir_ / "krv_con.cfg").c_str(), 65534, 65534), 0);
        files_->write_all("krv_con.cfg", "newer");
        EXPECT_EQ(status(dir_ / "krv_con.cfg").st_uid, 65534u);
        EXPECT_EQ(status(dir_ / "krv_con.cfg").st_gid, 65534u);
        EXPECT_EQ(status(dir_ / "krv_con.cfg").st_mode & 07777, 0444u);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    files_->write_all("fresh.cfg", "x");
    EXPECT_EQ(status(dir_ / "fresh.cfg").st_mode & 07777, 0666u & ~mask);
}

// A user without write or read access: a read-only file in a writable folder is refused and
// kept, and a folder where no file may be made is a permission fault too (never a
// missing path). Both name the path.
TEST_F(DiskFilesTest, WhatTheUserMayNotWriteOrReadIsRefusedAsPermissionDeniedWithThePath) {
    fs::create_directories(dir_ / "open");
    fs::create_directories(dir_ / "closed");
    ::chmod((dir_ / "open").c_str(), 0777);
    ::chmod((dir_ / "closed").c_str(), 0555);
    put(dir_ / "open" / "ro.cfg", "old");
    ::chmod((dir_ / "open" / "ro.cfg").c_str(), 0444);
    if (::geteuid() == 0) ::chown((dir_ / "open" / "ro.cfg").c_str(), 65534, 65534);
    struct Case {
        const char* name;
        std::string file;
        std::string text;
    };
    const Case cases[] = {
        {"read-only file", "open/ro.cfg", "Permission denied\n" + (dir_ / "open/ro.cfg").string()},
        {"folder that refuses new files", "closed/new.cfg",
         "Permission denied\n" + (dir_ / "closed/new.cfg").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int code = testing::as_plain_user([&] {
            DiskFiles files(dir_.string());
            try {
                files.write_all(c.file, "new");
                return 1;
            } catch (const FileFault& fault) {
                if (fault.text() != c.text) return 2;
                if (fault.kind() != FileFault::Kind::denied) return 3;
            }
            return 0;
        });
        EXPECT_EQ(code, 0) << "1 written, 2 another text, 3 not told as a refusal";
    }
    EXPECT_EQ(disk(dir_ / "open" / "ro.cfg"), "old");
    EXPECT_EQ(temporaries(dir_ / "open"), std::set<std::string>{});

    // Reading a file the user may not read, or one in a folder closed to the user.
    put(dir_ / "open" / "private.cfg", "secret");
    ::chmod((dir_ / "open" / "private.cfg").c_str(), 0600);
    put(dir_ / "shut" / "in.cfg", "x");
    ::chmod((dir_ / "shut").c_str(), 0700);
    for (const std::string file : {"open/private.cfg", "shut/in.cfg"}) {
        SCOPED_TRACE(file);
        const int code = testing::as_plain_user([&] {
            try {
                DiskFiles(dir_.string()).read_all(file, whole);
                return 1;
            } catch (const Fault& fault) {
                return fault.text() == "Permission denied\n" + (dir_ / file).string() ? 0 : 2;
            }
        });
        EXPECT_EQ(code, 0) << "1 read, 2 another text";
    }
}

// A picture or print-out lands under exactly the bytes of its name, a byte that is no
// UTF-8 and a letter beyond ASCII alike, as the only file there, replacing an older one
// whole; a target that cannot be written gives the system's error number and leaves
// nothing behind.
TEST_F(DiskFilesTest, AnOutputFileLandsUnderItsBytesOrGivesTheSystemsError) {
    const std::string png(3000, '\x89');
    struct Written {
        const char* name;
        fs::path folder, file;
    };
    const Written written[] = {
        {"a byte that is no UTF-8",
         dir_ / "Pr\xFC"
                "f",
         "Bild\xFC.png"},
        {"UTF-8 beyond ASCII", dir_ / "Prüf", "Schuß.png"},
    };
    for (const auto& c : written) {
        SCOPED_TRACE(c.name);
        put(c.folder / c.file, std::string(9000, 'o'));  // an older, larger file
        EXPECT_EQ(write_output_file(c.folder / c.file, png), 0);
        EXPECT_EQ(disk(c.folder / c.file), png);
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(c.folder)) names.push_back(e.path().filename());
        EXPECT_EQ(names, std::vector<std::string>{c.file.string()});
    }

    put(dir_ / "plain-file", "x");
    fs::create_directories(dir_ / "closed");
    ::chmod((dir_ / "closed").c_str(), 0555);
    struct Refused {
        const char* name;
        fs::path file;
        int err;
    };
    const Refused refused[] = {
        {"a missing folder", dir_ / "no-such-folder" / "shot.png", ENOENT},
        {"a missing folder that is no UTF-8", dir_ / "Kl\xE4r" / "shot.png", ENOENT},
        {"a file where the folder should be", dir_ / "plain-file" / "shot.png", ENOTDIR},
        {"a folder closed to the user", dir_ / "closed" / "shot.png", EACCES},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        const int got = testing::as_plain_user([&] { return write_output_file(c.file, png); });
        EXPECT_EQ(got, c.err) << std::strerror(got);
        EXPECT_FALSE(fs::exists(c.file));
    }

    const testing::SmallFileSystem small(dir_ / "small", 64);
    if (!small.mounted()) GTEST_SKIP() << "this test may not mount a small file system";
    EXPECT_EQ(write_output_file(dir_ / "small" / "big.pdf", std::string(256 * 1024, 'x')), ENOSPC);
    EXPECT_FALSE(fs::exists(dir_ / "small" / "big.pdf")) << "no part of it is left";
}

// A save killed between its temporary file and the rename leaves that file; the next
// save removes those whose process has ended and no other.
TEST_F(DiskFilesTest, ASaveRemovesTheTemporaryFilesOfSavesWhoseProcessEnded) {
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const std::string dead = std::to_string(ended);
    put(dir_ / "krv_con.cfg", "old");
    for (const std::string& name :
         {"krv_con.cfg.new-" + dead + "-0", "krv_con.cfg.new-" + dead + "-7",
          std::string("krv_con.cfg.new-1-3"), "other.cfg.new-" + dead + "-0",
          std::string("krv_con.cfg.new-x-1")})
        put(dir_ / name, std::string(300, 'x'));
    files_->write_all("krv_con.cfg", "new");
    EXPECT_EQ(temporaries(dir_),
              (std::set<std::string>{"krv_con.cfg.new-1-3", "other.cfg.new-" + dead + "-0",
                                     "krv_con.cfg.new-x-1"}))
        << "process 1 runs; another file's and a foreign name stay";
    EXPECT_EQ(disk(dir_ / "krv_con.cfg"), "new");
}

// A full disk: the save is told as "Disk full" with the path, the old file stays whole
// and no temporary file is left.
TEST_F(DiskFilesTest, AFullDiskIsToldAndLeavesTheOldFile) {
    const testing::SmallFileSystem small(dir_ / "small", 64);
    if (!small.mounted()) GTEST_SKIP() << "this test may not mount a small file system";
    files_->write_all("small/krv_con.cfg", "old");
    try {
        files_->write_all("small/krv_con.cfg", std::string(256 * 1024, 'x'));
        ADD_FAILURE() << "no fault";
    } catch (const FileFault& fault) {
        EXPECT_EQ(fault.kind(), FileFault::Kind::full);
        EXPECT_EQ(fault.text(), "Disk full\n" + (dir_ / "small/krv_con.cfg").string());
    }
    EXPECT_EQ(disk(dir_ / "small" / "krv_con.cfg"), "old");
    EXPECT_EQ(temporaries(dir_ / "small"), std::set<std::string>{});
}

// Another instance stopped while it holds the lock: a save waits once, at most its
// limit, and names the file.
// A read-only file system refuses the lock file first: the refusal names the file the
// technician chose, not the lock beside it.
TEST_F(DiskFilesTest, AReadOnlyFileSystemIsToldNamingTheFileChosen) {
    const testing::SmallFileSystem read_only(dir_ / "ro", 64, true);
    if (!read_only.mounted()) GTEST_SKIP() << "this test may not mount a file system";
    try {
        files_->write_all("ro/TT-101.krv", "x");
        ADD_FAILURE() << "written";
    } catch (const FileFault& fault) {
        EXPECT_EQ(fault.text(), "Permission denied\n" + (dir_ / "ro/TT-101.krv").string());
        EXPECT_EQ(fault.kind(), FileFault::Kind::denied);
    }
}

TEST_F(DiskFilesTest, AStoppedLockHolderCostsOneBoundedWait) {
    using namespace std::chrono;
    files_->write_all("krv_con.cfg", "old");
    const testing::StoppedLockHolder other(dir_ / "krv_con.cfg");
    ASSERT_TRUE(other.stopped());
    DiskFiles impatient(dir_.string(), milliseconds(100));
    const auto start = steady_clock::now();
    try {
        impatient.write_all("krv_con.cfg", "new");
        ADD_FAILURE() << "no fault";
    } catch (const FileBusy& busy) {
        EXPECT_EQ(busy.text(),
                  "The file is in use by another program\n" + (dir_ / "krv_con.cfg").string());
    }
    EXPECT_GE(steady_clock::now() - start, milliseconds(100));
    EXPECT_EQ(disk(dir_ / "krv_con.cfg"), "old");
}

}  // namespace
}  // namespace dvx::platform

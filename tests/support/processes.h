#pragma once
// Real processes for tests of what several running instances do to shared files, a
// small file system to fill and one with coarse timestamps.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace dvx::testing {

// Forks `count` children of the test process that start together: each waits until
// all are forked, runs work(index) and leaves with its result as exit code (0 good;
// an exception gives 101). Returns the exit codes in index order (128 + signal for a
// child that was killed). Children leave with _exit, so no test teardown runs twice.
std::vector<int> run_together(int count, const std::function<int(int)>& work);

// Runs work in a child process as a user without special rights: as user and group 65534
// when the tests run as root (who may write any file), else as the test's own user.
// Returns its exit code as run_together does.
int as_plain_user(const std::function<int()>& work);

// Another instance that holds a file's lock and then hangs: a child that takes the lock
// and stops itself (SIGSTOP). The constructor returns once the child is stopped; the
// destructor kills it, which drops the lock.
class StoppedLockHolder {
  public:
    explicit StoppedLockHolder(const std::filesystem::path& file);
    ~StoppedLockHolder();
    StoppedLockHolder(const StoppedLockHolder&) = delete;
    StoppedLockHolder& operator=(const StoppedLockHolder&) = delete;
    bool stopped() const { return stopped_; }

  private:
    pid_t pid_ = -1;
    bool stopped_ = false;
};

// A tmpfs of a few kilobytes mounted on a new folder, for a disk that is full (or, read
// only, one that takes nothing); unmounted again at the end. mounted() is false where the
// test may not mount one.
class SmallFileSystem {
  public:
    SmallFileSystem(const std::filesystem::path& folder, int kilobytes, bool read_only = false);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return mounted_; }

  private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

// An ext4 file system with 128-byte inodes, whose timestamps have whole seconds (as
// ext3 and many network shares have), in an 8 MB image mounted on a new folder through a
// loop device; unmounted and removed again at the end. mounted() is false where the test
// may not mount one or mkfs.ext4 is missing.
class OneSecondFileSystem {
  public:
    explicit OneSecondFileSystem(const std::filesystem::path& folder);
    ~OneSecondFileSystem();
    OneSecondFileSystem(const OneSecondFileSystem&) = delete;
    OneSecondFileSystem& operator=(const OneSecondFileSystem&) = delete;
    bool mounted() const { return mounted_; }

  private:
    std::filesystem::path folder_, image_;
    bool mounted_ = false;
};

}  // namespace dvx::testing

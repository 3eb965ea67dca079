#pragma once
// Real processes for tests of what several running instances do to shared files.
#include <filesystem>
#include <functional>
#include <vector>

namespace dvx::testing {

// Forks `count` children of the test process that start together: each waits until
// all are forked, runs work(index) and leaves with its result as exit code (0 good;
// an exception gives 101). Returns the exit codes in index order (128 + signal for a
// child that was killed). Children leave with _exit, so no test teardown runs twice.
std::vector<int> run_together(int count, const std::function<int(int)>& work);

// A fresh folder for the files such processes share, removed again when destroyed. It
// lies on tmpfs (/dev/shm) when there is one: the lock, the temporary files and the
// rename work there as on a disk, while each flush to this machine's disk costs about
// 5 ms and would make hundreds of saves take seconds.
class SharedFolder {
  public:
    SharedFolder();
    ~SharedFolder();
    SharedFolder(const SharedFolder&) = delete;
    SharedFolder& operator=(const SharedFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace dvx::testing

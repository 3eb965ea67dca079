#pragma once
// Real processes for tests of what several running instances do to shared files.
#include <functional>
#include <vector>

namespace dvx::testing {

// Forks `count` children of the test process that start together: each waits until
// all are forked, runs work(index) and leaves with its result as exit code (0 good;
// an exception gives 101). Returns the exit codes in index order (128 + signal for a
// child that was killed). Children leave with _exit, so no test teardown runs twice.
std::vector<int> run_together(int count, const std::function<int(int)>& work);

}  // namespace dvx::testing

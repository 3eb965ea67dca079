#pragma once
// Helpers for tests on a real line in real time: the simulator program serving a
// pseudo-terminal, and environment variables (which device a COM port is, where the
// settings live) set for one scope.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace dvx::testing {

// dorvanex-sim as a child process serving its plant on a pseudo-terminal reachable
// under `link`; `options` go on its command line after "--pty link" ("--echo",
// "--preset FILE"). Ready once it has printed the slave path (10 s at most); stopped
// with SIGTERM and waited for when destroyed.
class SimProgram {
  public:
    SimProgram(const std::string& program, const std::string& link,
               const std::vector<std::string>& options = {});
    ~SimProgram();
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;

    bool ready() const { return ready_; }

  private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

// Sets an environment variable (removes it for no value) and puts back what was there.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> saved_;
};

}  // namespace dvx::testing

#include "tests/support/processes.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>

namespace dvx::testing {

std::vector<int> run_together(int count, const std::function<int(int)>& work) {
    int start[2];
    if (::pipe(start) != 0) return std::vector<int>(static_cast<std::size_t>(count), 102);
    std::fflush(nullptr);  // nothing buffered is written twice
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(start[1]);
            char c;  // the start line: end of file once the parent lets go
            for (ssize_t n = 0; (n = ::read(start[0], &c, 1)) != 0;)
                if (n < 0 && errno != EINTR) break;
            int code = 101;
            try {
                code = work(i);
            } catch (...) {
            }
            ::_exit(code);
        }
        pids.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);
    std::vector<int> codes;
    for (const pid_t pid : pids) {
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
            codes.push_back(103);
        else
            codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    return codes;
}

}  // namespace dvx::testing

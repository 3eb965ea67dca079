#include "tests/support/real_line.h"

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

namespace dvx::testing {

SimProgram::SimProgram(const std::string& program, const std::string& link,
                       const std::vector<std::string>& options) {
    int out[2];
    if (::pipe(out) != 0) return;
    // The argument list is built before the fork: the child only execs.
    std::vector<std::string> args{program, "--pty", link};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (pid_ < 0) {
        ::close(out[0]);
        return;
    }
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
        char buf[256];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    ready_ = line.find('\n') != std::string::npos;
}

SimProgram::~SimProgram() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* old = ::getenv(name_.c_str())) saved_ = old;
    if (value)
        ::setenv(name_.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (saved_)
        ::setenv(name_.c_str(), saved_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

}  // namespace dvx::testing

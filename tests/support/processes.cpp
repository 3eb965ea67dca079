#include "tests/support/processes.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

#include "platform/files.h"

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

int as_plain_user(const std::function<int()>& work) {
    return run_together(1, [&](int) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 104;
        return work();
    })[0];
}

StoppedLockHolder::StoppedLockHolder(const std::filesystem::path& file) {
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        try {
            const platform::FileLock lock(file);
            ::raise(SIGSTOP);
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    stopped_ = pid_ > 0 && ::waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
}

StoppedLockHolder::~StoppedLockHolder() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

SmallFileSystem::SmallFileSystem(const std::filesystem::path& folder, int kilobytes,
                                 bool read_only)
    : folder_(folder) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0777";
    mounted_ = ::mount("dvx-small", folder.c_str(), "tmpfs", read_only ? MS_RDONLY : 0,
                       options.c_str()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

OneSecondFileSystem::OneSecondFileSystem(const std::filesystem::path& folder)
    : folder_(folder), image_(folder.string() + ".img") {
    std::filesystem::create_directories(folder);
    std::error_code ec;
    std::filesystem::remove(image_, ec);
    {
        std::ofstream(image_, std::ios::binary);
    }
    std::filesystem::resize_file(image_, 8 << 20, ec);
    if (ec) return;
    // mount(8) sets the loop device up and frees it again at the unmount.
    const std::string mkfs = "mkfs.ext4 -q -F -I 128 '" + image_.string() + "' >/dev/null 2>&1";
    const std::string mount =
        "mount -o loop '" + image_.string() + "' '" + folder.string() + "' >/dev/null 2>&1";
    mounted_ = std::system(mkfs.c_str()) == 0 && std::system(mount.c_str()) == 0;
    if (mounted_) ::chmod(folder.c_str(), 0777);
}

OneSecondFileSystem::~OneSecondFileSystem() {
    if (mounted_) {
        const std::string umount = "umount '" + folder_.string() + "' >/dev/null 2>&1";
        if (std::system(umount.c_str()) != 0) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    std::error_code ec;
    std::filesystem::remove(image_, ec);
}

}  // namespace dvx::testing

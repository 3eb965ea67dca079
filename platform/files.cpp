// The file services' operating-system side: plain whole-file access, the lock that
// keeps the saves of several running instances apart, and the replacement of a file
// through a flushed temporary file. POSIX (Linux).
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <utility>

#include "platform/cp1252.h"
#include "platform/fault.h"

// glibc before 2.41 names the target thread of SIGEV_THREAD_ID only by its member.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace dvx::platform {

namespace fs = std::filesystem;

namespace {

using Kind = FileFault::Kind;

FileFault open_fault(int err, const fs::path& file) {
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
            return {Kind::denied, FaultText::permission_denied, file};
        case ENOSPC:
        case EDQUOT:
            return {Kind::full, FaultText::disk_full, file};
        case EIO:
            return {Kind::io, FaultText::device_io_error, file};
        default:
            return {Kind::missing, FaultText::path_not_found, file};
    }
}

FileFault write_fault(int err, const fs::path& file) {
    if (err == EIO) return {Kind::io, FaultText::device_io_error, file};
    return {Kind::full, FaultText::disk_full, file};
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// The signal that ends a lock wait. Its handler does nothing: the signal only makes the
// blocked flock return with EINTR (the handler is installed without SA_RESTART).
int wake_signal() {
    static const int signo = [] {
        struct sigaction sa {};
        sa.sa_handler = [](int) {};
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGRTMAX, &sa, nullptr);
        return SIGRTMAX;
    }();
    return signo;
}

// flock blocks in the kernel without a limit of its own. A timer aimed at this thread
// fires at the limit and every 10 ms after it, so a signal that lands just before the
// call cannot leave it waiting for good; before the limit nothing wakes the thread.
bool lock_within(int fd, std::chrono::milliseconds wait, const fs::path& file) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK) throw FileFault(Kind::denied, FaultText::permission_denied, file);
    if (wait.count() <= 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + wait;

    sigevent ev{};
    ev.sigev_notify = SIGEV_THREAD_ID;
    ev.sigev_signo = wake_signal();
    ev.sigev_notify_thread_id = ::gettid();
    timer_t timer{};
    if (::timer_create(CLOCK_MONOTONIC, &ev, &timer) != 0)
        throw FileFault(Kind::denied, FaultText::permission_denied, file);
    sigset_t wake{}, old{};
    sigemptyset(&wake);
    sigaddset(&wake, ev.sigev_signo);
    ::pthread_sigmask(SIG_UNBLOCK, &wake, &old);
    itimerspec due{};
    due.it_value.tv_sec = static_cast<time_t>(wait.count() / 1000);
    due.it_value.tv_nsec = static_cast<long>(wait.count() % 1000) * 1'000'000;
    due.it_interval.tv_nsec = 10'000'000;
    ::timer_settime(timer, 0, &due, nullptr);

    bool held = false;
    for (;;) {
        if (::flock(fd, LOCK_EX) == 0) {
            held = true;
            break;
        }
        if (errno != EINTR || std::chrono::steady_clock::now() >= deadline) break;
    }
    ::timer_delete(timer);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return held;
}

// A temporary name beside the file that no other process uses: the process id keeps
// instances apart, the counter the saves of one process.
constexpr const char* temp_infix = ".new-";

std::string temp_name(const fs::path& file) {
    static std::atomic<unsigned> serial{0};
    return file.string() + temp_infix + std::to_string(::getpid()) + "-" + std::to_string(serial++);
}

// Removes "<file>.new-<pid>-<n>" files whose process has ended: a save killed between
// creating its temporary file and the rename leaves one. The caller holds the file's
// lock, so no live save of this file is under way; a process that still runs (or one
// of another user) keeps its file all the same.
void remove_ended_temps(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const std::string prefix = file.filename().string() + temp_infix;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || dash > 9 ||
            rest.find_first_not_of("0123456789") != dash)
            continue;
        const auto pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

// All the bytes, in as many writes as it takes: 0, else the system's error number.
int write_whole(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

void write_bytes(int fd, const std::string& bytes, const fs::path& file) {
    if (const int err = write_whole(fd, bytes)) throw write_fault(err, file);
    if (::fsync(fd) != 0) throw write_fault(errno, file);
}

// The new file takes the old one's owner (where the process may give it; a group of its
// own is allowed) and then its mode, before any byte is in it.
void keep_owner_and_mode(int fd, const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

// Makes a rename in the folder durable. A file system that cannot flush a folder still
// did the rename, so a failure here is no fault.
void sync_folder(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

std::string shown_path(const fs::path& file) {
    std::error_code ec;
    const fs::path full = fs::absolute(file, ec);
    return system_to_cp1252((ec ? file : full.lexically_normal()).string());
}

std::string fault_naming(FaultText what, const fs::path& file, const std::string& reason) {
    std::string text = fault_text(what) + "\n" + shown_path(file);
    if (!reason.empty()) text += "\n" + reason;
    return text;
}

FileFault::FileFault(Kind kind, FaultText reason, const fs::path& file)
    : Fault(fault_text(reason) + "\n" + shown_path(file)), kind_(kind) {}

fs::path saved_file(const fs::path& file) {
    fs::path p = file;
    // Links of links are followed too; a loop ends at the limit and the save then fails
    // on the loop as the system reports it.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) return p;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec) return p;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    return p;
}

FileLock::FileLock(const fs::path& file, std::chrono::milliseconds wait) {
    const fs::path target = saved_file(file);
    fs::path lock_path = target;
    lock_path += ".lock";
    // A lock file another user made may be read-only to us; read access is enough for flock.
    int raw = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (raw < 0 && errno == EACCES) {
        raw = ::open(lock_path.c_str(), O_RDONLY | O_CLOEXEC);
        // No lock file to read either: the folder refused to make one.
        if (raw < 0 && errno == ENOENT) errno = EACCES;
    }
    // The fault names the file the technician chose, not the lock file beside it.
    if (raw < 0) throw open_fault(errno, target);
    Fd fd(raw);
    if (!lock_within(fd.get(), wait, target)) throw FileBusy(target);
    fd_ = fd.release();
}

FileLock::~FileLock() {
    ::close(fd_);  // closing the last descriptor drops the lock
}

void replace_file(const fs::path& path, const std::string& bytes) {
    const fs::path file = saved_file(path);
    struct stat old {};
    const bool had = ::stat(file.c_str(), &old) == 0;
    // The rename needs only the folder's permission; the file's own says whether it may
    // be changed.
    if (had && ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM || errno == EROFS))
        throw FileFault(Kind::denied, FaultText::permission_denied, file);
    remove_ended_temps(file);
    std::string temp;
    int raw = -1;
    for (int attempt = 0; raw < 0; ++attempt) {
        temp = temp_name(file);
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // A name left by a crashed process of the same id: take the next one.
        if (raw < 0 && (errno != EEXIST || attempt == 100)) throw open_fault(errno, file);
    }
    Fd fd(raw);
    try {
        if (had) keep_owner_and_mode(fd.get(), old);
        write_bytes(fd.get(), bytes, file);
        if (::close(fd.release()) != 0) throw write_fault(errno, file);
        if (::rename(temp.c_str(), file.c_str()) != 0) {
            const int err = errno;
            if (err == EACCES || err == EPERM || err == EROFS) throw open_fault(err, file);
            if (err == EIO) throw write_fault(err, file);
            throw FileFault(Kind::other, FaultText::path_file_access_error, file);
        }
    } catch (const Fault&) {
        ::unlink(temp.c_str());
        throw;
    }
    sync_folder(file);
}

int write_output_file(const fs::path& file, std::string_view bytes) {
    const int raw = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (raw < 0) return errno;
    Fd fd(raw);
    int err = write_whole(fd.get(), bytes);
    if (::close(fd.release()) != 0 && err == 0) err = errno;
    if (err != 0) ::unlink(file.c_str());  // no part of it is left
    return err;
}

// The path as the system takes it: the base folder's bytes and the path's, unchanged.
std::string DiskFiles::full_path(const std::string& path) const {
    if (base_.empty() || fs::path(path).is_absolute()) return path;
    return (fs::path(base_) / path).string();
}

bool DiskFiles::exists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(full_path(path), ec);
}

std::string DiskFiles::read_all(const std::string& path, std::size_t at_most) {
    std::ifstream in(full_path(path), std::ios::binary);
    if (!in) {
        // A file the user may not read is there: say so, not that it is missing.
        if (::access(full_path(path).c_str(), F_OK) == 0 || errno == EACCES)
            throw FileFault(Kind::denied, FaultText::permission_denied, full_path(path));
        throw Fault(FaultText::file_not_found);
    }
    // In pieces, so the room taken follows what the file holds, never what it claims.
    std::string out;
    char piece[64 * 1024];
    while (out.size() < at_most && in) {
        in.read(piece, static_cast<std::streamsize>(std::min(sizeof piece, at_most - out.size())));
        out.append(piece, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw Fault(FaultText::device_io_error);
    return out;
}

void DiskFiles::write_all(const std::string& path, const std::string& bytes) {
    const fs::path file = full_path(path);
    FileLock lock(file, lock_wait_);
    replace_file(file, bytes);
}

void DiskFiles::update_all(
    const std::string& path, std::size_t at_most,
    const std::function<std::string(const std::optional<std::string>&)>& make) {
    const fs::path file = full_path(path);
    FileLock lock(file, lock_wait_);
    std::optional<std::string> now;
    if (exists(path)) now = read_all(path, at_most);
    replace_file(file, make(now));
}

void DiskFiles::remove(const std::string& path) {
    std::error_code ec;
    if (!fs::remove(full_path(path), ec))
        throw Fault(ec ? FaultText::permission_denied : FaultText::file_not_found);
}

void DiskFiles::rename(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(full_path(from), full_path(to), ec);
    if (ec) throw Fault(FaultText::permission_denied);
}

}  // namespace dvx::platform

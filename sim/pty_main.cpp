// dorvanex-sim: serves a simulated plant on a pseudo-terminal in real time, so the real
// termios port can be tested against it. The slave side is reachable under PATH (a
// symbolic link); the program runs until SIGTERM, SIGINT or SIGHUP and then removes the
// link.
//
// The terminal's exclusive mode (TIOCEXCL) belongs to the line, and the line lives as
// long as we keep the slave open: a program that ends without giving the mode back
// (killed, crashed) would leave every later open refused. So while no program holds the
// line's lock (the flock the port takes with the mode) the mode is given back.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/cp1252.h"
#include "sim/sim.h"

namespace {

int wake_pipe[2] = {-1, -1};

void on_signal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(wake_pipe[1], &c, 1);
}

constexpr const char* usage_text =
    "Usage: dorvanex-sim --pty PATH [--bus-mode 0|1|2] [--echo] [--preset FILE]\n"
    "  --pty PATH         serves the plant on a pseudo-terminal reached under PATH (a\n"
    "                     symbolic link, removed again at the end); prints the terminal's\n"
    "                     own path once it is ready, then runs until SIGTERM, SIGINT or\n"
    "                     SIGHUP\n"
    "  --bus-mode 0|1|2   the default plant of a direct bus (0), an HZL (1) or an HZL3\n"
    "                     gateway (2); with --preset, the bus mode the file must have\n"
    "  --echo             the adapter echoes what the master sends\n"
    "  --preset FILE      the devices of a preset file (see sim/README.md)\n"
    "  --version          shows the version and ends\n"
    "  -h, --help         shows this text and ends\n";

// clang-format off
constexpr dvx::platform::Option options[] = {
    // name       short  value  repeats  a missing value
    {"--pty",      "",   true,  false,   "--pty needs a path"},
    {"--bus-mode", "",   true,  false,   "--bus-mode takes 0, 1 or 2"},
    {"--echo",     "",   false, false,   ""},
    {"--preset",   "",   true,  false,   "--preset needs a file"},
};
// clang-format on
constexpr dvx::platform::Program program{.name = "dorvanex-sim",
                                         .version = DVX_VERSION,
                                         .usage = usage_text,
                                         .options = options,
                                         .arguments = 0};

bool write_all(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 100);
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// How often the line is looked at for an exclusive mode no program holds any more.
constexpr double exclusive_check_seconds = 0.2;

// The exclusive mode given back when it is set and no program holds the line's lock. The
// lock is ours only for the instant of the check.
void give_back_orphaned_exclusive(int slave) {
#ifdef TIOCGEXCL
    int exclusive = 0;
    if (::ioctl(slave, TIOCGEXCL, &exclusive) != 0 || !exclusive) return;
    if (::flock(slave, LOCK_EX | LOCK_NB) != 0) return;  // a program holds the line
    ::ioctl(slave, TIOCNXCL);
    ::flock(slave, LOCK_UN);
#else
    (void)slave;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    namespace platform = dvx::platform;
    const platform::CommandLine line = platform::parse(program, argc, argv);
    if (const auto code = platform::answer(program, line)) return *code;
    const std::string link_path = line.value("--pty"), preset_file = line.value("--preset");
    const std::string mode = line.value("--bus-mode");
    if (link_path.empty()) return platform::refuse(program, "--pty PATH is required");
    if (line.has("--bus-mode") && mode != "0" && mode != "1" && mode != "2")
        return platform::refuse(program, "--bus-mode takes 0, 1 or 2");
    const int bus_mode = mode.empty() ? -1 : mode[0] - '0';
    const bool echo = line.has("--echo");

    // A preset that cannot be read or does not fit is a wrong argument as well.
    dvx::sim::Plant plant(0);
    try {
        plant = preset_file.empty() ? dvx::sim::Plant::preset(bus_mode < 0 ? 0 : bus_mode)
                                    : dvx::sim::Plant::from_file(preset_file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dorvanex-sim: %s\n", platform::system_to_utf8(e.what()).c_str());
        return 2;
    }
    if (bus_mode >= 0 && plant.bus_mode() != bus_mode) {
        std::fprintf(stderr, "dorvanex-sim: %s is for bus mode %d, not %d\n",
                     platform::system_to_utf8(preset_file).c_str(), plant.bus_mode(), bus_mode);
        return 2;
    }
    if (echo) plant.set_echo(true);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("dorvanex-sim: pseudo-terminal");
        return 1;
    }
    const char* slave_name = ::ptsname(master);
    if (!slave_name) {
        std::perror("dorvanex-sim: ptsname");
        return 1;
    }
    const std::string slave_path = slave_name;
    // Keep the slave open ourselves: the master then never sees a hang-up between
    // clients, and the line starts raw (no echo, no line editing by the kernel).
    const int slave = ::open(slave_path.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("dorvanex-sim: open slave");
        return 1;
    }
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    struct stat st {};
    if (::lstat(link_path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "dorvanex-sim: %s exists and is no symbolic link\n",
                         platform::system_to_utf8(link_path).c_str());
            return 1;
        }
        ::unlink(link_path.c_str());
    }
    if (::symlink(slave_path.c_str(), link_path.c_str()) != 0) {
        std::perror("dorvanex-sim: symlink");
        return 1;
    }

    if (::pipe(wake_pipe) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);

    std::printf("%s\n", slave_path.c_str());
    std::fflush(stdout);

    dvx::platform::SteadyClock clock;
    dvx::sim::SimPort port(plant, clock);
    port.set_settings(plant.expected_settings());
    port.open();

    int rc = 0;
    double next_check = clock.now();
    for (;;) {
        if (clock.now() >= next_check) {
            give_back_orphaned_exclusive(slave);
            next_check = clock.now() + exclusive_check_seconds;
        }
        // Sleep in the kernel until the client sends, the line has something due or the
        // exclusive mode is to be looked at again.
        const double next = std::min(port.next_event_time(), next_check);
        timespec ts{};
        timespec* limit = nullptr;
        if (next < 1e299) {
            const double wait = std::max(0.0, next - clock.now());
            ts.tv_sec = static_cast<time_t>(wait);
            ts.tv_nsec = static_cast<long>((wait - static_cast<double>(ts.tv_sec)) * 1e9) + 1000;
            if (ts.tv_nsec >= 1000000000L) {
                ts.tv_sec += 1;
                ts.tv_nsec -= 1000000000L;
            }
            limit = &ts;
        }
        pollfd fds[2] = {{master, POLLIN, 0}, {wake_pipe[0], POLLIN, 0}};
        const int n = ::ppoll(fds, 2, limit, nullptr);
        if (n < 0 && errno != EINTR) {
            std::perror("dorvanex-sim: poll");
            rc = 1;
            break;
        }
        if (n > 0 && (fds[1].revents & POLLIN)) break;
        if (n > 0 && (fds[0].revents & POLLIN)) {
            std::uint8_t buf[512];
            const ssize_t got = ::read(master, buf, sizeof buf);
            if (got > 0)
                port.write(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(got)));
        }
        const int due = port.in_count();
        if (due > 0 && !write_all(master, port.read(due))) {
            std::perror("dorvanex-sim: write");
            rc = 1;
            break;
        }
    }
    ::unlink(link_path.c_str());
    ::close(slave);
    ::close(master);
    return rc;
}

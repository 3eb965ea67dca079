// link_bench: the real termios port on a pseudo-terminal.
//  (a) CPU time the link uses while a silent device costs a full failed transaction
//      (four sends, 4 x (1.0 + 0.1) s): the waits must sleep in poll(), not spin.
//  (b) Time from the last answer byte arriving on the pty to read_regs returning.
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "images/param_image.h"
#include "link/link.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/posix_serial_port.h"
#include "ui/services.h"

namespace {

using namespace dvx;

double cpu_seconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty() {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        path = name;
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
};

// Reads exactly n bytes from fd, or fewer when stop is set.
bool read_exact(int fd, std::vector<std::uint8_t>& out, std::size_t n,
                const std::atomic<bool>& stop) {
    out.clear();
    while (out.size() < n && !stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        std::uint8_t buf[64];
        const ssize_t got = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
        if (got > 0) out.insert(out.end(), buf, buf + got);
    }
    return out.size() == n;
}

void silent_device_cpu() {
    Pty pty;
    ::setenv("DORVANEX_COM1", pty.path.c_str(), 1);
    std::atomic<bool> stop{false};
    // The silent device: takes every byte off the line and never answers.
    std::thread drain([&] {
        std::vector<std::uint8_t> sink;
        while (!stop) read_exact(pty.master, sink, 1, stop);
    });
    link::reset_link_state();
    if (link::open_port() != 0) {
        std::puts("(a) cannot open the pty");
        std::exit(1);
    }
    const double cpu0 = cpu_seconds();
    const double wall0 = wall_seconds();
    const link::TransactionResult r = link::read_transaction(0, 5);
    const double wall = wall_seconds() - wall0;
    const double cpu = cpu_seconds() - cpu0;
    stop = true;
    drain.join();
    std::printf(
        "(a) silent device: result %d after %d sends, %.3f s wall, %.4f s CPU = %.3f %% of one "
        "core\n",
        r.status, r.sends, wall, cpu, 100.0 * cpu / wall);
}

void answer_latency(int rounds) {
    Pty pty;
    ::setenv("DORVANEX_COM1", pty.path.c_str(), 1);
    link::reset_link_state();
    if (link::open_port() != 0) {
        std::puts("(b) cannot open the pty");
        std::exit(1);
    }
    std::atomic<bool> stop{false};
    std::atomic<double> written_at{0};
    std::thread device([&] {
        std::vector<std::uint8_t> request;
        link::Frame answer{1, 3, 10, 0, 11, 0, 0, 0, 0, 0, 0, 0x01, 0x95};
        link::append_crc(answer);
        while (!stop) {
            if (!read_exact(pty.master, request, 8, stop)) continue;
            // Taken before the write, so the figure includes the write itself.
            written_at = wall_seconds();
            if (::write(pty.master, answer.data(), answer.size()) !=
                static_cast<ssize_t>(answer.size()))
                break;
        }
    });
    std::vector<double> latencies;
    for (int i = 0; i < rounds; ++i) {
        written_at = 0;
        if (link::read_regs(0, 5) != 0) {
            std::puts("(b) read failed");
            break;
        }
        const double done = wall_seconds();
        latencies.push_back(done - written_at.load());
    }
    stop = true;
    device.join();
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[static_cast<std::size_t>(q * (latencies.size() - 1))] * 1e6;
    };
    std::printf(
        "(b) answer on the pty -> read_regs returns, %zu reads: median %.0f us, 99%% %.0f us, max "
        "%.0f us\n",
        latencies.size(), at(0.5), at(0.99), latencies.back() * 1e6);
}

// The one argument: the number of answered reads of part (b).
constexpr const char* usage =
    "Usage: link_bench [ROUNDS]\n"
    "Measures the CPU use of a transaction to a silent device and the answer latency of\n"
    "ROUNDS reads (default 200) from the simulator on a pseudo-terminal.\n"
    "  --version   shows the version and ends\n"
    "  -h, --help  shows this text and ends\n";
constexpr platform::Program program{
    .name = "link_bench", .version = DVX_VERSION, .usage = usage, .options = {}, .arguments = 1};

}  // namespace

int main(int argc, char** argv) {
    const platform::CommandLine line = platform::parse(program, argc, argv);
    if (const auto code = platform::answer(program, line)) return *code;
    const std::string arg = line.arguments.empty() ? "200" : line.arguments[0];
    char* end = nullptr;
    const long rounds = std::strtol(arg.c_str(), &end, 10);
    if (arg.empty() || *end != '\0' || rounds < 1 || rounds > 1000000)
        return platform::refuse(program, "not a number of rounds from 1 to 1000000: " + arg);
    // Never read the user's port settings file.
    const auto conf = std::filesystem::temp_directory_path() / "dvx-link-bench";
    ::setenv("XDG_CONFIG_HOME", conf.c_str(), 1);
    platform::SteadyClock clock;
    ui::services().clock = &clock;
    auto port = platform::make_posix_serial_port();
    ui::services().port = port.get();
    images::bus_mode = 0;
    silent_device_cpu();
    answer_latency(static_cast<int>(rounds));
    ui::services().port = nullptr;
    return 0;
}

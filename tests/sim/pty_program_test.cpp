// The dorvanex-sim program on a pseudo-terminal, reached through plain termios.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "sim_test_util.h"
#include "tests/support/real_line.h"

extern char** environ;

namespace dvx::sim {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

// Reads from fd until `want` bytes came or the deadline passed (poll, no sleeping).
Bytes read_until(int fd, std::size_t want, Clock::time_point deadline) {
    Bytes got;
    while (got.size() < want) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

TEST(PtyProgram, AnswersAReadRequestOnThePseudoTerminal) {
    const auto link =
        std::filesystem::temp_directory_path() / ("dvx_sim_pty_" + std::to_string(::getpid()));
    std::filesystem::remove(link);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = DVX_SIM_PROGRAM, link_path = link.string();
    const char* argv[] = {program.c_str(), "--pty", link_path.c_str(), "--bus-mode", "0", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ),
        0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    const auto deadline = Clock::now() + std::chrono::seconds(10);
    // The program prints the slave path once the link is in place.
    std::string printed;
    while (printed.find('\n') == std::string::npos) {
        const Bytes part = read_until(out[0], 1, deadline);
        if (part.empty()) break;
        printed.append(part.begin(), part.end());
    }
    ASSERT_NE(printed.find("/dev/pts/"), std::string::npos) << printed;
    EXPECT_EQ(std::filesystem::read_symlink(link).string() + "\n", printed);

    const int fd = ::open(link_path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfmakeraw(&tio);
    tio.c_cflag |= PARENB;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);

    const Bytes request = from_hex("01 03 00 00 00 01 84 0A");
    const auto sent = Clock::now();
    ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const Bytes answer = read_until(fd, 7, deadline);
    const double took = std::chrono::duration<double>(Clock::now() - sent).count();
    EXPECT_EQ(to_hex(answer), "01 03 02 00 0B F9 83");
    EXPECT_GT(took, 0.015);  // line timing of 9600 baud: 15 bytes plus the turnaround
    ::close(fd);

    ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0 && Clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        ::poll(&p, 1, 20);  // the pipe closes when the program ends
        Bytes rest = read_until(out[0], 1, Clock::now() + std::chrono::milliseconds(20));
        (void)rest;
    }
    ::close(out[0]);
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        FAIL() << "dorvanex-sim did not end on SIGTERM";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(PtyProgram, RefusesABadPreset) {
    const std::string program = DVX_SIM_PROGRAM;
    const auto preset = std::filesystem::temp_directory_path() /
                        ("dvx_sim_bad_" + std::to_string(::getpid()) + ".txt");
    {
        FILE* f = std::fopen(preset.c_str(), "w");
        ASSERT_TRUE(f);
        std::fputs("bus 0\nfrobnicate\n", f);
        std::fclose(f);
    }
    const std::string link = preset.string() + ".lnk", preset_path = preset.string();
    const char* argv[] = {program.c_str(),     "--pty", link.c_str(), "--preset",
                          preset_path.c_str(), nullptr};
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ),
        0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::filesystem::remove(preset);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);  // a wrong argument, as a missing file is
    EXPECT_FALSE(std::filesystem::exists(link));
}


bool exclusive(int fd) {
    int on = 0;
    return ::ioctl(fd, TIOCGEXCL, &on) == 0 && on != 0;
}

// A program killed while it holds the line as the real port does (its lock on the device
// node, then the exclusive mode) leaves the mode set, and every later open by a user
// without root's rights would be refused. The simulator keeps it while the lock is held
// and gives it back once no program holds the lock.
TEST(PtyProgram, GivesTheExclusiveModeBackOnceNoProgramHoldsTheLine) {
    const std::string link = (std::filesystem::temp_directory_path() /
                              ("dvx_sim_excl_" + std::to_string(::getpid())))
                                 .string();
    dvx::testing::SimProgram sim(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim.ready());
    const int ours = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(ours, 0);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const bool held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                          ::ioctl(fd, TIOCEXCL) == 0;
        const char c = held ? 1 : 0;
        [[maybe_unused]] auto n = ::write(ready[1], &c, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(held, 1);

    // Held: the mode stays over more than two of the simulator's looks (0.2 s apart).
    const auto until = Clock::now() + std::chrono::milliseconds(500);
    bool kept = true;
    while (kept && Clock::now() < until) {
        kept = exclusive(ours);
        ::poll(nullptr, 0, 20);
    }
    EXPECT_TRUE(kept) << "given back while a program held the line";

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    const auto killed = Clock::now();
    while (exclusive(ours) && Clock::now() < killed + std::chrono::seconds(5))
        ::poll(nullptr, 0, 10);
    const double took = std::chrono::duration<double>(Clock::now() - killed).count();
    EXPECT_FALSE(exclusive(ours));
    EXPECT_LT(took, 0.5) << "within one look of the simulator";
    // The lock is free again too: the simulator took it only for its look.
    EXPECT_EQ(::flock(ours, LOCK_EX | LOCK_NB), 0);
    ::close(ours);
}

}  // namespace
}  // namespace dvx::sim

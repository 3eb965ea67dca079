// The program ended by SIGINT, SIGTERM and SIGHUP from every state a technician can leave
// it in, as a real process: dorvanex_driven (the program itself, with a driver in place of
// the technician's hand) offscreen, COM1 led to the simulator program's pseudo-terminal.
// From each state the end closes what is up as cancelled and the windows through their own
// unload, lets a transaction end within its own waits and then ends as the main window
// does: exit code 0, no report of the sanitizers, the placement saved, and the device on
// its own input type with its analog output released, read over the line once the program
// has gone. The three signals of a state run at once; every wait has a deadline.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "link/address_map.h"
#include "link/rtu_frame.h"
#include "model/checked_file.h"
#include "model/reg_settings.h"
#include "platform/file_registry.h"
#include "sim/plant.h"
#include "tests/support/real_line.h"

namespace dvx::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct State {
    const char* name;
    int bus_mode;
};

void PrintTo(const State& s, std::ostream* os) {
    *os << s.name;
}

// Every state the end must come from: the boxes and dialogs, a modal window of ours, each
// kind of page, the calibrations at work, the transactions in their retry pauses.
const State states[] = {
    {"language_choice", 0},  // a first start: no language stored yet
    {"idle", 0},
    {"save_dialog", 0},
    {"open_dialog", 0},
    {"print_dialog", 0},
    {"quit_question", 0},
    {"read_box", 0},
    {"password_dialog", 0},
    {"input_page", 0},
    {"comment_page", 0},
    {"online_page", 0},
    {"diagnosis_page", 0},
    {"calibration_sheet", 0},
    {"measuring_run", 0},
    {"output_calibration", 0},
    {"output_driven", 0},
    {"read_retry", 0},
    {"program_retry", 0},
    {"bus_scan", 0},
    {"hzl_page", 1},
    {"bnr_page", 1},
    {"bulk_set", 2},
};

std::string read_file(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_checked(const fs::path& p, const std::string& content) {
    std::ofstream(p, std::ios::binary)
        << content << model::checked_end_mark << ' ' << model::checked_sum(content);
}

// Reads registers of a unit over the line as a master would: the simulator serves any
// client once the program has let the line go. None when no sound answer came in 2 s.
std::optional<std::vector<std::int16_t>> read_over_line(const std::string& path, int unit, int reg,
                                                        int count) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    std::optional<std::vector<std::int16_t>> words;
    for (int attempt = 0; attempt < 3 && !words; ++attempt) {
        ::tcflush(fd, TCIFLUSH);
        const link::Frame request = link::build_read_request(static_cast<std::uint8_t>(unit),
                                                             static_cast<std::uint16_t>(reg),
                                                             static_cast<std::uint16_t>(count));
        if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
            continue;
        std::vector<std::uint8_t> answer;
        const std::size_t want = static_cast<std::size_t>(link::read_answer_length(count)) + 2;
        for (const auto end = Clock::now() + std::chrono::seconds(2);
             answer.size() < want && Clock::now() < end;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            std::uint8_t buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) answer.insert(answer.end(), buf, buf + n);
        }
        if (answer.size() != want || !link::crc_matches(answer) || answer[0] != unit ||
            answer[1] != link::fn_read_holding)
            continue;
        std::vector<std::int16_t> w;
        for (int i = 0; i < count; ++i)
            w.push_back(static_cast<std::int16_t>(answer[3 + 2 * i] << 8 | answer[4 + 2 * i]));
        words = w;
    }
    ::close(fd);
    return words;
}

// One logical register of the device the rows look at: address 1 on the direct bus, rack
// 1 slot 1 behind a gateway.
std::optional<std::int16_t> device_word(const std::string& line, int bus_mode, int logical) {
    const link::UnitRegister at = link::map_address(bus_mode, 0, 0, logical);
    const auto words = read_over_line(line, at.unit, at.reg, 1);
    if (!words) return std::nullopt;
    return words->front();
}

sim::Transmitter& watched_device(sim::Plant& plant) {
    return plant.bus_mode() == 0 ? plant.device(1) : plant.device(1, 1);
}

struct Outcome {
    int status = -1;
    bool gone = false;
    std::string out, err;
    double seconds = 0;  // from the start of the program to its end
};

// One run: a working folder, the simulator program on its line and the driven program
// ending from `state` on `signals`.
class EndRun {
  public:
    EndRun(const fs::path& dir, const State& state, const std::string& signals)
        : dir_(dir), line_((dir / "bus").string()) {
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "work");
        fs::create_directories(dir_ / "xdg");
        if (state.bus_mode == 1) {
            write_checked(dir_ / "work" / "HZL_mod.cfg", "1");
            write_checked(dir_ / "work" / "HZL_chart_enabled.cfg", "1");
        } else if (state.bus_mode == 2) {
            write_checked(dir_ / "work" / "HZL3_mod.cfg", "1");
        }
        if (std::string(state.name) != "language_choice") {
            platform::FileRegistry reg(registry());
            reg.create_key(model::reg_key);
            platform::RegValue v{platform::reg_sz, {'G', 'B', 0}};
            reg.set_value(model::reg_key, model::reg_language, v);
        }
        sim_ = std::make_unique<SimProgram>(
            DVX_SIM_PROGRAM, line_,
            std::vector<std::string>{"--bus-mode", std::to_string(state.bus_mode)});
        if (!sim_->ready()) return;
        // LOCPATH as another test of this program may have left it (a German locale of
        // ours) would make the C library keep a list the leak check reports.
        const std::string cmd =
            "cd '" + (dir_ / "work").string() +
            "' && exec env -u DISPLAY -u WAYLAND_DISPLAY -u DORVANEX_PRINT_PDF -u LOCPATH HOME='" +
            dir_.string() + "' DORVANEX_REGISTRY='" + registry().string() + "' XDG_CONFIG_HOME='" +
            (dir_ / "xdg").string() + "' QT_QPA_PLATFORM=offscreen DORVANEX_COM1='" + line_ +
            "' DVX_DRIVE=" + state.name + " DVX_DRIVE_SIGNALS=" + signals + " '" + DVX_DRIVEN_EXE +
            "' >'" + (dir_ / "out.txt").string() + "' 2>'" + (dir_ / "err.txt").string() + "'";
        started_ = Clock::now();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~EndRun() {
        if (pid_ > 0 && !outcome_.gone) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        sim_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    EndRun(const EndRun&) = delete;
    EndRun& operator=(const EndRun&) = delete;

    bool started() const { return pid_ > 0; }
    fs::path registry() const { return dir_ / "registry"; }
    const std::string& line() const { return line_; }

    // Looks once whether the program has ended.
    bool ended() {
        if (outcome_.gone || pid_ <= 0) return true;
        if (::waitpid(pid_, &outcome_.status, WNOHANG) != pid_) return false;
        outcome_.gone = true;
        outcome_.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        outcome_.out = read_file(dir_ / "out.txt");
        outcome_.err = read_file(dir_ / "err.txt");
        return true;
    }
    const Outcome& outcome() const { return outcome_; }

  private:
    fs::path dir_;
    std::string line_;
    std::unique_ptr<SimProgram> sim_;
    pid_t pid_ = -1;
    Clock::time_point started_;
    Outcome outcome_;
};

fs::path run_dir(const std::string& what) {
    return fs::temp_directory_path() / ("dvx-end-" + std::to_string(::getpid()) + "-" + what);
}

// Waits for every run to end, 150 s at most in all (a state reached in a few seconds, an
// end within the link's own waits).
void wait_all(std::vector<std::unique_ptr<EndRun>>& runs) {
    for (const auto end = Clock::now() + std::chrono::seconds(150); Clock::now() < end;) {
        bool all = true;
        for (auto& r : runs) all = r->ended() && all;
        if (all) return;
        ::poll(nullptr, 0, 20);
    }
}

bool sanitizer_spoke(const std::string& err) {
    for (const char* mark : {"Sanitizer", "runtime error:", "double free", "corruption"})
        if (err.find(mark) != std::string::npos) return true;
    return false;
}

class EndFromEveryState : public ::testing::TestWithParam<State> {};

TEST_P(EndFromEveryState, EndsAsTheTechniciansHandWould) {
    const State& state = GetParam();
    struct Signal {
        const char* name;
        int number;
    };
    const Signal signals[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}};
    std::vector<std::unique_ptr<EndRun>> runs;
    for (const Signal& s : signals)
        runs.push_back(std::make_unique<EndRun>(run_dir(std::string(state.name) + "-" + s.name),
                                                state, std::to_string(s.number)));
    wait_all(runs);

    sim::Plant plant = sim::Plant::preset(state.bus_mode);
    const sim::Transmitter& own = watched_device(plant);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(signals[i].name);
        EndRun& run = *runs[i];
        ASSERT_TRUE(run.started());
        const Outcome& o = run.outcome();
        ASSERT_TRUE(o.gone) << "did not end; " << o.out;
        EXPECT_NE(o.out.find("reached"), std::string::npos) << o.out << o.err;
        EXPECT_TRUE(WIFEXITED(o.status) && WEXITSTATUS(o.status) == 0)
            << "status " << o.status << "\n"
            << o.err;
        EXPECT_FALSE(sanitizer_spoke(o.err)) << o.err;
        EXPECT_TRUE(platform::FileRegistry(run.registry())
                        .query(model::reg_key, model::reg_form_state)
                        .has_value())
            << "the placement saved";
        EXPECT_EQ(device_word(run.line(), state.bus_mode, 1099), own.param(99))
            << "the device on its own input type";
        EXPECT_EQ(device_word(run.line(), state.bus_mode, 51), own.status(51))
            << "the analog output released";
    }
}

INSTANTIATE_TEST_SUITE_P(States, EndFromEveryState, ::testing::ValuesIn(states),
                         [](const ::testing::TestParamInfo<State>& i) {
                             return std::string(i.param.name);
                         });

// A second signal while the end waits for a read's retries ends the program at once, by
// that signal, without waiting for them; a single one waits them out and ends with 0.
TEST(EndOnASecondSignal, EndsAtOnce) {
    const State retry{"read_retry", 0};
    struct Case {
        const char* name;
        std::string signals;
        bool at_once;
    };
    const Case cases[] = {
        {"SIGTERM alone", std::to_string(SIGTERM), false},
        {"SIGTERM, SIGINT", std::to_string(SIGTERM) + "," + std::to_string(SIGINT), true},
        {"SIGHUP, SIGHUP", std::to_string(SIGHUP) + "," + std::to_string(SIGHUP), true},
    };
    std::vector<std::unique_ptr<EndRun>> runs;
    for (const Case& c : cases)
        runs.push_back(
            std::make_unique<EndRun>(run_dir(std::string("second-") + c.name), retry, c.signals));
    wait_all(runs);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(runs[i]->started());
        const Outcome& o = runs[i]->outcome();
        ASSERT_TRUE(o.gone);
        EXPECT_NE(o.out.find("reached"), std::string::npos) << o.out << o.err;
        if (c.at_once) {
            const int last = std::stoi(c.signals.substr(c.signals.rfind(',') + 1));
            EXPECT_TRUE(WIFSIGNALED(o.status) && WTERMSIG(o.status) == last)
                << "status " << o.status << "\n"
                << o.err;
        } else {
            EXPECT_TRUE(WIFEXITED(o.status) && WEXITSTATUS(o.status) == 0)
                << "status " << o.status << "\n"
                << o.err;
        }
    }
}

}  // namespace
}  // namespace dvx::testing

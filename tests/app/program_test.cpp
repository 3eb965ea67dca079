// The real executable, started without a display (its pictures are then taken
// offscreen) on the simulated bus in a fresh working folder with its own home and
// registry file. Its screenshots are kept in the build tree (screenshots/) for people
// to look at.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "model/checked_file.h"
#include "model/reg_settings.h"
#include "platform/cp1252.h"
#include "platform/file_registry.h"
#include "platform/posix_serial_port.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/locales.h"

namespace dvx::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code = -1;
    std::string err;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qt_app();  // for reading the pictures back
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("dvx-app-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "work");
        fs::create_directories(dir_ / "home");
        fs::create_directories(DVX_SCREENSHOT_DIR);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path registry() const { return dir_ / "home" / "registry"; }
    std::string registry_env() const { return "DORVANEX_REGISTRY='" + registry().string() + "'"; }

    // A registry file at `path` with the language chosen, so the main window comes up.
    static void choose_language(const fs::path& path, const std::string& language) {
        fs::create_directories(path.parent_path());
        platform::FileRegistry reg(path);
        ASSERT_TRUE(reg.create_key(model::reg_key));
        platform::RegValue v{platform::reg_sz, {language.begin(), language.end()}};
        v.bytes.push_back(0);
        ASSERT_TRUE(reg.set_value(model::reg_key, model::reg_language, v));
    }

    // Starts dorvanex in the working folder (work/, or `work`) with only our paths in its
    // environment: HOME is ours, and `settings` says where the registry is. A start that
    // hangs (a box nobody answers) is stopped after 20 s, far beyond a normal start.
    Outcome start(const std::string& args, const std::string& settings, const fs::path& work = {}) {
        const fs::path err = dir_ / "stderr.txt";
        const std::string cmd = "cd '" + (work.empty() ? dir_ / "work" : work).string() +
                                "' && env -u XDG_CONFIG_HOME -u DORVANEX_REGISTRY -u DISPLAY" +
                                " -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM" + " HOME='" +
                                (dir_ / "home").string() + "' " + settings + " timeout 20 '" +
                                DVX_EXE + "' " + args + " 2>'" + err.string() + "' >/dev/null";
        Outcome r;
        const int status = std::system(cmd.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(err);
        std::stringstream ss;
        ss << in.rdbuf();
        r.err = ss.str();
        return r;
    }

    fs::path dir_;
};

// A first start asks for the language; with one chosen, the main window comes up.
TEST_F(ProgramTest, StartsOffscreenOnTheSimulatorAndShowsItsWindow) {
    struct Case {
        const char* name;
        const char* language;  // registry LANGUAGE, "" for a first start
        const char* window;
        QSize min_size;
    };
    const Case cases[] = {
        {"first_start", "", "Lang_Select", {200, 100}},
        {"main_window", "GB", "Hauptmen", {600, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(registry());
        if (*c.language) choose_language(registry(), c.language);
        const fs::path shot = fs::path(DVX_SCREENSHOT_DIR) / (std::string(c.name) + ".png");
        fs::remove(shot);
        const Outcome r = start("--simulate --screenshot '" + shot.string() + "'", registry_env());
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find(std::string("window \"") + c.window), std::string::npos) << r.err;
        QImage img(QString::fromStdString(shot.string()));
        ASSERT_FALSE(img.isNull()) << shot;
        EXPECT_GE(img.width(), c.min_size.width());
        EXPECT_GE(img.height(), c.min_size.height());
        // Not a blank picture: the controls drew something.
        int dark = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                if (qGray(img.pixel(x, y)) < 100) ++dark;
        EXPECT_GT(dark, 50);
    }
}

// A picture that cannot be written is told with its name and the system's reason and an
// exit code of its own, not taken for a start that showed no window. A byte of the name
// that is no UTF-8 is told as "?". A folder closed to the user is tried as a user
// without special rights (user 65534 under root, where that user may run the program).
TEST_F(ProgramTest, APictureThatCannotBeWrittenIsToldWhy) {
    choose_language(registry(), "GB");
    fs::create_directories(dir_ / "closed");
    ::chmod((dir_ / "closed").c_str(), 0555);
    const std::string plain_user =
        ::geteuid() == 0 ? " setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
    const struct {
        const char* what;
        fs::path shot;
        std::string as;  // the command the program runs under (env's), "" for none
        std::string told;
    } cases[] = {
        {"a missing folder", dir_ / "no-such-folder" / "shot.png", "",
         (dir_ / "no-such-folder" / "shot.png").string() + ": No such file or directory"},
        {"a missing folder that is no UTF-8",
         dir_ /
             "Pr\xFC"
             "f" /
             "shot.png",
         "", (dir_ / "Pr?f" / "shot.png").string() + ": No such file or directory"},
        {"a folder closed to the user", dir_ / "closed" / "shot.png", plain_user,
         (dir_ / "closed" / "shot.png").string() + ": Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.as.empty() && std::system(("env" + c.as + " test -x '" + std::string(DVX_EXE) +
                                          "' -a -r '" + registry().string() + "'")
                                             .c_str()) != 0) {
            std::cout << "user 65534 may not run the program here: \"" << c.what
                      << "\" is left out\n";
            continue;
        }
        const Outcome r =
            start("--simulate --screenshot '" + c.shot.string() + "'", registry_env() + c.as);
        EXPECT_EQ(r.code, 5) << r.err;
        EXPECT_NE(r.err.find("window \"Hauptmen"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("dorvanex: cannot write the picture " + c.told + "\n"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.err.find("no window was shown"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(c.shot));
    }
}

TEST_F(ProgramTest, BadArgumentsAndPresetsAreRefusedWithAMessage) {
    Outcome r = start("--frobnicate", registry_env());
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Usage: dorvanex"), std::string::npos);

    std::ofstream(dir_ / "work" / "bad.preset") << "this is no preset\n";
    r = start("--preset bad.preset", registry_env());
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("bad.preset"), std::string::npos) << r.err;
}

// The registry file is where DORVANEX_REGISTRY says (a file or a folder to keep it in),
// else in the XDG config folder: the language found there skips the language choice.
TEST_F(ProgramTest, ReadsTheRegistryWhereTheEnvironmentSays) {
    struct Case {
        const char* name;
        std::string settings;
        fs::path file;
    };
    const fs::path home = dir_ / "home";
    const Case cases[] = {
        {"DORVANEX_REGISTRY names a folder", "DORVANEX_REGISTRY='" + (dir_ / "reg").string() + "'",
         dir_ / "reg" / "registry"},
        {"XDG_CONFIG_HOME", "XDG_CONFIG_HOME='" + (dir_ / "xdg").string() + "'",
         dir_ / "xdg" / "dorvanex" / "registry"},
        {"default", "", home / ".config" / "dorvanex" / "registry"},
    };
    const fs::path shot = dir_ / "shot.png";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        choose_language(c.file, "GB");
        const Outcome r = start("--simulate --screenshot '" + shot.string() + "'", c.settings);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("window \"Hauptmen"), std::string::npos) << r.err;
        fs::remove(c.file);
    }
}

// Offscreen no one can answer a box: a damaged settings file ends the start at its
// first box, told on stderr, at once and with a non-zero exit code (the box used to wait
// until the 20 s stop, and the abort ended with 0).
TEST_F(ProgramTest, ABoxNoOneCanAnswerIsToldAndEndsTheProgram) {
    struct Case {
        const char* name;
        std::string args, settings;
    };
    const Case cases[] = {
        {"offscreen", "--simulate", " QT_QPA_PLATFORM=offscreen"},
        {"taking a picture without a display",
         "--simulate --screenshot '" + (dir_ / "shot.png").string() + "'", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        { std::ofstream(registry()) << "\x01 this is no settings file\n"; }
        const Outcome r = start(c.args, registry_env() + c.settings);
        EXPECT_EQ(r.code, 4) << r.err;
        EXPECT_NE(r.err.find("dorvanex: DORVANEX: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("no one can answer it here"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "shot.png"));
    }
}

// The real port at start: a device that cannot be opened and a ports.conf line that
// names no port are told on stderr; the window still comes up, without a box.
TEST_F(ProgramTest, TheRealPortsFaultsAreToldOnStderrAndTheStartGoesOn) {
    choose_language(registry(), "GB");
    const fs::path xdg = dir_ / "xdg";
    fs::create_directories(xdg / "dorvanex");
    { std::ofstream(xdg / "dorvanex" / "ports.conf") << "# ours\nCOM2 /dev/ttyUSB0\n"; }
    const std::string device = (dir_ / "no-such-tty").string();
    const fs::path shot = dir_ / "shot.png";
    const Outcome r = start(
        "--screenshot '" + shot.string() + "'",
        registry_env() + " XDG_CONFIG_HOME='" + xdg.string() + "' DORVANEX_COM1='" + device + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("window \"Hauptmen"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("dorvanex: " + (xdg / "dorvanex" / "ports.conf").string() +
                         ":2: no COMn=PATH, line not used: COM2 /dev/ttyUSB0\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("dorvanex: COM1: Invalid port number (" + device +
                         "): No such file or directory\n"),
              std::string::npos)
        << r.err;
}

// Every path the program takes from its command line, its environment or its working
// folder reaches the system as its own bytes: a name with a byte that is no UTF-8 (an
// older system's umlaut) and one beyond ASCII in UTF-8. Each row shows the file was
// found (the main window comes up only with the registry's language; a preset that is
// not found ends the start; a device that is not found is told; ports.conf tells its
// line that names no port), and no name anywhere holds the replacement character that
// a text conversion leaves for such a byte. A device is a link to a pseudo-terminal.
TEST_F(ProgramTest, EveryPathReachesTheSystemAsItsOwnBytes) {
    int master = -1, slave = -1;
    char tty[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, tty, nullptr, nullptr), 0);
    const fs::path shot = dir_ / "shot.png";
    const std::string missing_com1 = " DORVANEX_COM1='" + (dir_ / "no-such-tty").string() + "'";
    for (const std::string kind : {"Pr\xFC"
                                   "f",
                                   "Prüf"}) {
        const fs::path f = dir_ / kind;
        const std::string shown = platform::system_to_utf8(f.string());
        choose_language(f / "a" / "registry", "GB");
        choose_language(f / "b" / "registry", "GB");
        std::ofstream(f / "bus.preset") << "bus 0\ndevice 5 111 404\n";
        choose_language(f / "xdg" / "dorvanex" / "registry", "GB");
        std::ofstream(f / "xdg" / "dorvanex" / "ports.conf")
            << "COM1=" << (f / "tty").string() << "\nCOM2 /dev/ttyUSB0\n";
        fs::create_symlink(tty, f / "tty");
        choose_language(f / "home" / ".config" / "dorvanex" / "registry", "GB");
        fs::create_directories(f / "work");
        const std::string con = "3||||";  // COM4
        std::ofstream(f / "work" / "krv_con.cfg", std::ios::binary)
            << con << model::checked_end_mark << ' ' << model::checked_sum(con);

        const struct {
            const char* what;
            std::string args, settings;
            fs::path work;
            std::vector<std::string> told, not_told;
        } cases[] = {
            {"--screenshot, DORVANEX_REGISTRY a file",
             "--simulate --screenshot '" + (f / "shot.png").string() + "'",
             "DORVANEX_REGISTRY='" + (f / "a" / "registry").string() + "'",
             {},
             {},
             {}},
            {"--preset, DORVANEX_REGISTRY a folder",
             "--preset '" + (f / "bus.preset").string() + "' --screenshot '" + shot.string() + "'",
             "DORVANEX_REGISTRY='" + (f / "b").string() + "'",
             {},
             {},
             {"cannot read preset"}},
            {"XDG_CONFIG_HOME: the registry, ports.conf and the device it names",
             "--screenshot '" + shot.string() + "'",
             "XDG_CONFIG_HOME='" + (f / "xdg").string() + "'",
             {},
             {"dorvanex: " + shown + "/xdg/dorvanex/ports.conf:2: no COMn=PATH, line not used"},
             {"dorvanex: COM1:"}},
            {"HOME",
             "--screenshot '" + shot.string() + "'",
             "HOME='" + (f / "home").string() + "'" + missing_com1,
             {},
             {},
             {}},
            {"DORVANEX_COMn and the working folder's krv_con.cfg",
             "--screenshot '" + shot.string() + "'",
             registry_env() + " DORVANEX_COM1='" + (f / "tty").string() + "' DORVANEX_COM4='" +
                 (f / "no-tty").string() + "'",
             f / "work",
             {"dorvanex: COM4: Invalid port number (" + shown +
              "/no-tty): No such file or directory\n"},
             {"dorvanex: COM1:"}},
        };
        choose_language(registry(), "GB");
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + shown);
            const Outcome r = start(c.args, c.settings, c.work);
            EXPECT_EQ(r.code, 0) << r.err;
            EXPECT_NE(r.err.find("window \"Hauptmen"), std::string::npos) << r.err;
            for (const auto& t : c.told) EXPECT_NE(r.err.find(t), std::string::npos) << r.err;
            for (const auto& t : c.not_told) EXPECT_EQ(r.err.find(t), std::string::npos) << r.err;
        }
        EXPECT_TRUE(fs::is_regular_file(f / "shot.png")) << "the picture under its name";
    }
    for (const auto& e : fs::recursive_directory_iterator(dir_))
        EXPECT_EQ(e.path().string().find("\xEF\xBF\xBD"), std::string::npos) << e.path();
    ::close(slave);
    ::close(master);
}

// ports.conf at the start: a FIFO (which used to hang the start), a device and a file
// above the bound are named on stderr as not used and the start goes on; a file at the
// bound is read (its line that names no port is told). Each start is stopped after 20 s.
TEST_F(ProgramTest, APortsConfThatIsNoSmallRegularFileIsNamedAndTheStartGoesOn) {
    choose_language(registry(), "GB");
    const fs::path conf = dir_ / "xdg" / "dorvanex" / "ports.conf";
    fs::create_directories(conf.parent_path());
    const std::string last = "COM2 /dev/ttyUSB0\n";
    // One long comment line, then `last`: `size` bytes in all.
    const auto write_sized = [&](std::size_t size) {
        std::ofstream(conf, std::ios::binary)
            << "#" << std::string(size - 2 - last.size(), 'x') << "\n"
            << last;
        return fs::file_size(conf) == size;
    };
    const std::size_t bound = platform::ports_conf_max_bytes;
    const struct {
        const char* what;
        std::function<bool()> make;
        std::string told;
    } cases[] = {
        {"a FIFO", [&] { return ::mkfifo(conf.c_str(), 0600) == 0; },
         conf.string() + ": not a regular file, not used\n"},
        {"a device", [&] { return ::symlink("/dev/null", conf.c_str()) == 0; },
         conf.string() + ": not a regular file, not used\n"},
        {"a file above the bound", [&] { return write_sized(bound + 1); },
         conf.string() + ": larger than " + std::to_string(bound) + " bytes, not used\n"},
        {"a file at the bound", [&] { return write_sized(bound); },
         conf.string() + ":2: no COMn=PATH, line not used: COM2 /dev/ttyUSB0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(conf);
        ASSERT_TRUE(c.make());
        const Outcome r = start("--screenshot '" + (dir_ / "shot.png").string() + "'",
                                registry_env() + " XDG_CONFIG_HOME='" + (dir_ / "xdg").string() +
                                    "' DORVANEX_COM1='" + (dir_ / "no-such-tty").string() + "'");
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("window \"Hauptmen"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("dorvanex: " + c.told), std::string::npos) << r.err;
    }
}

// The terminal's exclusive mode on the line behind fd.
bool exclusive(int fd) {
    int on = 0;
    return ::ioctl(fd, TIOCGEXCL, &on) == 0 && on != 0;
}

// Ctrl+C, kill and a terminal that closes end the program through its own end: the port
// it holds exclusively (a pseudo-terminal no other program gives the mode back on) is
// let go and the placement is saved, exit code 0. kill -9 leaves the mode set (the
// simulator program mends that on its line) and saves nothing.
TEST_F(ProgramTest, EndsOnASignalThroughItsOwnEnd) {
    struct Case {
        const char* name;
        int signal;
        bool orderly;
    };
    const Case cases[] = {
        {"SIGINT", SIGINT, true},
        {"SIGTERM", SIGTERM, true},
        {"SIGHUP", SIGHUP, true},
        {"SIGKILL", SIGKILL, false},
    };
    using Clock = std::chrono::steady_clock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(registry());
        choose_language(registry(), "GB");
        int master = -1, slave = -1;
        char line[128] = {};
        ASSERT_EQ(::openpty(&master, &slave, line, nullptr, nullptr), 0);
        const std::string cmd = "cd '" + (dir_ / "work").string() +
                                "' && exec env -u XDG_CONFIG_HOME -u DISPLAY -u WAYLAND_DISPLAY" +
                                " HOME='" + (dir_ / "home").string() + "' " + registry_env() +
                                " XDG_CONFIG_HOME='" + (dir_ / "xdg").string() +
                                "' QT_QPA_PLATFORM=offscreen DORVANEX_COM1='" + line + "' '" +
                                DVX_EXE + "' 2>/dev/null >/dev/null";
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // The start opens COM1, exclusively; it may open it again while it starts, so the
        // mode must have held for 0.3 s on end.
        int status = 0;
        bool gone = false;
        auto held_since = Clock::now();
        const auto held = [&] {
            if (!exclusive(slave)) held_since = Clock::now();
            return Clock::now() - held_since >= std::chrono::milliseconds(300);
        };
        for (const auto end = Clock::now() + std::chrono::seconds(20);
             !held() && Clock::now() < end;) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                gone = true;
                break;
            }
            ::poll(nullptr, 0, 10);
        }
        ASSERT_FALSE(gone) << "ended before it held the port, status " << status;
        ASSERT_TRUE(exclusive(slave));
        EXPECT_FALSE(platform::FileRegistry(registry()).query(model::reg_key, model::reg_form_state))
            << "nothing saved before the end";

        ::kill(pid, c.signal);
        for (const auto end = Clock::now() + std::chrono::seconds(20);
             !gone && Clock::now() < end;) {
            gone = ::waitpid(pid, &status, WNOHANG) == pid;
            if (!gone) ::poll(nullptr, 0, 10);
        }
        if (!gone) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << "did not end";
        }
        if (c.orderly) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status)) << status;
        }
        EXPECT_EQ(exclusive(slave), !c.orderly) << "the exclusive mode given back";
        EXPECT_EQ(platform::FileRegistry(registry())
                      .query(model::reg_key, model::reg_form_state)
                      .has_value(),
                  c.orderly)
            << "the placement saved";
        ::close(slave);
        ::close(master);
    }
}

// German is the language chosen and the device lies in a folder with an umlaut: what the
// start tells on stderr is UTF-8, the fault's own letters and the path's as they are.
TEST_F(ProgramTest, TheStartsPortFaultIsToldInUtf8) {
    choose_language(registry(), "D");
    const std::string device = (dir_ / "Prüf" / "ttyUSB0").string();
    const Outcome r = start("--screenshot '" + (dir_ / "shot.png").string() + "'",
                            registry_env() + " LC_ALL=C.UTF-8 DORVANEX_COM1='" + device + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(is_utf8(r.err)) << r.err;
    EXPECT_NE(r.err.find("dorvanex: COM1: Ungültige Schnittstellennummer (" + device +
                         "): No such file or directory\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("window \"Hauptmenü\""), std::string::npos) << r.err;
}

}  // namespace
}  // namespace dvx::testing

// The real termios port end to end on pseudo-terminals, in real time: against the
// simulator program and against an independent Modbus stack (libmodbus as an RTU
// server), so our frames are proven on more than our own simulator. Every wait here
// has a deadline; nothing sleeps for a fixed time. These run in real time on a shared
// machine, so a retry now and then is allowed: only the results are checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <modbus.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/link.h"
#include "model/param_image.h"
#include "platform/posix_serial_port.h"
#include "sim/sim.h"
#include "tests/support/processes.h"
#include "tests/support/real_line.h"
#include "tests/support/services_fixture.h"
#include "ui/fault.h"
#include "ui/headless_loop.h"

namespace dvx::link {
namespace {

// The link with a real clock and the real port; COM1 is pointed at `device` through
// the environment, and the settings file is looked for in the test's own folder.
class PtyFixture : public testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        ui::services().clock = &steady_;
        port_ = platform::make_posix_serial_port();
        ui::services().port = port_.get();
        xdg_.emplace("XDG_CONFIG_HOME", dir_.string());
        reset_link_state();
        model::bus_mode = 0;
        model::param_count = 128;
        model::param_image.fill(0);
    }
    void TearDown() override {
        port_->close();
        com1_.reset();
        xdg_.reset();
        reset_link_state();
        model::bus_mode = 0;
        model::param_count = 127;
        ServicesFixture::TearDown();
    }
    void use_device(const std::string& path) {
        com1_.reset();
        com1_.emplace("DORVANEX_COM1", path);
    }

    platform::SteadyClock steady_;
    std::unique_ptr<platform::SerialPort> port_;
    std::optional<testing::ScopedEnv> xdg_, com1_;
};

// A pseudo-terminal pair whose slave side the port opens by its path.
struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string path;
    PtyPair() {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        path = name;
    }
    ~PtyPair() { close(); }
    void close() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
        master = slave = -1;
    }
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double cpu_seconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string fault_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const ui::UiFault& e) {
        return e.what();
    }
    return {};
}

using RealPort = PtyFixture;

TEST_F(RealPort, OpensMovesAndDiscardsBytes) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    use_device(pty.path);
    platform::SerialPort& port = *port_;
    port.set_port_number(1);
    port.set_settings("9600,E,8,1");
    port.open();
    ASSERT_TRUE(port.is_open());

    // Another port of this program on the same line: in use.
    auto other = platform::make_posix_serial_port();
    other->set_settings("9600,E,8,1");
    EXPECT_EQ(fault_of([&] { other->open(); }),
              "Port already in use (" + pty.path + "): Device or resource busy");

    // Raw 8-bit both ways.
    const std::uint8_t out[] = {0x00, 0xFF, 0x0A, 0x0D, 0x11, 0x13, 0x7F};
    port.write(out);
    std::uint8_t got[16] = {};
    ssize_t n = 0;
    pollfd p{pty.master, POLLIN, 0};
    while (n < 7 && ::poll(&p, 1, 2000) > 0)
        n += ::read(pty.master, got + n, sizeof got - static_cast<std::size_t>(n));
    EXPECT_EQ(std::vector<std::uint8_t>(got, got + n),
              std::vector<std::uint8_t>(std::begin(out), std::end(out)));
    EXPECT_EQ(port.out_count(), 0);

    const std::uint8_t in[] = {0x01, 0x00, 0xFE};
    ASSERT_EQ(::write(pty.master, in, sizeof in), 3);
    const auto t0 = std::chrono::steady_clock::now();
    port.wait_input(5.0);  // a byte arrives: back long before the limit
    EXPECT_LT(seconds_since(t0), 1.0);
    for (int i = 0; i < 100 && port.in_count() < 3; ++i) port.wait_input(0.01);
    ASSERT_EQ(port.in_count(), 3);
    EXPECT_EQ(port.read(2), (std::vector<std::uint8_t>{0x01, 0x00}));
    EXPECT_EQ(port.in_count(), 1);
    port.discard_input();
    EXPECT_EQ(port.in_count(), 0);
    EXPECT_TRUE(port.read(10).empty());

    // Nothing arrives: the wait lasts its time.
    const auto t1 = std::chrono::steady_clock::now();
    port.wait_input(0.05);
    EXPECT_GE(seconds_since(t1), 0.05);
    EXPECT_LT(seconds_since(t1), 1.0);

    port.close();
    EXPECT_EQ(fault_of([&] { port.in_count(); }), "Port is not open");
    EXPECT_EQ(fault_of([&] { port.write(out); }), "Port is not open");
}

TEST_F(RealPort, OpenFailuresLeaveThePortClosed) {
    PtyPair pty;
    use_device(pty.path);
    struct Case {
        const char* name;
        int number;
        const char* settings;
    };
    const testing::ScopedEnv com2("DORVANEX_COM2", (dir_ / "no-such-device").string());
    const Case cases[] = {
        {"bad parity", 1, "9600,X,8,1"},
        {"bad baud rate", 1, "9601,E,8,1"},
        {"port 0", 0, "9600,E,8,1"},
        {"missing device", 2, "9600,E,8,1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port_->set_port_number(c.number);
        port_->set_settings(c.settings);
        EXPECT_FALSE(fault_of([&] { port_->open(); }).empty());
        EXPECT_FALSE(port_->is_open());
    }
}

// Runs `work` in a process of its own, as a user without root's rights where the test
// runs as root (so the kernel's refusals hold for it). What it returns comes back; 200
// when the rights could not be dropped.
int in_other_process(const std::function<int()>& work) {
    return testing::run_together(1, [&](int) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 200;
        return work();
    })[0];
}

// The fault text of an open of COM1 in another process, by way of a file.
std::string open_fault_elsewhere(const std::filesystem::path& note) {
    const int code = in_other_process([&] {
        auto port = platform::make_posix_serial_port();
        port->set_settings("9600,E,8,1");
        std::ofstream(note) << fault_of([&] { port->open(); });
        return 0;
    });
    if (code != 0) return "no answer from the other process: " + std::to_string(code);
    std::ifstream in(note);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The simulator program takes its line's lock for an instant to see whether a program
// holds it. A lock held for a few milliseconds only delays the open; one that stays held
// is a port in use.
TEST_F(RealPort, ALockHeldForAnInstantDelaysTheOpenOnly) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    use_device(pty.path);
    port_->set_port_number(1);
    port_->set_settings("9600,E,8,1");
    const int looker = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(looker, 0);

    ASSERT_EQ(::flock(looker, LOCK_EX | LOCK_NB), 0);
    std::thread release([looker] {
        ::poll(nullptr, 0, 3);
        ::flock(looker, LOCK_UN);
    });
    EXPECT_EQ(fault_of([&] { port_->open(); }), "");
    release.join();
    EXPECT_TRUE(port_->is_open());
    port_->close();

    ASSERT_EQ(::flock(looker, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(fault_of([&] { port_->open(); }),
              "Port already in use (" + pty.path + "): Device or resource busy");
    ::close(looker);
}

// While the port is open the line is ours alone: the terminal's exclusive mode refuses
// every further open by anyone without root's rights, and a second instance of this
// program is refused by the lock on the device also where that mode does not hold
// (root). Closed, the line is free again and its exclusive mode is given back: the
// other holder of the pseudo-terminal keeps it open, so the mode would outlive us.
TEST_F(RealPort, TheLineIsHeldExclusivelyWhileOpen) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_EQ(::chmod(pty.path.c_str(), 0666), 0);  // refused for being busy, not by its mode
    ::chmod(dir_.c_str(), 0777);                    // the other process writes its note here
    use_device(pty.path);
    port_->set_port_number(1);
    port_->set_settings("9600,E,8,1");
    const auto note = dir_ / "fault.txt";
    const auto plain_open = [&] {
        const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return errno;
        ::close(fd);
        return 0;
    };
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("opening " + std::to_string(round));
        ASSERT_EQ(fault_of([&] { port_->open(); }), "");
        int exclusive = 0;
        ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
        EXPECT_EQ(open_fault_elsewhere(note),
                  "Port already in use (" + pty.path + "): Device or resource busy");
        const int other_program = in_other_process(plain_open);
        if (other_program != 200) {
            EXPECT_EQ(other_program, EBUSY);
        }

        port_->close();
        ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
        const int free_again = in_other_process(plain_open);
        EXPECT_TRUE(free_again == 0 || free_again == 200) << free_again;
        EXPECT_EQ(open_fault_elsewhere(note), "");
    }
}

// A device that cannot be opened is named with the system's reason, for a user without
// root's rights (root passes every file mode).
TEST_F(RealPort, AnOpenThatFailsNamesTheDeviceAndTheReason) {
    ::chmod(dir_.c_str(), 0777);
    const auto locked = dir_ / "locked-device";
    { std::ofstream(locked) << ""; }
    ::chmod(locked.c_str(), 0);
    const auto folder = dir_ / "a-folder";
    std::filesystem::create_directories(folder);
    struct Case {
        const char* name;
        std::string path;
        std::string fault;
    };
    const std::string missing = (dir_ / "no-such-device").string();
    const std::string under_file = (locked / "tty").string();
    const Case cases[] = {
        {"missing", missing, "Invalid port number (" + missing + "): No such file or directory"},
        {"below a file", under_file, "Invalid port number (" + under_file + "): Not a directory"},
        {"no permission", locked.string(),
         "Port open (" + locked.string() + "): Permission denied"},
        {"a folder", folder.string(), "Port open (" + folder.string() + "): Is a directory"},
    };
    port_->set_port_number(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        use_device(c.path);
        const std::string told = open_fault_elsewhere(dir_ / "fault.txt");
        if (told.find(": 200") != std::string::npos) GTEST_SKIP() << "cannot drop root's rights";
        EXPECT_EQ(told, c.fault);
        EXPECT_FALSE(port_->is_open());
    }
}

// The kernel takes no parity on a pseudo-terminal and refuses a settings call that
// asks for one at the speed the line already has: every opening must still pass.
TEST_F(RealPort, APseudoTerminalOpensWithEverySettingAsOftenAsAsked) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    use_device(pty.path);
    port_->set_port_number(1);
    const char* const settings[] = {"9600,E,8,1",  "9600,E,8,1",  "19200,E,8,1", "19200,E,8,1",
                                    "57600,O,8,2", "57600,E,8,1", "9600,N,8,1",  "9600,E,8,1"};
    std::uint8_t value = 0;
    for (const char* text : settings) {
        SCOPED_TRACE(text);
        port_->close();
        port_->set_settings(text);
        ASSERT_EQ(fault_of([&] { port_->open(); }), "");
        // Settings changed on the open port go the same way.
        EXPECT_EQ(fault_of([&] { port_->set_settings(text); }), "");
        const std::uint8_t out[] = {++value};
        port_->write(out);
        std::uint8_t got = 0;
        pollfd p{pty.master, POLLIN, 0};
        ASSERT_GT(::poll(&p, 1, 2000), 0);
        ASSERT_EQ(::read(pty.master, &got, 1), 1);
        EXPECT_EQ(got, value);
    }
}

TEST_F(RealPort, OnlyThePseudoTerminalsSlaveSideCountsAsOne) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    const auto file = dir_ / "plain-file";
    { std::ofstream(file) << "x"; }
    struct Case {
        const char* name;
        int fd;
        bool pty;
    };
    const int null_fd = ::open("/dev/null", O_RDWR);
    const int file_fd = ::open(file.c_str(), O_RDONLY);
    const int by_path = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    // clang-format off
    const Case cases[] = {
        {"slave", pty.slave, true},
        {"slave opened by its path", by_path, true},
        {"master", pty.master, false},
        {"/dev/null", null_fd, false},
        {"plain file", file_fd, false},
        {"no descriptor", -1, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::is_pseudo_terminal(c.fd), c.pty);
    }
    for (const int fd : {null_fd, file_fd, by_path})
        if (fd >= 0) ::close(fd);
}

TEST_F(RealPort, AHungUpLineIsWaitedOnWithoutSpinning) {
    PtyPair pty;
    use_device(pty.path);
    port_->set_port_number(1);
    port_->set_settings("9600,E,8,1");
    port_->open();
    pty.close();  // the other end goes away: poll() would report it at once, forever
    const double cpu0 = cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    // Either the port reports the line as gone, or the wait lasts its time asleep.
    const bool fault = !fault_of([&] { port_->wait_input(0.3); }).empty();
    const double took = seconds_since(t0);
    EXPECT_TRUE(fault || took >= 0.3) << took;
    EXPECT_LT(took, 2.0);
    EXPECT_LT(cpu_seconds() - cpu0, 0.1);
}

#ifdef DVX_SIM_PROGRAM
using testing::SimProgram;

using SimProgramPort = PtyFixture;

TEST_F(SimProgramPort, ReadsAndWritesThroughTheRealPort) {
    const std::string link = (dir_ / "bus").string();
    SimProgram sim(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim.ready());
    use_device(link);
    ASSERT_EQ(open_port(), 0);
    EXPECT_EQ(port_->settings(), "9600,E,8,1");
    ASSERT_EQ(detect_echo(), 0);
    EXPECT_EQ(echo_on, 0);
    std::int16_t code = 0;
    ASSERT_EQ(read_device_type(code), 0);
    EXPECT_EQ(code, 11);
    EXPECT_EQ(status_regs[4], 405);
    ASSERT_EQ(read_regs(1112, 16), 0);
    const std::int16_t serial_word = model::param_image[123];
    EXPECT_NE(serial_word, 0);
    model::param_image[10] = -1234;
    ASSERT_EQ(write_regs(1010, 1), 0);
    model::param_image[10] = 0;
    ASSERT_EQ(read_regs(1010, 1), 0);
    EXPECT_EQ(model::param_image[10], -1234);
}

// The program's own start: COM1 opened with the bus mode's settings, opened once
// more, then another port picked and COM1 again; each time the device is read and
// programmed through the real port.
TEST_F(SimProgramPort, OpensAsTheProgramDoesAndTalksAfterEveryOpening) {
    const std::string link = (dir_ / "bus").string();
    SimProgram sim(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim.ready());
    use_device(link);
    const testing::ScopedEnv com2("DORVANEX_COM2", link);
    struct Step {
        const char* name;
        int com_index;
        std::int16_t value;
    };
    const Step steps[] = {
        {"first opening", 0, 101},
        {"second opening", 0, -202},
        {"another port", 1, 303},
        {"back on COM1", 0, -404},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        detached_controls().Com_select = s.com_index;
        port_status = open_port();
        ASSERT_EQ(port_status, 0);
        EXPECT_EQ(port_->settings(), "9600,E,8,1");
        model::param_image[10] = s.value;
        ASSERT_EQ(write_regs(1010, 1), 0);
        model::param_image[10] = 0;
        ASSERT_EQ(read_regs(1010, 1), 0);
        EXPECT_EQ(model::param_image[10], s.value);
    }
}

TEST_F(SimProgramPort, EchoingAdapterIsFoundAndSkipped) {
    const std::string link = (dir_ / "bus").string();
    SimProgram sim(DVX_SIM_PROGRAM, link, {"--echo"});
    ASSERT_TRUE(sim.ready());
    use_device(link);
    ASSERT_EQ(open_port(), 0);
    ASSERT_EQ(detect_echo(), 0);
    EXPECT_EQ(echo_on, 1);
    std::int16_t code = 0;
    ASSERT_EQ(read_device_type(code), 0);
    EXPECT_EQ(code, 11);
    model::param_image[20] = 77;
    EXPECT_EQ(write_regs(1020, 1), 0);
}
// The simulator program stopped in the middle of a read (in the pause after an
// unanswered exchange) and started again on the same path: that read fails with the
// port's fault, the next one opens the port again and works, with no new port choice.
// Not started again, the probe of the next dialog gives the port up and says why.
TEST_F(SimProgramPort, AProgramStoppedDuringAReadIsTalkedToOnceItIsBack) {
    const std::string link = (dir_ / "bus").string();
    std::optional<SimProgram> sim;
    sim.emplace(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim->ready());
    use_device(link);
    ui::HeadlessLoop loop(steady_);
    ui::services().loop = &loop;
    std::vector<std::string> told;
    int status_calls = 0;
    bindings().main.show_no_connection = [&](const std::string& d) { told.push_back(d); };
    bindings().main.port_status_changed = [&] { ++status_calls; };
    port_status = open_port();
    ASSERT_EQ(port_status, 0);
    ASSERT_EQ(detect_echo(), 0);

    detached_controls().adr_select = 1;  // address 2: nobody answers
    loop.post([&] { sim.reset(); });
    EXPECT_EQ(read_transaction(0, 5).end, TransactionEnd::port_fault);
    EXPECT_FALSE(sim.has_value()) << "stopped in the read's pause";

    sim.emplace(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim->ready());
    detached_controls().adr_select = 0;
    std::int16_t code = 0;
    const TransactionResult r = read_transaction(0, 5);
    EXPECT_EQ(r.end, TransactionEnd::done);
    EXPECT_EQ(r.sends, 1);
    EXPECT_EQ(status_regs[0], 11);
    EXPECT_EQ(port_status, 0);
    ASSERT_EQ(detect_echo(), 0);
    ASSERT_EQ(read_device_type(code), 0);

    sim.reset();
    EXPECT_EQ(detect_echo(), 1);
    EXPECT_EQ(port_status, 1);
    EXPECT_FALSE(port_->is_open());
    EXPECT_EQ(status_calls, 1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(link), std::string::npos) << told[0];
    EXPECT_TRUE(boxes_.shown().empty());
    ui::services().loop = &loop_;
}
#else
TEST(SimProgramPort, ReadsAndWritesThroughTheRealPort) {
    GTEST_SKIP() << "the simulator program dorvanex-sim is not part of this build";
}
#endif

// libmodbus serving unit 2 on the master side of a pseudo-terminal pair (its context
// takes the descriptor as is); our port opens the slave side by its path.
class ModbusServer {
  public:
    ModbusServer() {
        if (pty_.path.empty()) return;
        map_ = modbus_mapping_new_start_address(0, 0, 0, 0, 0, 64000, 0, 0);
        ctx_ = modbus_new_rtu("/dev/null", 9600, 'E', 8, 1);
        modbus_set_slave(ctx_, 2);
        modbus_set_socket(ctx_, pty_.master);
        modbus_set_indication_timeout(ctx_, 0, 50000);
        modbus_set_error_recovery(ctx_, MODBUS_ERROR_RECOVERY_PROTOCOL);
        thread_ = std::thread([this] {
            std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!stop_) {
                const int n = modbus_receive(ctx_, query);
                if (n > 0) modbus_reply(ctx_, query, n, map_);
            }
        });
    }
    ~ModbusServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (ctx_) modbus_free(ctx_);
        if (map_) modbus_mapping_free(map_);
    }
    const std::string& path() const { return pty_.path; }
    std::uint16_t* registers() { return map_->tab_registers; }

  private:
    PtyPair pty_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

using LibmodbusPort = PtyFixture;

TEST_F(LibmodbusPort, FramesAreUnderstoodByAnIndependentStack) {
    ModbusServer server;
    ASSERT_FALSE(server.path().empty());
    std::uint16_t* regs = server.registers();
    regs[0] = 11;
    regs[3] = 0xFF38;
    regs[4] = 405;
    use_device(server.path());

    // Direct bus, address 2.
    detached_controls().adr_select = 1;
    ASSERT_EQ(open_port(), 0);
    ASSERT_EQ(read_regs(0, 5), 0);
    EXPECT_EQ(status_regs[0], 11);
    EXPECT_EQ(status_regs[3], -200);
    EXPECT_EQ(status_regs[4], 405);
    for (int i = 0; i < 16; ++i)
        model::param_image[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(i * 1000 - 7000);
    ASSERT_EQ(write_regs(1000, 16), 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(static_cast<std::int16_t>(regs[1000 + i]), i * 1000 - 7000) << i;

    // Behind HZL3, rack 1 slot 16: the same unit 2, registers from 61000 (above 32767).
    model::bus_mode = 2;
    detached_controls().adr_select = 15;
    detached_controls().cmb_rack = 0;
    regs[61000] = 34;
    regs[61001] = 0x8001;
    ASSERT_EQ(read_regs(0, 2), 0);
    EXPECT_EQ(status_regs[0], 34);
    EXPECT_EQ(status_regs[1], -32767);
    model::param_image[10] = 4242;
    model::param_image[11] = -1;
    ASSERT_EQ(write_regs(1010, 2), 0);
    EXPECT_EQ(regs[62010], 4242);
    EXPECT_EQ(regs[62011], 0xFFFF);
}

// The simulator's port in this process, on the steady clock, serving a plant on the
// master side of a pseudo-terminal pair and handing its bytes on in blocks as a USB
// adapter does; the real port opens the slave side by its path.
class BlockingSimServer {
  public:
    BlockingSimServer(sim::Plant plant, double block)
        : plant_(std::move(plant)), port_(plant_, clock_) {
        if (pty_.path.empty()) return;
        ::fcntl(pty_.master, F_SETFL, ::fcntl(pty_.master, F_GETFL) | O_NONBLOCK);
        port_.set_settings(plant_.expected_settings());
        port_.open();
        port_.set_delivery_interval(block);
        thread_ = std::thread([this] { serve(); });
    }
    ~BlockingSimServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    const std::string& path() const { return pty_.path; }

  private:
    void serve() {
        while (!stop_) {
            const double wait = std::clamp(port_.next_event_time() - clock_.now(), 0.0, 0.02);
            pollfd p{pty_.master, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(std::ceil(wait * 1000)));
            std::uint8_t buf[512];
            const ssize_t got = ::read(pty_.master, buf, sizeof buf);
            if (got > 0) port_.write(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(got)));
            if (const int due = port_.in_count(); due > 0) {
                const auto bytes = port_.read(due);
                if (::write(pty_.master, bytes.data(), bytes.size()) < 0) return;
            }
        }
    }

    PtyPair pty_;
    platform::SteadyClock clock_;
    sim::Plant plant_;
    sim::SimPort port_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

using BlockingAdapter = PtyFixture;

// 64 ms blocks behind a pseudo-terminal (configured in ports.conf, as the system tells
// nothing of such a line): a parameter block and its resend answered 1.1 s late, and every
// block of the set still holds its own words.
TEST_F(BlockingAdapter, LateAnswersNeverLandInTheNextBlock) {
    sim::Plant plant = sim::Plant::preset(0);
    for (int i = 0; i < 127; ++i) plant.device(1).set_param(i, 100 + 3 * i);
    plant.fault(sim::Fault::delayed(1.1).registers(1016, 1016).next(2));
    BlockingSimServer server(std::move(plant), 0.064);
    ASSERT_FALSE(server.path().empty());
    std::filesystem::create_directories(dir_ / "dorvanex");
    std::ofstream(dir_ / "dorvanex" / "ports.conf") << "COM1.block=64\n";
    use_device(server.path());
    // The waits for answers in flight run events: on the steady clock, as the port's.
    ui::HeadlessLoop loop(steady_);
    ui::services().loop = &loop;
    ASSERT_EQ(open_port(), 0);
    ASSERT_EQ(port_->delivery_block()->seconds, 0.064);
    model::param_count = 127;
    for (int i = 0; i < model::param_count; i += 16) {
        const TransactionResult r = read_transaction(1000 + i, std::min(16, model::param_count - i));
        ASSERT_EQ(r.status, 0) << "block " << i;
        if (i == 16) {
            EXPECT_GE(r.sends, 2);  // the late one, its resend late too
        }
    }
    for (int i = 0; i < model::param_count; ++i)
        EXPECT_EQ(model::param_image[static_cast<std::size_t>(i)], 100 + 3 * i) << "word " << i;
    ui::services().loop = &loop_;
}

}  // namespace
}  // namespace dvx::link

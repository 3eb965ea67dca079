// The real termios port end to end on pseudo-terminals, in real time: against the
// simulator program and against an independent Modbus stack (libmodbus as an RTU
// server), so our frames are proven on more than our own simulator. Every wait here
// has a deadline; nothing sleeps for a fixed time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <modbus.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "link/link.h"
#include "link/posix_serial_port.h"
#include "model/param_image.h"
#include "tests/support/services_fixture.h"

namespace dvx::link {
namespace {

// The link with a real clock and the real port; COM1 is pointed at `device` through
// the environment, and the settings file is looked for in the test's own folder.
class PtyFixture : public testing::ServicesFixture {
protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        ui::services().clock = &steady_;
        port_ = make_posix_serial_port();
        ui::services().port = port_.get();
        ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        reset_link_state();
        model::bus_mode = 0;
        model::param_count = 128;
        model::param_image.fill(0);
    }
    void TearDown() override {
        port_->close();
        ::unsetenv("DORVANEX_COM1");
        reset_link_state();
        model::bus_mode = 0;
        model::param_count = 127;
        ServicesFixture::TearDown();
    }
    void use_device(const std::string& path) { ::setenv("DORVANEX_COM1", path.c_str(), 1); }

    ui::SteadyClock steady_;
    std::unique_ptr<ui::SerialPort> port_;
};

#ifdef DVX_SIM_PROGRAM
// dorvanex-sim as a child process; its first output line is the slave path.
class SimProgram {
public:
    SimProgram(const std::string& link, bool echo) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            const char* argv[] = {DVX_SIM_PROGRAM, "--pty", link.c_str(), echo ? "--echo" : nullptr, nullptr};
            ::execv(argv[0], const_cast<char* const*>(argv));
            ::_exit(127);
        }
        ::close(out[1]);
        // Ready once it has printed its line (or 10 s have passed).
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
    ~SimProgram() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    bool ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

using SimProgramPort = PtyFixture;

TEST_F(SimProgramPort, ReadsAndWritesThroughTheRealPort) {
    const std::string link = (dir_ / "bus").string();
    SimProgram sim(link, false);
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
    EXPECT_EQ(link_error_count, 0);
}

TEST_F(SimProgramPort, EchoingAdapterIsFoundAndSkipped) {
    const std::string link = (dir_ / "bus").string();
    SimProgram sim(link, true);
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
    EXPECT_EQ(link_error_count, 0);
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
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
        path_ = name;
        map_ = modbus_mapping_new_start_address(0, 0, 0, 0, 0, 64000, 0, 0);
        ctx_ = modbus_new_rtu("/dev/null", 9600, 'E', 8, 1);
        modbus_set_slave(ctx_, 2);
        modbus_set_socket(ctx_, master_);
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
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
    }
    const std::string& path() const { return path_; }
    std::uint16_t* registers() { return map_->tab_registers; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
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
    for (int i = 0; i < 16; ++i) model::param_image[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i * 1000 - 7000);
    ASSERT_EQ(write_regs(1000, 16), 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(static_cast<std::int16_t>(regs[1000 + i]), i * 1000 - 7000) << i;

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
    EXPECT_EQ(link_error_count, 0);
}

}  // namespace
}  // namespace dvx::link

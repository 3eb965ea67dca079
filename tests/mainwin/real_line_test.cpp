// The whole program on a real line, in real time: the main window started as the
// program starts it, on the real termios port, with COM1 and COM2 both leading to the
// simulator program's pseudo-terminal. The start opens COM1 twice with the bus mode's
// settings; the read and program buttons then work, and keep working after another
// port is picked and COM1 again. Each step costs the echo probe's 0.2 s and the
// exchanges at 9600 baud; every wait has a deadline and nothing sleeps a fixed time.
#include "tests/support/real_line.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_line.h"
#include "mainwin/device_ops.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "platform/posix_serial_port.h"
#include "sim/plant.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

const std::string read_in = "Parameter read in.";
const std::string overwrite_q = "Overwrite existing parameters. Are You sure ?";
const std::string transmitted = "parameters transmited.";

// The window's own buttons and lists, with the real clock, an event loop on it and the
// real port installed as the program installs them.
class RealLine : public DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ui::services().clock = &steady_;
        ui::services().loop = &real_loop_;
        input_loop_ = &real_loop_;
        // A hang ends the test instead of holding up the suite.
        real_loop_.set_guard(100'000'000, 60);
        real_port_ = platform::make_posix_serial_port();
        xdg_.emplace("XDG_CONFIG_HOME", dir_.string());  // no ports.conf of the user's
    }
    void TearDown() override {
        real_port_->close();
        if (real_loop_.guard_tripped())
            ADD_FAILURE() << "loop guard: " << real_loop_.guard_message();
        DeviceFixture::TearDown();
        xdg_.reset();
    }

    // The program's start on the real port, in English.
    bool start_on_line() {
        set_reg(model::reg_language, "GB");
        mainwin::StartServices s;
        s.port = real_port_.get();
        return mainwin::start_headless(s);
    }

    // The port is open on COM`number` with the direct bus's settings, and the buttons
    // that talk to a device can be clicked.
    void expect_port_open(int number) {
        EXPECT_EQ(link::port_status, 0);
        EXPECT_TRUE(real_port_->is_open());
        EXPECT_EQ(real_port_->port_number(), number);
        EXPECT_EQ(real_port_->settings(), "9600,E,8,1");
        EXPECT_EQ(main().Com_select.list_index(), number - 1);
        EXPECT_TRUE(main().B_FQN_Read.enabled());
        EXPECT_TRUE(main().B_FQN_Write.enabled());
    }

    // Reads device 1 by the read button into an image spoiled beforehand, and compares
    // the image and the fields with what the simulator program serves.
    void expect_read(const sim::Transmitter& served) {
        auto& m = main();
        boxes_.clear();
        model::param_image.fill(-7);
        m.Komentar1.set_text("");
        read();
        EXPECT_EQ(prompts(), std::vector<std::string>{read_in});
        ASSERT_EQ(model::param_count, served.param_count());
        for (int p = 0; p < served.param_count(); ++p)
            ASSERT_EQ(model::param_image[p], served.param(p)) << "word " << p;
        EXPECT_EQ(m.curr_version.text(), "4.05");
        EXPECT_EQ(m.Ser_No.text(), served.serial());
        EXPECT_EQ(m.Komentar1.text(), served.tag());
        EXPECT_EQ(m.v_mode.text(), std::to_string(served.status(26) >> 8));
        EXPECT_EQ(m.in_use.text(), "1");
        EXPECT_FALSE(mainwin::params_changed());
    }

    platform::SteadyClock steady_;
    ui::HeadlessLoop real_loop_{steady_};
    std::unique_ptr<platform::SerialPort> real_port_;
    std::optional<ScopedEnv> xdg_;
};

// A pseudo-terminal pair whose slave side the port opens by its path.
struct Pty {
    int master = -1, slave = -1;
    std::string path;
    Pty() {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
};

// A port that cannot be opened is told when the technician chooses it, with the
// device and the system's reason, and the device buttons go off; at the start the
// same fault goes to stderr only. A port that opens is chosen without a word.
TEST_F(RealLine, APortThatCannotBeOpenedIsToldWhenChosen) {
    const Pty free_line, held_line;
    ASSERT_FALSE(free_line.path.empty());
    ASSERT_FALSE(held_line.path.empty());
    const std::string missing = (dir_ / "no-such-tty").string();
    const ScopedEnv com1("DORVANEX_COM1", missing);
    const ScopedEnv com2("DORVANEX_COM2", free_line.path);
    const ScopedEnv com3("DORVANEX_COM3", held_line.path);
    auto holder = platform::make_posix_serial_port();  // another holder of COM3's line
    holder->set_port_number(3);
    holder->set_settings("9600,E,8,1");
    ASSERT_NO_THROW(holder->open());

    ::testing::internal::CaptureStderr();
    const bool started = start_on_line();
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(started);
    auto& m = main();
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(link::port_status, 1);
    EXPECT_FALSE(m.B_FQN_Read.enabled());
    EXPECT_NE(err.find("dorvanex: COM1: Invalid port number (" + missing +
                       "): No such file or directory\n"),
              std::string::npos)
        << err;

    struct Choice {
        int number;
        std::vector<std::string> told;
    };
    const Choice choices[] = {
        {3,
         {"No connection !\r\nPort already in use (" + held_line.path +
          "): Device or resource busy"}},
        {2, {}},
        {1,
         {"No connection !\r\nInvalid port number (" + missing + "): No such file or directory"}},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE("COM" + std::to_string(c.number));
        boxes_.clear();
        boxes_.answer_all(ui::id_ok);
        user([&] { EXPECT_TRUE(ui::user_select(m.Com_select, c.number - 1)); });
        EXPECT_EQ(prompts(), c.told);
        EXPECT_EQ(link::port_status, c.told.empty() ? 0 : 1);
        EXPECT_EQ(m.B_FQN_Read.enabled(), c.told.empty());
        EXPECT_EQ(real_port_->is_open(), c.told.empty());
    }
}

#ifdef DVX_SIM_PROGRAM

TEST_F(RealLine, StartsReadsProgramsAndChangesPortAsTheProgramDoes) {
    // The default direct bus with device 1 (KRV 4.05) given parameters of its own, so a
    // read that took nothing, or the defaults, shows; the address and texts stay.
    sim::Plant plant = sim::Plant::preset(0);
    sim::Transmitter& served = plant.device(1);
    ASSERT_EQ(served.version(), 405);
    for (int p = 0; p < served.param_count(); ++p)
        if (p != 113 && (p < 119 || p > 126)) served.set_param(p, (p * 211) % 60000 - 30000);
    write_raw("bus.preset", plant.to_text());

    const std::string link = (dir_ / "bus").string();
    SimProgram sim(DVX_SIM_PROGRAM, link, {"--preset", (dir_ / "bus.preset").string()});
    ASSERT_TRUE(sim.ready());
    const ScopedEnv com1("DORVANEX_COM1", link);
    const ScopedEnv com2("DORVANEX_COM2", link);

    ASSERT_TRUE(start_on_line());
    auto& m = main();
    EXPECT_TRUE(boxes_.shown().empty());
    {
        SCOPED_TRACE("after the start");
        expect_port_open(1);
        ASSERT_NO_FATAL_FAILURE(expect_read(served));
    }

    // A new TAG typed into its box and programmed: a fresh read brings it back.
    const std::string tag = "REALLINE";
    ASSERT_NE(served.tag(), tag);
    user([&] { EXPECT_TRUE(ui::user_focus(m.Komentar1)); });
    m.Komentar1.set_text(tag);
    user([&] { EXPECT_TRUE(ui::user_focus(m.B_io)); });
    ASSERT_EQ(model::text_from_params(119), tag);
    ASSERT_TRUE(mainwin::params_changed());
    boxes_.clear();
    program();
    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, transmitted}));
    EXPECT_FALSE(mainwin::params_changed());
    served.set_tag(tag);
    {
        SCOPED_TRACE("after programming");
        ASSERT_NO_FATAL_FAILURE(expect_read(served));
    }

    // Another port leading to the same line, then COM1 again.
    struct Port {
        const char* name;
        int number;
    };
    for (const Port& port : {Port{"COM2", 2}, Port{"COM1 again", 1}}) {
        SCOPED_TRACE(port.name);
        boxes_.clear();
        user([&] { EXPECT_TRUE(ui::user_select(m.Com_select, port.number - 1)); });
        EXPECT_TRUE(boxes_.shown().empty());
        expect_port_open(port.number);
        ASSERT_NO_FATAL_FAILURE(expect_read(served));
    }
}

// The simulator program ends in the middle of a read (the pause after an address
// that does not answer) and starts again on the same path: the next read works
// without a new port choice. Ended for good, the next read says so in the program's
// language, and the device buttons go off as after a failed port choice.
TEST_F(RealLine, TheSimulatorStoppedDuringAReadIsReadAgainOnceItIsBack) {
    const std::string link = (dir_ / "bus").string();
    std::optional<SimProgram> sim;
    sim.emplace(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim->ready());
    const ScopedEnv com1("DORVANEX_COM1", link);
    set_reg(model::reg_language, "D");
    mainwin::StartServices s;
    s.port = real_port_.get();
    ASSERT_TRUE(mainwin::start_headless(s));
    auto& m = main();
    boxes_.answer_all(ui::id_ok);

    select(2);  // nobody answers there: the read pauses, and the program ends meanwhile
    user([&] {
        real_loop_.post([&] { sim.reset(); });
        ui::user_click(m.B_FQN_Read);
    });
    EXPECT_FALSE(sim.has_value());
    EXPECT_EQ(prompts(), std::vector<std::string>{"Verbindung kann nicht aufgebaut werden !"});

    sim.emplace(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim->ready());
    select(1);
    boxes_.clear();
    boxes_.answer_all(ui::id_ok);
    read();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter eingelesen."});
    EXPECT_EQ(m.in_use.text(), "1");
    EXPECT_EQ(m.Com_select.list_index(), 0);
    EXPECT_EQ(link::port_status, 0);

    sim.reset();
    boxes_.clear();
    boxes_.answer_all(ui::id_ok);
    read();
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_EQ(prompts()[0].rfind("Verbindung kann nicht aufgebaut werden !\r\n", 0), 0u)
        << prompts()[0];
    EXPECT_NE(prompts()[0].find(link), std::string::npos) << "the path of the port";
    EXPECT_EQ(link::port_status, 1);
    EXPECT_FALSE(m.B_FQN_Read.enabled());
    EXPECT_FALSE(m.B_FQN_Write.enabled());
}

// The simulator program stopped as a direct-bus scan reaches a device and started
// again afterwards: the scan ends there with "no connection", the port is not given up,
// and the next read opens it again without a new port choice.
TEST_F(RealLine, TheSimulatorStoppedDuringAScanIsToldAndReadAgainOnceItIsBack) {
    const std::string link = (dir_ / "bus").string();
    std::optional<SimProgram> sim;
    sim.emplace(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim->ready());
    const ScopedEnv com1("DORVANEX_COM1", link);
    ASSERT_TRUE(start_on_line());
    auto& m = main();
    boxes_.answer_all(ui::id_ok);

    select(9);  // a device; the scan yields before it, and the program ends there
    user([&] {
        real_loop_.post([&] { sim.reset(); });
        ui::user_click(m.Command3D4);
    });
    EXPECT_FALSE(sim.has_value());
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection !"});
    EXPECT_EQ(m.dev_list.list_count(), 0);
    EXPECT_EQ(link::port_status, 0);
    EXPECT_TRUE(m.B_FQN_Read.enabled());

    sim.emplace(DVX_SIM_PROGRAM, link);
    ASSERT_TRUE(sim->ready());
    boxes_.clear();
    boxes_.answer_all(ui::id_ok);
    read();
    EXPECT_EQ(prompts(), std::vector<std::string>{read_in});
    EXPECT_EQ(m.Ser_No.text(), sim::Plant::preset(0).device(9).serial());
    EXPECT_EQ(link::port_status, 0);
}

#else
TEST(RealLine, StartsReadsProgramsAndChangesPortAsTheProgramDoes) {
    GTEST_SKIP() << "the simulator program dorvanex-sim is not part of this build";
}
#endif

}  // namespace
}  // namespace dvx::testing

// The pure parts of the real port: settings text and the COMn -> device path lookup.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix_serial_port.h"

namespace dvx::platform {
namespace {

TEST(LineSettingsText, ParsedOrRefused) {
    struct Case {
        const char* text;
        bool ok;
        int baud;
        char parity;
        int data;
        int stop;
    };
    const Case cases[] = {
        {"9600,E,8,1", true, 9600, 'E', 8, 1},
        {"19200,e,8,1", true, 19200, 'E', 8, 1},
        {"57600,E,8,1", true, 57600, 'E', 8, 1},
        {" 1200 , O , 7 , 2 ", true, 1200, 'O', 7, 2},
        {"115200,N,8,1", true, 115200, 'N', 8, 1},
        {"9601,E,8,1", false, 0, 0, 0, 0},  // no such baud rate
        {"9600,M,8,1", false, 0, 0, 0, 0},  // mark parity not offered
        {"9600,E,9,1", false, 0, 0, 0, 0},
        {"9600,E,8,1.5", false, 0, 0, 0, 0},
        {"9600,E,8", false, 0, 0, 0, 0},
        {"9600,E,8,1,", false, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0},
        {"-9600,E,8,1", false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto s = parse_line_settings(c.text);
        ASSERT_EQ(s.has_value(), c.ok);
        if (!s) continue;
        EXPECT_EQ(s->baud, c.baud);
        EXPECT_EQ(s->parity, c.parity);
        EXPECT_EQ(s->data_bits, c.data);
        EXPECT_EQ(s->stop_bits, c.stop);
    }
}

TEST(ComDevicePath, EnvironmentThenSettingsFileThenDefault) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dvx-ports-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "dorvanex");
    std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", dir.string()},
                                           {"HOME", "/nonexistent"}};
    const auto get_env = [&env](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    const std::string conf = ports_conf_path(get_env);
    EXPECT_EQ(conf, (dir / "dorvanex" / "ports.conf").string());
    {
        std::ofstream f(conf);
        f << "# adapters\n\n  com3 = /dev/ttyUSB0  \nCOM4=/dev/pts/7\nCOM4=/dev/pts/9\nbroken "
             "line\nCOM12=\n"
             "COM5=/dev/ttyUSB1 # the USB adapter\n"
             "COM6=/tmp/bus#2\t# a \"#\" inside a path stays\n"
             "COM7=\t#\n"
             "  # COM8=/dev/commented-out\n";
    }
    EXPECT_EQ(com_device_path(1, get_env, conf), "/dev/ttyS0");
    EXPECT_EQ(com_device_path(3, get_env, conf), "/dev/ttyUSB0");
    EXPECT_EQ(com_device_path(4, get_env, conf), "/dev/pts/9");  // the last line wins
    EXPECT_EQ(com_device_path(12, get_env, conf), "/dev/ttyS11");
    EXPECT_EQ(com_device_path(5, get_env, conf), "/dev/ttyUSB1");
    EXPECT_EQ(com_device_path(6, get_env, conf), "/tmp/bus#2");
    EXPECT_EQ(com_device_path(7, get_env, conf), "/dev/ttyS6");
    EXPECT_EQ(com_device_path(8, get_env, conf), "/dev/ttyS7");
    env["DORVANEX_COM3"] = "/tmp/bus";
    EXPECT_EQ(com_device_path(3, get_env, conf), "/tmp/bus");
    EXPECT_EQ(com_device_path(20, get_env, dir / "missing.conf"), "/dev/ttyS19");
    env.erase("XDG_CONFIG_HOME");
    EXPECT_EQ(ports_conf_path(get_env), "/nonexistent/.config/dorvanex/ports.conf");
    std::filesystem::remove_all(dir);
}

// Each line that names no port of the list is told with its file and number; comments,
// blank lines and good lines are not, nor an editor's byte-order mark before the first.
TEST(ComDevicePath, LinesThatNameNoPortAreTold) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dvx-ports-bad-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string conf = (dir / "ports.conf").string();
    {
        std::ofstream f(conf);
        f << "\xEF\xBB\xBF" "COM2=/dev/ttyUSB9\n"  // 1, after a UTF-8 byte-order mark
             "COM3=/dev/ttyUSB0 # adapter\n"  // 2
             "\n"                             // 3
             "/dev/ttyUSB1\n"                 // 4
             "PORT3=/dev/ttyUSB2\n"           // 5
             "COM=/dev/ttyUSB3\n"             // 6
             "COM0=/dev/ttyUSB4\n"            // 7
             "COM4=   # nothing left\n"       // 8
             "com5 = /dev/ttyS4\n"            // 9
             "COM21=/dev/ttyUSB5\n";          // 10
    }
    const std::vector<std::string> expected = {
        conf + ":4: no COMn=PATH, line not used: /dev/ttyUSB1",
        conf + ":5: no port COMn before the \"=\", line not used: PORT3=/dev/ttyUSB2",
        conf + ":6: no port COMn before the \"=\", line not used: COM=/dev/ttyUSB3",
        conf + ":7: no port COMn before the \"=\", line not used: COM0=/dev/ttyUSB4",
        conf + ":8: no device after the \"=\", line not used: COM4=   # nothing left",
        conf + ":10: COM21 is not in the port list (COM1..COM20), line not used: "
               "COM21=/dev/ttyUSB5",
    };
    EXPECT_EQ(ports_conf_faults(conf), expected);
    const auto no_env = [](const char*) -> const char* { return nullptr; };
    EXPECT_EQ(com_device_path(2, no_env, conf), "/dev/ttyUSB9");
    EXPECT_TRUE(ports_conf_faults((dir / "missing.conf").string()).empty());
    std::filesystem::remove_all(dir);
}

// ports.conf is read only as a regular file of at most ports_conf_max_bytes: a FIFO, a
// device, a folder or a larger file is told once as not used and reads as a file without
// lines (the default device), and none of them waits or reads a byte. A file at the bound
// is read. A FIFO without a writer would block a plain open for ever: each look runs
// with a limit, and a look that overruns it is let go by opening the write side, as
// often as it opens the FIFO.
TEST(ComDevicePath, ASettingsFileThatIsNoSmallRegularFileIsNotUsed) {
    namespace fs = std::filesystem;
    const auto dir = fs::temp_directory_path() / ("dvx-ports-kinds-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.conf");
    const std::string line = "COM3=/dev/ttyUSB7\n";
    // Comment lines of up to 80 bytes, then the port's line, the whole exactly `size` bytes.
    const auto filled = [&](std::size_t size) {
        std::string text;
        for (std::size_t left = size - line.size(); left > 0;) {
            const std::size_t n = std::min<std::size_t>(left, 80);
            text += n == 1 ? "\n" : "#" + std::string(n - 2, 'x') + "\n";
            left -= n;
        }
        return text + line;
    };
    const std::string at_bound = filled(ports_conf_max_bytes);
    ASSERT_EQ(at_bound.size(), ports_conf_max_bytes);
    std::ofstream(dir / "at-bound.conf", std::ios::binary) << at_bound;
    std::ofstream(dir / "above.conf", std::ios::binary) << filled(ports_conf_max_bytes + 1);
    ASSERT_EQ(fs::file_size(dir / "above.conf"), ports_conf_max_bytes + 1);
    ASSERT_EQ(::mkfifo((dir / "fifo.conf").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir / "device.conf");

    const std::string large = "larger than " + std::to_string(ports_conf_max_bytes) + " bytes";
    const struct {
        const char* what;
        std::string file;
        std::string fault;  // "" when the file is used
        std::string com3;
    } cases[] = {
        {"a file at the bound", "at-bound.conf", "", "/dev/ttyUSB7"},
        {"a file one byte above it", "above.conf", large, "/dev/ttyS2"},
        {"a FIFO", "fifo.conf", "not a regular file", "/dev/ttyS2"},
        {"a device (a link to /dev/null)", "device.conf", "not a regular file", "/dev/ttyS2"},
        {"a folder", "folder.conf", "not a regular file", "/dev/ttyS2"},
    };
    const auto no_env = [](const char*) -> const char* { return nullptr; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string conf = (dir / c.file).string();
        auto look = std::async(std::launch::async, [&] {
            return std::make_pair(ports_conf_faults(conf), com_device_path(3, no_env, conf));
        });
        if (look.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "the look waits on the file";
            while (look.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
                ::close(::open(conf.c_str(), O_WRONLY | O_NONBLOCK));  // no reader: ENXIO
        }
        const auto [faults, com3] = look.get();
        const std::vector<std::string> told =
            c.fault.empty() ? std::vector<std::string>{}
                            : std::vector<std::string>{conf + ": " + c.fault + ", not used"};
        EXPECT_EQ(faults, told);
        EXPECT_EQ(com3, c.com3);
    }
    fs::remove_all(dir);
}

// The block a port may hold received bytes for: the system's latency timer of a ttyUSB
// device (through a link too), else the value ports.conf sets for the port.
TEST(DeliveryBlock, TheSystemsLatencyTimerElseTheConfiguredValue) {
    namespace fs = std::filesystem;
    const auto dir = fs::temp_directory_path() / ("dvx-block-" + std::to_string(::getpid()));
    fs::create_directories(dir / "dev");
    const auto attribute = [&](const std::string& tty, const std::string& text) {
        fs::create_directories(dir / "sys/class/tty" / tty / "device");
        std::ofstream(dir / "sys/class/tty" / tty / "device/latency_timer") << text;
    };
    for (const char* name : {"ttyUSB3", "ttyUSB4", "ttyUSB5", "ttyUSB6", "ttyS0"})
        std::ofstream(dir / "dev" / name) << "";
    fs::create_symlink(dir / "dev/ttyUSB3", dir / "dev/adapter");
    attribute("ttyUSB3", "64\n");
    attribute("ttyUSB4", "300\n");  // no adapter takes it
    attribute("ttyUSB5", "fast\n");
    attribute("ttyS0", "16\n");  // told for USB adapters only
    const std::string sys = (dir / "sys").string();
    EXPECT_EQ(latency_timer_seconds((dir / "dev/ttyUSB3").string(), sys), 0.064);
    EXPECT_EQ(latency_timer_seconds((dir / "dev/adapter").string(), sys), 0.064);
    EXPECT_EQ(latency_timer_seconds((dir / "dev/ttyUSB4").string(), sys), std::nullopt);
    EXPECT_EQ(latency_timer_seconds((dir / "dev/ttyUSB5").string(), sys), std::nullopt);
    EXPECT_EQ(latency_timer_seconds((dir / "dev/ttyUSB6").string(), sys), std::nullopt);
    EXPECT_EQ(latency_timer_seconds((dir / "dev/ttyS0").string(), sys), std::nullopt);
    EXPECT_EQ(latency_timer_seconds((dir / "dev/missing").string(), sys), std::nullopt);

    const std::string conf = (dir / "ports.conf").string();
    std::ofstream(conf) << "COM3=/dev/ttyUSB0\n"         // 1
                           "COM3.block=64\n"             // 2
                           "com3.BLOCK = 32  # slower\n"  // 3: the last line wins
                           "COM4.block=300\n"            // 4
                           "COM5.block=\n"               // 5
                           "COM6.block=0\n";             // 6
    EXPECT_EQ(configured_block_seconds(3, conf), 0.032);
    EXPECT_EQ(configured_block_seconds(4, conf), std::nullopt);
    EXPECT_EQ(configured_block_seconds(6, conf), 0.0);
    EXPECT_EQ(configured_block_seconds(7, conf), std::nullopt);
    const auto no_env = [](const char*) -> const char* { return nullptr; };
    EXPECT_EQ(com_device_path(3, no_env, conf), "/dev/ttyUSB0");
    EXPECT_EQ(com_device_path(6, no_env, conf), "/dev/ttyS5");
    const std::vector<std::string> faults = {
        conf + ":4: the block takes 0..255 ms, line not used: COM4.block=300",
        conf + ":5: no milliseconds after the \"=\", line not used: COM5.block=",
    };
    EXPECT_EQ(ports_conf_faults(conf), faults);
    fs::remove_all(dir);
}

// The ends of both ranges are taken, one past them is not: the last port of the list and
// the longest block an adapter takes, for a device path, a configured block and the
// system's latency timer.
TEST(PortsConf, TakesTheEndsOfItsRanges) {
    namespace fs = std::filesystem;
    const auto dir = fs::temp_directory_path() / ("dvx-ends-" + std::to_string(::getpid()));
    fs::create_directories(dir / "dev");
    const std::string conf = (dir / "ports.conf").string();
    std::ofstream(conf) << "COM1=/dev/ttyUSB1\n"
                           "COM20=/dev/ttyUSB20\n"
                           "COM21=/dev/ttyUSB21\n"
                           "COM1.block=0\n"
                           "COM20.block=255\n"
                           "COM19.block=256\n";
    const auto no_env = [](const char*) -> const char* { return nullptr; };
    struct PathCase {
        int port;
        const char* path;
    };
    for (const PathCase& c : {PathCase{1, "/dev/ttyUSB1"}, PathCase{20, "/dev/ttyUSB20"}}) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(com_device_path(c.port, no_env, conf), c.path);
    }
    EXPECT_EQ(configured_block_seconds(1, conf), 0.0);
    EXPECT_EQ(configured_block_seconds(20, conf), 0.255);
    EXPECT_EQ(configured_block_seconds(19, conf), std::nullopt);
    const std::vector<std::string> faults = {
        conf + ":3: COM21 is not in the port list (COM1..COM20), line not used: "
               "COM21=/dev/ttyUSB21",
        conf + ":6: the block takes 0..255 ms, line not used: COM19.block=256",
    };
    EXPECT_EQ(ports_conf_faults(conf), faults);
    struct TimerCase {
        const char* tty;
        const char* text;
        std::optional<double> seconds;
    };
    const TimerCase timers[] = {
        {"ttyUSB1", "0\n", 0.0}, {"ttyUSB2", "255\n", 0.255}, {"ttyUSB3", "256\n", std::nullopt}};
    for (const TimerCase& c : timers) {
        SCOPED_TRACE(c.text);
        std::ofstream(dir / "dev" / c.tty) << "";
        fs::create_directories(dir / "sys/class/tty" / c.tty / "device");
        std::ofstream(dir / "sys/class/tty" / c.tty / "device/latency_timer") << c.text;
        EXPECT_EQ(latency_timer_seconds((dir / "dev" / c.tty).string(), (dir / "sys").string()),
                  c.seconds);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace dvx::platform

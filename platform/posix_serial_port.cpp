// All operating-system code of the serial line lives in this file.
#include "platform/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/cp1252.h"
#include "platform/fault.h"

#ifdef __linux__
#include <linux/magic.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#endif

namespace dvx::platform {

namespace {

struct BaudRate {
    int baud;
    speed_t speed;
};
constexpr BaudRate baud_rates[] = {
    {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

std::optional<speed_t> speed_of(int baud) {
    for (const auto& b : baud_rates)
        if (b.baud == baud) return b.speed;
    return std::nullopt;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::optional<int> small_number(const std::string& s) {
    if (s.empty() || s.size() > 7 ||
        !std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return std::stoi(s);
}

// errno is taken before the text is made, which may allocate.
std::string error_text(FaultText what) {
    const int err = errno;
    return fault_text(what) + ": " + system_reason(err);
}

// "Port already in use (/dev/ttyUSB0): Device or resource busy": what the port control
// says, the device and the system's reason, both converted from the system's bytes.
std::string open_fault_text(const std::string& path, int error) {
    FaultText what = FaultText::port_open;
    if (error == EBUSY)
        what = FaultText::port_in_use;
    else if (error == ENOENT || error == ENODEV || error == ENXIO || error == ENOTDIR)
        what = FaultText::invalid_port_number;
    return fault_text(what) + " (" + system_to_cp1252(path) + "): " + system_reason(error);
}

constexpr int lock_retries = 20;
constexpr int lock_retry_ms = 5;

class PosixSerialPort final : public SerialPort {
  public:
    ~PosixSerialPort() override { close(); }

    void set_port_number(int number) override { number_ = number; }
    int port_number() const override { return number_; }
    void set_settings(const std::string& text) override {
        settings_ = text;
        if (is_open()) apply_settings();
    }
    std::string settings() const override { return settings_; }

    // The port is held exclusively while open: TIOCEXCL refuses every further open of
    // the line (by any program not run as root), and a lock on the device node refuses
    // a second instance of this program also where TIOCEXCL does not hold (root). A
    // refusal names the device and the system's reason.
    void open() override {
        if (is_open()) throw Fault(FaultText::port_already_open);
        if (number_ < 1) throw Fault(FaultText::invalid_port_number);
        if (!parse_line_settings(settings_)) throw Fault(FaultText::invalid_port_settings);
        const std::string path = com_device_path(number_);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) throw Fault(open_fault_text(path, errno));
        // The simulator program takes its line's lock for an instant now and then, to see
        // whether anyone holds it: a lock refused is tried again for a tenth of a second
        // (a loaded machine may stretch that instant) before the port counts as in use.
        int locked = ::flock(fd, LOCK_EX | LOCK_NB);
        for (int retry = 0; locked != 0 && errno == EWOULDBLOCK && retry < lock_retries; ++retry) {
            ::poll(nullptr, 0, lock_retry_ms);
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        }
        if (locked != 0) {
            const int why = errno == EWOULDBLOCK ? EBUSY : errno;
            ::close(fd);
            throw Fault(open_fault_text(path, why));
        }
        fd_ = fd;
        // Not every device is a terminal that takes it (a plain file in the tests).
        exclusive_ = ::ioctl(fd_, TIOCEXCL) == 0;
        try {
            apply_settings();
        } catch (...) {
            close();
            throw;
        }
        ::tcflush(fd_, TCIOFLUSH);
        block_.reset();
        if (const auto told = latency_timer_seconds(path))
            block_ = DeliveryBlock{*told, true};
        else if (const auto set = configured_block_seconds(number_, ports_conf_path()))
            block_ = DeliveryBlock{*set, false};
    }

    // The exclusive mode belongs to the line, not to our descriptor: it is given back
    // before closing, else it outlives us wherever another holder keeps the line open
    // (the simulator's pseudo-terminal) and our own next open is refused.
    void close() override {
        if (fd_ >= 0) {
            if (exclusive_) ::ioctl(fd_, TIOCNXCL);
            ::close(fd_);
        }
        fd_ = -1;
        exclusive_ = false;
    }
    bool is_open() const override { return fd_ >= 0; }

    int in_count() override { return queue_count(FIONREAD, FaultText::port_received_count); }
    int out_count() override { return queue_count(TIOCOUTQ, FaultText::port_send_count); }
    void discard_input() override { flush(TCIFLUSH); }
    void discard_output() override { flush(TCOFLUSH); }

    std::vector<std::uint8_t> read(int max_bytes) override {
        require_open();
        std::vector<std::uint8_t> out;
        if (max_bytes <= 0) return out;
        out.resize(static_cast<std::size_t>(max_bytes));
        ssize_t n;
        do n = ::read(fd_, out.data(), out.size());
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                throw Fault(error_text(FaultText::port_read));
            n = 0;
        }
        out.resize(static_cast<std::size_t>(n));
        return out;
    }

    void write(std::span<const std::uint8_t> bytes) override {
        require_open();
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                throw Fault(error_text(FaultText::port_write));
            // The driver's buffer is full: wait for room, at most a second.
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0) throw Fault(FaultText::port_write_no_room);
        }
    }

    // What the system tells of the adapter's block (the latency timer of a ttyUSB
    // port), else what ports.conf sets for COMn; read at open.
    std::optional<DeliveryBlock> delivery_block() const override { return block_; }

    // Sleeps in poll() until a byte is waiting or the time is up. A hung-up line (the
    // other end of a pseudo-terminal gone) keeps poll() returning at once, so then the
    // rest of the time is slept instead of spinning.
    void wait_input(double seconds) override {
        require_open();
        using clock = std::chrono::steady_clock;
        const auto end = clock::now() + std::chrono::duration_cast<clock::duration>(
                                            std::chrono::duration<double>(std::max(seconds, 0.0)));
        for (;;) {
            const double left = std::chrono::duration<double>(end - clock::now()).count();
            // Rounded up to whole milliseconds so a short rest never becomes a 0 ms spin.
            const int ms = left > 0 ? static_cast<int>(std::ceil(left * 1000.0)) : 0;
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, ms);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return;
            if (in_count() > 0) return;
            if (p.revents & (POLLHUP | POLLERR | POLLNVAL | POLLIN)) {
                if (left > 0) std::this_thread::sleep_until(end);
                return;
            }
        }
    }

  private:
    void require_open() const {
        if (!is_open()) throw Fault(FaultText::port_not_open);
    }

    int queue_count(unsigned long request, FaultText what) {
        require_open();
        int n = 0;
        if (::ioctl(fd_, request, &n) != 0) throw Fault(error_text(what));
        return n;
    }

    void flush(int queue) {
        require_open();
        ::tcflush(fd_, queue);
    }

    void apply_settings() {
        const auto s = parse_line_settings(settings_);
        if (!s) throw Fault(FaultText::invalid_port_settings);
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) throw Fault(error_text(FaultText::port_settings));
        // Raw 8-bit lines: no translation, no flow control, no echo, no signals; parity
        // errors are not checked on input, so every byte 0..255 passes unchanged.
        t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                            ICRNL | IXON | IXOFF | IXANY | INPCK);
        t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CRTSCTS
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
        constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
        t.c_cflag |= sizes[s->data_bits - 5] | CREAD | CLOCAL;
        if (s->parity != 'N') t.c_cflag |= PARENB;
        if (s->parity == 'O') t.c_cflag |= PARODD;
        if (s->stop_bits == 2) t.c_cflag |= CSTOPB;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        const speed_t speed = *speed_of(s->baud);
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        if (::tcsetattr(fd_, TCSANOW, &t) == 0) return;
        // A pseudo-terminal carries no parity bit and drops PARENB; at a speed the line
        // already has (every opening after the first) the call then fails with EINVAL,
        // as nothing it asked for was kept. There the parity is left out; a real port's
        // refusal stands.
        if (errno == EINVAL && (t.c_cflag & PARENB) && is_pseudo_terminal(fd_)) {
            t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
            if (::tcsetattr(fd_, TCSANOW, &t) == 0) return;
        }
        throw Fault(error_text(FaultText::port_settings));
    }

    int number_ = 1;
    std::string settings_ = "9600,N,8,1";
    int fd_ = -1;
    bool exclusive_ = false;
    std::optional<DeliveryBlock> block_;
};

}  // namespace

bool is_pseudo_terminal(int fd) {
#ifdef __linux__
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned major = ::major(st.st_rdev);
    // Character majors 136..143 are the pty slaves of /dev/pts, 3 the old BSD-style
    // ones; 5 is the multiplexer /dev/ptmx (also found in devpts), a master side.
    if ((major >= 136 && major <= 143) || major == 3) return true;
    struct statfs fs {};
    return major != 5 && ::fstatfs(fd, &fs) == 0 && fs.f_type == DEVPTS_SUPER_MAGIC;
#else
    (void)fd;
    return false;
#endif
}

std::optional<LineSettings> parse_line_settings(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(
            trim(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from)));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    if (parts.size() != 4) return std::nullopt;
    LineSettings s;
    const auto baud = small_number(parts[0]);
    if (!baud || !speed_of(*baud)) return std::nullopt;
    s.baud = *baud;
    if (parts[1].size() != 1) return std::nullopt;
    s.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(parts[1][0])));
    if (s.parity != 'N' && s.parity != 'E' && s.parity != 'O') return std::nullopt;
    const auto data = small_number(parts[2]);
    const auto stop = small_number(parts[3]);
    if (!data || *data < 5 || *data > 8 || !stop || (*stop != 1 && *stop != 2)) return std::nullopt;
    s.data_bits = *data;
    s.stop_bits = *stop;
    return s;
}

std::string ports_conf_path(const std::function<const char*(const char*)>& get_env) {
    const char* xdg = get_env("XDG_CONFIG_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/dorvanex/ports.conf";
    const char* home = get_env("HOME");
    return std::string(home && *home ? home : ".") + "/.config/dorvanex/ports.conf";
}

namespace {

// One line of ports.conf: blank or a comment (nothing), "COMn=PATH" (the port and its
// device), or a line that names no port (why). A "#" at the start of a line or after a
// blank begins a comment, so "COM3=/dev/ttyUSB0  # adapter" names /dev/ttyUSB0.
struct ConfLine {
    int port = 0;  // 0: nothing to take
    std::string path;
    std::optional<int> block_ms;  // a "COMn.block=MS" line
    std::string fault;
};

constexpr int max_block_ms = 255;  // the longest latency timer a USB adapter takes

ConfLine read_conf_line(std::string line) {
    for (std::size_t at = 0; (at = line.find('#', at)) != std::string::npos; ++at)
        if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') {
            line.erase(at);
            break;
        }
    line = trim(line);
    ConfLine out;
    if (line.empty()) return out;
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
        out.fault = "no COMn=PATH";
        return out;
    }
    std::string key = trim(line.substr(0, eq));
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    const bool block = key.ends_with(".BLOCK");
    if (block) key.resize(key.size() - 6);
    const auto number = key.rfind("COM", 0) == 0 ? small_number(key.substr(3)) : std::nullopt;
    if (!number || *number < 1) {
        out.fault = "no port COMn before the \"=\"";
        return out;
    }
    if (*number > com_ports) {
        out.fault = "COM" + std::to_string(*number) + " is not in the port list (COM1..COM" +
                    std::to_string(com_ports) + ")";
        return out;
    }
    out.path = trim(line.substr(eq + 1));
    if (out.path.empty()) {
        out.fault = block ? "no milliseconds after the \"=\"" : "no device after the \"=\"";
        return out;
    }
    if (block) {
        const auto ms = small_number(out.path);
        out.path.clear();
        if (!ms || *ms > max_block_ms) {
            out.fault = "the block takes 0..255 ms";
            return out;
        }
        out.block_ms = *ms;
    }
    out.port = *number;
    return out;
}

// The file's bytes, or why it is not used (UTF-8; empty for a missing file, which has no
// lines and no fault). Only a regular file of at most ports_conf_max_bytes is read: the
// open does not wait (a FIFO would wait for a writer) and the type and size are looked
// at before any byte is read, so a device, a FIFO or a large file costs nothing.
struct ConfFile {
    std::string bytes;
    std::string not_used;
};

ConfFile read_conf_file(const std::string& conf_path) {
    ConfFile out;
    const int fd = ::open(conf_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) out.not_used = to_utf8(system_reason(errno));
        return out;
    }
    const std::string too_large = "larger than " + std::to_string(ports_conf_max_bytes) + " bytes";
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.not_used = to_utf8(system_reason(errno));
    } else if (!S_ISREG(st.st_mode)) {
        out.not_used = "not a regular file";
    } else if (static_cast<std::uintmax_t>(st.st_size) > ports_conf_max_bytes) {
        out.not_used = too_large;
    } else {
        // One byte more than the bound tells a file that grew since the look.
        char buf[ports_conf_max_bytes + 1];
        std::size_t got = 0;
        while (got < sizeof buf) {
            const ssize_t n = ::read(fd, buf + got, sizeof buf - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) out.not_used = to_utf8(system_reason(errno));
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got > ports_conf_max_bytes) out.not_used = too_large;
        if (out.not_used.empty()) out.bytes.assign(buf, got);
    }
    ::close(fd);
    return out;
}

// Every line of the file in order, with its text; none for a file that is missing or
// not used. A UTF-8 byte-order mark before the first line (an editor's) is no part of it.
// Returns why the file is not used, as read_conf_file.
template <class Each>
std::string each_conf_line(const std::string& conf_path, Each each) {
    const ConfFile file = read_conf_file(conf_path);
    std::istringstream conf(file.bytes);
    std::string line;
    for (int n = 1; std::getline(conf, line); ++n) {
        if (n == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        each(n, line, read_conf_line(line));
    }
    return file.not_used;
}

}  // namespace

std::string com_device_path(int number, const std::function<const char*(const char*)>& get_env,
                            const std::string& conf_path) {
    const std::string var = "DORVANEX_COM" + std::to_string(number);
    if (const char* path = get_env(var.c_str()); path && *path) return path;
    std::string found;
    each_conf_line(conf_path, [&](int, const std::string&, const ConfLine& l) {
        if (l.port == number && !l.block_ms) found = l.path;  // the last line for a port wins
    });
    if (!found.empty()) return found;
    return "/dev/ttyS" + std::to_string(number - 1);
}

std::optional<double> configured_block_seconds(int number, const std::string& conf_path) {
    std::optional<double> found;
    each_conf_line(conf_path, [&](int, const std::string&, const ConfLine& l) {
        if (l.port == number && l.block_ms) found = *l.block_ms / 1000.0;
    });
    return found;
}

std::optional<double> latency_timer_seconds(const std::string& device_path,
                                            const std::string& sys_root) {
    std::error_code ec;
    const std::string name = std::filesystem::canonical(device_path, ec).filename().string();
    if (ec) return std::nullopt;
    if (name.rfind("ttyUSB", 0) != 0) return std::nullopt;
    std::ifstream in(sys_root + "/class/tty/" + name + "/device/latency_timer");
    std::string text;
    if (!std::getline(in, text)) return std::nullopt;
    const auto ms = small_number(trim(text));
    if (!ms || *ms > max_block_ms) return std::nullopt;
    return *ms / 1000.0;
}

std::vector<std::string> ports_conf_faults(const std::string& conf_path) {
    std::vector<std::string> faults;
    const std::string not_used =
        each_conf_line(conf_path, [&](int n, const std::string& line, const ConfLine& l) {
            if (!l.fault.empty())
                faults.push_back(conf_path + ":" + std::to_string(n) + ": " + l.fault +
                                 ", line not used: " + trim(line));
        });
    if (!not_used.empty()) faults.push_back(conf_path + ": " + not_used + ", not used");
    return faults;
}

std::string ports_conf_path() {
    return ports_conf_path([](const char* name) -> const char* { return std::getenv(name); });
}

std::string com_device_path(int number) {
    const auto env = [](const char* name) -> const char* { return std::getenv(name); };
    return com_device_path(number, env, ports_conf_path(env));
}

std::unique_ptr<SerialPort> make_posix_serial_port() {
    return std::make_unique<PosixSerialPort>();
}

}  // namespace dvx::platform

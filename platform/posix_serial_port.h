#pragma once
// The real serial port on POSIX termios. "COMn" names a device path: /dev/ttyS<n-1>
// unless the environment variable DORVANEX_COM<n> or a line "COMn=<path>" of the
// settings file $XDG_CONFIG_HOME/dorvanex/ports.conf (default ~/.config/dorvanex/)
// names another one, so USB adapters and pseudo-terminals can stand in for COMn.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace dvx::platform {

struct LineSettings {
    int baud = 9600;
    char parity = 'N';  // 'N', 'E' or 'O'
    int data_bits = 8;  // 5..8
    int stop_bits = 1;  // 1 or 2
};

// "9600,E,8,1" -> settings; none for a text that is not of that form or names a
// baud rate, parity or size the port cannot do.
std::optional<LineSettings> parse_line_settings(const std::string& text);

// Where the settings file is looked for, from XDG_CONFIG_HOME or HOME (the process
// environment without an argument).
std::string ports_conf_path(const std::function<const char*(const char*)>& get_env);
std::string ports_conf_path();
// The device path of COMn: environment, then the settings file, then /dev/ttyS<n-1>.
// Settings file lines are "COMn=PATH"; "#" at the start of a line or after a blank
// begins a comment; the last line for a port wins.
std::string com_device_path(int number, const std::function<const char*(const char*)>& get_env,
                            const std::string& conf_path);
// The same with the process environment.
std::string com_device_path(int number);
// The lines of the settings file that name no port, each as "FILE:LINE: why, line not
// used: TEXT"; none for a file that is missing. A file that is not read at all (no
// regular file, larger than ports_conf_max_bytes, or one the system refuses) is one fault,
// "FILE: why, not used", and reads as a file without lines.
std::vector<std::string> ports_conf_faults(const std::string& conf_path);

// The largest settings file read. A full one is about 5 kB: 20 ports, each with a device
// line and a block line of 130 characters with their comments (20 * 2 * 130 = 5,200).
inline constexpr std::size_t ports_conf_max_bytes = 16 * 1024;

// A USB serial adapter's latency timer as the system tells it for a ttyUSB port: the
// whole milliseconds in <sys_root>/class/tty/ttyUSBn/device/latency_timer for the device
// the path names (links followed). nullopt for other ports or where it is not told.
std::optional<double> latency_timer_seconds(const std::string& device_path,
                                            const std::string& sys_root = "/sys");
// The delivery block configured for COMn: a line "COMn.block=MS" (whole milliseconds,
// 0..255) of the settings file, the last one winning; nullopt without one.
std::optional<double> configured_block_seconds(int number, const std::string& conf_path);

// True when fd is the slave side of a pseudo-terminal (Linux; false elsewhere). Such a
// line has no parity bit, so a parity the kernel will not take there does not fail the
// open.
bool is_pseudo_terminal(int fd);

// A closed port on the real serial lines; install it as the service set's port.
std::unique_ptr<SerialPort> make_posix_serial_port();

}  // namespace dvx::platform

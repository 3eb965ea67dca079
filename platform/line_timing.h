#pragma once
// Character and silence times of an RTU line from its settings text. A character is
// 11 bits on the line (start, 8 data, parity or a second stop bit, stop); frames are
// set apart by 3.5 characters of silence, a fixed 1.75 ms above 19200 baud.
#include <optional>
#include <string_view>

namespace dvx::platform {

struct LineTiming {
    double char_seconds = 0;
    double silent_seconds = 0;  // the silent interval between two frames
};

// From "9600,E,8,1"; nullopt when the text has no positive baud rate.
std::optional<LineTiming> line_timing(std::string_view settings);

}  // namespace dvx::platform

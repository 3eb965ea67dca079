#include "platform/line_timing.h"

#include <charconv>

namespace dvx::platform {

namespace {
constexpr int bits_per_char = 11;
constexpr int fixed_silence_above_baud = 19200;
constexpr double fixed_silence_seconds = 0.00175;
}  // namespace

std::optional<LineTiming> line_timing(std::string_view settings) {
    const std::string_view head = settings.substr(0, settings.find(','));
    int baud = 0;
    const auto [p, ec] = std::from_chars(head.data(), head.data() + head.size(), baud);
    if (ec != std::errc() || p != head.data() + head.size() || baud <= 0) return std::nullopt;
    LineTiming t;
    t.char_seconds = static_cast<double>(bits_per_char) / baud;
    t.silent_seconds =
        baud > fixed_silence_above_baud ? fixed_silence_seconds : 3.5 * t.char_seconds;
    return t;
}

}  // namespace dvx::platform

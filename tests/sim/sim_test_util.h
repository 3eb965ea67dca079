#pragma once
// Small helpers of the simulator tests: frames as hex, requests, one exchange through
// the simulated port on virtual time.
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "sim/sim.h"

namespace dvx::sim::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes from_hex(const std::string& hex) {
    Bytes b;
    std::istringstream in(hex);
    std::string byte;
    while (in >> byte) b.push_back(static_cast<std::uint8_t>(std::stoi(byte, nullptr, 16)));
    return b;
}

inline std::string to_hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (auto x : b) {
        std::snprintf(buf, sizeof buf, "%02X", x);
        if (!s.empty()) s += ' ';
        s += buf;
    }
    return s;
}

inline Bytes read_request(int unit, int start, int count) {
    Bytes f{static_cast<std::uint8_t>(unit),       3,
            static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
            static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)};
    append_crc(f);
    return f;
}

inline Bytes write_request(int unit, int start, const std::vector<int>& values) {
    const int n = static_cast<int>(values.size());
    Bytes f{static_cast<std::uint8_t>(unit),       16,
            static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
            static_cast<std::uint8_t>(n >> 8),     static_cast<std::uint8_t>(n),
            static_cast<std::uint8_t>(2 * n)};
    for (int v : values) {
        f.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        f.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
    append_crc(f);
    return f;
}

// Register values of a read answer (unit, 3, n, values.., CRC).
inline std::vector<int> answer_words(const Bytes& a) {
    std::vector<int> w;
    for (std::size_t i = 3; i + 3 < a.size(); i += 2) w.push_back(a[i] << 8 | a[i + 1]);
    return w;
}

// Sends `request` and collects what arrives within `seconds`, waiting as a master does.
inline Bytes exchange(platform::SerialPort& port, platform::Clock& clock, const Bytes& request,
                      double seconds = 1.0) {
    port.write(request);
    const double end = clock.now() + seconds;
    Bytes got;
    for (double now = clock.now(); now < end; now = clock.now()) {
        port.wait_input(end - now);
        auto part = port.read(1000);
        got.insert(got.end(), part.begin(), part.end());
    }
    return got;
}

}  // namespace dvx::sim::testing

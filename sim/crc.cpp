#include "sim/crc.h"

namespace dvx::sim {

std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void append_crc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool crc_ok(std::span<const std::uint8_t> frame) {
    if (frame.size() < 4) return false;
    const std::uint16_t crc = crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

int word_at(std::span<const std::uint8_t> f, std::size_t pos) {
    return f[pos] << 8 | f[pos + 1];
}

void put_word(std::vector<std::uint8_t>& f, int v) {
    f.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    f.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

void put_word_at(std::vector<std::uint8_t>& f, std::size_t pos, int v) {
    f[pos] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    f[pos + 1] = static_cast<std::uint8_t>(v & 0xFF);
}

void fix_crc(std::vector<std::uint8_t>& f) {
    if (f.size() < 2) return;
    f.resize(f.size() - 2);
    append_crc(f);
}

}  // namespace dvx::sim

#include "link/rtu_frame.h"

#include <algorithm>

namespace dvx::link {

void init_crc_tables() {}

std::uint16_t crc16_modbus(std::span<const std::uint8_t> data) {
    // A is the CRC's low byte (sent first), B its high byte.
    std::uint8_t a = 0xFF;
    std::uint8_t b = 0xFF;
    for (const std::uint8_t c : data) {
        const std::uint8_t i = c ^ a;
        a = crc_hi_table[i] ^ b;
        b = crc_lo_table[i];
    }
    return static_cast<std::uint16_t>(b << 8 | a);
}

void append_crc(Frame& frame) {
    const std::uint16_t crc = crc16_modbus(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool crc_matches(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2) return false;
    const std::size_t n = frame.size() - 2;
    const std::uint16_t crc = crc16_modbus(frame.first(n));
    return frame[n] == (crc & 0xFF) && frame[n + 1] == (crc >> 8);
}

bool answer_fits_request(std::span<const std::uint8_t> request,
                         std::span<const std::uint8_t> answer,
                         std::optional<std::uint16_t> other_start) {
    if (request.size() < 6 || answer.size() < 2) return false;
    switch (request[1]) {
        case fn_read_holding:
            // A shorter answer padded out to the expected length (two zero bytes after
            // its CRC keep the CRC correct) says so only in its byte count.
            return answer.size() >= 3 && answer[2] == 2 * (request[4] << 8 | request[5]);
        case fn_write_single:  // echoes the register and its value
            return answer.size() >= 6 &&
                   std::equal(request.begin() + 2, request.begin() + 6, answer.begin() + 2);
        case fn_write_multiple: {  // echoes the start register and the count
            if (answer.size() < 6 ||
                !std::equal(request.begin() + 4, request.begin() + 6, answer.begin() + 4))
                return false;
            const int echoed = answer[2] << 8 | answer[3];
            return echoed == (request[2] << 8 | request[3]) ||
                   (other_start && echoed == *other_start);
        }
        default:
            return true;
    }
}

static void append_word(Frame& f, std::uint16_t w) {
    f.push_back(static_cast<std::uint8_t>(w >> 8));
    f.push_back(static_cast<std::uint8_t>(w & 0xFF));
}

Frame build_read_request(std::uint8_t unit, std::uint16_t reg, std::uint16_t count) {
    Frame f{unit, fn_read_holding};
    append_word(f, reg);
    append_word(f, count);
    append_crc(f);
    return f;
}

Frame build_write_request(std::uint8_t unit, std::uint16_t reg,
                          std::span<const std::int16_t> values) {
    Frame f{unit, fn_write_multiple};
    append_word(f, reg);
    append_word(f, static_cast<std::uint16_t>(values.size()));
    f.push_back(static_cast<std::uint8_t>(2 * values.size()));
    for (const std::int16_t v : values) append_word(f, static_cast<std::uint16_t>(v));
    append_crc(f);
    return f;
}

std::int16_t get_answer_word(std::span<const std::uint8_t> answer, std::size_t pos) {
    if (pos + 1 >= answer.size()) return 0;
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(answer[pos] << 8 | answer[pos + 1]));
}

}  // namespace dvx::link

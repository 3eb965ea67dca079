#pragma once
// CRC-16/MODBUS computed bit by bit (init 0xFFFF, reflected polynomial 0xA001, no final
// XOR). Deliberately independent of the link's table-driven CRC so the two check each
// other in the tests.
#include <cstdint>
#include <span>
#include <vector>

namespace dvx::sim {

std::uint16_t crc16(std::span<const std::uint8_t> bytes);

// Appends the CRC of `frame` to it, low byte first as on the wire.
void append_crc(std::vector<std::uint8_t>& frame);

// True when the last two bytes are the CRC of the bytes before them (at least 4 bytes).
bool crc_ok(std::span<const std::uint8_t> frame);

}  // namespace dvx::sim

#pragma once
// The bytes of a frame: big-endian words and the CRC.
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

// The word at `pos`, high byte first.
int word_at(std::span<const std::uint8_t> f, std::size_t pos);
// Appends a word, high byte first; put_word_at overwrites one.
void put_word(std::vector<std::uint8_t>& f, int v);
void put_word_at(std::vector<std::uint8_t>& f, std::size_t pos, int v);
// Replaces the last two bytes by the CRC of the bytes before them.
void fix_crc(std::vector<std::uint8_t>& f);

}  // namespace dvx::sim

#pragma once
// Quantities that do not fit one plain parameter word: 8-character texts packed two
// characters a word, bit fields inside a word, 32-bit values over two words (low word
// at the lower index), the shift primitives they are built from, and the two texts
// made from the tag. Everything works directly on the shared images.
//
// Index contracts are checked: an index whose words would fall outside the image
// throws std::out_of_range (the callers pass fixed indices, so this is a programming
// fault), except put_value, which reports it in a message box and changes nothing.
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace dvx::model {

// Shifts within 16 bits. shl16: bits pushed past bit 15 are lost, n > 15 gives 0.
// shr16: the word taken unsigned (0..65535), zeros come in; n > 15 gives 0.
// A count of 0 (or less) leaves the value unchanged.
std::int16_t shl16(std::int16_t value, int n);
std::int16_t shr16(std::int16_t value, int n);
// Arithmetic shift: floor(value / 2^n); n of 32 or more gives 0 or -1.
std::int32_t shr32(std::int32_t value, int n);

// 8-character text of words k..k+3: low byte first, every byte one character,
// device codes mapped back to Windows-1252. Nothing is trimmed.
std::string text_from_params(int k);
// Writes the first 8 characters of t into words k..k+3 (umlauts to device codes).
// A text shorter than 8 characters is filled up with blanks.
void text_to_params(int k, const std::string& t);
// The four words text_to_params writes for t.
std::array<std::int16_t, 4> text_words(const std::string& t);
// The one shape every entry field stores: trimmed of blanks and cut to 8 characters;
// a shorter text gets one blank in front and blanks up to 8 ("" gives 8 blanks).
std::string text8_entry(const std::string& entry);

// Value of the bit field `mask` of param_image[k]: masked and shifted down (logical)
// to the mask's lowest set bit. A mask without any bit gives 0.
std::int16_t param_bitfield(int k, std::uint16_t mask);
// The same on status_regs (words 0..65).
std::int16_t block_bitfield(int k, std::uint16_t mask);
// The same on any word image; the two above are this on their image.
std::int16_t word_bitfield(std::span<const std::int16_t> image, int k, std::uint16_t mask);

// param_image[k] := ((value << field position) And mask) Or (word And Not mask).
// Bits of value that miss the field (or fall on a gap of the mask) are dropped.
// A bad index or a mask without any bit shows "<fault> (put_value)" under "DORVANEX"
// and leaves the word unchanged.
void put_value(int k, std::uint16_t mask, std::int16_t value);

// param_image[k] := low word, param_image[k + 1] := high word.
void put_long(std::int32_t value, int k);
// Decimal text (optional minus, no blank, no grouping) of words k (low) and k+1 (high).
std::string long_from_params(int k);
// Signed 32-bit value of status_regs words k (low) and k+1 (high), k in 0..64.
std::int32_t long_from_block(int k);
// hi * 65536 + lo, the low word taken unsigned.
constexpr std::int32_t long_from_words(std::int16_t lo, std::int16_t hi) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(hi))
                                         << 16 |
                                     static_cast<std::uint16_t>(lo));
}

// Row of the direct-bus device list for the device just read: the address text
// right-aligned in 3 columns, then serial number (words 123..126) and tag (119..122),
// each separated by three blanks. adr_text is the text of the address list `adr_select`.
std::string tag_line(const std::string& adr_text);
// "          TAG No: " followed by the tag of words 119..122; ends every page title.
std::string tag_header();

}  // namespace dvx::model

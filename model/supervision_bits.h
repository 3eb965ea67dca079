#pragma once
// How each alarm output reacts to each error source of a transmitter's self-
// supervision: a mode 0..3 stored as a bit pair, bit a and bit b, spread over the
// output's alarm word (83..86) and a second word of that output. The two model
// families place the bits differently:
//
//   mode  a b  text         second words   KRV: 70, 96, 114, 127   DLX: 79, 87, 96, 101
//   0     0 0  "lim-prio"
//   1     1 0  "off"        KRV item: a = error bit << 6 in the alarm word, b = error bit
//   2     1 1  "on"         DLX item k: a = 0x40 << k (alarm word), b = 2 << k; item 10
//   3     0 1  "limit"      (transmitter supply) a = bit 0, b = 0x800, both in the second word
//
// An output whose alarm function (bits 2-3 of its alarm word) is 0 is not used and
// every mode of it reads 0. Row 0 of the supervision pages stands for the whole
// system group of error sources (memories, processors, supplies).
#include <cstdint>
#include <span>
#include <string>

namespace dvx::model {

// Alarm word and second words of outputs 1..4 (index 0..3).
inline constexpr int chk_alarm_words[4] = {83, 84, 85, 86};
inline constexpr int chk_krv_second_words[4] = {70, 96, 114, 127};
inline constexpr int chk_dlx_second_words[4] = {79, 87, 96, 101};

// Mode of `item` for the output with alarm word a and second word b (indexes into
// param_image). 0 for an unused output, an item outside the layout (KRV 0..9, DLX
// 0..10) or an index outside the image. DLX: a pair with only bit b set reads 3 only
// from firmware "3.01" on (curr_version, string order), below as 0.
std::int16_t get_chk_mode_30(int item, int a, int b);
std::int16_t get_chk_mode_m(int item, int a, int b);

// Writes a mode for one row of the supervision page (KRV rows 0, 3, 4, 5, 6, 9; DLX
// rows 0, 3, 4, 5, 6, 8, 10). Another row, a mode outside 0..3 or an index outside
// the image changes nothing.
void set_chk_mode_30(int mode, int row, int a, int b);
void set_chk_mode_m(int mode, int row, int a, int b);

// The 9-character print column of a mode: a blank, the mode's text, blanks; "" for a
// value outside 0..3.
std::string chk_mode_text(int mode);

// Print line of one error source: the columns of outputs 1..3 and, when S_SNAP is not
// ticked, output 4. KRV: an unused output prints 9 blanks (output 4 nothing); DLX:
// every output prints its mode, an unused one mode 0.
std::string chk_print_line_30(int item);
std::string chk_print_line_m(int item);

// The system group in one word: its bits count as set exactly when the representative
// bit is set. Filling a supervision page makes every word's group whole or empty by it.
struct GroupBits {
    int word;
    std::uint16_t representative;
    std::uint16_t group;
};
// KRV: word 75 and the reaction words by the slave processor's bit 0x002, the alarm
// words by its a-bit 0x0080 (0x002 << 6).
inline constexpr GroupBits krv_group_bits[] = {
    {75, 0x0002, 0x0287}, {83, 0x0080, 0xA1C0},  {84, 0x0080, 0xA1C0},
    {85, 0x0080, 0xA1C0}, {86, 0x0080, 0xA1C0},  {70, 0x0002, 0x0287},
    {96, 0x0002, 0x0287}, {114, 0x0002, 0x0287}, {127, 0x0002, 0x0287},
};
// DLX: word 75 by the EEPROM bit 0x001, the alarm words by its a-bit 0x0040, the reaction
// words by its b-bit 0x0002 (the group 0x287 shifted left by one: 0x050E).
inline constexpr GroupBits dlx_group_bits[] = {
    {75, 0x0001, 0x0287}, {83, 0x0040, 0xA1C0}, {84, 0x0040, 0xA1C0},
    {85, 0x0040, 0xA1C0}, {86, 0x0040, 0xA1C0}, {79, 0x0002, 0x050E},
    {87, 0x0002, 0x050E}, {96, 0x0002, 0x050E}, {101, 0x0002, 0x050E},
};
// Sets or clears each row's group in param_image by its representative bit, in table order.
void normalise_group_bits(std::span<const GroupBits> table);

// The bit mask in error-source word 75 of a DLX supervision page row; another row
// shows "index off range !" and gives 0.
std::uint16_t index_to_mask(int row);

}  // namespace dvx::model

#include "model/supervision_bits.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "model/main_view_hooks.h"
#include "model/param_image.h"
#include "model/view_bindings.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

// Where bit a and bit b of one item (or page row) lie. b always lies in the second
// word; a lies in the alarm word, except for the DLX transmitter-supply item.
struct PairBits {
    std::uint16_t a;
    std::uint16_t b;
    bool a_in_second = false;
};

struct RowBits {
    int row;
    PairBits bits;
};

// KRV items 0..9 by error source: a = e << 6, b = e.
constexpr std::array<PairBits, 10> krv_items{{
    {0x0080, 0x0002},  // 0 slave processor
    {0x2000, 0x0080},  // 1 supply of the slave processor
    {0x0100, 0x0004},  // 2 supply of the master processor
    {0x1000, 0x0040},  // 3 mV measuring circuit
    {0x0400, 0x0010},  // 4 resistance measuring circuit
    {0x0200, 0x0008},  // 5 output signal
    {0x0800, 0x0020},  // 6 sensor or lead break
    {0x8000, 0x0200},  // 7 RAM/EPROM memory
    {0x0040, 0x0001},  // 8 EEPROM memory
    {0x4000, 0x0100},  // 9 relays
}};

// DLX items 0..10: item k is error bit 2^k of word 75; a = 0x40 << k, b = 2 << k,
// item 10 (transmitter supply) has both bits in the second word.
constexpr std::array<PairBits, 11> dlx_items = [] {
    std::array<PairBits, 11> items{};
    for (int k = 0; k < 10; ++k)
        items[k] = {static_cast<std::uint16_t>(0x40 << k), static_cast<std::uint16_t>(2 << k)};
    items[10] = {0x0001, 0x0800, true};
    return items;
}();

// Page rows. Row 0 is the system group: KRV items 0, 1, 2, 7, 8; DLX items 0, 1, 2, 7, 9.
constexpr std::array<RowBits, 6> krv_rows{{
    {0, {0xA1C0, 0x0287}},
    {3, krv_items[3]},
    {4, krv_items[4]},
    {5, krv_items[5]},
    {6, krv_items[6]},
    {9, krv_items[9]},
}};
constexpr std::array<RowBits, 7> dlx_rows{{
    {0, {0xA1C0, 0x050E}},
    {3, dlx_items[3]},
    {4, dlx_items[4]},
    {5, dlx_items[5]},
    {6, dlx_items[6]},
    {8, dlx_items[8]},
    {10, dlx_items[10]},
}};

// Error-source word 75 by DLX page row.
struct RowMask {
    int row;
    std::uint16_t mask;
};
constexpr std::array<RowMask, 7> dlx_row_masks{{
    {0, 0x287},
    {3, 0x008},
    {4, 0x010},
    {5, 0x020},
    {6, 0x040},
    {8, 0x100},
    {10, 0x400},
}};

// Message-table names of modes 0..3.
constexpr std::array<std::string_view, 4> mode_names{"msg_err_relay_lim_prio", "msg_err_relay_off",
                                                     "msg_err_relay_on", "msg_err_relay_limit"};

bool in_image(int k) {
    return k >= 0 && k < param_image_size;
}

std::uint16_t word(int k) {
    return static_cast<std::uint16_t>(param_image[k]);
}

bool output_used(int alarm_word) {
    return (word(alarm_word) & 0x000C) != 0;
}

std::int16_t read_mode(const PairBits& bits, int a, int b) {
    const bool bit_a = (word(bits.a_in_second ? b : a) & bits.a) != 0;
    const bool bit_b = (word(b) & bits.b) != 0;
    if (!output_used(a)) return 0;
    if (bit_a) return bit_b ? 2 : 1;
    return bit_b ? 3 : 0;
}

void put_bits(int k, std::uint16_t mask, bool on) {
    const std::uint16_t w = on ? word(k) | mask : word(k) & static_cast<std::uint16_t>(~mask);
    param_image[k] = static_cast<std::int16_t>(w);
}

void write_mode(std::span<const RowBits> rows, int mode, int row, int a, int b) {
    if (mode < 0 || mode > 3 || !in_image(a) || !in_image(b)) return;
    for (const RowBits& r : rows) {
        if (r.row != row) continue;
        // Mode -> (a, b): 0 (0, 0), 1 (1, 0), 2 (1, 1), 3 (0, 1).
        put_bits(r.bits.a_in_second ? b : a, r.bits.a, mode == 1 || mode == 2);
        put_bits(b, r.bits.b, mode == 2 || mode == 3);
        return;
    }
}

}  // namespace

std::int16_t get_chk_mode_30(int item, int a, int b) {
    if (item < 0 || item >= static_cast<int>(krv_items.size()) || !in_image(a) || !in_image(b))
        return 0;
    return read_mode(krv_items[item], a, b);
}

std::int16_t get_chk_mode_m(int item, int a, int b) {
    if (item < 0 || item >= static_cast<int>(dlx_items.size()) || !in_image(a) || !in_image(b))
        return 0;
    const std::int16_t mode = read_mode(dlx_items[item], a, b);
    // Older DLX firmware has no "limit" reaction.
    if (mode == 3 && main_view_hooks().curr_version() < "3.01") return 0;
    return mode;
}

void set_chk_mode_30(int mode, int row, int a, int b) {
    write_mode(krv_rows, mode, row, a, b);
}

void set_chk_mode_m(int mode, int row, int a, int b) {
    write_mode(dlx_rows, mode, row, a, b);
}

std::string chk_mode_text(int mode) {
    if (mode < 0 || mode > 3) return {};
    std::string s = " " + message(mode_names[mode]);
    s.resize(9, ' ');
    return s;
}

std::string chk_print_line_30(int item) {
    std::string line;
    for (int k = 0; k < 3; ++k) {
        const int a = chk_alarm_words[k];
        line += output_used(a) ? chk_mode_text(get_chk_mode_30(item, a, chk_krv_second_words[k]))
                               : std::string(9, ' ');
    }
    // With S_SNAP the device has no fourth alarm output.
    if (!main_view_hooks().s_snap() && output_used(chk_alarm_words[3]))
        line += chk_mode_text(get_chk_mode_30(item, chk_alarm_words[3], chk_krv_second_words[3]));
    return line;
}

std::string chk_print_line_m(int item) {
    std::string line;
    const int outputs = main_view_hooks().s_snap() ? 3 : 4;
    for (int k = 0; k < outputs; ++k)
        line += chk_mode_text(get_chk_mode_m(item, chk_alarm_words[k], chk_dlx_second_words[k]));
    return line;
}

void normalise_group_bits(std::span<const GroupBits> table) {
    for (const GroupBits& g : table)
        put_bits(g.word, g.group, (word(g.word) & g.representative) != 0);
}

std::uint16_t index_to_mask(int row) {
    for (const RowMask& r : dlx_row_masks)
        if (r.row == row) return r.mask;
    ui::msg_box("index off range !", ui::mb_ok);
    return 0;
}

}  // namespace dvx::model

#include "model/block_transfer.h"

#include <algorithm>

#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "model/comment_text.h"
#include "model/model_setup.h"
#include "model/param_image.h"
#include "model/view_bindings.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

constexpr int param_base = 1000;
constexpr int comment_base = 2000;
constexpr int comment_block_words = 1000;

constexpr int read_chunk = 16;     // parameter read requests
constexpr int write_chunk = 32;    // parameter write requests
constexpr int comment_chunk = 25;  // comment requests, both directions
constexpr float comment_pause_seconds = 0.3f;

// Parameter words by role in the write.
constexpr int first_setting = 70;  // 0..69 calibration values
constexpr int bus_address = 113;   // written on the direct bus only
constexpr int serial_first = 123;  // 123..126 serial number
constexpr int serial_words = 4;
constexpr int base_words = 127;  // words from 127 exist with 128 or 140 words

void show(std::string_view name) {
    ui::show_titled(message(name));
}

// write_regs over words [from, to) in requests of at most 32 registers; false at the
// first failed request.
bool write_words(int from, int to) {
    for (int p = from; p < to;) {
        const int n = std::min(to - p, write_chunk);
        if (link::write_regs(param_base + p, n) != 0) return false;
        p += n;
    }
    return true;
}

bool write_param_words(bool with_cal, bool with_serial) {
    const int first = with_cal ? 0 : first_setting;
    if (bus_mode == 0) {
        if (!write_words(first, serial_first)) return false;
    } else {
        // Behind a gateway word 113 would re-address the transmitter on the rack bus.
        if (!write_words(first, bus_address)) return false;
        if (!write_words(bus_address + 1, serial_first)) return false;
    }
    if (with_serial && link::write_regs(param_base + serial_first, serial_words) != 0) return false;
    if (param_count > base_words &&
        link::write_regs(param_base + base_words, param_count - base_words) != 0)
        return false;
    return send_store_command() == 0;
}

}  // namespace

std::int16_t send_store_command() {
    link::status_regs[store_command_reg] = 1;
    return link::write_regs(store_command_reg, 1);
}

std::int16_t read_param_block(int type_code, std::int16_t version_word) {
    if (const auto count = device_param_count(type_code, version_word)) param_count = *count;
    std::int16_t result = 0;
    for (int i = 0; i < param_count; i += read_chunk) {
        if (link::read_regs(param_base + i, read_chunk) != 0) {
            result = 1;
            break;
        }
    }
    // Never show one device's comment beside another device's parameters.
    clear_comment_text();
    return result;
}

std::int16_t write_param_block(bool with_cal, bool with_serial) {
    if (!write_param_words(with_cal, with_serial)) {
        show("msg_params_not_transmitted");
        return 1;
    }
    show("msg_params_transmitted");
    return 0;
}

std::int16_t is_comment_end(int start, int count) {
    const int last_index = static_cast<int>(link::comment_regs.size()) - 1;
    for (int j = start; j < start + count; ++j) {
        if (j < 0 || j > last_index) return 1;
        const auto w = static_cast<std::uint16_t>(link::comment_regs[j]);
        if ((w >> 8) == 3 || (w & 0xFF) == 3) return 1;
    }
    return 0;
}

std::int16_t read_comment_block() {
    for (int i = 0; i < comment_block_words; i += comment_chunk) {
        if (link::read_regs(comment_base + i, comment_chunk) != 0) return 1;
        if (is_comment_end(i, comment_chunk) == 1) break;
    }
    return 0;
}

int comment_word_count(int length) {
    // length / 2 + 1 to the nearest whole number, a half to the even neighbour: an
    // even length gives an exact count, an odd one k + 1.5 gives the even of k+1, k+2.
    const int whole = std::max(length, 0) / 2 + 1;
    int n = (length > 0 && length % 2 == 1 && whole % 2 == 1) ? whole + 1 : whole;
    return std::min(n, comment_block_words);
}

std::int16_t write_comment_block(int length) {
    const int n = comment_word_count(length);
    for (int i = 0; i < n;) {
        const int k = std::min(n - i, comment_chunk);
        if (link::write_regs(comment_base + i, k) != 0) {
            show("msg_params_not_transmitted");
            return 1;
        }
        i += k;
        link::wait_seconds(comment_pause_seconds);
    }
    show("msg_comment_transmitted");
    return 0;
}

}  // namespace dvx::model

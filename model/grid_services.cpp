#include "model/grid_services.h"

#include <array>
#include <string>

#include "link/register_images.h"
#include "model/param_words.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::model {

void set_gauge(ui::Gauge& gauge, std::int16_t value) {
    if (value < gauge.min())
        gauge.set_value(gauge.min());
    else if (value > gauge.max())
        gauge.set_value(gauge.max());
    else
        gauge.set_value(value);
}

namespace {

// Diagnosis row -> low word of its bitmap in hzl_regs (the high word follows).
constexpr std::array<int, 6> hzl_diag_low_word = {3, 7, 9, 11, 13, 15};
constexpr int hzl_diag_racks = 30;

bool is_digit(int key) {
    return key >= '0' && key <= '9';
}

// Does a printable key pass its field type, given the text before the key?
bool passes(int key, int field_type, int max_len, const std::string& text) {
    const auto length = static_cast<int>(text.size());
    switch (field_type) {
        case 0:
        case 3:
        case 5:
            return max_len < 1 || length < max_len;
        case 1:
            return is_digit(key) && length < max_len;
        case 2:
            return is_digit(key) || (key == ',' && text.find(',') == std::string::npos);
        case 4:
            return key == 'M' || key == 'm' || key == 'W' || key == 'w';
        case 6:
            return is_digit(key) || key == ':';
        case 7:
            return is_digit(key) || key == '.';
        default:
            return true;
    }
}

}  // namespace

void set_hzl_diag(ui::Grid& flg_diag) {
    for (std::size_t i = 0; i < hzl_diag_low_word.size(); ++i) {
        const auto w = static_cast<std::size_t>(hzl_diag_low_word[i]);
        put_hzl_diag(flg_diag, static_cast<int>(i) + 1,
                     long_from_words(link::hzl_regs[w], link::hzl_regs[w + 1]));
    }
}

void put_hzl_diag(ui::Grid& flg_diag, int row, std::int32_t bitmap) {
    const auto bits = static_cast<std::uint32_t>(bitmap);
    for (int c = 1; c <= hzl_diag_racks; ++c)
        flg_diag.set_text_matrix(row, c, (bits >> (c - 1)) & 1u ? "X" : "");
}

std::int16_t grid_key_filter(int& key, int field_type, int max_len) {
    std::string text;
    try {
        text = ui::active_control().text();
    } catch (const ui::UiFault& f) {
        ui::show_titled(f.text());
        return 0;
    }
    if (key == 8) return 0;
    if (key == 13) {
        if (field_type != 5) {
            key = 0;
            ui::send_keys("{TAB}");
        }
        return 0;
    }
    if (key == 27) return 1;
    if (key < 32) {
        key = 0;
        return 0;
    }
    if (!passes(key, field_type, max_len, text)) key = 0;
    if (key == '\'') {
        key = 0;
        ui::send_keys("` ");
    }
    return 0;
}

}  // namespace dvx::model

#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "model/checked_file.h"
#include "model/firmware.h"
#include "model/main_view_hooks.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "ui/message_box.h"
#include "ui/services.h"

namespace dvx::model {

std::int16_t range_check_latch = 0;

RangeMessages& range_messages() {
    static RangeMessages m;
    return m;
}

namespace {

// Number of characters after the first "." (0 when there is none).
int decimals_of(const std::string& text) {
    const auto dot = text.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}

// Val of the text without its dots, as a double: beyond any integer width, so a
// comparison with the limits sees the whole value.
double raw_value(const std::string& text) {
    return leading_number(remove_dots(text));
}

// Rounded half to even and held inside [lo, hi].
double round_held(double v, double lo, double hi) {
    if (std::isnan(v)) return 0;
    if (v <= lo) return lo;
    if (v >= hi) return hi;
    return std::nearbyint(v);  // default rounding mode: halves to even
}

std::int16_t percent(double v, double limit) {
    if (v < 0) return 0;
    if (v >= limit) return 100;
    return static_cast<std::int16_t>(std::nearbyint(v * 100.0 / limit));
}

void refuse(const std::string& too_far, const std::string& enter, std::int32_t limit,
            int decimals) {
    ui::show_titled(too_far + "\r\n" + enter + raw_to_text(std::to_string(limit), decimals));
    ui::send_keys("{ESC}");
}

// The text with the selection (clamped; sel_start < 0: the caret at the end) replaced.
std::string with_selection_replaced(const std::string& text, int sel_start, int sel_length,
                                    const std::string& with) {
    const auto n = text.size();
    const auto start =
        sel_start < 0 ? n : std::min<std::size_t>(static_cast<std::size_t>(sel_start), n);
    const auto len =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(0, sel_length)), n - start);
    std::string made = text;
    made.replace(start, len, with);
    return made;
}

// A text the number keys may make: at most 7 characters, and at most one "." (none
// without decimals).
bool made_number_ok(const std::string& made, int d) {
    if (made.size() > 7) return false;
    const auto dots = std::count(made.begin(), made.end(), '.');
    return dots == 0 || (d > 0 && dots == 1);
}

}  // namespace

std::string remove_dots(const std::string& text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != '.') s += c;
    return s;
}

std::string strip_inner_minus(const std::string& text) {
    if (text.empty()) return text;
    std::string s(1, text[0]);
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] != '-') s += text[i];
    return s;
}

std::string raw_to_text(const std::string& raw, int d) {
    if (d < 0) d = 0;
    std::string s = remove_dots(raw);
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) s.erase(0, 1);
    if (static_cast<int>(s.size()) <= d)
        s.insert(0, static_cast<std::size_t>(d + 1) - s.size(), '0');
    if (negative) s.insert(0, 1, '-');
    if (d > 0) s.insert(s.size() - static_cast<std::size_t>(d), 1, '.');
    return s;
}

std::string fmt_fixed(const std::string& text, int d) {
    if (d < 0) d = 0;
    std::string t = strip_inner_minus(text);
    const int p = decimals_of(t);
    if (p < d)
        t.append(static_cast<std::size_t>(d - p), '0');
    else
        t.erase(t.size() - static_cast<std::size_t>(p - d));  // p - d <= the characters after "."
    return raw_to_text(t, d);
}

std::int16_t text_to_raw(const std::string& text) {
    return static_cast<std::int16_t>(round_held(raw_value(text), -32768.0, 32767.0));
}

std::int16_t key_is_invalid(int key, int d, const std::string& text, int sel_start,
                            int sel_length) {
    if (key == 8 || key == 9 || key == 13 || key == 27) return 0;
    if (key == ',') key = '.';
    const bool digit_or_minus = (key >= '0' && key <= '9') || key == '-';
    if (!digit_or_minus && key != '.') return 1;
    const std::string made = with_selection_replaced(text, sel_start, sel_length,
                                                     std::string(1, static_cast<char>(key)));
    return made_number_ok(made, d) ? 0 : 1;
}

int number_key(int key, int d, const std::string& text, int sel_start, int sel_length) {
    if (key_is_invalid(key, d, text, sel_start, sel_length)) return 0;
    return key == ',' ? '.' : key;
}

std::string number_paste(const std::string& pasted, int d, const std::string& text, int sel_start,
                         int sel_length) {
    std::string with = pasted;
    for (char& ch : with) {
        if (ch == ',') ch = '.';
        if (!(ch >= '0' && ch <= '9') && ch != '-' && ch != '.') return {};
    }
    if (with.empty()) return {};
    const std::string made = with_selection_replaced(text, sel_start, sel_length, with);
    return made_number_ok(made, d) ? with : std::string{};
}

bool within_range(const std::string& text, std::int32_t min, std::int32_t max) {
    const double v = raw_value(text);
    return v >= min && v <= max;
}

std::int16_t check_range(const std::string& text, std::int32_t min, std::int32_t max) {
    const double v = raw_value(text);
    const bool too_large = v > max;
    const bool too_small = v < min;
    if (range_check_latch != 0) {
        // A check already ran since the last key: its box (if any) is up or was shown.
        // Show no second one, but never let an unchecked value outside the limits
        // through; Esc refills the field from the image.
        if (!too_large && !too_small) return 0;
        ui::send_keys("{ESC}");
        return 1;
    }
    range_check_latch = 1;
    const int p = decimals_of(text);
    const auto& m = range_messages();
    if (too_large) {
        refuse(m.value_too_large(), m.enter_value_till(), max, p);
        range_check_latch = 1;
        return 1;
    }
    if (too_small) {
        refuse(m.value_too_small(), m.enter_value_from(), min, p);
        range_check_latch = 1;
        return 1;
    }
    return 0;
}

void entry_key(int key, const std::function<void()>& refill) {
    if (key == 13) ui::send_keys("{TAB}");
    if (key == 27)
        refill();
    else
        range_check_latch = 0;
}

std::string trim_blanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string pad_right(const std::string& text, int width) {
    if (width <= 0) return {};
    const std::string s = text + std::string(110, ' ');
    return s.substr(0, static_cast<std::size_t>(width));
}

std::string pad_left(const std::string& text, int width) {
    if (width <= 0) return {};
    const std::string s = std::string(59, ' ') + text;
    const auto w = static_cast<std::size_t>(width);
    return w >= s.size() ? s : s.substr(s.size() - w);
}

std::string hex4(std::int16_t w) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const auto u = static_cast<std::uint16_t>(w);
    std::string s(4, '0');
    for (int i = 0; i < 4; ++i) s[3 - i] = digits[(u >> (4 * i)) & 0xF];
    return s;
}

std::int16_t percent_of_param(int k) {
    const std::int32_t v = long_from_words(param_image.at(k), param_image.at(k + 1));
    const double limit = krv_fw_at_least_400() ? 8000000.0 : 390000.0;
    return percent(std::fabs(static_cast<double>(v)), limit);
}

std::int16_t percent_of_255(int k) {
    return percent(param_image.at(k), 255.0);
}

std::int16_t percent_of_range(int k) {
    if (main_view_hooks().s_dlx()) return percent(param_image.at(k), 32767.0);
    return percent(long_from_words(param_image.at(k), param_image.at(k + 1)), 1700000.0);
}

std::int16_t scale_linear(std::int16_t x, std::int16_t x0, std::int16_t x1, std::int16_t y0,
                          std::int16_t y1) {
    if (x1 == x0) return 0;
    // Differences in 32 bits: 16-bit ones overflow for ordinary calibration points.
    const std::int32_t dx = x - x0, span = x1 - x0, dy = y1 - y0;
    const double r = static_cast<double>(dx) * dy / span + y0;
    return static_cast<std::int16_t>(round_held(r, -32000.0, 32000.0));
}

std::int16_t scale_param(int k, std::int32_t divisor, std::int32_t multiplier) {
    if (k < 0 || k + 1 >= param_image_size || divisor == 0) return 1;
    const std::int32_t v = long_from_words(param_image[k], param_image[k + 1]);
    const double w = std::nearbyint(static_cast<double>(v) * multiplier / divisor);
    if (!(w >= std::numeric_limits<std::int32_t>::min() &&
          w <= std::numeric_limits<std::int32_t>::max()))
        return 1;
    put_long(static_cast<std::int32_t>(w), k);
    return 0;
}

}  // namespace dvx::model

#include "model/checked_file.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

platform::Files& files() {
    platform::Files* f = ui::services().files;
    if (!f) throw ui::UiFault(platform::FaultText::no_files);
    return *f;
}

// Runs one step of a file operation; a fault asks Retry or Cancel and Retry runs the
// step again. False when the user gave up.
template <class Step>
bool with_retry(Step step) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const ui::UiFault& fault) {
            if (ui::msg_box(fault.text(), ui::mb_retry_cancel, ui::program_title) != ui::id_retry)
                return false;
        }
    }
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

struct NumberScan {
    std::size_t end = 0;  // one past the last character of the number
    bool found = false;
    double value = 0;
};

// Reads sign, digits, fraction and exponent from position i on, as far as they form a
// number. The digits are handed to from_chars, which ignores the locale.
NumberScan scan_number(std::string_view t, std::size_t i) {
    NumberScan r;
    std::size_t p = i;
    std::string num;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) {
        if (t[p] == '-') num += '-';
        ++p;
    }
    // Decimal magnitude of the mantissa, used only to tell overflow from underflow.
    long long magnitude = 0;
    bool nonzero_seen = false;
    std::size_t digits = 0;
    while (p < t.size() && is_digit(t[p])) {
        if (t[p] != '0') nonzero_seen = true;
        if (nonzero_seen) ++magnitude;
        num += t[p++];
        ++digits;
    }
    if (p < t.size() && t[p] == '.') {
        num += t[p++];
        while (p < t.size() && is_digit(t[p])) {
            if (!nonzero_seen) {
                if (t[p] != '0')
                    nonzero_seen = true;
                else
                    --magnitude;
            }
            num += t[p++];
            ++digits;
        }
    }
    if (digits == 0) return r;
    r.found = true;
    r.end = p;
    long long exponent = 0;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E' || t[p] == 'd' || t[p] == 'D')) {
        std::size_t q = p + 1;
        std::string exp_text = "e";
        bool negative = false;
        if (q < t.size() && (t[q] == '+' || t[q] == '-')) {
            negative = t[q] == '-';
            exp_text += t[q++];
        }
        std::size_t exp_digits = 0;
        while (q < t.size() && is_digit(t[q])) {
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (t[q] - '0');
            exp_text += t[q++];
            ++exp_digits;
        }
        if (exp_digits > 0) {
            num += exp_text;
            r.end = q;
            if (negative) exponent = -exponent;
        } else {
            exponent = 0;
        }
    }
    double v = 0;
    auto res = std::from_chars(num.data(), num.data() + num.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        const bool negative = !num.empty() && num[0] == '-';
        v = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        if (negative) v = -v;
    } else if (res.ec != std::errc{}) {
        v = 0;
    }
    r.value = v;
    return r;
}

// Characters the scrambler swaps before it looks at letters and digits.
constexpr std::pair<char, char> swapped_marks[] = {{'.', '%'}, {'%', '.'}, {' ', '$'}, {'$', ' '}};

template <class Int>
std::optional<Int> round_to(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    const double r = std::nearbyint(v);  // the default rounding mode: halves to even
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

}  // namespace

std::int64_t checked_sum(std::string_view content) {
    std::int64_t sum = 0;
    for (char c : content) sum += static_cast<unsigned char>(c) ^ 0x5555;
    return sum;
}

namespace {

std::string checked_bytes(const std::string& content) {
    std::string bytes = content;
    bytes += checked_end_mark;
    bytes += ' ';  // the sign position of a sum that is never negative
    bytes += std::to_string(checked_sum(content));
    return bytes;
}

// The content of a file's bytes, or the empty text when they are no sound checked file.
std::string checked_content(std::string raw) {
    if (raw.size() > checked_max_file) return {};
    // The last end mark: a sum text never holds one, so content may.
    const auto mark = raw.rfind(checked_end_mark);
    if (mark == std::string::npos) return {};
    if (mark > checked_max_content) return {};
    const auto stored = round_to_i32(leading_number(std::string_view(raw).substr(mark + 1)));
    if (!stored) return {};
    raw.resize(mark);
    if (checked_sum(raw) != *stored) return {};
    return raw;
}

}  // namespace

int write_checked_file(const std::string& path, const std::string& content) {
    platform::Files& f = files();
    f.close_all();
    const std::string bytes = checked_bytes(content);
    // The file service replaces the file as a whole under its lock, so a failed write or
    // another instance saving at the same moment never leaves a part of a file.
    return with_retry([&] { f.write_all(path, bytes); }) ? 0 : 1;
}

int update_checked_file(const std::string& path,
                        const std::function<std::string(const std::string&)>& make) {
    platform::Files& f = files();
    f.close_all();
    return with_retry([&] {
               f.update_all(path, checked_max_file + 1, [&](const std::optional<std::string>& raw) {
                   return checked_bytes(make(raw ? checked_content(*raw) : std::string()));
               });
           })
               ? 0
               : 1;
}

std::string read_checked_file(const std::string& path) {
    platform::Files& f = files();
    f.close_all();
    bool present = false;
    if (!with_retry([&] { present = f.exists(path); }) || !present) return {};
    std::string raw;
    if (!with_retry([&] { raw = f.read_all(path, checked_max_file + 1); })) return {};
    f.close_all();
    return checked_content(std::move(raw));
}

std::string split_bar(std::string& list) {
    const auto bar = list.find('|');
    if (bar == std::string::npos) {
        std::string all = std::move(list);
        list.clear();
        return all;
    }
    std::string field = list.substr(0, bar);
    list.erase(0, bar + 1);
    return field;
}

std::string scramble_text(const std::string& text) {
    if (text.size() <= 1) return text;
    int k = static_cast<int>(text.size() & 15);
    if (k < 2) k = 6;
    auto alnum = [](int c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    std::string out;
    out.reserve(text.size());
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        int c = static_cast<unsigned char>(*it);
        for (const auto& [from, to] : swapped_marks) {
            if (c == static_cast<unsigned char>(from)) {
                c = static_cast<unsigned char>(to);
                break;
            }
        }
        const int x = c ^ k;
        out += static_cast<char>(alnum(c) && alnum(x) ? x : c);
    }
    return out;
}

double leading_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return scan_number(text, i).value;
}

std::optional<double> numeric_value(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    const auto s = scan_number(text.substr(0, e), b);
    if (!s.found || s.end != e || !std::isfinite(s.value)) return std::nullopt;
    return s.value;
}

std::optional<std::int32_t> round_to_i32(double v) {
    return round_to<std::int32_t>(v);
}
std::optional<std::int16_t> round_to_i16(double v) {
    return round_to<std::int16_t>(v);
}

}  // namespace dvx::model

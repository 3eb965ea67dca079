#include "model/param_words.h"

#include <optional>
#include <stdexcept>

#include "link/register_images.h"
#include "model/device_charset.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "platform/fault.h"
#include "ui/message_box.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

// Throws unless words k..k+count-1 all lie inside an image of `size` words.
void check_words(int k, int count, int size, const char* what) {
    if (k < 0 || k > size - count)
        throw std::out_of_range(std::string(what) + ": word index " + std::to_string(k) +
                                " outside the image");
}

// Position of the lowest set bit; -1 for a mask without any bit.
int field_position(std::uint16_t mask) {
    if (mask == 0) return -1;
    int pos = 0;
    while ((mask & (1u << pos)) == 0) ++pos;
    return pos;
}

std::int16_t as_word(unsigned pattern) {
    return static_cast<std::int16_t>(pattern & 0xFFFFu);
}
unsigned as_pattern(std::int16_t word) {
    return static_cast<std::uint16_t>(word);
}

}  // namespace

std::int16_t shl16(std::int16_t value, int n) {
    if (n <= 0) return value;
    if (n > 15) return 0;
    return as_word(as_pattern(value) << n);
}

std::int16_t shr16(std::int16_t value, int n) {
    if (n <= 0) return value;
    if (n > 15) return 0;
    return as_word(as_pattern(value) >> n);
}

std::int32_t shr32(std::int32_t value, int n) {
    if (n <= 0) return value;
    if (n > 31) return value < 0 ? -1 : 0;
    // >> on a negative value is arithmetic in C++20, i.e. floor(value / 2^n).
    return value >> n;
}

std::string text_from_params(int k) {
    check_words(k, 4, param_image_size, "text_from_params");
    std::string t;
    t.reserve(8);
    for (int j = 0; j < 4; ++j) {
        const std::int16_t w = param_image[k + j];
        t += static_cast<char>(from_device_char(as_pattern(w) & 0xFF));
        t += static_cast<char>(from_device_char(as_pattern(shr16(w, 8)) & 0xFF));
    }
    return t;
}

std::array<std::int16_t, 4> text_words(const std::string& t) {
    auto code = [&t](std::size_t i) {
        return i < t.size() ? to_device_char(static_cast<unsigned char>(t[i])) : int{' '};
    };
    std::array<std::int16_t, 4> words{};
    for (std::size_t j = 0; j < 4; ++j) {
        const int c1 = code(2 * j);
        const int c2 = code(2 * j + 1);
        words[j] = as_word(static_cast<unsigned>(c1) | static_cast<unsigned>(c2) << 8);
    }
    return words;
}

void text_to_params(int k, const std::string& t) {
    check_words(k, 4, param_image_size, "text_to_params");
    const auto words = text_words(t);
    for (int j = 0; j < 4; ++j) param_image[k + j] = words[static_cast<std::size_t>(j)];
}

std::string text8_entry(const std::string& entry) {
    std::string t = trim_blanks(entry).substr(0, 8);
    if (t.size() < 8) {
        t.insert(t.begin(), ' ');
        t.resize(8, ' ');
    }
    return t;
}

std::int16_t word_bitfield(std::span<const std::int16_t> image, int k, std::uint16_t mask) {
    check_words(k, 1, static_cast<int>(image.size()), "bitfield");
    const int pos = field_position(mask);
    if (pos < 0) return 0;
    return as_word((as_pattern(image[k]) & mask) >> pos);
}

std::int16_t param_bitfield(int k, std::uint16_t mask) {
    return word_bitfield(param_image, k, mask);
}

std::int16_t block_bitfield(int k, std::uint16_t mask) {
    return word_bitfield(link::status_regs, k, mask);
}

void put_value(int k, std::uint16_t mask, std::int16_t value) {
    std::optional<platform::FaultText> fault;
    const int pos = field_position(mask);
    if (k < 0 || k >= param_image_size)
        fault = platform::FaultText::bad_subscript;
    else if (pos < 0)
        fault = platform::FaultText::overflow;
    if (fault) {
        ui::show_titled(platform::fault_text(*fault) + " (put_value)");
        return;
    }
    const unsigned v = as_pattern(shl16(value, pos));
    param_image[k] = as_word((v & mask) | (as_pattern(param_image[k]) & ~unsigned{mask}));
}

void put_long(std::int32_t value, int k) {
    check_words(k, 2, param_image_size, "put_long");
    const auto pattern = static_cast<std::uint32_t>(value);
    param_image[k] = as_word(pattern & 0xFFFFu);
    param_image[k + 1] = as_word(pattern >> 16);
}

std::string long_from_params(int k) {
    check_words(k, 2, param_image_size, "long_from_params");
    return std::to_string(long_from_words(param_image[k], param_image[k + 1]));
}

std::int32_t long_from_block(int k) {
    check_words(k, 2, static_cast<int>(link::status_regs.size()), "long_from_block");
    return long_from_words(link::status_regs[k], link::status_regs[k + 1]);
}

std::string tag_line(const std::string& adr_text) {
    const std::string padded = "   " + adr_text;
    return padded.substr(padded.size() - 3) + "   " + text_from_params(123) + "   " +
           text_from_params(119);
}

std::string tag_header() {
    return "          TAG No: " + text_from_params(119);
}

}  // namespace dvx::model

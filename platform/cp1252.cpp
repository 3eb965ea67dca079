#include "platform/cp1252.h"

#include <array>
#include <cstdint>

namespace dvx::platform {
namespace {

// Code points of bytes 0x80..0x9F; the five unassigned bytes keep their own value.
constexpr std::array<char32_t, 32> high_c1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t byte_to_cp(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) return high_c1[b - 0x80];
    return b;
}

int cp_to_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < high_c1.size(); ++i)
        if (high_c1[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

// Decodes one UTF-8 sequence at s[i]; returns its length or 0 when invalid.
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t n;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms and surrogates are not UTF-8.
    static constexpr char32_t min_cp[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < min_cp[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool is_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const std::size_t n = decode(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Each character of s given to put; '?' in place of every byte that starts no UTF-8
// sequence.
template <class Put>
void each_character(std::string_view s, Put put) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const std::size_t n = decode(s, i, cp);
        put(n == 0 ? char32_t{'?'} : cp);
        i += n == 0 ? 1 : n;
    }
}

}  // namespace

std::string system_to_cp1252(std::string_view system) {
    std::string out;
    out.reserve(system.size());
    each_character(system, [&out](char32_t cp) {
        const int b = cp_to_byte(cp);
        out += b < 0 ? '?' : static_cast<char>(b);
    });
    return out;
}

std::string system_to_utf8(std::string_view system) {
    if (is_utf8(system)) return std::string(system);
    std::string out;
    out.reserve(system.size());
    each_character(system, [&out](char32_t cp) { append_utf8(out, cp); });
    return out;
}

std::string to_cp1252(std::string_view utf8) {
    if (!is_utf8(utf8)) return std::string(utf8);
    return system_to_cp1252(utf8);
}

std::string to_utf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 4);
    for (char c : cp1252) append_utf8(out, byte_to_cp(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8_to_cp1252(std::u8string_view utf8) {
    return to_cp1252(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace dvx::platform

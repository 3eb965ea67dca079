#include "texts/cp1252.h"

#include <array>
#include <cstdint>

namespace dvx::texts {
namespace {

// Windows-1252 puts 27 typographic characters where Latin-1 has the C1 controls
// 0x80..0x9F; 0 marks the five bytes that stand for nothing.
constexpr std::array<char32_t, 32> c1_block = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

char to_cp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < c1_block.size(); ++i) {
        if (c1_block[i] != 0 && c1_block[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::string utf8_to_cp1252(std::u8string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;  // smallest code point the length may carry: longer forms are overlong
        if (lead < 0x80) {
            len = 1, cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            len = 2, cp = lead & 0x1F, min = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            len = 3, cp = lead & 0x0F, min = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            len = 4, cp = lead & 0x07, min = 0x10000;
        } else {  // a stray continuation byte or an invalid lead byte
            out += '?';
            ++i;
            continue;
        }
        std::size_t n = 1;
        while (n < len && i + n < utf8.size() &&
               (static_cast<std::uint8_t>(utf8[i + n]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<std::uint8_t>(utf8[i + n]) & 0x3F);
            ++n;
        }
        const bool whole = n == len;
        const bool valid = whole && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        out += valid ? to_cp1252(cp) : '?';
        i += n;  // a cut sequence counts as one bad character; what follows is read afresh
    }
    return out;
}

}  // namespace dvx::texts

#pragma once
// The transmitters keep their short texts in 7-bit characters and show German letters
// in the national variant of DIN 66003, where "[", "\", "]", "{", "|", "}" and "~"
// stand for the umlauts and sharp s. Our texts are Windows-1252; these two
// conversions sit between them for every character of a packed 8-character text.
#include <array>

namespace dvx::model {

struct DeviceCharPair {
    int system;  // Windows-1252
    int device;  // DIN 66003
};

inline constexpr std::array<DeviceCharPair, 7> device_char_pairs{{
    {0xC4, 91},   // Ä  [
    {0xD6, 92},   // Ö  backslash
    {0xDC, 93},   // Ü  ]
    {0xE4, 123},  // ä  {
    {0xF6, 124},  // ö  |
    {0xFC, 125},  // ü  }
    {0xDF, 126},  // ß  ~
}};

// One of the seven letters gives its device code; any other code passes unchanged.
constexpr int to_device_char(int code) {
    for (const auto& p : device_char_pairs)
        if (p.system == code) return p.device;
    return code;
}

// Codes 91..93 and 123..126 give the letters; any other code passes unchanged.
constexpr int from_device_char(int code) {
    for (const auto& p : device_char_pairs)
        if (p.device == code) return p.system;
    return code;
}

}  // namespace dvx::model

#pragma once
// The parameter image and the few globals that sit below the device link: the link
// stores answers into param_image and maps registers by bus_mode, so they live in a
// library of their own below it that every folder may use. The model names them as
// its own (model/param_image.h).
#include <array>
#include <cstdint>

namespace dvx::images {

inline constexpr int param_image_size = 1001;  // words 0..1000

// Word p mirrors the device's holding register 1000 + p.
extern std::array<std::int16_t, param_image_size> param_image;
// Number of parameter words of the connected device (127, 128 or 140); 127 at start.
extern std::int16_t param_count;
// 0 direct bus, 1 HZL gateway, 2 HZL3 gateway; fixed at start from the marker files.
extern std::int16_t bus_mode;

// Default parameter image, words 0..126: what the program starts from and what a
// new transmitter of the simulator holds. Input type (99) 0; unit text (115..118)
// eight blanks (8224 = 0x2020), tag (119..122) eight "0" (12336 = 0x3030), serial
// number (123..126) eight "9" (14649 = 0x3939).
inline constexpr int default_image_words = 127;
// clang-format off
inline constexpr std::array<std::int16_t, default_image_words> default_param_image{
    9,     100,   0,     0,     2,     0,     8000,  100,   0,     100,    // 0..9
    0,     0,     2,     0,     2000,  100,   0,     0,     2,     0,      // 10..19
    1000,  0,     100,   0,     0,     2,     0,     2000,  0,     0,      // 20..29
    1,     100,   0,     0,     2,     0,     2000,  0,     0,     100,    // 30..39
    0,     0,     2,     0,     20000, 100,   0,     0,     2,     0,      // 40..49
    10000, 220,   220,   1000,  0,     100,   0,     26026, 5490,  128,    // 50..59
    250,   128,   180,   -30000, -1,   255,   1023,  0,     0,     0,      // 60..69
    0,     0,     0,     1000,  10,    0,     10,    2,     150,   2,      // 70..79
    0,     1000,  0,     4,     5,     4,     5,     0,     10,    10,     // 80..89
    10,    10,    5,     5,     5,     5,     5,     0,     1000,  0,      // 90..99
    10,    20,    30,    35,    205,   40,    200,   5,     0,     0,      // 100..109
    1000,  0,     1000,  259,   0,     8224,  8224,  8224,  8224,  12336,  // 110..119
    12336, 12336, 12336, 14649, 14649, 14649, 14649,                      // 120..126
};
// clang-format on

}  // namespace dvx::images

#pragma once
// The parameter image and the few globals that sit below the device link: the link
// stores answers into param_image and maps registers by bus_mode, so they live in a
// library of their own that every folder may use.
#include <array>
#include <cstdint>

namespace dvx::model {

inline constexpr int param_image_size = 1001;  // words 0..1000

// Word p mirrors the device's holding register 1000 + p.
extern std::array<std::int16_t, param_image_size> param_image;
// Number of parameter words of the connected device (127, 128 or 140); 127 at start.
extern std::int16_t param_count;
// 0 direct bus, 1 HZL gateway, 2 HZL3 gateway; fixed at start from the marker files.
extern std::int16_t bus_mode;

}  // namespace dvx::model

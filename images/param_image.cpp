#include "images/param_image.h"

namespace dvx::images {

std::array<std::int16_t, param_image_size> param_image{};
std::int16_t param_count = 127;
std::int16_t bus_mode = 0;

}  // namespace dvx::images

#pragma once
// The parameter image, the parameter count and the bus mode under the model's names.
// They live below the device link (images/param_image.h), which fills and reads them.
#include "images/param_image.h"

namespace dvx::model {

using images::bus_mode;
using images::default_image_words;
using images::default_param_image;
using images::param_count;
using images::param_image;
using images::param_image_size;

}  // namespace dvx::model

#include "mainwin/bulk_params.h"

namespace dvx::mainwin {

std::array<std::int16_t, 15> bulk_param_table{};

void init_bulk_params() {
    for (int i = 0; i < bulk_param_items; ++i) bulk_param_table[i] = bulk_param_words[i];
}

}  // namespace dvx::mainwin

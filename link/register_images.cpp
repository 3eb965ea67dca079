#include "link/register_images.h"

#include <algorithm>

#include "images/param_image.h"

namespace dvx::link {

std::array<std::int16_t, 66> status_regs{};
std::array<std::int16_t, 1001> comment_regs{};
std::array<std::int16_t, 27> bnr_regs{};
std::array<std::int16_t, 81> bnr_data_regs{};
std::array<std::int16_t, 42> hzl_regs{};
std::int32_t link_error_count = 0;
std::int16_t reg_win_start = 0;
std::int16_t reg_win_count = 0;

std::optional<RegisterMapRow> find_register_area(int start) {
    for (RegisterMapRow row : register_map) {
        if (row.area == RegisterArea::param)
            row.last =
                row.first + std::clamp<int>(images::param_count, 0, images::param_image_size) - 1;
        if (start >= row.first && start <= row.last) return row;
    }
    return std::nullopt;
}

std::span<std::int16_t> area_image(RegisterArea area) {
    switch (area) {
        case RegisterArea::status:
            return status_regs;
        case RegisterArea::param:
            return images::param_image;
        case RegisterArea::comment:
            return comment_regs;
        case RegisterArea::bnr:
            return bnr_regs;
        case RegisterArea::bnr_data:
            return bnr_data_regs;
        case RegisterArea::hzl:
            return hzl_regs;
        case RegisterArea::hzl_table:
        case RegisterArea::result_grid:
            break;
    }
    return {};
}

}  // namespace dvx::link

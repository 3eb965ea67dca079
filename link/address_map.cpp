#include "link/address_map.h"

#include "images/param_image.h"
#include "link/link_bindings.h"

namespace dvx::link {

namespace {

// Transmitter windows inside a gateway unit: HZL gives each of the 10 slots of a half
// 5000 registers from 5000 on (slot 10, register 2999 -> 52999); HZL3 gives each of
// the 16 slots 4000 registers from 1000 on (slot 16 -> 61000..64999, all below 65536).
struct GatewayLayout {
    int slots_per_half;
    std::int32_t window;
    std::int32_t first_window;
    std::int32_t process_data_offset;  // logical 11000.. -> this + (g - 11000)
};

constexpr GatewayLayout hzl_layout{10, 5000, 5000, 1000};
constexpr GatewayLayout hzl3_layout{16, 4000, 1000, 100};

UnitRegister map_gateway(const GatewayLayout& gw, int adr_index, int rack_index, std::int32_t g) {
    if (g >= 20000) return {1, g - 20000};
    if (rack_index < 0) return {0, g};
    const int unit = 2 * (rack_index + 1);
    if (g >= 11000) return {unit, g - 11000 + gw.process_data_offset};
    if (g >= 10000) return {unit, g - 10000};
    if (adr_index < 0) return {0, g};
    const int slot = adr_index + 1;
    if (slot > gw.slots_per_half)
        return {unit + 1, g + (slot - gw.slots_per_half - 1) * gw.window + gw.first_window};
    return {unit, g + (slot - 1) * gw.window + gw.first_window};
}

}  // namespace

UnitRegister map_address(int mode, int adr_index, int rack_index, std::int32_t logical) {
    switch (mode) {
        case 1:
            return map_gateway(hzl_layout, adr_index, rack_index, logical);
        case 2:
            return map_gateway(hzl3_layout, adr_index, rack_index, logical);
        default:
            return {adr_index < 0 ? 0 : adr_index + 1, logical};
    }
}

std::optional<std::int32_t> transmitter_own_register(int mode, std::int32_t logical) {
    if ((mode != 1 && mode != 2) || logical < 0 || logical >= 10000) return std::nullopt;
    return logical;
}

std::int16_t map_reg_address(std::int32_t& reg) {
    const auto& main = bindings().main;
    const int mode = images::bus_mode;
    const int rack = (mode == 1 || mode == 2) ? main.cmb_rack() : -1;
    const UnitRegister m = map_address(mode, main.adr_select(), rack, reg);
    reg = m.reg;
    return static_cast<std::int16_t>(m.unit);
}

}  // namespace dvx::link

#pragma once
// The two gateways: the type code each answers in word 0 of its block, and how many
// racks it addresses with how many concentrator slots each.
#include <cstdint>

namespace dvx::model {

struct GatewayKind {
    std::int16_t type_code;
    int racks;
    int slots;
};
inline constexpr GatewayKind hzl_gateway{32, 30, 20};
inline constexpr GatewayKind hzl3_gateway{34, 64, 32};

}  // namespace dvx::model

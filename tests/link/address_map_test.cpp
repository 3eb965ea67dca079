#include <gtest/gtest.h>

#include "link/link.h"
#include "model/param_image.h"

namespace dvx::link {
namespace {

struct MapCase {
    const char* name;
    int mode;
    int address_or_slot;  // 0: nothing selected
    int rack;             // 0: nothing selected
    std::int32_t logical;
    int unit;
    std::int32_t reg;
};

// Through map_reg_address, so the selections come from the main window's lists
// (detached controls here) and the mode from bus_mode.
TEST(MapRegAddress, CaseTable) {
    const MapCase cases[] = {
        {"direct address 17", 0, 17, 0, 1099, 17, 1099},
        {"direct address 255", 0, 255, 0, 2999, 255, 2999},
        {"mode 7 as direct", 7, 3, 0, 22000, 3, 22000},
        {"HZL rack 1 slot 1", 1, 1, 1, 1099, 2, 6099},
        {"HZL rack 1 slot 10 comment end", 1, 10, 1, 2999, 2, 52999},
        {"HZL rack 3 slot 12", 1, 12, 3, 2000, 7, 12000},
        {"HZL rack 30 slot 20", 1, 20, 30, 0, 61, 50000},
        {"HZL rack 3 process data", 1, 1, 3, 11000, 6, 1000},
        {"HZL rack 3 settings", 1, 1, 3, 10000, 6, 0},
        {"HZL table", 1, 5, 2, 22000, 1, 2000},
        {"HZL result page", 1, 5, 2, 24000, 1, 4000},
        {"HZL3 rack 1 slot 1", 2, 1, 1, 0, 2, 1000},
        {"HZL3 rack 1 slot 16", 2, 16, 1, 0, 2, 61000},
        {"HZL3 rack 1 slot 17", 2, 17, 1, 0, 3, 1000},
        {"HZL3 rack 64 slot 32 comment end", 2, 32, 64, 2999, 129, 63999},
        {"HZL3 rack 5 process data end", 2, 1, 5, 11079, 10, 179},
        {"HZL3 rack 5 settings", 2, 1, 5, 10025, 10, 25},
        {"HZL3 gateway block", 2, 1, 1, 20040, 1, 40},
        {"HZL3 result page", 2, 1, 1, 24000, 1, 4000},
        // No selection: unit 0 (broadcast), on which no transaction starts.
        {"direct, no address", 0, 0, 0, 0, 0, 0},
        {"HZL, no rack", 1, 1, 0, 1000, 0, 1000},
        {"HZL, no rack, concentrator", 1, 1, 0, 10000, 0, 10000},
        {"HZL3, no slot", 2, 0, 1, 1000, 0, 1000},
        {"HZL3, no slot, concentrator", 2, 0, 1, 11000, 2, 100},
        {"HZL3, nothing selected, gateway", 2, 0, 0, 20000, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset_link_state();
        model::bus_mode = static_cast<std::int16_t>(c.mode);
        detached_controls().adr_select = c.address_or_slot - 1;
        detached_controls().cmb_rack = c.rack - 1;
        std::int32_t reg = c.logical;
        EXPECT_EQ(map_reg_address(reg), c.unit);
        EXPECT_EQ(reg, c.reg);
    }
    model::bus_mode = 0;
}

}  // namespace
}  // namespace dvx::link

#pragma once
// Logical register -> (Modbus unit, device register) for the three bus modes. The
// system names registers the same way whether a transmitter hangs on the bus itself or
// sits in a rack behind a gateway; a gateway shows each rack R as two units, 2R for the
// lower half of the slots and 2R + 1 for the upper half, and itself as unit 1.
#include <cstdint>
#include <optional>

namespace dvx::link {

struct UnitRegister {
    int unit = 0;  // 0: the selection the mapping needs is missing
    std::int32_t reg = 0;
};

// The mapping for a given bus mode and list positions of adr_select (address or slot
// - 1) and cmb_rack (rack - 1). A position of -1 (nothing selected) that the register
// needs gives unit 0, the broadcast address, on which the link starts no transaction.
UnitRegister map_address(int mode, int adr_index, int rack_index, std::int32_t logical);

// The register a transmitter behind a gateway knows itself by: the logical one, for
// registers below 10000 in the gateway modes (the gateway moves them into the slot's
// window, and one that passes the transmitter's answer on unchanged echoes this one).
// None on the direct bus and for the registers of the gateway and its concentrators.
std::optional<std::int32_t> transmitter_own_register(int mode, std::int32_t logical);

// Reads bus_mode and the main window's adr_select and cmb_rack; reg holds the logical
// register on entry and the device register on return. Returns the unit.
std::int16_t map_reg_address(std::int32_t& reg);

}  // namespace dvx::link

#pragma once
// The device link: the Modbus RTU master of the system on its one serial port. It
// opens the port with the line settings of the bus mode, probes the bus adapter for an
// echo, maps logical registers onto units and device registers for the direct bus and
// both gateways, and exchanges holding registers with CRC check, time limits and up to
// four sends, moving the values between the wire and the register images (or the
// gateway pages' controls, through link_bindings.h). One thread; no wait spins a CPU.
#include "link/address_map.h"
#include "link/link_bindings.h"
#include "link/register_images.h"
#include "link/rtu_frame.h"
#include "link/serial_line.h"
#include "link/transactions.h"

namespace dvx::link {

// Back to the state at program start (tests): flags, buffer, images, counters, and
// the detached controls bound in place of the windows.
void reset_link_state();

}  // namespace dvx::link

#pragma once
// dvx::sim — the device simulator. One pure core (Plant: devices of one bus mode,
// request frame in, answer frame out, named faults, request log) with the line around
// it (SimPort: a platform::SerialPort on an injected clock, byte timing, echo adapter,
// framing by gap and CRC) used in-process by tests and demo mode and, through the
// dorvanex-sim program, on a pseudo-terminal. Nothing here depends on the link.
//
//   dvx::platform::VirtualClock clock;
//   auto plant = dvx::sim::Plant::preset(0);        // default direct bus (or from_text/from_file)
//   dvx::sim::SimPort port(plant, clock);           // a platform::SerialPort, COM1..COM20
//   plant.device(17).set_param(99, 3);              // registers of the device at address 17
//   plant.device(1, 2).status(0);                   // gateway modes: rack 1, slot 2
//   plant.fault(dvx::sim::Fault::silent().unit(17).next(2));
//   plant.set_echo(true);
//   for (const auto& e : plant.log()) ...           // time, unit, function, start, count,
//                                                   // values, device, exception, fault
//
// Decisions on open points (timings, exception codes, lenient reads) are listed in
// sim/README.md.
#include "sim/crc.h"
#include "sim/fault.h"
#include "sim/gateway.h"
#include "sim/plant.h"
#include "sim/sim_port.h"
#include "sim/transmitter.h"

// The plant of the program's simulation mode: the default plant of the bus mode with
// live values, so the online and diagnosis pages have something to show.
#include <vector>

#include "sim/plant.h"

namespace dvx::sim {

namespace {

// KRV firmware 4.10 and later reports the thermocouple loop resistance.
bool reports_loop(const Transmitter& t) {
    return family_of(t.type_code()) == Family::krv && t.version() >= 410;
}

void animate(const std::vector<Transmitter*>& devices) {
    for (std::size_t i = 0; i < devices.size(); ++i) {
        Transmitter& t = *devices[i];
        const double k = static_cast<double>(i);
        // Swings of their own: 20..80 % and wider, periods of 40 s and up, out of phase.
        t.live().set_signal(Signal::swing(2000 - 300 * (i % 3), 8000 + 400 * (i % 4),
                                          40 + 13 * k, 7 * k));
        if (reports_loop(t)) t.live().set_loop_ohms(1100 + 150 * static_cast<int>(i));
    }
    // The second device breaks its sensor line for 4 s of every 30 s (KRV 0x20, DLX
    // the minimum mA value), which the error memory keeps until it is reset.
    if (devices.size() > 1) devices[1]->live().set_fault_pulse(0x20, 30, 4);
}

}  // namespace

Plant Plant::demo(int bus_mode) {
    Plant plant = preset(bus_mode);
    std::vector<Transmitter*> devices;
    if (plant.bus_mode() == 0) {
        for (auto& [a, t] : plant.devices_) devices.push_back(&t);
    } else {
        for (auto& [r, c] : plant.gateway().racks())
            for (auto& [s, t] : c.slots()) devices.push_back(&t);
    }
    animate(devices);
    return plant;
}

}  // namespace dvx::sim

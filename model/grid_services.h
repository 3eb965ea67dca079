#pragma once
// Small services the live and gateway pages share: gauges kept in range, the HZL
// gateway's diagnosis grid and the key filter of the gateway's cell editor.
#include <cstdint>

#include "ui/controls.h"

namespace dvx::model {

// gauge value := value clamped to the gauge's minimum..maximum.
void set_gauge(ui::Gauge& gauge, std::int16_t value);

}  // namespace dvx::model

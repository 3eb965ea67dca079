#include "model/grid_services.h"

namespace dvx::model {

void set_gauge(ui::Gauge& gauge, std::int16_t value) {
    if (value < gauge.min())
        gauge.set_value(gauge.min());
    else if (value > gauge.max())
        gauge.set_value(gauge.max());
    else
        gauge.set_value(value);
}

}  // namespace dvx::model

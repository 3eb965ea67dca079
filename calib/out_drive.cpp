#include "calib/out_drive.h"

#include <cmath>
#include <exception>

#include "link/register_images.h"
#include "link/transactions.h"
#include "mainwin/device_ops_common.h"
#include "platform/fault.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::calib {

std::int16_t write_reg_50(double value) {
    // The value is converted as a 16-bit integer is: rounded half to even.
    const double v = std::nearbyint(value);
    if (!(v >= -32768.0 && v <= 32767.0)) {
        ui::msg_box(platform::fault_text(platform::FaultText::overflow), ui::mb_ok);
        return 1;
    }
    link::status_regs[50] = static_cast<std::int16_t>(v);
    link::status_regs[51] = 1;
    if (link::write_regs(50, 2) != 0) {
        mainwin::ops::show(texts::msg_out_calib_aborted);
        return 1;
    }
    return 0;
}

void clear_out_cal_flag() {
    try {
        link::status_regs[51] = 0;
        link::write_regs(51, 1);
    } catch (const std::exception&) {
        // Releasing the output is best effort: the page is closing.
    }
}

std::int16_t check_measure_window() {
    link::reg_win_start = 25;
    link::reg_win_count = 3;
    if (link::read_reg_window() != 0) {
        mainwin::ops::show(texts::msg_calib_aborted);
        ui::set_mouse_pointer(ui::mp_default);
        return 1;
    }
    return 0;
}

}  // namespace dvx::calib

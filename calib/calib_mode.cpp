#include "calib/calib_mode.h"

#include "link/register_images.h"
#include "link/transactions.h"
#include "model/firmware.h"
#include "model/param_image.h"

namespace dvx::calib {

std::int16_t saved_input_mode = 0;

namespace {

constexpr int input_type_word = 99;
constexpr int input_type_reg = 1000 + input_type_word;
constexpr int apply_input_reg = 57;
constexpr int cal_flag_reg = 59;

void set_window() {
    link::reg_win_start = 25;
    link::reg_win_count = 20;
}

// Writes `type` to register 1099 through image word 99, which keeps its value.
std::int16_t write_input_type(std::int16_t type) {
    std::int16_t& w = model::param_image[input_type_word];
    const std::int16_t keep = w;
    w = type;
    const std::int16_t rc = link::write_regs(input_type_reg, 1);
    w = keep;
    return rc;
}

std::int16_t write_status(int reg, std::int16_t value) {
    link::status_regs[reg] = value;
    return link::write_regs(reg, 1);
}

}  // namespace

EnterResult enter_calib(std::int16_t m) {
    EnterResult r;
    if (m >= 30) {
        set_window();
        return r;
    }
    std::int16_t& w = model::param_image[input_type_word];
    const std::int16_t keep = w;
    const std::int16_t read_rc = link::read_regs(input_type_reg, 1);
    const std::int16_t device_type = w;
    w = keep;
    if (read_rc != 0) return {1, false};
    saved_input_mode = device_type;
    // A write whose answer was lost may still have reached the device.
    r.switched = true;
    if (write_input_type(m) != 0) return {1, true};
    if (write_status(apply_input_reg, 1) != 0) return {1, true};
    if (model::krv_fw_at_least_410() && write_status(cal_flag_reg, 1) != 0) return {1, true};
    set_window();
    return r;
}

std::int16_t enter_calib_mode(std::int16_t m) {
    return enter_calib(m).rc;
}

std::int16_t leave_calib_mode() {
    if (write_input_type(saved_input_mode) != 0) return 1;
    if (write_status(apply_input_reg, 1) != 0) return 1;
    if (model::krv_fw_at_least_410() && write_status(cal_flag_reg, 0) != 0) return 1;
    return 0;
}

}  // namespace dvx::calib

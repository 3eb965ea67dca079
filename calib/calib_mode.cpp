#include "calib/calib_mode.h"

#include <optional>

#include "link/address_map.h"
#include "link/link_bindings.h"
#include "link/register_images.h"
#include "link/transactions.h"
#include "model/firmware.h"
#include "model/param_image.h"

namespace dvx::calib {

std::int16_t saved_input_mode = 0;
std::map<CalibDevice, UnrestoredInput> unrestored_inputs;

namespace {

constexpr int input_type_word = 99;
constexpr int input_type_reg = 1000 + input_type_word;
constexpr int apply_input_reg = 57;
constexpr int cal_flag_reg = 59;
constexpr int serial_word = 123;

// The device of the last entry and the type it was switched to.
struct Entered {
    CalibDevice device;
    std::int16_t type = 0;
};
std::optional<Entered> entered;

CalibDevice selected_device() {
    CalibDevice d;
    std::int32_t reg = input_type_reg;
    d.unit = link::map_reg_address(reg);
    d.reg = reg;
    d.port = link::bindings().main.Com_select();
    for (std::size_t i = 0; i < d.serial.size(); ++i)
        d.serial[i] = model::param_image[serial_word + static_cast<int>(i)];
    return d;
}

std::uint32_t type_bit(std::int16_t type) {
    return type >= 0 && type < 32 ? std::uint32_t{1} << type : 0;
}

// The type to restore on `device`, whose 1099 reads `read`.
std::int16_t own_type(const CalibDevice& device, std::int16_t read) {
    const auto it = unrestored_inputs.find(device);
    if (it == unrestored_inputs.end()) return read;
    if (it->second.left_types & type_bit(read)) return it->second.own_type;
    unrestored_inputs.erase(it);
    return read;
}

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

std::int16_t switch_back() {
    if (write_input_type(saved_input_mode) != 0) return 1;
    if (write_status(apply_input_reg, 1) != 0) return 1;
    if (model::krv_fw_at_least_410() && write_status(cal_flag_reg, 0) != 0) return 1;
    return 0;
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
    const CalibDevice device = selected_device();
    saved_input_mode = own_type(device, device_type);
    entered = Entered{device, m};
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
    const std::int16_t rc = switch_back();
    if (entered) {
        if (rc == 0) {
            unrestored_inputs.erase(entered->device);
        } else {
            UnrestoredInput& u = unrestored_inputs[entered->device];
            u.own_type = saved_input_mode;
            u.left_types |= type_bit(entered->type);
        }
    }
    return rc;
}

}  // namespace dvx::calib

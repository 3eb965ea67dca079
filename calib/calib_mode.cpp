#include "calib/calib_mode.h"

#include <algorithm>
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
    bool cal_flag = false;  // flag 59 raised
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

bool same_place(const CalibDevice& a, const CalibDevice& b) {
    return a.port == b.port && a.unit == b.unit && a.reg == b.reg;
}

// The kept entry of the device at the selected place, whichever set the image holds.
std::map<CalibDevice, UnrestoredInput>::iterator pending_here() {
    const CalibDevice here = selected_device();
    for (auto it = unrestored_inputs.begin(); it != unrestored_inputs.end(); ++it)
        if (same_place(it->first, here)) return it;
    return unrestored_inputs.end();
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

std::int16_t switch_back_to(std::int16_t type, bool cal_flag) {
    if (write_input_type(type) != 0) return 1;
    if (write_status(apply_input_reg, 1) != 0) return 1;
    if (cal_flag && write_status(cal_flag_reg, 0) != 0) return 1;
    return 0;
}

// Register 1099 of the selected device; image word 99 keeps its value.
std::optional<std::int16_t> read_input_type() {
    std::int16_t& w = model::param_image[input_type_word];
    const std::int16_t keep = w;
    const std::int16_t read_rc = link::read_regs(input_type_reg, 1);
    const std::int16_t device_type = w;
    w = keep;
    if (read_rc != 0) return std::nullopt;
    return device_type;
}

// The serial number words of the selected device; the image keeps its own.
bool read_serial(std::array<std::int16_t, 4>& serial) {
    auto* const words = model::param_image.data() + serial_word;
    std::array<std::int16_t, 4> keep{};
    std::copy_n(words, keep.size(), keep.begin());
    const bool read = link::read_regs(1000 + serial_word, static_cast<int>(keep.size())) == 0;
    std::copy_n(words, serial.size(), serial.begin());
    std::copy(keep.begin(), keep.end(), words);
    return read;
}

}  // namespace

std::int16_t finish_switch_back() {
    if (pending_here() == unrestored_inputs.end()) return 0;
    // Which device is there now: its own serial number, not the image's.
    CalibDevice here = selected_device();
    if (!read_serial(here.serial)) return 1;
    const auto it = unrestored_inputs.find(here);
    if (it == unrestored_inputs.end()) return 0;  // another device at that place
    const auto type = read_input_type();
    if (!type) return 1;
    // The own type there may be a switch back that got through only in part (its strobe
    // lost): the writes go again. Any other type was set anew since.
    const UnrestoredInput& u = it->second;
    if ((u.left_types & type_bit(*type)) || *type == u.own_type) {
        if (switch_back_to(u.own_type, u.cal_flag) != 0) return 1;
    }
    unrestored_inputs.erase(it);
    return 0;
}

std::optional<std::int16_t> unfinished_own_type() {
    const auto it = unrestored_inputs.find(selected_device());
    if (it == unrestored_inputs.end()) return std::nullopt;
    return it->second.own_type;
}

void forget_switch_back() {
    for (auto it = pending_here(); it != unrestored_inputs.end(); it = pending_here())
        unrestored_inputs.erase(it);
}

EnterResult enter_calib(std::int16_t m) {
    EnterResult r;
    if (m >= 30) {
        set_window();
        return r;
    }
    if (finish_switch_back() != 0) return {1, false};
    const auto device_type = read_input_type();
    if (!device_type) return {1, false};
    const CalibDevice device = selected_device();
    // A switch back left over was finished above: 1099 holds the device's own type.
    saved_input_mode = *device_type;
    entered = Entered{device, m, model::krv_fw_at_least_410() != 0};
    // A write whose answer was lost may still have reached the device.
    r.switched = true;
    if (write_input_type(m) != 0) return {1, true};
    if (write_status(apply_input_reg, 1) != 0) return {1, true};
    if (model::krv_fw_at_least_410() && write_status(cal_flag_reg, 1) != 0) return {1, true};
    set_window();
    return r;
}

std::int16_t leave_calib_mode() {
    const std::int16_t rc = switch_back_to(saved_input_mode, model::krv_fw_at_least_410() != 0);
    if (entered) {
        if (rc == 0) {
            unrestored_inputs.erase(entered->device);
        } else {
            UnrestoredInput& u = unrestored_inputs[entered->device];
            u.own_type = saved_input_mode;
            u.left_types |= type_bit(entered->type);
            u.cal_flag = u.cal_flag || entered->cal_flag;
        }
    }
    return rc;
}

}  // namespace dvx::calib

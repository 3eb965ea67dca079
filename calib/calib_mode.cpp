#include "calib/calib_mode.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

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

// The device at the selected place (port, unit and register of 1099 on the wire) with
// the given serial number.
CalibDevice device_at_place(const std::array<std::int16_t, 4>& serial) {
    CalibDevice d;
    std::int32_t reg = input_type_reg;
    d.unit = link::map_reg_address(reg);
    d.reg = reg;
    d.port = link::bindings().main.Com_select();
    d.serial = serial;
    return d;
}

// The selected place with the serial number the image holds.
CalibDevice image_device() {
    std::array<std::int16_t, 4> serial{};
    std::copy_n(model::param_image.begin() + serial_word, serial.size(), serial.begin());
    return device_at_place(serial);
}

std::uint32_t type_bit(std::int16_t type) {
    return type >= 0 && type < 32 ? std::uint32_t{1} << type : 0;
}

bool same_place(const CalibDevice& a, const CalibDevice& b) {
    return a.port == b.port && a.unit == b.unit && a.reg == b.reg;
}

// The kept entry of the device at the selected place, whichever set the image holds.
std::map<CalibDevice, UnrestoredInput>::iterator pending_here() {
    const CalibDevice here = image_device();
    for (auto it = unrestored_inputs.begin(); it != unrestored_inputs.end(); ++it)
        if (same_place(it->first, here)) return it;
    return unrestored_inputs.end();
}

void set_window() {
    link::reg_win_start = 25;
    link::reg_win_count = 20;
}

std::int16_t write_input_type(std::int16_t type) {
    return link::write_words(input_type_reg, std::span<const std::int16_t>(&type, 1));
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

// Parameter words first.. of the selected device into `words`: the link reads them into
// the image, which gets its own back. False when the read failed (`words` untouched).
bool read_params_aside(int first, std::span<std::int16_t> words) {
    const auto image = std::span(model::param_image).subspan(static_cast<std::size_t>(first),
                                                             words.size());
    std::vector<std::int16_t> keep(image.begin(), image.end());
    const bool read = link::read_regs(1000 + first, static_cast<int>(words.size())) == 0;
    if (read) std::copy(image.begin(), image.end(), words.begin());
    std::copy(keep.begin(), keep.end(), image.begin());
    return read;
}

// Register 1099 of the selected device.
std::optional<std::int16_t> read_input_type() {
    std::int16_t type = 0;
    if (!read_params_aside(input_type_word, std::span(&type, 1))) return std::nullopt;
    return type;
}

// The device at the selected place as it names itself: its own serial number.
std::optional<CalibDevice> read_device_here() {
    std::array<std::int16_t, 4> serial{};
    if (!read_params_aside(serial_word, serial)) return std::nullopt;
    return device_at_place(serial);
}

// The switch back of `here` (the device read at the selected place), when one is kept.
std::int16_t finish_switch_back_of(const CalibDevice& here) {
    const auto it = unrestored_inputs.find(here);
    if (it == unrestored_inputs.end()) return 0;  // none, or another device at that place
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

}  // namespace

std::int16_t finish_switch_back() {
    if (pending_here() == unrestored_inputs.end()) return 0;
    // Which device is there now: its own serial number, not the image's.
    const auto here = read_device_here();
    if (!here) return 1;
    return finish_switch_back_of(*here);
}

std::optional<std::int16_t> unfinished_own_type() {
    const auto it = unrestored_inputs.find(image_device());
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
    // The device is kept under the serial number it gives: the image may hold another
    // device's set (the address chosen after the last read).
    const auto device = read_device_here();
    if (!device) return {1, false};
    if (finish_switch_back_of(*device) != 0) return {1, false};
    const auto device_type = read_input_type();
    if (!device_type) return {1, false};
    // A switch back left over was finished above: 1099 holds the device's own type.
    saved_input_mode = *device_type;
    entered = Entered{*device, m, model::krv_fw_at_least_410() != 0};
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

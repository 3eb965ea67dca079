#include "model/firmware.h"

#include <charconv>
#include <cmath>

#include "link/register_images.h"
#include "model/input_types.h"
#include "model/main_view_hooks.h"
#include "model/param_image.h"

namespace dvx::model {

std::int16_t is_krv_fw3 = 0;
std::int16_t show_lead_res = 0;
std::int16_t mask_filling = 0;
std::int16_t out_cal_busy = 0;

namespace {

std::string curr_version() {
    return main_view_hooks().curr_version();
}

std::int16_t flag(bool b) {
    return b ? 1 : 0;
}

}  // namespace

const SupportedVersion* find_supported_version(Family family, const std::string& version) {
    for (const auto& v : supported_versions)
        if (v.family == family && v.text == version) return &v;
    return nullptr;
}

std::optional<std::string> version_text(std::int16_t word) {
    const std::string digits = std::to_string(word);
    if (digits.size() < 2) return std::nullopt;
    return digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2);
}

std::int16_t check_version(const std::string& version) {
    return check_version_for(main_view_hooks().is_krv() ? Family::krv : Family::dlx, version);
}

std::int16_t check_version_for(Family family, const std::string& version) {
    show_lead_res = 0;
    if (family == Family::dlx) is_krv_fw3 = 0;
    const SupportedVersion* v = find_supported_version(family, version);
    if (v) {
        param_count = v->param_count;
        is_krv_fw3 = v->is_krv_fw3;
        show_lead_res = v->show_lead_res;
    }
    init_sensor_texts();
    return v ? 0 : 1;
}

std::int16_t krv_fw_at_least_400() {
    return flag(main_view_hooks().s_krv() && curr_version() >= "4.00");
}

std::int16_t krv_fw_at_least_410() {
    return flag(main_view_hooks().is_krv() && curr_version() >= "4.10");
}

std::int16_t dlx_fw_at_least_302() {
    return flag(main_view_hooks().s_dlx() && curr_version() >= "3.02");
}

std::int16_t jumper_help_enabled(std::int16_t krv_only) {
    const auto& h = main_view_hooks();
    return flag(!h.s_snap() && (krv_only == 0 || h.is_krv()) && curr_version() >= "4.00");
}

double mode_text_value(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    const auto last = text.find_last_not_of(' ');
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return 0;
    return value;
}

std::int16_t is_current_output() {
    return flag(mode_text_value(main_view_hooks().v_mode()) > 20);
}

std::int16_t is_type_113() {
    return flag(link::status_regs[0] == 113);
}

OutCalFormSetup out_cal_form_setup(const std::string& out_mode) {
    const bool current = mode_text_value(out_mode) == 0;
    OutCalFormSetup s{};
    s.label12 = current ? "&4 mA" : "&2 V";
    s.label13 = current ? "&20 mA" : "&10 V";
    const bool current_pair = current || curr_version() < "2.02";
    s.beg_word = current_pair ? 57 : 51;
    s.end_word = current_pair ? 58 : 52;
    s.beg_readback_word = current_pair ? 65 : 53;
    s.end_readback_word = current_pair ? 66 : 54;
    s.beg_value = param_image[s.beg_word];
    s.end_value = param_image[s.end_word];
    return s;
}

void prep_out_cal_form(const std::string& out_mode,
                       const std::function<void(const OutCalFormSetup&)>& apply) {
    struct Filling {
        Filling() { mask_filling = 1; }
        ~Filling() { mask_filling = 0; }
    } filling;
    const OutCalFormSetup s = out_cal_form_setup(out_mode);
    if (apply) apply(s);
}

void reinit_tables() {
    init_device_tables();
}

}  // namespace dvx::model

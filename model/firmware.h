#pragma once
// Supported firmware versions per model family and the tests the windows ask before
// they lay out a page. All of them look at the firmware text of the main window's
// `curr_version` ("4.05") and compare it AS TEXT: equality for check_version, binary
// string order for the at-least tests ("4.10" >= "4.00", but "10.00" < "4.00").
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dvx::model {

// 1 after a KRV firmware "3.00".."3.05" was accepted (older calibration storage).
extern std::int16_t is_krv_fw3;
// 1 after a KRV firmware "4.10".."4.19" was accepted (online page shows lead resistance).
extern std::int16_t show_lead_res;
// 1 while a page fills its fields from the image (timers of the page do nothing).
extern std::int16_t mask_filling;
// 1 while a tick of the output-calibration timer runs; the analog output page clears it
// when it loads, so a flag left standing never blocks the timer for good.
extern std::int16_t out_cal_busy;

enum class Family { krv, dlx };

struct SupportedVersion {
    Family family;
    std::string_view text;
    std::int16_t param_count;
    std::int16_t is_krv_fw3;
    std::int16_t show_lead_res;
};

inline constexpr SupportedVersion supported_versions[] = {
    {Family::dlx, "3.00", 127, 0, 0}, {Family::dlx, "3.01", 127, 0, 0},
    {Family::dlx, "3.02", 127, 0, 0}, {Family::dlx, "3.03", 127, 0, 0},
    {Family::dlx, "3.04", 127, 0, 0}, {Family::dlx, "3.05", 127, 0, 0},
    {Family::dlx, "3.06", 127, 0, 0}, {Family::dlx, "4.00", 127, 0, 0},
    {Family::dlx, "4.01", 127, 0, 0}, {Family::dlx, "4.02", 127, 0, 0},
    {Family::dlx, "4.03", 127, 0, 0}, {Family::dlx, "4.04", 127, 0, 0},
    {Family::krv, "3.00", 128, 1, 0}, {Family::krv, "3.01", 128, 1, 0},
    {Family::krv, "3.02", 128, 1, 0}, {Family::krv, "3.03", 128, 1, 0},
    {Family::krv, "3.04", 128, 1, 0}, {Family::krv, "3.05", 128, 1, 0},
    {Family::krv, "4.00", 128, 0, 0}, {Family::krv, "4.01", 128, 0, 0},
    {Family::krv, "4.02", 128, 0, 0}, {Family::krv, "4.03", 128, 0, 0},
    {Family::krv, "4.04", 128, 0, 0}, {Family::krv, "4.05", 128, 0, 0},
    {Family::krv, "4.10", 140, 0, 1}, {Family::krv, "4.11", 140, 0, 1},
    {Family::krv, "4.12", 140, 0, 1}, {Family::krv, "4.13", 140, 0, 1},
    {Family::krv, "4.14", 140, 0, 1}, {Family::krv, "4.15", 140, 0, 1},
    {Family::krv, "4.16", 140, 0, 1}, {Family::krv, "4.17", 140, 0, 1},
    {Family::krv, "4.18", 140, 0, 1}, {Family::krv, "4.19", 140, 0, 1},
};

// The supported row for a family and an exact version text, or nullptr.
const SupportedVersion* find_supported_version(Family family, const std::string& version);

// Firmware word (status word 4) as text: its decimal digits with "." before the last
// two (405 gives "4.05", 99 gives ".99"). A word of one character (0..9) cannot be
// formed and gives nothing.
std::optional<std::string> version_text(std::int16_t word);

// 0 when `version` is supported for the family of is_krv (and then sets param_count,
// is_krv_fw3 and show_lead_res from the table), 1 otherwise (show_lead_res := 0,
// is_krv_fw3 := 0 for DLX, param_count unchanged). Rebuilds the input-type names
// in every case.
std::int16_t check_version(const std::string& version);
// The same for a family given by the caller (a device's own type code) instead of is_krv.
std::int16_t check_version_for(Family family, const std::string& version);

// 1 when S_KRV is selected and curr_version >= "4.00"; else 0.
std::int16_t krv_fw_at_least_400();
// 1 when is_krv is set and curr_version >= "4.10"; else 0.
std::int16_t krv_fw_at_least_410();
// 1 when S_DLX is selected and curr_version >= "3.02"; else 0.
std::int16_t dlx_fw_at_least_302();
// 1 when S_SNAP is clear, (krv_only is 0 or is_krv is set) and curr_version >= "4.00".
std::int16_t jumper_help_enabled(std::int16_t krv_only);
// 1 when the output-mode code in v_mode is above 20 (a current output); else 0.
std::int16_t is_current_output();
// 1 when status word 0 (device type code) is 113; else 0.
std::int16_t is_type_113();

// Numeric value of an output-mode text (v_mode, Out_mode): blanks around it are
// ignored; a text that is not a number (empty, "abc", "2x") reads as 0.
double mode_text_value(const std::string& text);

// What the output-calibration page shows before it opens.
struct OutCalFormSetup {
    std::string label12, label13;  // captions of the start and end points
    int beg_word, end_word;        // parameter words shown at the start and end point
    std::int16_t beg_value, end_value;
    int beg_readback_word, end_readback_word;  // where a confirmed point keeps the readback
};
// The point captions follow Out_mode alone (0: current "&4 mA"/"&20 mA", else
// "&2 V"/"&10 V"); the words are 57/58 (readbacks 65/66) for a current output or
// firmware below "2.02", else 51/52 (readbacks 53/54).
OutCalFormSetup out_cal_form_setup(const std::string& out_mode);
// Prepares the output-calibration page: computes the setup for the page's Out_mode
// text and hands it to `apply` (which sets Label12/13, s_out_beg/Out_beg and
// S_out_end/Out_End) with mask_filling set.
void prep_out_cal_form(const std::string& out_mode,
                       const std::function<void(const OutCalFormSetup&)>& apply);

// Rebuilds the input-type tables and resets param_image words 0..126 to the defaults.
void reinit_tables();

}  // namespace dvx::model

#pragma once
// The message table: the named texts of every message box, progress label, list entry,
// sensor hint and printed label, as Windows-1252 bytes in the language of lang_code.
// Only set_lang_msg writes them; it runs when the main window loads and after every change
// of language or model family. The texts keep their leading and trailing blanks: callers
// that add a value or join two messages do the joining themselves.
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "texts/language.h"

namespace dvx::texts {

// Fills every message in the language of lang_code; the five family-dependent ones in the
// form that is_krv names at this moment; the platform's fault texts follow the language.
// Then tells language_applied().
void set_lang_msg();

// Called at the end of every set_lang_msg with the language now in force, so the desktop
// program can give its toolkit's own texts the same language. Empty unless one is set.
std::function<void(Lang)>& language_applied();

// One row of the message table: the message's German, English and Dutch text in UTF-8.
// A message that names the model family has its KRV form in `forms` and its DLX form in `dlx`.
struct MsgForms {
    std::u8string_view de, en, nl;

    constexpr std::u8string_view in(Lang lang) const {
        return lang == Lang::dutch ? nl : lang == Lang::english ? en : de;
    }
};

struct MsgRow {
    std::string_view name;
    std::string* text;
    MsgForms forms;
    MsgForms dlx{};

    constexpr bool by_family() const { return !dlx.de.empty(); }
};

std::span<const MsgRow> msg_table();

// A family-dependent message in the form of the given family (KRV when krv), in the current
// language, whatever is_krv holds: for a device whose family differs from the one selected.
// Any other message is returned as it stands.
std::string family_form(const std::string& message, bool krv);

// The messages, one variable each.

// Device operations of the main window: reading, programming and restoring a device, leaving the
// program.
inline std::string msg_no_connection;
inline std::string msg_params_read;
inline std::string msg_device_not_supported;
inline std::string msg_sw_version_not_supported;  // KRV or DLX form by is_krv
inline std::string msg_overwrite_params;
inline std::string msg_version_mismatch;  // KRV or DLX form by is_krv
inline std::string msg_programming_not_possible;
inline std::string msg_output_jumper_mismatch;  // KRV or DLX form by is_krv
inline std::string msg_serial_overwrite_1;
inline std::string msg_serial_overwrite_2;
inline std::string msg_continue;
inline std::string msg_params_not_transmitted;
inline std::string msg_params_transmitted;
inline std::string msg_registry_read_error;
inline std::string msg_no_stored_config;
// A device read whose factory copy the registry did not keep.
inline std::string msg_factory_copy_not_kept;
inline std::string msg_discard_changes;
inline std::string msg_quit;
inline std::string msg_quit_unsaved;

// Address search (progress label, followed by the address) and setting one parameter on all
// devices.
inline std::string msg_current_address;
inline std::string msg_bulk_confirm;
inline std::string msg_bulk_list_empty;
inline std::string msg_bulk_aborted;
inline std::string msg_bulk_done;

// Configuration files: titles and filter names of the file dialogs, and their messages.
inline std::string msg_load_config_title;
inline std::string msg_config_file_filter;
inline std::string msg_all_files_filter;
inline std::string msg_not_config_file;
inline std::string msg_save_config_title;
inline std::string msg_file_exists;

// Link, comment, calibration, online and diagnosis.
inline std::string msg_comment_transmitted;
inline std::string msg_comment_read;
inline std::string msg_calib_aborted;
inline std::string msg_out_calib_aborted;
inline std::string msg_ready;
inline std::string msg_tc_loop_not_closed;
inline std::string msg_online_not_possible;
inline std::string msg_maintenance_not_possible;

// Gateway and concentrator.
inline std::string msg_no_connection_gateway;
inline std::string msg_wrong_device;
inline std::string msg_duplicate_assignment;
inline std::string msg_invalid_field_value;

// Value entry: the range check joins a "too large/small" text, a line break and an "enter a value"
// text with the limit.
inline std::string msg_value_too_large;
inline std::string msg_enter_value_till;
inline std::string msg_value_too_small;
inline std::string msg_enter_value_from;
inline std::string msg_decimals_shift_warning;

// Passwords; the two areas head the password change dialog.
inline std::string msg_old_password_wrong;
inline std::string msg_password_confirm_wrong;
inline std::string msg_pass_area_1;
inline std::string msg_pass_area_2;
// A new password the settings file could not keep.
inline std::string msg_password_bad_char;

// List and table entries. The three output reactions are padded with blanks to a common width (18
// characters, 17 in Dutch).
inline std::string msg_alarm_type_min;
inline std::string msg_alarm_type_max;
inline std::string msg_alarm_type_grad_min;
inline std::string msg_alarm_type_grad_max;
inline std::string msg_alarm_fun_none;
inline std::string msg_alarm_fun_energized;
inline std::string msg_alarm_fun_de_energized;
inline std::string msg_err_out_alarm_value;
inline std::string msg_err_out_frozen_value;
inline std::string msg_err_out_momentary_value;
inline std::string msg_err_relay_lim_prio;
inline std::string msg_err_relay_off;
inline std::string msg_err_relay_on;
inline std::string msg_err_relay_limit;

// Words of the sensor hints.
inline std::string msg_hint_max_range;
inline std::string msg_hint_till;
inline std::string msg_hint_open;
inline std::string msg_hint_and;
inline std::string msg_hint_close;
inline std::string msg_hint_short;
inline std::string msg_hint_terminals;
inline std::string msg_hint_contacts;
inline std::string msg_hint_with;
inline std::string msg_hint_max_lead_res;
inline std::string msg_hint_each_lead;

// Labels of the configuration and comment print-outs. Most begin with three blanks and end in a
// run of dots up to the value column.
inline std::string msg_print_config_title;   // KRV or DLX form by is_krv
inline std::string msg_print_comment_title;  // KRV or DLX form by is_krv
inline std::string msg_print_input;
inline std::string msg_print_measure_value;
inline std::string msg_print_physical;
inline std::string msg_print_measure_supervision;
inline std::string msg_print_tag_no;
inline std::string msg_print_serial_no;
inline std::string msg_print_sw_version;
inline std::string msg_print_dev_address;
inline std::string msg_print_sensor_type;
inline std::string msg_print_range_start;
inline std::string msg_print_range_end;
inline std::string msg_print_lead_res;
inline std::string msg_print_filter_time;
inline std::string msg_print_break_min;
inline std::string msg_print_break_max;
inline std::string msg_print_min_value;
inline std::string msg_print_max_value;
inline std::string msg_print_out_start;
inline std::string msg_print_out_end;
inline std::string msg_print_min_limit;
inline std::string msg_print_max_limit;
inline std::string msg_print_out_break_value;
inline std::string msg_print_out_filter_time;
inline std::string msg_print_out_sqrt;
inline std::string msg_print_in_sqrt;
inline std::string msg_print_output;
inline std::string msg_print_alarm;
inline std::string msg_print_alarm_type;
inline std::string msg_print_hysteresis;
inline std::string msg_print_alarm_delay;
inline std::string msg_print_alarm_function;
inline std::string msg_print_alarm_value;
inline std::string msg_print_gradient_window;
inline std::string msg_print_supervision;
inline std::string msg_print_tol_mv_input;
inline std::string msg_print_tol_res_input;
inline std::string msg_print_tol_analog_out;
inline std::string msg_print_tol_ma_input;
inline std::string msg_print_tc_open;
inline std::string msg_print_error_behaviour;
inline std::string msg_print_internal_error;
inline std::string msg_print_src_mv_circuit;
inline std::string msg_print_src_res_circuit;
inline std::string msg_print_src_output_signal;
inline std::string msg_print_src_analog_out;
inline std::string msg_print_src_sensor_break;
inline std::string msg_print_src_relays;
inline std::string msg_print_error_table_head;
inline std::string msg_print_src_ma_input;
inline std::string msg_print_src_ma_min;
inline std::string msg_print_src_ma_max;
inline std::string msg_print_src_supply;

}  // namespace dvx::texts

// The configuration protocol: the data set of the image on the printer in fixed-width
// lines. Every value is aligned so that its last digit stands in column 52 and its unit
// follows from column 53 (label width + value width, less a 4-character suffix where
// the suffix is aligned with the value).
#include <array>
#include <string>
#include <string_view>

#include "link/register_images.h"
#include "mainwin/config_ops.h"
#include "mainwin/hauptmenu.h"
#include "model/comment_text.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "model/supervision_bits.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/fault.h"

namespace dvx::mainwin {

namespace {

// Input kinds of a DLX device in status word 2.
constexpr int kind_mv = 1000, kind_v = 1001, kind_v_bipolar = 1002;

std::int16_t P(int k) {
    return model::param_image[k];
}

// A word as fixed-point text with d decimals.
std::string fixed(int raw, int d) {
    return model::raw_to_text(std::to_string(raw), d);
}

// One row of the error-reaction table.
struct ErrorRow {
    const std::string* label;
    std::uint16_t bit;              // of word 75: the output goes to its alarm value
    const std::string* when_clear;  // reaction text when the bit is clear
    int item;                       // supervision item of the relay columns
};

class ConfigPrint {
  public:
    ConfigPrint(Hauptmenue& m, ui::Printer& p) : m_(m), p_(p) {}

    void print() {
        t_ = P(99);
        input_section();
        if (m_.S_DLX.value())
            dlx_measure_sections();
        else
            krv_physical_section();
        output_section();
        alarm_sections();
        supervision_section();
        error_table();
        p_.end_doc();
    }

  private:
    void line(const std::string& text) { p_.print_line(text); }
    void empty() { p_.print_line(); }
    // Section titles stand out for their line only.
    void title(const std::string& text) {
        p_.set_font_bold(true);
        p_.print_line(text);
        p_.set_font_bold(false);
    }
    void value_line(const std::string& label, int width, const std::string& value, int v_width,
                    const std::string& suffix = {}) {
        line(model::pad_right(label, width) + model::pad_left(value, v_width) + suffix);
    }

    void input_section() {
        title(m_.S_KRV.value() ? texts::msg_print_input : texts::msg_print_measure_value);
        if (m_.S_KRV.value()) {
            line(model::pad_right(texts::msg_print_sensor_type, 46) + model::sensor_names(t_));
            // A KRV set always uses the input-type tables, whatever an earlier DLX left here.
            link::status_regs[2] = 0;
        }
        int d = model::type_decimals(t_);
        std::string suffix = " " + model::type_unit(t_);
        switch (link::status_regs[2]) {
            case kind_mv:
                d = 2, suffix = " mV";
                break;
            case kind_v:
                d = 1, suffix = " V";
                break;
            case kind_v_bipolar:
                d = 2, suffix = " V";
                break;
            default:
                break;
        }
        value_line(texts::msg_print_range_start, 45, fixed(P(97), d), 7, suffix);
        value_line(texts::msg_print_range_end, 45, fixed(P(98), d), 7, suffix);
        value_line(texts::msg_print_filter_time, 46, fixed(P(100), 1) + " s  ", 10);
        if (model::dlx_fw_at_least_302() && P(108) == 2)
            line(model::pad_right(texts::msg_print_in_sqrt, 46));
        if (model::type_2wire(t_) != 0)
            value_line(texts::msg_print_lead_res, 46, fixed(P(74), 1) + " Ohm", 10);
    }

    void physical_lines(std::initializer_list<std::pair<const std::string*, int>> rows) {
        title(texts::msg_print_physical);
        for (const auto& [label, word] : rows)
            value_line(*label, 46, fixed(P(word), P(82)), 6, unit_);
    }

    void dlx_measure_sections() {
        d_ = P(82);
        title(texts::msg_print_measure_supervision);
        const int kind = link::status_regs[2];
        int d = 3;
        std::string suffix = " " + model::trim_blanks(model::type_unit(t_));
        bool min_line = true;
        if (kind == kind_mv) d = 2, suffix = " mV", min_line = false;
        if (kind == kind_v) d = 1, suffix = " V", min_line = false;
        if (kind == kind_v_bipolar) d = 2, suffix = " V";
        if (min_line) value_line(texts::msg_print_min_value, 46, fixed(P(72), d), 6, suffix);
        value_line(texts::msg_print_max_value, 46, fixed(P(73), d), 6, suffix);

        unit_ = " " + model::trim_blanks(model::text_from_params(115));
        physical_lines({{&texts::msg_print_range_start, 80}, {&texts::msg_print_range_end, 81}});
    }

    void krv_physical_section() {
        if (model::type_scalable(t_) == 0) {
            d_ = model::type_decimals(t_);
            unit_ = " " + model::trim_blanks(model::type_unit(t_));
            return;
        }
        unit_ = " " + model::trim_blanks(model::text_from_params(115));
        d_ = P(82);
        physical_lines({{&texts::msg_print_range_start, 80},
                        {&texts::msg_print_range_end, 81},
                        {&texts::msg_print_break_min, 72},
                        {&texts::msg_print_break_max, 73}});
    }

    void output_section() {
        empty();
        title(texts::msg_print_output);
        const bool current = model::is_current_output() == 1;
        for (const auto& [label, word] : {std::pair{&texts::msg_print_out_start, 105},
                                          {&texts::msg_print_out_end, 106},
                                          {&texts::msg_print_min_limit, 103},
                                          {&texts::msg_print_max_limit, 104},
                                          {&texts::msg_print_out_break_value, 102}}) {
            // A voltage output stores twice the tenths of a volt: halved, rounded down.
            const int w = P(word);
            const int value = current ? w : (w >= 0 ? w / 2 : -((-w + 1) / 2));
            value_line(*label, 46, fixed(value, 1) + (current ? " mA " : " V  "), 10);
        }
        value_line(texts::msg_print_out_filter_time, 46, fixed(P(107), 1) + " s  ", 10);
        const bool sqrt = model::dlx_fw_at_least_302() ? P(108) == 1 : P(108) != 0;
        if (sqrt) line(model::pad_right(texts::msg_print_out_sqrt, 46));
        empty();
    }

    void alarm_sections() {
        const std::array<const std::string*, 4> types{
            &texts::msg_alarm_type_min, &texts::msg_alarm_type_max, &texts::msg_alarm_type_grad_min,
            &texts::msg_alarm_type_grad_max};
        // Function code 3 has no text of its own: it prints empty.
        const std::array<const std::string*, 3> functions{&texts::msg_alarm_fun_none,
                                                          &texts::msg_alarm_fun_energized,
                                                          &texts::msg_alarm_fun_de_energized};
        // S_SNAP: the device has no fourth alarm output.
        const int alarms = m_.S_SNAP.value() == 1 ? 3 : 4;
        for (int i = 0; i < alarms; ++i) {
            title(texts::msg_print_alarm + " " + std::to_string(i + 1));
            const int type = model::param_bitfield(83 + i, 0x0003);
            const int function = model::param_bitfield(83 + i, 0x000C);
            line(model::pad_right(texts::msg_print_alarm_type, 46) + *types[type]);
            line(model::pad_right(texts::msg_print_alarm_function, 46) +
                 (function < 3 ? *functions[function] : std::string()));
            value_line(texts::msg_print_alarm_value, 46, fixed(P(109 + i), d_), 6, unit_);
            value_line(texts::msg_print_hysteresis, 46, fixed(P(88 + i), 1), 6, " %  ");
            value_line(texts::msg_print_alarm_delay, 46, fixed(P(92 + i), 1), 6, " s  ");
        }
        empty();
        value_line(texts::msg_print_gradient_window, 46, std::to_string(P(78)), 6, " s  ");
        empty();
    }

    void supervision_section() {
        title(texts::msg_print_supervision);
        const bool fw410 = model::krv_fw_at_least_410() == 1;
        auto tolerance = [this](const std::string& label, int word, const char* suffix) {
            value_line(label, 42, "+/- " + fixed(P(word), 1) + suffix, 14);
        };
        if (m_.S_KRV.value()) {
            tolerance(texts::msg_print_tol_mv_input, 77, fw410 ? " mV " : " %  ");
            tolerance(texts::msg_print_tol_res_input, 79, " %  ");
        }
        if (m_.S_DLX.value()) tolerance(texts::msg_print_tol_ma_input, 74, " %  ");
        tolerance(texts::msg_print_tol_analog_out, 76, " %  ");
        if (fw410) value_line(texts::msg_print_tc_open, 42, "> " + fixed(P(128), 2) + "kOhm", 14);
        empty();
    }

    void error_table() {
        using namespace texts;
        title(msg_print_error_behaviour);
        std::string head = msg_print_error_table_head;
        if (m_.S_SNAP.value() == 1) head = head.substr(0, 66);
        line(head);
        const bool dlx = m_.S_DLX.value();
        const std::array<ErrorRow, 7> dlx_rows{{
            {&msg_print_src_analog_out, 0x008, &msg_err_out_momentary_value, 3},
            {&msg_print_src_ma_input, 0x010, &msg_err_out_momentary_value, 4},
            {&msg_print_src_ma_min, 0x020, &msg_err_out_frozen_value, 5},
            {&msg_print_src_ma_max, 0x040, &msg_err_out_frozen_value, 6},
            {&msg_print_src_supply, 0x400, &msg_err_out_momentary_value, 10},
            {&msg_print_src_relays, 0x100, &msg_err_out_momentary_value, 8},
            {&msg_print_internal_error, 0x001, &msg_err_out_momentary_value, 0},
        }};
        const std::array<ErrorRow, 6> krv_rows{{
            {&msg_print_src_mv_circuit, 0x040, &msg_err_out_momentary_value, 3},
            {&msg_print_src_res_circuit, 0x010, &msg_err_out_momentary_value, 4},
            {&msg_print_src_output_signal, 0x008, &msg_err_out_momentary_value, 5},
            {&msg_print_src_sensor_break, 0x020, &msg_err_out_frozen_value, 6},
            {&msg_print_src_relays, 0x100, &msg_err_out_momentary_value, 9},
            {&msg_print_internal_error, 0x002, &msg_err_out_frozen_value, 0},
        }};
        auto row = [&](const ErrorRow& r) {
            const bool alarm = (static_cast<std::uint16_t>(P(75)) & r.bit) != 0;
            line(model::pad_right(*r.label, 26) +
                 (alarm ? msg_err_out_alarm_value : *r.when_clear) +
                 (dlx ? model::chk_print_line_m(r.item) : model::chk_print_line_30(r.item)));
        };
        if (dlx)
            for (const auto& r : dlx_rows) row(r);
        else
            for (const auto& r : krv_rows) row(r);
    }

    Hauptmenue& m_;
    ui::Printer& p_;
    int t_ = 0;         // input type
    int d_ = 0;         // decimals of the alarm values
    std::string unit_;  // unit of the alarm values, after a blank
};

}  // namespace

void m_dat_print_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    ui::set_mouse_pointer(ui::mp_hourglass);
    // A DLX set is always printed as the mA input it is.
    if (m.S_DLX.value()) model::param_image[99] = 19;
    try {
        ui::Printer& p = model::begin_device_print(texts::msg_print_config_title, 3);
        ConfigPrint(m, p).print();
    } catch (const ui::UiFault& fault) {
        return model::print_failed(fault);
    }
    ui::set_mouse_pointer(ui::mp_default);
}

}  // namespace dvx::mainwin

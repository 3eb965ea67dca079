#include "pages/h_online.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/firmware.h"
#include "model/grid_services.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "pages/gauge_marks.h"
#include "pages/live_opening.h"
#include "pages/page_open.h"
#include "texts/captions_online.h"
#include "texts/messages.h"
#include "ui/app.h"

namespace dvx::pages {

namespace {

using model::param_image;
using link::status_regs;

constexpr const char* deg_c = "\xB0" "C";  // Windows-1252 degree sign
constexpr std::uint32_t alarm_active_color = 0x000000C0;  // dark red

// Error bits of R[5] that make a value invalid: the cold junction's circuit, and the
// measured value's by family (KRV: resistance circuit 0x10, sensor or line break 0x20;
// DLX: minimum 0x20 and maximum 0x40 of the mA input).
constexpr int cold_junction_invalid = 0x10;
constexpr int krv_value_invalid = 0x30, dlx_value_invalid = 0x60;

bool is_temperature(int input_type) {
    return input_type >= 0 && input_type <= 11;
}
bool is_thermocouple(int input_type) {
    return input_type >= 0 && input_type <= 8;
}

// Fixed-point text of a raw value of any width ("-5" with 2 decimals: "-0.05"). All
// arithmetic of the page is done in 64 bits, so no range the input pages accept can
// overflow it.
std::string fixed(std::int64_t raw, int decimals) {
    return model::raw_to_text(std::to_string(raw), decimals);
}

std::int64_t round_half_even(double v) {
    return static_cast<std::int64_t>(std::nearbyint(v));
}

// Floor of v / 10 (Int() of the classic language): -15 gives -2.
std::int64_t floor_tenth(std::int64_t v) {
    return v >= 0 ? v / 10 : -((-v + 9) / 10);
}

// The gauge at a value of any size, held within its own range.
void gauge_to(ui::Gauge& gauge, std::int64_t value) {
    const std::int64_t held = value < gauge.min() ? gauge.min()
                              : value > gauge.max() ? gauge.max()
                                                    : value;
    model::set_gauge(gauge, static_cast<std::int16_t>(held));
}

// Unit and decimals of the measured value: whole tenths of degC for temperatures,
// else the physical representation.
struct ValueUnit {
    std::string unit;
    int decimals = 0;
};
ValueUnit value_unit() {
    if (is_temperature(param_image[99])) return {deg_c, 1};
    return {model::trim_blanks(model::text_from_params(115)), param_image[82]};
}

}  // namespace

H_online::H_online() : Form("h_online") {
    // Measured-value scale: 0 at the bottom (gauge value 200), 10 at the top (10200);
    // output scale: 11 at the top down to 21 at the bottom. 5200 twips for 10400.
    for (int i = 0; i <= 10; ++i) scal_lab.add(i, *this, {1800, 5820 - 500 * i, 1440, 240});
    for (int i = 11; i <= 21; ++i) scal_lab.add(i, *this, {5340, 820 + 500 * (i - 11), 720, 240});
    for (ui::Gauge* g : {&Gauge1, &Gauge2}) {
        g->set_max(gauge_max);
        g->set_min(0);
        g->set_vertical(true);
    }
    for (ui::Picture* p : {&Picture3, &Picture4}) show_gauge_mark(*p, gauge_mark_left);
    for (ui::Picture* p : {&mark_min, &mark_max}) show_gauge_mark(*p, gauge_mark_right);
    on_load = [this] { texts::set_lang_online(*this); };
    on_activate = [this] { texts::set_lang_online(*this); };
    on_unload = [this](int& cancel) { Form_Unload(cancel); };
    B_Zurueck.on_click = [this] { B_Zurueck_Click(); };
    // Back, by button or frame, ends the polls also while one waits in a link pause.
    B_Zurueck.set_runs_while_busy();
    set_closes_while_busy();
}

void H_online::set_online_mask() {
    const int type = param_image[99];
    std::string unit;
    int scale_decimals = 0, alarm_decimals = 0;
    std::int64_t start = 0, end = 0;
    if (is_temperature(type)) {
        unit = deg_c;
        scale_decimals = 1;
        start = std::int64_t{param_image[97]} * 10;
        end = std::int64_t{param_image[98]} * 10;
    } else {
        unit = model::text_from_params(115);
        scale_decimals = alarm_decimals = param_image[82];
        start = param_image[80];
        end = param_image[81];
    }
    lbl_th_rl_l.set_visible(model::show_lead_res != 0);
    lbl_th_rl_t.set_visible(model::show_lead_res != 0);

    if (end == start) end = start + 1;
    const std::int64_t span = end - start;
    std::int64_t step = 0;
    if (span >= 100) {
        step = round_half_even(static_cast<double>(span) / 10);
    } else {
        // Short or falling range: one more decimal, the old span as the step.
        start *= 10;
        end *= 10;
        ++scale_decimals;
        step = span;
    }
    unit = model::trim_blanks(unit);
    M_unit.set_caption("[" + unit + "]");
    for (int i = 0; i <= 9; ++i) scal_lab[i].set_caption(fixed(start + i * step, scale_decimals));
    scal_lab[10].set_caption(fixed(end, scale_decimals));

    ui::Label* captions[] = {&Alarm1_lab, &Alarm2_lab, &Alarm3_lab, &Alarm4_lab};
    ui::Label* values[] = {&Alarm1, &Alarm2, &Alarm3, &alarm4};
    const bool snap = mainwin::hauptmenu_inst->S_SNAP.value() != 0;
    for (int n = 1; n <= 4; ++n) {
        const int config = param_image[82 + n];
        const std::string name = "Alarm" + std::to_string(n);
        captions[n - 1]->set_caption(name + ((config & 1) ? " (Maximum)" : " (Minimum)"));
        const bool used = (config & 0x0C) != 0 && !(n == 4 && snap);
        captions[n - 1]->set_visible(used);
        values[n - 1]->set_visible(used);
        values[n - 1]->set_caption(fixed(param_image[108 + n], alarm_decimals) + " " + unit);
    }

    Vergl_lab.set_visible(is_thermocouple(type));
    Vergl.set_visible(is_thermocouple(type));

    // Marks: 200 is full scale in both output kinds, so a word's mark sits at
    // word / 200 of the distance between the zero and full-scale ticks.
    const int zero_y = tick_out_zero.y1();
    const int d = static_cast<int>(std::lround(std::abs(zero_y - tick_out_full.y1())));
    auto place = [&](ui::Picture& mark, int word) {
        const std::int64_t m = round_half_even(static_cast<double>(word) * d / 200);
        mark.set_top(static_cast<int>(round_half_even(zero_y - m - mark.height() / 2.0)));
    };
    place(mark_min, param_image[105]);
    place(mark_max, param_image[106]);

    static constexpr const char* ma_scale[] = {"20", "18", "16", "14", "12", "10",
                                               "8",  "6",  "4",  "2",  "0"};
    static constexpr const char* v_scale[] = {"10", "9", "8", "7", "6", "5",
                                              "4",  "3", "2", "1", "0"};
    const bool current = model::is_current_output() != 0;
    Label2.set_caption(current ? "[mA]" : "[V]");
    for (int i = 0; i <= 10; ++i) scal_lab[11 + i].set_caption(current ? ma_scale[i] : v_scale[i]);
}

void H_online::poll_cycle(const std::string& unit, int decimals) {
    const int errors = status_regs[5];
    if (errors & cold_junction_invalid)
        Vergl.set_caption(no_value);
    else
        Vergl.set_caption(fixed(floor_tenth(status_regs[44]), 1) + " " + deg_c);

    const int invalid = mainwin::hauptmenu_inst->S_DLX.value() ? dlx_value_invalid
                                                                : krv_value_invalid;
    if (errors & invalid) {
        value_main.set_caption(no_value);  // the gauge keeps its last value
    } else {
        value_main.set_caption(fixed(status_regs[48], decimals) + " " + unit);
        gauge_to(Gauge1, std::int64_t{status_regs[49]} + gauge_zero);
    }

    // Output: the raw word through the calibration pair of the output kind onto
    // 2000..10000 (4..20 mA as 2 uA steps, 2..10 V as mV).
    std::int64_t r = 0;
    std::string shown;
    if (model::is_current_output()) {
        r = model::scale_linear(status_regs[50], param_image[57], param_image[58], 2000, 10000);
        shown = fixed(2 * r, 3) + " mA";
    } else {
        r = model::scale_linear(status_regs[50], param_image[51], param_image[52], 2000, 10000);
        shown = fixed(r, 3) + " V";
    }
    gauge_to(Gauge2, r + gauge_zero);
    out_val.set_caption(shown);

    ui::Label* values[] = {&Alarm1, &Alarm2, &Alarm3, &alarm4};
    for (int n = 1; n <= 4; ++n)
        values[n - 1]->set_fore_color(status_regs[51 + n] != 0 ? alarm_active_color
                                                                 : ui::color_window_text);

    if (model::show_lead_res != 0) {
        // From firmware 4.16 in 0.001 kOhm (R[62]), before in 0.01 kOhm (R[64]).
        if (status_regs[4] >= 416)
            lbl_th_rl_t.set_caption(status_regs[62] < 10000 ? fixed(status_regs[62], 3) + " kOhm"
                                                            : "");
        else
            lbl_th_rl_t.set_caption(status_regs[64] < 1000 ? fixed(status_regs[64], 2) + " kOhm"
                                                           : "");
    }
}

void H_online::go_on_line() {
    ValueUnit vu;
    auto prepare = [&] {
        if (param_image[99] > 8) model::show_lead_res = 0;
        set_online_mask();
        link::reg_win_start = 5;
        link::reg_win_count = model::show_lead_res != 0 ? 60 : 51;  // to 64, else to 55
        vu = value_unit();
    };
    auto cycle = [&] {
        if (link::read_reg_window() != 0) return false;
        poll_cycle(vu.unit, vu.decimals);
        return true;
    };
    poll_live_page(*this, prepare, cycle, texts::msg_online_not_possible);
}

void H_online::B_Zurueck_Click() {
    mainwin::back_to_main(*this);
    hide();
}

void H_online::Form_Unload(int&) {
    mainwin::back_to_main(*this);
}

void B_online_Click() {
    run_trapped([] {
        if (reread_for_live_page(LivePage::online) != 0) return;
        open_page(h_online_inst).go_on_line();
    });
}

}  // namespace dvx::pages

#include "calib/out_cal.h"

#include <algorithm>
#include <exception>

#include "calib/measure_run.h"
#include "calib/out_drive.h"
#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/device_ops_common.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "texts/captions_out_cal.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::calib {

namespace {

constexpr const char* tag_start_slider = "c_4ma";
constexpr const char* tag_end_slider = "c_20ma";

// Until a point is confirmed, a stored word the slider cannot show stays in the image;
// the slider shows the nearest end.
int slider_value(std::int16_t word) {
    return std::clamp<int>(word, 0, out_cal_top);
}

}  // namespace

H_out_cal::H_out_cal() : WorkPage("H_out_cal", {0, 0, 9690, 8225}) {
    for (ui::VScrollBar* bar : {&s_out_beg, &S_out_end}) {
        // The top is the larger value: moving the thumb up raises the output.
        bar->set_min(out_cal_top);
        bar->set_max(0);
        bar->set_small_change(2);
        bar->set_large_change(40);
    }
    s_out_beg.set_tag(tag_start_slider);
    S_out_end.set_tag(tag_end_slider);
    Command3D2.set_tag("b_4ma");
    Command3D1.set_tag("b_20ma");
    Command3D2.set_caption("O.K.");
    Command3D1.set_caption("O.K.");
    for (ui::TextBox* box : {&Out_beg, &Out_End, &Out_mode}) box->set_visible(false);
    Out_mode.set_text("0");

    s_out_beg.on_change = [this] { hold_start(); };
    s_out_beg.on_scroll = [this] { hold_start(); };
    S_out_end.on_change = [this] { hold_end(); };
    S_out_end.on_scroll = [this] { hold_end(); };

    Command3D2.on_click = [this] { confirm(s_out_beg, true); };
    Command3D1.on_click = [this] { confirm(S_out_end, false); };
    B_Zurueck.on_click = [this] { close_page(); };

    Timer1.set_interval(300);
    Timer1.on_timer = [this] { Timer1_Timer(); };
    // Its tick looks at its own busy flag and at the line first.
    Timer1.set_runs_while_busy();

    on_load = [this] {
        out_cal_busy = 0;
        line_lost_ = false;
        texts::set_lang_out_cal(*this);
    };
    // The output is released before the main window comes back, however the page
    // closes. While another request waits in a link pause the release would be turned
    // away, so the page stays open then.
    auto give_back = on_unload;
    on_unload = [give_back](int& cancel) {
        if (link::transaction_underway()) {
            cancel = 1;
            return;
        }
        clear_out_cal_flag();
        give_back(cancel);
    };
}

void H_out_cal::prep_out_cal_form() {
    model::prep_out_cal_form(Out_mode.text(), [this](const model::OutCalFormSetup& s) {
        Label12.set_caption(s.label12);
        Label13.set_caption(s.label13);
        s_out_beg.set_value(slider_value(s.beg_value));
        Out_beg.set_text(std::to_string(s.beg_value));
        S_out_end.set_value(slider_value(s.end_value));
        Out_End.set_text(std::to_string(s.end_value));
        // A value the slider already held raises no Change: hold the ends all the same.
        hold_start();
        hold_end();
    });
}

void H_out_cal::hold_start() {
    if (s_out_beg.value() > out_cal_start_max) s_out_beg.set_value(out_cal_start_max);
}

void H_out_cal::hold_end() {
    if (S_out_end.value() < out_cal_end_min) S_out_end.set_value(out_cal_end_min);
}

void H_out_cal::Timer1_Timer() {
    // A tick that meets a request waiting in a link pause would have its own write
    // turned away and report a lost connection: it waits for the next one.
    if (model::mask_filling != 0 || out_cal_busy != 0 || link::transaction_underway()) return;
    struct Busy {
        Busy() { out_cal_busy = 1; }
        ~Busy() { out_cal_busy = 0; }
    } busy;
    std::string tag;
    bool have_tag = true;
    try {
        tag = ui::active_control().tag();
    } catch (const std::exception&) {
        have_tag = false;  // no focused control
    }
    if (have_tag) {
        if (tag == tag_start_slider) {
            drive(s_out_beg, Out_beg);
        } else if (tag == tag_end_slider) {
            drive(S_out_end, Out_End);
        } else if (tag != "b_4ma" && tag != "b_20ma") {
            // The focus left a slider for another control: release once (not on a lost
            // line: the write would spend the port's one reopening before it is back).
            if (!line_lost_ && (e_counter_ == tag_start_slider || e_counter_ == tag_end_slider))
                clear_out_cal_flag();
        }
        e_counter_ = tag;
    }
}

// At most one write a tick: when the value moved or the focus just came to the slider.
void H_out_cal::drive(ui::VScrollBar& bar, ui::TextBox& box) {
    if (e_counter_ == bar.tag() && model::mode_text_value(box.text()) == bar.value()) return;
    // The focus came to the slider or its value moved: the technician's own act.
    if (!line_back()) return focus_back();
    box.set_text(std::to_string(bar.value()));
    if (write_reg_50(bar.value()) != 0) {
        note_failed_send();
        focus_back();
    }
}

// A send that failed with the port lost (or given up) puts the page on hold.
void H_out_cal::note_failed_send() {
    if (link::port_lost() || link::port_status != 0) line_lost_ = true;
}

// After a lost line, the technician's next act probes the port first, which opens it
// again as at the start of every dialog (and tells, once, when it cannot). A port given
// up since stays so, silently, until a port is chosen again.
bool H_out_cal::line_back() {
    if (!line_lost_) return true;
    if (link::port_status != 0 || link::detect_echo() != 0) return false;
    line_lost_ = false;
    return true;
}

void H_out_cal::confirm(ui::VScrollBar& bar, bool start_point) {
    if (!line_back()) return focus_back();
    const int value = bar.value();
    if (write_reg_50(value) != 0) return abort_confirm();
    link::busy_wait(0.3);  // the output settles; no events meanwhile
    if (check_measure_window() != 0) return abort_confirm();
    using link::status_regs;
    using model::param_image;
    store_point_status();
    const model::OutCalFormSetup pair = model::out_cal_form_setup(Out_mode.text());
    param_image[start_point ? pair.beg_word : pair.end_word] = static_cast<std::int16_t>(value);
    param_image[start_point ? pair.beg_readback_word : pair.end_readback_word] = status_regs[27];
    clear_out_cal_flag();
}

void H_out_cal::abort_confirm() {
    note_failed_send();
    // A lost line has been told by the link operation's box; a release now could not get
    // through and would spend the port's one reopening.
    if (line_lost_) return focus_back();
    mainwin::ops::show(texts::msg_out_calib_aborted);
    focus_back();
    clear_out_cal_flag();
}

void H_out_cal::focus_back() {
    try {
        B_Zurueck.set_focus();
    } catch (const std::exception&) {
        // The page is no longer shown: nothing to move.
    }
}

}  // namespace dvx::calib

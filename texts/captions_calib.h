#pragma once
// The language-dependent texts of the calibration pages and of the measuring-run box:
// window titles, buttons, frames, labels and check boxes in German, English and Dutch.
// The pages live above this library, so each procedure sets the texts on the page it is
// given by control name; its load handler calls it first thing. The titles of the
// pages end with the tag header; the measuring-run box's title names the family.
#include <string_view>

#include "texts/messages.h"
#include "ui/form.h"

namespace dvx::texts {

// Under which condition a caption row applies.
enum class CalibWhen {
    always,
    rtd_pt100,      // is_ni120 clear
    rtd_ni120,      // is_ni120 set
    voltage_input,  // DLX input kind (status word 2) 1000, 1001 or 1002
    current_input,  // any other input kind
};

// One caption in three languages; control "" is the window title, followed by the tag
// header. Each window's rows are set in their order.
struct CalibCaptionRow {
    std::string_view control;
    CalibWhen when;
    MsgForms text;
};

void set_lang_krv4_cal(ui::Form& page);
void set_lang_krv4_cal1(ui::Form& page);
void set_lang_krv_cal(ui::Form& page);
void set_lang_krv_cal1(ui::Form& page);
void set_lang_dlx_cal(ui::Form& page);
void set_lang_fqn_calib(ui::Form& box);

}  // namespace dvx::texts

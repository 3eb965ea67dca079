#include "pages/h_dout.h"

#include <algorithm>
#include <cstdlib>

#include "mainwin/hauptmenu.h"
#include "model/input_types.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "pages/h_inp.h"
#include "texts/captions_pages.h"

namespace dvx::pages {

namespace {

using model::param_image;

constexpr AlarmOutput::Names names[4] = {
    {"Frame3D1", "al1_typ", "al1_fun", "al1_val", "unit_al1", "Hyst_1", "delay_1", "Label1", "Label3",
     "Lab_al1", "Label15", "Label17", "Label6", "Label8"},
    {"Frame3D2", "al2_typ", "al2_fun", "al2_val", "unit_al2", "Hyst_2", "delay_2", "Label4", "Label2",
     "Label10", "Label5", "Label7", "Label9", "Label14"},
    {"Frame3D3", "al3_typ", "al3_fun", "al3_val", "unit_al3", "Hyst_3", "delay_3", "Label12", "Label11",
     "Label22", "Label13", "Label19", "Label16", "Label18"},
    {"Frame3D4", "al4_typ", "al4_fun", "al4_val", "unit_al4", "Hyst_4", "delay_4", "Label24", "Label23",
     "Label30", "Label25", "Label27", "Label20", "Label26"},
};

// Output n's words: configuration 82 + n, value 108 + n.
std::int32_t value_decimals(int word) {
    return alarm_value_rule(word - 108).decimals;
}
std::int32_t value_min(int word) {
    return alarm_value_rule(word - 108).min;
}
std::int32_t value_max(int word) {
    return alarm_value_rule(word - 108).max;
}

// clang-format off
constexpr NumericField fields[] = {
    // field         word  key decimals          decimals              minimum          maximum
    {"al1_val",      109,  by(value_decimals),   by(value_decimals),   by(value_min),   by(value_max)},
    {"al2_val",      110,  by(value_decimals),   by(value_decimals),   by(value_min),   by(value_max)},
    {"al3_val",      111,  by(value_decimals),   by(value_decimals),   by(value_min),   by(value_max)},
    {"al4_val",      112,  by(value_decimals),   by(value_decimals),   by(value_min),   by(value_max)},
    {"Hyst_1",       88,   fixed(1),             fixed(1),             fixed(0),        fixed(999)},
    {"Hyst_2",       89,   fixed(1),             fixed(1),             fixed(0),        fixed(999)},
    {"Hyst_3",       90,   fixed(1),             fixed(1),             fixed(0),        fixed(999)},
    {"Hyst_4",       91,   fixed(1),             fixed(1),             fixed(0),        fixed(999)},
    {"delay_1",      92,   fixed(1),             fixed(1),             fixed(0),        fixed(99)},
    {"delay_2",      93,   fixed(1),             fixed(1),             fixed(0),        fixed(99)},
    {"delay_3",      94,   fixed(1),             fixed(1),             fixed(0),        fixed(99)},
    {"delay_4",      95,   fixed(1),             fixed(1),             fixed(0),        fixed(99)},
    {"t_gradient",   78,   fixed(0),             fixed(0),             fixed(1),        fixed(9999)},
};
// clang-format on

constexpr int frame_width = 4440, frame_height = 2580;

}  // namespace

AlarmValueRule alarm_value_rule(int n) {
    const int t = param_image[99];
    AlarmValueRule r;
    const bool scalable = model::type_scalable(t) != 0;
    if (scalable) {
        // A falling scale (word 80 above word 81) still has its values between its ends.
        const auto [lo, hi] = std::minmax(param_image[80], param_image[81]);
        r = {display_decimals(), lo, hi, model::text_from_params(115)};
    } else {
        r = {model::type_decimals(t), model::type_min(t), model::type_max(t), model::type_unit(t)};
    }
    if (n >= 1 && n <= 4 && (param_image[82 + n] & 2) != 0) {
        if (!scalable) r.min = param_image[97], r.max = param_image[98];
        // A falling range has a negative difference; the span is its size. Limits
        // beyond a word could not be stored: they are held at what a word holds.
        const std::int32_t span = std::abs(r.max - r.min);
        r.min = std::max<std::int32_t>(-span, -32768);
        r.max = std::min<std::int32_t>(span, 32767);
    }
    return r;
}

AlarmOutput::AlarmOutput(ui::Form& form, const Names& n, int left, int top)
    : frame(form, n.frame, {left, top, frame_width, frame_height}),
      lab_typ(frame, n.lab_typ, {120, 360, 1440, 255}),
      typ(frame, n.typ, {1680, 300, 2520, 315}),
      lab_fun(frame, n.lab_fun, {120, 780, 1440, 255}),
      fun(frame, n.fun, {1680, 720, 2520, 315}),
      lab_val(frame, n.lab_val, {120, 1200, 1440, 255}),
      val(frame, n.val, {1680, 1140, 1200, 315}),
      unit(frame, n.unit, {3000, 1200, 1200, 255}),
      lab_hyst(frame, n.lab_hyst, {120, 1620, 1440, 255}),
      hyst(frame, n.hyst, {1680, 1560, 1200, 315}),
      unit_hyst(frame, n.unit_hyst, {3000, 1620, 1200, 255}),
      lab_delay(frame, n.lab_delay, {120, 2040, 1440, 255}),
      delay(frame, n.delay, {1680, 1980, 1200, 315}),
      unit_delay(frame, n.unit_delay, {3000, 2040, 1200, 255}) {
    unit_hyst.set_caption("%");
    unit_delay.set_caption("S");
}

H_dout::H_dout()
    : WorkPage("h_dout", {0, 0, 9690, 8225}),
      out1(*this, names[0], 240, 240),
      out2(*this, names[1], 4920, 240),
      out3(*this, names[2], 240, 2940),
      out4(*this, names[3], 4920, 2940) {
    Label28.set_caption("S");
    bind_fields(fields);
    int n = 1;
    for (AlarmOutput* o : outputs()) {
        bind_bit_list(o->typ, 82 + n, 0x0003);
        bind_bit_list(o->fun, 82 + n, 0x000C);
        ++n;
    }
    B_Zurueck.on_click = [this] { close_page(); };
    on_load = [this] { texts::set_lang_dout(*this); };
}

void H_dout::set_dout_mask() {
    Filling filling(false);
    for (const char* f : {"Hyst_1", "Hyst_2", "Hyst_3", "Hyst_4", "delay_1", "delay_2", "delay_3", "delay_4"})
        show_field(*field(f));
    const std::string unit = alarm_value_rule(0).unit;
    for (AlarmOutput* o : outputs()) o->unit.set_caption(unit);
    for (const char* f : {"al1_val", "al2_val", "al3_val", "al4_val"}) show_field(*field(f));
    int n = 1;
    for (AlarmOutput* o : outputs()) select(o->typ, model::param_bitfield(82 + n++, 0x0003));
    n = 1;
    for (AlarmOutput* o : outputs()) select(o->fun, model::param_bitfield(82 + n++, 0x000C));
    show_field(*field("t_gradient"));
    out4.frame.set_visible(mainwin::hauptmenu_inst->S_SNAP.value() == 0);
}

}  // namespace dvx::pages

#include "model/sensor_hint.h"

#include <array>
#include <string_view>

#include "model/firmware.h"
#include "model/input_types.h"
#include "model/main_view_hooks.h"
#include "model/view_bindings.h"
#include "ui/services.h"

namespace dvx::model {

std::int16_t input_mask_filling = 0;

namespace {

// A hint line is written as a pattern: "{word}" stands for the message msg_hint_word
// in the current language, "{contacts}" for the terminal or contact word of the board
// variant; everything else is literal. The words carry no blanks of their own, so the
// blanks around them are in the patterns ("{with}" and "{short}" bring theirs).
struct Wiring {
    std::string_view jumpers_1, jumpers_2, terminals;  // jumpers_2 may be empty
};

// Jumper and terminal lines for types 0..20.
// clang-format off
constexpr Wiring tc_terminal{"JP5, JP8 {and} JP9 {close}", "JP6 {open}", "{contacts} 17(+) {and} 18(-)"};
constexpr std::array<Wiring, 21> terminal_variant{{
    tc_terminal, tc_terminal, tc_terminal, tc_terminal, tc_terminal, tc_terminal, tc_terminal,
    tc_terminal, tc_terminal,
    {"JP5, JP6, JP8 {and} JP9 {close}", "", "{contacts} 22 {and} 23"},
    {"JP5, JP6 {and} JP8 {close}", "JP9 {open}", "{contacts} 22, 23 {and} 24"},
    {"JP5 {and} JP6 {close}", "JP8 {and} JP9 {open}", "{contacts} 21, 22, 23 {and} 24"},
    {"JP5, JP6, JP8 {and} JP9 {close}", "", "{contacts} 22 {and} 23"},
    {"JP5, JP6 {and} JP8 {close}", "JP9 {open}", "{contacts} 22, 23 {and} 24"},
    {"JP5 {and} JP6 {close}", "JP8 {and} JP9 {open}", "{contacts} 21, 22, 23 {and} 24"},
    {"JP6, JP8 {and} JP9 {close}", "JP5 {open}", "{contacts} 22 {and} 23"},
    {"JP6 {and} JP8 {close}", "JP5 {and} JP9 {open}", "{contacts} 22, 23 {and} 24"},
    {"JP6 {close}", "JP5, JP8 {and} JP9 {open}", "{contacts} 21, 22, 23 {and} 24"},
    {"JP5, JP6, JP8 {and} JP9 {close}", "22{with}23{short}", "{contacts} 15(+) {and} 14(-)"},
    {"JP5, JP6, JP8 {and} JP9 {close}", "22{with}23{short}", "{contacts} 13(+) {and} 14(-)"},
    {"JP5, JP8 {and} JP9 {close}, JP6 {open}", "22{with}23{short}", "{contacts} 17(+) {and} 18(-)"},
}};

constexpr Wiring tc_connector{"JP6 {open}, JP5, JP7, JP8 {and} JP9 {close}", "",
                              "{contacts} d32(+) {and} z32(-)"};
constexpr std::string_view rtd_jp6_jp7 = "JP6 {close}, JP7 {open}";
constexpr std::array<Wiring, 21> connector_variant{{
    tc_connector, tc_connector, tc_connector, tc_connector, tc_connector, tc_connector,
    tc_connector, tc_connector, tc_connector,
    {"JP5, JP8 {and} JP9 {close}", rtd_jp6_jp7, "{contacts} d28 {and} z28"},
    {"JP5 {and} JP8 {close}, JP9 {open}", rtd_jp6_jp7, "{contacts} d28, z28 {and} z30"},
    {"JP5 {close}, JP8 {and} JP9 {open}", rtd_jp6_jp7, "{contacts} d28, z28, d30 {and} z30"},
    {"JP5, JP8 {and} JP9 {close}", rtd_jp6_jp7, "{contacts} d28 {and} z28"},
    {"JP5 {and} JP8 {close}, JP9 {open}", rtd_jp6_jp7, "{contacts} d28, z28 {and} z30"},
    {"JP5 {close}, JP8 {and} JP9 {open}", rtd_jp6_jp7, "{contacts} d28, z28, d30 {and} z30"},
    {"JP8 {and} JP9 {close}, JP5 {open}", rtd_jp6_jp7, "{contacts} d28 {and} z28"},
    {"JP8 {close}, JP5 {and} JP9 {open}", rtd_jp6_jp7, "{contacts} d28, z28 {and} z30"},
    {"JP5, JP8 {and} JP9 {open}", rtd_jp6_jp7, "{contacts} d28, z28, d30 {and} z30"},
    {"JP5, JP6, JP7, JP8 {and} JP9 {close}", "", "{contacts} z24(+) {and} z26(-)"},
    {"JP5, JP6, JP7, JP8 {and} JP9 {close}", "", "{contacts} d24(+) {and} d26(-)"},
    {"JP5, JP7, JP8 {and} JP9 {close}, JP6 {open}", "", "{contacts} d32(+) {and} z32(-)"},
}};

// The range part of the first line; "°C" is the Windows-1252 byte 0xB0 and "C".
constexpr std::array<std::string_view, 21> range_parts{{
    " 100 {till} +1800 \xB0" "C", " -200 {till} +1000 \xB0" "C", " -200 {till} +1000 \xB0" "C",
    " -200 {till} +1200 \xB0" "C", " 0 {till} +1700 \xB0" "C", " -200 {till} +400 \xB0" "C",
    " 0 {till} +1700 \xB0" "C", " -200 {till} +900 \xB0" "C", " -200 {till} +600 \xB0" "C",
    "", "", "",  // resistance thermometers: by the Ni-120 flag
    " 600 Ohm", " 600 Ohm", " 600 Ohm", " 5000 Ohm", " 5000 Ohm", " 5000 Ohm",
    " +/- 10 V", " +/- 20 mA", "",  // mV: by the firmware
}};
// clang-format on
constexpr std::string_view range_wre = " 0 {till} +2320 \xB0" "C";
constexpr std::string_view range_xk = " 0 {till} +800 \xB0" "C";
constexpr std::string_view range_pt100 = " -200 {till} +800 \xB0" "C";
constexpr std::string_view range_ni120 = " -70 {till} +300 \xB0" "C";
constexpr std::string_view range_mv_v4 = " -35 {till} +70 mV";
constexpr std::string_view range_mv = " +/- 60 mV";

std::string expand(std::string_view pattern, bool terminal_board) {
    std::string out;
    while (!pattern.empty()) {
        const auto open = pattern.find('{');
        out += pattern.substr(0, open);
        if (open == std::string_view::npos) break;
        const auto close = pattern.find('}', open);
        const std::string_view word = pattern.substr(open + 1, close - open - 1);
        if (word == "contacts")
            out += message(terminal_board ? "msg_hint_terminals" : "msg_hint_contacts");
        else
            out += message("msg_hint_" + std::string(word));
        pattern.remove_prefix(close + 1);
    }
    return out;
}

std::string_view range_part(int type, bool terminal_board) {
    if (type >= 9 && type <= 11) return is_ni120 ? range_ni120 : range_pt100;
    if (type == 20) return krv_fw_at_least_400() ? range_mv_v4 : range_mv;
    // The connector board carries neither the tungsten-rhenium nor the XK thermocouple.
    if (terminal_board && (type == 7 || type == 8) && has_wre_tc) return range_wre;
    if (terminal_board && type == 8 && main_view_hooks().th_xk()) return range_xk;
    return range_parts[static_cast<std::size_t>(type)];
}

}  // namespace

std::string sensor_hint_text(int type) {
    if (input_mask_filling != 0) return {};
    if (type < 0 || type >= input_type_count) return {};
    const bool terminal_board = main_view_hooks().s_snap();
    const Wiring& w = (terminal_board ? terminal_variant : connector_variant)[type];

    std::string text = expand("{max_range}", terminal_board);
    text += expand(range_part(type, terminal_board), terminal_board);
    if (type >= 9 && type <= 17) text += "\r\n" + expand("{max_lead_res} 50 Ohm {each_lead}", terminal_board);
    text += "\r\n" + expand(w.jumpers_1, terminal_board);
    if (!w.jumpers_2.empty()) text += "\r\n" + expand(w.jumpers_2, terminal_board);
    text += "\r\n" + expand(w.terminals, terminal_board);
    return text;
}

void show_sensor_hint(int type) {
    const std::string text = sensor_hint_text(type);
    if (!text.empty()) ui::show_titled(text);
}

}  // namespace dvx::model

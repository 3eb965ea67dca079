#include "model/comment_text.h"

#include <cstdint>
#include <string_view>

#include "link/register_images.h"
#include "model/main_view_hooks.h"
#include "model/number_text.h"
#include "model/view_bindings.h"
#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

constexpr int block_words = 1000;
constexpr std::size_t block_chars = 2 * block_words;
constexpr char end_mark = '\x03';

// A byte read back from the device: printable ones (32..254), CR, LF and the end mark
// keep their character; control bytes and 255 are blanks.
char comment_char(std::uint8_t b) {
    if ((b >= 32 && b <= 254) || b == 13 || b == 10 || b == 3) return static_cast<char>(b);
    return ' ';
}

// Comment lines of the print-out: split at CR LF, hard breaks after 80 characters,
// empty lines dropped.
template <typename Print>
void print_comment_lines(std::string t, Print print) {
    constexpr std::size_t max_line = 80;
    while (!t.empty()) {
        std::size_t cut = t.find("\r\n");
        if (cut == std::string::npos) cut = t.size();
        if (cut > max_line) cut = max_line;
        const std::string line = t.substr(0, cut);
        t.erase(0, cut);
        if (t.starts_with("\r\n")) t.erase(0, 2);
        if (!line.empty()) print(line);
    }
}

}  // namespace

void comment_to_words(const std::string& text) {
    std::string s = text.substr(0, block_chars);
    s.resize(block_chars, ' ');
    for (int i = 0; i < block_words; ++i) {
        const auto hi = static_cast<std::uint8_t>(s[2 * i]);
        const auto lo = static_cast<std::uint8_t>(s[2 * i + 1]);
        link::comment_regs[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(hi << 8 | lo));
    }
}

void words_to_comment() {
    std::string s;
    s.reserve(block_chars);
    for (int i = 0; i < block_words; ++i) {
        const auto w = static_cast<std::uint16_t>(link::comment_regs[i]);
        s += comment_char(static_cast<std::uint8_t>(w >> 8));
        s += comment_char(static_cast<std::uint8_t>(w & 0xFF));
    }
    if (const auto end = s.find(end_mark); end != std::string::npos) s.erase(end);
    view_bindings().set_komentar(trim_blanks(s));
}

void clear_comment_text() {
    view_bindings().set_komentar(std::string());
}

ui::Printer& begin_device_print(const std::string& title, int empty_lines) {
    ui::Printer& p = ui::printer();
    // Default coordinates in twips, then the page origin 1400 twips to the left of
    // the printable corner: a left margin of 1400 twips.
    p.reset_scale();
    p.set_scale_left(-400);
    p.set_font_name("courier new");
    p.set_font_bold(false);
    p.set_font_italic(false);
    p.set_font_strikethrough(false);
    p.set_font_transparent(false);
    p.set_font_underline(false);
    p.set_scale_left(-1400);

    p.set_font_size(5);
    p.print_line();
    p.set_font_size(10);
    for (int i = 0; i < empty_lines; ++i) p.print_line();

    const ViewBindings& v = view_bindings();
    p.print_line(title + ui::date_text(ui::today()));
    p.print_line(std::string(71, '-'));
    p.print_line(pad_right(message("msg_print_tag_no") + v.komentar1(), 50) +
                 message("msg_print_sw_version") + main_view_hooks().curr_version());
    p.print_line(pad_right(message("msg_print_serial_no") + v.ser_no(), 50) +
                 message("msg_print_dev_address") + v.krv_adr());
    p.print_line();
    return p;
}

void print_failed(const ui::UiFault& fault) {
    // The unfinished document must not reach the printer with the next one.
    try {
        ui::printer().kill_doc();
    } catch (const ui::UiFault&) {
        // No printer at all: nothing to discard.
    }
    ui::set_mouse_pointer(ui::mp_default);
    ui::show_titled(fault.text());
}

void print_comment_page() {
    ui::set_mouse_pointer(ui::mp_hourglass);
    try {
        ui::Printer& p = begin_device_print(message("msg_print_comment_title"), 2);
        print_comment_lines(view_bindings().get_komentar(),
                            [&p](const std::string& line) { p.print_line(line); });
        p.end_doc();
    } catch (const ui::UiFault& fault) {
        return print_failed(fault);
    }
    ui::set_mouse_pointer(ui::mp_default);
}

}  // namespace dvx::model

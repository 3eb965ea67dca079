#include "gateway/gateway_fields.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "link/link.h"
#include "mainwin/device_ops_common.h"
#include "model/number_text.h"
#include "texts/messages.h"
#include "ui/app.h"
#include "ui/event_loop.h"
#include "ui/services.h"

namespace dvx::gateway {

namespace {

bool plain_integer(const std::string& t) {
    const std::size_t first = !t.empty() && t[0] == '-' ? 1 : 0;
    return t.size() > first && std::all_of(t.begin() + static_cast<std::ptrdiff_t>(first), t.end(),
                                           [](char c) { return c >= '0' && c <= '9'; });
}

// As check_range refuses: one box per edit (the latch), then the field is refilled.
void refuse_malformed() {
    if (model::range_check_latch == 0) {
        model::range_check_latch = 1;
        mainwin::ops::show(texts::msg_invalid_field_value);
    }
    ui::send_keys("{ESC}");
}

}  // namespace

std::string gateway_version_text(std::int16_t word) {
    const int v = word;
    std::string digits = std::to_string(std::abs(v));
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return (v < 0 ? "-" : "") + digits.substr(0, digits.size() - 2) + "." +
           digits.substr(digits.size() - 2);
}

void show(const std::string& text) {
    ui::msg_box(text, ui::mb_ok);
}

void filter_number_key(int& key, const ui::TextBox& box) {
    key = model::number_key(key, 0, box.text(), box.sel_start(), box.sel_length());
}

void filter_number_paste(ui::TextBox& box) {
    box.on_paste = [&box](std::string& text) {
        text = model::number_paste(text, 0, box.text(), box.sel_start(), box.sel_length());
        if (!text.empty()) model::range_check_latch = 0;
    };
}

void program_settings(std::span<std::int16_t> words, int command, int first_register, int count) {
    words[static_cast<std::size_t>(command)] = 1;
    show(link::write_regs(first_register + command, count) ? texts::msg_no_connection_gateway
                                                           : texts::msg_params_transmitted);
}

void bind_settings_box(model::BoundFields& page, ui::TextBox& box, std::int16_t& word,
                       std::int32_t min, std::int32_t max, const std::function<void()>& refill) {
    box.on_key_press = [&box, refill](int& key) {
        filter_number_key(key, box);
        model::entry_key(key, refill);
    };
    filter_number_paste(box);
    box.on_lost_focus = [&box, &word, min, max] { store_number_box(box, word, min, max); };
    page.watch_field(box, [&word, min, max](const std::string& text) {
        return plain_integer(text) && model::within_range(text, min, max) &&
               model::text_to_raw(text) == word;
    });
}

std::int16_t store_number_box(ui::TextBox& box, std::int16_t& word, std::int32_t min,
                              std::int32_t max) {
    const std::string text = box.text();
    if (!plain_integer(text)) {
        refuse_malformed();
        box.set_focus();
        return 1;
    }
    if (model::check_range(text, min, max)) {
        box.set_focus();
        return 1;
    }
    word = model::text_to_raw(text);
    return 0;
}

void set_diag_headers(ui::Grid& grid, const std::string& corner, int first_width, int width) {
    grid.set_text_matrix(0, 0, corner);
    grid.set_col_width(0, first_width);
    for (int c = 1; c < grid.cols(); ++c) {
        grid.set_text_matrix(0, c, std::to_string(c));
        grid.set_col_width(c, width);
    }
    for (int r = 1; r <= static_cast<int>(std::size(diag_row_captions)); ++r)
        grid.set_text_matrix(r, 0, diag_row_captions[r - 1]);
}

void set_result_headers(ui::Grid& grid) {
    grid.set_col_width(0, 1000);
    for (int c = 1; c < grid.cols(); ++c) {
        grid.set_col_width(c, 780);
        grid.set_text_matrix(0, c, std::to_string(c));
    }
    for (int r = 1; r < grid.rows(); ++r)
        grid.set_text_matrix(r, 0, std::to_string((r - 1) * 10 + 1) + "-" + std::to_string(r * 10));
}

void reset_error_words(std::span<std::int16_t> words, int first_register, double wait_seconds,
                       const std::function<void()>& reread) {
    mainwin::ops::Hourglass hourglass;
    const std::vector<std::int16_t> zeros(words.size(), 0);
    if (link::write_words(first_register, zeros)) return show(texts::msg_no_connection_gateway);
    std::fill(words.begin(), words.end(), std::int16_t{0});
    ui::wait_yielding(wait_seconds);
    reread();
}

}  // namespace dvx::gateway

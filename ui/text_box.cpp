#include <algorithm>

#include "ui/control_faults.h"
#include "ui/controls.h"
#include "ui/keyboard.h"
#include "ui/services.h"

namespace dvx::ui {

using detail::bad_value;

namespace {

bool blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

}  // namespace

int TextBox::clamped(int pos) const {
    const int n = static_cast<int>(text_.size());
    pos = std::clamp(pos, 0, n);
    // The caret never stands between the CR and the LF of a line break.
    if (pos > 0 && pos < n && text_[pos - 1] == '\r' && text_[pos] == '\n') --pos;
    return pos;
}

void TextBox::assign(std::string text, int anchor, int caret) {
    const bool new_text = text != text_;
    const int was_anchor = anchor_;
    const int was_caret = caret_;
    if (new_text) text_ = std::move(text);
    anchor_ = clamped(anchor);
    caret_ = clamped(caret);
    if (new_text) changed("Text");
    // One notice for either end of the selection: the widget shows both.
    if (anchor_ != was_anchor || caret_ != was_caret) changed("SelStart");
    if (new_text) raise("Change", on_change);
}

void TextBox::set_text(std::string t) {
    if (t == text_) return;
    const int n = static_cast<int>(t.size());
    if (keys_entered_) {
        assign(std::move(t), 0, n);
    } else {
        const int at = std::min(sel_start(), n);
        assign(std::move(t), at, at);
    }
}

void TextBox::set_max_length(int n) {
    if (n < 0) bad_value();
    max_length_ = n;
    changed("MaxLength");
}

void TextBox::set_multi_line(bool m) {
    multi_line_ = m;
    changed("MultiLine");
}

void TextBox::set_password_char(std::string c) {
    if (c.size() > 1) c.resize(1);
    password_char_ = std::move(c);
    changed("PasswordChar");
}

void TextBox::set_alignment(int a) {
    if (a < 0 || a > 2) bad_value();
    alignment_ = a;
    changed("Alignment");
}

void TextBox::set_locked(bool l) {
    locked_ = l;
    changed("Locked");
}

void TextBox::set_keys_entered(bool on) {
    if (on && multi_line_) return;
    keys_entered_ = false;
    if (!on) return;
    select(0, static_cast<int>(text_.size()));
    keys_entered_ = true;
}

void TextBox::set_sel_start(int s) {
    keys_entered_ = false;
    if (s < 0) bad_value();
    assign(text_, s, s);
}

void TextBox::set_sel_length(int n) {
    keys_entered_ = false;
    if (n < 0) bad_value();
    const int start = sel_start();
    assign(text_, start, start + n);
}

void TextBox::select(int anchor, int caret) {
    keys_entered_ = false;
    assign(text_, anchor, caret);
}

std::string TextBox::sel_text() const {
    return text_.substr(sel_start(), sel_length());
}

void TextBox::replace_selection(const std::string& with) {
    keys_entered_ = false;
    std::string t = text_;
    t.replace(sel_start(), sel_length(), with);
    const int caret = sel_start() + static_cast<int>(with.size());
    assign(std::move(t), caret, caret);
}

void TextBox::set_sel_text(const std::string& t) {
    replace_selection(t);
}

// A line break (CR LF) is one step of the caret, and one character to Backspace or Delete.
int TextBox::step_left(int pos) const {
    if (pos >= 2 && text_[pos - 1] == '\n' && text_[pos - 2] == '\r') return pos - 2;
    return std::max(0, pos - 1);
}

int TextBox::step_right(int pos) const {
    const int n = static_cast<int>(text_.size());
    if (pos + 1 < n && text_[pos] == '\r' && text_[pos + 1] == '\n') return pos + 2;
    return std::min(n, pos + 1);
}

int TextBox::line_start(int pos) const {
    if (pos <= 0) return 0;
    const auto lf = text_.rfind('\n', static_cast<std::size_t>(pos - 1));
    return lf == std::string::npos ? 0 : static_cast<int>(lf) + 1;
}

int TextBox::line_end(int pos) const {
    const auto lf = text_.find('\n', static_cast<std::size_t>(pos));
    if (lf == std::string::npos) return static_cast<int>(text_.size());
    const int at = static_cast<int>(lf);
    return at > 0 && text_[at - 1] == '\r' ? at - 1 : at;
}

// Up and Down keep the caret's column where the next line is long enough; the first line
// has nothing above it, the last nothing below.
int TextBox::line_step(int pos, bool down) const {
    const int start = line_start(pos);
    const int column = pos - start;
    int to_start = 0;
    if (down) {
        const auto lf = text_.find('\n', static_cast<std::size_t>(pos));
        if (lf == std::string::npos) return pos;
        to_start = static_cast<int>(lf) + 1;
    } else {
        if (start == 0) return pos;
        to_start = line_start(start - 1);
    }
    return std::min(to_start + column, line_end(to_start));
}

// A multi-line box moves on the rows it is shown in; where it is shown nowhere each stored
// line is a row.
int TextBox::row_step(int pos, RowMove move) const {
    if (TextRows* rows = services().rows)
        if (const auto to = rows->row_move(*this, pos, move)) return clamped(*to);
    switch (move) {
        case RowMove::up:
            return line_step(pos, false);
        case RowMove::down:
            return line_step(pos, true);
        case RowMove::start:
            return line_start(pos);
        case RowMove::end:
            break;
    }
    return line_end(pos);
}

void TextBox::select_word_at(int pos) {
    const int n = static_cast<int>(text_.size());
    // A password box's runs would show where its blanks are.
    if (!password_char_.empty()) {
        select(0, n);
        return;
    }
    int from = std::clamp(pos, 0, n);
    int to = from;
    while (from > 0 && !blank(text_[from - 1])) --from;
    while (to < n && !blank(text_[to])) ++to;
    if (from == to) {
        // Between blanks: the blanks of that line.
        auto space = [](char ch) { return ch == ' ' || ch == '\t'; };
        while (from > 0 && space(text_[from - 1])) --from;
        while (to < n && space(text_[to])) ++to;
    }
    select(from, to);
}

void TextBox::select_line_at(int pos) {
    const int at = clamped(pos);
    select(line_start(at), line_end(at));
}

void TextBox::erase(int from, int to) {
    std::string t = text_;
    t.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    assign(std::move(t), from, from);
}

void TextBox::default_char(int ascii) {
    if (locked_) return;
    if (ascii == 8) {
        keys_entered_ = false;
        if (sel_length() > 0) {
            replace_selection("");
        } else if (caret_ > 0) {
            erase(step_left(caret_), caret_);
        }
        return;
    }
    std::string with;
    if (ascii == 13) {
        if (!multi_line_) return;
        with = "\r\n";
    } else if (ascii < 32) {
        return;  // Esc and other control characters insert nothing
    } else {
        with.assign(1, static_cast<char>(ascii));
    }
    const auto after = text_.size() - sel_length() + with.size();
    if (max_length_ > 0 && after > static_cast<std::size_t>(max_length_)) return;
    replace_selection(with);
}

// The caret keys as a classic text box has them: with Shift the caret moves and the
// anchor stays, so the selection grows or shrinks from it; without, Left and Right first
// give up a selection at its own side, and every move leaves the caret alone.
void TextBox::default_key(int key, int shift) {
    keys_entered_ = false;
    const bool extend = (shift & shift_mask) != 0;
    const bool selected = anchor_ != caret_;
    int to = caret_;
    switch (key) {
        case vk_left:
            to = selected && !extend ? sel_start() : step_left(caret_);
            break;
        case vk_right:
            to = selected && !extend ? sel_start() + sel_length() : step_right(caret_);
            break;
        case vk_home:
            to = multi_line_ ? row_step(caret_, RowMove::start) : line_start(caret_);
            break;
        case vk_end:
            to = multi_line_ ? row_step(caret_, RowMove::end) : line_end(caret_);
            break;
        case vk_up:
        case vk_down:
            if (!multi_line_) return;
            to = row_step(caret_, key == vk_down ? RowMove::down : RowMove::up);
            break;
        case vk_delete:
            if (locked_) return;
            if (selected) {
                replace_selection("");
            } else if (caret_ < static_cast<int>(text_.size())) {
                erase(caret_, step_right(caret_));
            }
            return;
        default:
            return;
    }
    select(extend ? anchor_ : to, to);
}

}  // namespace dvx::ui

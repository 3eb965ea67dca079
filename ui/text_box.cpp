#include <algorithm>

#include "ui/control_faults.h"
#include "ui/controls.h"
#include "ui/keyboard.h"

namespace dvx::ui {

using detail::bad_value;

void TextBox::set_text(std::string t) {
    if (t == text_) return;
    text_ = std::move(t);
    if (keys_entered_) {
        sel_start_ = 0;
        sel_length_ = static_cast<int>(text_.size());
    } else {
        sel_start_ = std::min<int>(sel_start_, static_cast<int>(text_.size()));
        sel_length_ = 0;
    }
    changed("Text");
    raise("Change", on_change);
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
    const int n = static_cast<int>(text_.size());
    if (sel_start_ != 0 || sel_length_ != n) {
        set_sel_start(0);
        set_sel_length(n);
    }
    keys_entered_ = true;
}

void TextBox::set_sel_start(int s) {
    keys_entered_ = false;
    if (s < 0) bad_value();
    sel_start_ = std::min<int>(s, static_cast<int>(text_.size()));
    sel_length_ = 0;
    changed("SelStart");
}

void TextBox::set_sel_length(int n) {
    keys_entered_ = false;
    if (n < 0) bad_value();
    sel_length_ = std::min<int>(n, static_cast<int>(text_.size()) - sel_start_);
    changed("SelLength");
}

std::string TextBox::sel_text() const {
    return text_.substr(sel_start_, sel_length_);
}

void TextBox::replace_selection(const std::string& with) {
    keys_entered_ = false;
    std::string t = text_;
    t.replace(sel_start_, sel_length_, with);
    const int caret = sel_start_ + static_cast<int>(with.size());
    set_text(std::move(t));
    sel_start_ = std::min<int>(caret, static_cast<int>(text_.size()));
    sel_length_ = 0;
}

void TextBox::set_sel_text(const std::string& t) {
    replace_selection(t);
}

void TextBox::default_char(int ascii) {
    if (locked_) return;
    if (ascii == 8) {
        if (sel_length_ == 0) {
            if (sel_start_ == 0) return;
            --sel_start_;
            sel_length_ = 1;
        }
        replace_selection("");
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
    const auto after = text_.size() - sel_length_ + with.size();
    if (max_length_ > 0 && after > static_cast<std::size_t>(max_length_)) return;
    replace_selection(with);
}

void TextBox::default_key(int key, int shift) {
    keys_entered_ = false;
    const int n = static_cast<int>(text_.size());
    switch (key) {
        case vk_left:
            sel_start_ = std::max(0, sel_start_ - 1);
            break;
        case vk_right:
            sel_start_ = std::min(n, sel_start_ + sel_length_ + 1);
            break;
        case vk_home:
            sel_start_ = 0;
            break;
        case vk_end:
            sel_start_ = n;
            break;
        case vk_delete:
            if (locked_) return;
            if (sel_length_ == 0) {
                if (sel_start_ >= n) return;
                sel_length_ = 1;
            }
            replace_selection("");
            return;
        default:
            return;
    }
    sel_length_ = 0;
}

}  // namespace dvx::ui

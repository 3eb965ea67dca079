#include "pages/work_page.h"

#include <algorithm>
#include <stdexcept>

#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/firmware.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "model/sensor_hint.h"
#include "ui/app.h"

namespace dvx::pages {

namespace {

std::int32_t floor_div(std::int32_t a, std::int32_t b) {
    std::int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

std::int16_t clamp16(std::int64_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

}  // namespace

std::string word_text(std::int32_t raw, std::int32_t d) {
    return model::raw_to_text(std::to_string(raw), static_cast<int>(d));
}

Filling::Filling(bool input_page) {
    model::mask_filling = 1;
    if (input_page) model::input_mask_filling = 1;
}

Filling::~Filling() {
    model::mask_filling = 0;
    model::input_mask_filling = 0;
}

WorkPage::WorkPage(std::string name, ui::Rect rect, bool gives_placement_back)
    : Form(std::move(name), rect) {
    on_unload = [this, gives_placement_back](int&) {
        if (gives_placement_back)
            mainwin::back_to_main(*this);
        else
            mainwin::hauptmenu_inst->set_visible(true);
    };
}

void WorkPage::move_next(int key) {
    model::entry_key(key, [this] { fill(); });
}

void WorkPage::bind_fields(std::span<const NumericField> table) {
    table_ = table;
    for (const NumericField& f : table_) {
        ui::TextBox& box = box_of(f);
        box.on_key_press = [this, &f, &box](int& key) { key_press(f, box, key); };
        box.on_lost_focus = [this, &f, &box] { lost_focus(f, box); };
        watch_field(box, [&f](const std::string& text) { return keeps_word(f, text); });
        box.on_paste = [this, &f, &box](std::string& text) {
            text = model::number_paste(text, static_cast<int>(f.key_decimals.of(f.word)),
                                       box.text(), box.sel_start(), box.sel_length());
            if (!text.empty()) move_next(0);  // a changed text is checked when it is left
        };
    }
}

ui::TextBox& WorkPage::box_of(const NumericField& f) const {
    auto* box = dynamic_cast<ui::TextBox*>(control(f.field));
    if (!box) throw std::logic_error("work page without its field " + std::string(f.field));
    return *box;
}

const NumericField* WorkPage::field(std::string_view name) const {
    for (const NumericField& f : table_)
        if (f.field == name) return &f;
    return nullptr;
}

std::string WorkPage::shown_text(const NumericField& f) {
    const std::int32_t scale = std::max<std::int32_t>(1, f.scale.of(f.word));
    return word_text(floor_div(model::param_image[f.word], scale), f.decimals.of(f.word));
}

std::int16_t WorkPage::stored_word(const NumericField& f, const std::string& text) {
    const std::int32_t scale = std::max<std::int32_t>(1, f.scale.of(f.word));
    return clamp16(std::int64_t{scale} * model::text_to_raw(text));
}

bool WorkPage::keeps_word(const NumericField& f, const std::string& text) {
    const std::string left = model::fmt_fixed(text, static_cast<int>(f.decimals.of(f.word)));
    if (left == shown_text(f)) return true;
    return model::within_range(left, f.min.of(f.word), f.max.of(f.word)) &&
           stored_word(f, left) == model::param_image[f.word];
}

void WorkPage::show_field(const NumericField& f) {
    box_of(f).set_text(shown_text(f));
}

void WorkPage::show_fields() {
    for (const NumericField& f : table_) show_field(f);
}

void WorkPage::key_press(const NumericField& f, ui::TextBox& box, int& key) {
    key = model::number_key(key, static_cast<int>(f.key_decimals.of(f.word)), box.text(),
                            box.sel_start(), box.sel_length());
    move_next(key);
}

void WorkPage::lost_focus(const NumericField& f, ui::TextBox& box) {
    box.set_text(model::fmt_fixed(box.text(), static_cast<int>(f.decimals.of(f.word))));
    // A value left as the image shows it is neither checked nor stored: a word that a
    // device or file brought in outside the field's limits must not trap the user here.
    if (box.text() == shown_text(f)) return;
    if (model::check_range(box.text(), f.min.of(f.word), f.max.of(f.word))) {
        box.set_focus();
        return;
    }
    model::param_image[f.word] = stored_word(f, box.text());
}

void WorkPage::bind_text8(ui::TextBox& box, int first_word) {
    pass_keys(box);
    watch_field(box, [first_word](const std::string& text) {
        const auto words = model::text_words(model::text8_entry(text));
        return std::equal(words.begin(), words.end(), model::param_image.begin() + first_word);
    });
    box.on_lost_focus = [this, &box, first_word] {
        model::text_to_params(first_word, model::text8_entry(box.text()));
        fill();
    };
}

void WorkPage::pass_keys(ui::Control& c) {
    c.on_key_press = [this](int& key) { move_next(key); };
}

void WorkPage::bind_bit_list(ui::ListControl& list, int word, std::uint16_t mask) {
    list.on_click = [&list, word, mask] {
        if (list.list_index() < 0) return;
        model::put_value(word, mask, static_cast<std::int16_t>(list.list_index()));
    };
    pass_keys(list);
}

void WorkPage::select(ui::ListControl& list, std::int32_t value) {
    list.set_list_index(value >= 0 && value < list.list_count() ? static_cast<int>(value) : -1);
}

}  // namespace dvx::pages

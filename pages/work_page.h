#pragma once
// The frame every work page is built on: a page is a window whose numeric fields are
// described by one table (field, word, decimals, limits, scale), plus its lists, check
// boxes and 8-character text fields bound to words or bit fields, plus a fill procedure
// that shows the image. The frame gives all fields the same key filter, reformatting,
// range check, store, Enter (next field) and Esc (refill from the image), and gives the
// placement back to the main window when the page unloads. Nothing here talks to a
// device: pages edit model::param_image only. See pages/README.md.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/bound_fields.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::pages {

// A number a field takes from the image or the page's state when it is used: a fixed
// value or a rule given the field's word (so one rule serves the four alarm values).
using WordRule = std::int32_t (*)(int word);
struct Amount {
    std::int32_t fixed = 0;
    WordRule rule = nullptr;
    std::int32_t of(int word) const { return rule ? rule(word) : fixed; }
};
constexpr Amount fixed(std::int32_t v) {
    return {v, nullptr};
}
constexpr Amount by(WordRule r) {
    return {0, r};
}

// One numeric entry field: the text box `field` shows param_image[word] / scale with
// `decimals`; typing passes the keys of key_is_invalid with `key_decimals`; leaving it
// stores scale x the entered raw value once it lies within min..max (stored units,
// compared before scaling).
struct NumericField {
    std::string_view field;
    int word;
    Amount key_decimals;
    Amount decimals;
    Amount min, max;
    Amount scale = fixed(1);
};

// While it lives, mask_filling is 1 (and input_mask_filling too for input pages); both
// are 0 when it ends, also after a nested fill.
class Filling {
  public:
    explicit Filling(bool input_page);
    ~Filling();
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;
};

// Its numeric and 8-character fields are its bound fields (model/bound_fields.h).
class WorkPage : public ui::Form, public model::BoundFields {
  public:
    // The page's fill procedure (set_..._mask): shows the whole image.
    virtual void fill() = 0;
    // The page's key procedure, one for every page: move_next_inp, move_next_d3_inp,
    // move_next_out, move_next_dout, move_next_check30, move_next_check_m, move_next_cal1,
    // move_next_cal2 and move_next_cal3 of the design are this one. Enter moves on as Tab
    // does, Esc refills the page, every other key (a dropped one too) clears
    // range_check_latch.
    void move_next(int key);

  protected:
    // `gives_placement_back`: Unload copies the placement to the main window before it
    // shows it again (all but a few pages).
    WorkPage(std::string name, ui::Rect rect, bool gives_placement_back = true);

    // Binds the numeric fields of the table; call once the controls exist. The table
    // must outlive the page (a constexpr table).
    void bind_fields(std::span<const NumericField> table);
    // Shows one field's word (fill step), or every field of the table.
    void show_field(const NumericField& f);
    void show_fields();
    // The row of a field by control name; nullptr when the table has none.
    const NumericField* field(std::string_view name) const;

    // An 8-character text field over words first..first+3: leaving it stores the
    // trimmed text padded to 8 characters and refills the page.
    void bind_text8(ui::TextBox& box, int first_word);
    // Keys of a list or text field go to move_next unfiltered.
    void pass_keys(ui::Control& c);
    // A list whose position is the bit field `mask` of the word; the other bits stay.
    void bind_bit_list(ui::ListControl& list, int word, std::uint16_t mask);
    // Selects `value` when the list has such an entry, else no entry (never indexes out
    // of the list).
    static void select(ui::ListControl& list, std::int32_t value);

    // Unloads the page (its Back button).
    void close_page() { unload(); }

  private:
    // The text the image gives the field, and the word leaving it with a (normalised)
    // text stores: one conversion for the store, the fill and the check of the window.
    static std::string shown_text(const NumericField& f);
    static std::int16_t stored_word(const NumericField& f, const std::string& text);
    static bool keeps_word(const NumericField& f, const std::string& text);
    void key_press(const NumericField& f, ui::TextBox& box, int& key);
    void lost_focus(const NumericField& f, ui::TextBox& box);
    ui::TextBox& box_of(const NumericField& f) const;
    std::span<const NumericField> table_;
};

// Fixed-point text of a word shown with d decimals (raw 125, 1 -> "12.5").
std::string word_text(std::int32_t raw, std::int32_t d);

}  // namespace dvx::pages

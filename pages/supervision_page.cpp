#include "pages/supervision_page.h"

#include <stdexcept>
#include <string>

#include "mainwin/hauptmenu.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/messages.h"

namespace dvx::pages {

namespace {

using model::param_image;

constexpr int first_alarm_word = 83;
// Bits 2-3 of an alarm word: the output's function, 0 = not used.
constexpr std::uint16_t function_bits = 0x000C;
constexpr std::uint16_t no_blink_bit = 0x0080;  // of word 113

// Geometry of the tables, in twips inside their frames.
constexpr int tolerance_top = 600, tolerance_step = 360;
constexpr int reaction_top = 660, reaction_step = 450;
constexpr int reaction_left = 4920, reaction_width = 1080;

std::uint16_t uword(int k) {
    return static_cast<std::uint16_t>(param_image[k]);
}

bool output_used(int column) {
    return (uword(first_alarm_word + column - 1) & function_bits) != 0;
}

}  // namespace

SupervisionPage::SupervisionPage(std::string name, const SupervisionDesign& design)
    : WorkPage(std::move(name), {0, 0, 9690, 8225}), design_(design) {
    int y = tolerance_top;
    for (const ToleranceRow& t : design_.tolerances) {
        labels_.emplace_back(Frame3D1, t.label, ui::Rect{120, y, 3600, 255});
        labels_.emplace_back(Frame3D1, t.prefix, ui::Rect{3840, y, 360, 255})
            .set_caption(t.prefix_caption);
        boxes_.emplace_back(Frame3D1, t.field, ui::Rect{4260, y - 60, 900, 315});
        labels_.emplace_back(Frame3D1, t.unit, ui::Rect{5280, y, 3900, 255})
            .set_caption(t.unit_caption);
        y += tolerance_step;
    }
    y = reaction_top;
    for (const ReactionRow& r : design_.rows) {
        // Two lines: the longest source names wrap.
        row_labels_[r.row] = &labels_.emplace_back(Frame3D2, r.label, ui::Rect{120, y, 2400, 390});
        ui::ComboBox& out = lists_.emplace_back(Frame3D2, r.output_list,
                                                ui::Rect{2640, y - 60, 2160, 315}, r.output_index);
        outputs_[r.row] = &out;
        out.on_click = [this, &r] { store_output(r); };
        if (r.output_keys) pass_keys(out);
        for (int k = 1; k <= 4; ++k) {
            ui::ComboBox& list = err_al[k - 1].add(
                r.row, Frame3D2,
                {reaction_left + reaction_width * (k - 1), y - 60, reaction_width - 60, 315});
            list.on_click = [this, k, &r] { store_reaction(k, r); };
            if (design_.reaction_keys) pass_keys(list);
        }
        y += reaction_step;
    }
    // The blink box and Back lie below the tables: last in the tab order.
    close_tab_order({&chk_blink_on_mem, &B_Zurueck});
    chk_blink_on_mem.on_click = [this] {
        const std::uint16_t w = uword(113);
        param_image[113] = static_cast<std::int16_t>(
            chk_blink_on_mem.value() == 1 ? w | no_blink_bit : w & ~no_blink_bit);
    };
}

ui::ComboBox& SupervisionPage::reaction_list(int column, int row) const {
    return err_al.at(static_cast<std::size_t>(column - 1))[row];
}

ui::TextBox& SupervisionPage::text_box(const char* name) const {
    auto* box = dynamic_cast<ui::TextBox*>(control(name));
    if (!box) throw std::logic_error(std::string("supervision page without ") + name);
    return *box;
}

ui::Label& SupervisionPage::label(const char* name) const {
    auto* l = dynamic_cast<ui::Label*>(control(name));
    if (!l) throw std::logic_error(std::string("supervision page without ") + name);
    return *l;
}

void SupervisionPage::fill_lists(bool with_limit) {
    for (const ReactionRow& r : design_.rows) {
        ui::ComboBox& out = output_list(r.row);
        out.add_item(r.frozen ? texts::msg_err_out_frozen_value
                              : texts::msg_err_out_momentary_value);
        out.add_item(texts::msg_err_out_alarm_value);
    }
    // List position = mode: lim-prio, off, on, limit.
    for (const ReactionRow& r : design_.rows)
        for (int k = 1; k <= 4; ++k) {
            ui::ComboBox& list = reaction_list(k, r.row);
            for (const std::string* t : {&texts::msg_err_relay_lim_prio, &texts::msg_err_relay_off,
                                         &texts::msg_err_relay_on})
                list.add_item(*t);
        }
    if (with_limit)
        for (const ReactionRow& r : design_.rows)
            for (int k = 1; k <= 4; ++k)
                reaction_list(k, r.row).add_item(texts::msg_err_relay_limit);
}

void SupervisionPage::normalise() const {
    model::normalise_group_bits(design_.group_bits);
}

void SupervisionPage::show_reactions() {
    for (const ReactionRow& r : design_.rows)
        select(output_list(r.row), (uword(75) & r.shown_by) != 0 ? 1 : 0);

    const bool snap = mainwin::hauptmenu_inst->S_SNAP.value() == 1;
    std::map<int, const ReactionRow*> ascending;
    for (const ReactionRow& r : design_.rows) ascending[r.row] = &r;
    for (const auto& [row, r] : ascending) {
        for (int k = 1; k <= 4; ++k) {
            const int a = first_alarm_word + k - 1;
            const int b = design_.second_words[static_cast<std::size_t>(k - 1)];
            const std::int16_t mode = design_.get_mode(row, a, b);
            // Stored back at once: an output without function reads mode 0 everywhere and
            // so loses its reaction bits, as do modes this firmware cannot show.
            design_.set_mode(mode, row, a, b);
            select(reaction_list(k, row), mode);
            // Without S_SNAP the board has no fourth alarm output.
            const bool shown = output_used(k) && (k < 4 || !snap);
            reaction_list(k, row).set_visible(shown);
            heads[static_cast<std::size_t>(k - 1)].set_visible(shown);
        }
    }
}

void SupervisionPage::show_blink() {
    chk_blink_on_mem.set_enabled(mainwin::hauptmenu_inst->m_calib.enabled());
    chk_blink_on_mem.set_value((uword(113) & no_blink_bit) != 0 ? 1 : 0);
}

void SupervisionPage::store_output(const ReactionRow& r) {
    const int index = output_list(r.row).list_index();
    if (index < 0) return;
    // The system group is stored whole: all five bits set or all cleared.
    const std::uint16_t w = uword(75);
    param_image[75] = static_cast<std::int16_t>(index == 0 ? w & ~r.source : w | r.source);
}

void SupervisionPage::store_reaction(int column, const ReactionRow& r) {
    const int mode = reaction_list(column, r.row).list_index();
    if (mode < 0) return;
    design_.set_mode(mode, r.row, first_alarm_word + column - 1,
                     design_.second_words[static_cast<std::size_t>(column - 1)]);
}

}  // namespace dvx::pages

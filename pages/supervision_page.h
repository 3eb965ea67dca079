#pragma once
// What the KRV and DLX supervision pages share: a frame of tolerance fields and the
// table of error reactions. Each error source has a row: its analog-output list (item 1:
// the output goes to its alarm value, bit set in word 75) and, per alarm output, a
// reaction list whose position is the mode 0..3 of model/supervision_bits.h. A page is
// described by its tables (SupervisionDesign); the fill normalises the system group,
// shows the words and stores back the modes it read, so an output without function
// keeps no reaction bits (the same result whatever order the lists' clicks come in).
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <span>

#include "model/supervision_bits.h"
#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::pages {

// One error source of the reaction table.
struct ReactionRow {
    int row;                  // item of the family's layout; index of the row's reaction lists
    std::uint16_t source;     // its bits in word 75 (0x287 for the system group)
    std::uint16_t shown_by;   // the bits of word 75 that select "Alarm value" when filling
    const char* label;        // the row's caption label
    const char* output_list;  // its analog-output list: a name, and an index for an array
    int output_index;         // -1: a list of its own
    bool frozen;              // item 0 reads msg_err_out_frozen_value
    bool output_keys;         // the analog-output list passes keys to the key procedure
};

// One tolerance line of the frame Frame3D1: label, prefix ("+/-"), field, unit.
struct ToleranceRow {
    const char* label;
    const char* prefix;
    const char* prefix_caption;
    const char* field;
    const char* unit;
    const char* unit_caption;  // as designed ("" when the caption procedure words it)
};

struct SupervisionDesign {
    std::span<const ToleranceRow> tolerances;
    std::span<const ReactionRow> rows;  // top to bottom
    std::array<int, 4> second_words;    // reaction word of alarm outputs 1..4
    std::span<const model::GroupBits> group_bits;
    std::int16_t (*get_mode)(int item, int alarm_word, int second_word);
    void (*set_mode)(int mode, int row, int alarm_word, int second_word);
    bool reaction_keys;  // the reaction lists pass keys to the key procedure
};

class SupervisionPage : public WorkPage {
  public:
    ui::ComboBox& output_list(int row) const { return *outputs_.at(row); }
    // Reaction list of alarm output `column` (1..4) in `row`.
    ui::ComboBox& reaction_list(int column, int row) const;
    ui::Label& row_label(int row) const { return *row_labels_.at(row); }
    ui::TextBox& text_box(const char* name) const;
    ui::Label& label(const char* name) const;

    ui::Frame Frame3D1{*this, "Frame3D1", {120, 120, 9330, 1980}};
    ui::Label Label2{Frame3D1, "Label2", {4200, 240, 2400, 255}};
    ui::Frame Frame3D2{*this, "Frame3D2", {120, 2220, 9330, 3840}};
    ui::Label Label30{Frame3D2, "Label30", {120, 300, 2400, 255}};
    ui::Label Label20{Frame3D2, "Label20", {2640, 300, 2160, 255}};
    std::array<ui::Label, 4> heads{{{Frame3D2, "Label21", {4920, 300, 1020, 255}},
                                    {Frame3D2, "Label23", {6000, 300, 1020, 255}},
                                    {Frame3D2, "Label25", {7080, 300, 1020, 255}},
                                    {Frame3D2, "Label27", {8160, 300, 1020, 255}}}};
    std::array<ui::ControlArray<ui::ComboBox>, 4> err_al{
        {ui::ControlArray<ui::ComboBox>{"err_al_1"}, ui::ControlArray<ui::ComboBox>{"err_al_2"},
         ui::ControlArray<ui::ComboBox>{"err_al_3"}, ui::ControlArray<ui::ComboBox>{"err_al_4"}}};
    ui::CheckBox chk_blink_on_mem{*this, "chk_blink_on_mem", {120, 6180, 9330, 255}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 6600, 3000, 495}};

  protected:
    SupervisionPage(std::string name, const SupervisionDesign& design);

    // Load: the items of the analog-output lists and of the reaction lists ("limit"
    // only `with_limit`).
    void fill_lists(bool with_limit);
    // Fill steps: the system group made whole or empty by its representative bit.
    void normalise() const;
    // Fill steps: the analog-output selections, then per row (ascending) the modes read,
    // stored back and selected, and the columns of outputs without function hidden.
    void show_reactions();
    // Fill step: the blink box takes the calibration menu's enabled state and bit 7 of
    // word 113.
    void show_blink();

  private:
    void store_output(const ReactionRow& r);
    void store_reaction(int column, const ReactionRow& r);

    const SupervisionDesign& design_;
    std::deque<ui::Label> labels_;
    std::deque<ui::TextBox> boxes_;
    std::deque<ui::ComboBox> lists_;
    std::map<int, ui::ComboBox*> outputs_;
    std::map<int, ui::Label*> row_labels_;
};

}  // namespace dvx::pages

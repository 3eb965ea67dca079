// A text box edits as a classic one: the caret keys with and without Shift, a line break as
// one character, a double click's word (a password box's whole text) and a triple click's
// line; and every change of its text, caret or selection is told to the observers, whatever
// made it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/services_fixture.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"
#include "ui/observer.h"

namespace dvx::ui {
namespace {

class Boxes : public Form {
  public:
    Boxes() : Form("boxes", {0, 0, 6000, 4000}) {
        on_load = [this] { memo.set_multi_line(true); };
    }
    TextBox line{*this, "line", {120, 120, 2000, 315}};
    TextBox memo{*this, "memo", {120, 600, 4000, 2000}};
};

// Counts the notices each control gets.
class Witness : public Observer {
  public:
    Witness() { add_observer(this); }
    ~Witness() override { remove_observer(this); }
    Witness(const Witness&) = delete;
    Witness& operator=(const Witness&) = delete;
    void property_changed(Control& c, std::string_view) override {
        if (&c == watched) ++notices;
    }
    const Control* watched = nullptr;
    int notices = 0;
};

struct Shown {
    std::string text;
    int anchor = 0, caret = 0;
    bool operator==(const Shown&) const = default;
};

Shown shown(const TextBox& t) {
    return {t.text(), t.anchor(), t.caret()};
}

std::ostream& operator<<(std::ostream& os, const Shown& s) {
    std::string t;
    for (char ch : s.text)
        t += ch == '\r' ? std::string("\\r") : ch == '\n' ? "\\n" : std::string(1, ch);
    return os << '"' << t << "\" " << s.anchor << ".." << s.caret;
}

class TextEdit : public dvx::testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        form_.load();
        form_.show_modeless();
    }
    // The box with the keys, its text and selection as given.
    TextBox& box(bool multi, const std::string& text, int anchor, int caret) {
        TextBox& t = multi ? form_.memo : form_.line;
        user_focus(t);
        EXPECT_EQ(focus_owner(), &t);
        t.set_text(text);
        t.select(anchor, caret);
        return t;
    }
    Boxes form_;
};

constexpr int shift = shift_mask;
const std::string memo = "ab\r\ncdef\r\ng";  // lines at 0..2, 4..8, 10..11

TEST_F(TextEdit, TheCaretKeysMoveAndSelectAsInAClassicTextBox) {
    struct Case {
        const char* name;
        bool multi;
        std::string text;
        int anchor, caret;
        int key, shift;
        Shown after;
    };
    const std::vector<Case> cases = {
        {"Shift+Left at the end takes the last digit",
         false,
         "12.5",
         4,
         4,
         vk_left,
         shift,
         {"12.5", 4, 3}},
        {"Shift+Home from the end takes the whole text",
         false,
         "12.5",
         4,
         4,
         vk_home,
         shift,
         {"12.5", 4, 0}},
        {"Shift+End from the start", false, "12.5", 0, 0, vk_end, shift, {"12.5", 0, 4}},
        {"Shift+Right shrinks a selection made leftward",
         false,
         "12.5",
         4,
         1,
         vk_right,
         shift,
         {"12.5", 4, 2}},
        {"Shift+Left across the anchor turns the selection",
         false,
         "12.5",
         2,
         3,
         vk_left,
         shift,
         {"12.5", 2, 2}},
        {"Shift+Right at the end keeps the selection",
         false,
         "12.5",
         1,
         4,
         vk_right,
         shift,
         {"12.5", 1, 4}},
        {"Left gives up a selection at its start", false, "12.5", 1, 3, vk_left, 0, {"12.5", 1, 1}},
        {"Right gives up a selection at its end, not one past",
         false,
         "12.5",
         3,
         1,
         vk_right,
         0,
         {"12.5", 3, 3}},
        {"Right after Ctrl+A: the caret at the end",
         false,
         "1.0",
         0,
         3,
         vk_right,
         0,
         {"1.0", 3, 3}},
        {"End after Ctrl+A", false, "1.0", 0, 3, vk_end, 0, {"1.0", 3, 3}},
        {"Home with a selection", false, "1.0", 1, 3, vk_home, 0, {"1.0", 0, 0}},
        {"Left at the start", false, "1.0", 0, 0, vk_left, 0, {"1.0", 0, 0}},
        {"Right at the end", false, "1.0", 3, 3, vk_right, 0, {"1.0", 3, 3}},
        {"Up in a single-line box", false, "1.0", 2, 2, vk_up, shift, {"1.0", 2, 2}},
        {"Down in a single-line box", false, "1.0", 2, 2, vk_down, 0, {"1.0", 2, 2}},
        {"Delete takes the selection", false, "-50", 0, 1, vk_delete, 0, {"50", 0, 0}},
        // A multi-line box: lines "ab", "cdef", "g".
        {"Left over a line break is one step", true, memo, 4, 4, vk_left, 0, {memo, 2, 2}},
        {"Right over a line break is one step", true, memo, 2, 2, vk_right, 0, {memo, 4, 4}},
        {"Shift+Right over a line break", true, memo, 1, 2, vk_right, shift, {memo, 1, 4}},
        {"Home goes to the start of the line", true, memo, 7, 7, vk_home, 0, {memo, 4, 4}},
        {"End goes to the end of the line", true, memo, 5, 5, vk_end, 0, {memo, 8, 8}},
        {"Shift+End within the line", true, memo, 5, 5, vk_end, shift, {memo, 5, 8}},
        {"Up keeps the column where the line is long enough",
         true,
         memo,
         5,
         5,
         vk_up,
         0,
         {memo, 1, 1}},
        {"Up into a shorter line: its end", true, memo, 8, 8, vk_up, 0, {memo, 2, 2}},
        {"Down keeps the column", true, memo, 1, 1, vk_down, 0, {memo, 5, 5}},
        {"Down into a shorter line: its end", true, memo, 7, 7, vk_down, 0, {memo, 11, 11}},
        {"Up on the first line", true, memo, 1, 1, vk_up, 0, {memo, 1, 1}},
        {"Down on the last line", true, memo, 10, 10, vk_down, 0, {memo, 10, 10}},
        {"Shift+Down extends from the anchor", true, memo, 1, 1, vk_down, shift, {memo, 1, 5}},
        {"Shift+Up extends from the anchor", true, memo, 11, 11, vk_up, shift, {memo, 11, 5}},
        {"Down with a selection moves from the caret", true, memo, 0, 2, vk_down, 0, {memo, 6, 6}},
        {"Delete at a line's end joins the lines",
         true,
         memo,
         2,
         2,
         vk_delete,
         0,
         {"abcdef\r\ng", 2, 2}},
        {"Backspace at a line's start joins the lines",
         true,
         memo,
         4,
         4,
         vk_back,
         0,
         {"abcdef\r\ng", 2, 2}},
        {"Backspace takes the selection", true, memo, 5, 8, vk_back, 0, {"ab\r\nc\r\ng", 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBox& t = box(c.multi, c.text, c.anchor, c.caret);
        ASSERT_EQ(shown(t), (Shown{c.text, c.anchor, c.caret}));
        user_key(c.key, c.shift);
        EXPECT_EQ(shown(t), c.after);
        EXPECT_EQ(t.sel_start(), std::min(c.after.anchor, c.after.caret));
        EXPECT_EQ(t.sel_length(), std::abs(c.after.caret - c.after.anchor));
    }
}

// A typed key replaces what Shift selected: the technician mends one digit.
TEST_F(TextEdit, ShiftSelectsPartOfAValueThatTheNextKeyReplaces) {
    TextBox& t = box(false, "12.5", 4, 4);
    user_key(vk_home);
    user_key(vk_right, shift);
    user_key(vk_right, shift);
    EXPECT_EQ(t.sel_text(), "12");
    user_type("4");
    EXPECT_EQ(shown(t), (Shown{"4.5", 1, 1}));
}

TEST_F(TextEdit, ADoubleClickTakesTheRunBetweenBlanksATripleClickTheLine) {
    struct Case {
        const char* name;
        bool multi;
        std::string text;
        int pos, clicks;
        int anchor, caret;
    };
    const std::vector<Case> cases = {
        {"a number with its point", false, "4.5", 1, 2, 0, 3},
        {"a number with its sign, at the digits", false, "-50", 2, 2, 0, 3},
        {"at the start of the text", false, "-50", 0, 2, 0, 3},
        {"at the end of the text", false, "-50", 3, 2, 0, 3},
        {"a word after a blank", false, "12.5 mA", 6, 2, 5, 7},
        {"right after a word", false, "12.5 mA", 4, 2, 0, 4},
        {"between two blanks: the blanks", false, "a   b", 2, 2, 1, 4},
        {"an empty box", false, "", 0, 2, 0, 0},
        {"a word on its line", true, "ab cd\r\nef", 7, 2, 7, 9},
        {"a word at a line's end", true, "ab cd\r\nef", 5, 2, 3, 5},
        {"the line of a single-line box", false, "12.5 mA", 2, 3, 0, 7},
        {"the first line", true, "ab cd\r\nef", 4, 3, 0, 5},
        {"the last line", true, "ab cd\r\nef", 8, 3, 7, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBox& t = box(c.multi, c.text, 0, 0);
        if (c.clicks == 2)
            t.select_word_at(c.pos);
        else
            t.select_line_at(c.pos);
        EXPECT_EQ(shown(t), (Shown{c.text, c.anchor, c.caret}));
    }
    // A password box's double click takes the whole text: a run would show where its
    // blanks are.
    TextBox& p = box(false, "ab cd", 0, 0);
    p.set_password_char("*");
    p.select_word_at(1);
    EXPECT_EQ(shown(p), (Shown{"ab cd", 0, 5}));
    p.set_password_char("");
    // Typing replaces the whole number: 10 over "4.5" is 10, not 10.5.
    TextBox& t = box(false, "4.5", 0, 0);
    t.select_word_at(1);
    user_type("10");
    EXPECT_EQ(t.text(), "10");
}

// Every way the text, the caret or the selection can change reaches the observers, so a
// renderer that mirrors the notices alone never shows a stale caret.
TEST_F(TextEdit, EveryChangeOfTheTextTheCaretOrTheSelectionIsTold) {
    struct Step {
        const char* name;
        std::function<void(TextBox&)> run;
    };
    const std::vector<Step> steps = {
        {"Left", [](TextBox&) { user_key(vk_left); }},
        {"Right", [](TextBox&) { user_key(vk_right); }},
        {"Home", [](TextBox&) { user_key(vk_home); }},
        {"End", [](TextBox&) { user_key(vk_end); }},
        {"Up", [](TextBox&) { user_key(vk_up); }},
        {"Down", [](TextBox&) { user_key(vk_down); }},
        {"Shift+Left", [](TextBox&) { user_key(vk_left, shift); }},
        {"Shift+Right", [](TextBox&) { user_key(vk_right, shift); }},
        {"Shift+Home", [](TextBox&) { user_key(vk_home, shift); }},
        {"Shift+End", [](TextBox&) { user_key(vk_end, shift); }},
        {"Shift+Up", [](TextBox&) { user_key(vk_up, shift); }},
        {"Shift+Down", [](TextBox&) { user_key(vk_down, shift); }},
        {"Delete", [](TextBox&) { user_key(vk_delete); }},
        {"Backspace", [](TextBox&) { user_key(vk_back); }},
        {"Enter", [](TextBox&) { user_key(vk_return); }},
        {"the same digit over a selected one",
         [](TextBox& t) { user_type(t.sel_text().substr(0, 1)); }},
        {"a digit", [](TextBox&) { user_type("7"); }},
        {"a paste", [](TextBox& t) { user_paste(t, "5"); }},
        {"the same text pasted over itself", [](TextBox& t) { user_paste(t, t.sel_text()); }},
        {"a double click", [](TextBox& t) { t.select_word_at(1); }},
        {"a triple click", [](TextBox& t) { t.select_line_at(1); }},
        {"SelStart by code", [](TextBox& t) { t.set_sel_start(1); }},
        {"SelLength by code", [](TextBox& t) { t.set_sel_length(2); }},
        {"SelText by code", [](TextBox& t) { t.set_sel_text("9"); }},
        {"Text by code", [](TextBox& t) { t.set_text("3.25"); }},
        {"the keys entering the box", [](TextBox& t) { t.set_keys_entered(true); }},
        {"a Tab into the box and back",
         [](TextBox&) {
             user_key(vk_tab);
             user_key(vk_tab, shift);
         }},
    };
    struct Start {
        bool multi;
        std::string text;
        int anchor, caret;
    };
    const std::vector<Start> starts = {
        {false, "12.5", 4, 4}, {false, "12.5", 0, 4}, {false, "12.5", 3, 1},
        {false, "", 0, 0},     {true, memo, 5, 5},    {true, memo, 2, 4},
    };
    Witness w;
    int changes = 0;
    for (const Start& s : starts) {
        for (const Step& step : steps) {
            SCOPED_TRACE(std::string(step.name) + " from " + (s.multi ? "memo" : "line") + " " +
                         std::to_string(s.anchor) + ".." + std::to_string(s.caret));
            TextBox& t = box(s.multi, s.text, s.anchor, s.caret);
            w.watched = &t;
            w.notices = 0;
            const Shown before = shown(t);
            step.run(t);
            if (shown(t) != before) {
                ++changes;
                EXPECT_GT(w.notices, 0) << before << " -> " << shown(t) << " untold";
            }
        }
    }
    EXPECT_GT(changes, 100);
}

}  // namespace
}  // namespace dvx::ui

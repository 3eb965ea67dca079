// Fixed-point texts, the key filter and the range check of the numeric entry fields,
// the print-out column fills, and the gauge and calibration scalings.
#include "model/number_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/param_image.h"
#include "model/param_words.h"
#include "tests/model/model_globals_fixture.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"
#include "ui/services.h"

namespace dvx::model {
namespace {

class NumberTexts : public testing::ModelGlobalsFixture {
  protected:
    void SetUp() override {
        ModelGlobalsFixture::SetUp();
        range_check_latch = 0;
        range_messages() = RangeMessages{};
    }
    void TearDown() override {
        range_check_latch = 0;
        range_messages() = RangeMessages{};
        ModelGlobalsFixture::TearDown();
    }
};

TEST_F(NumberTexts, RawToTextAndFmtFixed) {
    struct Case {
        const char* in;
        int d;
        const char* raw_to_text;
        const char* fmt_fixed;
    };
    const Case cases[] = {
        {"5", 2, "0.05", "5.00"},
        {"-5", 2, "-0.05", "-5.00"},
        {"1234", 1, "123.4", "1234.0"},
        {"", 0, "0", "0"},
        {"", 1, "0.0", "0.0"},
        {"007", 0, "007", "007"},
        {"12.34", 1, "123.4", "12.3"},
        {"12", 1, "1.2", "12.0"},
        {"1.239", 2, "12.39", "1.23"},  // cut, not rounded
        {"12.567", 1, "1256.7", "12.5"},
        {"12.5", 0, "125", "12"},
        {"-1-2", 1, "-1-.2", "-12.0"},
        {"1-", 0, "1-", "1"},
        {".5", 2, "0.05", "0.50"},
        {"-", 1, "-0.0", "-0.0"},
        {"-", 2, "-0.00", "-0.00"},
        {"1.2.3", 1, "12.3", "1.2"},  // a pasted second "." counts as a decimal
        {"12", -1, "12", "12"},       // a garbage decimals word counts as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.in) + " d=" + std::to_string(c.d));
        EXPECT_EQ(raw_to_text(c.in, c.d), c.raw_to_text);
        EXPECT_EQ(fmt_fixed(c.in, c.d), c.fmt_fixed);
    }
    EXPECT_EQ(strip_inner_minus("--1-2-"), "-12");
    EXPECT_EQ(remove_dots("..1.2."), "12");
}

// Nothing beyond the 16-bit range wraps: it is held at the nearest end.
TEST_F(NumberTexts, TextToRawNeverWraps) {
    struct Case {
        const char* text;
        int raw;
    };
    const Case cases[] = {
        {"12.5", 125},
        {"12.0", 120},
        {"1.23", 123},
        {"-0.05", -5},
        {"", 0},
        {"-", 0},
        {"  42", 42},
        {"7x9", 7},
        {"abc", 0},
        {"3276.7", 32767},
        {"-3276.8", -32768},
        {"3276.8", 32767},
        {"65536", 32767},
        {"-100000", -32768},
        {"99999999999999999999", 32767},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(text_to_raw(c.text), c.raw);
    }
}

TEST_F(NumberTexts, KeyFilter) {
    struct Case {
        int key;
        int d;
        const char* text;
        int refused;
    };
    const Case cases[] = {
        {'5', 0, "", 0},          {'-', 0, "12", 0},       {'-', 2, "-1-", 0},
        {'.', 1, "12", 0},        {'.', 1, "1.2", 1},      {'.', 0, "12", 1},
        {'5', 1, "123456", 0},    {'5', 1, "1234567", 1},  {'.', 2, "1234567", 1},
        {8, 0, "1234567890", 0},  {9, 0, "1234567890", 0}, {13, 0, "1234567890", 0},
        {27, 0, "1234567890", 0}, {'a', 1, "", 1},         {'+', 1, "", 1},
        {' ', 1, "", 1},          {',', 0, "12", 1},       {22, 1, "", 1},  // Ctrl+V
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " d=" + std::to_string(c.d) + " on " + c.text);
        EXPECT_EQ(key_is_invalid(c.key, c.d, c.text), c.refused);
    }
}

// A key is judged on the text it makes, the selection replaced: "." over a selected
// "1.0" starts a new number; "," is the decimal point where the field takes one.
TEST_F(NumberTexts, KeyFilterJudgesTheTextTheKeyMakes) {
    struct Case {
        int key;
        int d;
        const char* text;
        int sel_start, sel_length;
        int passed;  // the key the field takes; 0: dropped
    };
    const Case cases[] = {
        {'.', 1, "1.0", 0, 3, '.'},   // all selected: ".5" gives 0.5
        {'.', 1, "1.0", 1, 1, '.'},   // the old "." itself replaced
        {'.', 1, "1.0", 3, 0, 0},     // a second "."
        {'.', 1, "1.0", 0, 1, 0},     // the "." left standing
        {',', 1, "1", 1, 0, '.'},     // "1,5" is 1.5
        {',', 2, "1.25", 0, 4, '.'},  // over a selection
        {',', 1, "1.0", 3, 0, 0},     // a second point, however typed
        {',', 0, "1", 1, 0, 0},       // no decimals: no point at all
        {'.', 0, "10", 0, 2, 0},
        {'5', 1, "1234567", 0, 7, '5'},  // seven characters replaced by one
        {'5', 1, "1234567", 3, 0, 0},    // an eighth character in the middle
        {'5', 1, "123456", 6, 0, '5'},
        {'-', 1, "1234.5", 0, 1, '-'},
        {8, 1, "1234567890", 10, 0, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.key)) + " d=" + std::to_string(c.d) +
                     " on " + c.text + " sel " + std::to_string(c.sel_start) + "+" +
                     std::to_string(c.sel_length));
        EXPECT_EQ(number_key(c.key, c.d, c.text, c.sel_start, c.sel_length), c.passed);
    }
}

// A paste is judged as a whole on the text it makes: "1.0" into a field without decimals
// is no number it could take, not 10.
TEST_F(NumberTexts, PasteIsJudgedOnTheTextItMakes) {
    struct Case {
        const char* pasted;
        int d;
        const char* text;
        int sel_start, sel_length;
        const char* taken;  // "": refused
    };
    const Case cases[] = {
        {"1.0", 0, "5", 0, 1, ""},      {"10", 0, "5", 0, 1, "10"},
        {"1,5", 1, "2.0", 0, 3, "1.5"}, {"1.5", 1, "2.0", 3, 0, ""},
        {"12345678", 1, "", 0, 0, ""},  {"1234", 1, "123", 3, 0, "1234"},
        {"12a", 0, "", 0, 0, ""},       {" 12", 0, "", 0, 0, ""},
        {"", 1, "2.0", 0, 3, ""},       {"-3", 2, "1.00", 0, 4, "-3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pasted) + " d=" + std::to_string(c.d) + " on " + c.text);
        EXPECT_EQ(number_paste(c.pasted, c.d, c.text, c.sel_start, c.sel_length), c.taken);
    }
}

// The whole value is compared; the refusal names the limit with the text's decimals.
TEST_F(NumberTexts, CheckRangeComparesTheWholeValue) {
    struct Case {
        const char* text;
        std::int32_t min, max;
        const char* prompt;  // nullptr: accepted
    };
    const Case cases[] = {
        {"100.0", 0, 999, "Entered value is to large.\r\nPlease, enter a value till 99.9"},
        {"99.9", 0, 999, nullptr},
        {"-5", -30000, 30000, nullptr},
        {"-300.00", -30000, 30000, nullptr},  // the minimum itself
        {"-400.00", -30000, 30000,
         "Entered value is to small.\r\nPlease, enter a value from -300.00"},
        {"1234567890", 0, 999, "Entered value is to large.\r\nPlease, enter a value till 999"},
        // Ten digits once kept only their last nine (0 here) and were accepted.
        {"1000000.000", -30000, 30000,
         "Entered value is to large.\r\nPlease, enter a value till 30.000"},
        // ... and a negative one of ten characters read as a positive number.
        {"-100000.000", -30000, 30000,
         "Entered value is to small.\r\nPlease, enter a value from -30.000"},
        {"99999999999999999999999", -32768, 32767,
         "Entered value is to large.\r\nPlease, enter a value till 32767"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        range_check_latch = 0;
        boxes_.clear();
        if (c.prompt)
            boxes_.answer({.result = ui::id_ok,
                           .expect_prompt = c.prompt,
                           .before = {},
                           .wait = 0,
                           .expect_style = ui::mb_ok,
                           .expect_title = "DORVANEX"});
        EXPECT_EQ(check_range(c.text, c.min, c.max), c.prompt ? 1 : 0);
        EXPECT_EQ(boxes_.shown().size(), c.prompt ? 1u : 0u);
        EXPECT_EQ(range_check_latch, 1);
    }
}

// With the latch set no box appears; a value outside the limits is still refused.
TEST_F(NumberTexts, LatchSuppressesTheBoxButNotTheCheck) {
    range_check_latch = 1;
    EXPECT_EQ(check_range("12.0", 0, 999), 0);
    EXPECT_EQ(check_range("250.0", 0, 999), 1);
    EXPECT_EQ(check_range("-1", 0, 999), 1);
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(range_check_latch, 1);
}

TEST_F(NumberTexts, RefusalTakesItsTextsFromTheInstalledMessages) {
    range_messages() = RangeMessages{
        [] { return std::string("Ingevoerde waarde is te groot."); },
        [] { return std::string("Voer een waarde in tot "); },
        [] { return std::string("Ingevoerde waarde is te klein."); },
        [] { return std::string("Voer een waarde in vanaf "); },
    };
    boxes_.answer(ui::id_ok, "Ingevoerde waarde is te klein.\r\nVoer een waarde in vanaf 0.5");
    EXPECT_EQ(check_range("0.4", 5, 999), 1);
}

// ---- the entry protocol through the window layer's events

// A page with two numeric fields wired as every work page wires them.
class EntryPage : public ui::Form {
  public:
    struct Field {
        int word;
        int d;
        std::int32_t min, max;
    };
    static inline Field fields[2] = {};

    EntryPage() : Form("entry", {0, 0, 9690, 8225}) {
        on_load = [this] { fill(); };
        wire(txt_a, 0);
        wire(txt_b, 1);
    }
    ui::TextBox txt_a{*this, "txt_a", {1800, 600, 1200, 315}};
    ui::TextBox txt_b{*this, "txt_b", {1800, 1000, 1200, 315}};
    ui::CommandButton B_ok{*this, "B_ok", {1800, 1400, 1200, 375}};
    std::vector<std::string> trace;

    void fill() {
        txt_a.set_text(raw_to_text(std::to_string(param_image[fields[0].word]), fields[0].d));
        txt_b.set_text(raw_to_text(std::to_string(param_image[fields[1].word]), fields[1].d));
    }

  private:
    void move_next(int key) {
        if (key == 13)
            ui::send_keys("{TAB}");
        else if (key == 27)
            fill();
        else
            range_check_latch = 0;
    }
    void wire(ui::TextBox& t, int i) {
        t.on_key_press = [this, &t, i](int& key) {
            key = number_key(key, fields[i].d, t.text(), t.sel_start(), t.sel_length());
            if (key == 27) trace.push_back(t.name() + (t.has_focus() ? " Esc focused" : " Esc"));
            move_next(key);
        };
        t.on_lost_focus = [this, &t, i] {
            trace.push_back(t.name() + " leave");
            t.set_text(fmt_fixed(t.text(), fields[i].d));
            if (check_range(t.text(), fields[i].min, fields[i].max)) {
                t.set_focus();
                trace.push_back(t.name() + " refused");
            } else {
                param_image[fields[i].word] = text_to_raw(t.text());
                trace.push_back(t.name() + " stored");
            }
        };
    }
};

ui::FormRef<EntryPage> entry_inst;

class EntryField : public NumberTexts {
  protected:
    void SetUp() override {
        NumberTexts::SetUp();
        EntryPage::fields[0] = {10, 1, 0, 999};
        EntryPage::fields[1] = {11, 0, -30000, 30000};
    }
    EntryPage& page() { return *entry_inst; }
    // The user clicks into the field, selects its text, types and presses Tab; then
    // the queued keystrokes arrive.
    void enter(ui::TextBox& field, const std::string& typed) {
        ASSERT_TRUE(ui::user_focus(field));
        field.set_sel_start(0);
        field.set_sel_length(static_cast<int>(field.text().size()));
        if (!typed.empty()) ui::user_type(typed);
        ui::user_key(ui::vk_tab);
        loop_.run_pending();
    }
    void show() {
        page().show_modeless();
        loop_.run_pending();
        page().trace.clear();
    }
};

TEST_F(EntryField, TypedValuesAreNormalisedCheckedAndStored) {
    struct Case {
        const char* name;
        EntryPage::Field field;
        const char* typed;
        const char* shown;  // after leaving (a refused entry: the refilled stored value)
        int word;
        const char* prompt;  // nullptr: accepted
    };
    const Case cases[] = {
        {"whole number gains decimals", {10, 1, 0, 999}, "12", "12.0", 120, nullptr},
        {"extra decimals cut", {10, 2, -30000, 30000}, "1.239", "1.23", 123, nullptr},
        {"inner minus removed", {10, 0, -100, 100}, "-1-2", "-12", -12, nullptr},
        {"emptied field is 0", {10, 1, 0, 999}, "\b", "0.0", 0, nullptr},
        {"maximum itself", {10, 0, 0, 1000}, "1000", "1000", 1000, nullptr},
        {"negative inside", {10, 0, -30000, 30000}, "-5", "-5", -5, nullptr},
        {"key filter", {10, 1, 0, 999}, "1.2.3x-4567", "1.2", 12, nullptr},
        {"point first over the selection", {10, 1, 0, 999}, ".5", "0.5", 5, nullptr},
        {"German decimal key", {10, 1, 0, 999}, "1,5", "1.5", 15, nullptr},
        {"German key, two decimals", {10, 2, -30000, 30000}, "2,25", "2.25", 225, nullptr},
        {"above the maximum",
         {10, 1, 0, 999},
         "250",
         "7.7",
         77,
         "Entered value is to large.\r\nPlease, enter a value till 99.9"},
        {"one unit above",
         {10, 0, 0, 1000},
         "1001",
         "77",
         77,
         "Entered value is to large.\r\nPlease, enter a value till 1000"},
        {"below the minimum",
         {10, 2, -30000, 30000},
         "-400",
         "0.77",
         77,
         "Entered value is to small.\r\nPlease, enter a value from -300.00"},
        {"beyond 16 bits",
         {10, 3, -30000, 30000},
         "1000000",
         "0.077",
         77,
         "Entered value is to large.\r\nPlease, enter a value till 30.000"},
        {"far below",
         {10, 3, -30000, 30000},
         "-100000",
         "0.077",
         77,
         "Entered value is to small.\r\nPlease, enter a value from -30.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        entry_inst.unload();
        range_check_latch = 0;
        boxes_.clear();
        param_image[10] = 77;
        EntryPage::fields[0] = c.field;
        show();
        if (c.prompt) boxes_.answer(ui::id_ok, c.prompt);
        enter(page().txt_a, c.typed);
        EXPECT_EQ(page().txt_a.text(), c.shown);
        EXPECT_EQ(param_image[10], c.word);
        EXPECT_EQ(boxes_.shown().size(), c.prompt ? 1u : 0u);
        EXPECT_EQ(ui::focus_owner(), c.prompt ? &page().txt_a : &page().txt_b);
    }
}

// The box takes the focus and so raises the field's LostFocus again while the check
// runs: that nested check shows nothing and stores nothing. The Esc arrives after the
// handler has set the focus back, and refills the field.
TEST_F(EntryField, RefusalOrderAndTheNestedLeave) {
    param_image[10] = 123;
    show();
    boxes_.answer(ui::id_ok);
    enter(page().txt_a, "250");
    EXPECT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(param_image[10], 123);  // the nested leave once stored 2500 here
    ASSERT_GE(page().trace.size(), 4u);
    const std::vector<std::string> expected = {"txt_a leave", "txt_a leave", "txt_a refused",
                                               "txt_a refused"};
    EXPECT_EQ(std::vector<std::string>(page().trace.begin(), page().trace.begin() + 4), expected);
    for (std::size_t i = 4; i < page().trace.size(); ++i)
        EXPECT_EQ(page().trace[i], "txt_a Esc focused");
    EXPECT_GT(page().trace.size(), 4u);
    EXPECT_EQ(page().txt_a.text(), "12.3");
    EXPECT_TRUE(page().txt_a.has_focus());
    EXPECT_EQ(range_check_latch, 1);  // Esc leaves it set
}

// Leaving again without a key stores the refilled value; a typed key re-arms the
// check, so a new wrong entry gets its own message.
TEST_F(EntryField, LatchGivesOneMessagePerEntry) {
    param_image[10] = 123;
    show();
    boxes_.answer(ui::id_ok);
    enter(page().txt_a, "250");
    ASSERT_EQ(boxes_.shown().size(), 1u);

    ui::user_key(ui::vk_tab);
    loop_.run_pending();
    EXPECT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(param_image[10], 123);
    EXPECT_TRUE(page().txt_b.has_focus());

    boxes_.answer(ui::id_ok, "Entered value is to large.\r\nPlease, enter a value till 99.9");
    enter(page().txt_a, "1000");
    EXPECT_EQ(boxes_.shown().size(), 2u);
    EXPECT_EQ(param_image[10], 123);
}

// A text put into the field without a key (pasted with the mouse) while the latch is
// set is not checked by a box, but a value outside the limits is still not stored.
TEST_F(EntryField, PastedValueWhileLatchedIsNotStored) {
    param_image[10] = 123;
    param_image[11] = -5;
    show();
    enter(page().txt_a, "12");  // accepted; the latch is now set
    ASSERT_EQ(param_image[10], 120);
    ASSERT_TRUE(page().txt_b.has_focus());
    page().txt_b.set_text("99999");
    ui::user_key(ui::vk_tab);
    loop_.run_pending();
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(param_image[11], -5);
    EXPECT_TRUE(page().txt_b.has_focus());
    EXPECT_EQ(page().txt_b.text(), "-5");  // refilled from the image

    page().txt_b.set_text("-29999");  // inside the limits: stored as before
    ui::user_key(ui::vk_tab);
    loop_.run_pending();
    EXPECT_EQ(param_image[11], -29999);
    EXPECT_TRUE(boxes_.shown().empty());
}

// ---- print-out columns, hexadecimal words, gauges and scalings

TEST_F(NumberTexts, ColumnsAndHex) {
    EXPECT_EQ(pad_right("Input", 8), "Input   ");
    EXPECT_EQ(pad_right("Thermocouple", 5), "Therm");
    EXPECT_EQ(pad_left("12.5", 7), "   12.5");
    EXPECT_EQ(pad_left("123456789", 4), "6789");
    EXPECT_EQ(pad_left("", 0), "");
    EXPECT_EQ(hex4(10), "000A");
    EXPECT_EQ(hex4(-1), "FFFF");
    EXPECT_EQ(hex4(-32768), "8000");
    EXPECT_EQ(hex4(0x1234), "1234");
}

TEST_F(NumberTexts, Percentages) {
    bind_view();
    struct Case {
        const char* name;
        std::int32_t value;  // words 20, 21
        bool fw400, dlx;
        int of_param, of_255, of_range;
    };
    const Case cases[] = {
        {"zero", 0, false, false, 0, 0, 0},
        {"negative", -1, false, false, 0, 0, 0},
        {"half of 390000", 195000, false, false, 50, 0, 11},
        {"negative counts by size", -195000, false, false, 50, 100, 0},
        {"limit 8000000 from 4.00", 4000000, true, false, 50, 100, 100},
        {"at the limit", 390000, false, false, 100, 0, 23},
        {"byte 127 rounds up", 127, false, false, 0, 50, 0},
        {"byte 255 and above", 300, false, false, 0, 100, 0},
        {"DLX word of 32767", 16384, false, true, 4, 100, 50},
        {"DLX word at its limit", 32767, false, true, 8, 100, 100},
        {"32-bit range 1700000", 850000, false, false, 100, 0, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put_long(c.value, 20);
        view_.s_krv = !c.dlx;
        view_.s_dlx = c.dlx;
        view_.curr_version = c.fw400 ? "4.00" : "3.05";
        EXPECT_EQ(percent_of_param(20), c.of_param);
        EXPECT_EQ(percent_of_255(20), c.of_255);
        EXPECT_EQ(percent_of_range(20), c.of_range);
    }
}

TEST_F(NumberTexts, ScaleLinear) {
    struct Case {
        const char* name;
        std::int16_t x, x0, x1, y0, y1;
        int r;
    };
    const Case cases[] = {
        {"on the line", 6000, 2000, 10000, 2000, 10000, 6000},
        {"equal points", 5, 7, 7, 2000, 10000, 0},
        {"clamped high", 30000, 0, 1, 0, 10, 32000},
        {"clamped low", -30000, 0, 1, 0, 10, -32000},
        {"half to even down", 1, 0, 2, 0, 1, 0},
        {"half to even up", 3, 0, 2, 0, 1, 2},
        // Differences beyond 16 bits once overflowed.
        {"wide calibration span", 0, -20000, 20000, 2000, 10000, 6000},
        {"x far from x0", 30000, -30000, 30000, 2000, 10000, 10000},
        {"falling line", 0, 20000, -20000, 2000, 10000, 6000},
        {"wide y span", 1, 0, 2, -30000, 30000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scale_linear(c.x, c.x0, c.x1, c.y0, c.y1), c.r);
    }
}

TEST_F(NumberTexts, ScaleParamLeavesThePairOnFailure) {
    struct Case {
        const char* name;
        std::int32_t value, divisor, multiplier;
        int result;
        std::int32_t after;
    };
    const Case cases[] = {
        {"scaled", 1000, 2, 3, 0, 1500},
        {"negative", -1000, 2, 3, 0, -1500},
        {"half to even", 5, 2, 1, 0, 2},
        {"large but fits", 2000000000, 3, 3, 0, 2000000000},
        {"divisor 0", 1000, 0, 3, 1, 1000},
        {"beyond 32 bits", 1 << 30, 1, 4, 1, 1 << 30},
        {"beyond 32 bits negative", -(1 << 30), 1, 4, 1, -(1 << 30)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put_long(c.value, 40);
        EXPECT_EQ(scale_param(40, c.divisor, c.multiplier), c.result);
        EXPECT_EQ(long_from_words(param_image[40], param_image[41]), c.after);
    }
    EXPECT_EQ(scale_param(param_image_size - 1, 1, 1), 1);
}

}  // namespace
}  // namespace dvx::model

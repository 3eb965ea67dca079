// The work-page frame seen through the KRV input page's numeric fields: key filter,
// reformatting, range check with its message and latch, store, Enter and Esc.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/number_text.h"
#include "model/param_image.h"
#include "pages/h_inp.h"
#include "pages/h_output.h"
#include "platform/cp1252.h"
#include "tests/pages/page_fixture.h"

namespace dvx::testing {
namespace {

using model::param_image;

class WorkPageFrame : public PageFixture {
  protected:
    // KRV 4.05 at address 1, switched to the mA input (3 decimals, -20.000..20.000,
    // physical display shown) before the page opens.
    pages::H_Inp& open(int display_decimals = 1) {
        read_device(1);
        param_image[99] = 19;
        param_image[97] = 4000;
        param_image[98] = 20000;
        param_image[100] = 25;
        param_image[80] = 111;
        param_image[81] = 1000;
        param_image[82] = static_cast<std::int16_t>(display_decimals);
        click(main().B_io);
        return *pages::h_inp_inst.peek();
    }
    ui::TextBox& box(const char* name) {
        return *dynamic_cast<ui::TextBox*>(pages::h_inp_inst.peek()->control(name));
    }
};

struct EntryCase {
    const char* name;
    const char* field;
    int word;
    int display_decimals;
    const char* typed;
    int leave_key;
    const char* shown;  // after leaving (the stored value again when refused)
    int stored;
    const char* message;  // nullptr: no box
};

const EntryCase entry_cases[] = {
    {"digits_get_the_decimals", "in_filt", 100, 1, "12", ui::vk_tab, "12.0", 120, nullptr},
    {"inner_minus_removed", "Ph_0", 80, 1, "1-2", ui::vk_tab, "12.0", 120, nullptr},
    {"leading_minus_kept", "Ph_0", 80, 1, "-12", ui::vk_tab, "-12.0", -120, nullptr},
    {"surplus_decimals_cut_not_rounded", "Ph_0", 80, 2, "1.239", ui::vk_tab, "1.23", 123, nullptr},
    {"empty_reads_as_zero", "Ph_0", 80, 1, "", ui::vk_tab, "0.0", 0, nullptr},
    {"enter_leaves_like_tab", "in_filt", 100, 1, "5", ui::vk_return, "5.0", 50, nullptr},
    {"lowest_value_accepted", "Mesb_0", 97, 1, "-20", ui::vk_tab, "-20.000", -20000, nullptr},
    {"highest_value_accepted", "Ph_100", 81, 0, "30000", ui::vk_tab, "30000", 30000, nullptr},
    {"one_unit_above_the_maximum", "in_filt", 100, 1, "100", ui::vk_tab, "2.5", 25,
     "Entered value is to large.\r\nPlease, enter a value till 99.9"},
    {"maximum_with_the_entered_decimals", "Mesb_1", 98, 1, "20.001", ui::vk_tab, "20.000", 20000,
     "Entered value is to large.\r\nPlease, enter a value till 20.000"},
    {"below_the_minimum", "in_filt", 100, 1, "0", ui::vk_tab, "2.5", 25,
     "Entered value is to small.\r\nPlease, enter a value from 0.1"},
    {"refused_by_enter_too", "Ph_0", 80, 0, "-30001", ui::vk_return, "111", 111,
     "Entered value is to small.\r\nPlease, enter a value from -30000"},
};

TEST_F(WorkPageFrame, EnteringAValue) {
    for (const EntryCase& c : entry_cases) {
        SCOPED_TRACE(c.name);
        open(c.display_decimals);
        ui::TextBox& field = box(c.field);
        type_into(field, c.typed);
        key(c.leave_key);
        EXPECT_EQ(field.text(), c.shown);
        EXPECT_EQ(param_image[c.word], c.stored);
        if (c.message) {
            EXPECT_EQ(prompts(), std::vector<std::string>{c.message});
            EXPECT_EQ(focused(), &field) << "a refused value keeps the focus";
        } else {
            EXPECT_TRUE(prompts().empty());
            EXPECT_NE(focused(), &field);
        }
        click(pages::h_inp_inst->B_Zurueck);
        clear_records();
    }
}

TEST_F(WorkPageFrame, KeyFilter) {
    open(0);
    type_into(box("in_filt"), "1.2.3");
    EXPECT_EQ(box("in_filt").text(), "1.23") << "a second point is dropped";
    type_into(box("in_filt"), "12345678");
    EXPECT_EQ(box("in_filt").text(), "1234567") << "an eighth character is dropped";
    key(ui::vk_escape);
    type_into(box("Ph_0"), "1.5x");
    EXPECT_EQ(box("Ph_0").text(), "15") << "no point without decimals, no letters";
    type_into(box("Mesb_0"), "-1.234");
    EXPECT_EQ(box("Mesb_0").text(), "-1.234");
}

TEST_F(WorkPageFrame, EscRefillsThePageAndKeepsEarlierStores) {
    pages::H_Inp& page = open(2);
    type_into(page.in_filt, "3");
    leave();
    type_into(page.Ph_0, "77");
    key(ui::vk_escape);
    EXPECT_EQ(page.Ph_0.text(), "1.11");
    EXPECT_EQ(param_image[80], 111);
    EXPECT_EQ(page.in_filt.text(), "3.0");
    EXPECT_EQ(param_image[100], 30) << "words stored before stay changed";
    EXPECT_EQ(focused(), &page.Ph_0);
    EXPECT_TRUE(prompts().empty());
}

// A device programmed by another tool may hold a word outside the field's limits:
// leaving the field untouched neither traps the user nor changes the word.
TEST_F(WorkPageFrame, WordOutsideItsLimitsPassesWhileUnchanged) {
    read_device(1);
    param_image[99] = 19;
    param_image[100] = 0;
    click(main().B_io);
    pages::H_Inp& page = *pages::h_inp_inst.peek();
    EXPECT_EQ(page.in_filt.text(), "0.0");
    focus(page.in_filt);
    leave();
    EXPECT_NE(focused(), &page.in_filt);
    EXPECT_EQ(param_image[100], 0);
    type_into(page.in_filt, "0.0");
    leave();
    EXPECT_TRUE(prompts().empty());
    type_into(page.in_filt, "1000");
    leave();
    EXPECT_EQ(prompts(), std::vector<std::string>{
                             "Entered value is to large.\r\nPlease, enter a value till 99.9"});
    EXPECT_EQ(param_image[100], 0);
    EXPECT_EQ(page.in_filt.text(), "0.0");
}

// The pages that open with the keys on a numeric field have its text selected: the first
// digit typed is a new value, not one put in front of the old ("04.0" mA). Each such
// page of each family and firmware on the bus, then the output page checked on its word.
TEST_F(WorkPageFrame, APageOpeningOnAFieldTakesTheFirstDigitAsANewValue) {
    // KRV 4.05, KRV 4.16, DLX 4.02, KRV 3.03, DLX 3.06.
    std::set<std::string> seen;
    for (int address : {1, 17, 20, 9, 3})
        for (auto button : {&mainwin::Hauptmenue::B_io, &mainwin::Hauptmenue::B_Out,
                            &mainwin::Hauptmenue::B_dout, &mainwin::Hauptmenue::B_Schk}) {
            ui::reset_forms();
            read_device(address);
            click(main().*button);
            ui::Form* page = ui::active_form();
            ASSERT_NE(page, nullptr);
            auto* field = dynamic_cast<ui::TextBox*>(focused());
            if (!field || &field->form() != page || page == &main()) continue;
            const std::string where =
                platform::to_utf8(page->name()) + " at " + std::to_string(address);
            SCOPED_TRACE(where);
            seen.insert(where);
            user([] { ui::user_type("0"); });
            EXPECT_EQ(field->text(), "0");
        }
    for (const char* page :
         {"H_output at 1", "H_output at 20", "S_Chk_30 at 1", "S_Chk_m at 20", "dlx3_Inp at 3"})
        EXPECT_TRUE(seen.count(page)) << page << " did not open on a field";
    EXPECT_GE(seen.size(), 7u);

    ui::reset_forms();
    read_device(1);
    click(main().B_Out);
    ASSERT_EQ(focused(), &pages::h_output_inst->Ber_anf);
    user([] { ui::user_type("0"); });
    leave();
    EXPECT_EQ(param_image[105], 0) << "0 mA, not the 4.0 mA the page opened with";
    EXPECT_TRUE(prompts().empty());
}

// The filter judges a key on the text it makes: "." typed over the selected value starts
// a new one, and "," is the decimal point of a German keyboard, not a key to drop.
TEST_F(WorkPageFrame, DecimalKeysOverASelectedValue) {
    struct Case {
        const char* typed;
        int stored;
    };
    for (const Case& c : {Case{".5", 5}, Case{"1,5", 15}, Case{",7", 7}, Case{"2,5,", 25}}) {
        SCOPED_TRACE(c.typed);
        pages::H_Inp& page = open(0);
        type_into(page.in_filt, c.typed);
        leave();
        EXPECT_EQ(param_image[100], c.stored);
        EXPECT_TRUE(prompts().empty());
        click(page.B_Zurueck);
    }
}

// A paste is judged whole on the text it makes: "1.0" is no value of a field without
// decimals (the field keeps its text, not 10); a number it can take replaces the selection.
TEST_F(WorkPageFrame, PasteIsJudgedOnTheTextItMakes) {
    pages::H_Inp& page = open(0);
    focus(page.Ph_0);
    user([&page] {
        page.Ph_0.set_sel_start(0);
        page.Ph_0.set_sel_length(3);
        ui::user_paste(page.Ph_0, "1.0");
    });
    EXPECT_EQ(page.Ph_0.text(), "111");
    user([&page] { ui::user_paste(page.Ph_0, "250"); });
    EXPECT_EQ(page.Ph_0.text(), "250");
    leave();
    EXPECT_EQ(param_image[80], 250);

    user([&page] {
        ui::user_focus(page.in_filt);
        page.in_filt.set_sel_start(0);
        page.in_filt.set_sel_length(static_cast<int>(page.in_filt.text().size()));
        ui::user_paste(page.in_filt, "1,5");
    });
    leave();
    EXPECT_EQ(param_image[100], 15);
    EXPECT_TRUE(prompts().empty());
}

// Text that arrives without keys (pasted) is checked whole, and again while the latch
// of an earlier check is set, then silently. The pasted number's last nine digits
// (000000030 once reformatted to 1000000003.0) would lie inside the limits.
TEST_F(WorkPageFrame, PastedTextIsAlwaysChecked) {
    pages::H_Inp& page = open(0);
    focus(page.in_filt);
    user([&page] { page.in_filt.set_text("1000000003"); });
    leave();
    EXPECT_EQ(prompts(), std::vector<std::string>{
                             "Entered value is to large.\r\nPlease, enter a value till 99.9"});
    EXPECT_EQ(param_image[100], 25);
    EXPECT_EQ(model::range_check_latch, 1);

    focus(page.Ph_100);
    user([&page] { page.Ph_100.set_text("40000"); });
    leave();
    EXPECT_EQ(prompts().size(), 1u) << "no second box while latched";
    EXPECT_EQ(param_image[81], 1000);
    EXPECT_EQ(page.Ph_100.text(), "1000");
    EXPECT_EQ(focused(), &page.Ph_100);

    user([&page] { page.Ph_100.set_text("2500"); });
    leave();
    EXPECT_EQ(param_image[81], 2500) << "a good text is stored while latched";
}

}  // namespace
}  // namespace dvx::testing

// The alarm outputs page: alarm-value limits by input type and alarm type, the fixed
// fields, the type and function bit fields, the fourth output, the opener's lists and
// an edit that reaches the device.
#include "pages/h_dout.h"

#include <gtest/gtest.h>

#include <string>

#include "model/input_types.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "tests/pages/page_fixture.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

using model::param_image;
using pages::h_dout_inst;

class AlarmOutputsPage : public PageFixture {
  protected:
    pages::H_dout& open(int address, const std::function<void()>& prepare = {}) {
        return open_by(h_dout_inst, &mainwin::Hauptmenue::B_dout, address, prepare);
    }
    static void set(int k, int v) { param_image[k] = static_cast<std::int16_t>(v); }
};

TEST_F(AlarmOutputsPage, AlarmValueLimits) {
    struct Row {
        const char* name;
        int type, range_start, range_end, phys_start, phys_end, decimals;
        int alarm_type;
        const char* typed;
        int stored;
        const char* message;
    };
    const Row rows[] = {
        {"fixed_gradient_span", 3, 0, 1000, 0, 0, 0, 3, "-1000", -1000, nullptr},
        {"fixed_gradient_above", 3, 0, 1000, 0, 0, 0, 3, "1001", 7,
         "Entered value is to large.\r\nPlease, enter a value till 1000"},
        {"fixed_max_alarm_table", 3, 0, 1000, 0, 0, 0, 1, "1200", 1200, nullptr},
        {"fixed_max_alarm_below", 3, 0, 1000, 0, 0, 0, 1, "-201", 7,
         "Entered value is to small.\r\nPlease, enter a value from -200"},
        {"fixed_min_alarm_by_type", 5, 0, 1000, 0, 0, 0, 0, "401", 7,
         "Entered value is to large.\r\nPlease, enter a value till 400"},
        {"scaled_min_alarm", 19, 0, 0, -500, 1500, 2, 0, "15", 1500, nullptr},
        {"scaled_gradient", 19, 0, 0, -500, 1500, 2, 2, "-20", -2000, nullptr},
        {"scaled_gradient_above", 19, 0, 0, -500, 1500, 2, 2, "20.01", 7,
         "Entered value is to large.\r\nPlease, enter a value till 20.00"},
        // A falling range has a span too.
        {"falling_range_gradient", 3, 1000, 0, 0, 0, 0, 2, "-1000", -1000, nullptr},
        {"falling_range_zero", 3, 1000, 0, 0, 0, 0, 2, "0", 0, nullptr},
        // A span beyond a word is held at what a word can store.
        {"wide_span_held", 19, 0, 0, -30000, 30000, 0, 3, "32767", 32767, nullptr},
        {"wide_span_above", 19, 0, 0, -30000, 30000, 0, 3, "32768", 7,
         "Entered value is to large.\r\nPlease, enter a value till 32767"},
        {"wide_span_low_end", 19, 0, 0, -30000, 30000, 0, 3, "-32768", -32768, nullptr},
        {"wide_span_below", 19, 0, 0, -30000, 30000, 0, 3, "-32769", 7,
         "Entered value is to small.\r\nPlease, enter a value from -32768"},
        // A falling scale: its values lie between its two ends.
        {"falling_scale_limit", 19, 0, 0, 1500, -500, 2, 0, "-5", -500, nullptr},
        {"falling_scale_above", 19, 0, 0, 1500, -500, 2, 1, "15.01", 7,
         "Entered value is to large.\r\nPlease, enter a value till 15.00"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::H_dout& page = open(1, [&r] {
            set(99, r.type);
            set(97, r.range_start);
            set(98, r.range_end);
            set(80, r.phys_start);
            set(81, r.phys_end);
            set(82, r.decimals);
            set(83, 0x0004 | r.alarm_type);
            set(109, 7);
        });
        expect_entry(page.out1.val, r.typed, 109, r.stored, r.message);
        click(page.B_Zurueck);
        clear_records();
    }
}

// Each value field takes its decimals, limits and unit from the input type and the
// type bits of its own output's word.
TEST_F(AlarmOutputsPage, EachOutputFollowsItsOwnAlarmType) {
    pages::H_dout& page = open(1, [] {
        set(99, 3);  // fixed type: 0 decimals, -200..1200
        set(97, 0);
        set(98, 1000);
        set(83, 0x0001);  // MAX alarm
        set(85, 0x01C3);  // Gradient MAX alarm, reaction bits above
        set(109, 7);
        set(111, 7);
    });
    EXPECT_EQ(page.out1.unit.caption(), model::type_unit(3));
    EXPECT_EQ(page.out3.unit.caption(), model::type_unit(3));

    type_into(page.out1.val, "12.5");
    EXPECT_EQ(page.out1.val.text(), "125") << "no point in a field without decimals";
    type_into(page.out1.val, "-1000");
    leave();
    EXPECT_EQ(param_image[109], 7);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Entered value is to small.\r\nPlease, enter a value from -200"});
    clear_records();

    type_into(page.out3.val, "-1000");
    leave();
    EXPECT_EQ(param_image[111], -1000);
    EXPECT_TRUE(prompts().empty());
}

TEST_F(AlarmOutputsPage, FixedFields) {
    struct Row {
        const char* field;
        int word;
        const char* typed;
        int stored;
        const char* message;
    };
    const Row rows[] = {
        {"Hyst_2", 89, "99.9", 999, nullptr},
        {"Hyst_2", 89, "100", 5, "Entered value is to large.\r\nPlease, enter a value till 99.9"},
        {"delay_4", 95, "10", 5, "Entered value is to large.\r\nPlease, enter a value till 9.9"},
        {"delay_3", 94, "0", 0, nullptr},
        {"t_gradient", 78, "0", 5, "Entered value is to small.\r\nPlease, enter a value from 1"},
        {"t_gradient", 78, "10000", 5, "Entered value is to large.\r\nPlease, enter a value till 9999"},
        {"t_gradient", 78, "9999", 9999, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.field) + " " + r.typed);
        pages::H_dout& page = open(1, [&r] { set(r.word, 5); });
        expect_entry(box_named(page, r.field), r.typed, r.word, r.stored, r.message);
        click(page.B_Zurueck);
        clear_records();
    }
}

TEST_F(AlarmOutputsPage, FillShowsTheImage) {
    pages::H_dout& page = open(1, [] {
        set(99, 19);
        set(80, -500);
        set(81, 1500);
        set(82, 2);
        model::text_to_params(115, " bar    ");
        set(110, 1234);
        set(89, 15);
        set(93, 7);
        set(78, 30);
        set(84, 0x0009);  // MAX alarm, de-energized
        set(85, 0x000F);  // function 3: no entry
    });
    EXPECT_EQ(page.caption(), "Alarm outputs          TAG No:  TT-101 ");
    EXPECT_EQ(page.out2.val.text(), "12.34");
    EXPECT_EQ(page.out2.unit.caption(), " bar    ");
    EXPECT_EQ(page.out2.hyst.text(), "1.5");
    EXPECT_EQ(page.out2.delay.text(), "0.7");
    EXPECT_EQ(page.t_gradient.text(), "30");
    EXPECT_EQ(page.out2.typ.text(), "MAX alarm");
    EXPECT_EQ(page.out2.fun.text(), "De-energized");
    EXPECT_EQ(page.out3.fun.list_index(), -1);
    EXPECT_EQ(param_image[85], 0x000F) << "kept until the user picks";
    EXPECT_TRUE(page.out4.frame.visible());
}

TEST_F(AlarmOutputsPage, ListsStoreTheirBitsOnly) {
    pages::H_dout& page = open(1, [] { set(85, 0x01C1); });
    user([&page] { ui::user_select(page.out3.fun, 2); });
    EXPECT_EQ(param_image[85], 0x01C9);
    user([&page] { ui::user_select(page.out3.typ, 2); });
    EXPECT_EQ(param_image[85], 0x01CA);
}

TEST_F(AlarmOutputsPage, SnapBoardHasNoFourthOutput) {
    pages::H_dout& page = open(1, [this] {
        main().S_SNAP.set_value(1);
        set(112, 321);
    });
    EXPECT_FALSE(page.out4.frame.visible());
    EXPECT_EQ(param_image[112], 321);
}

TEST_F(AlarmOutputsPage, DlxDeviceFollowsTheScaledRules) {
    pages::H_dout& page = open(3);
    EXPECT_EQ(param_image[99], 19);
    EXPECT_EQ(page.out1.val.text().find('.'), page.out1.val.text().size() - 2) << "one decimal (word 82)";
}

TEST_F(AlarmOutputsPage, OpenerGatesAndFillsTheListsInTheLanguageOfTheMoment) {
    read_device(1);
    user([this] { main().curr_version.set_text("4.20"); });
    click(main().B_dout);
    EXPECT_FALSE(h_dout_inst.loaded());
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_FALSE(boxes_.shown()[0].title.has_value()) << "no title of its own";

    user([this] { main().curr_version.set_text("4.05"); });
    click(main().B_dout);
    EXPECT_EQ(h_dout_inst->out1.typ.list_count(), 4);
    EXPECT_EQ(h_dout_inst->out4.fun.list(0), "No function");
    click(h_dout_inst->B_Zurueck);
    click(main().m_lang_d);
    click(main().B_dout);
    EXPECT_EQ(h_dout_inst->out1.typ.list(3), texts::msg_alarm_type_grad_max);
    EXPECT_EQ(h_dout_inst->out2.fun.list(1), texts::msg_alarm_fun_energized);
    EXPECT_EQ(h_dout_inst->out2.fun.list_count(), 3);
}

TEST_F(AlarmOutputsPage, EditsReachTheDeviceWhenProgrammed) {
    pages::H_dout& page = open(1);
    user([&page] { ui::user_select(page.out2.typ, 3); });
    type_into(page.out2.hyst, "2.5");
    leave();
    click(page.B_Zurueck);
    program();
    EXPECT_EQ(device().stored_param(84) & 3, 3);
    EXPECT_EQ(device().stored_param(89), 25);
}

}  // namespace
}  // namespace dvx::testing

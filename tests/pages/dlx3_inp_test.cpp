// The DLX input page: ranges and decimals by the input kind the device reports, the
// square-root box and its firmware gate, and an edit that reaches the device.
#include "pages/dlx3_inp.h"

#include <gtest/gtest.h>

#include <string>

#include "model/param_image.h"
#include "pages/h_inp.h"
#include "tests/pages/page_fixture.h"

namespace dvx::testing {
namespace {

using model::param_image;
using pages::dlx3_inp_inst;

class DlxInputPage : public PageFixture {
  protected:
    // Address 3: DLX 3.06. The device reports input kind `kind` in status word 2.
    pages::Dlx3_Inp& open(int kind, const std::function<void()>& prepare = {}) {
        return open_by(dlx3_inp_inst, &mainwin::Hauptmenue::B_io, 3, prepare,
                       [kind](sim::Transmitter& t) { t.set_status(2, kind); });
    }
};

TEST_F(DlxInputPage, RangesFollowTheInputKind) {
    struct Row {
        const char* name;
        int kind;
        const char* field;
        int word;
        const char* typed;
        const char* shown;
        int stored;
        const char* message;
    };
    const Row rows[] = {
        {"volt_end", 1001, "Mesb_1", 98, "1100", "1100.0", 11000, nullptr},
        {"volt_end_above", 1001, "Mesb_1", 98, "1100.1", "100.0", 1000,
         "Entered value is to large.\r\nPlease, enter a value till 1100.0"},
        {"millivolt_end", 1000, "Mesb_1", 98, "70", "70.00", 7000, nullptr},
        {"millivolt_negative", 1000, "Mesb_0", 97, "-1", "0.00", 0,
         "Entered value is to small.\r\nPlease, enter a value from 0.00"},
        {"bipolar_min_value", 1002, "fub_min", 72, "-300", "-300.00", -30000, nullptr},
        {"bipolar_max_value", 1002, "fub_max", 73, "300", "300.00", 30000, nullptr},
        {"current_end", 0, "Mesb_1", 98, "20", "20.000", 20000, nullptr},
        {"current_above", 4711, "Mesb_1", 98, "21.001", "1.000", 1000,
         "Entered value is to large.\r\nPlease, enter a value till 21.000"},
        {"current_decimals_cut", 0, "Mesb_0", 97, "1.2345", "1.234", 1234, nullptr},
        // The same for every kind: the filter time and the physical values.
        {"filter_time_max", 1000, "in_filt", 100, "99.9", "99.9", 999, nullptr},
        {"filter_time_zero", 1000, "in_filt", 100, "0", "1.0", 10,
         "Entered value is to small.\r\nPlease, enter a value from 0.1"},
        {"phys_end_by_display_decimals", 1001, "Ph_100", 81, "300", "300.00", 30000, nullptr},
        {"phys_start_below", 1001, "Ph_0", 80, "-300.01", "-1.00", -100,
         "Entered value is to small.\r\nPlease, enter a value from -300.00"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::Dlx3_Inp& page = open(r.kind, [] {
            param_image[100] = 10;
            param_image[80] = -100;
            param_image[81] = 100;
            param_image[82] = 2;
        });
        ASSERT_EQ(param_image[97], 0);
        ASSERT_EQ(param_image[98], 1000);
        ui::TextBox& box = box_named(page, r.field);
        expect_entry(box, r.typed, r.word, r.stored, r.message);
        EXPECT_EQ(box.text(), r.shown);
        click(page.B_Zurueck);
        clear_records();
    }
}

TEST_F(DlxInputPage, LayoutByKind) {
    struct Row {
        int kind;
        const char* unit;
        bool min_field;
        const char* end;
    };
    const Row rows[] = {{1000, "mV", false, "10.00"}, {1001, "V", false, "100.0"},
                        {1002, "V", true, "10.00"}, {0, "mA", true, "1.000"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        pages::Dlx3_Inp& page = open(r.kind);
        EXPECT_EQ(page.fub_min.visible(), r.min_field);
        EXPECT_EQ(page.Label6.visible(), r.min_field);
        EXPECT_EQ(page.Label5.visible(), r.min_field);
        EXPECT_TRUE(page.fub_max.visible());
        EXPECT_EQ(page.L_C_1.caption(), r.unit);
        EXPECT_EQ(page.L_C_2.caption(), r.unit);
        EXPECT_EQ(page.Label11.caption(), r.unit);
        if (r.min_field) {
            EXPECT_EQ(page.Label5.caption(), r.unit);
        }
        EXPECT_EQ(page.Label8.caption(), "s");
        EXPECT_EQ(page.Mesb_1.text(), r.end);
        EXPECT_EQ(page.caption(), "Measure input          TAG No:  FT-205 ");
        click(page.B_Zurueck);
    }
}

TEST_F(DlxInputPage, KeyFilterAllowsThreeDecimalsBeforeTheCut) {
    pages::Dlx3_Inp& page = open(1001);
    type_into(page.Mesb_0, "12.34567");
    EXPECT_EQ(page.Mesb_0.text(), "12.3456");
    leave();
    EXPECT_EQ(page.Mesb_0.text(), "12.3");
    EXPECT_EQ(param_image[97], 123);
}

TEST_F(DlxInputPage, SquareRootBox) {
    struct Row {
        const char* name;
        const char* version;
        int word;
        bool shown, ticked;
    };
    const Row rows[] = {
        {"firmware_301_hides_it", "3.01", 0, false, false},
        {"firmware_302_shows_it", "3.02", 2, true, true},
        {"output_root_hides_it", "3.06", 1, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::Dlx3_Inp& page = open(0, [this, &r] {
            main().curr_version.set_text(r.version);
            param_image[108] = static_cast<std::int16_t>(r.word);
        });
        EXPECT_EQ(page.Chk_sqr.visible(), r.shown);
        EXPECT_EQ(page.Chk_sqr.value() == 1, r.ticked);
        key(ui::vk_escape);
        EXPECT_EQ(param_image[108], r.word) << "a fill keeps the word";
        click(page.B_Zurueck);
    }

    pages::Dlx3_Inp& page = open(0);
    click(page.Chk_sqr);
    EXPECT_EQ(param_image[108], 2);
    click(page.Chk_sqr);
    EXPECT_EQ(param_image[108], 0);
}

TEST_F(DlxInputPage, DecimalPointAndUnitLikeTheKrvPage) {
    pages::Dlx3_Inp& page = open(0, [] { param_image[82] = 1; });
    user([&page] { ui::user_select(page.ph_Decp, 1); });
    EXPECT_TRUE(prompts().empty());
    user([&page] { ui::user_select(page.ph_Decp, 3); });
    EXPECT_EQ(prompts().size(), 1u);
    EXPECT_EQ(param_image[82], 3);
    EXPECT_EQ(page.Ph_100.text(), "1.000");
    type_into(page.Unit, "m3/h");
    leave();
    EXPECT_EQ(page.lab_ph_0.caption(), " m3/h   ");
}

// Display decimals no list entry stands for are shown with at most 3 decimals, never
// used as a list position, and kept until the user picks.
TEST_F(DlxInputPage, DisplayDecimalsWithoutAListEntry) {
    pages::Dlx3_Inp& page = open(0, [] {
        param_image[82] = 7;
        param_image[81] = 1234;
    });
    EXPECT_EQ(page.ph_Decp.list_index(), -1);
    EXPECT_EQ(page.Ph_100.text(), "1.234");
    key(ui::vk_escape);
    EXPECT_EQ(param_image[82], 7);
    EXPECT_TRUE(prompts().empty());

    user([&page] { ui::user_select(page.ph_Decp, 1); });
    EXPECT_EQ(prompts().size(), 1u) << "a change of decimals is warned about";
    EXPECT_EQ(param_image[82], 1);
    EXPECT_EQ(page.Ph_100.text(), "123.4");
}

// An unsupported DLX firmware opens neither the DLX nor the KRV input page, and the
// alarm-outputs button then leaves the input type as it was.
TEST_F(DlxInputPage, UnsupportedFirmwareOpensNothing) {
    read_device(3);
    param_image[99] = 5;
    user([this] { main().curr_version.set_text("3.99"); });
    click(main().B_io);
    EXPECT_FALSE(dlx3_inp_inst.loaded());
    EXPECT_FALSE(pages::h_inp_inst.loaded());
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, "No support for this DLX software version.");
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");

    click(main().B_dout);
    EXPECT_EQ(boxes_.shown().size(), 2u);
    EXPECT_EQ(param_image[99], 5) << "the input type is set only for a page that opens";
    EXPECT_TRUE(main().visible());
}

TEST_F(DlxInputPage, EditsReachTheDeviceWhenProgrammed) {
    pages::Dlx3_Inp& page = open(1002);
    type_into(page.fub_min, "-12.5");
    type_into(page.in_filt, "2");
    leave();
    click(page.B_Zurueck);
    EXPECT_TRUE(main().visible());
    program();
    EXPECT_EQ(device().stored_param(72), -1250);
    EXPECT_EQ(device().stored_param(100), 20);
}

}  // namespace
}  // namespace dvx::testing

// The KRV input page: opening and closing, the input type with its hint, limits and
// visibility, the decimal point, the unit text, the Jumper Finder and its picture, and
// an edit that reaches the device.
#include "pages/h_inp.h"

#include <gtest/gtest.h>

#include <string>

#include "model/param_image.h"
#include "model/param_words.h"
#include "pages/board_pictures.h"
#include "tests/pages/page_fixture.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

using model::param_image;
using pages::h_inp_inst;

class KrvInputPage : public PageFixture {
  protected:
    // Reads the device, lets `prepare` change the image, opens the page.
    template <class F>
    pages::H_Inp& open(int address, F prepare) {
        return open_by(h_inp_inst, &mainwin::Hauptmenue::B_io, address, prepare);
    }
    pages::H_Inp& open(int address = 1) {
        return open(address, [] {});
    }
};

// Address 1: KRV 4.05, connector board, Pt-100 3-wire, range 0..400, tag " TT-101 ".
TEST_F(KrvInputPage, OpensInPlaceOfTheMainWindowAndGivesItBack) {
    pages::H_Inp& page = open(1, [this] { main().move(600, 450, 10500, 9000); });
    EXPECT_TRUE(page.visible());
    EXPECT_FALSE(main().visible());
    EXPECT_EQ(page.left(), 600);
    EXPECT_EQ(page.width(), 10500);
    EXPECT_EQ(page.caption(), "Measure inputs          TAG No:  TT-101 ");
    EXPECT_EQ(page.Sensor.list_count(), 21);
    EXPECT_EQ(page.Sensor.text(), "Pt-100 3-wire");
    EXPECT_EQ(page.Mesb_0.text(), "0");
    EXPECT_EQ(page.Mesb_1.text(), "400");
    EXPECT_EQ(page.L_C_1.caption(), "\xB0" "C");
    EXPECT_EQ(page.in_filt.text(), "1.0");
    EXPECT_FALSE(page.Frame_ph.visible());
    EXPECT_FALSE(page.rl_val.visible());
    EXPECT_TRUE(page.cmd_help.visible());
    EXPECT_EQ(model::mask_filling, 0);
    EXPECT_EQ(model::input_mask_filling, 0);
    EXPECT_TRUE(prompts().empty()) << "no hint and no warning while the page fills";

    user([&page] { page.move(900, 300, 11000, 8500); });
    click(page.B_Zurueck);
    EXPECT_FALSE(h_inp_inst.loaded());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().left(), 900);
    EXPECT_EQ(main().width(), 11000);
}

TEST_F(KrvInputPage, UnsupportedFirmwareOpensNothing) {
    read_device(1);
    user([this] { main().curr_version.set_text("4.20"); });
    click(main().B_io);
    EXPECT_FALSE(h_inp_inst.loaded());
    EXPECT_TRUE(main().visible());
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, "No support for this KRV software version.");
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
}

TEST_F(KrvInputPage, ChoosingATypeShowsItsHintAndClampsTheRange) {
    struct Row {
        const char* name;
        int from, start, end, to;
        int new_start, new_end;
        const char* hint_start;
        const char* unit;
        bool physical, lead;
    };
    const Row rows[] = {
        {"k_to_t_cuts_the_end", 3, 0, 1200, 5, 0, 400,
         "Maximum measure range: -200 till +400 \xB0" "C\r\nJP6 open", "\xB0" "C", false, false},
        {"start_below_b_is_raised", 3, -200, 1000, 0, 0, 1000,
         "Maximum measure range: 100 till +1800 \xB0" "C", "\xB0" "C", false, false},
        {"two_wire_pt100_shows_the_lead", 10, 0, 400, 9, 0, 400,
         "Maximum measure range: -200 till +800 \xB0" "C\r\nMaximum lead-in", "\xB0" "C", false,
         true},
        {"two_wire_potentiometer", 10, -200, 400, 12, 0, 400, "Maximum measure range: 600 Ohm",
         "Ohm", true, true},
        {"mv_signal_firmware_4", 10, -200, 800, 20, -200, 800,
         "Maximum measure range: -35 till +70 mV", "mV", true, false},
        {"range_start_above_end_stays", 10, 300, 100, 11, 300, 100, "Maximum measure range:",
         "\xB0" "C", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::H_Inp& page = open(1, [&r] {
            param_image[99] = static_cast<std::int16_t>(r.from);
            param_image[97] = static_cast<std::int16_t>(r.start);
            param_image[98] = static_cast<std::int16_t>(r.end);
        });
        user([&page, &r] { ui::user_select(page.Sensor, r.to); });
        ASSERT_EQ(boxes_.shown().size(), 1u);
        EXPECT_EQ(boxes_.shown()[0].prompt.rfind(r.hint_start, 0), 0u) << boxes_.shown()[0].prompt;
        EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
        EXPECT_EQ(param_image[99], r.to);
        EXPECT_EQ(param_image[97], r.new_start);
        EXPECT_EQ(param_image[98], r.new_end);
        EXPECT_EQ(page.L_C_2.caption(), r.unit);
        EXPECT_EQ(page.Frame_ph.visible(), r.physical);
        EXPECT_EQ(page.rl_val.visible(), r.lead);
        EXPECT_EQ(page.rl_lab.visible(), r.lead);
        click(page.B_Zurueck);
        clear_records();
    }
}

TEST_F(KrvInputPage, MillivoltLimitsFollowTheFirmware) {
    struct Row {
        const char* name;
        int address;
        const char* typed;
        int stored;
        const char* message;
    };
    const Row rows[] = {
        {"fw4_lowest", 1, "-35", -3500, nullptr},
        {"fw4_below", 1, "-35.01", 0, "Entered value is to small.\r\nPlease, enter a value from -35.00"},
        {"fw4_highest", 1, "70", 7000, nullptr},
        {"fw3_lowest", 9, "-60", -6000, nullptr},
        {"fw3_above", 9, "60.01", 0, "Entered value is to large.\r\nPlease, enter a value till 60.00"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::H_Inp& page = open(r.address, [] {
            param_image[99] = 20;
            param_image[97] = 0;
        });
        expect_entry(page.Mesb_0, r.typed, 97, r.stored, r.message);
        click(page.B_Zurueck);
        clear_records();
    }
}

TEST_F(KrvInputPage, DecimalPointWarnsOnlyOnAChange) {
    pages::H_Inp& page = open(1, [] {
        param_image[99] = 19;
        param_image[80] = 1000;
        param_image[82] = 1;
    });
    EXPECT_EQ(page.Ph_0.text(), "100.0");
    user([&page] { ui::user_select(page.ph_Decp, 1); });
    EXPECT_TRUE(prompts().empty());
    user([&page] { ui::user_select(page.ph_Decp, 2); });
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, texts::msg_decimals_shift_warning);
    EXPECT_EQ(boxes_.shown()[0].style, ui::mb_ok | ui::mb_exclamation);
    EXPECT_EQ(param_image[82], 2);
    EXPECT_EQ(param_image[80], 1000) << "the raw word stays";
    EXPECT_EQ(page.Ph_0.text(), "10.00");
}

TEST_F(KrvInputPage, UnitTextIsPaddedToEightCharacters) {
    struct Row {
        const char* typed;
        const char* stored;
    };
    const Row rows[] = {{"mA", " mA     "}, {"", "        "}, {"  bar  ", " bar    "},
                        {"ABCDEFGHI", "ABCDEFGH"}};
    pages::H_Inp& page = open(1, [] { param_image[99] = 19; });
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed);
        type_into(page.Unit, r.typed);
        leave();
        EXPECT_EQ(model::text_from_params(115), r.stored);
        EXPECT_EQ(page.Unit.text(), r.stored);
        EXPECT_EQ(page.lab_ph_100.caption(), r.stored);
        EXPECT_EQ(page.Label11.caption(), r.stored);
    }
}

// Words no list entry stands for (a file or another tool wrote them) are shown, not
// used as list positions or table indexes, and kept until the user picks.
TEST_F(KrvInputPage, WordsWithoutAListEntry) {
    pages::H_Inp& page = open(1, [] {
        param_image[99] = 25;
        param_image[97] = -7000;
        param_image[98] = 5000;
        param_image[82] = 7;
    });
    EXPECT_EQ(page.Sensor.list_index(), -1);
    EXPECT_EQ(param_image[97], -7000) << "not clamped";
    EXPECT_EQ(page.Mesb_0.text(), "-7000");
    EXPECT_EQ(page.Mesb_1.text(), "5000");
    EXPECT_EQ(param_image[99], 25);

    user([&page] { ui::user_select(page.Sensor, 19); });
    EXPECT_EQ(page.ph_Decp.list_index(), -1);
    EXPECT_EQ(param_image[82], 7);
    EXPECT_EQ(page.Ph_0.text(), "0.000") << "shown with at most 3 decimals";
    EXPECT_EQ(param_image[97], -7000) << "inside the mA limits once a type is chosen";
}

TEST_F(KrvInputPage, JumperFinderOnlyForLateConnectorBoards) {
    EXPECT_TRUE(open(1).cmd_help.visible());
    click(h_inp_inst->B_Zurueck);
    EXPECT_FALSE(open(9).cmd_help.visible()) << "firmware 3.03";
    click(h_inp_inst->B_Zurueck);
    pages::H_Inp& snap = open(1, [this] { main().S_SNAP.set_value(1); });
    EXPECT_FALSE(snap.cmd_help.visible());
}

TEST_F(KrvInputPage, JumperFinderShowsTheBoardWithTheHintOfTheChosenType) {
    pages::H_Inp& page = open();
    click(page.cmd_help);
    pages::Pcb_map_2& picture = *pages::pcb_map_2_inst.peek();
    EXPECT_TRUE(picture.visible());
    EXPECT_EQ(picture.caption(), "KRV Input Layout");
    EXPECT_EQ(picture.Image1.picture(), pages::input_board_krv);
    EXPECT_NE(ui::find_drawing(picture.Image1.picture()), nullptr);
    EXPECT_EQ(picture.lbl_desc.caption().rfind("Maximum measure range: -200 till +800", 0), 0u);
    EXPECT_TRUE(page.visible()) << "the page stays open";

    user([&page] { ui::user_select(page.Sensor, 18); });
    click(page.cmd_help);
    EXPECT_EQ(pages::pcb_map_2_inst.peek(), &picture) << "one picture window";
    EXPECT_EQ(picture.lbl_desc.caption(),
              "Maximum measure range: +/- 10 V\r\nJP5, JP6, JP7, JP8 and JP9 close\r\n"
              "Contacts: z24(+) and z26(-)");

    // Closed by its frame, the picture comes back on the next click.
    user([&picture] { ui::user_close(picture); });
    EXPECT_FALSE(pages::pcb_map_2_inst.loaded());
    click(page.cmd_help);
    ASSERT_TRUE(pages::pcb_map_2_inst.loaded());
    pages::Pcb_map_2& again = *pages::pcb_map_2_inst.peek();
    EXPECT_TRUE(again.visible());
    EXPECT_EQ(again.lbl_desc.caption().rfind("Maximum measure range: +/- 10 V", 0), 0u);

    click(page.B_Zurueck);
    EXPECT_FALSE(again.visible());
    EXPECT_FALSE(h_inp_inst.loaded());
    EXPECT_TRUE(main().visible());
}

TEST_F(KrvInputPage, EditsStayInTheImageAndProgrammingSendsThem) {
    pages::H_Inp& page = open();
    user([&page] { ui::user_select(page.Sensor, 3); });
    type_into(page.Mesb_1, "1100");
    type_into(page.in_filt, "12");
    leave();
    click(page.B_Zurueck);
    EXPECT_EQ(param_image[99], 3);
    EXPECT_EQ(param_image[98], 1100);
    EXPECT_EQ(param_image[100], 120);
    EXPECT_TRUE(plant_->log().empty()) << "the page sends nothing";

    program();
    EXPECT_EQ(device().param(99), 3);
    EXPECT_EQ(device().param(98), 1100);
    EXPECT_EQ(device().stored_param(100), 120);
}

TEST_F(KrvInputPage, CaptionsInGerman) {
    read_device(1, "D");
    click(main().B_io);
    pages::H_Inp& page = *h_inp_inst.peek();
    EXPECT_EQ(page.caption(), "Me\xDF" "eing\xE4" "nge          TAG No:  TT-101 ");
    EXPECT_EQ(page.Label3.caption(), "&Sensor/Signal");
    EXPECT_EQ(page.B_Zurueck.caption(), "&Zur\xFC" "ck zum Hauptmen\xFC");
    EXPECT_EQ(page.Label6.caption(), "Bereichsgrenze - MIN");
    EXPECT_EQ(page.cmd_help.caption(), "Jumper Finder");
    EXPECT_EQ(page.Sensor.list(3), "Th NiCr/Ni Typ K");
}

}  // namespace
}  // namespace dvx::testing

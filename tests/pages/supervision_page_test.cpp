// The KRV and DLX supervision pages as a user works them, on devices read from the
// simulated bus: every reaction choice of every output lands on its exact bits, the fill
// makes the system group whole or empty and clears what an output without function (or
// old firmware) cannot hold, the firmware gates, the input-kind rows, and the round trip
// into the device by the main window's programming.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "model/param_image.h"
#include "pages/s_chk_30.h"
#include "pages/s_chk_m.h"
#include "platform/cp1252.h"
#include "tests/pages/page_fixture.h"
#include "texts/captions_pages.h"
#include "texts/language.h"

namespace dvx::testing {
namespace {

using model::param_image;

int word(int k) {
    return static_cast<std::uint16_t>(param_image[k]);
}

// The bits of one row: a in the alarm word (or, for DLX row 10, in the reaction word),
// b in the reaction word.
struct RowBits {
    int row;
    int a, b;
    bool a_in_reaction = false;
    int source;  // its bits in word 75
};
struct Family {
    const char* name;
    int address;
    std::vector<RowBits> rows;
    std::vector<int> reaction_words;
};
void PrintTo(const Family& f, std::ostream* os) {
    *os << f.name;
}
const Family families[] = {
    {"krv",
     1,
     {{3, 0x1000, 0x0040, false, 0x040},
      {4, 0x0400, 0x0010, false, 0x010},
      {5, 0x0200, 0x0008, false, 0x008},
      {6, 0x0800, 0x0020, false, 0x020},
      {9, 0x4000, 0x0100, false, 0x100},
      {0, 0xA1C0, 0x0287, false, 0x287}},
     {70, 96, 114, 127}},
    {"dlx",
     3,
     {{3, 0x0200, 0x0010, false, 0x008},
      {4, 0x0400, 0x0020, false, 0x010},
      {5, 0x0800, 0x0040, false, 0x020},
      {6, 0x1000, 0x0080, false, 0x040},
      {10, 0x0001, 0x0800, true, 0x400},
      {8, 0x4000, 0x0200, false, 0x100},
      {0, 0xA1C0, 0x050E, false, 0x287}},
     {79, 87, 96, 101}},
};

class SupervisionPage : public PageFixture {
  protected:
    pages::SupervisionPage& open() {
        click(main().B_Schk);
        if (main().S_DLX.value()) return *pages::s_chk_m_inst.peek();
        return *pages::s_chk_30_inst.peek();
    }
    void choose(ui::ComboBox& list, int index) {
        user([&list, index] { EXPECT_TRUE(ui::user_select(list, index)); });
    }
    // All four outputs in use (function 1), no reaction bits, nothing in word 75.
    static void clean_outputs(const Family& f) {
        for (int k = 0; k < 4; ++k) {
            param_image[83 + k] = 0x0004;
            param_image[f.reaction_words[k]] = 0;
        }
        param_image[75] = 0;
    }
};

class EveryChoice : public SupervisionPage, public ::testing::WithParamInterface<Family> {};

TEST_P(EveryChoice, LandsOnItsExactBits) {
    const Family& f = GetParam();
    read_device(f.address);
    clean_outputs(f);
    pages::SupervisionPage& page = open();

    for (const RowBits& r : f.rows) {
        for (int k = 1; k <= 4; ++k) {
            const int alarm = 83 + k - 1;
            const int reaction = f.reaction_words[k - 1];
            for (int mode : {1, 2, 3, 0}) {
                SCOPED_TRACE("row " + std::to_string(r.row) + " output " + std::to_string(k) +
                             " mode " + std::to_string(mode));
                choose(page.reaction_list(k, r.row), mode);
                const bool a = mode == 1 || mode == 2, b = mode == 2 || mode == 3;
                const int a_bits = a ? r.a : 0, b_bits = b ? r.b : 0;
                EXPECT_EQ(word(alarm), 0x0004 | (r.a_in_reaction ? 0 : a_bits));
                EXPECT_EQ(word(reaction), b_bits | (r.a_in_reaction ? a_bits : 0));
            }
        }
        SCOPED_TRACE("analog output, row " + std::to_string(r.row));
        choose(page.output_list(r.row), 1);
        EXPECT_EQ(word(75), r.source);
        choose(page.output_list(r.row), 0);
        EXPECT_EQ(word(75), 0);
    }
    EXPECT_TRUE(boxes_.shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Families, EveryChoice, ::testing::ValuesIn(families),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SupervisionPage, KrvFillMakesGroupsWholeAndClearsOutputsWithoutFunction) {
    read_device(1);
    param_image[75] = 0x0002 | 0x0020;                    // slave processor, sensor break
    param_image[83] = 0x0084;                             // output 1 in use, group a-bit by bit 7
    param_image[70] = static_cast<std::int16_t>(0xFC02);  // group b-bit; bits 10..15 foreign
    param_image[84] = static_cast<std::int16_t>(0xA144 | 0x1000);  // no bit 7: group cleared
    param_image[96] = 0x0285 | 0x0040;                             // no 0x002: group cleared
    param_image[85] = 0x1000;  // output 3 without function, row 3 "off" left behind
    param_image[114] = 0x0040;
    param_image[86] = 0x0008 | 0x0800;  // row 6 "off"
    param_image[127] = 0;

    pages::SupervisionPage& page = open();

    EXPECT_EQ(word(75), 0x0287 | 0x0020);
    EXPECT_EQ(word(83), 0xA1C4);
    EXPECT_EQ(word(70), 0xFE87) << "bits 10..15 of a reaction word are never changed";
    EXPECT_EQ(word(84), 0x0004 | 0x1000);
    EXPECT_EQ(word(96), 0x0040);
    EXPECT_EQ(word(85), 0) << "no function: no reaction bits";
    EXPECT_EQ(word(114), 0);
    EXPECT_EQ(word(86), 0x0808);

    EXPECT_EQ(page.output_list(0).list_index(), 1);
    EXPECT_EQ(page.output_list(6).list_index(), 1);
    EXPECT_EQ(page.output_list(3).list_index(), 0);
    EXPECT_EQ(page.reaction_list(1, 0).list_index(), 2) << "on";
    EXPECT_EQ(page.reaction_list(2, 0).list_index(), 0);
    EXPECT_EQ(page.reaction_list(2, 3).list_index(), 2) << "on";
    EXPECT_EQ(page.reaction_list(3, 3).list_index(), 0);
    EXPECT_EQ(page.reaction_list(4, 6).list_index(), 1) << "off";
    for (int row : {0, 3, 4, 5, 6, 9}) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(page.reaction_list(1, row).visible());
        EXPECT_FALSE(page.reaction_list(3, row).visible());
        EXPECT_TRUE(page.reaction_list(4, row).visible());
    }
    EXPECT_FALSE(page.heads[2].visible());
    EXPECT_TRUE(mainwin::params_changed()) << "the fill alone changed the image";

    // Esc refills: the same result although no list changes its selection this time.
    param_image[85] = 0x1000;
    param_image[114] = 0x0040;
    param_image[75] = 0x0285;
    focus(page.text_box("dif_15_mv"));
    key(27);
    EXPECT_EQ(word(85), 0);
    EXPECT_EQ(word(114), 0);
    EXPECT_EQ(word(75), 0);
    EXPECT_EQ(page.output_list(0).list_index(), 0);
}

TEST_F(SupervisionPage, DlxFillDecidesByItsOwnBitsAndOldFirmwareLosesLimit) {
    read_device(3);
    main().curr_version.set_text("3.00");
    param_image[75] = 0x0001;
    param_image[83] = 0x0004;
    param_image[79] = 0x0002 | 0x0800;  // group b-bit, row 10 "limit"
    param_image[84] = 0x0004;
    param_image[87] = 0x050C;  // no 0x0002: the group is cleared
    param_image[85] = 0;
    param_image[96] = 0;
    param_image[86] = 0x0004;
    param_image[101] = 0x0801;  // row 10 "on"

    pages::SupervisionPage& page = open();

    EXPECT_EQ(word(75), 0x0287);
    EXPECT_EQ(word(79), 0) << "group and row 10 held b-bits only: read as 0 below 3.01, stored so";
    EXPECT_EQ(word(87), 0);
    EXPECT_EQ(word(101), 0x0801);
    EXPECT_EQ(page.reaction_list(1, 0).list_index(), 0);
    EXPECT_EQ(page.reaction_list(1, 10).list_index(), 0);
    EXPECT_EQ(page.reaction_list(4, 10).list_index(), 2);
    EXPECT_EQ(page.reaction_list(1, 10).list_count(), 3) << "no \"limit\" before 3.01";
    EXPECT_EQ(page.output_list(0).list_index(), 1);

    // From 3.01 a b-only state is "limit" and stays.
    ui::reset_forms();
    read_device(3);
    param_image[84] = 0x0004;
    param_image[87] = 0x0002;
    pages::SupervisionPage& again = open();
    EXPECT_EQ(word(87), 0x050E);
    EXPECT_EQ(again.reaction_list(2, 0).list_index(), 3);
}

TEST_F(SupervisionPage, DlxFillMakesEveryGroupWholeByItsOwnBitsAlsoInHiddenRows) {
    read_device(3);               // firmware 3.06: "limit" exists
    link::status_regs[2] = 1000;  // mV input: rows 5 and 10 hidden
    struct Word {
        int p;
        std::uint16_t before, after;
    };
    const Word words[] = {
        {75, 0x0286, 0x0000},  // EEPROM bit 0x001 clear: the group goes
        {83, 0x0044, 0xA1C4},  // group a-bit 0x0040 set: the group's a-bits whole
        {79, 0xF002, 0xF50E},  // group b-bit set; bits 12..15 are not the page's
        {84, 0xA184, 0x0004},  // 0x0040 clear, whatever 0x0080 says
        {87, 0xF50C, 0xF000},  // 0x0002 clear
        {85, 0x0004, 0x0004},  // in use: row 10 "off" (bit 0 of R_3) stays
        {96, 0x0001, 0x0001},
        {86, 0x0000, 0x0000},  // no function: the hidden rows 5 and 10 lose their bits too
        {101, 0x0841, 0x0000},
    };
    for (const Word& w : words) param_image[w.p] = static_cast<std::int16_t>(w.before);

    pages::SupervisionPage& page = open();

    for (const Word& w : words) EXPECT_EQ(word(w.p), w.after) << "word " << w.p;
    EXPECT_EQ(page.output_list(0).list_index(), 0);
    EXPECT_EQ(page.reaction_list(1, 0).list_index(), 2) << "on";
    EXPECT_EQ(page.reaction_list(3, 10).list_index(), 1) << "off, hidden";
    EXPECT_FALSE(page.reaction_list(3, 10).visible());
}

TEST_F(SupervisionPage, FourthColumnHiddenOnTheSnapVariant) {
    for (int address : {1, 3}) {
        SCOPED_TRACE(address);
        read_device(address);
        main().S_SNAP.set_value(1);
        for (int k = 83; k <= 86; ++k) param_image[k] = 0x0004;  // every output has a function
        pages::SupervisionPage& page = open();
        for (int column = 1; column <= 4; ++column) {
            SCOPED_TRACE(column);
            EXPECT_EQ(page.reaction_list(column, 0).visible(), column < 4);
            EXPECT_EQ(page.heads[static_cast<std::size_t>(column - 1)].visible(), column < 4);
        }
        ui::reset_forms();
    }
}

TEST_F(SupervisionPage, BlinkBoxEnabledWithTheCalibrationMenu) {
    for (int address : {17, 20}) {  // KRV 4.16, DLX 4.02: the box is offered
        SCOPED_TRACE(address);
        read_device(address);
        main().m_calib.set_enabled(true);
        pages::SupervisionPage& page = open();
        EXPECT_TRUE(page.chk_blink_on_mem.visible());
        EXPECT_TRUE(page.chk_blink_on_mem.enabled());
        ui::reset_forms();
    }
}

// Esc in a list refills the page only where the list passes its keys on: the KRV
// analog-output lists and the DLX lists other than err_out_0.
TEST_F(SupervisionPage, ListsThatPassEscRefillThePage) {
    struct Case {
        const char* name;
        int address;
        int column;  // 0: the row's analog-output list
        int row;
        bool refills;
    };
    const Case cases[] = {
        {"krv err_l_3", 1, 0, 3, true},   {"krv err_l_0", 1, 0, 0, true},
        {"krv err_al_1", 1, 1, 3, false}, {"dlx err_out 4", 3, 0, 4, true},
        {"dlx err_al_1", 3, 1, 4, true},  {"dlx err_out_0", 3, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        read_device(c.address);
        param_image[83] = 0x0004;
        param_image[76] = 20;
        pages::SupervisionPage& page = open();
        param_image[76] = 45;  // changed behind the page
        ui::ComboBox& list =
            c.column == 0 ? page.output_list(c.row) : page.reaction_list(c.column, c.row);
        focus(list);
        key(27);
        EXPECT_EQ(page.text_box("out_val_dif").text(), c.refills ? "4.5" : "2.0");
        ui::reset_forms();
    }
}

TEST_F(SupervisionPage, UnsupportedFirmwareOpensNeitherPage) {
    struct Case {
        int address;
        const char* message;
    };
    const Case cases[] = {{1, "No support for this KRV software version."},
                          {3, "No support for this DLX software version."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        read_device(c.address);
        main().curr_version.set_text("9.99");
        boxes_.answer({ui::id_ok, c.message, nullptr, 0, ui::mb_ok, "DORVANEX"});
        click(main().B_Schk);
        EXPECT_EQ(pages::s_chk_30_inst.peek(), nullptr);
        EXPECT_EQ(pages::s_chk_m_inst.peek(), nullptr);
        EXPECT_TRUE(main().visible());
        EXPECT_EQ(prompts(), std::vector<std::string>{c.message});
        ui::reset_forms();
    }
}

TEST_F(SupervisionPage, FirmwareGates) {
    struct Case {
        int address;
        const char* version;
        bool blink, limit_item, open_circuit;
        const char *mv_unit, *res_unit;
    };
    const Case cases[] = {
        {1, "4.03", false, true, false, "% of range", "% of range"},
        {1, "4.04", true, true, false, "% of range", "% of range"},
        {1, "4.10", false, true, true, "mV", "% of measuring current"},
        {1, "4.13", false, true, true, "mV", "% of measuring current"},
        {1, "4.14", true, true, true, "mV", "% of measuring current"},
        {1, "3.05", false, true, false, "% of range", "% of range"},
        {3, "3.00", false, false, false, "% of range", nullptr},
        {3, "3.01", false, true, false, "% of range", nullptr},
        {3, "4.01", false, true, false, "% of range", nullptr},
        {3, "4.02", true, true, false, "% of range", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + (c.address == 1 ? " KRV" : " DLX"));
        read_device(c.address);
        param_image[128] = 150;
        main().curr_version.set_text(c.version);
        pages::SupervisionPage& page = open();
        EXPECT_EQ(page.chk_blink_on_mem.visible(), c.blink);
        EXPECT_EQ(page.reaction_list(1, 0).list_count(), c.limit_item ? 4 : 3);
        EXPECT_EQ(page.label("Label10").caption(), c.mv_unit);
        if (c.res_unit) {
            EXPECT_EQ(page.label("Label1").caption(), c.res_unit);
            EXPECT_EQ(page.text_box("txt_thrl_max").visible(), c.open_circuit);
            EXPECT_EQ(page.label("lbl_thrl_max").visible(), c.open_circuit);
            EXPECT_EQ(page.text_box("txt_thrl_max").text(), c.open_circuit ? "1.50" : "");
        }
        click(page.B_Zurueck);
        EXPECT_TRUE(main().visible());
        ui::reset_forms();
    }
}

TEST_F(SupervisionPage, DlxRowsFollowTheInputKind) {
    struct Case {
        int kind;
        bool row5_label, row5_reactions, row10_label, row10_reactions;
    };
    const Case cases[] = {
        {1000, false, false, false, false},
        {1001, false, false, false, false},
        {1002, true, true, false, false},
        {0, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        read_device(3);
        param_image[83] = 0x0004;
        link::status_regs[2] = static_cast<std::int16_t>(c.kind);
        pages::SupervisionPage& page = open();
        EXPECT_EQ(page.row_label(5).visible(), c.row5_label);
        EXPECT_EQ(page.output_list(5).visible(), c.row5_label);
        EXPECT_EQ(page.reaction_list(1, 5).visible(), c.row5_reactions);
        EXPECT_EQ(page.row_label(10).visible(), c.row10_label);
        EXPECT_EQ(page.output_list(10).visible(), c.row10_label);
        EXPECT_EQ(page.reaction_list(1, 10).visible(), c.row10_reactions);
        EXPECT_TRUE(page.output_list(6).visible());
        ui::reset_forms();
    }
}

TEST_F(SupervisionPage, TolerancesTakeTwoToFiftyTenths) {
    read_device(17);  // KRV 4.16: the open-circuit limit too
    pages::SupervisionPage& page = open();
    struct Case {
        const char* field;
        int word;
        const char* typed;
        int stored;  // -1: refused
    };
    const Case cases[] = {
        {"dif_15_mv", 77, "5.0", 50},      {"dif_15_mv", 77, "5.1", -1},
        {"dif_15_mv", 77, "0.1", -1},      {"Fui_val", 79, "0.2", 2},
        {"out_val_dif", 76, "3.3", 33},    {"txt_thrl_max", 128, "2", 200},
        {"txt_thrl_max", 128, "0.01", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        const int before = param_image[c.word];
        boxes_.clear();
        type_into(page.text_box(c.field), c.typed);
        leave();
        EXPECT_EQ(param_image[c.word], c.stored < 0 ? before : c.stored);
        EXPECT_EQ(boxes_.shown().size(), c.stored < 0 ? 1u : 0u);
    }
}

TEST_F(SupervisionPage, BlinkBoxAndCaptions) {
    texts::lang_code = "D";
    read_device(1, "D");
    param_image[113] = 0x0105;
    pages::SupervisionPage& page = open();
    EXPECT_EQ(page.caption(),
              platform::to_cp1252("Überwachungsmaßnahmen") + "          TAG No:  TT-101 ");
    EXPECT_EQ(page.label("Label12").caption(), platform::to_cp1252("Interner Gerätefehler"));
    EXPECT_EQ(page.chk_blink_on_mem.value(), 0);
    EXPECT_FALSE(page.chk_blink_on_mem.enabled()) << "only at access level 2";
    page.chk_blink_on_mem.set_value(1);
    EXPECT_EQ(word(113), 0x0185);
    page.chk_blink_on_mem.set_value(0);
    EXPECT_EQ(word(113), 0x0105);
}

// Every caption row reaches a control of the page (a misspelt name would be passed
// over), and each row of the reaction table carries its own source's caption and
// first analog-output entry.
TEST_F(SupervisionPage, RowsCarryTheirCaptions) {
    struct Row {
        int row;
        const char* caption;
        const char* first_item;
    };
    struct Case {
        int address;
        std::vector<std::span<const texts::PageCaption>> tables;
        std::vector<Row> rows;
    };
    const char* momentary = "Momentary value   ";
    const char* frozen = "Freezed value     ";
    const Case cases[] = {
        {1,
         {texts::supervision_captions(), texts::check30_captions()},
         {{3, "mV measure loop", momentary},
          {4, "Resistor measure loop", momentary},
          {5, "Output signal loop", momentary},
          {6, "Sensor or wire break", frozen},
          {9, "Relay 1, relay 2, relay 3", momentary},
          {0, "Internal device error", momentary}}},
        {3,
         {texts::supervision_captions(), texts::check_m_captions()},
         {{3, "Analog output", momentary},
          {4, "Analog input", momentary},
          {5, "Minimum input value", frozen},
          {6, "Maximum input value", frozen},
          {10, "Transmitter supply current circuit", momentary},
          {8, "Relay 1, relay 2, relay 3", momentary},
          {0, "Internal device error", momentary}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        read_device(c.address);
        pages::SupervisionPage& page = open();
        for (const auto& table : c.tables)
            for (const texts::PageCaption& t : table)
                if (!t.control.empty()) {
                    EXPECT_NE(page.control(t.control), nullptr) << t.control;
                }
        for (const Row& r : c.rows) {
            SCOPED_TRACE(r.row);
            EXPECT_EQ(page.row_label(r.row).caption(), r.caption);
            EXPECT_EQ(page.output_list(r.row).list(0), r.first_item);
            EXPECT_EQ(page.output_list(r.row).list(1), "Alarm value       ");
        }
        ui::reset_forms();
    }
}

TEST_P(EveryChoice, RoundTripThroughTheDevice) {
    const Family& f = GetParam();
    read_device(f.address);
    pages::SupervisionPage& page = open();
    // Output 1 has a function on a device as delivered.
    choose(page.reaction_list(1, f.rows[0].row), 2);
    choose(page.reaction_list(1, 0), 3);
    choose(page.output_list(f.rows[1].row), 1);
    type_into(page.text_box("out_val_dif"), "4.5");
    leave();
    const auto edited = model::param_image;
    click(page.B_Zurueck);
    program();

    for (int p : {75, 76, 83, f.reaction_words[0]}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(device().param(p), edited[p]);
    }
    read();
    pages::SupervisionPage& again = open();
    EXPECT_EQ(again.reaction_list(1, f.rows[0].row).list_index(), 2);
    EXPECT_EQ(again.reaction_list(1, 0).list_index(), 3);
    EXPECT_EQ(again.output_list(f.rows[1].row).list_index(), 1);
    EXPECT_EQ(again.text_box("out_val_dif").text(), "4.5");
    EXPECT_FALSE(mainwin::params_changed()) << "a normal image is left as it is";
}

}  // namespace
}  // namespace dvx::testing

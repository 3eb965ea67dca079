// The main window's captions by language, family and bus mode.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "tests/mainwin/main_window_fixture.h"
#include "texts/captions_main.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

class MainCaptions : public MainWindowFixture {
  protected:
    bool start_in(int mode, const char* lang) {
        for (const char* marker : {"HZL_mod.cfg", "HZL3_mod.cfg"})
            if (files_->exists(marker)) files_->remove(marker);
        if (mode == 1) write_checked("HZL_mod.cfg", "1");
        if (mode == 2) write_checked("HZL3_mod.cfg", "1");
        return start(mode, lang);
    }
    void choose_dlx() {
        loop_.post([this] { ui::user_click(main().S_DLX); });
        pump();
    }
};

struct FamilyCase {
    const char* name;
    const char* lang;
    bool krv;
    int mode;
    const char* title;
    const char* label3;
    const char* adr_label;
    const char* no_label;
    const char* b_io;
    const char* read;
};

// Texts as Windows-1252 bytes.
const FamilyCase family_cases[] = {
    {"GB_DLX_direct", "GB", false, 0, "DLX main menu", "DLX version", "DLX address", "DLX No.",
     "Measure input", "Read in DLX data"},
    {"GB_DLX_hzl3", "GB", false, 2, "DLX main menu", "DLX version", "Rack No.", "DLX No.",
     "Measure input", "Read in DLX data"},
    {"GB_KRV_direct", "GB", true, 0, "KRV main menu", "KRV version", "KRV address", "KRV No.",
     "Measure inputs", "Read in KRV data"},
    {"D_KRV_direct", "D", true, 0, "KRV - Hauptmen\xFC",
     "KRV-&Version:", "KRV-Ad&resse:", "KRV-No.:",
     "Me\xDF"
     "e&ing\xE4nge",
     "KRV-Daten &einlesen"},
    {"D_DLX_hzl", "D", false, 1, "DLX - Hauptmen\xFC", "DLX-&Version:", "Rack No.:", "DLX-No.:",
     "Me\xDF"
     "e&ingang",
     "DLX-Daten &einlesen"},
    {"NL_KRV_hzl3", "NL", true, 2, "KRV - Hoofdmenu",
     "KRV-&versie:", "Rack No.:", "KRV No.:", "Meetingangen", "KRV gegevens inlezen"},
    {"unknown_code_is_German", "EN", false, 0, "DLX - Hauptmen\xFC",
     "DLX-&Version:", "DLX-Ad&resse:", "DLX-No.:",
     "Me\xDF"
     "e&ingang",
     "DLX-Daten &einlesen"},
};

TEST_F(MainCaptions, FamilyAndBusModeChooseTheWording) {
    for (const auto& c : family_cases) {
        SCOPED_TRACE(c.name);
        ui::reset_forms();
        reset_globals();
        ASSERT_TRUE(start_in(c.mode, c.lang));
        if (!c.krv) choose_dlx();
        auto& m = main();
        EXPECT_EQ(texts::is_krv, c.krv ? 1 : 0);
        EXPECT_EQ(m.caption(), c.title);
        EXPECT_EQ(m.Label3.caption(), c.label3);
        EXPECT_EQ(m.lab_adr_sel.caption(), c.adr_label);
        EXPECT_EQ(m.lbl_bnrnr.caption(), c.no_label);
        EXPECT_EQ(m.B_io.caption(), c.b_io);
        EXPECT_EQ(m.B_FQN_Read.caption(), c.read);
    }
}

TEST_F(MainCaptions, FamilyOptionSwitchesTextsWithoutTouchingTheSet) {
    ASSERT_TRUE(start(0, "GB"));
    auto& m = main();
    model::param_image[99] = 7;
    EXPECT_EQ(texts::msg_version_mismatch, "KRV version is wrong !");
    choose_dlx();
    EXPECT_EQ(m.caption(), "DLX main menu");
    EXPECT_EQ(m.B_FQN_Write.caption(), "DLX program");
    EXPECT_EQ(m.Frame3D3.caption(), "DLX identification");
    EXPECT_EQ(texts::msg_version_mismatch, "DLX version is wrong !");
    EXPECT_EQ(model::param_count, 127);
    EXPECT_EQ(model::param_image[99], 7);
    loop_.post([&] { ui::user_click(m.S_KRV); });
    pump();
    EXPECT_EQ(texts::is_krv, 1);
    EXPECT_EQ(m.B_FQN_Write.caption(), "KRV program");
    EXPECT_FALSE(m.S_DLX.value());
}

TEST_F(MainCaptions, FixedTextsAndAccessKeysInEachLanguage) {
    struct Row {
        const char* lang;
        const char* b_schk;
        const char* quit_menu;
        const char* b_exit;
        const char* column_2;
    } rows[] = {
        {"D",
         "\xDC"
         "berwachungsma\xDF"
         "na&hmen",
         "Programm beenden", "Programm &beenden", "Ger\xE4t"},
        {"GB", "System controlling", "Quit", "Quit", "Device"},
        {"NL", "Beveiligingsacties", "Programma be\xEBindigen", "Programma be\xEBindigen",
         "Apparaat"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.lang);
        ui::reset_forms();
        reset_globals();
        ASSERT_TRUE(start(0, r.lang));
        auto& m = main();
        EXPECT_EQ(m.B_Schk.caption(), r.b_schk);
        EXPECT_EQ(m.m_dat_exit.caption(), r.quit_menu);
        EXPECT_EQ(m.B_exit.caption(), r.b_exit);
        EXPECT_EQ(m.liv_scan.column_text(2), r.column_2);
        // Left as designed in every language.
        EXPECT_EQ(m.liv_scan.column_text(1), "Rack");
        EXPECT_EQ(m.liv_scan.column_text(3), "Serial No:");
        EXPECT_EQ(m.liv_scan.column_text(4), "Tag No:");
        EXPECT_EQ(m.m_lang.caption(), "Language");
        EXPECT_EQ(m.m_land_gb.caption(), "English");
        EXPECT_EQ(m.S_KRV.caption(), "KRV-200");
        EXPECT_EQ(m.S_DLX.caption(), "DLX-200");
        EXPECT_EQ(m.Label10.caption(), "(R)");
        EXPECT_EQ(m.m_ub_bnr.caption(), "BNR");
        // The "(R)" sign sits right behind the product name as the banner draws it, bold
        // at 12 points: 8 letters x 12 x 10 twips x 1.1 by the headless metric (not bold
        // it would be 960).
        EXPECT_EQ(m.Label10.left(), m.Label1.left() + 1056);
        EXPECT_EQ(m.font().size, 12);
    }
}

TEST_F(MainCaptions, DutchKeepsTheBulkSetInEnglish) {
    write_checked("HZL3_mod.cfg", "x");
    ASSERT_TRUE(start(2, "NL"));
    auto& m = main();
    EXPECT_EQ(m.fra_bulk_upd.caption(), "Set one parameter for all devices");
    EXPECT_EQ(m.cmd_bulk_set.caption(), "Set parameter");
    ASSERT_EQ(m.cmb_bulk_param.list_count(), 13);
    EXPECT_EQ(m.cmb_bulk_param.list(0), "Start of measure range");
    EXPECT_EQ(m.cmb_bulk_param.list(12), "TC open circuit resistance");
}

// Every entry of the bulk list by position, German and English (Dutch shows the English).
// Windows-1252 bytes.
const char* const bulk_entries[][2] = {
    {"Me\xDF" "bereichsanfang", "Start of measure range"},
    {"Me\xDF" "bereichsende", "End of measure range"},
    {"Filterzeit", "Filter time"},
    {"Analogausgang/Bereichsanfang", "Analog output/Start of range"},
    {"Analogausgang/Bereichsende", "Analog output/End of range"},
    {"Analogausgang/MIN-Begrenzung", "Analog output/MIN-limit"},
    {"Analogausgang/MAX-Begrenzung", "Analog output/MAX-limit"},
    {"Analogausgang/Alarmwert", "Analog output/Alarm value"},
    {"Analogausgang/Filterzeit", "Analog output/Filter time"},
    {"mV-Eingang -max. Toleranz", "mV input - maximum tolerance"},
    {"Widerstandseingang - max. Toleranz", "Resistor input - maximum tolerance"},
    {"Analogausgang - maximale Toleranz", "Analog output - maximum tolerance"},
    {"Thermoelement Leitungsbruch", "TC open circuit resistance"},
};

TEST_F(MainCaptions, BulkListEntriesInEachLanguage) {
    for (const char* lang : {"D", "GB", "NL"}) {
        SCOPED_TRACE(lang);
        ui::reset_forms();
        reset_globals();
        ASSERT_TRUE(start_in(2, lang));
        const auto& list = main().cmb_bulk_param;
        ASSERT_EQ(list.list_count(), static_cast<int>(std::size(bulk_entries)));
        const int column = std::string(lang) == "D" ? 0 : 1;
        for (int i = 0; i < list.list_count(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(list.list(i), bulk_entries[i][column]);
        }
    }
}

TEST_F(MainCaptions, RefillOfTheBulkListDropsTheSelection) {
    write_checked("HZL3_mod.cfg", "x");
    ASSERT_TRUE(start(2, "D"));
    auto& m = main();
    EXPECT_EQ(m.cmb_bulk_param.list(0),
              "Me\xDF"
              "bereichsanfang");
    m.cmb_bulk_param.set_list_index(5);
    texts::lang_code = "GB";
    texts::set_lang_msg();
    mainwin::set_lang_main();
    EXPECT_EQ(m.cmb_bulk_param.list_index(), -1);
    EXPECT_EQ(m.cmb_bulk_param.list_count(), 13);
    EXPECT_EQ(m.cmb_bulk_param.list(5), "Analog output/MIN-limit");
}

TEST_F(MainCaptions, EveryCaptionRowNamesAControlOfTheWindow) {
    ASSERT_TRUE(start());
    for (const auto& row : texts::main_caption_table()) {
        if (row.target == texts::CaptionTarget::form_title) continue;
        SCOPED_TRACE(std::string(row.control));
        EXPECT_NE(main().control(row.control), nullptr);
    }
}

}  // namespace
}  // namespace dvx::testing

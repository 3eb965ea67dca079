// The main window's vocabulary: every control and menu by name and kind, a designed
// layout that keeps each control inside its container, and the bulk parameter list.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "mainwin/bulk_params.h"
#include "platform/cp1252.h"
#include "tests/mainwin/main_window_fixture.h"
#include "texts/captions_main.h"

namespace dvx::testing {
namespace {

using ui::Kind;

struct Expected {
    const char* name;
    Kind kind;
};

// clang-format off
constexpr Expected controls[] = {
    {"Com_select", Kind::combo_box},   {"adr_select", Kind::combo_box},  {"cmb_rack", Kind::combo_box},
    {"lab_com_sel", Kind::label},      {"lab_adr_sel", Kind::label},     {"lbl_bnrnr", Kind::label},
    {"B_FQN_Read", Kind::command_button}, {"B_FQN_Write", Kind::command_button},
    {"Check3D2", Kind::check_box},     {"Komentar1", Kind::text_box},    {"Ser_No", Kind::text_box},
    {"Krv_adr", Kind::combo_box},      {"Label5", Kind::label},          {"Label9", Kind::label},
    {"Label6", Kind::label},           {"S_KRV", Kind::option_button},   {"S_DLX", Kind::option_button},
    {"curr_version", Kind::text_box},  {"Label3", Kind::label},          {"v_mode", Kind::text_box},
    {"in_use", Kind::text_box},        {"Komentar", Kind::text_box},     {"Label4", Kind::label},
    {"TH_XK", Kind::check_box},        {"S_SNAP", Kind::check_box},      {"Command3D4", Kind::command_button},
    {"dev_list", Kind::list_box},      {"Label7", Kind::label},          {"Label11", Kind::label},
    {"Label12", Kind::label},          {"liv_scan", Kind::list_view},    {"fra_bulk_upd", Kind::frame},
    {"cmb_bulk_param", Kind::combo_box}, {"cmd_bulk_set", Kind::command_button}, {"Label13", Kind::label},
    {"B_io", Kind::command_button},    {"B_Out", Kind::command_button},  {"B_dout", Kind::command_button},
    {"B_Schk", Kind::command_button},  {"B_comment", Kind::command_button}, {"B_online", Kind::command_button},
    {"Command3D3", Kind::command_button}, {"B_exit", Kind::command_button}, {"Frame3D1", Kind::frame},
    {"Frame3D2", Kind::frame},         {"Frame3D3", Kind::frame},        {"Frame3D4", Kind::frame},
    {"Label1", Kind::label},           {"Label2", Kind::label},          {"Label8", Kind::label},
    {"Label10", Kind::label},          {"Line1", Kind::line},            {"MSComm1", Kind::comm},
    {"CMDialog1", Kind::common_dialog},
};

// Menu tree: item -> parent ("" for the menu bar).
constexpr std::pair<const char*, const char*> menus[] = {
    {"m_dat", ""},          {"m_dat_load", "m_dat"}, {"m_dat_save", "m_dat"},   {"m_dat_print", "m_dat"},
    {"m_dat_mpr", "m_dat"}, {"lin", "m_dat"},        {"m_dat_exit", "m_dat"},   {"m_pas", ""},
    {"m_pas_enter", "m_pas"}, {"m_pas_chg", "m_pas"}, {"m_pas_1", "m_pas_chg"}, {"m_pas_2", "m_pas_chg"},
    {"m_calib", ""},        {"m_cal_inp", "m_calib"}, {"m_cal_out", "m_calib"}, {"m_uebertr", ""},
    {"m_ub_bnr", "m_uebertr"}, {"m_ub_hzl", "m_uebertr"}, {"m_restore", ""}, {"m_restore_cfg", "m_restore"},
    {"m_lang", ""},         {"m_land_gb", "m_lang"}, {"m_lang_d", "m_lang"},    {"m_lang_NL", "m_lang"},
};

// clang-format on

class MainControls : public MainWindowFixture {};

TEST_F(MainControls, EveryControlAndMenuByNameAndKind) {
    ASSERT_TRUE(start());
    auto& m = main();
    EXPECT_EQ(m.name(), platform::to_cp1252("Hauptmenü"));
    for (const auto& e : controls) {
        SCOPED_TRACE(e.name);
        ui::Control* c = m.control(e.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->kind(), e.kind);
    }
    for (const auto& [name, parent] : menus) {
        SCOPED_TRACE(name);
        auto* item = dynamic_cast<ui::MenuItem*>(m.control(name));
        ASSERT_NE(item, nullptr);
        if (*parent == '\0') {
            EXPECT_EQ(item->parent_menu(), nullptr);
        } else {
            ASSERT_NE(item->parent_menu(), nullptr);
            EXPECT_EQ(item->parent_menu()->name(), parent);
        }
    }
    EXPECT_TRUE(m.lin.is_separator());
    EXPECT_EQ(m.liv_scan.column_count(), 4);
}

TEST_F(MainControls, DesignedLayoutKeepsControlsInsideTheirContainers) {
    ASSERT_TRUE(start());
    auto& m = main();
    EXPECT_GE(m.normal_rect().width, 9690);
    EXPECT_GE(m.normal_rect().height, 8225);
    for (ui::Control* c : m.controls()) {
        if (c->kind() == Kind::menu || c->kind() == Kind::line) continue;
        SCOPED_TRACE(c->name());
        const int w = c->container() ? c->container()->width() : m.normal_rect().width;
        const int h = c->container() ? c->container()->height() : m.normal_rect().height;
        EXPECT_GE(c->left(), 0);
        EXPECT_GE(c->top(), 0);
        EXPECT_LE(c->left() + c->width(), w);
        EXPECT_LE(c->top() + c->height(), h);
    }
    // The groups of the vocabulary.
    for (ui::Control* c :
         {static_cast<ui::Control*>(&m.Com_select), static_cast<ui::Control*>(&m.adr_select),
          static_cast<ui::Control*>(&m.cmb_rack), static_cast<ui::Control*>(&m.B_FQN_Read)})
        EXPECT_EQ(c->container(), &m.Frame3D1);
    EXPECT_EQ(m.Komentar1.container(), &m.Frame3D3);
    EXPECT_EQ(m.S_KRV.container(), &m.Frame3D4);
    EXPECT_EQ(m.liv_scan.container(), &m.Frame3D2);
    EXPECT_EQ(m.cmb_bulk_param.container(), &m.fra_bulk_upd);
    // Left to right: the rack label, the rack list, the number label, the address list.
    EXPECT_LT(m.lab_adr_sel.left(), m.cmb_rack.left());
    EXPECT_LT(m.cmb_rack.left(), m.lbl_bnrnr.left());
    EXPECT_LT(m.lbl_bnrnr.left(), m.adr_select.left());
}

TEST_F(MainControls, BulkListOffersThirteenWordsAndNeverTheSpareSlots) {
    mainwin::bulk_param_table.fill(-1);
    mainwin::init_bulk_params();
    const std::vector<std::int16_t> words(mainwin::bulk_param_table.begin(),
                                          mainwin::bulk_param_table.begin() + 13);
    EXPECT_EQ(words, (std::vector<std::int16_t>{97, 98, 100, 105, 106, 103, 104, 102, 107, 77, 79,
                                                76, 128}));
    // The spare positions are untouched by the fill; they hold 0 from program start.
    mainwin::bulk_param_table.fill(0);
    mainwin::init_bulk_params();
    EXPECT_EQ(mainwin::bulk_param_table[13], 0);
    EXPECT_EQ(mainwin::bulk_param_table[14], 0);

    ASSERT_TRUE(start());
    EXPECT_EQ(main().cmb_bulk_param.list_count(), 13);
    EXPECT_EQ(texts::bulk_param_texts().size(), 13u);
}

}  // namespace
}  // namespace dvx::testing

// Program start and the main window's load: bus mode and features from the marker
// files, the layout per bus mode, the connection settings file, the window placement
// from the registry, the language window on a first start, and a registry that
// cannot be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/con_file.h"
#include "tests/mainwin/main_window_fixture.h"
#include "texts/lang_select.h"

namespace dvx::testing {
namespace {

class StartUp : public MainWindowFixture {
  protected:
    void fresh() {
        ui::reset_forms();
        reset_globals();
        registry_ = ui::MemoryRegistry{};
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            std::filesystem::remove(e.path());
    }
    static std::string damaged(const std::string& content) {
        // A valid container whose sum is off by one.
        return content + '\x1a' + " " + std::to_string(model::checked_sum(content) + 1);
    }
};

struct LayoutCase {
    const char* name;
    std::vector<std::pair<const char*, std::string>> markers;  // checked files
    std::vector<std::pair<const char*, std::string>> raw;      // files as bytes
    int mode;
    bool transfer_menu;
};

TEST_F(StartUp, MarkerFilesChooseBusModeAndLayout) {
    const LayoutCase cases[] = {
        {"none", {}, {}, 0, false},
        {"chart_marker_without_gateway", {{"HZL_chart_enabled.cfg", "1"}}, {}, 0, false},
        {"hzl", {{"HZL_mod.cfg", "1"}}, {}, 1, false},
        {"hzl_with_chart", {{"HZL_mod.cfg", "yes"}, {"HZL_chart_enabled.cfg", "1"}}, {}, 1, true},
        {"hzl3", {{"HZL3_mod.cfg", "1"}}, {}, 2, false},
        {"both_gateways",
         {{"HZL_mod.cfg", "1"}, {"HZL3_mod.cfg", "1"}, {"HZL_chart_enabled.cfg", "x"}},
         {},
         2,
         true},
        {"empty_content_counts_not", {{"HZL_mod.cfg", ""}}, {}, 0, false},
        {"wrong_sum", {}, {{"HZL3_mod.cfg", damaged("1")}}, 0, false},
        {"no_end_mark", {}, {{"HZL_mod.cfg", "1"}}, 0, false},
        {"huge_garbage", {}, {{"HZL_mod.cfg", std::string(100000, '\x1a')}}, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        for (const auto& [file, content] : c.markers) write_checked(file, content);
        for (const auto& [file, bytes] : c.raw) write_raw(file, bytes);
        ASSERT_TRUE(start(c.mode));
        auto& m = main();
        const bool direct = c.mode == 0;
        EXPECT_EQ(model::bus_mode, c.mode);
        EXPECT_EQ(m.m_uebertr.visible(), c.transfer_menu);
        const int slots = direct ? 255 : c.mode == 1 ? 20 : 32;
        EXPECT_EQ(m.adr_select.list_count(), slots);
        EXPECT_EQ(m.adr_select.list(slots - 1), std::to_string(slots));
        EXPECT_EQ(m.Krv_adr.list_count(), slots);
        EXPECT_EQ(m.cmb_rack.list_count(), direct ? 0 : c.mode == 1 ? 30 : 64);
        EXPECT_EQ(m.cmb_rack.list_index(), direct ? -1 : 0);
        EXPECT_EQ(m.Krv_adr.visible(), direct);
        EXPECT_EQ(m.Label6.visible(), direct);
        EXPECT_EQ(m.cmb_rack.visible(), !direct);
        EXPECT_EQ(m.lbl_bnrnr.visible(), !direct);
        for (const ui::Control* c2 : std::initializer_list<const ui::Control*>{
                 &m.dev_list, &m.Label7, &m.Label11, &m.Label12})
            EXPECT_EQ(c2->visible(), direct) << c2->name();
        EXPECT_EQ(m.liv_scan.visible(), !direct);
        if (!direct) {
            EXPECT_EQ(m.liv_scan.left(), 240);
            EXPECT_EQ(m.liv_scan.top(), 720);
        }
        EXPECT_EQ(m.fra_bulk_upd.visible(), c.mode == 2);
        EXPECT_EQ(m.adr_select.list_index(), 0);
        EXPECT_EQ(port_->settings(), link::port_settings(c.mode));
        EXPECT_TRUE(port_->is_open());
        EXPECT_FALSE(m.Ser_No.enabled());
        EXPECT_TRUE(boxes_.shown().empty());
        EXPECT_TRUE(plant_->log().empty());
    }
}

TEST_F(StartUp, LoadSetsTheStartValues) {
    model::param_count = 140;
    texts::is_krv = 0;
    model::is_ni120 = 1;
    model::has_wre_tc = 1;
    ASSERT_TRUE(start());
    auto& m = main();
    EXPECT_EQ(model::param_count, 127);
    EXPECT_EQ(texts::is_krv, 1);
    EXPECT_EQ(model::is_ni120, 0);
    EXPECT_EQ(model::has_wre_tc, 0);
    EXPECT_TRUE(m.S_KRV.value());
    EXPECT_EQ(m.v_mode.text(), "40");
    EXPECT_EQ(m.in_use.text(), "0");
    EXPECT_EQ(m.top(), 10);
    ASSERT_EQ(m.Com_select.list_count(), 20);
    EXPECT_EQ(m.Com_select.list(0), "COM1");
    EXPECT_EQ(m.Com_select.list(19), "COM20");
    EXPECT_EQ(m.Com_select.list_index(), 0);
    EXPECT_TRUE(m.visible());
    EXPECT_EQ(mainwin::param_snapshot, "");
    EXPECT_EQ(model::entered_password, "");
}

TEST_F(StartUp, SerialNumberMarkerMustReadExactlyEnabled) {
    const std::pair<const char*, bool> cases[] = {
        {"enabled", true}, {"Enabled", false}, {"enabled ", false}, {"", false}};
    for (const auto& [content, unlocked] : cases) {
        SCOPED_TRACE(content);
        fresh();
        write_checked("sn_chg.cfg", content);
        ASSERT_TRUE(start());
        EXPECT_EQ(mainwin::sn_change_flag, content);
        EXPECT_EQ(main().Ser_No.enabled(), unlocked);
    }
}

struct ConCase {
    const char* name;
    std::string content;  // checked-file content of krv_con.cfg
    int mode;
    int port_index;
    int adr_index;
};

TEST_F(StartUp, ConnectionFileFieldsAreTakenOneByOne) {
    const ConCase cases[] = {
        {"port_3_is_COM4", "3|0|0||||", 0, 3, 0},
        {"port_20_out_of_list", "20|0|5||||", 0, 0, 5},
        {"port_negative", "-1|0|5||||", 0, 0, 5},
        {"port_not_numeric", "x|0|7||||", 0, 0, 7},
        {"halves_to_even_down", "2.5|0|0||||", 0, 2, 0},
        {"halves_to_even_up", "3.5|0|0||||", 0, 4, 0},
        {"huge_numbers", "1e300|0|99999999999999999999||||", 0, 0, 0},
        {"port_3_behind_hzl", "3|0|0||||", 1, 3, 0},
        {"port_20_behind_hzl", "20|0|5||||", 1, 0, 5},
        {"port_negative_behind_hzl", "-1|0|5||||", 1, 0, 5},
        {"port_not_numeric_behind_hzl", "x|0|7||||", 1, 0, 7},
        {"address_200_direct", "0|0|200||||", 0, 0, 200},
        {"address_200_beyond_hzl_slots", "0|0|200||||", 1, 0, 0},
        {"fields_missing", "4", 0, 4, 0},
        {"empty", "", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        if (c.mode == 1) write_checked("HZL_mod.cfg", "1");
        write_checked("krv_con.cfg", c.content);
        ASSERT_TRUE(start(c.mode));
        EXPECT_EQ(main().Com_select.list_index(), c.port_index);
        EXPECT_EQ(port_->port_number(), c.port_index + 1);
        EXPECT_EQ(main().adr_select.list_index(), c.adr_index);
        EXPECT_EQ(model::password_level_1, "");
        EXPECT_EQ(model::password_level_2, "3947");
        EXPECT_TRUE(boxes_.shown().empty());
    }
}

TEST_F(StartUp, StoredPasswordsReplaceTheDefaults) {
    model::ConSettings s;
    s.port_index = 1;
    s.password_level_1 = "Gate";
    s.password_level_2 = "Calib";
    write_checked("krv_con.cfg", model::con_file_text(s));
    ASSERT_TRUE(start());
    EXPECT_EQ(model::password_level_1, "Gate");
    EXPECT_EQ(model::password_level_2, "Calib");
    EXPECT_FALSE(main().B_io.enabled()) << "level 1 is closed until the password is typed";

    fresh();
    write_raw("krv_con.cfg", damaged(model::con_file_text(s)));
    ASSERT_TRUE(start());
    EXPECT_EQ(model::password_level_1, "");
    EXPECT_EQ(model::password_level_2, "3947");
    EXPECT_EQ(main().Com_select.list_index(), 0);
}

TEST_F(StartUp, WindowSpringsBackToItsMinimumSize) {
    ASSERT_TRUE(start());
    auto& m = main();
    ASSERT_TRUE(ui::user_resize(m, 5000, 9000));
    EXPECT_EQ(m.width(), 9690);
    EXPECT_EQ(m.height(), 9000);
    ASSERT_TRUE(ui::user_resize(m, 12000, 100));
    EXPECT_EQ(m.width(), 12000);
    EXPECT_EQ(m.height(), 8225);
    EXPECT_NO_THROW(ui::user_window_state(m, ui::ws_minimized));
}

TEST_F(StartUp, ClosingByTheFrameSavesThePlacementAndEndsWithoutAsking) {
    ASSERT_TRUE(start());
    auto& m = main();
    mainwin::param_snapshot = "changed since";
    ASSERT_TRUE(ui::user_resize(m, 11000, 9000));
    EXPECT_THROW(ui::user_close(m), ui::ProgramEnded);
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_form_state), "0");
    EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_form_width), "11000");
    EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_form_height), "9000");
    EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_form_top), "10");
}

struct PlacementCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> values;
    int state;
    ui::Rect rect;  // the window's normal placement after start
};

TEST_F(StartUp, PlacementFromTheRegistry) {
    using P = std::vector<std::pair<const char*, const char*>>;
    const P valid = {{"FORM STATE", "0"},
                     {"FROM TOP", "300"},
                     {"FROM LE", "400"},
                     {"FROM WI", "10000"},
                     {"FORM HI", "9000"}};
    auto with = [&](const char* name, const char* text) {
        P p;
        for (auto [n, v] : valid) p.push_back({n, std::string(n) == name ? text : v});
        return p;
    };
    auto without = [&](const char* name) {
        P p;
        for (auto e : valid)
            if (std::string(e.first) != name) p.push_back(e);
        return p;
    };
    const ui::Rect own{0, 10, 9690, 8225};  // as the load leaves it
    const PlacementCase cases[] = {
        {"all_valid", valid, 0, {400, 300, 10000, 9000}},
        {"small_size_grows_to_minimum", with("FROM WI", "5000"), 0, {400, 300, 9690, 9000}},
        {"maximised", with("FORM STATE", "2"), 2, own},
        {"letters_in_left", with("FROM LE", "abc"), 0, own},
        {"state_3_means_none", with("FORM STATE", "3"), 0, own},
        {"state_above_3_means_none", with("FORM STATE", "7"), 0, own},
        {"height_missing", without("FORM HI"), 0, own},
        {"nothing_stored", {}, 0, own},
        {"top_beyond_16_bits_is_skipped", with("FROM TOP", "40000"), 0, {400, 77, 10000, 9000}},
        {"rounded_half_to_even_down", with("FROM TOP", "300.5"), 0, {400, 300, 10000, 9000}},
        {"rounded_half_to_even_up", with("FROM TOP", "301.5"), 0, {400, 302, 10000, 9000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        model::form_top = 77;  // what an earlier value left there
        for (auto [n, v] : c.values) set_reg(n, v);
        ASSERT_TRUE(start());
        auto& m = main();
        EXPECT_EQ(m.window_state(), c.state);
        const ui::Rect& r = m.normal_rect();
        EXPECT_EQ(r.left, c.rect.left);
        EXPECT_EQ(r.top, c.rect.top);
        EXPECT_EQ(r.width, c.rect.width);
        EXPECT_EQ(r.height, c.rect.height);
        EXPECT_EQ(model::form_window_state, c.state);
        EXPECT_TRUE(m.visible());
    }
}

TEST_F(StartUp, FirstStartAsksForTheLanguage) {
    for (const bool empty_value : {false, true}) {
        SCOPED_TRACE(empty_value ? "LANGUAGE of size 0" : "no key");
        fresh();
        if (empty_value) {
            registry_.create_key(model::reg_key);
            registry_.set_value(model::reg_key, model::reg_language,
                                platform::RegValue{platform::reg_sz, {}});
        }
        bool asked = false;
        loop_.post([&] {
            auto* box = texts::lang_select_inst.peek();
            ASSERT_NE(box, nullptr);
            asked = box->is_modal();
            ui::user_click(box->opt_NL);
            ui::user_click(box->SSCommand1);
        });
        ASSERT_TRUE(start(0, nullptr));
        EXPECT_TRUE(asked);
        EXPECT_EQ(texts::lang_code, "NL");
        EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_language), "NL");
        EXPECT_EQ(main().caption(), "KRV - Hoofdmenu");
        EXPECT_TRUE(boxes_.shown().empty());
        EXPECT_EQ(main().normal_rect().top, 10);
    }
}

TEST_F(StartUp, UnreadableRegistryEndsTheStart) {
    registry_.read_fault = "Registry store damaged";
    boxes_.answer(ui::id_ok, "Registry store damaged");
    boxes_.answer(
        {ui::id_ok, "Can not access registry. Must abort.", nullptr, 0, ui::mb_critical, ""});
    EXPECT_FALSE(start(0, nullptr));
    EXPECT_TRUE(ui::program_ended());
    EXPECT_EQ(ui::program_exit_code(), mainwin::start_aborted);  // not a plain end
    EXPECT_NE(mainwin::start_aborted, 0);
    EXPECT_EQ(boxes_.shown().size(), 2u);
    EXPECT_FALSE(mainwin::hauptmenu_inst.loaded());
    EXPECT_TRUE(plant_->log().empty());
}

}  // namespace
}  // namespace dvx::testing

// Code-set values raise the user's event nested and only on change; the controls'
// own rules (lists, options, gauges, scroll bars, grid, list view, menus).
#include <gtest/gtest.h>

#include "tests/support/services_fixture.h"
#include "tests/ui/test_forms.h"
#include "ui/app.h"
#include "ui/fault.h"

namespace dvx::ui {
namespace {

using test::page_inst;
using Events = dvx::testing::ServicesFixture;

// For each control: a code-set value raises the event once, nested (the handler sees
// the new value), and not again for the same value; a user action on the same
// value raises it again.
TEST_F(Events, CodeSetRaisesOnlyOnChangeUserAlways) {
    auto& f = *page_inst;
    f.show_modeless();
    struct Case {
        const char* name;
        std::function<void()> set_new, set_same;
        std::function<bool()> user_same;
        std::function<void(std::function<void()>)> bind;
        std::function<bool()> sees_new;
    };
    const Case cases[] = {
        {"ListIndex", [&] { f.cmb.set_list_index(2); }, [&] { f.cmb.set_list_index(2); },
         [&] { return user_select(f.cmb, 2); }, [&](auto h) { f.cmb.on_click = h; },
         [&] { return f.cmb.list_index() == 2 && f.cmb.text() == "COM3"; }},
        {"check Value", [&] { f.chk.set_value(1); }, [&] { f.chk.set_value(1); },
         [&] {  // a user click toggles: click twice to land on the same value
             user_click(f.chk);
             return user_click(f.chk);
         },
         [&](auto h) { f.chk.on_click = h; }, [&] { return f.chk.value() == 1; }},
        {"option Value", [&] { f.opt_b.set_value(true); }, [&] { f.opt_b.set_value(true); },
         [&] { return user_click(f.opt_b); }, [&](auto h) { f.opt_b.on_click = h; },
         [&] { return f.opt_b.value() && !f.opt_a.value(); }},
        {"text box Text", [&] { f.txt_a.set_text("12"); }, [&] { f.txt_a.set_text("12"); },
         [&] {  // the user selects all and types the same text again
             user_focus(f.txt_a);
             f.txt_a.set_sel_length(2);
             return user_type("12");
         },
         [&](auto h) { f.txt_a.on_change = h; }, [&] { return f.txt_a.text() == "12"; }},
        {"scroll Value", [&] { f.vsb.set_value(40); }, [&] { f.vsb.set_value(40); },
         [&] { return user_scroll(f.vsb, ScrollAction::release, 40); },
         [&](auto h) { f.vsb.on_change = h; }, [&] { return f.vsb.value() == 40; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int events = 0;
        bool saw_new = false;
        c.bind([&] {
            ++events;
            saw_new = c.sees_new();
        });
        c.set_new();
        EXPECT_EQ(events, 1);
        EXPECT_TRUE(saw_new);
        c.set_same();
        EXPECT_EQ(events, 1);
        EXPECT_TRUE(c.user_same());
        EXPECT_GE(events, 2);
        EXPECT_TRUE(c.sees_new());
    }
}

// A Click handler that sets another value by code nests the second Click inside the
// first (fills inside fills).
TEST_F(Events, CodeSetClickNestsInsideHandler) {
    auto& f = *page_inst;
    std::vector<std::string> order;
    f.cmb.on_click = [&] {
        order.push_back("cmb in");
        f.chk.set_value(1);
        order.push_back("cmb out");
    };
    f.chk.on_click = [&] { order.push_back("chk"); };
    f.cmb.set_list_index(0);
    EXPECT_EQ(order, (std::vector<std::string>{"cmb in", "chk", "cmb out"}));
}

TEST_F(Events, ListRules) {
    auto& l = page_inst->cmb;
    int clicks = 0;
    l.on_click = [&] { ++clicks; };
    l.set_list_index(1);
    ASSERT_EQ(clicks, 1);
    // Out of range leaves no selection (a change: Click); again out of range: no change.
    for (int bad : {3, 40, -2}) {
        SCOPED_TRACE(bad);
        l.set_list_index(1);
        clicks = 0;
        l.set_list_index(bad);
        EXPECT_EQ(l.list_index(), -1);
        EXPECT_EQ(l.text(), "");
        EXPECT_EQ(clicks, 1);
        l.set_list_index(bad);
        EXPECT_EQ(clicks, 1);
    }
    // Insert before the selection keeps the selected item; clear raises nothing.
    l.set_list_index(1);
    clicks = 0;
    l.add_item("COM0", 0);
    EXPECT_EQ(l.list_index(), 2);
    EXPECT_EQ(l.text(), "COM2");
    EXPECT_EQ(l.list(99), "");
    EXPECT_THROW(l.add_item("x", 9), UiFault);
    l.clear();
    EXPECT_EQ(l.list_index(), -1);
    EXPECT_EQ(l.list_count(), 0);
    EXPECT_EQ(clicks, 0);
}

// Options are exclusive within their container; the cleared sibling raises no Click;
// options in another container are untouched.
TEST_F(Events, OptionsExclusivePerContainer) {
    auto& f = *page_inst;
    f.show_modeless();
    std::vector<std::string> clicks;
    for (OptionButton* o : {&f.opt_a, &f.opt_b, &f.opt_c})
        o->on_click = [&clicks, o] { clicks.push_back(o->name() + (o->value() ? "=1" : "=0")); };
    f.opt_c.set_value(true);
    f.opt_a.set_value(true);
    f.opt_b.set_value(true);
    EXPECT_FALSE(f.opt_a.value());
    EXPECT_TRUE(f.opt_c.value());
    user_click(f.opt_a);
    EXPECT_FALSE(f.opt_b.value());
    f.opt_a.set_value(false);  // a direct clear by code is a change: Click(false)
    EXPECT_EQ(clicks,
              (std::vector<std::string>{"opt_c=1", "opt_a=1", "opt_b=1", "opt_a=1", "opt_a=0"}));
}

TEST_F(Events, GaugeFaultsScrollBarClamps) {
    Gauge g{*page_inst, "gau"};
    g.set_max(10400);
    g.set_value(10400);
    for (int bad : {-1, 10401}) {
        SCOPED_TRACE(bad);
        try {
            g.set_value(bad);
            ADD_FAILURE();
        } catch (const UiFault& e) {
            EXPECT_EQ(e.text(), platform::fault_text(platform::FaultText::invalid_value));
        }
        EXPECT_EQ(g.value(), 10400);
    }
    // Min above Max: the top is the larger value; steps go towards Max.
    auto& s = page_inst->vsb;
    page_inst->show_modeless();
    s.set_min(31000);
    s.set_max(0);
    s.set_small_change(2);
    s.set_large_change(40);
    int changes = 0;
    s.on_change = [&] { ++changes; };
    s.set_value(40000);
    EXPECT_EQ(s.value(), 31000);
    s.set_value(-5);
    EXPECT_EQ(s.value(), 0);
    s.set_value(1000);
    changes = 0;
    user_scroll(s, ScrollAction::line_down);
    EXPECT_EQ(s.value(), 998);
    user_scroll(s, ScrollAction::page_up);
    EXPECT_EQ(s.value(), 1038);
    EXPECT_EQ(changes, 2);
    // Drag gives Scroll, release gives Change; a handler setting Value nests Change.
    int scrolls = 0;
    s.on_scroll = [&] { ++scrolls; };
    s.on_change = [&] {
        ++changes;
        if (s.value() > 20000) s.set_value(20000);
    };
    changes = 0;
    user_scroll(s, ScrollAction::drag, 25000);
    user_scroll(s, ScrollAction::release, 25000);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(s.value(), 20000);
}

TEST_F(Events, GridCellsPositionsAndScroll) {
    Grid g{*page_inst, "flg_data", {120, 120, 6000, 3000}};
    page_inst->show_modeless();
    g.set_rows(30);
    g.set_cols(4);
    g.set_col_width(0, 500);
    g.set_col_width(1, 1000);
    g.set_text_matrix(5, 2, "42");
    EXPECT_EQ(g.text_matrix(5, 2), "42");
    EXPECT_THROW(g.text_matrix(30, 0), UiFault);
    EXPECT_EQ(g.col_pos(2), 1500);
    EXPECT_EQ(g.row_pos(3), 3 * 240);
    int scrolls = 0;
    g.on_scroll = [&] { ++scrolls; };
    g.set_top_row(10);  // by code: Scroll as well
    EXPECT_EQ(scrolls, 1);
    g.set_top_row(10);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(g.row_pos(12), 240 + 2 * 240);  // fixed row, then rows 10 and 11
    EXPECT_EQ(g.row_pos(0), 0);
    EXPECT_EQ(g.row_pos(5), 240 - 5 * 240);  // rows 5..9 scrolled out above
    g.set_left_col(2);
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(g.col_pos(0), 0);
    EXPECT_EQ(g.col_pos(1), 500 - 1000);  // scrolled out to the left
    EXPECT_EQ(g.col_pos(3), 500 + 960);
    user_scroll(g, 12);
    EXPECT_EQ(scrolls, 3);
    user_scroll(g, 99);  // the user cannot scroll past the last row
    EXPECT_EQ(g.top_row(), 29);
    EXPECT_EQ(scrolls, 4);
    std::pair<int, int> at_click;
    g.on_click = [&] { at_click = {g.mouse_row(), g.mouse_col()}; };
    ASSERT_TRUE(user_click_cell(g, 14, 3));
    EXPECT_EQ(at_click, std::make_pair(14, 3));
    EXPECT_EQ(g.row(), 14);
    EXPECT_EQ(g.col(), 3);
    EXPECT_TRUE(g.has_focus());
}

TEST_F(Events, ListViewClickThenDblClickAlsoWhenEmpty) {
    ListView lv{*page_inst, "liv_scan", {240, 720, 5000, 2000}};
    lv.add_column("Adr");
    lv.add_column("Type");
    page_inst->show_modeless();
    lv.on_click = [&] { log_.clear(); };
    ASSERT_TRUE(user_select(lv, 0));
    EXPECT_EQ(lv.selected_item(), nullptr);
    auto& it = lv.add_item("1");
    it.set_sub_item(1, "KRV");
    lv.add_item("2").set_sub_item(2, "x");
    lv.on_click = nullptr;
    log_.clear();
    user_select(lv, 2, true);
    EXPECT_EQ(log_.only({"Click", "DblClick"}),
              (std::vector<std::string>{"liv_scan.Click", "liv_scan.DblClick"}));
    ASSERT_NE(lv.selected_item(), nullptr);
    EXPECT_EQ(lv.selected_item()->text(), "2");
    EXPECT_EQ(lv.item(1).sub_item(1), "KRV");
    EXPECT_EQ(lv.item(2).sub_item(1), "");
    EXPECT_THROW(lv.item(3), UiFault);
}

TEST_F(Events, MenuClicksOnlyWhenReachable) {
    auto& f = *page_inst;
    MenuItem m_file{f, "m_file", "&File"};
    MenuItem m_calib{m_file, "m_calib", "Calibrate"};
    MenuItem sep{m_file, "m_sep", "-"};
    f.show_modeless();
    int clicks = 0;
    m_calib.on_click = [&] { ++clicks; };
    EXPECT_TRUE(user_click(m_calib));
    m_calib.set_enabled(false);
    EXPECT_FALSE(user_click(m_calib));
    m_calib.set_enabled(true);
    m_file.set_visible(false);
    EXPECT_FALSE(user_click(m_calib));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(sep.is_separator());
    EXPECT_EQ(m_file.caption(), "&File");  // "&" kept as set
    EXPECT_EQ(m_file.children().size(), 2u);
    EXPECT_TRUE(f.txt_a.has_focus());  // menus take no focus
}

TEST_F(Events, HiddenContainerHidesAndTabPageSelects) {
    auto& f = *page_inst;
    TabControl tab{f, "tab_main", {120, 4000, 6000, 3000}};
    TextBox on_page1{tab.page(1), "txt_p1", {120, 400, 1000, 315}};
    f.show_modeless();
    EXPECT_FALSE(on_page1.shown());
    EXPECT_THROW(on_page1.set_focus(), UiFault);
    ASSERT_TRUE(user_switch_tab(tab, 1));
    EXPECT_TRUE(on_page1.shown());
    on_page1.set_focus();
    log_.clear();
    tab.set_tab(0);  // the focused control's page goes away: the focus drops, silently
    EXPECT_EQ(focus_owner(), nullptr);
    EXPECT_TRUE(log_.all().empty());
    do_events();  // and settles on the next in tab order, wrapping
    EXPECT_EQ(focus_owner(), &f.txt_a);
    EXPECT_EQ(log_.only({"LostFocus", "GotFocus"}), std::vector<std::string>{"txt_a.GotFocus"});
    f.chk.set_focus();
    log_.clear();
    f.fra.set_visible(false);  // hides the focused check box and the options after it
    EXPECT_EQ(focus_owner(), nullptr);
    EXPECT_TRUE(log_.all().empty());
    do_events();
    EXPECT_EQ(focus_owner(), &f.opt_c);
    EXPECT_EQ(log_.only({"LostFocus", "GotFocus"}), std::vector<std::string>{"opt_c.GotFocus"});
    EXPECT_TRUE(f.chk.visible());
    EXPECT_FALSE(f.chk.shown());
    EXPECT_FALSE(user_click(f.chk));
}

// The renderer hook reports each real change once, with the property's name.
TEST_F(Events, ObserverSeesEveryPropertyChange) {
    struct Rec : Observer {
        std::vector<std::string> seen;
        void property_changed(Control& c, std::string_view p) override {
            seen.push_back(c.name() + "." + std::string(p));
        }
        void form_shown(Form& f) override { seen.push_back("shown " + f.name()); }
        void form_hidden(Form& f) override { seen.push_back("hidden " + f.name()); }
    } rec;
    add_observer(&rec);
    auto& f = *page_inst;
    f.show_modeless();
    f.lbl.set_caption("Input");
    f.lbl.set_caption("Input");
    f.lbl.set_font_bold(true);
    f.lbl.set_font_bold(true);
    EXPECT_THROW(f.lbl.set_font_size(0), UiFault);
    f.txt_a.move(100, 200, 1200, 315);
    f.cmb.set_list_index(1);
    f.hide();
    remove_observer(&rec);
    EXPECT_TRUE(f.lbl.font().bold);
    EXPECT_EQ(f.lbl.font().size, 8.25);
    EXPECT_EQ(rec.seen, (std::vector<std::string>{
                            "cmb_port.Items", "cmb_port.Items", "cmb_port.Items",
                            "shown Seite_\xC4", "lbl_title.Caption", "lbl_title.Font", "txt_a.Left",
                            "txt_a.Top", "cmb_port.ListIndex", "hidden Seite_\xC4"}));
}

TEST_F(Events, ControlArraysAreSparseAndCarryTheirIndex) {
    auto& f = *page_inst;
    ControlArray<Label> err{"err_al_1"};
    for (int i : {0, 3, 4, 5, 6, 9}) err.add(i, f.fra, {120, 240 * i, 1000, 255});
    EXPECT_EQ(err.size(), 6u);
    EXPECT_EQ(err.ubound(), 9);
    EXPECT_FALSE(err.has(1));
    EXPECT_THROW(err[1], UiFault);
    EXPECT_EQ(f.control("err_al_1", 9), &err[9]);
    f.show_modeless();
    err.each([](int i, Label& l) { l.on_click = [] {}; });
    user_click(err[4]);
    EXPECT_EQ(log_.only({"Click"}), std::vector<std::string>{"err_al_1(4).Click"});
}

}  // namespace
}  // namespace dvx::ui

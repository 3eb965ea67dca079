// While a transaction is underway (`ui::TransactionScope`, which the link holds around
// each exchange): every kind of user action delivered at a pump inside it is refused
// and changes nothing, the marked controls and windows still take theirs, code on the
// transaction's own call stack is not refused, and the pointer is the hourglass from
// the first pump inside it until it ends.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/services_fixture.h"
#include "tests/ui/test_forms.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/input.h"
#include "ui/keyboard.h"
#include "ui/observer.h"

namespace dvx::ui {
namespace {

using Vec = std::vector<std::string>;

// One control of every kind that takes the user's input, each with a handler.
class Desk : public Form {
  public:
    Desk() : Form("desk", {0, 0, 9000, 7000}) {
        on_load = [this] {
            for (const char* s : {"COM1", "COM2", "COM3"}) {
                cmb.add_item(s);
                lst.add_item(s);
            }
            cmb.set_list_index(0);
            lst.set_list_index(0);
            liv.add_column("Rack", 900);
            liv.add_item("1");
            liv.add_item("2");
            grd.set_rows(30);
            grd.set_cols(3);
            grd.set_fixed_rows(1);
            grd.set_fixed_cols(1);
            vsb.set_max(10);
            vsb.set_small_change(1);
            vsb.set_large_change(5);
            tab.set_tabs(2);
            lbl.set_caption("&Port");
            tmr.set_interval(100);
        };
        on_unload = [](int&) {};
        auto count = [this] { return [this] { ++handled; }; };
        txt.on_key_press = [this](int&) { ++handled; };
        txt.on_lost_focus = count();
        txt.on_paste = [this](std::string&) { ++handled; };
        cmb.on_click = count();
        lst.on_click = count();
        lst.on_dbl_click = count();
        btn.on_click = count();
        chk.on_click = count();
        opt.on_click = count();
        liv.on_click = count();
        liv.on_dbl_click = count();
        grd.on_click = count();
        grd.on_scroll = count();
        vsb.on_change = count();
        mnu.on_click = count();
        tmr.on_timer = [this] { ++ticks; };
    }
    TextBox txt{*this, "txt", {120, 120, 1500, 315}};
    Label lbl{*this, "lbl", {1800, 120, 900, 255}};
    ComboBox cmb{*this, "cmb", {2800, 120, 1500, 315}};
    ListBox lst{*this, "lst", {120, 600, 1500, 1200}};
    CommandButton btn{*this, "btn", {2800, 600, 1200, 375}};
    CheckBox chk{*this, "chk", {4200, 600, 1200, 255}};
    OptionButton opt{*this, "opt", {5600, 600, 1200, 255}};
    ListView liv{*this, "liv", {120, 2000, 3000, 1200}};
    Grid grd{*this, "grd", {3300, 2000, 3000, 1500}};
    VScrollBar vsb{*this, "vsb", {6500, 2000, 255, 1500}};
    TabControl tab{*this, "tab", {120, 3800, 3000, 1500}};
    TextBox on_tab{tab.page(1), "on_tab", {120, 600, 1200, 315}};
    MenuItem mnu{*this, "mnu", "&File"};
    Timer tmr{*this, "tmr"};
    int handled = 0, ticks = 0;
};

FormRef<Desk> desk_inst;

// Every value the user's actions could change, the keys and the windows.
std::string state_of(Desk& d) {
    std::ostringstream s;
    s << d.txt.text() << '|' << d.cmb.list_index() << '|' << d.lst.list_index() << '|'
      << d.chk.value() << '|' << d.opt.value() << '|' << d.liv.selected_index() << '|'
      << d.grd.row() << ',' << d.grd.col() << ',' << d.grd.top_row() << '|' << d.vsb.value() << '|'
      << d.tab.tab() << '|' << d.loaded() << d.visible() << '|' << d.handled << '|'
      << (focus_owner() ? focus_owner()->name() : std::string("none")) << '|'
      << (active_form() ? active_form()->name() : std::string("none"));
    return s.str();
}

class Busy : public dvx::testing::ServicesFixture {
  protected:
    Desk& open_desk() {
        test::other_inst->show_modeless();
        desk_inst->show_modeless();
        desk_inst->txt.set_focus();
        loop_.run_pending();
        log_.clear();
        return *desk_inst;
    }
};

struct Action {
    const char* name;
    std::function<bool(Desk&)> act;
    std::function<void(Desk&)> before = nullptr;  // outside the transaction
};

// Every action of input.h a user has (a window's size and state aside: the desktop's
// placement runs no handler of ours), queued keys and a due tick.
const std::vector<Action>& actions() {
    static const std::vector<Action> all = {
        {"click a button", [](Desk& d) { return user_click(d.btn); }},
        {"click a check box", [](Desk& d) { return user_click(d.chk); }},
        {"click an option", [](Desk& d) { return user_click(d.opt); }},
        {"click a menu item", [](Desk& d) { return user_click(d.mnu); }},
        {"double click a list", [](Desk& d) { return user_dbl_click(d.lst); }},
        {"choose in a combo box", [](Desk& d) { return user_select(d.cmb, 2); }},
        {"choose in a list box", [](Desk& d) { return user_select(d.lst, 1); }},
        {"click a list view row", [](Desk& d) { return user_select(d.liv, 2); }},
        {"double click a list view row", [](Desk& d) { return user_select(d.liv, 2, true); }},
        {"click a grid cell", [](Desk& d) { return user_click_cell(d.grd, 3, 2); }},
        {"scroll a grid", [](Desk& d) { return user_scroll(d.grd, 5); }},
        {"page a scroll bar", [](Desk& d) { return user_scroll(d.vsb, ScrollAction::page_down); }},
        {"switch a tab", [](Desk& d) { return user_switch_tab(d.tab, 0); },
         [](Desk& d) {
             d.tab.set_tab(1);
             d.on_tab.set_focus();
         }},
        {"click into another field", [](Desk& d) { return user_focus(d.cmb); }},
        {"an access key", [](Desk& d) { return user_access_key(d.lbl); }},
        {"the wheel", [](Desk& d) { return user_wheel(d.cmb, -1); },
         [](Desk& d) { d.cmb.set_focus(); }},
        {"a key", [](Desk&) { return user_key(vk_return); }},
        {"Tab", [](Desk&) { return user_key(vk_tab); }},
        {"typing", [](Desk&) { return user_type("7"); }},
        {"a paste", [](Desk& d) { return user_paste(d.txt, "7"); }},
        {"close by the frame", [](Desk& d) { return user_close(d); }},
        {"activate another window", [](Desk&) { return user_activate(*test::other_inst); }},
        {"keys queued by code",
         [](Desk&) {
             send_keys("7");
             return true;
         }},
    };
    return all;
}

// Delivered at a pump inside a transaction, each action is refused: nothing changes,
// no event is raised. The same action outside takes effect (the row tests something).
TEST_F(Busy, EveryUserActionAtAPumpInsideATransactionIsRefused) {
    for (const Action& a : actions()) {
        SCOPED_TRACE(a.name);
        reset_forms();
        Desk& d = open_desk();
        if (a.before) {
            a.before(d);
            log_.clear();
        }
        const std::string before = state_of(d);
        bool took = true;
        {
            TransactionScope transaction;
            loop_.post([&] { took = a.act(d); });
            do_events();  // the input
            do_events();  // what it queued (keys)
        }
        if (std::string(a.name) != "keys queued by code") {
            EXPECT_FALSE(took);
        }
        EXPECT_EQ(log_.all(), Vec{});
        EXPECT_EQ(state_of(d), before);

        loop_.post([&] { a.act(d); });
        loop_.run_pending();
        EXPECT_NE(log_.all(), Vec{}) << "the action does nothing even when the line is free";
    }
}

// The timers tick only when marked; a tick skipped keeps the rhythm.
TEST_F(Busy, OnlyMarkedTimersTickInsideATransaction) {
    for (bool marked : {false, true}) {
        SCOPED_TRACE(marked ? "marked" : "not marked");
        reset_forms();
        Desk& d = open_desk();
        d.tmr.set_runs_while_busy(marked);
        const int before = d.ticks;
        {
            TransactionScope transaction;
            clock_.advance(0.15);
            do_events();
        }
        EXPECT_EQ(d.ticks - before, marked ? 1 : 0);
        clock_.advance(0.1);
        do_events();
        EXPECT_EQ(d.ticks - before, marked ? 2 : 1);
    }
}

// Marked controls and windows take the user's actions inside a transaction, and so does
// the code they run; code on the transaction's own call stack (no pump) is not refused.
TEST_F(Busy, MarkedControlsAndCodeOutsideThePumpStillRun) {
    Desk& d = open_desk();
    d.btn.set_runs_while_busy();
    d.btn.on_click = [&d] { d.cmb.set_list_index(2); };  // code-set: raises Click
    {
        TransactionScope transaction;
        d.lst.set_list_index(2);  // the transaction's own code
        EXPECT_EQ(log_.only({"Click"}), Vec{"lst.Click"});
        loop_.post([&d] { EXPECT_TRUE(user_click(d.btn)); });
        loop_.post([&d] { EXPECT_FALSE(user_click(d.chk)); });
        do_events();
        EXPECT_EQ(log_.only({"Click"}), (Vec{"lst.Click", "btn.Click", "cmb.Click"}));
        EXPECT_EQ(d.chk.value(), 0);
        EXPECT_FALSE(user_close(d));
        d.set_closes_while_busy();
        EXPECT_TRUE(user_close(d));
    }
    EXPECT_FALSE(desk_inst.loaded());
}

class PointerLog : public Observer {
  public:
    PointerLog() { add_observer(this); }
    ~PointerLog() override { remove_observer(this); }
    void mouse_pointer_changed(int pointer) override { told.push_back(pointer); }
    std::vector<int> told;
};

// The pointer turns to the hourglass at the first pump inside a transaction (not before:
// an exchange answered at once shows nothing), stays so whatever code sets meanwhile,
// and is the one set last once the transaction ends.
TEST_F(Busy, ThePointerIsTheHourglassFromTheFirstPumpInsideATransactionToItsEnd) {
    Desk& d = open_desk();
    PointerLog pointer;
    int seen_in_handler = -1;
    d.btn.set_runs_while_busy();
    d.btn.on_click = [&seen_in_handler] {
        seen_in_handler = mouse_pointer();
        set_mouse_pointer(mp_default);  // a page's Back puts the arrow back
    };
    {
        TransactionScope transaction;
        EXPECT_EQ(mouse_pointer(), mp_default) << "no events ran yet";
        loop_.post([&d] { user_click(d.btn); });
        wait_yielding(0.1);
        EXPECT_EQ(seen_in_handler, mp_hourglass);
        EXPECT_EQ(mouse_pointer(), mp_hourglass);
        do_events();
    }
    EXPECT_EQ(mouse_pointer(), mp_default);
    EXPECT_EQ(pointer.told, (std::vector<int>{mp_hourglass, mp_hourglass, mp_default}));

    // A transaction without a pump leaves the pointer alone; one set by code before it
    // stays after it.
    pointer.told.clear();
    { TransactionScope quick; }
    set_mouse_pointer(mp_hourglass);
    {
        TransactionScope transaction;
        do_events();
    }
    EXPECT_EQ(mouse_pointer(), mp_hourglass);
    EXPECT_EQ(pointer.told, std::vector<int>{mp_hourglass});
}

}  // namespace
}  // namespace dvx::ui

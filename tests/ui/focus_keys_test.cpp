// Focus events and their nesting, tab order, key order with default editing,
// queued keystrokes, message boxes taking the focus, and the range-check round trip.
#include <gtest/gtest.h>

#include <functional>

#include "platform/cp1252.h"
#include "tests/support/services_fixture.h"
#include "tests/ui/test_forms.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/keyboard.h"

namespace dvx::ui {
namespace {

using test::other_inst;
using test::page_inst;
using Vec = std::vector<std::string>;

class Focus : public dvx::testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        page_inst->show_modeless();
        log_.clear();
    }
    Vec focus_log() const { return log_.only({"LostFocus", "GotFocus"}); }
};

TEST_F(Focus, SetFocusFaultsOnHiddenDisabledOrUnfocusable) {
    auto& f = *page_inst;
    struct Case {
        const char* name;
        std::function<void()> prepare;
        Control* target;
    };
    const Case cases[] = {
        {"hidden", [&] { f.txt_b.set_visible(false); }, &f.txt_b},
        {"disabled", [&] { f.txt_b.set_enabled(false); }, &f.txt_b},
        {"in a hidden frame", [&] { f.fra.set_visible(false); }, &f.chk},
        {"in a disabled frame", [&] { f.fra.set_enabled(false); }, &f.chk},
        {"a label", [] {}, &f.lbl},
        {"on a hidden form", [&] { f.hide(); }, &f.txt_b},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        try {
            c.target->set_focus();
            ADD_FAILURE() << "no fault";
        } catch (const UiFault& e) {
            EXPECT_EQ(e.text(), platform::fault_text(platform::FaultText::invalid_call));
        }
        f.txt_b.set_visible(true);
        f.txt_b.set_enabled(true);
        f.fra.set_visible(true);
        f.fra.set_enabled(true);
        f.show_modeless();
    }
}

// LostFocus of the old control, then GotFocus of the new, both nested in the call
// that moved the focus; a click first moves the focus, then clicks.
TEST_F(Focus, MoveIsNestedInTheCall) {
    auto& f = *page_inst;
    f.txt_b.set_focus();
    log_.clear();
    Vec inside;
    f.B_Zurueck.on_click = [&] { inside = focus_log(); };
    user_click(f.B_Zurueck);
    EXPECT_EQ(inside, (Vec{"txt_b.LostFocus", "B_Zurück.GotFocus"}));
    EXPECT_EQ(log_.all().back(), "B_Zurück.Click");
}

// A LostFocus handler that sets the focus back wins over the move that caused it;
// the clicked button then gets no Click (O3).
TEST_F(Focus, LostFocusSettingFocusBackCancelsTheMoveAndTheClick) {
    auto& f = *page_inst;
    f.txt_a.on_lost_focus = [&] { f.txt_a.set_focus(); };
    int clicks = 0;
    f.B_Zurueck.on_click = [&] { ++clicks; };
    EXPECT_FALSE(user_click(f.B_Zurueck));
    EXPECT_TRUE(f.txt_a.has_focus());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(focus_log(), (Vec{"txt_a.LostFocus"}));
    // The field accepts: the click goes through.
    f.txt_a.on_lost_focus = nullptr;
    EXPECT_TRUE(user_click(f.B_Zurueck));
    EXPECT_EQ(clicks, 1);
}

// A field that hides or disables itself in its LostFocus (a cell editor closing) does
// not stop the click that left it; without a target the next field takes the focus.
TEST_F(Focus, LostFocusHidingTheFieldLetsTheClickThrough) {
    auto& f = *page_inst;
    int clicks = 0;
    f.B_Zurueck.on_click = [&] { ++clicks; };
    for (bool hide : {true, false}) {
        SCOPED_TRACE(hide ? "hidden" : "disabled");
        f.txt_a.set_visible(true);
        f.txt_a.set_enabled(true);
        f.txt_a.set_focus();
        f.txt_a.on_lost_focus = [&] {
            if (hide)
                f.txt_a.set_visible(false);
            else
                f.txt_a.set_enabled(false);
        };
        EXPECT_TRUE(user_click(f.B_Zurueck));
        EXPECT_TRUE(f.B_Zurueck.has_focus());
    }
    EXPECT_EQ(clicks, 2);

    f.txt_a.set_enabled(true);
    f.txt_a.set_visible(true);
    f.txt_a.set_focus();
    f.txt_a.on_lost_focus = [&] {
        f.txt_a.set_visible(false);
        f.B_Zurueck.set_visible(false);
    };
    EXPECT_FALSE(user_click(f.B_Zurueck));
    EXPECT_EQ(focus_owner(), nullptr);
    EXPECT_EQ(clicks, 2);
    do_events();
    EXPECT_EQ(focus_owner(), &f.txt_b);
}

// Tab goes by TabIndex over focusable controls, skipping hidden, disabled, TabStop
// false and hidden containers, and wraps; Shift+Tab goes back. No KeyDown or
// KeyPress reaches a control for a Tab that moved the focus.
TEST_F(Focus, TabOrderSkipsAndWraps) {
    auto& f = *page_inst;
    f.cmb.set_visible(false);
    f.chk.set_enabled(false);
    f.opt_c.set_tab_stop(false);
    f.vsb.set_tab_index(0);  // first in order now
    f.vsb.set_focus();
    Vec visited;
    for (int i = 0; i < 6; ++i) {
        user_key(vk_tab);
        visited.push_back(platform::to_utf8(focus_owner()->name()));
    }
    EXPECT_EQ(visited, (Vec{"txt_a", "txt_b", "opt_a", "opt_b", "B_Zurück", "vsb_out"}));
    user_key(vk_tab, shift_mask);
    EXPECT_EQ(focus_owner(), &f.B_Zurueck);
    EXPECT_TRUE(log_.only({"KeyDown", "KeyPress", "KeyUp"}).empty());
}

TEST_F(Focus, TabReachesTheControlWhenNoOtherCanTakeTheFocus) {
    test::Bare* bare = &*test::bare_inst;
    TextBox only{*bare, "txt_only", {120, 600, 1000, 315}};
    bare->show_modeless();
    ASSERT_TRUE(only.has_focus());
    log_.clear();
    user_key(vk_tab);
    EXPECT_EQ(log_.all(),
              (Vec{"txt_only.KeyDown 9 0", "txt_only.KeyPress 9", "txt_only.KeyUp 9 0"}));
}

// The keyboard state reads Tab (and Shift) down during the LostFocus a Tab causes,
// for a real and for a simulated Tab.
TEST_F(Focus, TabReadsAsDownDuringItsLostFocus) {
    auto& f = *page_inst;
    std::vector<std::pair<bool, bool>> seen;
    f.txt_a.on_lost_focus = [&] { seen.emplace_back(key_down(vk_tab), key_down(vk_shift)); };
    user_key(vk_tab);
    f.txt_a.set_focus();
    send_keys("+{TAB}");
    loop_.run_pending();
    f.txt_a.set_focus();
    f.txt_b.set_focus();  // by code: nothing is down
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(true, false));
    EXPECT_EQ(seen[1], std::make_pair(true, true));
    EXPECT_EQ(seen[2], std::make_pair(false, false));
    EXPECT_FALSE(key_down(vk_tab));
}

// KeyDown -> KeyPress (sees the old text, may change or drop the key) -> Change ->
// KeyUp, with default editing in between.
TEST_F(Focus, KeyOrderAndDefaultEditing) {
    auto& t = page_inst->txt_a;
    std::string seen_in_press;
    t.on_key_press = [&](int& k) {
        seen_in_press = t.text();
        if (k == 'x') k = 0;    // dropped
        if (k == 'a') k = 'A';  // changed
    };
    user_type("1a");
    EXPECT_EQ(log_.all(),
              (Vec{"txt_a.KeyDown 49 0", "txt_a.KeyPress 49", "txt_a.Change", "txt_a.KeyUp 49 0",
                   "txt_a.KeyDown 65 0", "txt_a.KeyPress 97", "txt_a.Change", "txt_a.KeyUp 65 0"}));
    EXPECT_EQ(seen_in_press, "1");
    EXPECT_EQ(t.text(), "1A");
    log_.clear();
    user_type("x");
    EXPECT_EQ(t.text(), "1A");
    EXPECT_TRUE(log_.only({"Change"}).empty());
    // Selection replaced, Backspace, MaxLength, Up/Down give no KeyPress.
    t.set_sel_start(0);
    t.set_sel_length(2);
    user_type("77");
    EXPECT_EQ(t.text(), "77");
    user_key(vk_back);
    EXPECT_EQ(t.text(), "7");
    t.set_max_length(3);
    user_type("8899");
    EXPECT_EQ(t.text(), "788");
    log_.clear();
    user_key(vk_up);
    user_key(vk_down);
    EXPECT_TRUE(log_.only({"KeyPress"}).empty());
    EXPECT_EQ(log_.only({"KeyDown"}).size(), 2u);
}

TEST_F(Focus, EnterAndEscReachTheControl) {
    auto& t = page_inst->txt_a;
    user_type("ab");
    user_key(vk_return);
    EXPECT_EQ(t.text(), "ab");  // single line: no character
    t.set_multi_line(true);
    user_key(vk_return);
    user_type("c");
    EXPECT_EQ(t.text(), "ab\r\nc");
    log_.clear();
    user_key(vk_escape);
    EXPECT_EQ(log_.only({"KeyPress"}), (Vec{"txt_a.KeyPress 27"}));
    // Windows-1252 bytes pass unchanged: ä is 228.
    user_type("\xE4");
    EXPECT_EQ(log_.only({"KeyPress"}).back(), "txt_a.KeyPress 228");
    EXPECT_EQ(t.text(), "ab\r\nc\xE4");
}

// Enter queues {TAB}: the field's LostFocus runs at the next pump, after KeyPress
// returned, not inside it.
TEST_F(Focus, SentKeysArriveAfterTheHandler) {
    auto& f = *page_inst;
    bool in_press = false;
    f.txt_a.on_key_press = [&](int& k) {
        if (k != 13) return;
        in_press = true;
        send_keys("{TAB}");
        EXPECT_TRUE(f.txt_a.has_focus());  // nothing arrives synchronously
        in_press = false;
    };
    bool lost_inside_press = true;
    f.txt_a.on_lost_focus = [&] { lost_inside_press = in_press; };
    user_key(vk_return);
    EXPECT_TRUE(f.txt_a.has_focus());
    loop_.run_pending();
    EXPECT_TRUE(f.txt_b.has_focus());
    EXPECT_FALSE(lost_inside_press);
    EXPECT_EQ(focus_log(), (Vec{"txt_a.LostFocus", "txt_b.GotFocus"}));
}

// Sent keys wait while a message box is up (they would be lost to it) and arrive at
// the first pump after it closed; a handler that yields gets them inside its yield.
TEST_F(Focus, SentKeysWaitForABoxAndArriveAtTheNextPump) {
    auto& f = *page_inst;
    Vec trace;
    f.txt_b.on_got_focus = [&] { trace.push_back("txt_b focus"); };
    f.txt_a.on_key_press = [&](int& k) {
        if (k != 13) return;
        send_keys("{TAB}");
        boxes_.answer(id_ok, std::nullopt, [&] { do_events(); });  // the box pumps
        msg_box("Value stored.");
        trace.push_back("box closed");
        do_events();
        trace.push_back("handler returns");
    };
    user_key(vk_return);
    EXPECT_EQ(trace, (Vec{"box closed", "txt_b focus", "handler returns"}));
    EXPECT_TRUE(f.txt_b.has_focus());
}

// Keys go to whatever has the focus when they are dispatched, in order; a literal
// sent from a KeyPress filter comes back through the same filter.
TEST_F(Focus, SentKeysFollowTheFocusAndComeBackThroughTheFilter) {
    auto& f = *page_inst;
    Vec presses;
    f.txt_a.on_key_press = [&](int& k) {
        presses.push_back(std::to_string(k));
        if (k == '+') {
            k = 0;
            send_keys("` ");
        }
    };
    user_type("+");
    loop_.run_pending();
    EXPECT_EQ(presses, (Vec{"43", "96", "32"}));
    EXPECT_EQ(f.txt_a.text(), "` ");
    send_keys("1{TAB}2");
    loop_.run_pending();
    EXPECT_EQ(f.txt_a.text(), "` 1");
    EXPECT_EQ(f.txt_b.text(), "2");
    EXPECT_THROW(send_keys("{NOPE}"), UiFault);
}

// A message box takes the focus (LostFocus nested in the caller), gives it back
// (GotFocus) and raises no Activate.
TEST_F(Focus, MessageBoxTakesAndGivesBackTheFocus) {
    boxes_.answer(id_ok);
    const int r = msg_box("Entered value is to large.", mb_exclamation, "DORVANEX");
    EXPECT_EQ(r, id_ok);
    EXPECT_EQ(log_.all(), (Vec{"txt_a.LostFocus", "txt_a.GotFocus"}));
    EXPECT_TRUE(page_inst->txt_a.has_focus());
    EXPECT_EQ(page_inst->activations, 1);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
    EXPECT_EQ(boxes_.shown()[0].style, mb_exclamation);
}

// The range-check round trip: the LostFocus of field A checks; its box moves the
// focus, so A's leave event runs again nested while the check is running (the latch
// makes it store unchecked); the handler queues {esc} and sets the focus back to A;
// Esc reaches A only after the handler returned, and the latch stays set until the
// next typed key.
TEST_F(Focus, RangeCheckRoundTrip) {
    auto& f = *page_inst;
    int latch = 0;
    Vec trace;
    std::function<int()> check_range = [&]() -> int {
        if (latch) {
            trace.push_back("check skipped");
            return 0;
        }
        latch = 1;
        trace.push_back("check");
        if (f.txt_a.text() == "999") {
            msg_box("Entered value is to large.", mb_exclamation, "DORVANEX");
            send_keys("{esc}");
            f.txt_a.set_focus();
            return 1;
        }
        return 0;
    };
    f.txt_a.on_lost_focus = [&] {
        trace.push_back("leave");
        check_range();
    };
    f.txt_a.on_key_press = [&](int& k) {
        trace.push_back("key " + std::to_string(k));
        if (k == 27)
            trace.push_back("refill, latch " + std::to_string(latch));
        else
            latch = 0;
    };
    user_type("999");
    trace.clear();
    boxes_.answer(id_ok);
    user_key(vk_tab);
    EXPECT_TRUE(f.txt_a.has_focus());
    EXPECT_EQ(trace, (Vec{"leave", "check", "leave", "check skipped"}));
    loop_.run_pending();
    EXPECT_EQ(trace,
              (Vec{"leave", "check", "leave", "check skipped", "key 27", "refill, latch 1"}));
    EXPECT_EQ(focus_log(), (Vec{"txt_a.LostFocus", "txt_a.LostFocus", "txt_a.GotFocus"}));
    EXPECT_TRUE(f.txt_b.text().empty());
}

TEST_F(Focus, ActiveControlTagAndText) {
    auto& f = *page_inst;
    f.vsb.set_tag("51");
    f.vsb.set_focus();
    EXPECT_EQ(active_control().tag(), "51");
    EXPECT_THROW((void)active_control().text(), UiFault);  // a scroll bar has no Text
    f.txt_b.set_focus();
    f.txt_b.set_text("12");
    EXPECT_EQ(active_control().text(), "12");
    // While a box is up, the active control stays the form's focused control.
    boxes_.answer(id_ok, std::nullopt, [&] {
        EXPECT_EQ(focus_owner(), nullptr);
        EXPECT_EQ(&active_control(), &f.txt_b);
    });
    msg_box("x");
}

// One focusable control of every kind, in tab order.
class EveryKind : public Form {
  public:
    EveryKind() : Form("every_kind") {}
    TextBox txt{*this, "txt", {120, 120, 1200, 315}};
    ComboBox cmb{*this, "cmb", {120, 600, 1200, 315}};
    ListBox lst{*this, "lst", {120, 1000, 1200, 900}};
    Grid grd{*this, "grd", {120, 2000, 3000, 1500}};
    ListView lvw{*this, "lvw", {120, 3600, 3000, 1500}};
    CheckBox chk{*this, "chk", {120, 5200, 1200, 255}};
    OptionButton opt{*this, "opt", {120, 5600, 1200, 255}};
    VScrollBar vsb{*this, "vsb", {3300, 120, 255, 3000}};
    CommandButton btn{*this, "btn", {120, 6000, 1200, 375}};
    std::vector<Control*> all() { return {&txt, &cmb, &lst, &grd, &lvw, &chk, &opt, &vsb, &btn}; }
};
inline FormRef<EveryKind> every_kind_inst;

// A focused control of any kind that is disabled or hidden loses the focus silently; the
// next pump, or the next key, settles it on the next control in tab order (wrapping):
// GotFocus there, no LostFocus for the one gone, and the key reaches the new control.
TEST_F(Focus, AnUnusableFocusedControlPassesTheFocusOn) {
    page_inst->hide();
    EveryKind& f = *every_kind_inst;
    f.show_modeless();
    const auto all = f.all();
    struct Way {
        const char* name;
        void (*take)(Control&);
        void (*give)(Control&);
        bool by_key;  // settled by the key itself, not by a pump before it
    };
    const Way ways[] = {
        {"disabled", [](Control& c) { c.set_enabled(false); },
         [](Control& c) { c.set_enabled(true); }, false},
        {"hidden", [](Control& c) { c.set_visible(false); },
         [](Control& c) { c.set_visible(true); }, true},
    };
    for (const Way& w : ways)
        for (std::size_t i = 0; i < all.size(); ++i) {
            SCOPED_TRACE(std::string(w.name) + " " + all[i]->name());
            Control& next = *all[(i + 1) % all.size()];
            all[i]->set_focus();
            log_.clear();
            w.take(*all[i]);
            EXPECT_EQ(focus_owner(), nullptr);
            EXPECT_TRUE(focus_log().empty());
            if (!w.by_key) {
                do_events();
                EXPECT_EQ(focus_owner(), &next);
            }
            int keys = 0;
            next.on_key_down = [&](int&, int) { ++keys; };
            EXPECT_TRUE(user_key(vk_end));
            EXPECT_EQ(focus_owner(), &next);
            EXPECT_EQ(keys, 1);
            EXPECT_EQ(focus_log(), Vec{next.name() + ".GotFocus"});
            next.on_key_down = nullptr;
            w.give(*all[i]);
            do_events();
        }
    // The last one left: nothing can take the focus.
    for (Control* c : all) c->set_enabled(false);
    do_events();
    EXPECT_EQ(focus_owner(), nullptr);
    EXPECT_FALSE(user_key(vk_end));
    for (Control* c : all) c->set_enabled(true);
    do_events();
    EXPECT_EQ(focus_owner(), &f.txt) << "the control it had last, usable again";

    // A window that is not the active one keeps no focus to pass on.
    f.txt.set_focus();
    other_inst->show_modeless();
    f.txt.set_enabled(false);
    do_events();
    EXPECT_EQ(&focus_owner()->form(), static_cast<Form*>(&*other_inst));
    other_inst->hide();
    EXPECT_EQ(focus_owner(), &f.cmb) << "the first usable control on coming back";

    // Typed text settles the keys first as well.
    f.cmb.set_visible(false);
    int typed = 0;
    f.lst.on_key_press = [&](int&) { ++typed; };
    EXPECT_TRUE(user_type("x"));
    EXPECT_EQ(focus_owner(), &f.lst);
    EXPECT_EQ(typed, 1);
    f.lst.on_key_press = nullptr;
}

// Code that disables the focused control and enables it again within one handler (a
// fill, the access level applied) leaves the focus where it was once the handler ends;
// a window filled after its first show that leaves the first control disabled has the
// keys on the next usable one at once.
TEST_F(Focus, AFillLeavesTheKeysOnAUsableControl) {
    page_inst->hide();
    EveryKind& f = *every_kind_inst;
    f.show_modeless();
    ASSERT_EQ(focus_owner(), &f.txt);
    f.cmb.set_focus();
    f.cmb.set_enabled(false);
    f.cmb.set_enabled(true);
    do_events();
    EXPECT_EQ(focus_owner(), &f.cmb);

    f.txt.set_focus();
    f.txt.set_enabled(false);
    f.cmb.set_visible(false);
    f.lst.set_enabled(false);
    do_events();
    EXPECT_EQ(focus_owner(), &f.grd);
}

// A window whose members are made out of layout order puts its controls at the head or
// the end of the tab order; controls made afterwards still come after the others.
TEST_F(Focus, LeadAndCloseTheTabOrder) {
    page_inst->hide();
    EveryKind& f = *every_kind_inst;
    f.lead_tab_order({&f.btn, &f.vsb});
    f.close_tab_order({&f.txt});
    TextBox later{f, "later", {120, 6600, 1200, 315}};
    f.show_modeless();
    const std::vector<Control*> want = {&f.btn, &f.vsb, &f.cmb, &f.lst, &f.grd,
                                        &f.lvw, &f.chk, &f.opt, &f.txt, &later};
    EXPECT_EQ(f.tab_order(), want);
    EXPECT_EQ(f.next_in_tab_order(later), &f.btn);
    EXPECT_EQ(f.next_in_tab_order(f.btn, true), &later);

    // Leading again with two made early: one made after that still comes last.
    f.lead_tab_order({&f.cmb, &f.lst});
    TextBox last{f, "last", {120, 7000, 1200, 315}};
    const std::vector<Control*> now = {&f.cmb, &f.lst, &f.btn, &f.vsb, &f.grd, &f.lvw,
                                       &f.chk, &f.opt, &f.txt, &later, &last};
    EXPECT_EQ(f.tab_order(), now);
}

// A single-line field the keyboard moves into has its text selected, so typing replaces
// it; not a multi-line box (one key would wipe it all), and not a field the focus never
// reached because the one left refused to let it go.
TEST_F(Focus, TabSelectsTheTextOfTheFieldItEnters) {
    auto& f = *page_inst;
    f.txt_a.set_text("123");
    f.txt_b.set_text("abc");
    f.txt_a.set_focus();
    user_key(vk_tab);
    ASSERT_EQ(focus_owner(), &f.txt_b);
    EXPECT_EQ(f.txt_b.sel_start(), 0);
    EXPECT_EQ(f.txt_b.sel_length(), 3);
    user_type("x");
    EXPECT_EQ(f.txt_b.text(), "x");

    f.txt_b.set_sel_start(1);
    f.txt_b.set_sel_length(0);
    f.txt_a.set_focus();
    f.txt_a.on_lost_focus = [&] { f.txt_a.set_focus(); };
    user_key(vk_tab);
    f.txt_a.on_lost_focus = nullptr;
    EXPECT_EQ(focus_owner(), &f.txt_a);
    EXPECT_EQ(f.txt_b.sel_start(), 1);
    EXPECT_EQ(f.txt_b.sel_length(), 0);

    f.txt_b.set_multi_line(true);
    f.txt_b.set_text("line");
    f.txt_b.set_sel_start(4);
    f.txt_a.set_focus();
    user_key(vk_tab);
    ASSERT_EQ(focus_owner(), &f.txt_b);
    EXPECT_EQ(f.txt_b.sel_length(), 0);
    user_type("s");
    EXPECT_EQ(f.txt_b.text(), "lines");
}

// Every way the keys reach a single-line field without a click selects its whole text,
// so the first key typed replaces it: Tab and Shift+Tab, Enter's queued Tab, an access
// key, the window opening or coming back, and the layer's own moves (a box closing over
// a field that went away, a disabled field settled on the next). A click, code's
// set_focus and a box giving the keys back to its own field keep the caret.
TEST_F(Focus, EveryKeyboardEntrySelectsTheWholeText) {
    auto& p = *page_inst;
    struct Way {
        const char* name;
        std::function<void()> enter;
        bool selects;
    };
    const Way ways[] = {
        {"Tab", [&] { p.txt_a.set_focus(), user_key(vk_tab); }, true},
        {"Shift+Tab", [&] { p.cmb.set_focus(), user_key(vk_tab, shift_mask); }, true},
        {"Enter's Tab",
         [&] {
             p.txt_a.set_focus();
             send_keys("{TAB}");
             do_events();
         },
         true},
        {"access key", [&] { p.cmb.set_focus(), user_access_key(p.txt_b); }, true},
        {"window comes back",
         [&] {
             p.txt_b.set_focus();
             other_inst->show_modeless();
             other_inst->hide();
         },
         true},
        {"box closes over a field gone",
         [&] {
             p.txt_a.set_focus();
             boxes_.answer(id_ok, std::nullopt, [&] { p.txt_a.set_visible(false); });
             msg_box("x");
             p.txt_a.set_visible(true);
         },
         true},
        {"field before it disabled",
         [&] {
             p.txt_a.set_focus();
             p.txt_a.set_enabled(false);
             do_events();
             p.txt_a.set_enabled(true);
         },
         true},
        {"click", [&] { p.txt_a.set_focus(), user_focus(p.txt_b); }, false},
        {"code", [&] { p.txt_a.set_focus(), p.txt_b.set_focus(); }, false},
        {"box gives its own field back",
         [&] {
             p.txt_b.set_focus();
             boxes_.answer(id_ok);
             msg_box("x");
         },
         false},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        p.txt_b.set_text("4.0");
        p.txt_b.set_sel_start(1);
        w.enter();
        ASSERT_EQ(focus_owner(), &p.txt_b);
        user_type("0");
        EXPECT_EQ(p.txt_b.text(), w.selects ? "0" : "40.0");
    }
}

// The window's remembered control disabled: opening it again and settling the keys
// agree on the control after it, not the first of the window.
TEST_F(Focus, AWindowComingBackPassesOverItsDisabledControlAsASettleDoes) {
    auto& f = *page_inst;
    f.txt_b.set_focus();
    other_inst->show_modeless();
    f.txt_b.set_enabled(false);
    other_inst->hide();
    EXPECT_EQ(focus_owner(), &f.cmb);

    f.txt_b.set_enabled(true);
    f.txt_b.set_focus();
    f.txt_b.set_enabled(false);
    do_events();
    EXPECT_EQ(focus_owner(), &f.cmb);
}

// A control hidden while a box holds the focus: the box gives the focus to the next one.
TEST_F(Focus, ABoxGivesTheFocusToTheNextControlWhenItsOwnerWentAway) {
    auto& f = *page_inst;
    f.txt_a.set_focus();
    boxes_.answer(id_ok, std::nullopt, [&] { f.txt_a.set_visible(false); });
    msg_box("x");
    EXPECT_EQ(focus_owner(), &f.txt_b);
}

// O4: hiding or unloading a page whose field has the focus runs no LostFocus.
TEST_F(Focus, HideOrUnloadRunsNoLostFocus) {
    auto& f = *page_inst;
    int leaves = 0;
    f.txt_a.on_lost_focus = [&] { ++leaves; };
    f.hide();
    EXPECT_EQ(focus_owner(), nullptr);
    f.show_modeless();
    EXPECT_TRUE(f.txt_a.has_focus());  // the remembered control
    page_inst->txt_a.on_lost_focus = [&] { ++leaves; };
    page_inst->unload();
    EXPECT_EQ(leaves, 0);
}

}  // namespace
}  // namespace dvx::ui

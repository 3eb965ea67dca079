// Forms: first-touch load, Visible of an unloaded form, unload and reload, show and
// hide, placement, activation.
#include <gtest/gtest.h>

#include "tests/support/services_fixture.h"
#include "tests/ui/test_forms.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/observer.h"

namespace dvx::ui {
namespace {

using test::bare_inst;
using test::other_inst;
using test::page_inst;
using Forms = dvx::testing::ServicesFixture;

// Each way of touching an unloaded form loads it once, nested: the touching
// statement already sees what Load did (the list it filled). Inspection (peek)
// never loads.
TEST_F(Forms, FirstTouchLoadsOnceAndNested) {
    struct Touch {
        const char* name;
        std::function<bool()> touch;  // true when the statement saw the loaded form
    };
    const Touch touches[] = {
        {"read Visible", [] { return !page_inst->visible() && page_inst->cmb.list_count() == 3; }},
        {"read a control", [] { return page_inst->cmb.list_count() == 3; }},
        {"set a list index",
         [] {
             page_inst->cmb.set_list_index(1);  // an empty list would leave no selection
             return page_inst.peek()->cmb.list_index() == 1;
         }},
        {"caption",
         [] {
             page_inst->set_caption("x");
             return page_inst.peek()->loads == 1;
         }},
        {"show",
         [] {
             page_inst->show_modeless();
             return page_inst.peek()->txt_a.has_focus();
         }},
    };
    for (const auto& t : touches) {
        SCOPED_TRACE(t.name);
        ASSERT_EQ(page_inst.peek(), nullptr);
        EXPECT_TRUE(t.touch());
        ASSERT_NE(page_inst.peek(), nullptr);
        EXPECT_EQ(page_inst.peek()->loads, 1);
        page_inst->unload();
        EXPECT_EQ(page_inst.peek(), nullptr);
    }
}

// A window whose Load sets a list index by code: the Click runs nested inside Load
// (the port is chosen before the first touch goes on).
class PortChooser : public Form {
  public:
    PortChooser() : Form("port_chooser") {
        on_load = [this] {
            cmb.add_item("COM1");
            cmb.add_item("COM2");
            cmb.set_list_index(1);
            after_index = port;
        };
        cmb.on_click = [this] { port = cmb.text(); };
    }
    ComboBox cmb{*this, "Com_select", {120, 120, 1200, 315}};
    std::string port, after_index;
};
FormRef<PortChooser> port_chooser;

TEST_F(Forms, LoadRaisesNestedControlEvents) {
    EXPECT_EQ(port_chooser->port, "COM2");
    EXPECT_EQ(port_chooser->after_index, "COM2");
    EXPECT_EQ(log_.all(), (std::vector<std::string>{"port_chooser.Load", "Com_select.Click"}));
}

// Reading Visible of an unloaded form reloads it and reads false, so a polling loop
// on visibility ends and leaves the page loaded but hidden.
TEST_F(Forms, VisibleOfUnloadedFormReloadsHidden) {
    page_inst->show_modeless();
    page_inst->txt_a.set_text("typed");
    loop_.post_after(1.0, [] { user_close(*page_inst); });
    int rounds = 0;
    while (page_inst->visible()) {
        wait_yielding(0.5);
        ++rounds;
    }
    EXPECT_GE(rounds, 2);
    ASSERT_TRUE(page_inst.loaded());
    EXPECT_FALSE(page_inst->visible());
    EXPECT_EQ(page_inst->loads, 1);          // a fresh object: its first Load
    EXPECT_EQ(page_inst->txt_a.text(), "");  // controls were discarded (O9 too)
    EXPECT_EQ(log_.only({"Load", "Unload"}),
              (std::vector<std::string>{"Seite_Ä.Load", "Seite_Ä.Unload 0", "Seite_Ä.Load"}));
}

TEST_F(Forms, UnloadFromOwnHandlerLetsCodeRunOn) {
    page_inst->show_modeless();
    bool ran_on = false;
    page_inst->B_Zurueck.on_click = [&] {
        auto& me = *page_inst;
        me.unload();
        // The object lives on until the test ends; its controls raise nothing.
        me.cmb.set_list_index(2);
        ran_on = true;
    };
    ASSERT_TRUE(user_click(page_inst->B_Zurueck));
    EXPECT_TRUE(ran_on);
    EXPECT_FALSE(page_inst.loaded());
    EXPECT_TRUE(log_.only({"Click"}) == std::vector<std::string>{"B_Zurück.Click"});
}

TEST_F(Forms, UnloadCancelledKeepsTheForm) {
    page_inst->show_modeless();
    page_inst->refuse_unload = 1;
    user_close(*page_inst);
    EXPECT_TRUE(page_inst.loaded());
    EXPECT_TRUE(page_inst->visible());
}

// Load -> Resize -> Activate -> GotFocus of the first control in tab order.
TEST_F(Forms, FirstShowOrder) {
    page_inst->show_modeless();
    EXPECT_EQ(log_.all(), (std::vector<std::string>{"Seite_Ä.Load", "Seite_Ä.Resize",
                                                    "Seite_Ä.Activate", "txt_a.GotFocus"}));
    EXPECT_TRUE(page_inst->txt_a.has_focus());
    EXPECT_EQ(&active_control(), &page_inst->txt_a);
}

TEST_F(Forms, FormGotFocusOnlyWithoutFocusableControls) {
    int form_focus = 0;
    test::bare_inst->on_got_focus = [&] { ++form_focus; };
    test::bare_inst->show_modeless();
    EXPECT_EQ(form_focus, 1);
    EXPECT_THROW(active_control(), UiFault);
    page_inst->on_got_focus = [&] { ++form_focus; };
    page_inst->show_modeless();
    EXPECT_EQ(form_focus, 1);
}

// Hiding the active form activates the most recent other visible form, which gets
// Activate and its remembered control back; a hidden form keeps its values and
// its running timer.
TEST_F(Forms, HideActivatesPreviousAndKeepsState) {
    other_inst->show_modeless();
    user_click(other_inst->B_ok);
    page_inst->show_modeless();
    page_inst->txt_a.set_text("12.5");
    int ticks = 0;
    page_inst->tmr.on_timer = [&] { ++ticks; };
    page_inst->tmr.set_interval(300);
    log_.clear();
    page_inst->hide();
    EXPECT_EQ(log_.only({"Activate", "GotFocus", "LostFocus"}),
              (std::vector<std::string>{"Hauptmenü.Activate", "B_ok.GotFocus"}));
    EXPECT_EQ(other_inst->activations, 2);
    loop_.run_for(1.0);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(page_inst->txt_a.text(), "12.5");
    EXPECT_FALSE(page_inst->visible());
}

// Activate fires each time the window becomes the active one, and never for a
// message box or file dialog closing back to it (the gateway page resets its
// address boxes in Activate).
TEST_F(Forms, ActivateOnEveryActivationButNotAfterABox) {
    auto& page = *page_inst;
    CommonDialog dlg{page, "cmd_dialog"};
    struct Step {
        const char* name;
        std::function<void()> act;
        int activations;  // the page's count after the step
    };
    const Step steps[] = {
        {"first show", [&] { page.show_modeless(); }, 1},
        {"shown again while active", [&] { page.show_modeless(); }, 1},
        {"focus moved on the page", [&] { page.txt_b.set_focus(); }, 1},
        {"message box",
         [&] {
             boxes_.answer(id_ok);
             msg_box("Write error", mb_critical);
         },
         1},
        {"file dialog",
         [&] {
             dialogs_.choose("a.krv");
             dlg.show_open();
         },
         1},
        {"another window shown", [] { other_inst->show_modeless(); }, 1},
        {"the user clicks the page's frame", [&] { user_activate(page); }, 2},
        {"a control of the other window clicked", [] { user_click(other_inst->B_ok); }, 2},
        {"the other window closes back to it", [] { other_inst->unload(); }, 3},
        {"a modal window closes back to it",
         [&] {
             loop_.post([] { test::bare_inst->unload(); });
             test::bare_inst->show_modal();
         },
         4},
        {"hidden and shown again",
         [&] {
             page.hide();
             page.show_modeless();
         },
         5},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(page.activations, s.activations);
    }
    EXPECT_TRUE(page.txt_b.has_focus());  // the remembered control came back each time
}

TEST_F(Forms, ShowModalRunsUntilHiddenOrUnloaded) {
    struct Case {
        const char* name;
        std::function<void()> end;
        bool loaded_after;
    };
    const Case cases[] = {
        {"unload by code", [] { page_inst->unload(); }, false},
        {"frame close", [] { user_close(*page_inst); }, false},
        {"hide", [] { page_inst->hide(); }, true},
        {"button unloads in its KeyPress",
         [] {
             page_inst->txt_a.on_key_press = [](int& k) {
                 if (k == 13) page_inst->unload();
             };
             user_key(vk_return);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loop_.post_after(2.0, c.end);
        page_inst->show_modal();
        EXPECT_EQ(page_inst.loaded(), c.loaded_after);
        if (page_inst.loaded()) page_inst->unload();
    }
}

TEST_F(Forms, ModalLoopWithoutScriptTripsTheGuard) {
    EXPECT_THROW(page_inst->show_modal(), LoopGuardTripped);
    EXPECT_TRUE(loop_.guard_tripped());
    // A polling loop (time passes each round) ends at the time bound instead.
    HeadlessLoop loop(clock_);
    services().loop = &loop;
    loop.set_guard(1'000'000, 60);
    EXPECT_THROW(for (;;) wait_yielding(0.5), LoopGuardTripped);
    services().loop = &loop_;
    loop_.clear_guard();
}

// Placement: faults while minimised or maximised, minimised values beyond int16,
// Resize on every size or state change.
TEST_F(Forms, PlacementRules) {
    auto& f = *page_inst;
    int resizes = 0;
    f.on_resize = [&] { ++resizes; };
    f.move(100, 200, 10000, 9000);
    EXPECT_EQ(resizes, 1);
    f.set_left(300);  // a move alone is no resize
    EXPECT_EQ(resizes, 1);
    EXPECT_THROW(f.move(0, 0, -1, 9000), UiFault);  // refused whole: nothing moved
    EXPECT_EQ(f.left(), 300);
    EXPECT_EQ(f.top(), 200);
    f.set_window_state(ws_minimized);
    EXPECT_EQ(resizes, 2);
    EXPECT_LT(f.left(), -32768);
    EXPECT_LT(f.top(), -32768);
    for (auto set : {+[](Form& x) { x.set_top(10); }, +[](Form& x) { x.set_left(10); },
                     +[](Form& x) { x.set_width(10000); }, +[](Form& x) { x.set_height(9000); }}) {
        try {
            set(f);
            ADD_FAILURE() << "no fault while minimised";
        } catch (const UiFault& e) {
            EXPECT_EQ(e.text(), platform::fault_text(platform::FaultText::cant_move));
        }
    }
    f.set_window_state(ws_maximized);
    EXPECT_THROW(f.set_top(10), UiFault);
    EXPECT_EQ(resizes, 3);
    f.set_window_state(ws_normal);
    EXPECT_EQ(f.left(), 300);
    EXPECT_EQ(f.width(), 10000);
    EXPECT_EQ(resizes, 4);
}

TEST_F(Forms, NamesWithUmlautsFoundInEitherEncoding) {
    auto& f = *page_inst;
    EXPECT_EQ(f.control("B_Zurück"), &f.B_Zurueck);  // UTF-8
    EXPECT_EQ(f.control("B_Zur\xFC"
                        "ck"),
              &f.B_Zurueck);  // Windows-1252
    EXPECT_EQ(f.B_Zurueck.name(),
              "B_Zur\xFC"
              "ck");
    other_inst->show_modeless();
    EXPECT_EQ(find_form("Hauptmenü"), other_inst.peek());
    EXPECT_EQ(find_form("Hauptmen\xFC"), other_inst.peek());
    EXPECT_EQ(f.control("nothing"), nullptr);
}

TEST_F(Forms, TextWidthIsDeterministicInTheFormFont) {
    auto& f = *page_inst;
    f.set_font_size(12);
    EXPECT_EQ(f.text_width("DORVANEX"), 8 * 120);
    f.set_font_size(8);
    EXPECT_EQ(f.text_width("DORVANEX"), 8 * 80);
    EXPECT_EQ(f.text_width(""), 0);
    // An installed metric (the renderer's real font) wins.
    struct Fixed : TextMetrics {
        int text_width(const Font& font, const std::string& s) override {
            return static_cast<int>(s.size()) * 100 + static_cast<int>(font.size);
        }
    } metric;
    services().metrics = &metric;
    EXPECT_EQ(f.text_width("ab"), 208);
    services().metrics = nullptr;
}

// end_program unwinds to the harness at once; no Unload runs.
TEST_F(Forms, EndProgramUnwindsWithoutUnload) {
    page_inst->show_modeless();
    bool after = false;
    page_inst->B_Zurueck.on_click = [&] {
        end_program();
        after = true;
    };
    EXPECT_THROW(user_click(page_inst->B_Zurueck), ProgramEnded);
    EXPECT_FALSE(after);
    EXPECT_EQ(page_inst.peek(), nullptr);
    EXPECT_TRUE(program_ended());
    EXPECT_TRUE(log_.only({"Unload"}).empty());
}

// The end from outside the windows (a signal): from begin_closing on no box asks anyone,
// each answers as its Cancel would (the answer that goes on with nothing where it has no
// Cancel) and a file dialog chooses nothing. close_windows_but closes every other window
// through its own Unload, the one loaded last first; one that refuses stays loaded for a
// later call, and a call from inside an Unload does nothing.
TEST_F(Forms, ClosingAnswersEveryBoxAtOnceAndClosesTheWindowsThroughTheirUnload) {
    other_inst->show_modeless();  // the main window, kept
    page_inst->show_modeless();
    bare_inst->show_modeless();
    std::vector<std::string> unloads;
    int bare_box = 0;
    bare_inst->on_unload = [&](int&) {
        unloads.push_back("bare");
        close_windows_but(other_inst.peek());  // nested: nothing
        bare_box = msg_box("Save the changes?", mb_yes_no_cancel);
    };
    page_inst->on_unload = [&](int& cancel) {
        unloads.push_back("page");
        cancel = page_inst->refuse_unload;
    };
    page_inst->refuse_unload = 1;

    begin_closing();
    EXPECT_TRUE(closing());
    struct Box {
        int style;
        int answer;
    };
    const Box boxes[] = {
        {mb_ok, id_ok},
        {mb_ok | mb_critical, id_ok},
        {mb_ok_cancel, id_cancel},
        {mb_ok_cancel | mb_question, id_cancel},
        {mb_abort_retry_ignore, id_abort},
        {mb_yes_no_cancel, id_cancel},
        {mb_yes_no, id_no},
        {mb_retry_cancel, id_cancel},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.style);
        EXPECT_EQ(msg_box("Really?", b.style), b.answer);
        EXPECT_EQ(cancel_answer(b.style), b.answer);
    }
    CommonDialog dlg{*other_inst, "CMDialog1"};
    dlg.file_name = "TT-101.krv";
    dlg.show_save();
    EXPECT_EQ(dlg.file_name, "");
    dlg.cancel_error = true;
    EXPECT_THROW(dlg.show_open(), UiFault);

    close_windows_but(other_inst.peek());
    EXPECT_EQ(unloads, (std::vector<std::string>{"bare", "page"}));
    EXPECT_EQ(bare_box, id_cancel);
    EXPECT_EQ(bare_inst.peek(), nullptr);
    ASSERT_NE(page_inst.peek(), nullptr);  // refused
    EXPECT_TRUE(other_inst->visible());
    page_inst->refuse_unload = 0;
    close_windows_but(other_inst.peek());
    EXPECT_EQ(page_inst.peek(), nullptr);
    EXPECT_EQ(loaded_forms(), std::vector<Form*>{other_inst.peek()});
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_FALSE(program_ended());
}

// O8: after show, window code calls refresh() and set_focus(); both are harmless on a
// shown window, and set_focus on a hidden one is a fault.
TEST_F(Forms, RefreshAndSetFocusAfterShow) {
    struct Rec : Observer {
        int refreshed = 0;
        void form_refreshed(Form&) override { ++refreshed; }
    } rec;
    add_observer(&rec);
    auto& f = *page_inst;
    EXPECT_THROW(f.set_focus(), UiFault);
    f.show_modeless();
    f.refresh();
    f.set_focus();
    remove_observer(&rec);
    EXPECT_EQ(rec.refreshed, 1);
    EXPECT_TRUE(f.txt_a.has_focus());
    EXPECT_EQ(log_.only({"GotFocus", "Activate"}),
              (std::vector<std::string>{"Seite_Ä.Activate", "txt_a.GotFocus"}));
}

// Closing the main window by its frame: its Unload saves, then ends the program;
// the other windows get no Unload.
TEST_F(Forms, MainWindowFrameCloseEndsTheProgram) {
    page_inst->show_modeless();
    other_inst->show_modeless();
    bool saved = false;
    other_inst->on_unload = [&](int&) {
        saved = true;
        end_program();
    };
    EXPECT_THROW(user_close(*other_inst), ProgramEnded);
    EXPECT_TRUE(saved);
    EXPECT_EQ(page_inst.peek(), nullptr);
    EXPECT_EQ(log_.only({"Unload"}), std::vector<std::string>{"Hauptmenü.Unload 0"});
    EXPECT_TRUE(loaded_forms().empty());
}

}  // namespace
}  // namespace dvx::ui

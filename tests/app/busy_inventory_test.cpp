// The user's commands while a transaction waits in a link pause, on every window of the
// program: each control with a handler, and each window's close by its frame, used while
// a Read and while a Program wait in a retry pause (the simulator loses one answer).
// Afterwards the device's registers, the image, the settings store, the files and the
// fields shown are what they are without it, and no box or file dialog came but the
// operation's own; only the controls and windows marked to run then take their action
// (mainwin/README.md lists them). The windows are reached as the user reaches them
// (buttons and menus, a live page while it polls) or, for the boxes, shown by code; the
// list of windows and controls comes from the window layer, so a window or handler added
// later is used too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/renderer.h"
#include "calib/openers.h"
#include "gateway/openers.h"
#include "mainwin/access_level.h"
#include "mainwin/device_ops.h"
#include "mainwin/page_openers.h"
#include "model/access.h"
#include "model/param_image.h"
#include "pages/h_online.h"
#include "pages/openers.h"
#include "platform/cp1252.h"
#include "tests/app/layer_state.h"
#include "tests/app/qt_steps.h"
#include "tests/app/qt_test_app.h"
#include "tests/app/qt_windows_fixture.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/input.h"
#include "ui/keyboard.h"

namespace dvx::testing {
namespace {

std::string name_of(const ui::Control& c) {
    return platform::to_utf8(c.name()) +
           (c.index() >= 0 ? "(" + std::to_string(c.index()) + ")" : "");
}
std::string name_of(const ui::Form& f) {
    return platform::to_utf8(f.name());
}

// The device in hand, the image, the settings store, the working folder, every field of
// every window and what was printed.
struct World {
    RegisterFile device;
    std::vector<std::int16_t> image;
    int count = 0;
    std::string snapshot;
    std::vector<std::string> store, files, fields;
    std::size_t printed = 0;
};

std::vector<std::string> differences(const World& a, const World& b) {
    std::vector<std::string> out = changes(a.device, b.device);
    for (std::size_t i = 0; i < a.image.size(); ++i)
        if (a.image[i] != b.image[i])
            out.push_back("image word " + std::to_string(i) + ": " + std::to_string(a.image[i]) +
                          " -> " + std::to_string(b.image[i]));
    if (a.count != b.count) out.push_back("parameter count " + std::to_string(b.count));
    if (a.snapshot != b.snapshot) out.push_back("the snapshot of the set");
    auto lists = [&out](const char* what, const std::vector<std::string>& x,
                        const std::vector<std::string>& y) {
        for (const std::string& e : x)
            if (std::find(y.begin(), y.end(), e) == y.end())
                out.push_back(std::string(what) + " was " + e);
        for (const std::string& e : y)
            if (std::find(x.begin(), x.end(), e) == x.end())
                out.push_back(std::string(what) + " is " + e);
    };
    lists("store", a.store, b.store);
    lists("file", a.files, b.files);
    lists("field", a.fields, b.fields);
    if (a.printed != b.printed) out.push_back("printed");
    return out;
}

// How the user uses a control's handlers: clicks, choices, double clicks, the grid's
// cells and scrolling, the scroll bar, and the keys (typing, Enter, Esc, a paste, Tab
// to leave it) once it has them.
struct Use {
    bool keys = false;  // the control is given the keys before the operation
    std::vector<std::function<void()>> acts;
};

Use use_of(ui::Control& c) {
    Use u;
    const bool click = static_cast<bool>(c.on_click);
    if (click) {
        switch (c.kind()) {
            case ui::Kind::combo_box:
            case ui::Kind::list_box: {
                auto& l = static_cast<ui::ListControl&>(c);
                u.acts.push_back([&l] {
                    if (l.list_count() > 0)
                        ui::user_select(l, (l.list_index() + 1) % l.list_count());
                });
                break;
            }
            case ui::Kind::list_view: {
                auto& v = static_cast<ui::ListView&>(c);
                u.acts.push_back([&v] { ui::user_select(v, 1); });
                break;
            }
            case ui::Kind::grid: {
                auto& g = static_cast<ui::Grid&>(c);
                u.acts.push_back([&g] { ui::user_click_cell(g, g.fixed_rows(), g.fixed_cols()); });
                break;
            }
            default:
                u.acts.push_back([&c] { ui::user_click(c); });
                break;
        }
    }
    if (c.on_dbl_click) {
        if (c.kind() == ui::Kind::list_view) {
            auto& v = static_cast<ui::ListView&>(c);
            u.acts.push_back([&v] { ui::user_select(v, 1, true); });
        } else {
            u.acts.push_back([&c] { ui::user_dbl_click(c); });
        }
    }
    if (auto* g = dynamic_cast<ui::Grid*>(&c); g && g->on_scroll)
        u.acts.push_back([g] { ui::user_scroll(*g, g->top_row() + 1); });
    if (auto* b = dynamic_cast<ui::VScrollBar*>(&c); b && (b->on_change || b->on_scroll)) {
        u.acts.push_back([b] { ui::user_scroll(*b, ui::ScrollAction::page_down); });
        u.acts.push_back([b] { ui::user_scroll(*b, ui::ScrollAction::drag, b->min()); });
    }
    auto* t = dynamic_cast<ui::TextBox*>(&c);
    const bool keys = c.on_key_press || c.on_key_down || c.on_key_up || c.on_lost_focus ||
                      c.on_got_focus || (t && (t->on_change || t->on_paste));
    if (keys && c.focusable_kind()) {
        u.keys = true;
        if (t) u.acts.push_back([t] { ui::user_paste(*t, "2"); });
        u.acts.push_back([] { ui::user_type("1"); });
        u.acts.push_back([] { ui::user_key(ui::vk_return); });
        u.acts.push_back([] { ui::user_key(ui::vk_escape); });
        u.acts.push_back([] { ui::user_key(ui::vk_tab); });
    }
    return u;
}

bool has_handler(ui::Control& c) {
    if (c.kind() == ui::Kind::timer) return false;  // ticks, not the user (tests/ui/busy_test.cpp)
    if (c.on_click || c.on_dbl_click || c.on_key_press || c.on_key_down || c.on_key_up ||
        c.on_lost_focus || c.on_got_focus)
        return true;
    if (auto* t = dynamic_cast<ui::TextBox*>(&c)) return t->on_change || t->on_paste;
    if (auto* g = dynamic_cast<ui::Grid*>(&c)) return static_cast<bool>(g->on_scroll);
    if (auto* b = dynamic_cast<ui::VScrollBar*>(&c)) return b->on_change || b->on_scroll;
    return false;
}

bool usable(ui::Control& c) {
    if (auto* m = dynamic_cast<ui::MenuItem*>(&c)) return m->alive() && m->reachable();
    return c.alive() && c.form().visible() && c.shown() && c.usable();
}

// One thing to use on a window: a control with a handler, or the frame's close.
struct Entry {
    std::string key;   // "window/control(index)", "window/(frame)"
    std::string name;  // the control's name, empty for the frame
    int index = -1;
    bool allowed = false;
};

// The window's controls with a handler, then its frame; those marked to run meanwhile
// last, since they end the window.
std::vector<Entry> entries_of(ui::Form& f) {
    std::vector<Entry> refused, allowed;
    for (ui::Control* c : f.controls()) {
        if (!has_handler(*c)) continue;
        Entry e{name_of(f) + "/" + name_of(*c), c->name(), c->index(), c->runs_while_busy()};
        (e.allowed ? allowed : refused).push_back(e);
    }
    Entry frame{name_of(f) + "/(frame)", "", -1, f.closes_while_busy()};
    (frame.allowed ? allowed : refused).push_back(frame);
    refused.insert(refused.end(), allowed.begin(), allowed.end());
    return refused;
}

enum class Op { read, program };

struct Config {
    const char* name;
    int bus;
    int device;  // address, or slot of rack 1 behind a gateway
};
// KRV 4.05, DLX 4.02 and KRV 3.03 on the direct bus; a KRV 4.04 behind an HZL and a
// KRV 4.11 behind an HZL3 (the gateway pages, the rack list, the bulk set).
const Config configs[] = {{"direct, KRV 4.05", 0, 1},
                          {"direct, DLX 4.02", 0, 20},
                          {"direct, KRV 3.03", 0, 9},
                          {"HZL, KRV 4.04", 1, 1},
                          {"HZL3, KRV 4.11", 2, 1}};

// With the real renderer: the windows are drawn as the user sees them.
class BusyInventory : public QtWindowsFixture {
  protected:
    // The program started on the bus, level 2, the device selected and read.
    void fresh(const Config& c) {
        ui::reset_forms();
        reset_globals();
        for (const char* marker : {"HZL_mod.cfg", "HZL3_mod.cfg", "HZL_chart_enabled.cfg"})
            if (files_->exists(marker)) files_->remove(marker);
        if (c.bus != 0) {
            write_checked(c.bus == 1 ? "HZL_mod.cfg" : "HZL3_mod.cfg", "1");
            write_checked("HZL_chart_enabled.cfg", "1");
        }
        // Another device's configuration, for File > Load.
        std::string cfg = "other comment|OTHERTAG|3.03|0|";
        for (int i = 0; i < 1000; ++i) cfg += std::to_string(7 + i % 5) + "|";
        cfg += "1|1|";
        write_checked("other.krv", cfg);
        ASSERT_TRUE(start(c.bus));
        model::entered_password = model::password_level_2_default;
        mainwin::apply_access_level();
        pump();
        select(c.device);
        read();
        pump();
    }

    // `forced`: a control made usable by code; its own Visible and Enabled, and its
    // containers', are the test's.
    World world(const ui::Control* forced = nullptr) {
        auto made_usable = [forced](const ui::Control* c) {
            for (const ui::Control* k = forced; k; k = k->container())
                if (k == c) return true;
            return false;
        };
        World w;
        w.device = register_file(device());
        w.image.assign(model::param_image.begin(), model::param_image.end());
        w.count = model::param_count;
        w.snapshot = mainwin::param_snapshot;
        for (const auto& [key, values] : registry_.contents())
            for (const auto& [name, v] : values)
                w.store.push_back(key + "\\" + name + "=" +
                                  std::string(v.bytes.begin(), v.bytes.end()));
        for (const auto& e : std::filesystem::directory_iterator(dir_)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            w.files.push_back(e.path().filename().string() + ": " + bytes.str());
        }
        for (ui::Form* f : ui::loaded_forms()) {
            w.fields.push_back(name_of(*f) + (f->visible() ? " shown " : " hidden ") +
                               f->caption());
            for (ui::Control* c : f->controls())
                w.fields.push_back(name_of(*f) + "/" + layer_state(*c, !made_usable(c)));
        }
        w.printed = printer_.lines().size();
        return w;
    }

    void run_op(Op op) {
        if (op == Op::read) {
            // The type read, then the blocks at 1000, 1016 and 1032: the third is lost.
            plant_->fault(sim::Fault::silent().function(read_fn).after(3).next(1));
            mainwin::B_FQN_Read_Click();
        } else {
            // The second block written is lost.
            plant_->fault(sim::Fault::silent().function(write_fn).after(1).next(1));
            mainwin::B_FQN_Write_Click();
        }
    }

    // Runs the operation with `use` in its first link pause. The prompts shown, and
    // whether the use came in a pause and the program ended.
    struct Outcome {
        std::vector<std::string> prompts;
        std::size_t dialogs = 0;
        bool in_pause = false, ended = false, modal_waited = false;
        std::vector<std::string> events;  // raised during the use
    };
    Outcome operate(Op op, const std::function<void()>& use) {
        boxes_.clear();
        dialogs_.clear();
        for (int i = 0; i < 4; ++i) dialogs_.choose(i % 2 ? "saved.krv" : "other.krv");
        Outcome o;
        in_next_pause([&] {
            o.in_pause = true;
            if (!use) return;
            log_.clear();
            use();
            o.events = log_.all();
        });
        try {
            run_op(op);
            pump();
        } catch (const ui::ProgramEnded&) {
            o.ended = true;
        } catch (const ui::LoopGuardTripped&) {
            o.modal_waited = true;
            loop_.clear_guard();
        }
        plant_->clear_faults();
        o.prompts = prompts();
        o.dialogs = dialogs_.shown().size();
        dialogs_.clear();
        return o;
    }

    // How a window is reached: the main window, a button or menu of it (a calibration
    // sheet's sister through the sheet's switch), or shown by code over the main window.
    struct Reach {
        int opener = -1;  // index into openers(); -1: the main window, or `slot`
        bool sister = false;
        ui::FormSlot* slot = nullptr;
    };

    std::vector<ui::Control*> openers() {
        auto& m = main();
        return {&m.B_io,       &m.B_Out,     &m.B_dout,    &m.B_Schk,   &m.B_comment, &m.B_online,
                &m.Command3D3, &m.m_cal_inp, &m.m_cal_out, &m.m_ub_hzl, &m.m_ub_bnr};
    }

    // Shows the window `r` leads to (a live page while it polls) and runs `work` on it.
    // False when `work` asks to start afresh (the window changed).
    bool open_by(const Reach& r, const std::function<bool(ui::Form&)>& work) {
        auto& m = main();
        if (r.slot) {
            if (r.slot->loaded()) return true;  // the main window
            ui::Form& f = r.slot->touch();
            f.show_modeless();
            pump();
            const bool done = work(f);
            if (f.loaded()) f.unload();
            pump();
            return done;
        }
        if (r.opener < 0) return work(m);
        ui::Control* opener = openers()[static_cast<std::size_t>(r.opener)];
        if (!usable(*opener)) return true;  // not offered on this bus
        bool done = true, ran = false;
        auto on_page = [&] {
            if (ran) return;
            ran = true;
            ui::Form* page = ui::active_form();
            if (!page || page == &m) return;  // refused here
            ui::Form* target = page;
            if (r.sister) {
                auto* other = dynamic_cast<ui::CommandButton*>(page->control("Command3D3"));
                if (!other || !other->usable()) return;
                user([other] { ui::user_click(*other); });
                target = ui::active_form();
                if (!target || target == page) return;
            }
            done = work(*target);
            for (ui::Form* f : ui::loaded_forms())
                if (f != &m && f->visible()) user([f] { ui::user_close(*f); });
        };
        step_after(loop_, 1.0, on_page);  // a live page: while it polls
        user([opener] { ui::user_click(*opener); });
        on_page();
        loop_.run_for(1.0);
        return done;
    }

    // Runs `work` on the window `r` leads to in `cfg`, starting afresh as often as it asks.
    void reach(std::size_t cfg, const Reach& r, const std::function<bool(ui::Form&)>& work) {
        SCOPED_TRACE(configs[cfg].name);
        for (int round = 0; round < 200; ++round) {
            fresh(configs[cfg]);
            if (::testing::Test::HasFatalFailure()) return;
            const bool done = open_by(r, [&](ui::Form& f) {
                SCOPED_TRACE(name_of(f));
                if (!reached_at_.count(name_of(f)))
                    reached_at_.emplace(name_of(f), std::pair{cfg, r});
                return work(f);
            });
            if (done) return;
        }
        ADD_FAILURE() << "a window kept changing";
    }

    // The main window, every page and sheet behind its buttons and menus, and a
    // calibration sheet's sister.
    std::vector<Reach> pages_reached() {
        fresh(configs[0]);
        std::vector<Reach> out{Reach{}};
        for (std::size_t k = 0; k < openers().size(); ++k) {
            out.push_back({static_cast<int>(k), false, nullptr});
            if (openers()[k] == &main().m_cal_inp)
                out.push_back({static_cast<int>(k), true, nullptr});
        }
        return out;
    }

    // Shows and enables the control, its containers and its tab page.
    static void make_usable(ui::Control& c) {
        for (ui::Control* k = &c; k; k = k->container()) {
            k->set_visible(true);
            k->set_enabled(true);
            if (k->tab_page() >= 0)
                static_cast<ui::TabControl*>(k->container())->set_tab(k->tab_page());
        }
    }

    // Uses every entry of `f` not yet covered in an operation; false when one changed the
    // window (the rest is done after a fresh start).
    bool use_all(ui::Form& f, Op op) {
        const std::vector<Entry> entries = entries_of(f);
        std::optional<std::vector<std::string>> own_prompts;
        for (const Entry& e : entries) {
            all_entries_.insert(e.key);
            if (covered_.count(e.key)) continue;
            SCOPED_TRACE(e.key);
            auto control = [&f, &e] {
                return e.name.empty() ? nullptr : f.control(e.name, e.index);
            };
            // Usable now, or made so by code in the last pass.
            auto ready = [&] {
                ui::Control* c = control();
                if (e.name.empty()) return f.loaded() && f.visible();
                if (c && force_ && !usable(*c)) make_usable(*c);
                return c && usable(*c);
            };
            if (!ready()) continue;
            if (!own_prompts) {
                // The operation alone, once: its own boxes, and the state it leaves.
                const Outcome alone = operate(op, nullptr);
                EXPECT_TRUE(alone.in_pause) << "no transaction waited in a pause";
                own_prompts = alone.prompts;
                if (!f.loaded() || !f.visible()) return false;
                if (!ready()) continue;
            }
            ui::Control* c = control();
            Use u;
            if (c) u = use_of(*c);
            if (!c) u.acts.push_back([&f] { ui::user_close(f); });
            auto keys_on_it = [&] {
                if (!u.keys) return true;
                if (!c->can_focus()) return false;
                c->set_focus();
                pump();
                return ui::focus_owner() == c;
            };
            if (!keys_on_it()) continue;
            const ui::Control* forced = force_ ? c : nullptr;
            World before = world(forced);
            if (force_) {
                // What the operation itself does to a control made usable by code (it may
                // hide it again) is what the use is compared with.
                const Outcome alone = operate(op, nullptr);
                own_prompts = alone.prompts;
                before = world(forced);
                if (!f.loaded() || !f.visible()) return false;
                if (!ready() || !keys_on_it()) continue;
            }
            bool was_ready = false;
            const Outcome o = operate(op, [&] {
                // The operation itself may have hidden it, or taken its keys, before its
                // pause.
                was_ready = ready();
                if (was_ready && u.keys && force_ && ui::focus_owner() != c && c->can_focus())
                    c->set_focus();
                was_ready = was_ready && (!u.keys || ui::focus_owner() == c);
                if (!was_ready) return;
                for (const auto& act : u.acts) act();
            });
            EXPECT_TRUE(o.in_pause) << "the use came while no transaction waited";
            if (!was_ready) continue;
            covered_.insert(e.key);
            if (e.allowed) {
                // It runs: its event is raised, and it ends the window or the run.
                const std::string event = c ? name_of(*c) + ".Click" : name_of(f) + ".Unload 0";
                EXPECT_TRUE(std::find(o.events.begin(), o.events.end(), event) != o.events.end())
                    << event << " was refused";
                ++allowed_used_;
                return false;
            }
            std::vector<std::string> what = differences(before, world(forced));
            if (o.prompts != *own_prompts)
                for (const std::string& p : o.prompts) what.push_back("box: " + p);
            if (o.dialogs) what.push_back("a file dialog came");
            if (o.ended) what.push_back("the program ended");
            if (o.modal_waited) what.push_back("a modal window waited for the user");
            if (!what.empty()) {
                ADD_FAILURE() << e.key << " acted while the transaction waited:\n  "
                              << ::testing::PrintToString(what);
                return false;
            }
            ++refused_used_;
        }
        return true;
    }

    // Every window of every configuration, for one operation; then the windows no button
    // or menu showed (the boxes of the scan, the bulk set and the measuring run, the
    // password and language windows, the board pictures), shown by code; then, on the
    // window where each was met, the entries no configuration made usable (a field of
    // another input type, the serial number without its marker, the grid's cell editor),
    // made usable by code.
    void inventory(Op op) {
        auto each = [&](ui::Form& f) { return use_all(f, op); };
        const std::vector<Reach> pages = pages_reached();
        for (std::size_t cfg = 0; cfg < std::size(configs); ++cfg)
            for (const Reach& r : pages) reach(cfg, r, each);
        for (ui::FormSlot* slot : ui::window_classes()) {
            fresh(configs[0]);
            if (!slot->loaded() && !reached_at_.count(name_of(slot->touch())))
                reach(0, Reach{-1, false, slot}, each);
        }
        force_ = true;
        const auto met = reached_at_;
        for (const auto& [name, at] : met) {
            const std::string window = name;
            reach(at.first, at.second,
                  [&](ui::Form& f) { return name_of(f) != window || use_all(f, op); });
        }
        force_ = false;

        // Every window of the program was used, and every entry on one of them.
        fresh(configs[0]);
        for (ui::FormSlot* slot : ui::window_classes()) {
            const std::string name = name_of(slot->touch());
            EXPECT_TRUE(reached_at_.count(name)) << name << " was never used";
        }
        std::vector<std::string> never;
        for (const std::string& key : all_entries_)
            if (!covered_.count(key)) never.push_back(key);
        EXPECT_EQ(never, std::vector<std::string>{}) << "never used";
        EXPECT_GT(refused_used_, 300);
        EXPECT_GE(allowed_used_, 10);
    }

    std::set<std::string> covered_, all_entries_;
    std::map<std::string, std::pair<std::size_t, Reach>> reached_at_;  // where first met
    bool force_ = false;
    int refused_used_ = 0, allowed_used_ = 0;
};

TEST_F(BusyInventory, EveryCommandWhileAReadWaitsInARetryPause) {
    inventory(Op::read);
}

TEST_F(BusyInventory, EveryCommandWhileAProgramWaitsInARetryPause) {
    inventory(Op::program);
}

class BusyPointer : public QtWindowsFixture {};

// The online page left by Back while its poll waits in a retry pause: the main window is
// back, but the read still waits, so the desktop's pointer is the hourglass and the main
// window's buttons do nothing; once the read has ended the pointer is the arrow again.
TEST_F(BusyPointer, TheHourglassShowsWhileAPageLeftDuringItsRetryStillWaits) {
    ASSERT_TRUE(start());
    select(1);
    settle_qt(loop_, *renderer_);
    auto waiting = [] {
        const QCursor* c = QApplication::overrideCursor();
        return c && c->shape() == Qt::WaitCursor;
    };
    bool back_shown = false, hourglass = false, wait_cursor = false, refused = false;
    step_after(loop_, 2.0, [&] {
        plant_->fault(sim::Fault::silent().registers(5, 5).next(1));
        in_next_pause([&] {
            ui::user_click(pages::h_online_inst->B_Zurueck);
            back_shown = main().visible();
            hourglass = ui::mouse_pointer() == ui::mp_hourglass;
            wait_cursor = waiting();
            refused = !ui::user_click(main().B_online);
        });
    });
    user([this] { ui::user_click(main().B_online); });
    settle_qt(loop_, *renderer_);
    EXPECT_TRUE(back_shown);
    EXPECT_TRUE(hourglass);
    EXPECT_TRUE(wait_cursor);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(ui::transaction_underway());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
    EXPECT_FALSE(waiting());
    EXPECT_FALSE(pages::h_online_inst.loaded() && pages::h_online_inst->visible());
}

}  // namespace
}  // namespace dvx::testing

// Where the keys are when a window opens and when a measuring run ends, in the desktop
// program: the real renderer on Qt's offscreen platform, the main window started on the
// simulated bus, pages opened by their buttons and menus, the user's clicks and keys as
// Qt events. Checked on the focused control, the keyboard widget and the words stored.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/renderer.h"
#include "calib/fqn_calib.h"
#include "calib/krv4_cal.h"
#include "calib/measure_run.h"
#include "calib/openers.h"
#include "gateway/openers.h"
#include "mainwin/access_level.h"
#include "mainwin/page_openers.h"
#include "mainwin/password_dialogs.h"
#include "mainwin/progress_boxes.h"
#include "model/access.h"
#include "model/param_image.h"
#include "pages/board_pictures.h"
#include "pages/openers.h"
#include "pages/s_chk_30.h"
#include "platform/cp1252.h"
#include "tests/app/qt_steps.h"
#include "tests/app/qt_test_app.h"
#include "tests/app/qt_windows_fixture.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/lang_select.h"
#include "ui/app.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

std::string name_of(const ui::Control* c) {
    if (!c) return "none";
    return platform::to_utf8(c->name()) +
           (c->index() >= 0 ? "(" + std::to_string(c->index()) + ")" : "");
}

// The control's place on its form: the chain of containers down to it.
std::vector<const ui::Control*> chain(const ui::Control& c) {
    std::vector<const ui::Control*> v;
    for (const ui::Control* k = &c; k; k = k->container()) v.insert(v.begin(), k);
    return v;
}

// True when `b` lies before `a` in reading order: in their common container, b's branch
// ends above a's without starting a column to its right, or it shares a's row and ends
// left of it. (Going up to the top of the next column on the right reads on.)
bool reads_before(const ui::Control& b, const ui::Control& a) {
    const auto ca = chain(a), cb = chain(b);
    std::size_t i = 0;
    while (i < ca.size() && i < cb.size() && ca[i] == cb[i]) ++i;
    if (i == ca.size() || i == cb.size()) return false;
    const ui::Rect ra = ca[i]->rect(), rb = cb[i]->rect();
    if (rb.top + rb.height <= ra.top) return rb.left < ra.left + ra.width;
    const bool same_row = rb.top < ra.top + ra.height && ra.top < rb.top + rb.height;
    return same_row && rb.left + rb.width <= ra.left;
}

class WindowFocus : public QtWindowsFixture {
  protected:
    void settle() { settle_qt(loop_, *renderer_); }
    void during(double after, std::function<void()> step) {
        step_after(loop_, after, std::move(step));
    }
    QWidget* widget(ui::Control& c) {
        QWidget* w = renderer_->widget(c);
        EXPECT_NE(w, nullptr) << name_of(&c);
        return w;
    }
    void mouse(ui::Control& c) { QTest::mouseClick(widget(c), Qt::LeftButton); }
    static QWidget* keyboard() {
        if (QWidget* f = QApplication::focusWidget()) return f;
        return QApplication::activeWindow();
    }
    void key(Qt::Key k) {
        QWidget* t = keyboard();
        ASSERT_NE(t, nullptr) << "no window takes keys";
        QTest::keyClick(t, k);
    }
    void type(const std::string& text) {
        for (char ch : text) {
            QWidget* t = keyboard();
            ASSERT_NE(t, nullptr) << "no window takes keys";
            QTest::keyClick(t, ch);
        }
    }

    void level(int n) {
        model::entered_password = n == 2 ? model::password_level_2_default : "";
        mainwin::apply_access_level();
        pump();
    }

    // The active window has the keys on a usable control of its own (the first in tab
    // order when `first`), and Qt's keyboard widget is that control's.
    void expect_keys_held(const std::string& where, bool first = false) {
        ui::Form* f = ui::active_form();
        ASSERT_NE(f, nullptr) << where << ": no active window";
        ui::Control* c = ui::focus_owner();
        ASSERT_NE(c, nullptr) << where << ": " << platform::to_utf8(f->name())
                              << " has no control with the keys";
        EXPECT_EQ(&c->form(), f) << where;
        EXPECT_TRUE(c->can_focus()) << where << ": " << name_of(c);
        EXPECT_EQ(QApplication::focusWidget(), renderer_->focus_widget(*c))
            << where << ": Qt's keys are not at " << name_of(c);
        const auto order = f->tab_order();
        ASSERT_FALSE(order.empty());
        if (first) {
            EXPECT_EQ(c, order.front())
                << where << ": the first in tab order is " << name_of(order.front());
        }
    }
    // Tab visits the window's controls in reading order: top to bottom, left to right.
    static void expect_reading_order(const ui::Form& f) {
        const auto order = f.tab_order();
        for (std::size_t i = 1; i < order.size(); ++i)
            EXPECT_FALSE(reads_before(*order[i], *order[i - 1]))
                << platform::to_utf8(f.name()) << ": " << name_of(order[i]) << " follows "
                << name_of(order[i - 1]) << " in tab order but comes before it";
    }
};

// Every page and sheet opened by its button or menu, on each bus, at both access levels
// and for each family and firmware the bus has: the keys are on the window's first usable
// control, and its tab order reads top to bottom, left to right.
TEST_F(WindowFocus, EveryWindowOpensWithTheKeysOnItsFirstUsableControl) {
    struct Bus {
        int mode;
        const char* marker;
        std::vector<int> devices;  // addresses, or slots of rack 1 behind a gateway
    };
    // Direct: KRV 4.05, KRV 4.16, DLX 4.02, KRV 3.03. HZL: KRV 4.04, DLX 3.01, KRV 3.05.
    // HZL3: KRV 4.11, DLX 4.04, KRV 3.02.
    const Bus buses[] = {{0, nullptr, {1, 17, 20, 9}},
                         {1, "HZL_mod.cfg", {1, 2, 11}},
                         {2, "HZL3_mod.cfg", {1, 16, 17}}};
    int opened = 0;
    std::set<std::string> seen;
    for (const Bus& bus : buses)
        for (int lvl : {1, 2})
            for (int device : bus.devices) {
                const std::string where = "bus " + std::to_string(bus.mode) + " level " +
                                          std::to_string(lvl) + " device " + std::to_string(device);
                SCOPED_TRACE(where);
                ui::reset_forms();
                reset_globals();
                if (files_->exists("HZL_mod.cfg")) files_->remove("HZL_mod.cfg");
                if (files_->exists("HZL3_mod.cfg")) files_->remove("HZL3_mod.cfg");
                if (bus.marker) {
                    write_checked(bus.marker, "1");
                    write_checked("HZL_chart_enabled.cfg", "1");  // the gateway menu
                }
                ASSERT_TRUE(start(bus.mode));
                level(lvl);
                select(device);
                read();
                settle();
                expect_keys_held("main window");
                auto& m = main();
                std::vector<ui::Control*> openers = {&m.B_io,       &m.B_Out,     &m.B_dout,
                                                     &m.B_Schk,     &m.B_comment, &m.B_online,
                                                     &m.Command3D3, &m.m_cal_inp, &m.m_cal_out};
                if (bus.mode != 0) {
                    openers.push_back(&m.m_ub_hzl);
                    openers.push_back(&m.m_ub_bnr);
                }
                for (ui::Control* opener : openers) {
                    SCOPED_TRACE(name_of(opener));
                    // Live pages poll until they close: they are checked while they poll.
                    bool checked = false;
                    auto check_and_close = [&] {
                        if (checked) return;
                        checked = true;
                        renderer_->flush();
                        ui::Form* page = ui::active_form();
                        if (!page || page == &m) return;  // not offered here
                        ++opened;
                        seen.insert(platform::to_utf8(page->name()));
                        expect_keys_held(platform::to_utf8(page->name()), true);
                        expect_reading_order(*page);
                        // A calibration sheet's sister sheet, through its switch.
                        auto* other = dynamic_cast<ui::CommandButton*>(page->control("Command3D3"));
                        if (other && page->name().find("Cal") != std::string::npos) {
                            ui::user_click(*other);
                            renderer_->flush();
                            QCoreApplication::processEvents();
                            ui::Form* sister = ui::active_form();
                            ASSERT_NE(sister, nullptr);
                            seen.insert(platform::to_utf8(sister->name()));
                            expect_keys_held(platform::to_utf8(sister->name()), true);
                            expect_reading_order(*sister);
                            ui::user_close(*sister);
                        }
                        if (page->loaded()) ui::user_close(*page);
                    };
                    during(1.0, check_and_close);
                    user([opener] { ui::user_click(*opener); });
                    settle();
                    check_and_close();
                    loop_.run_for(1.0);
                    settle();
                    if (!m.visible()) user([&m] { m.show_modeless(); });
                    settle();
                    expect_keys_held("main window again");
                }
            }
    EXPECT_GT(opened, 60);
    const std::set<std::string> every = {
        "H_Inp",    "dlx3_Inp",  "H_output",    "h_dout",    "S_Chk_30",  "S_Chk_m", "comment",
        "h_online", "Wartung",   "Wartung_krv", "Krv4_Cal",  "Krv4_Cal1", "Krv_Cal", "Krv_Cal1",
        "Dlx_Cal",  "H_out_cal", "HZL_blatt",   "BNR_blatt", "HZL3_blatt"};
    for (const std::string& name : every) EXPECT_TRUE(seen.count(name)) << name << " never opened";
}

// The boxes and small windows the pages and the main window show: each takes the keys
// on its first control, in reading order (those without one take none).
TEST_F(WindowFocus, EveryBoxOpensWithTheKeysOnItsFirstControl) {
    ASSERT_TRUE(start(0));
    level(2);
    select(1);
    read();
    settle();
    struct Box {
        const char* name;
        ui::Form& (*open)();
        void (*close)();
    };
    auto box = []<auto & Ref>(const char* name) {
        return Box{name, []() -> ui::Form& { return *Ref; }, [] { Ref.unload(); }};
    };
    const Box boxes[] = {
        box.operator()<mainwin::enter_pass_inst>("enter_pass"),
        box.operator()<mainwin::set_pass_inst>("set_pass"),
        box.operator()<mainwin::adr_seek_inst>("adr_seek"),
        box.operator()<mainwin::bulk_update_inst>("bulk_update"),
        box.operator()<texts::lang_select_inst>("lang_select"),
        box.operator()<calib::fqn_calib_inst>("FQN_CALIB"),
        box.operator()<pages::pcb_map_inst>("pcb_map"),
        box.operator()<pages::pcb_map_2_inst>("pcb_map_2"),
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.name);
        ui::Form& f = b.open();
        user([&f] { f.show_modeless(); });
        settle();
        ASSERT_EQ(ui::active_form(), &f);
        if (!f.tab_order().empty()) expect_keys_held(b.name, true);
        expect_reading_order(f);
        user([&b] { b.close(); });
        settle();
    }
}

// A measuring run on the KRV 4.05 sheet (sensor 2, 1st point) started from its "Read in"
// button. When it ends (ready, cancelled, failed) the keys stay where the technician put
// them during the run; the button gets them back only when nothing else took them. What
// is typed into the reference field then is stored whole, and Enter starts no second run.
TEST_F(WindowFocus, TheEndOfAMeasuringRunLeavesTheKeysWhereTheUserPutThem) {
    enum class End { ready, cancel, fail };
    struct Case {
        const char* name;
        End end;
        bool field_before_end;    // the field clicked (and typed into) before the run ends
        bool field_after_cancel;  // ... after Cancel, before the run notices it
    };
    const Case cases[] = {
        {"ready, nothing clicked", End::ready, false, false},
        {"ready, field clicked", End::ready, true, false},
        {"cancelled, nothing else clicked", End::cancel, false, false},
        {"field clicked, then cancelled", End::cancel, true, false},
        {"cancelled, then field clicked", End::cancel, false, true},
        {"failed, field clicked", End::fail, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::reset_forms();
        reset_globals();
        ASSERT_TRUE(start(0));
        level(2);
        select(1);
        read();
        user([this] { ui::user_click(main().m_cal_inp); });
        settle();
        calib::Krv4_Cal* sheet = calib::krv4_cal_inst.peek();
        ASSERT_NE(sheet, nullptr);
        ASSERT_EQ(ui::active_form(), sheet);
        const std::int16_t reading_low = model::param_image[31],
                           reading_high = model::param_image[32];
        // Runs started from the button.
        int runs = 0;
        sheet->Command3D4.on_click = [&runs, run = sheet->Command3D4.on_click] {
            if (!calib::measure_run_active()) ++runs;
            run();
        };

        auto retype = [this](const std::string& text) {
            key(Qt::Key_End);
            for (int i = 0; i < 8; ++i) key(Qt::Key_Backspace);
            type(text);
        };
        if (c.field_before_end) {
            during(1.0, [&] { mouse(sheet->ph_th2_0); });
            during(1.1, [&] { retype("25"); });
        }
        if (c.end == End::cancel) during(1.2, [&] { mouse(calib::fqn_calib_inst->Command3D1); });
        if (c.field_after_cancel) {
            during(1.3, [&] { mouse(sheet->ph_th2_0); });
            during(1.4, [&] { retype("2"); });
        }
        if (c.end == End::fail) during(1.3, [this] { plant_->device(1).set_silent(true); });

        mouse(sheet->Command3D4);
        settle();
        loop_.run_for(1.0);  // nothing else is scheduled to happen
        settle();
        plant_->device(1).set_silent(false);
        EXPECT_FALSE(calib::measure_run_active());
        EXPECT_FALSE(calib::fqn_calib_inst->visible());
        EXPECT_EQ(runs, 1);
        // The sheet's window gives its keys to that control (whether or not the platform
        // made the window active again when the box went).
        ASSERT_NE(ui::focus_owner(), nullptr);
        QWidget* keys = renderer_->focus_widget(*ui::focus_owner());
        EXPECT_EQ(keys->window()->focusWidget(), keys);

        const bool stored = c.end == End::ready;
        if (!c.field_before_end && !c.field_after_cancel) {
            EXPECT_EQ(ui::focus_owner(), &sheet->Command3D4) << "back on the button";
        } else {
            EXPECT_EQ(ui::focus_owner(), &sheet->ph_th2_0) << "still in the field";
            // The technician goes on typing and ends the entry with Enter.
            if (c.field_after_cancel)
                type("50");
            else
                retype("250");
            key(Qt::Key_Return);
            settle();
            loop_.run_for(5.0);
            settle();
            EXPECT_EQ(model::param_image[35], 250);
            EXPECT_EQ(runs, 1) << "no second run";
            EXPECT_FALSE(calib::measure_run_active());
        }
        if (!stored) {
            EXPECT_EQ(model::param_image[31], reading_low);
            EXPECT_EQ(model::param_image[32], reading_high);
        }
    }
}

// The supervision pages (KRV 4.05 and 4.16, DLX 4.02) at both access levels take the
// keys at once: a tolerance typed and ended with Enter is stored, Tab walks on, and the
// blink box at the bottom is not where the keys start, so Space ticks nothing.
TEST_F(WindowFocus, TheSupervisionPageTakesTheKeysAtOnce) {
    struct Case {
        int address;
        int word;  // of the first tolerance field, dif_15_mv
    };
    const Case cases[] = {{1, 77}, {17, 77}, {20, 74}};
    for (const Case& c : cases)
        for (int lvl : {1, 2}) {
            SCOPED_TRACE("device " + std::to_string(c.address) + " level " + std::to_string(lvl));
            ui::reset_forms();
            reset_globals();
            ASSERT_TRUE(start(0));
            level(lvl);
            select(c.address);
            read();
            settle();
            user([this] { ui::user_click(main().B_Schk); });
            settle();
            ui::Form* page = ui::active_form();
            ASSERT_NE(page, &main());
            auto* blink = dynamic_cast<ui::CheckBox*>(page->control("chk_blink_on_mem"));
            ASSERT_NE(blink, nullptr);
            const int ticked = blink->value();
            const std::int16_t word_113 = model::param_image[113];
            ASSERT_EQ(ui::focus_owner(), page->control("dif_15_mv"));
            key(Qt::Key_Space);
            settle();
            key(Qt::Key_End);
            for (int i = 0; i < 6; ++i) key(Qt::Key_Backspace);
            type("4.5");
            key(Qt::Key_Return);
            settle();
            EXPECT_EQ(model::param_image[c.word], 45);
            ui::Control* second = page->control(c.address == 20 ? "out_val_dif" : "Fui_val");
            EXPECT_EQ(ui::focus_owner(), second) << "Enter went on to the next field";
            key(Qt::Key_Tab);
            settle();
            EXPECT_NE(ui::focus_owner(), second);
            EXPECT_EQ(blink->value(), ticked);
            EXPECT_EQ(model::param_image[113], word_113);
        }
}

}  // namespace
}  // namespace dvx::testing

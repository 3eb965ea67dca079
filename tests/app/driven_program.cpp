// dorvanex_driven: the desktop program itself (app/main.cpp with its services, loop,
// renderer and signal end) and, in place of a technician's hand, a driver for the tests
// of its end on a signal (program_end_test.cpp). DVX_DRIVE names a state; the driver
// takes the program there through the user's own actions (ui/input.h, posted to the
// layer as the renderer posts them, and the buttons of Qt's boxes), writes "reached" on
// stdout and sends the program the signals DVX_DRIVE_SIGNALS lists ("15", or "15,2": the
// second once the end is under way). A step that does not come about within 30 s is
// written on stdout ("stuck at NAME") and ends the program with exit code 99. Without
// DVX_DRIVE this is the plain program.
#include <signal.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/qt_services.h"
#include "calib/measure_run.h"
#include "link/register_images.h"
#include "link/transactions.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"
#include "ui/services.h"

namespace dvx::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct Step {
    std::string name;
    std::function<void()> act;   // posted to the layer as user input; empty: nothing
    std::function<bool()> done;  // looked at from Qt's loop until it holds
    // Act on Qt's side (a box's button) at every look until done, not posted once.
    bool on_qt = false;
};

void say(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const auto n = ::write(1, text.data(), text.size());
}

ui::Form* shown(const char* form) {
    ui::Form* f = ui::find_form(form);
    return f && f->loaded() && f->visible() ? f : nullptr;
}

ui::Form* main_window() {
    return shown("Hauptmenü");
}

template <class T>
T& control(const char* form, const char* name) {
    ui::Form* f = ui::find_form(form);
    ui::Control* c = f ? f->control(name) : nullptr;
    if (!c) {
        say(std::string("no control ") + form + "." + name);
        std::_Exit(99);
    }
    return static_cast<T&>(*c);
}

template <class Box>
Box* box_up() {
    auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
    return box && box->isVisible() ? box : nullptr;
}

bool idle() {
    return main_window() && !box_up<QDialog>() && !link::transaction_underway() &&
           ui::mouse_pointer() == ui::mp_default && !ui::box_up();
}

Step click(const char* form, const char* name, std::function<bool()> done) {
    return {std::string("click ") + name,
            [form, name] { ui::user_click(control<ui::Control>(form, name)); }, std::move(done)};
}

Step menu(const char* name, std::function<bool()> done) {
    return click("Hauptmenü", name, std::move(done));
}

// The OK (or Yes) of every message box that comes up, as the user's click.
Step answer_ok(std::function<bool()> done) {
    return {"OK",
            [] {
                if (auto* box = box_up<QMessageBox>()) {
                    QAbstractButton* ok = box->button(QMessageBox::Ok);
                    if (!ok) ok = box->button(QMessageBox::Yes);
                    if (ok) ok->click();
                }
            },
            std::move(done), true};
}

Step started() {
    return {"start", nullptr, [] { return main_window() && ui::active_form() == main_window(); }};
}

std::vector<Step> read_device() {
    return {click("Hauptmenü", "B_FQN_Read", [] { return box_up<QMessageBox>() != nullptr; }),
            answer_ok([] {
                return idle() && !control<ui::TextBox>("Hauptmenü", "curr_version").text().empty();
            })};
}

// Access level 2 through the password dialog, typed.
std::vector<Step> level_2() {
    return {menu("m_pas_enter", [] { return shown("enter_pass") != nullptr; }),
            {"password",
             [] {
                 ui::user_type("3947");
                 ui::user_key(ui::vk_return);
             },
             [] { return idle() && control<ui::MenuItem>("Hauptmenü", "m_calib").enabled(); }}};
}

Step select_address(int index) {
    return {
        "address " + std::to_string(index + 1),
        [index] { ui::user_select(control<ui::ListControl>("Hauptmenü", "adr_select"), index); },
        [index] {
            return idle() &&
                   control<ui::ListControl>("Hauptmenü", "adr_select").list_index() == index;
        }};
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Step> operator+(std::vector<Step> a, const Step& b) {
    a.push_back(b);
    return a;
}

bool page(const char* name) {
    return shown(name) && ui::mouse_pointer() == ui::mp_default && !box_up<QDialog>();
}

// The states the tests end the program from.
std::vector<Step> steps_of(const std::string& state) {
    if (state == "language_choice")  // the first start, before the main window loads
        return {{"language window", nullptr, [] { return shown("Lang_Select") != nullptr; }}};
    const std::vector<Step> start{started()};
    if (state == "idle") return start;
    if (state == "save_dialog")
        return start + menu("m_dat_save", [] { return box_up<QFileDialog>() != nullptr; });
    if (state == "open_dialog")
        return start + menu("m_dat_load", [] { return box_up<QFileDialog>() != nullptr; });
    if (state == "print_dialog")
        return start + menu("m_dat_print", [] { return box_up<QPrintDialog>() != nullptr; });
    if (state == "quit_question")
        return start +
               click("Hauptmenü", "B_exit", [] { return box_up<QMessageBox>() != nullptr; });
    if (state == "read_box")  // "Parameter read in.", OK alone
        return start +
               click("Hauptmenü", "B_FQN_Read", [] { return box_up<QMessageBox>() != nullptr; });
    if (state == "password_dialog")
        return start + menu("m_pas_enter", [] { return shown("enter_pass") != nullptr; });
    if (state == "input_page")
        return start + read_device() + click("Hauptmenü", "B_io", [] { return page("H_Inp"); });
    if (state == "comment_page")
        return start + read_device() +
               click("Hauptmenü", "B_comment", [] { return page("comment"); });
    if (state == "online_page")  // its polling loop runs
        return start + read_device() +
               click("Hauptmenü", "B_online", [] { return page("h_online"); });
    if (state == "diagnosis_page")
        return start + read_device() +
               click("Hauptmenü", "Command3D3", [] { return page("Wartung_krv"); });
    const std::vector<Step> calibration = start + level_2() + read_device();
    if (state == "calibration_sheet")
        return calibration + menu("m_cal_inp", [] { return page("Krv4_Cal"); });
    if (state == "measuring_run")  // the thermocouple point: input type 1 over the own 10
        return calibration + menu("m_cal_inp", [] { return page("Krv4_Cal"); }) +
               click("Krv4_Cal", "Command3D4", [] {
                   // In calibration mode: the entry has set the measuring window.
                   return calib::measure_run_active() && shown("FQN_CALIB") &&
                          link::reg_win_start == 25 && link::reg_win_count == 20 &&
                          !link::transaction_underway();
               });
    if (state == "output_calibration")
        return calibration + menu("m_cal_out", [] { return page("H_out_cal"); });
    if (state == "output_driven")
        return calibration + menu("m_cal_out", [] { return page("H_out_cal"); }) +
               Step{"slider",
                    [] { ui::user_focus(control<ui::Control>("H_out_cal", "s_out_beg")); },
                    [] {
                        return link::status_regs[51] == 1 && !link::transaction_underway() &&
                               !box_up<QDialog>();
                    }};
    if (state == "read_retry")  // no device at address 2
        return start + select_address(1) +
               click("Hauptmenü", "B_FQN_Read", [] { return link::transaction_underway(); });
    if (state == "program_retry")
        return start + read_device() + select_address(1) +
               click("Hauptmenü", "B_FQN_Write",
                     [] { return link::transaction_underway() || box_up<QMessageBox>(); }) +
               answer_ok([] { return link::transaction_underway(); });
    if (state == "bus_scan")
        return start + click("Hauptmenü", "Command3D4",
                             [] { return shown("adr_seek") && link::transaction_underway(); });
    if (state == "hzl_page") return start + menu("m_ub_hzl", [] { return page("HZL_blatt"); });
    if (state == "bnr_page") return start + menu("m_ub_bnr", [] { return page("BNR_blatt"); });
    if (state == "bulk_set")
        return start +
               click("Hauptmenü", "Command3D4",
                     [] {
                         return idle() &&
                                control<ui::ListView>("Hauptmenü", "liv_scan").item_count() > 0;
                     }) +
               Step{"parameter",
                    [] {
                        ui::user_select(control<ui::ListControl>("Hauptmenü", "cmb_bulk_param"), 0);
                    },
                    [] { return idle(); }} +
               click("Hauptmenü", "cmd_bulk_set", [] { return box_up<QMessageBox>() != nullptr; }) +
               answer_ok([] { return shown("bulk_update") != nullptr; });
    say("no such state " + state);
    std::_Exit(99);
}

class Driver {
  public:
    Driver(std::vector<Step> steps, std::vector<int> signals)
        : steps_(std::move(steps)), signals_(std::move(signals)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }

  private:
    void tick() {
        // The program says no one answers its boxes on the offscreen platform; here the
        // driver does.
        app::set_nobody_answers(false);
        if (!ui::services().loop || ui::program_ended()) return;
        if (next_ < steps_.size()) return drive();
        if (sent_ < signals_.size() && (sent_ == 0 || ui::closing())) {
            if (sent_ == 0) say("reached");
            ::kill(::getpid(), signals_[sent_++]);
        }
    }

    void drive() {
        Step& step = steps_[next_];
        if (!acted_) {
            acted_ = true;
            since_ = Clock::now();
            if (step.act && !step.on_qt) ui::services().loop->post(step.act);
        }
        if (step.act && step.on_qt) step.act();
        if (step.done()) {
            ++next_;
            acted_ = false;
        } else if (Clock::now() - since_ > std::chrono::seconds(30)) {
            say("stuck at " + step.name);
            std::_Exit(99);
        }
    }

    std::vector<Step> steps_;
    std::vector<int> signals_;
    std::size_t next_ = 0;
    bool acted_ = false;
    Clock::time_point since_;
    std::size_t sent_ = 0;
    QTimer timer_;
};

std::vector<int> signals_of(const char* list) {
    std::vector<int> out;
    for (std::string rest = list ? list : ""; !rest.empty();) {
        const auto comma = rest.find(',');
        out.push_back(std::atoi(rest.substr(0, comma).c_str()));
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return out;
}

void start_driver() {
    const char* state = std::getenv("DVX_DRIVE");
    if (!state || !*state) return;
    // Lives as long as the application; Qt's own end of the process frees it.
    auto* driver = new Driver(steps_of(state), signals_of(std::getenv("DVX_DRIVE_SIGNALS")));
    QObject::connect(qApp, &QObject::destroyed, [driver] { delete driver; });
}

}  // namespace
}  // namespace dvx::testing

namespace {
void start_dvx_driver() {
    dvx::testing::start_driver();
}
}  // namespace
Q_COREAPP_STARTUP_FUNCTION(start_dvx_driver)

#include "app/qt_loop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "platform/fault.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/form.h"
#include "ui/services.h"

namespace dvx::app {

namespace {

// Milliseconds until clock time t, rounded up so a wake never comes early.
int ms_until(platform::Clock& clock, double t) {
    const double ms = std::ceil((t - clock.now()) * 1000.0);
    if (ms <= 0) return 0;
    return static_cast<int>(std::min(ms, 24.0 * 3600 * 1000));
}

bool any_form_shown() {
    for (ui::Form* f : ui::loaded_forms())
        if (f->alive() && f->visible()) return true;
    return false;
}

struct Depth {
    explicit Depth(int& d) : d_(d) { ++d_; }
    ~Depth() { --d_; }
    int& d_;
};

}  // namespace

QtEventLoop::QtEventLoop(platform::Clock& clock) : clock_(clock) {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake_, &QTimer::timeout, this, [this] { pump_top(); });
    idle_wake_.setSingleShot(true);
    idle_wake_.setTimerType(Qt::PreciseTimer);
    box_tick_.setSingleShot(true);
    box_tick_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&box_tick_, &QTimer::timeout, this, [this] { tick_under_box(); });
}

void QtEventLoop::box_opened() {
    const double due = ui::next_timer_due();
    if (std::isfinite(due)) box_tick_.start(ms_until(clock_, due));
}

// Layer code run from Qt's own loop. Exceptions never pass into Qt: the end of the
// program and unhandled faults stop everything here. False when it stopped.
bool QtEventLoop::guarded(const std::function<void()>& work) {
    try {
        Depth depth(depth_);
        work();
        return true;
    } catch (const ui::ProgramEnded&) {
        finish(ui::program_exit_code());
    } catch (const std::exception& e) {
        if (on_unhandled) on_unhandled(platform::text_of(e));
        finish(1);
    }
    return false;
}

// Runs inside the box's own Qt loop: the end of the program or a fault closes the box
// and stops everything, as at the top level.
void QtEventLoop::tick_under_box() {
    if (!ui::box_up() || finished_) return;
    if (!guarded([] { ui::fire_due_timers(); })) return;
    if (ui::box_up()) box_opened();
}

void note_box_opened() {
    if (auto* loop = dynamic_cast<QtEventLoop*>(ui::services().loop)) loop->box_opened();
}

bool QtEventLoop::input_ready() const {
    return !queue_.empty() && !ui::box_up();
}

void QtEventLoop::post(std::function<void()> input) {
    queue_.push_back(std::move(input));
    if (depth_ == 0 && running_) arm();
}

// The input queued before this pump point, in order; what its handlers queue waits.
void QtEventLoop::run_queued() {
    if (ui::box_up()) return;
    for (std::size_t n = queue_.size(); n > 0 && !queue_.empty(); --n) {
        auto input = std::move(queue_.front());
        queue_.pop_front();
        input();
        if (ui::box_up()) break;
    }
}

void QtEventLoop::do_events() {
    // Ended under a box (a timer's End or fault): the code that showed it stops here.
    if (finished_) ui::end_program(exit_code_);
    Depth depth(depth_);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Ended from outside the layer meanwhile (a signal): no more input runs.
    if (finished_) ui::end_program(exit_code_);
    run_queued();
    ui::fire_due_timers();
    // What the input and the timers changed reaches the screen in this pass, not at the
    // next one (a polling page passes here once a cycle): the renderer's flush is a
    // posted call, and the repaints it asks for are posted in their turn. Only posted
    // events go: new user input waits for the next pass.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void QtEventLoop::idle_until(double t) {
    if (finished_) ui::end_program(exit_code_);
    Depth depth(depth_);
    for (;;) {
        if (input_ready() || ui::program_ended()) return;
        const double until = std::min(t, ui::next_timer_due());
        if (clock_.now() >= until) return;
        if (std::isfinite(until)) idle_wake_.start(ms_until(clock_, until));
        // Sleeps in the dispatcher until a Qt event arrives (the user, a wake timer).
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        idle_wake_.stop();
    }
}

void QtEventLoop::arm() {
    if (finished_) return;
    const int ms =
        input_ready()
            ? 0
            : (std::isfinite(ui::next_timer_due()) ? ms_until(clock_, ui::next_timer_due()) : -1);
    if (ms < 0) {
        wake_.stop();
        return;
    }
    if (!wake_.isActive() || wake_.remainingTime() > ms) wake_.start(ms);
}

void QtEventLoop::finish(int code) {
    if (finished_) return;
    finished_ = true;
    exit_code_ = code;
    wake_.stop();
    QCoreApplication::exit(code);
}

// A pump point at the top level, run from Qt's own loop.
void QtEventLoop::pump_top() {
    if (depth_ > 0 || finished_) return;
    if (!guarded([this] {
            run_queued();
            ui::fire_due_timers();
            if (at_top_level) at_top_level();
        }))
        return;
    ui::free_unloaded_forms();
    if (ui::program_ended()) {
        finish(ui::program_exit_code());
        return;
    }
    if (!any_form_shown()) {
        finish(0);
        return;
    }
    arm();
}

int QtEventLoop::run() {
    if (finished_) return exit_code_;
    running_ = true;
    wake_.start(0);  // a first pump: input and timers set up before the loop ran
    QCoreApplication::exec();
    running_ = false;
    finished_ = true;
    return exit_code_;
}

}  // namespace dvx::app

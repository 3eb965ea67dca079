#include "ui/headless_loop.h"

#include <algorithm>
#include <cmath>

#include "ui/app.h"

namespace dvx::ui {

HeadlessLoop::HeadlessLoop(platform::Clock& clock)
    : clock_(clock), guard_time_start_(clock.now()) {}

void HeadlessLoop::post(std::function<void()> input) {
    ready_.push_back({++seq_, std::move(input)});
}

void HeadlessLoop::post_after_pumps(std::uint64_t pumps, std::function<void()> input) {
    if (pumps == 0) return post(std::move(input));
    later_.push_back({++seq_, pumps_ + pumps + 1, 0, std::move(input)});
}

void HeadlessLoop::post_at(double t, std::function<void()> input) {
    later_.push_back({++seq_, 0, t, std::move(input)});
}

void HeadlessLoop::post_after(double seconds, std::function<void()> input) {
    post_at(clock_.now() + seconds, std::move(input));
}

// Scheduled input whose pump or time has come joins the ready queue, earliest first.
void HeadlessLoop::promote_due(double now) {
    if (later_.empty()) return;
    std::vector<Later> due;
    auto keep = std::partition(later_.begin(), later_.end(), [&](const Later& l) {
        return l.at_pump ? l.at_pump > pumps_ : l.at_time > now;
    });
    due.assign(std::make_move_iterator(keep), std::make_move_iterator(later_.end()));
    later_.erase(keep, later_.end());
    std::sort(due.begin(), due.end(), [](const Later& a, const Later& b) {
        const double ka = a.at_pump ? -1.0 : a.at_time, kb = b.at_pump ? -1.0 : b.at_time;
        return ka != kb ? ka < kb : a.seq < b.seq;
    });
    for (auto& l : due) ready_.push_back({++seq_, std::move(l.fn)});
}

void HeadlessLoop::do_events() {
    ++pumps_;
    check_guard();
    promote_due(clock_.now());
    if (!box_up()) {
        // Only what was queued before this pump; later input waits for the next one.
        const std::uint64_t last = seq_;
        while (!ready_.empty() && ready_.front().seq <= last && !box_up()) {
            auto fn = std::move(ready_.front().fn);
            ready_.pop_front();
            fn();
        }
    }
    fire_due_timers();
}

bool HeadlessLoop::input_ready() const {
    return !ready_.empty() && !box_up();
}

double HeadlessLoop::next_scheduled() const {
    double next = std::numeric_limits<double>::infinity();
    for (const auto& l : later_) {
        if (l.at_pump) return -std::numeric_limits<double>::infinity();  // the next pump
        next = std::min(next, l.at_time);
    }
    return next;
}

void HeadlessLoop::idle_until(double t) {
    check_guard();
    if (input_ready()) return;
    const double next = std::min({t, next_timer_due(), next_scheduled()});
    if (next == -std::numeric_limits<double>::infinity()) return;
    if (std::isinf(next)) {
        // Nothing queued, no timer, no script: a modal loop would wait forever.
        trip("a modal loop waits with no input, timer or script left");
    }
    clock_.sleep_until(next);
    check_guard();
}

void HeadlessLoop::run_pending() {
    std::uint64_t rounds = 0;
    promote_due(clock_.now());
    do {
        do_events();
        if (++rounds > guard_max_pumps_) trip("input keeps arriving: run_pending does not settle");
        promote_due(clock_.now());
    } while (input_ready());
}

void HeadlessLoop::run_until(double t) {
    for (;;) {
        do_events();
        if (clock_.now() >= t) return;
        const double next = std::min({t, next_timer_due(), next_scheduled()});
        if (input_ready() || next == -std::numeric_limits<double>::infinity()) continue;
        clock_.sleep_until(next);
    }
}

void HeadlessLoop::run_for(double seconds) {
    run_until(clock_.now() + seconds);
}

void HeadlessLoop::set_guard(std::uint64_t max_pumps, double max_seconds) {
    guard_pumps_start_ = pumps_;
    guard_max_pumps_ = max_pumps;
    guard_time_start_ = clock_.now();
    guard_max_seconds_ = max_seconds;
}

void HeadlessLoop::check_guard() {
    if (pumps_ - guard_pumps_start_ > guard_max_pumps_)
        trip("more than " + std::to_string(guard_max_pumps_) + " pumps: a loop runs out of script");
    if (clock_.now() - guard_time_start_ > guard_max_seconds_)
        trip("more than " + std::to_string(guard_max_seconds_) +
             " s of clock time: a loop runs out of script");
}

void HeadlessLoop::trip(const std::string& why) {
    if (trip_.empty()) trip_ = why;
    throw LoopGuardTripped{"loop guard: " + why};
}

}  // namespace dvx::ui

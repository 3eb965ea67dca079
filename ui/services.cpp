#include "ui/services.h"

#include "ui/fault.h"

namespace dvx::ui {

Services& services() {
    static Services s;
    return s;
}

Clock& clock() {
    if (!services().clock) throw UiFault("No clock installed");
    return *services().clock;
}

void do_events() {
    if (services().loop) services().loop->do_events();
}

void wait_yielding(double seconds) {
    if (seconds <= 0) return;
    Clock& c = clock();
    const double end = c.now() + seconds;
    for (;;) {
        do_events();
        if (c.now() >= end) return;
        if (services().loop)
            services().loop->idle_until(end);
        else
            c.sleep_until(end);
    }
}

static int show_box(MsgBoxRequest req) {
    if (!services().boxes) throw UiFault("No message box service installed");
    return services().boxes->show(req);
}

int msg_box(const std::string& prompt, int style) { return show_box({prompt, style, std::nullopt}); }

int msg_box(const std::string& prompt, int style, const std::string& title) {
    return show_box({prompt, style, title});
}

}  // namespace dvx::ui

#include "app/signal_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

#include "app/qt_services.h"
#include "ui/app.h"

namespace dvx::app {

namespace {

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP};
// How often the closing steps run again while a handler still runs: a window that refused
// to close (a sheet during its measuring run) or one opened meanwhile is closed then.
constexpr int again_ms = 100;

int wake_pipe[2] = {-1, -1};
volatile std::sig_atomic_t signalled = 0;

void take_default(int s) {
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(s, &sa, nullptr);
}

void on_signal(int s) {
    if (signalled) {
        // A second one while the end runs: the signal's own default, at once (it is
        // blocked in here and taken as soon as the handler returns).
        take_default(s);
        ::raise(s);
        return;
    }
    signalled = 1;
    const int saved = errno;
    const char byte = 1;
    // The write end does not block: a pipe full of earlier signals says enough already.
    [[maybe_unused]] const auto n = ::write(wake_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

SignalEnd::SignalEnd(QtEventLoop& loop, std::function<void()> close, std::function<void()> end)
    : loop_(loop), close_(std::move(close)), end_(std::move(end)) {
    again_.setInterval(again_ms);
    QObject::connect(&again_, &QTimer::timeout, this, [this] { step(); });
    if (::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the signals stay as they are
    signalled = 0;
    notifier_ = std::make_unique<QSocketNotifier>(wake_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { noticed(); });
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sa.sa_flags = SA_RESTART;  // the waits and file writes the signal meets go on
    ::sigemptyset(&sa.sa_mask);
    for (const int s : ending_signals) ::sigaction(s, &sa, nullptr);
}

SignalEnd::~SignalEnd() {
    loop_.at_top_level = nullptr;
    if (!notifier_) return;
    for (const int s : ending_signals) take_default(s);
    notifier_.reset();
    ::close(wake_pipe[0]);
    ::close(wake_pipe[1]);
    wake_pipe[0] = wake_pipe[1] = -1;
}

void SignalEnd::noticed() {
    char bytes[64];
    while (::read(wake_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (closing_ || ui::program_ended()) return;
    closing_ = true;
    // From here every box is answered at once as cancelled, and the main window ends at
    // the first pump point of the top level, where no handler runs any more.
    ui::begin_closing();
    loop_.at_top_level = [this] { end_(); };
    step();
    again_.start();
}

// Closes Qt's boxes at once (their Cancel, from within their own loops) and the windows at
// the next pump point, as the user's input would come.
void SignalEnd::step() {
    cancel_open_boxes();
    if (step_queued_) return;
    step_queued_ = true;
    loop_.post([this] {
        step_queued_ = false;
        close_();
    });
}

}  // namespace dvx::app

#include "app/signal_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "ui/app.h"

namespace dvx::app {

namespace {

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP};

int wake_pipe[2] = {-1, -1};

void on_signal(int) {
    const int saved = errno;
    const char byte = 1;
    // The write end does not block: a pipe full of earlier signals says enough already.
    [[maybe_unused]] const auto n = ::write(wake_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

SignalEnd::SignalEnd(QtEventLoop& loop, std::function<void()> end)
    : loop_(loop), end_(std::move(end)) {
    if (::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the signals stay as they are
    notifier_ = std::make_unique<QSocketNotifier>(wake_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { noticed(); });
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sa.sa_flags = SA_RESTART;  // the waits and file writes the signal meets go on
    ::sigemptyset(&sa.sa_mask);
    for (const int s : ending_signals) ::sigaction(s, &sa, nullptr);
}

SignalEnd::~SignalEnd() {
    if (!notifier_) return;
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    ::sigemptyset(&sa.sa_mask);
    for (const int s : ending_signals) ::sigaction(s, &sa, nullptr);
    notifier_.reset();
    ::close(wake_pipe[0]);
    ::close(wake_pipe[1]);
    wake_pipe[0] = wake_pipe[1] = -1;
}

void SignalEnd::noticed() {
    char bytes[64];
    while (::read(wake_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (ui::program_ended()) return;  // a second signal while ending
    loop_.run_outside(end_);
}

}  // namespace dvx::app

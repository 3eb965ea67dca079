#pragma once
// SIGINT, SIGTERM and SIGHUP (Ctrl+C in a terminal, kill, a terminal closed) end the
// program through its own end, so the port is closed with its exclusive mode given back
// and the settings are saved as at the end of a session. The handler itself only writes
// a byte into a pipe, which is safe in a signal handler; Qt's loop sees the pipe and runs
// the end as layer code, from wherever the program stands (a pause, a box, a modal form).
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "app/qt_loop.h"

namespace dvx::app {

class SignalEnd final : public QObject {
  public:
    // `end` ends the program (ui::end_program); it runs once, at the first signal. The
    // signals take their default action again when this is destroyed.
    SignalEnd(QtEventLoop& loop, std::function<void()> end);
    ~SignalEnd() override;
    SignalEnd(const SignalEnd&) = delete;
    SignalEnd& operator=(const SignalEnd&) = delete;

  private:
    void noticed();

    QtEventLoop& loop_;
    std::function<void()> end_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace dvx::app

#pragma once
// SIGINT, SIGTERM and SIGHUP (Ctrl+C in a terminal, kill, a terminal closed) end the
// program as the technician's own hand would, from wherever it stands: the boxes and
// dialogs that are up are closed as cancelled and their handlers return, the open windows
// close through their own Unload (a measuring run ends through its Cancel and switches the
// input back, the output calibration releases the output), a transaction under way ends
// within its own waits, and then the main window ends (the settings saved; on the way
// out the port's exclusive mode is given back). A second signal meanwhile ends the program
// at once. The handler itself only writes a byte into a pipe, which is safe in a signal
// handler; Qt's loop sees the pipe and runs the steps as layer code.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/qt_loop.h"

namespace dvx::app {

class SignalEnd final : public QObject {
  public:
    // `close` closes every window but the main one through its own Unload; it runs at the
    // first signal and again every little while until `end`, the main window's end (which
    // ends the program: ui::end_program), runs once no handler runs any more. The signals
    // take their default action again when this is destroyed.
    SignalEnd(QtEventLoop& loop, std::function<void()> close, std::function<void()> end);
    ~SignalEnd() override;
    SignalEnd(const SignalEnd&) = delete;
    SignalEnd& operator=(const SignalEnd&) = delete;

  private:
    void noticed();
    void step();

    QtEventLoop& loop_;
    std::function<void()> close_;
    std::function<void()> end_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer again_;
    bool closing_ = false;
    bool step_queued_ = false;
};

}  // namespace dvx::app

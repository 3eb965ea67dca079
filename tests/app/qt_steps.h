#pragma once
// The user's steps in the Qt tests of the program: Qt's events and the layer's queued
// input run until both are quiet, and a step taken at a time while layer code pumps
// (a modal window, a progress box, a measuring run) sees Qt's events first, as the
// desktop would have them.
#include <QCoreApplication>
#include <functional>
#include <utility>

#include "app/renderer.h"
#include "ui/headless_loop.h"

namespace dvx::testing {

inline void settle_qt(ui::HeadlessLoop& loop, app::Renderer& renderer) {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        loop.run_pending();
        renderer.flush();
        QCoreApplication::processEvents();
        if (loop.pending() == 0 && renderer.pending_changes() == 0) return;
    }
}

inline void step_after(ui::HeadlessLoop& loop, double after, std::function<void()> step) {
    loop.post_after(after, [step = std::move(step)] {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        step();
    });
}

}  // namespace dvx::testing

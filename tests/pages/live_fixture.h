#pragma once
// The main window on the simulated bus with the transmitter pages' openers installed,
// and a live page run by the user: a button of the main window clicked, the page's
// Back button clicked a while later (clock time), both at pump points.
#include <functional>

#include "mainwin/page_openers.h"
#include "pages/openers.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/input.h"

namespace dvx::testing {

class LivePageFixture : public DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        pages::install_openers();
        boxes_.answer_all(ui::id_ok);
    }
    void TearDown() override {
        mainwin::page_openers() = {};
        DeviceFixture::TearDown();
    }

    // Clicks `button`; `back` runs `after` seconds later (it finds the page by itself:
    // the page may have been loaded anew in between).
    void run_page(ui::Control& button, double after, const std::function<void()>& back) {
        loop_.post_after(after, back);
        click(button);
    }
    // At clock time `at` (seconds from now) `what` happens, at the next pump point.
    void at(double seconds, std::function<void()> what) {
        loop_.post_after(seconds, std::move(what));
    }

    // Requests of one kind in the log (any register on the wire).
    int count_requests(int function, int count) const {
        int n = 0;
        for (const Request& r : requests())
            if (r.function == function && r.count == count) ++n;
        return n;
    }
};

}  // namespace dvx::testing

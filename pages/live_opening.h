#pragma once
// What the online and diagnosis pages share: their buttons' overwrite question, fresh
// read of the device in hand (type, family, parameter block, output mode) that becomes
// the new unchanged state, and version gate; the polling loop; the run-time fault box.
#include <cstdint>
#include <functional>
#include <string>

#include "ui/form.h"


namespace dvx::pages {

enum class LivePage { online, diagnosis };

// 0: go on and open the page (open_page of page_open.h). 1: stopped (Cancel at the question, a port fault, no
// answer, an unknown device or an unsupported version; the box has been shown). With
// the DLX family the online page's read sets word 99 to 19.
std::int16_t reread_for_live_page(LivePage page);

// Runs a live page's button handler: a fault of the window layer or the port shows its
// own text and ends it with the default pointer.
void run_trapped(const std::function<void()>& handler);

// The loop of a live page: `prepare`, then `cycle` while the page is visible (tested at
// the top of each cycle), with a 0.5 s pause letting events run when bus_mode is not 0
// and one pass of events after each cycle. A cycle returns false when the link failed:
// `failure` is shown and the loop ends. A fault of the window layer or the port shows
// its own text and ends it too. Every way out shows the main window and hides the page.
void poll_live_page(ui::Form& page, const std::function<void()>& prepare,
                    const std::function<bool()>& cycle, const std::string& failure);

}  // namespace dvx::pages

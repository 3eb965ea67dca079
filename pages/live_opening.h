#pragma once
// What the main window's online and diagnosis buttons share before their page polls:
// the overwrite question, a fresh read of the device in hand (type, family, parameter
// block, output mode) that becomes the new unchanged state, and the version gate; and
// the run-time fault box of their handlers.
#include <cstdint>
#include <string>


namespace dvx::pages {

enum class LivePage { online, diagnosis };

// 0: go on and open the page (open_page of page_open.h). 1: stopped (Cancel at the question, a port fault, no
// answer, an unknown device or an unsupported version; the box has been shown). With
// the DLX family the online page's read sets word 99 to 19.
std::int16_t reread_for_live_page(LivePage page);

// Shows a run-time fault's own text in a box titled "DORVANEX".
void show_fault(const std::string& text);

}  // namespace dvx::pages

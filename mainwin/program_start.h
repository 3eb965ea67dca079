#pragma once
// The program start. The caller (the desktop program, or a test) installs the
// platform services first; Main returns with the main window shown, or ends the
// program through ui::end_program().
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "ui/event_loop.h"
#include "ui/message_box.h"

namespace dvx::mainwin {

// Reads the language (a registry that cannot be read ends the program with "Can not
// access registry. Must abort."), lets the user choose a language when none is stored,
// loads the main window under the stored window placement, shows it and clears the
// parameter snapshot. Nothing is sent to a device. A start that gives up (the registry,
// a fault before the main window) ends the program with exit code start_aborted.
constexpr int start_aborted = 1;
void Main();

// The end of the session from outside the windows (the desktop program's signals), as
// the technician's hand would end it. close_session_windows closes every window but the
// main window through its own Unload (the one opened last first): a page gives the main
// window back, the output calibration releases the output, the measuring run's box
// cancels the run; a window that refuses (a sheet while its run ends) stays for the next
// call. end_session, once no handler runs any more, closes what is left that way and then
// ends as closing the main window by its frame does: the placement saved and the program
// ended (ui::end_program, which throws).
void close_session_windows();
[[noreturn]] void end_session();

// The services a start without a screen runs on; a null entry keeps the one already
// installed in ui::services().
struct StartServices {
    platform::Clock* clock = nullptr;
    ui::EventLoop* loop = nullptr;
    ui::MessageBoxes* boxes = nullptr;
    platform::Registry* registry = nullptr;
    platform::Files* files = nullptr;  // the working folder of the marker and settings files
    platform::SerialPort* port = nullptr;
};

// Installs the given services and runs Main. True when the main window is shown,
// false when the start ended the program.
bool start_headless(const StartServices& services = {});

}  // namespace dvx::mainwin

#pragma once
// The platform services the system uses, reached through one global set as the
// original reached its toolkit's global objects. Tests install doubles; the desktop
// program installs the real ones. Nothing here owns the services.
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "ui/app.h"
#include "ui/event_loop.h"
#include "ui/file_dialog.h"
#include "ui/keyboard.h"
#include "ui/message_box.h"
#include "ui/printer.h"
#include "ui/text_metrics.h"

namespace dvx::ui {

// The program's name: the title its own boxes give, and the default title of the rest.
inline constexpr const char* program_title = "DORVANEX";

struct Services {
    platform::Clock* clock = nullptr;
    EventLoop* loop = nullptr;
    MessageBoxes* boxes = nullptr;
    platform::Registry* registry = nullptr;
    platform::Files* files = nullptr;
    // The one serial port behind the serial-port control of the main window.
    platform::SerialPort* port = nullptr;
    // Title of boxes shown without one of their own.
    std::string app_title = program_title;
    FileDialogs* dialogs = nullptr;
    Printer* printer = nullptr;              // null: no printer (printing faults)
    KeyboardState* keyboard = nullptr;       // null: the layer's own key record
    TextMetrics* metrics = nullptr;          // null: the headless metric
    TextRows* rows = nullptr;                // null: a multi-line box's stored lines
    platform::Calendar* calendar = nullptr;  // null: the system date
    // The screen in twips (for maximised forms): 1024 x 768 pixels at 15 twips.
    int screen_width = 15360;
    int screen_height = 11520;
};

Services& services();
platform::Clock& clock();

// Shows a modal message box and returns the button pressed (id_ok ...). The box takes
// the focus while it is up (LostFocus of the focused control, nested), runs one pump
// (due timers tick; queued input waits), and gives the focus back (GotFocus) when it
// closes. It never raises Activate.
int msg_box(const std::string& prompt, int style = mb_ok);
int msg_box(const std::string& prompt, int style, const std::string& title);
// A box with OK only, no icon, under program_title.
void show_titled(const std::string& prompt);

}  // namespace dvx::ui

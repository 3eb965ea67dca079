#pragma once
// The platform services the system uses, reached through one global set as the
// original reached its toolkit's global objects. Tests install doubles; the desktop
// program installs the real ones. Nothing here owns the services.
#include <string>

#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/files.h"
#include "ui/message_box.h"
#include "ui/registry.h"
#include "ui/serial_port.h"

namespace dvx::ui {

struct Services {
    Clock* clock = nullptr;
    EventLoop* loop = nullptr;
    MessageBoxes* boxes = nullptr;
    Registry* registry = nullptr;
    Files* files = nullptr;
    // The one serial port behind the serial-port control of the main window.
    SerialPort* port = nullptr;
    // Title of boxes shown without one of their own.
    std::string app_title = "DORVANEX";
};

Services& services();
Clock& clock();

// Shows a modal message box and returns the button pressed (id_ok ...).
int msg_box(const std::string& prompt, int style = mb_ok);
int msg_box(const std::string& prompt, int style, const std::string& title);

}  // namespace dvx::ui

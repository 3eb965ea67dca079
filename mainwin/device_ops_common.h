#pragma once
// Small pieces the device operations of the main window share.
#include <string>

#include "texts/messages.h"
#include "ui/app.h"
#include "ui/message_box.h"
#include "ui/services.h"

namespace dvx::mainwin::ops {

inline constexpr const char* title = ui::program_title;
inline constexpr const char* crlf = "\r\n";

// A message with an OK button, no icon, under the program's title.
inline void show(const std::string& text) {
    ui::show_titled(text);
}

// "No connection" with why (the port's fault text: device and reason) on a second line.
inline void show_no_connection(const std::string& detail) {
    show(detail.empty() ? texts::msg_no_connection : texts::msg_no_connection + crlf + detail);
}

// The hourglass for the length of an operation, the default pointer after it however
// it ends.
class Hourglass {
  public:
    Hourglass() { ui::set_mouse_pointer(ui::mp_hourglass); }
    ~Hourglass() { ui::set_mouse_pointer(ui::mp_default); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

}  // namespace dvx::mainwin::ops

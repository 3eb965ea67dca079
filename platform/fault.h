#pragma once
// The fault an operating-system service or the window layer refuses an operation with,
// and the one table of its texts. A technician reads the text, in the program's language
// once one is chosen (English before, as the language choice window speaks), so callers
// that show "the fault's own text" show something fixed per kind.
#include <stdexcept>
#include <string>

namespace dvx::platform {

enum class FaultText {
    // files
    permission_denied,
    path_not_found,
    disk_full,
    device_io_error,
    path_file_access_error,
    file_in_use,
    file_not_found,
    // the settings store
    settings_unreadable,
    settings_damaged,
    settings_unwritable,
    settings_in_use,
    // the serial port (the system's reason follows the names of an operation)
    port,
    port_open,
    port_read,
    port_write,
    port_settings,
    port_received_count,
    port_send_count,
    port_in_use,
    port_not_open,
    port_already_open,
    port_write_no_room,
    invalid_port_number,
    invalid_port_settings,
    no_port,
    // the window layer
    invalid_call,
    invalid_value,
    no_object,
    no_property,
    bad_subscript,
    no_array_element,  // %1: the index
    cant_move,
    cancel,
    printer,
    type_mismatch,
    overflow,
    // a service the program did not install
    no_clock,
    no_event_loop,
    no_message_boxes,
    no_file_dialogs,
    no_files,
    no_registry,
};

enum class FaultLanguage { german, english, dutch };

// The language the texts are given in from now on (English until set).
void set_fault_language(FaultLanguage lang);
FaultLanguage fault_language();

// The text in the fault language, Windows-1252; %1 replaced by `arg`.
std::string fault_text(FaultText id, const std::string& arg = {});
std::string fault_text(FaultText id, FaultLanguage lang);

// The system's reason for the error number (strerror, in the language and character set of
// the process's locale) as Windows-1252 text, converted once: every character the code
// page has, '?' for the others.
std::string system_reason(int err);

class Fault : public std::runtime_error {
  public:
    explicit Fault(FaultText id) : Fault(fault_text(id)) {}
    // A text made of the table's texts and the system's reasons or paths.
    explicit Fault(const std::string& text) : std::runtime_error(text), text_(text) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The text of any exception as Windows-1252: a Fault's own, any other's (the library's
// or the system's bytes, naming a path as it is) converted as the system's text.
std::string text_of(const std::exception& e);

}  // namespace dvx::platform

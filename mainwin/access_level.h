#pragma once
// The main window's controls guarded by the port and by the password level
// (model/access.h holds the passwords).
namespace dvx::mainwin {

// Disables the guarded controls, then enables what the typed password opens: level 1
// the programming button, the work pages and the identity fields; level 2 also the
// calibration menu and the "overwrite calibration values" box (checked again only
// when it was checked). Buttons that need the link stay off while the port is closed.
void apply_access_level();

// Sets the buttons that need the serial port by link::port_status, then applies the
// access level.
void enable_main_controls();

}  // namespace dvx::mainwin

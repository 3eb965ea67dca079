#pragma once
// The program start. The caller (the desktop program, or a test) installs the
// platform services first; Main returns with the main window shown, or ends the
// program through ui::end_program().
namespace dvx::mainwin {

void Main();

}  // namespace dvx::mainwin

#pragma once
// The two password levels. Level 1 opens the settings (programming, work pages, the
// identity fields), level 2 the calibration as well. There is no log-in state: the
// level is worked out from these three texts each time the main window's controls are
// set up.
#include <string>

namespace dvx::model {

// Level-1 password; empty means level 1 is open.
inline std::string password_level_1;
// Level-2 password; the main window's load sets the default before the connection
// settings file may replace it.
inline constexpr const char* password_level_2_default = "3947";
inline std::string password_level_2 = password_level_2_default;
// The password the user typed last; empty at start.
inline std::string entered_password;

// Windows-1252 upper case (ASCII and the accented letters of the code page).
std::string upper_case_1252(const std::string& text);

// The typed password opens `level` when both match apart from letter case (no trimming).
bool password_opens(const std::string& level, const std::string& entered);

}  // namespace dvx::model

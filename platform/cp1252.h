#pragma once
// The one boundary between the core's Windows-1252 text and UTF-8 (source literals,
// the desktop renderer). Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in
// Windows-1252; they map to U+0081.. so a round trip keeps every byte.
#include <string>
#include <string_view>

namespace dvx::platform {

// UTF-8 to Windows-1252. A string that is not valid UTF-8 is taken to be
// Windows-1252 already and returned unchanged; characters outside the code page
// become '?'.
std::string to_cp1252(std::string_view utf8);
// The same for the tables' UTF-8 literals (u8"..."), converted once when they are filled.
std::string utf8_to_cp1252(std::u8string_view utf8);
// Windows-1252 to UTF-8.
std::string to_utf8(std::string_view cp1252);

}  // namespace dvx::platform

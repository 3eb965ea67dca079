#pragma once
// The one boundary between the core's Windows-1252 text and UTF-8: the source's literals,
// the desktop renderer, and the operating system. The system's names, paths and reasons
// are its own bytes (UTF-8 on this system, though a file name may hold any byte): they
// stay so below the window, and are converted once where they enter a Windows-1252 text
// (a fault's, a message's) or leave for the terminal. Bytes 0x81, 0x8D, 0x8F, 0x90 and
// 0x9D have no character in Windows-1252; they map to U+0081.. so a round trip keeps
// every byte.
#include <string>
#include <string_view>

namespace dvx::platform {

// UTF-8 to Windows-1252 (the renderer's Qt texts, names in the source). A string that is
// not valid UTF-8 is taken to be Windows-1252 already and returned unchanged;
// characters outside the code page become '?'.
std::string to_cp1252(std::string_view utf8);
// The same for the tables' UTF-8 literals (u8"..."), converted once when they are filled.
std::string utf8_to_cp1252(std::u8string_view utf8);
// Windows-1252 to UTF-8: for the screen, the terminal, and a name the core hands to the
// system (a file name made of a TAG).
std::string to_utf8(std::string_view cp1252);

// A name, path or text the system gave, where it enters a Windows-1252 text: every
// character Windows-1252 has, '?' for each other character and for each byte that is no
// UTF-8. Never taken for Windows-1252 already.
std::string system_to_cp1252(std::string_view system);
// The system's bytes for the terminal: valid UTF-8 as it is, '?' for each byte that is
// no UTF-8.
std::string system_to_utf8(std::string_view system);

}  // namespace dvx::platform

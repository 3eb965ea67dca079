#pragma once
// The tables of texts are written as UTF-8 literals (u8"...") and converted once, when
// they are filled, into the Windows-1252 bytes the system's texts are made of.
#include <string>
#include <string_view>

namespace dvx::texts {

// A character without a Windows-1252 byte becomes "?" (the platform's conversion,
// `platform/cp1252.h`).
std::string utf8_to_cp1252(std::u8string_view utf8);

}  // namespace dvx::texts

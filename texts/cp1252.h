#pragma once
// Conversion of the UTF-8 literals in our source into the Windows-1252 bytes that the
// system's texts are made of. Tables of texts convert once, when they are filled.
#include <string>
#include <string_view>

namespace dvx::texts {

// A character without a Windows-1252 byte, and every malformed UTF-8 sequence, becomes "?".
std::string utf8_to_cp1252(std::u8string_view utf8);

}  // namespace dvx::texts

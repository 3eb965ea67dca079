#pragma once
// The comment text of a transmitter: up to 2000 characters in its comment memory,
// registers 2000..2999, and the one place the program keeps the current device's
// comment, the main window's hidden store `Komentar` (view_bindings.h).
//
// Device format (comment_block), word i = register 2000 + i = comment_regs[i]:
// character 2i+1 (counting from 1) in the HIGH byte, character 2i+2 in the LOW byte,
// Windows-1252 bytes as they are (no national codes), lines ended by CR LF, the byte 3
// right after the text when it is shorter than 2000 characters, blanks after that.
// "ABC" + end mark packs as 0x4142, 0x4303, then 0x2020 up to word 999.
#include <string>

namespace dvx::model {

// Fills comment_regs words 0..999 from the text; the caller has appended the end
// mark (character 3) when the text is shorter than 2000 characters. Shorter texts are
// filled with blanks; characters after the 2000th are ignored. Word 1000 is untouched.
void comment_to_words(const std::string& text);

// Sets the comment store from comment_regs words 0..999: high byte first; bytes 32..254,
// CR, LF and 3 stand for themselves, any other byte (0, tab, 255 ...) for a blank; cut
// before the first byte 3; blanks trimmed at both ends (CR and LF stay).
void words_to_comment();

// Empties the comment store (every read of a device's parameters does this).
void clear_comment_text();

// Prints the comment page on the default printer: title with today's date, rule,
// tag/version and serial/address lines, then the comment store in lines of at most 80
// characters (empty lines left out). A printer fault shows its own text in a box
// titled "DORVANEX" and stops the print-out. The hourglass shows while it prints.
void print_comment_page();

}  // namespace dvx::model

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

#include "ui/fault.h"
#include "ui/printer.h"

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

// What every print-out of a device begins with: the printer reset, a margin of 1400
// twips, "courier new" at size 10 with every attribute off, a line at size 5 and
// `empty_lines` at size 10, the title followed by today's date ("dd-mm-yyyy"), a rule of
// 71 "-", the TAG/version and serial/address lines and one empty line. Printer faults
// are thrown (UiFault).
ui::Printer& begin_device_print(const std::string& title, int empty_lines);

// The end of a print-out broken off by a printer fault: the unfinished document is
// discarded, the pointer set back and the fault's text shown under "DORVANEX".
void print_failed(const ui::UiFault& fault);

}  // namespace dvx::model

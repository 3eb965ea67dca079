#pragma once
// The checksummed file container every file of the program's folder uses (marker
// files, configuration files, the connection settings file), the "|" field splitter
// of the texts kept in it, and the number reading those fields need.
//
// Layout: content bytes, the byte 26, then the sum as decimal text with a sign
// position (" 65441"). The sum is the total over the content of (byte Xor &H5555).
// A file whose sum does not match reads as the empty text, so a damaged or
// hand-edited file counts as absent.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dvx::model {

inline constexpr char checked_end_mark = 26;
// The longest content a reader accepts; longer content reads as empty.
inline constexpr std::size_t checked_max_content = 32767;
// The largest checked file: that content, the end mark and the longest sum text of a
// signed 32-bit sum (its sign position and ten digits), 32,779 bytes. A larger file is
// no checked file and reads as empty; no more than one byte beyond this is read of it.
inline constexpr std::size_t checked_max_file = checked_max_content + 1 + 11;

// Sum over the content of (byte Xor &H5555); 64-bit so no content can overflow it.
std::int64_t checked_sum(std::string_view content);

// Writes content, the end mark and the sum through ui::services().files, which
// replaces the file as a whole: a failed write leaves the old file as it was, and
// instances saving at the same moment leave one of their files, never a mix. A fault
// shows its text with Retry and Cancel under "DORVANEX"; Retry writes again. Result:
// 0 written, 1 not written.
int write_checked_file(const std::string& path, const std::string& content);

// Replaces the content with make(the content now, as read_checked_file gives it), read
// and written under one hold of the file, so another instance's save in between is not
// lost. Faults and the result as write_checked_file.
int update_checked_file(const std::string& path,
                        const std::function<std::string(const std::string&)>& make);

// The content of a checked file, or the empty text when the file is missing, has no
// end mark, holds more than 32767 content bytes, is larger than checked_max_file or its
// sum does not match. Reading
// faults are shown as by write_checked_file; Cancel gives the empty text.
std::string read_checked_file(const std::string& path);

// Takes the text before the first "|" out of list and leaves the text after it.
// Without a "|" the whole list is taken and list becomes empty.
std::string split_bar(std::string& list);

// The reversible character scrambler of the stored passwords: applying it twice gives
// the text back. Letters and digits are Xor-ed with a key from the length, "." and "%"
// and " " and "$" are swapped, and the result is reversed. "'" is kept as it is (an
// older one-way "'" to "_" would change such a password at every save).
std::string scramble_text(const std::string& text);

// The number at the start of a text, as the classic Val reads it: leading blanks
// skipped, then sign, digits, fraction and exponent ("E" or "D") as far as they go;
// 0 when there is no number. Too large a number gives an infinity.
double leading_number(std::string_view text);

// The value of a text that is wholly a number (blanks around it allowed), else none.
std::optional<double> numeric_value(std::string_view text);

// Rounding to the nearest integer, halves to the even neighbour; none when the value
// lies outside the target's range (or is not finite).
std::optional<std::int32_t> round_to_i32(double v);
std::optional<std::int16_t> round_to_i16(double v);

}  // namespace dvx::model

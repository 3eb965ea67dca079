#pragma once
// Parameter words as the user sees and types them: fixed-point texts with 0..3
// decimals and "." as the point (raw 125 with one decimal reads 12.5), the key filter
// and range check every numeric entry field uses, the column fills of the print-outs,
// the hexadecimal form of a word, and the scalings of gauges and calibration.
//
// The entry protocol of a numeric field, as the pages follow it:
//   KeyPress:  key = number_key(key, d, text, sel_start, sel_length);  then the page's
//              key procedure, entry_key (Enter: next field; Esc: refill from the image;
//              any other key, 0 too: range_check_latch = 0).
//   Paste:     text = number_paste(text, d, ...); a taken one clears range_check_latch.
//   LostFocus: field.set_text(fmt_fixed(field.text(), d));
//              if (check_range(field.text(), min, max)) field.set_focus();
//              else param_image[k] = text_to_raw(field.text());
#include <cstdint>
#include <functional>
#include <string>

namespace dvx::model {

// 0: the next range check shows its message; 1: a check has run since the last typed
// key (the pages clear it on every key but Esc). Starts at 0.
extern std::int16_t range_check_latch;

// The key procedure of an entry field: Enter moves on (a queued Tab), Esc runs
// `refill`, any other key clears range_check_latch.
void entry_key(int key, const std::function<void()>& refill);

// The four texts of the refusal boxes. The module that fills the message table
// installs readers of msg_value_too_large, msg_enter_value_till, msg_value_too_small
// and msg_enter_value_from; until then (and in tests) the English texts are used.
struct RangeMessages {
    std::function<std::string()> value_too_large = [] {
        return std::string("Entered value is to large.");
    };
    std::function<std::string()> enter_value_till = [] {
        return std::string("Please, enter a value till ");
    };
    std::function<std::string()> value_too_small = [] {
        return std::string("Entered value is to small.");
    };
    std::function<std::string()> enter_value_from = [] {
        return std::string("Please, enter a value from ");
    };
};
// The one installed set; assign a new RangeMessages to reset it.
RangeMessages& range_messages();

// Every "." removed.
std::string remove_dots(const std::string& text);
// Every "-" after the first character removed; a leading "-" stays.
std::string strip_inner_minus(const std::string& text);

// The fixed-point text of a raw integer text (its "." ignored) with d decimals:
// "5", 2 -> "0.05"; "-5", 2 -> "-0.05"; "1234", 1 -> "123.4"; "", 0 -> "0". Leading
// zeros of a longer text stay ("007", 0 -> "007"). A negative d counts as 0.
std::string raw_to_text(const std::string& raw, int d);
// An entry normalised to exactly d decimals; extra decimals are cut, never rounded:
// "12", 2 -> "12.00"; "12.567", 1 -> "12.5"; "-1-2", 1 -> "-12.0"; "", 1 -> "0.0".
std::string fmt_fixed(const std::string& text, int d);

// The raw value of a fixed-point text: the text without "." read as the classic Val
// reads a number (leading blanks skipped, reading stops where no number can go on, ""
// gives 0), rounded half to even. A value beyond the 16-bit range is held at
// -32768 or 32767, never wrapped; the entry fields refuse such values in check_range
// before they convert.
std::int16_t text_to_raw(const std::string& text);

// 1 = drop the key, 0 = let it pass, judged on the text the key would make: the
// selection (sel_start, sel_length; by default the caret at the end) replaced by it.
// Backspace, Tab, Enter and Esc always pass; digits and "-" pass while that text has at
// most 7 characters; "." (and ",", the decimal key of a German keyboard) as well, but
// only when d > 0 and that text holds one "." at most; every other key is dropped.
std::int16_t key_is_invalid(int key, int d, const std::string& text, int sel_start = -1,
                            int sel_length = 0);
// The key a numeric field with d decimals takes: 0 when key_is_invalid drops it, "."
// for a "," it takes (so "1,5" is 1.5, not 15), else the key itself.
int number_key(int key, int d, const std::string& text, int sel_start, int sel_length);
// A pasted text judged as a whole on the text it would make in such a field: the text
// to insert ("," as "."), or "" when the result would be no number the keys could
// have typed.
std::string number_paste(const std::string& pasted, int d, const std::string& text, int sel_start,
                         int sel_length);

// Range check of a field's fixed-point text against limits in raw units; the whole
// value is compared, however many digits it has. Result 0 = store the text, 1 = keep
// the word and the focus.
//  - latch 0: sets the latch; outside the limits it shows "too large"/"too small"
//    (CR LF, then "enter a value till/from" and the limit with the text's decimals,
//    OK, title "DORVANEX"), then queues the keystroke Esc, which reaches the focused
//    field after the caller has set the focus back, so the page refills it.
//  - latch 1 (a check already ran since the last key, e.g. the field's LostFocus
//    raised again by that box): no box; a value inside the limits gives 0, one outside
//    gives 1 and queues Esc as well, so an unchecked text outside the limits (pasted
//    by the mouse) is never stored.
std::int16_t check_range(const std::string& text, std::int32_t min, std::int32_t max);
// The comparison check_range makes, without its box: the whole value within min..max.
bool within_range(const std::string& text, std::int32_t min, std::int32_t max);

// The text without leading and trailing blanks (other white space stays).
std::string trim_blanks(const std::string& text);
// The text left-aligned in a column of `width` characters (filled with up to 110
// blanks, cut at its end when longer).
std::string pad_right(const std::string& text, int width);
// The text right-aligned in a column of `width` characters (up to 59 blanks in front,
// cut at its start when longer).
std::string pad_left(const std::string& text, int width);
// Four upper-case hexadecimal digits of the word's bit pattern: 10 -> "000A", -1 -> "FFFF".
std::string hex4(std::int16_t w);

// Gauge percentages 0..100 of param_image words, rounded half to even.
// |32-bit value of words k, k+1| of 8000000 (KRV firmware 4.00 on) or 390000.
std::int16_t percent_of_param(int k);
// Word k of 255 (0 below 0).
std::int16_t percent_of_255(int k);
// DLX option set: word k of 32767; else the 32-bit value of words k, k+1 of 1700000.
std::int16_t percent_of_range(int k);

// (x - x0) * (y1 - y0) / (x1 - x0) + y0, held within -32000..32000 and rounded half to
// even; 0 when x1 = x0. The differences are taken in full width, so no input overflows.
std::int16_t scale_linear(std::int16_t x, std::int16_t x0, std::int16_t x1, std::int16_t y0,
                          std::int16_t y1);

// Rescales the 32-bit value of words k, k+1 to value * multiplier / divisor (rounded
// half to even). Result 0 when done; 1 when the divisor is 0, the result does not fit
// 32 bits or k + 1 lies outside the image: then the pair keeps its value.
std::int16_t scale_param(int k, std::int32_t divisor, std::int32_t multiplier);

}  // namespace dvx::model

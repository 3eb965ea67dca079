#pragma once
// What the gateway and concentrator pages share: the version text of a block's version
// word, their message boxes, and their numeric settings boxes (0 decimals).
//
// A settings box, as each page runs it (bind_settings_box):
//   KeyPress:  filter_number_key(key, box);  then the page's key procedure,
//              model::entry_key (Enter: next field; Esc: refill from the block; any
//              other key, 0 too: range_check_latch = 0).
//   LostFocus: store_number_box(box, block[w], min, max);
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "model/bound_fields.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::gateway {

// The word written with at least three digits, a "." before the last two: 203 gives
// "2.03", 5 gives "0.05".
std::string gateway_version_text(std::int16_t word);

// A box of these pages: OK only, no title of its own (the application's title shows).
void show(const std::string& text);

// The key filter of a box with 0 decimals: a refused key becomes 0.
void filter_number_key(int& key, const ui::TextBox& box);
// Its paste judged whole on the text it would make (refused: nothing changes); a taken
// paste re-arms the range check as a key does.
void filter_number_paste(ui::TextBox& box);

// Leaving a box: 0 = the text was stored into `word`; 1 = refused (the word keeps its
// value, the focus is back in the box and a queued Esc refills the page). Only an
// optional leading "-" and digits make a number here: "", "-", "5-" and "1-2" are
// refused with the invalid-value box like a value out of range.
std::int16_t store_number_box(ui::TextBox& box, std::int16_t& word, std::int32_t min,
                              std::int32_t max);

// Binds a settings box of `page` as above, storing into `word` within min..max; the box
// is one of the page's bound fields.
void bind_settings_box(model::BoundFields& page, ui::TextBox& box, std::int16_t& word,
                       std::int32_t min, std::int32_t max, const std::function<void()>& refill);

// Programming a block's settings: `words[command]` := 1, then `count` words from it
// written to register `first_register` + command; the box says "transmitted" or, when
// the write fails, no connection.
void program_settings(std::span<std::int16_t> words, int command, int first_register, int count);

// Row captions 1..6 of both diagnosis grids.
inline constexpr const char* diag_row_captions[] = {"Active Devices", "Remote T-Out",
                                                    "Local T-Out",    "CRC-Errors",
                                                    "Missing Answer", "Context Error"};
// Header row (column numbers), row captions and widths of a diagnosis grid.
void set_diag_headers(ui::Grid& grid, const std::string& corner, int first_width, int width);
// Header row (column numbers), row captions ("1-10", "11-20" ...) and widths of a result
// grid of ten values a row.
void set_result_headers(ui::Grid& grid);

// "Reset Errors": zeros written over the error words from first_register under the
// hourglass; on success the wait (events run), then reread. The block takes the zeros
// only when the device acknowledged them, so a failed reset leaves it as the device
// still has it ("No connection !").
void reset_error_words(std::span<std::int16_t> words, int first_register, double wait_seconds,
                       const std::function<void()>& reread);

}  // namespace dvx::gateway

#pragma once
// Small services the live and gateway pages share: gauges kept in range, the HZL
// gateway's diagnosis grid and the key filter of the gateway's cell editor.
#include <cstdint>

#include "ui/controls.h"

namespace dvx::model {

// gauge value := value clamped to the gauge's minimum..maximum.
void set_gauge(ui::Gauge& gauge, std::int16_t value);

// Rows 1..6 of the HZL diagnosis grid (columns 0..30, rows 0..6) from the 32-bit
// bitmaps of hzl_regs (3, 4), (7, 8), (9, 10), (11, 12), (13, 14), (15, 16), low
// word first: active racks, remote time-out, local time-out, CRC errors, missing
// answer, context error.
void set_hzl_diag(ui::Grid& flg_diag);
// Cells (row, 1..30) := "X" where bit c - 1 of the bitmap is set, else "". Bits 30
// and 31 have no column.
void put_hzl_diag(ui::Grid& flg_diag, int row, std::int32_t bitmap);

// Key filter of a grid's cell editor, on the text of the focused control. Field
// types: 0 and 3 any key up to max_len characters (no limit when max_len < 1); 1
// digits up to max_len (max_len < 1 refuses all); 2 digits and one ","; 4 M, m, W, w;
// 5 as 0 but Enter stays a key; 6 digits and ":"; 7 digits and "."; others any key.
// Enter (but type 5) becomes 0 and sends "{TAB}"; other control keys but Backspace and
// Esc become 0; a refused key becomes 0; an apostrophe left over is typed as "` ".
// Result 1 for Esc, else 0. No focused control or one without a text: its fault's
// text in a box titled "DORVANEX", result 0, the key untouched.
std::int16_t grid_key_filter(int& key, int field_type, int max_len);

}  // namespace dvx::model

#pragma once
// The transmitter's parameter set and comment memory are larger than one Modbus
// request, so they travel in blocks over read_regs / write_regs. A parameter write
// ends with the device's store command (status register 56 := 1); the write
// procedures show their outcome themselves and also return it.
//
// These sit in the model rather than in link/ because they show message-table texts
// and empty the main window's comment store (view_bindings.h); the link below knows
// neither.
#include <cstdint>

namespace dvx::model {

// Status register whose write of 1 makes the device store its working parameter set.
inline constexpr int store_command_reg = 56;

// status_regs[56] := 1, written to the selected device. link_status: 0 done, 2 failed.
std::int16_t send_store_command();

// Reads the parameter set of the device whose type code and firmware word (status
// words 0 and 4) were read just before. param_count is first set to that device's own
// count (device_param_count; a version no table holds keeps the current one), so no
// count another device, the start or a file left decides how many words are asked:
// a shorter read would leave another set's words in the image for the next program.
// Then words 0..param_count-1 from register 1000 in requests of 16 registers (the last
// may reach past the set; the link keeps only words below param_count), and the comment
// store is emptied. 0 read, 1 a request failed (the words read before it stay in
// param_image).
std::int16_t read_param_block(int type_code, std::int16_t version_word);

// Writes param_image in requests of at most 32 registers: from word 0 with with_cal,
// else from word 70, up to word 122, skipping word 113 (the bus address) behind a
// gateway; words 123..126 (serial number) only with with_serial; words 127.. when
// param_count > 127; then the store command. Shows "parameters transmited." (0) or
// msg_params_not_transmitted (1) at the first failed request, the store command
// included; nothing written before a failure is undone.
std::int16_t write_param_block(bool with_cal, bool with_serial);

// 1 when one of comment_regs[start .. start+count-1] holds the end mark 3 in its high
// or low byte, or the range runs outside the image; else 0.
std::int16_t is_comment_end(int start, int count);

// Reads the comment memory in requests of 25 registers from 2000 and stops after the
// request that holds the end mark (at most 40 requests). 0 read, 1 a request failed.
std::int16_t read_comment_block();

// Writes the comment_regs words that cover a packed text of `length` characters (end
// mark included): n = length / 2 + 1 rounded half to even, at most 1000, in chunks of
// 25 registers with a 0.3 s pause after each in which window events run. Shows
// msg_comment_transmitted (0) or, at the first failed chunk, msg_params_not_transmitted (1).
std::int16_t write_comment_block(int length);

// The word count write_comment_block sends for a text length: 4 -> 3, 3 -> 2, 5 -> 4.
int comment_word_count(int length);

}  // namespace dvx::model

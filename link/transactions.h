#pragma once
// The Modbus master proper: one read_regs (function 3) or write_regs (function 16) per
// register exchange. Each maps the logical start register onto unit and device register,
// builds the request, sends it, collects the answer within its time limits, repeats a
// failed exchange up to four sends in all, and moves the values between the wire and the
// image (or gateway page) that the start register selects.
//
// Time limits: 1.0 s per exchange from the send, the echo skipped within 0.3 s; 0.1 s
// pause (events run) after a failed exchange; so a silent device costs 4 x 1.1 = 4.4 s.
#include <cstdint>
#include <span>

#include "link/rtu_frame.h"

namespace dvx::link {

// link_status, the result codes. receive_answer: done, time_out or crc_error;
// read_regs and write_regs: done or time_out (failed); the single-register procedures:
// done or failed. Callers test only for non-zero.
namespace link_status {
inline constexpr std::int16_t done = 0;
inline constexpr std::int16_t failed = 1;
inline constexpr std::int16_t time_out = 2;
inline constexpr std::int16_t crc_error = 3;
}  // namespace link_status

inline constexpr int max_sends = 4;
inline constexpr double answer_seconds = 1.0;
inline constexpr double echo_seconds = 0.3;
inline constexpr float retry_pause_seconds = 0.1f;
inline constexpr float foreign_answer_pause_seconds = 1.0f;

// How a transaction ended, beside the link_status code the callers see.
enum class TransactionEnd {
    done,
    exchanges_failed,  // four sends without a complete, correct answer
    foreign_answers,   // the fourth send was answered with a foreign function code
    outside_map,       // read: the exchange took place but no image holds the start
    refused,           // write: negative start, read-only or unmapped area
    negative_start,    // read with a start below 0
    bad_count,         // count outside 1..127 (the byte-count field is one byte)
    no_selection,      // the mapping lacks a selected address or rack (unit 0)
    bad_page_value,    // write from the HZL page: a field that is no valid number
    nested,            // called while another transaction waits in a pause
    port_fault,        // the port refused an operation (closed, gone) or could not be reopened
};

struct TransactionResult {
    std::int16_t status = 0;  // link_status: 0 done, 2 failed
    int sends = 0;
    TransactionEnd end = TransactionEnd::done;
};

// 0 a complete answer with a correct CRC, 2 time-out, 3 CRC error. answer is filled
// from the first byte equal to unit; expected is its length without the CRC; echo is
// the number of echoed bytes to skip first (when echo_on), counted down in place.
std::int16_t receive_answer(Frame& answer, int unit, int expected, int& echo);

TransactionResult read_transaction(int start, int count);
TransactionResult write_transaction(int start, int count);

// True while a transaction runs (its pauses let events run); another one started
// then is turned away with 2 and no traffic.
bool transaction_underway();

// link_status: 0 done, 2 failed. The link shows no message.
std::int16_t read_regs(int start, int count);
std::int16_t write_regs(int start, int count);
// write_regs of the given words in place of the image's, which stays as it is: a
// caller takes the words into its image only once the device has them.
std::int16_t write_words(int start, std::span<const std::int16_t> words);

// Registers 0..4; code := status_regs[0]. 0 done, 1 failed (code unchanged).
std::int16_t read_device_type(std::int16_t& code);
// One status register (0..64); value := status_regs[reg]. 0 done, 1 failed.
std::int16_t read_one_reg(int reg, std::int16_t& value);
// read_regs(reg_win_start, reg_win_count). 0 done, 1 failed.
std::int16_t read_reg_window();

}  // namespace dvx::link

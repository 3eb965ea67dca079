#pragma once
// The one serial port of the system and the echo probe: opening the port with the
// line settings of the bus mode, re-opening it when its sender hangs, handing received
// bytes out one at a time, telling whether the bus adapter echoes what is sent, and
// the three waits the link and the pages pause with. All time is read from the
// monotonic ui::clock(); a wait that does not yield sleeps in the port (poll on a real
// port, virtual time on the simulated one) instead of spinning.
#include <cstdint>
#include <span>
#include <string>

#include "link/rtu_frame.h"
#include "platform/serial_port.h"

namespace dvx::link {

// Result of the last open_port: 0 open, 1 could not be opened.
extern std::int16_t port_status;
// 1 when the adapter echoes every byte sent; set only by detect_echo.
extern std::int16_t echo_on;
// Bytes taken from the port but not yet handed out by get_rx_byte.
extern std::string rx_buffer;
// When the last byte the master sent or received left the line, by ui::clock(): the
// next block waits the RTU silent interval after it.
extern double line_quiet_since;
// Bytes were taken off the port that did not close a frame (a discarded tail, a cut
// answer, stray bytes): more of them may be on the line still, not yet handed on by
// the port. The next block then waits one delivery block longer.
extern bool line_unsettled;
// Bytes that closed no frame were thrown away since the line was last settled: what
// they began may still be held by the port, so the quiet before the next block lasts
// the owed-answer block (owed_answer_block()).
extern bool line_threw_bytes;
// When the port handed on the bytes in rx_buffer (the time they were read from it).
extern double rx_block_at;

// Every byte taken off the port from now on, into rx_buffer or thrown away, also goes
// to `heads` (nullptr: to none), with when the port handed it on.
void watch_answers(AnswerHeads* heads);

// The longest time a port may hold received bytes before handing them on when nothing
// tells it (a USB adapter's latency timer is commonly 16 ms).
inline constexpr double default_delivery_block_seconds = 0.016;
// The longest RTU frame in characters.
inline constexpr int longest_frame_chars = 256;
// The longest latency timer a USB adapter takes.
inline constexpr double max_delivery_block_seconds = 0.255;
// The port's delivery block: as the system tells it, else the larger of the value
// configured for the port (default_delivery_block_seconds without one) and the longest
// gap the port showed inside a frame with a correct CRC on this line.
double delivery_block();
// The block to give an answer still owed: delivery_block() where the port's block is
// told or configured; where nothing tells it, the longest any adapter takes, since a
// misplaced answer costs far more than a longer wait after a retried exchange.
double owed_answer_block();
// A frame with a correct CRC came in with `seconds` at most between two of its bytes.
void note_frame_gap(double seconds);

// The serial-port control of the main window. Every operation on a closed port
// throws ui::UiFault.
platform::SerialPort& MSComm1();

// Line settings text for a bus mode: "9600,E,8,1", "19200,E,8,1" (HZL), "57600,E,8,1"
// (HZL3); any other mode as the direct bus.
std::string port_settings(int mode);

// Closes the port when open, selects the port of Com_select, sets the settings of
// bus_mode, discards both buffers and opens. 0 open, 1 any failure (no message).
std::int16_t open_port();
// Why the last open_port that failed did so (the port's fault text: the device and the
// system's reason); "" before any failure.
const std::string& open_port_fault();
// Re-opens the port (port_status := open_port) when bytes are stuck in its sender.
void reopen_port_if_busy();
// A port that fails under the program (an input/output error, a line that hung up, a
// port closed behind the link's back) while port_status is 0 is opened again by the
// next operation that needs it, once, with the bus mode's settings. note_port_fault
// marks it after a port operation threw; reopen_port_if_lost reopens a marked (or
// closed) port: false when that failed, and then port_status is 1, the port closed and
// the main window's buttons follow, as after a failed port choice.
void note_port_fault();
bool reopen_port_if_lost();
// True while the port failed under the program and waits for the next operation to open
// it again: an operation that walks many devices (a scan) stops there and tells the user,
// rather than let its next request spend the one reopening on a line not back yet.
bool port_lost();
// The next received byte 0..255, or -1 when none has arrived. Never waits.
std::int16_t get_rx_byte();
// Drains the input, sends one byte 0 and looks 0.2 s, from when it was sent, for a
// byte 0 coming back. A port that failed before the probe (marked, or failing as the
// probe drains it) is reopened first, once. 0: echo_on holds the outcome; 1: a port
// fault, which has been shown: "no connection" and the reason when the port failed
// under the program (given up, or marked for the next operation when it failed in the
// middle of the probe), the fault's own text on a port closed after a failed choice.
std::int16_t detect_echo();

// Waits that let window events run.
void wait_seconds(float seconds);
void wait_seconds_dbl(double seconds);
// Waits without running any window event.
void busy_wait(double seconds);

// Waits until a byte can be taken or the clock reaches deadline. `yielding`: a wait
// longer than a retry pause runs window events as the pauses do, at least every pause.
void wait_rx_until(double deadline, bool yielding = false);
// Runs window events when the link ran none for a retry pause: for a loop that takes
// bytes as they come and may not wait at all (inside a transaction, whose guard keeps
// others off the line).
void yield_if_due();
// Runs window events now (inside a transaction: its guard keeps others off the line).
void run_events();

// The wait of send_block without the block: until the line has been silent for the
// silent interval (and a delivery block more when unsettled), discarding what comes.
// `block`: the delivery block to allow (delivery_block() in the first form).
void wait_line_quiet(bool yielding = false);
void wait_line_quiet(bool yielding, double block);
// Sends a block once the line has been silent for 3.5 characters (1.75 ms above 19200
// baud) since the last byte sent or received: no device may take it for the tail of
// the frame before. Bytes arriving during the wait are discarded and restart it (for
// one longest frame at most); once bytes were discarded, or the line is unsettled, the
// quiet must last one delivery block more, as the port may still hold bytes that
// reached it. `yielding`: a wait longer than the silent interval runs window events at
// least every retry pause (inside a transaction, whose guard keeps others off the line).
void send_block(std::span<const std::uint8_t> bytes, bool yielding = false);
// Empties the port's input; bytes found there count as received now (and go to the
// answers watched), leave the line unsettled and count as thrown away.
void discard_rx();
// The frame the link was taking is complete: the line is settled again unless bytes
// past it wait in rx_buffer.
void note_frame_complete();

}  // namespace dvx::link

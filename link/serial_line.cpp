#include "link/serial_line.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>

#include "images/param_image.h"
#include "link/link_bindings.h"
#include "platform/fault.h"
#include "platform/line_timing.h"
#include "ui/event_loop.h"
#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::link {

std::int16_t port_status = 1;
std::int16_t echo_on = 0;
std::string rx_buffer;
double line_quiet_since = -std::numeric_limits<double>::infinity();
bool line_unsettled = false;
bool line_threw_bytes = false;
double rx_block_at = 0;

namespace {

constexpr double echo_probe_seconds = 0.2;
// A wait longer than this runs window events at least this often, as a retry pause does.
constexpr double yield_every_seconds = 0.1;

// When the link last ran window events itself.
double events_ran_at = -std::numeric_limits<double>::infinity();

// The longest gap the port showed inside a good frame on this line.
double shown_gap = 0;
// Where the bytes taken off the port go as well.
AnswerHeads* watched = nullptr;

void watch(std::span<const std::uint8_t> bytes, double handed_on) {
    if (watched)
        for (const std::uint8_t b : bytes) watched->push(b, handed_on);
}

// The port failed under the program while port_status was 0: reopen it before use.
bool port_failed = false;
// Why the last open_port failed, for the user's message.
std::string open_fault;

void port_status_changed() {
    if (const auto& hook = bindings().main.port_status_changed) hook();
}

void show_no_connection(const std::string& detail) {
    if (const auto& hook = bindings().main.show_no_connection)
        hook(detail);
    else
        ui::show_titled(detail);
}

bool port_needs_reopening() {
    if (port_status != 0) return false;
    if (port_failed) return true;
    try {
        return !MSComm1().is_open();
    } catch (const std::exception&) {
        return false;  // no port at all: the operation fails on its own
    }
}

// The port cannot be used after all: closed, as after a failed port choice.
void give_up_port() {
    port_failed = false;
    port_status = 1;
    try {
        platform::SerialPort& port = MSComm1();
        if (port.is_open()) port.close();
    } catch (const std::exception&) {
    }
    port_status_changed();
}

struct BusSettings {
    int mode;
    const char* text;
};
constexpr BusSettings bus_settings[] = {
    {0, "9600,E,8,1"},
    {1, "19200,E,8,1"},
    {2, "57600,E,8,1"},
};

}  // namespace

platform::SerialPort& MSComm1() {
    if (const auto& control = bindings().main.MSComm1) return control();
    if (platform::SerialPort* port = ui::services().port) return *port;
    throw ui::UiFault(platform::FaultText::no_port);
}

std::string port_settings(int mode) {
    for (const auto& s : bus_settings)
        if (s.mode == mode) return s.text;
    return bus_settings[0].text;
}

std::int16_t open_port() {
    try {
        platform::SerialPort& port = MSComm1();
        if (port.is_open()) port.close();
        port.set_port_number(bindings().main.Com_select() + 1);
        port.set_settings(port_settings(images::bus_mode));
        port.open();
        shown_gap = 0;
        // Cleared once the port is open: the port refuses counts while closed.
        port.discard_input();
        port.discard_output();
        line_quiet_since = ui::clock().now();
        port_failed = false;
        return 0;
    } catch (const std::exception& e) {
        open_fault = platform::text_of(e);
        try {
            platform::SerialPort& port = MSComm1();
            if (port.is_open()) port.close();
        } catch (const std::exception&) {
        }
        return 1;
    }
}

const std::string& open_port_fault() {
    return open_fault;
}

void reopen_port_if_busy() {
    if (MSComm1().out_count() == 0) return;
    const std::int16_t before = port_status;
    port_status = open_port();
    if (port_status != before) port_status_changed();
}

void note_port_fault() {
    if (port_status == 0) port_failed = true;
}

bool reopen_port_if_lost() {
    if (!port_needs_reopening()) return true;
    if (open_port() == 0) return true;
    give_up_port();
    return false;
}

bool port_lost() {
    return port_needs_reopening();
}

std::int16_t get_rx_byte() {
    if (rx_buffer.empty()) {
        platform::SerialPort& port = MSComm1();
        const int waiting = port.in_count();
        if (waiting == 0) return -1;
        const std::vector<std::uint8_t> block = port.read(waiting);
        rx_buffer.assign(block.begin(), block.end());
        rx_block_at = ui::clock().now();
        line_quiet_since = std::max(line_quiet_since, rx_block_at);
        if (rx_buffer.empty()) return -1;
        watch(block, rx_block_at);
        line_unsettled = true;
    }
    const auto c = static_cast<unsigned char>(rx_buffer.front());
    rx_buffer.erase(0, 1);
    return static_cast<std::int16_t>(c);
}

void watch_answers(AnswerHeads* heads) {
    watched = heads;
}

namespace {

std::optional<platform::DeliveryBlock> told_block() {
    try {
        return MSComm1().delivery_block();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

double delivery_block() {
    const auto told = told_block();
    if (told && told->from_system) return told->seconds;
    return std::max(told ? told->seconds : default_delivery_block_seconds, shown_gap);
}

double owed_answer_block() {
    return told_block() ? delivery_block() : max_delivery_block_seconds;
}

void note_frame_gap(double seconds) {
    // A gap longer than any adapter's timer is the program's own delay, not the port's.
    if (seconds <= max_delivery_block_seconds) shown_gap = std::max(shown_gap, seconds);
}

void run_events() {
    ui::do_events();
    events_ran_at = ui::clock().now();
}

void yield_if_due() {
    if (ui::clock().now() - events_ran_at >= yield_every_seconds) run_events();
}

void wait_rx_until(double deadline, bool yielding) {
    if (!rx_buffer.empty()) return;
    platform::Clock& clock = ui::clock();
    double remaining = deadline - clock.now();
    if (yielding) {
        // A long wait, or short ones one after the other (bytes trickling in).
        if (remaining > yield_every_seconds) run_events();
        else yield_if_due();
        remaining = std::min(deadline - clock.now(), yield_every_seconds);
    }
    MSComm1().wait_input(remaining > 0 ? remaining : 0);
}

void wait_line_quiet(bool yielding) {
    wait_line_quiet(yielding, delivery_block());
}

void wait_line_quiet(bool yielding, double block) {
    platform::SerialPort& port = MSComm1();
    platform::Clock& clock = ui::clock();
    const auto timing = platform::line_timing(port.settings());
    if (!timing) return;
    // Bytes coming in meanwhile (the tail of a late answer) keep the line busy; no
    // answer to the next block can be among them, so they go and the silence starts
    // again. A port that hands bytes on in blocks shows the line quiet while it still
    // holds some: after bytes that closed no frame the quiet lasts one delivery block
    // more, and once such bytes were thrown away (here or before) the owed-answer block,
    // as they may have begun an answer whose rest the port still holds. A line that
    // never falls silent is waited out for one longest frame.
    if (line_threw_bytes) block = std::max(block, owed_answer_block());
    double give_up = clock.now() + longest_frame_chars * timing->char_seconds + block;
    bool discarded = false;
    // Unsettled, the port must show nothing for a whole block from now on too: what
    // reached it within the last block may not be handed on yet.
    double until = line_quiet_since + timing->silent_seconds;
    if (line_unsettled) until = std::max(until, clock.now()) + block;
    // Only a wait beyond the silent interval (a late answer's tail, a long block) runs
    // events, and ends with them too, as the receive that follows runs none; a
    // fault-free exchange sends as it always did.
    bool events = yielding && until - clock.now() > timing->silent_seconds;
    bool ended_with_events = false;
    for (;;) {
        double now = clock.now();
        if (events && now < until) {
            run_events();
            now = clock.now();
        }
        // Wakes at the first byte.
        if (now < until)
            port.wait_input(events ? std::min(until - now, yield_every_seconds) : until - now);
        if (port.in_count() == 0) {
            if (clock.now() < until) continue;
            if (events && !ended_with_events) {
                run_events();
                ended_with_events = true;
                continue;
            }
            line_unsettled = false;
            line_threw_bytes = false;
            return;
        }
        if (clock.now() >= give_up) {
            if (events) run_events();  // the receive that follows runs none
            return;
        }
        block = std::max(block, owed_answer_block());
        // One frame's bytes are all handed on within a longest frame and a block of its
        // first ones: a frame that begins late in the wait is still waited out whole.
        if (!discarded)
            give_up = std::max(give_up,
                               clock.now() + longest_frame_chars * timing->char_seconds + block);
        discarded = true;
        discard_rx();
        // Stray bytes make it a wait beyond the silent interval: events run from now on.
        events = yielding;
        ended_with_events = false;
        until = line_quiet_since + timing->silent_seconds + block;
    }
}

void send_block(std::span<const std::uint8_t> bytes, bool yielding) {
    wait_line_quiet(yielding);
    platform::SerialPort& port = MSComm1();
    platform::Clock& clock = ui::clock();
    port.write(bytes);
    if (const auto timing = platform::line_timing(port.settings()))
        line_quiet_since = std::max(line_quiet_since, clock.now()) +
                           static_cast<double>(bytes.size()) * timing->char_seconds;
}

void discard_rx() {
    platform::SerialPort& port = MSComm1();
    if (const int waiting = port.in_count(); waiting > 0) {
        const double now = ui::clock().now();
        // Read rather than dropped unseen: an answer among them counts as one.
        watch(port.read(waiting), now);
        line_quiet_since = std::max(line_quiet_since, now);
        line_unsettled = true;
        line_threw_bytes = true;
    }
    port.discard_input();
}

void note_frame_complete() {
    if (rx_buffer.empty()) {
        line_unsettled = false;
        line_threw_bytes = false;
    }
}

namespace {

// The probe's first touch of the port: the link's buffer and the port's input emptied.
// A port that failed before the probe (marked by a transaction, or failing here) is
// opened again, once. nullopt: ready; else why the port cannot be used (it has been
// given up).
std::optional<std::string> ready_port_for_probe() {
    // Two tries at most: the port as found (reopened first when marked or closed), then
    // once more after it failed here.
    for (int attempt = 0;; ++attempt) {
        const bool reopening = attempt > 0 || port_needs_reopening();
        if (reopening && !reopen_port_if_lost()) return open_fault;
        try {
            while (get_rx_byte() != -1) line_threw_bytes = true;
            return std::nullopt;
        } catch (const std::exception& e) {
            if (port_status != 0) throw;  // closed after a failed port choice
            if (reopening) {
                give_up_port();
                return platform::text_of(e);
            }
            note_port_fault();
        }
    }
}

void probe_echo() {
    platform::Clock& clock = ui::clock();
    static constexpr std::uint8_t probe[] = {0};
    // The silence before the byte may last while stray bytes keep coming (up to one
    // longest frame); the window is the echo's, so it starts once the byte is out.
    send_block(probe);
    const double start = clock.now();
    for (;;) {
        if (clock.now() - start >= echo_probe_seconds) {
            echo_on = 0;
            return;
        }
        const std::int16_t b = get_rx_byte();
        if (b == 0) {
            echo_on = 1;
            note_frame_complete();
            return;
        }
        // Anything else is dropped; nothing waiting: sleep until a byte or the end.
        if (b < 0)
            wait_rx_until(start + echo_probe_seconds);
        else
            line_threw_bytes = true;
    }
}

}  // namespace

std::int16_t detect_echo() {
    try {
        if (const auto why = ready_port_for_probe()) {
            show_no_connection(*why);
            return 1;
        }
        probe_echo();
        return 0;
    } catch (const std::exception& e) {
        if (port_status != 0) {
            ui::show_titled(e.what());
            return 1;
        }
        // The line went away during the probe: the next operation opens the port again.
        note_port_fault();
        show_no_connection(e.what());
        return 1;
    }
}

void wait_seconds(float seconds) {
    ui::wait_yielding(seconds);
}

void wait_seconds_dbl(double seconds) {
    ui::wait_yielding(seconds);
}

void busy_wait(double seconds) {
    if (seconds <= 0) return;
    platform::Clock& clock = ui::clock();
    clock.sleep_until(clock.now() + seconds);
}

}  // namespace dvx::link

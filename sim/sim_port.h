#pragma once
// The serial port in front of a simulated plant, on an injected clock. Bytes take
// 11 bit times each at the port's baud rate; the adapter's echo and the devices'
// answers arrive progressively and are worked out lazily whenever the master looks
// (in_count, read, wait_input), so no thread is needed and a VirtualClock gives the
// same result on every run. The devices frame what they receive by the inter-frame
// gap (3.5 characters, 1.75 ms above 19200 baud) and by CRC resynchronisation, so the
// lone probe byte 0 never glues onto the next request.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/plant.h"

namespace dvx::sim {

enum class OpenFault { none, no_such_port, port_in_use };

class SimPort final : public platform::SerialPort {
  public:
    SimPort(Plant& plant, platform::Clock& clock);

    // platform::SerialPort. Port numbers 1..20 exist; the settings text must be the one of
    // the plant's bus mode or the devices stay silent (the echo still comes back).
    void set_port_number(int number) override { port_ = number; }
    int port_number() const override { return port_; }
    void set_settings(const std::string& text) override;
    std::string settings() const override { return settings_; }
    void open() override;
    void close() override;
    bool is_open() const override { return open_; }
    int in_count() override;
    int out_count() override;
    void discard_input() override;
    void discard_output() override;
    std::vector<std::uint8_t> read(int max_bytes) override;
    void write(std::span<const std::uint8_t> bytes) override;
    void wait_input(double seconds) override;

    // Port faults: the next opens fail (until set back to none).
    void set_open_fault(OpenFault f) { open_fault_ = f; }
    // The line goes away under the open port (a USB adapter pulled, the other end of
    // a pseudo-terminal gone): every operation fails with an input/output error until
    // the port is opened again. set_open_fault keeps it from opening meanwhile.
    void lose_line() { lost_ = open_; }
    // The next `writes` writes stick in the sender: nothing goes out and the send count
    // stays non-zero until the port is opened again.
    void stick_sender(int writes = 1) { stuck_writes_ = writes; }

    // Received bytes are handed on in blocks, at whole multiples of `seconds` from
    // `phase` on, as a USB adapter's latency timer does; 0 (the default) hands each byte
    // on as it arrives. The port then tells its block as the system does for such an
    // adapter (delivery_block), unless tell_delivery_block says otherwise.
    void set_delivery_interval(double seconds, double phase = 0) {
        delivery_ = seconds > 0 ? seconds : 0;
        phase_ = phase;
        told_ = platform::DeliveryBlock{delivery_, true};
    }
    // What delivery_block() tells: nothing (a port the system knows nothing of), a
    // configured value, or the block as the system tells it.
    void tell_delivery_block(std::optional<platform::DeliveryBlock> told) { told_ = told; }
    std::optional<platform::DeliveryBlock> delivery_block() const override { return told_; }
    // The devices take one request at a time: a request that comes while an answer is
    // still being worked out or sent waits for it (a slow device or gateway that queues
    // a resend behind the first request). Off by default: each answer is timed from its
    // own request.
    void set_answers_queued(bool on) { queued_ = on; }
    // Another talker on the line: `bytes` reach the port back to back from `at` on.
    void put_on_line(const std::vector<std::uint8_t>& bytes, double at) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            to_master_.emplace(at + static_cast<double>(i) * byte_time_, bytes[i]);
    }

    // Called with every frame the devices take, as it ends there (before it is answered):
    // a test puts another talker's bytes on the line at times counted from a request.
    using FrameWatch = std::function<void(std::span<const std::uint8_t> frame, double end)>;
    void watch_frames(FrameWatch watch) { watch_ = std::move(watch); }

    // Seconds per byte at the current baud rate (11 bits a byte).
    double byte_time() const { return byte_time_; }
    // Time of the next thing that can happen on the line (a byte arriving at either
    // end or a frame ending by its gap), at most now while received bytes wait unread;
    // a large value when nothing is pending.
    double next_event_time();
    Plant& plant() { return plant_; }

    // The line as measured at the port: the shortest silence before a block the master
    // sent (from the end of the last byte either way to its first start bit; negative
    // when it talked over bytes still coming in), since the port was made or the last
    // reset. A large value while no block followed another.
    double shortest_silence() const { return shortest_silence_; }
    void reset_shortest_silence() { shortest_silence_ = never_; }

  private:
    struct Timed {
        double time;
        std::uint8_t byte;
    };
    void ensure_open() const;
    // When a byte that reached the port at `arrival` can be read.
    double handed_on(double arrival) const;
    // Received bytes that can be read at `now`, from the first one on.
    bool waiting_at(double now) const;
    void advance(double now);
    void take_frame(std::vector<std::uint8_t> frame, double t);
    // Takes the first received byte off the line's queue.
    std::uint8_t pop_received();
    bool settings_match() const;

    Plant& plant_;
    platform::Clock& clock_;
    int port_ = 1;
    std::string settings_ = "9600,E,8,1";
    double byte_time_ = 11.0 / 9600;
    double gap_ = 3.5 * 11.0 / 9600;
    bool open_ = false;
    bool lost_ = false;
    OpenFault open_fault_ = OpenFault::none;
    int stuck_writes_ = 0;
    std::vector<std::uint8_t> stuck_;                // bytes held by a stuck sender
    std::deque<Timed> to_devices_;                   // sent, reaching the devices at `time`
    std::vector<Timed> frame_;                       // bytes the devices are framing
    std::multimap<double, std::uint8_t> to_master_;  // echo and answers, by arrival
    double line_free_ = 0;                           // when the master's sender is idle again
    static constexpr double never_ = 1e300;
    double last_sent_end_ = -never_;    // end of the master's last byte on the line
    double last_rx_end_ = -never_;      // arrival of the last byte taken off to_master_
    double shortest_silence_ = never_;  // see shortest_silence()
    double delivery_ = 0;               // block interval of received bytes
    double phase_ = 0;                  // where the blocks begin
    std::optional<platform::DeliveryBlock> told_;
    bool queued_ = false;
    double answers_free_ = -never_;  // when the last answer's last byte is out
    FrameWatch watch_;
};

}  // namespace dvx::sim

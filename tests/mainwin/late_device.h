#pragma once
// A KRV 4.16 at address 17 that answers beyond the time-out, one request after the other,
// behind a port that hands bytes on in blocks, with stray bytes on the line at fixed
// times after every request: the rows a read of its parameter set is run over, from the
// main window or a page's opening read. What a row must leave: either the read is done
// and every word is the device's own, or it failed with the image as it was.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/firmware.h"
#include "model/param_image.h"
#include "platform/serial_port.h"
#include "sim/sim.h"
#include "tests/mainwin/device_fixture.h"

namespace dvx::testing {

inline constexpr int late_address = 17;
inline constexpr int late_count = 140;
using ParamImage = std::array<std::int16_t, model::param_image_size>;

// Where the link learns the port's delivery block: from the system, from `COMn.block` in
// ports.conf (the simulated port tells it as the real one tells a configured value), or
// nowhere.
enum class Told { system, configured, nothing };

struct LateLine {
    const char* name;
    double block;  // 0: byte by byte
    Told told;
};
inline const LateLine late_lines[] = {
    {"byte by byte, told", 0, Told::system},
    {"byte by byte, told nothing", 0, Told::nothing},
    {"16 ms, told", 0.016, Told::system},
    {"16 ms, configured", 0.016, Told::configured},
    {"16 ms, told nothing", 0.016, Told::nothing},
    {"64 ms, told", 0.064, Told::system},
    {"64 ms, configured", 0.064, Told::configured},
    {"64 ms, told nothing", 0.064, Told::nothing},
    {"255 ms, told", 0.255, Told::system},
    {"255 ms, configured", 0.255, Told::configured},
    {"255 ms, told nothing", 0.255, Told::nothing},
};

// Bytes put on the line `after` seconds after each request to the device has reached it.
// The receive window runs 0.99 s from there, the pause after it 0.1 s, then the quiet
// before the resend; the last byte of the noise equals the unit.
struct LateStray {
    const char* name;
    std::vector<std::uint8_t> bytes;  // empty: none
    double after;
};
inline const LateStray late_strays[] = {
    {"no stray bytes", {}, 0},
    {"FF 00 11 in the pause", {0xFF, 0x00, 0x11}, 1.04},
    {"FF 00 11 in the window", {0xFF, 0x00, 0x11}, 0.5},
    {"FF 00 11 in the quiet before the send", {0xFF, 0x00, 0x11}, 1.093},
    {"the unit byte in the window", {late_address}, 0.6},
    {"the unit byte in the pause", {late_address}, 1.06},
};

// How late the device answers its k-th request: from `least` to `most` in a shape.
enum class Shape { held, alternating, scattered, rising };
struct LateSpan {
    double least, most;
};
inline const LateSpan late_spans[] = {{1.1, 1.1}, {1.1, 1.4}, {1.5, 1.8}, {2.0, 2.3},
                                      {2.4, 2.7}, {2.7, 3.0}, {3.0, 3.0}};
inline const Shape late_shapes[] = {Shape::held, Shape::alternating, Shape::scattered,
                                    Shape::rising};
inline const char* shape_name(Shape s) {
    switch (s) {
        case Shape::held:
            return "held";
        case Shape::alternating:
            return "alternating";
        case Shape::scattered:
            return "scattered";
        case Shape::rising:
            return "rising";
    }
    return "?";
}
inline double lateness(const LateSpan& span, Shape shape, int k) {
    double f = 0;
    switch (shape) {
        case Shape::held:
            break;
        case Shape::alternating:
            f = k % 2;
            break;
        case Shape::scattered:  // the golden ratio's multiples: no two alike
            f = std::fmod(k * 0.6180339887, 1.0);
            break;
        case Shape::rising:
            f = (k % 4) / 3.0;
            break;
    }
    return span.least + (span.most - span.least) * f;
}

struct LateRow {
    const LateLine* line;
    const LateStray* stray;
    LateSpan span;
    Shape shape;
    bool every;  // every answer late; else each request's first two sends only
    std::string name() const {
        char late[48];
        std::snprintf(late, sizeof late, "late %.1f..%.1f s ", span.least, span.most);
        return std::string(line->name) + ", " + stray->name + ", " + late + shape_name(shape) +
               (every ? ", every answer" : ", first two sends");
    }
};

// Every line with every kind of stray bytes, every answer late and the first two sends
// only; the lateness and its shape walk through their values beside them, so each meets
// every line, every stray and the other. DORVANEX_LATE_ROWS=all gives every combination (by hand: a
// minute in the sanitized build).
inline std::vector<LateRow> late_rows() {
    std::vector<LateRow> rows;
    const char* all = std::getenv("DORVANEX_LATE_ROWS");
    int n = 0;
    for (const LateLine& line : late_lines)
        for (const LateStray& stray : late_strays)
            for (const bool every : {true, false}) {
                if (all && std::string(all) == "all") {
                    for (const LateSpan& span : late_spans)
                        for (const Shape shape : late_shapes)
                            rows.push_back({&line, &stray, span, shape, every});
                    continue;
                }
                rows.push_back({&line, &stray, late_spans[n % std::size(late_spans)],
                                late_shapes[(n / 2 + n / 12 + n / 28) % std::size(late_shapes)],
                                every});
                ++n;
            }
    return rows;
}

// The value a word of the device's parameter set is given: no two alike.
inline int late_marked(int p) {
    return (p * 211) % 60000 - 30000;
}

inline const std::string late_read_in = "Parameter read in.";
inline const std::string late_no_connection = "No connection !";

// The late device on the bus of a fixture (DeviceFixture or one made from it): made late
// as a row says, its read checked, the set read programmed back.
template <class Base>
class LateDeviceOn : public Base {
  protected:
    sim::Transmitter& prepare_late(const LateRow& row) {
        this->loop_.set_guard(1'000'000, 3600);  // each row its own bounds: a row takes minutes
        this->select(late_address);
        sim::Transmitter& t = this->device();
        EXPECT_EQ(t.param_count(), late_count);
        for (int p = 0; p < t.param_count(); ++p)
            if (p != 113 && (p < 119 || p > 126)) t.set_param(p, late_marked(p));
        sim::SimPort& port = *this->port_;
        port.set_delivery_interval(row.line->block);
        if (row.line->told == Told::configured)
            port.tell_delivery_block(platform::DeliveryBlock{row.line->block, false});
        if (row.line->told == Told::nothing) port.tell_delivery_block(std::nullopt);
        port.set_answers_queued(true);
        const LateStray* stray = row.stray;
        port.watch_frames([&port, stray](std::span<const std::uint8_t> frame, double end) {
            if (frame.size() >= 8 && frame[0] == late_address && !stray->bytes.empty())
                port.put_on_line(stray->bytes, end + stray->after);
        });
        sim::Plant& plant = *this->plant_;
        // Requests to the device from here: a read and a program ask fewer than 80 even
        // when every one is sent four times; a page's polls go on in time.
        constexpr int requests = 600;
        if (row.every) {
            for (int k = 0; k < requests; ++k)
                plant.fault(sim::Fault::delayed(lateness(row.span, row.shape, k))
                                .unit(late_address)
                                .after(k)
                                .next(1));
        } else {
            // The registers the read and the program start at: each one's first send and
            // its resend late.
            std::vector<int> starts = {0, 4, 26, 56, 1070, 1102, 1123, 1127};
            for (int i = 0; i < late_count; i += 16) starts.push_back(1000 + i);
            int k = 0;
            for (const int start : starts)
                for (int send = 0; send < 2; ++send, ++k)
                    plant.fault(sim::Fault::delayed(lateness(row.span, row.shape, k))
                                    .unit(late_address)
                                    .registers(start, start)
                                    .after(send)
                                    .next(1));
        }
        model::param_image.fill(-7);
        before_ = model::param_image;
        return t;
    }

    // The image after a read that was done (`done`) or failed.
    void expect_own_words_or_none(bool done, const sim::Transmitter& t) const {
        int own = 0;
        for (int p = 0; p < late_count; ++p)
            if (model::param_image[static_cast<std::size_t>(p)] == t.param(p)) ++own;
        if (done) {
            EXPECT_EQ(own, late_count) << late_count - own << " words not the device's own";
            return;
        }
        // A failure before the set is read leaves the image, one while it is read the
        // variant's own (its defaults where the image held others); one after it (the
        // output mode) keeps the whole set.
        const ParamImage after = model::param_image;
        model::param_image = before_;
        model::reinit_tables();
        const ParamImage fresh = model::param_image;
        model::param_image = after;
        EXPECT_TRUE(after == before_ || after == fresh || own == late_count)
            << own << " words the device's own after a failed read";
    }

    // Programs the set read: it is transmitted or fails with the system's message, and
    // every register of the device is as it was.
    void expect_program_keeps_registers(const sim::Transmitter& t) {
        const RegisterFile registers = register_file(t);
        const ParamImage image = model::param_image;
        this->clear_records();
        this->program();
        const std::vector<std::string> said = this->prompts();
        ASSERT_EQ(said.size(), 2u);
        EXPECT_EQ(said[0], "Overwrite existing parameters. Are You sure ?");
        EXPECT_TRUE(said[1] == "parameters transmited." ||
                    said[1] == "Can't transmit parameters. No connection." ||
                    said[1] == late_no_connection)
            << said[1];
        EXPECT_EQ(changes(registers, register_file(t)), std::vector<std::string>{});
        EXPECT_EQ(model::param_image, image);
    }

    // Runs `read_set` (the operation under test, which checks what it says and tells
    // whether the set was read) on the late device of every row, after a fresh start; then
    // the image is checked, and a set read is programmed back. Most rows must read the
    // set: a link that failed them all would pass every check.
    void run_late_rows(const char* done_name, const std::function<bool()>& read_set) {
        const auto parts = [] {
            return ::testing::UnitTest::GetInstance()
                ->current_test_info()
                ->result()
                ->total_part_count();
        };
        const std::vector<LateRow> rows = late_rows();
        int done = 0, wrong = 0;
        for (const LateRow& row : rows) {
            SCOPED_TRACE(row.name());
            const int parts_before = parts();
            ASSERT_TRUE(this->start());
            const sim::Transmitter& t = prepare_late(row);
            const bool read = read_set();
            expect_own_words_or_none(read, t);
            if (read && parts() == parts_before) {
                ++done;
                expect_program_keeps_registers(t);
            }
            if (parts() != parts_before) ++wrong;
            ui::reset_forms();
            this->reset_globals();
            this->clear_records();
            this->prepare(0);
        }
        std::printf("%zu rows, %d %s, %d rows wrong\n", rows.size(), done, done_name, wrong);
        EXPECT_GT(done, static_cast<int>(rows.size()) / 2);
    }

    ParamImage before_{};
};

}  // namespace dvx::testing

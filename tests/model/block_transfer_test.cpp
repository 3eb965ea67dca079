// Parameter and comment blocks end to end on the simulated bus: the requests on the
// wire in their order and size, the image and the device's registers afterwards, and
// what a failure half-way leaves and says.
#include "model/block_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/address_map.h"
#include "model/comment_text.h"
#include "tests/model/transfer_fixture.h"

namespace dvx::model {
namespace {

using sim::Fault;
using testing::WireRequest;

constexpr int read_fn = 3, write_fn = 16;
const std::string transmitted = "parameters transmited.";
const std::string not_transmitted = "Can't transmit parameters. No connection.";
const std::string comment_transmitted = "Comment transmitted.";

class BlockTransfer : public testing::TransferFixture {
  protected:
    // The device selected by attach().
    sim::Transmitter& device() {
        return plant().bus_mode() == 0 ? plant().device(address_) : plant().device(rack_, slot_);
    }
    void attach_direct(int address) {
        address_ = address;
        attach(sim::Plant::preset(0), address);
    }
    void attach_gateway(int mode, int rack, int slot) {
        rack_ = rack;
        slot_ = slot;
        attach(sim::Plant::preset(mode), slot, rack);
    }
    // A logical request as it appears on the wire for the selected device.
    WireRequest on_wire(int function, int logical, int count) const {
        const int mode = plant_->bus_mode();
        const auto m =
            link::map_address(mode, mode == 0 ? address_ - 1 : slot_ - 1, rack_ - 1, logical);
        return {function, static_cast<int>(m.reg), count};
    }
    int address_ = 1, rack_ = 1, slot_ = 1;
};

// --- Parameter read -------------------------------------------------------------------

TEST_F(BlockTransfer, ReadsTheWholeSetInRequestsOfSixteen) {
    struct Row {
        const char* name;
        int bus_mode, rack, address_or_slot;
        int param_count;
    };
    const Row rows[] = {
        {"dlx_direct", 0, 1, 3, 127},      {"krv_405_direct", 0, 1, 1, 128},
        {"krv_416_direct", 0, 1, 17, 140}, {"krv_419_hzl3", 2, 1, 32, 140},
        {"dlx_hzl", 1, 1, 2, 127},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.bus_mode == 0)
            attach_direct(row.address_or_slot);
        else
            attach_gateway(row.bus_mode, row.rack, row.address_or_slot);
        ASSERT_EQ(device().param_count(), row.param_count);
        for (int p = 0; p < row.param_count; ++p) device().set_param(p, 3000 + 7 * p);
        param_count = static_cast<std::int16_t>(row.param_count);
        param_image.fill(-5);
        detached_view().komentar = "comment of the device before";

        EXPECT_EQ(read_param_block(device().type_code(), device().version()), 0);

        std::vector<WireRequest> expected;
        for (int i = 0; i < row.param_count; i += 16)
            expected.push_back(on_wire(read_fn, 1000 + i, 16));
        EXPECT_EQ(wire_requests(), expected);
        for (int p = 0; p < row.param_count; ++p) ASSERT_EQ(param_image[p], 3000 + 7 * p) << p;
        // The last request reaches past the set; nothing beyond it is stored.
        EXPECT_EQ(param_image[row.param_count], -5);
        EXPECT_EQ(detached_view().komentar, "");
        EXPECT_TRUE(boxes_.shown().empty());
    }
}

// The count asked is the device's own, by the type code and firmware word passed, whatever
// count the start, another device or a file left; only a device no table holds keeps it.
TEST_F(BlockTransfer, ReadAsksTheCountOfTheDevicesOwnTypeAndFirmware) {
    struct Row {
        const char* name;
        int address;
        int type_code, version;  // what the device reports
        std::int16_t in_force;   // param_count before the read
        int asked;               // words asked, in requests of 16
    };
    const Row rows[] = {
        {"krv_416_after_start", 17, 16, 416, 127, 140},
        {"krv_416_after_a_krv_405", 17, 16, 416, 128, 140},
        {"krv_405_after_a_krv_416", 1, 11, 405, 140, 128},
        {"krv_303_after_a_dlx", 9, 12, 303, 127, 128},
        {"dlx_after_a_krv_416", 3, 111, 306, 140, 127},
        {"dlx_402_type_113_after_a_krv", 20, 113, 402, 128, 127},
        // No table holds these: the count in force stays.
        {"krv_420_keeps_the_count", 1, 11, 420, 140, 140},
        {"dlx_405_keeps_the_count", 3, 111, 405, 128, 128},
        {"one_digit_version_keeps_the_count", 1, 11, 5, 127, 127},
        {"no_transmitter_code_keeps_the_count", 1, 31, 405, 128, 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        attach_direct(row.address);
        param_count = row.in_force;

        EXPECT_EQ(read_param_block(row.type_code, static_cast<std::int16_t>(row.version)), 0);

        EXPECT_EQ(param_count, row.asked);
        std::vector<WireRequest> expected;
        for (int i = 0; i < row.asked; i += 16) expected.push_back(on_wire(read_fn, 1000 + i, 16));
        EXPECT_EQ(wire_requests(), expected);
    }
}

TEST_F(BlockTransfer, ReadStoppedHalfWayReportsFailureAndKeepsWhatCameIn) {
    struct Row {
        const char* name;
        Fault fault;
    };
    // From the fourth request (1048) on the answers stop or come broken.
    const Row rows[] = {
        {"device_stops_answering", Fault::silent().registers(1048, 1199)},
        {"foreign_function", Fault::foreign_function(4).registers(1048, 1048)},
        {"bad_crc", Fault::bad_crc().registers(1048, 1048)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        attach_direct(1);
        param_count = 128;
        for (int p = 0; p < 128; ++p) device().set_param(p, 100 + p);
        param_image.fill(-5);
        detached_view().komentar = "old";
        plant().fault(row.fault);

        EXPECT_EQ(read_param_block(device().type_code(), device().version()), 1);

        const auto log = wire_requests();
        ASSERT_EQ(log.size(), 3u + 4u);  // three blocks, then four sends of the fourth
        for (int k = 3; k < 7; ++k) EXPECT_EQ(log[k], (WireRequest{read_fn, 1048, 16}));
        for (int p = 0; p < 48; ++p) ASSERT_EQ(param_image[p], 100 + p);
        for (int p = 48; p < 128; ++p) ASSERT_EQ(param_image[p], -5);
        EXPECT_EQ(detached_view().komentar, "");  // emptied in both outcomes
        EXPECT_TRUE(boxes_.shown().empty());      // the caller reports it
    }
}

// --- Parameter write ------------------------------------------------------------------

struct WriteCase {
    const char* name;
    int bus_mode;
    int address_or_slot;
    int rack;
    bool with_cal;
    bool with_serial;
    int param_count;
    std::vector<std::pair<int, int>> requests;  // logical (start, count)
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

const WriteCase write_cases[] = {
    {"direct_cal_serial_140",
     0,
     17,
     1,
     true,
     true,
     140,
     {{1000, 32}, {1032, 32}, {1064, 32}, {1096, 27}, {1123, 4}, {1127, 13}, {56, 1}}},
    {"direct_plain_127", 0, 3, 1, false, false, 127, {{1070, 32}, {1102, 21}, {56, 1}}},
    {"direct_serial_128",
     0,
     1,
     1,
     false,
     true,
     128,
     {{1070, 32}, {1102, 21}, {1123, 4}, {1127, 1}, {56, 1}}},
    {"hzl_cal_128",
     1,
     1,
     1,
     true,
     false,
     128,
     {{1000, 32}, {1032, 32}, {1064, 32}, {1096, 17}, {1114, 9}, {1127, 1}, {56, 1}}},
    {"hzl3_plain_serial_127",
     2,
     16,
     1,
     false,
     true,
     127,
     {{1070, 32}, {1102, 11}, {1114, 9}, {1123, 4}, {56, 1}}},
    {"hzl3_cal_140",
     2,
     32,
     1,
     true,
     true,
     140,
     {{1000, 32}, {1032, 32}, {1064, 32}, {1096, 17}, {1114, 9}, {1123, 4}, {1127, 13}, {56, 1}}},
};

class ParamWrite : public BlockTransfer, public ::testing::WithParamInterface<WriteCase> {};

// Whether the write sends word p.
bool sent(const WriteCase& c, int p) {
    for (const auto& [start, count] : c.requests)
        if (start >= 1000 && p >= start - 1000 && p < start - 1000 + count) return true;
    return false;
}

TEST_P(ParamWrite, RequestsDeviceRegistersAndTheStoreCommand) {
    const WriteCase& c = GetParam();
    if (c.bus_mode == 0)
        attach_direct(c.address_or_slot);
    else
        attach_gateway(c.bus_mode, c.rack, c.address_or_slot);
    ASSERT_EQ(device().param_count(), c.param_count);
    std::vector<std::int16_t> before(c.param_count);
    for (int p = 0; p < c.param_count; ++p) before[p] = device().param(p);
    param_count = static_cast<std::int16_t>(c.param_count);
    for (int p = 0; p < c.param_count; ++p) param_image[p] = static_cast<std::int16_t>(20000 + p);
    param_image[113] = before[113];  // word 113 holds the bus address: keep the device where it is
    boxes_.answer(ui::id_ok, transmitted);

    EXPECT_EQ(write_param_block(c.with_cal, c.with_serial), 0);

    std::vector<WireRequest> expected;
    for (const auto& [start, count] : c.requests)
        expected.push_back(on_wire(write_fn, start, count));
    EXPECT_EQ(wire_requests(), expected);
    for (int p = 0; p < c.param_count; ++p) {
        SCOPED_TRACE(p);
        ASSERT_EQ(device().param(p), sent(c, p) ? param_image[p] : before[p]);
        ASSERT_EQ(device().stored_param(p), device().param(p));  // the store command ran
    }
    // Behind a gateway the transmitter keeps its own bus address.
    if (c.bus_mode != 0) {
        EXPECT_FALSE(sent(c, 113));
    }
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].style, ui::mb_ok);
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
}

INSTANTIATE_TEST_SUITE_P(Cases, ParamWrite, ::testing::ValuesIn(write_cases),
                         [](const auto& info) { return std::string(info.param.name); });

struct WriteFault {
    const char* name;
    Fault fault;
    int failing_start;   // the request the write ends with
    int taken_below;     // words 0..taken_below-1 reached the device
    int untouched_from;  // words from here keep their old values
    bool stored;         // the device stored its working set
};

void PrintTo(const WriteFault& f, std::ostream* os) {
    *os << f.name;
}

// Device 1 (KRV 4.05, 128 words), with_cal, without serial: 1000, 1032, 1064, 1096
// (27 words), 1127 (1 word), 56. A silent fault loses the request on the line; with a
// broken answer (bad CRC, foreign code, exception) the device has executed it.
const WriteFault write_faults[] = {
    {"silent_from_third_block", Fault::silent().registers(1064, 1199), 1064, 64, 64, false},
    {"silent_last_word", Fault::silent().registers(1127, 1127), 1127, 127, 127, false},
    {"foreign_function", Fault::foreign_function(4).registers(1032, 1032), 1032, 64, 64, false},
    {"bad_crc", Fault::bad_crc().registers(1096, 1096), 1096, 123, 127, false},
    // The store command itself fails: every block is in the device, and the transfer
    // is a failed one whether or not the device stored.
    {"store_command_lost", Fault::silent().registers(56, 56), 56, 128, 128, false},
    {"store_command_answered_badly", Fault::bad_crc().registers(56, 56), 56, 128, 128, true},
};

class ParamWriteFault : public BlockTransfer, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(ParamWriteFault, FailureEndsTheWriteAndIsReported) {
    const WriteFault& f = GetParam();
    attach_direct(1);
    param_count = 128;
    std::vector<std::int16_t> before(128);
    for (int p = 0; p < 128; ++p) before[p] = device().param(p);
    for (int p = 0; p < 128; ++p) param_image[p] = static_cast<std::int16_t>(-1000 - p);
    param_image[113] = before[113];
    plant().fault(f.fault);
    boxes_.answer(ui::id_ok, not_transmitted);

    EXPECT_EQ(write_param_block(true, false), 1);

    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
    // Four sends of the failing request end the log.
    const auto log = wire_requests();
    ASSERT_GE(log.size(), 4u);
    for (std::size_t k = log.size() - 4; k < log.size(); ++k)
        EXPECT_EQ(log[k].start, f.failing_start);
    for (int p = 0; p < 128; ++p) {
        SCOPED_TRACE(p);
        // Without with_serial the serial number words 123..126 are never sent.
        const bool serial = p >= 123 && p <= 126;
        if (p < f.taken_below && !serial) {
            ASSERT_EQ(device().param(p), param_image[p]);
        }
        if (p >= f.untouched_from || serial) {
            ASSERT_EQ(device().param(p), before[p]);
        }
        ASSERT_EQ(device().stored_param(p), f.stored ? device().param(p) : before[p]);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, ParamWriteFault, ::testing::ValuesIn(write_faults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BlockTransfer, EchoingAdapterCarriesTheWholeWrite) {
    attach_direct(1);
    plant().set_echo(true);
    ASSERT_EQ(link::detect_echo(), 0);
    ASSERT_EQ(link::echo_on, 1);
    plant().clear_log();
    param_count = 128;
    for (int p = 0; p < 128; ++p) param_image[p] = static_cast<std::int16_t>(p * 3);
    param_image[113] = device().param(113);
    boxes_.answer(ui::id_ok, transmitted);

    EXPECT_EQ(write_param_block(true, true), 0);
    EXPECT_EQ(wire_requests().size(), 7u);  // 4 blocks, serial, word 127, store
    const auto written = param_image;
    for (int p = 0; p < 128; ++p) ASSERT_EQ(device().stored_param(p), written[p]);

    param_image.fill(0);
    EXPECT_EQ(read_param_block(device().type_code(), device().version()), 0);
    for (int p = 0; p < 128; ++p) ASSERT_EQ(param_image[p], written[p]);
}

// --- Comment memory -------------------------------------------------------------------

TEST_F(BlockTransfer, CommentEndMarkInEitherByteEndsTheRange) {
    struct Row {
        const char* name;
        int word;
        std::uint16_t value;
        int start, count;
        int expected;
    };
    const Row rows[] = {
        {"high_byte", 30, 0x0341, 25, 25, 1},      {"low_byte", 30, 0x4103, 25, 25, 1},
        {"outside_range", 30, 0x0341, 0, 25, 0},   {"no_mark", 30, 0x4142, 25, 25, 0},
        {"past_the_image", 0, 0x2020, 990, 25, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        link::comment_regs.fill(0x2020);
        link::comment_regs[r.word] = static_cast<std::int16_t>(r.value);
        EXPECT_EQ(is_comment_end(r.start, r.count), r.expected);
    }
}

TEST_F(BlockTransfer, CommentReadStopsAfterTheRequestHoldingTheEndMark) {
    struct Row {
        const char* name;
        int end_word;  // word holding the end mark, -1 none
        int requests;
    };
    for (const Row r : {Row{"empty", 0, 1}, Row{"word_30", 30, 2}, Row{"last_word", 999, 40},
                        Row{"no_mark", -1, 40}}) {
        SCOPED_TRACE(r.name);
        attach_direct(1);
        for (int i = 0; i < 1000; ++i) device().set_comment_word(i, 0x4141 + (i % 20));
        if (r.end_word >= 0) device().set_comment_word(r.end_word, 0x4403);
        link::comment_regs.fill(-7);

        EXPECT_EQ(read_comment_block(), 0);

        std::vector<WireRequest> expected;
        for (int k = 0; k < r.requests; ++k) expected.push_back({read_fn, 2000 + 25 * k, 25});
        EXPECT_EQ(wire_requests(), expected);
        const int read_words = 25 * r.requests;
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(static_cast<std::uint16_t>(link::comment_regs[i]),
                      i < read_words ? device().comment_word(i) : 0xFFF9)
                << i;
    }
}

TEST_F(BlockTransfer, CommentReadFailingHalfWayReportsFailure) {
    attach_direct(1);
    for (int i = 0; i < 1000; ++i) device().set_comment_word(i, 0x4142);
    link::comment_regs.fill(0);
    plant().fault(Fault::bad_crc().registers(2050, 2050));

    EXPECT_EQ(read_comment_block(), 1);
    EXPECT_EQ(wire_requests().size(), 2u + 4u);
    EXPECT_EQ(link::comment_regs[49], 0x4142);
    EXPECT_EQ(link::comment_regs[50], 0);
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(BlockTransfer, CommentWriteCoversTheTextInChunksOfTwentyFive) {
    struct Row {
        int length;
        std::vector<int> chunks;
    };
    const Row rows[] = {
        {0, {1}},                          // an empty comment still sends its end-mark word
        {3, {2}},                          // 2.5 -> 2
        {4, {3}},                          // 3
        {5, {4}},                          // 3.5 -> 4
        {60, {25, 6}},                     // 31
        {1999, std::vector<int>(40, 25)},  // 1000.5 -> 1000
        {2000, std::vector<int>(40, 25)},  // 1001, cut to the block
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.length);
        attach_direct(1);
        std::vector<std::uint16_t> before(1000);
        for (int i = 0; i < 1000; ++i) before[i] = device().comment_word(i);
        for (int i = 0; i < 1000; ++i) link::comment_regs[i] = static_cast<std::int16_t>(i + 1);
        boxes_.answer(ui::id_ok, comment_transmitted);

        EXPECT_EQ(write_comment_block(r.length), 0);

        std::vector<WireRequest> expected;
        int words = 0;
        for (int k : r.chunks) {
            expected.push_back({write_fn, 2000 + words, k});
            words += k;
        }
        EXPECT_EQ(wire_requests(), expected);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(device().comment_word(i), i < words ? i + 1 : before[i]) << i;
    }
}

TEST_F(BlockTransfer, CommentChunksArePacedAndLetEventsRun) {
    attach_direct(1);
    comment_to_words(std::string(100, 'x') + '\x03');  // 51 words: 25, 25, 1
    std::vector<double> event_times;
    loop_.post_after(0.05, [&] { event_times.push_back(clock_.now()); });
    double box_time = 0;
    ui::ScriptedBoxes::Answer ok;
    ok.expect_prompt = comment_transmitted;
    ok.before = [&] { box_time = clock_.now(); };
    boxes_.answer(ok);
    const double t0 = clock_.now();

    EXPECT_EQ(write_comment_block(101), 0);

    const auto& log = plant().log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_GE(log[1].time - log[0].time, 0.3);
    EXPECT_GE(log[2].time - log[1].time, 0.3);
    EXPECT_GE(box_time - log[2].time, 0.3);  // a pause after the last chunk too
    ASSERT_EQ(event_times.size(), 1u);       // ran inside the first pause
    EXPECT_LT(event_times[0], log[1].time);
    EXPECT_LT(box_time - t0, 1.2);
}

TEST_F(BlockTransfer, CommentWriteStoppedHalfWaySaysParametersNotTransmitted) {
    attach_direct(1);
    for (int i = 0; i < 1000; ++i) link::comment_regs[i] = 0x4142;
    plant().fault(Fault::silent().registers(2025, 2999));
    boxes_.answer(ui::id_ok, not_transmitted);

    EXPECT_EQ(write_comment_block(200), 1);  // 101 words
    EXPECT_EQ(wire_requests().size(), 1u + 4u);
    EXPECT_EQ(device().comment_word(24), 0x4142);
    EXPECT_NE(device().comment_word(25), 0x4142);
}

TEST_F(BlockTransfer, CommentRoundTripThroughTheDevice) {
    attach_direct(1);
    // The device held a longer text before: the read stops at the new end mark.
    for (int i = 0; i < 1000; ++i) device().set_comment_word(i, 0x5858);
    std::string text;
    for (int i = 0; i < 1500; ++i) text += static_cast<char>(i % 90 == 89 ? '\r' : 'a' + i % 26);
    text[3] = '\xE4';  // a-umlaut in Windows-1252 travels unchanged
    comment_to_words(text + '\x03');
    boxes_.answer(ui::id_ok, comment_transmitted);
    ASSERT_EQ(write_comment_block(1501), 0);
    EXPECT_EQ(device().comment_word(751), 0x2020);  // 752 words written
    EXPECT_EQ(device().comment_word(752), 0x5858);

    link::comment_regs.fill(0);
    plant().clear_log();
    ASSERT_EQ(read_comment_block(), 0);
    EXPECT_EQ(wire_requests().size(), 31u);  // the mark lies in word 750
    words_to_comment();
    EXPECT_EQ(detached_view().komentar, text);
}

}  // namespace
}  // namespace dvx::model

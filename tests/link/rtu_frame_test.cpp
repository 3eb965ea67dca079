// Frames byte for byte. Expected CRCs come from a bitwise CRC-16/MODBUS computed
// outside this code base; 11 03 00 6B 00 03 76 87 is the standard's own example.
#include "link/rtu_frame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace dvx::link {
namespace {

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string s;
    char buf[4];
    for (const auto b : bytes) {
        std::snprintf(buf, sizeof buf, s.empty() ? "%02X" : " %02X", b);
        s += buf;
    }
    return s;
}

std::vector<std::uint8_t> bytes(const std::string& hex_text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex_text.size(); i += 3)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex_text.substr(i, 2), nullptr, 16)));
    return out;
}

TEST(CrcTables, AreThePublishedTables) {
    init_crc_tables();
    const std::uint8_t hi_head[] = {0x00, 0xC1, 0x81, 0x40}, hi_tail[] = {0x00, 0xC1, 0x81, 0x40};
    const std::uint8_t lo_head[] = {0x00, 0xC0, 0xC1, 0x01}, lo_tail[] = {0x41, 0x81, 0x80, 0x40};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(crc_hi_table[i], hi_head[i]) << i;
        EXPECT_EQ(crc_hi_table[252 + i], hi_tail[i]) << i;
        EXPECT_EQ(crc_lo_table[i], lo_head[i]) << i;
        EXPECT_EQ(crc_lo_table[252 + i], lo_tail[i]) << i;
    }
    EXPECT_EQ(crc16_modbus({}), 0xFFFF);
}

struct FrameCase {
    const char* frame;  // the whole frame, CRC included
    std::vector<std::uint8_t> built;
};

// Rows named by the frame's hex; each decodes its bytes.
TEST(RtuFrames, BuiltByteForByte) {
    const std::int16_t two_values[] = {0x0305, -200};
    const std::int16_t five_values[] = {7, 0, 0, 0, 0};
    const FrameCase cases[] = {
        // unit 1, read, start 0, count 1
        {"01 03 00 00 00 01 84 0A", build_read_request(1, 0, 1)},
        // the standard's example: unit 17, read, start 107, count 3
        {"11 03 00 6B 00 03 76 87", build_read_request(17, 107, 3)},
        // start 61000 (slot 16 behind HZL3) goes out unsigned as EE 48
        {"02 03 EE 48 00 01 31 07", build_read_request(2, 61000, 1)},
        // unit 1, read, start 20000 (4E 20), count 16
        {"01 03 4E 20 00 10 52 E4", build_read_request(1, 20000, 16)},
        // unit 1, write, start 1127, count 2, byte count 4, 0x0305 and -200 = FF 38
        {"01 10 04 67 00 02 04 03 05 FF 38 D6 C6", build_write_request(1, 1127, two_values)},
        // write start 56, count 5, byte count 10
        {"01 10 00 38 00 05 0A 00 07 00 00 00 00 00 00 00 00 1E 30",
         build_write_request(1, 56, five_values)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        EXPECT_EQ(hex(c.built), c.frame);
        EXPECT_TRUE(crc_matches(c.built));
    }
}

TEST(RtuFrames, AnswerCheckAndWords) {
    // unit 1, read answer, byte count 4, values 0x0001 and 0xFF38, CRC EB D1
    auto answer = bytes("01 03 04 00 01 FF 38 EB D1");
    EXPECT_TRUE(crc_matches(answer));
    EXPECT_EQ(get_answer_word(answer, 3), 1);
    EXPECT_EQ(get_answer_word(answer, 5), -200);
    EXPECT_EQ(static_cast<int>(answer.size()), read_answer_length(2) + 2);
    // The CRC is low byte first: swapped bytes fail, as does any changed bit.
    std::swap(answer[7], answer[8]);
    EXPECT_FALSE(crc_matches(answer));
    std::swap(answer[7], answer[8]);
    answer[4] ^= 0x10;
    EXPECT_FALSE(crc_matches(answer));
    // Outside the frame there is no word.
    EXPECT_EQ(get_answer_word(answer, 8), 0);
    EXPECT_FALSE(crc_matches(bytes("01")));
}

// Every answer here has a correct CRC: only what it says is wrong.
TEST(RtuFrames, AnAnswerMustFitItsRequest) {
    const Frame read_two = build_read_request(1, 1010, 2);
    const std::int16_t two_values[] = {42, 7};
    const Frame write_two = build_write_request(1, 1127, two_values);  // 1127 = 04 67
    const Frame write_one = bytes("01 06 04 67 00 2A B8 FA");          // 42 into 1127
    struct Case {
        const char* name;
        const Frame& request;
        const char* answer;
        bool fits;
    };
    const Case cases[] = {
        {"read answer", read_two, "01 03 04 00 2A 00 07 9A 39", true},
        // One register and two zero bytes: the CRC over the first seven bytes is 0,
        // and so are the last two.
        {"read answer one register short", read_two, "01 03 02 00 2A 39 9B 00 00", false},
        {"read answer one register long", read_two, "01 03 06 00 2A 00 07 00 00 89 72", false},
        {"write answer", write_two, "01 10 04 67 00 02 F1 27", true},
        {"write answer, start + 1", write_two, "01 10 04 68 00 02 C1 24", false},
        {"write answer, start - 1", write_two, "01 10 04 66 00 02 A0 E7", false},
        {"write answer, start's high byte", write_two, "01 10 05 67 00 02 F0 DB", false},
        {"write answer, count + 1", write_two, "01 10 04 67 00 03 30 E7", false},
        {"write answer, count - 1", write_two, "01 10 04 67 00 01 B1 26", false},
        {"write answer cut short", write_two, "01 10 04", false},
        {"single write answer", write_one, "01 06 04 67 00 2A B8 FA", true},
        {"single write answer, other value", write_one, "01 06 04 67 00 2B 79 3A", false},
        {"single write answer, other register", write_one, "01 06 04 68 00 2A 88 F9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto answer = bytes(c.answer);
        if (answer.size() > 5) {
            EXPECT_TRUE(crc_matches(answer));
        }
        EXPECT_EQ(answer_fits_request(c.request, answer), c.fits);
    }
}

// A write answer may echo another start register where the caller names one (the
// register a transmitter behind a gateway knows); its count must still be the one sent.
TEST(RtuFrames, AWriteAnswerMayEchoTheOtherStartGiven) {
    const std::int16_t two_values[] = {42, 7};
    const Frame request = build_write_request(2, 6127, two_values);  // slot 1 behind HZL
    struct Case {
        const char* name;
        std::uint16_t start, count;
        std::optional<std::uint16_t> other;
        bool fits;
    };
    const Case cases[] = {
        {"mapped start", 6127, 2, 1127, true},
        {"transmitter's start", 1127, 2, 1127, true},
        {"transmitter's start, none given", 1127, 2, std::nullopt, false},
        {"transmitter's start, count + 1", 1127, 3, 1127, false},
        {"mapped start, count - 1", 6127, 1, 1127, false},
        {"a third start", 1128, 2, 1127, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Frame answer{2,
                     fn_write_multiple,
                     static_cast<std::uint8_t>(c.start >> 8),
                     static_cast<std::uint8_t>(c.start & 0xFF),
                     0,
                     static_cast<std::uint8_t>(c.count)};
        append_crc(answer);
        EXPECT_EQ(answer_fits_request(request, answer, c.other), c.fits);
    }
    // A read answer has no echo to look at: the other start changes nothing.
    EXPECT_FALSE(answer_fits_request(build_read_request(1, 1010, 2),
                                     bytes("01 03 02 00 2A 39 9B 00 00"), 1010));
}

// An answer found behind bytes that are none: a late answer's tail (which may hold the
// unit's byte), an echo, a byte equal to the unit; and what is left when there is none.
TEST(AnswerSearch, FindsTheAnswerBehindBytesThatAreNone) {
    Frame answer{1, 3, 4, 0x01, 0x03, 0x00, 0x2A};
    append_crc(answer);
    Frame exception{1, 0x83, 2};
    append_crc(exception);
    const Frame echo = build_read_request(1, 0, 2);
    const Frame tail{0x55, 0x01, 0x10, 0x99, 0x01, 0x7F};  // bytes equal to the unit, no frame
    Frame spoiled = answer;
    spoiled.back() ^= 1;
    struct Case {
        const char* name;
        Frame bytes;
        bool any;
        AnswerSearch::Step last;
        Frame found;
        std::size_t completes;  // frames found, for `any`
    };
    const auto cat = [](std::initializer_list<Frame> parts) {
        Frame f;
        for (const Frame& p : parts) f.insert(f.end(), p.begin(), p.end());
        return f;
    };
    const Case cases[] = {
        {"the answer alone", answer, false, AnswerSearch::Step::complete, answer, 1},
        {"behind a tail", cat({tail, answer}), false, AnswerSearch::Step::complete, answer, 1},
        {"behind its echo", cat({echo, answer}), false, AnswerSearch::Step::complete, answer, 1},
        {"behind a byte equal to the unit", cat({{1}, answer}), false,
         AnswerSearch::Step::complete, answer, 1},
        {"a bad CRC and no head behind it", spoiled, false, AnswerSearch::Step::failed, spoiled,
         0},
        {"not as long as an answer yet", cat({tail, {1, 3}}), false, AnswerSearch::Step::more,
         Frame{1, 0x10, 0x99, 1, 0x7F, 1, 3}, 0},
        {"any answer: an exception, then a read", cat({exception, tail, answer}), true,
         AnswerSearch::Step::complete, answer, 2},
        // Bytes that begin as the answer does, its length long with the answer's first
        // bytes: the answer begins in the last byte, or the last two, of a frame that fails.
        {"begun in the last byte of a frame that fails",
         cat({{1, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, answer}), false,
         AnswerSearch::Step::complete, answer, 1},
        {"begun in the last two bytes of a frame that fails",
         cat({{1, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE}, answer}), false, AnswerSearch::Step::complete,
         answer, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerSearch search(1, answer.size(), c.any);
        AnswerSearch::Step step = AnswerSearch::Step::skipped;
        std::size_t completes = 0;
        bool gave_up = false;  // a receive ends there with a CRC error
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            step = search.push(c.bytes[i], 0.001 * static_cast<double>(i));
            if (step == AnswerSearch::Step::complete) ++completes;
            if (step == AnswerSearch::Step::complete && i + 1 < c.bytes.size()) search.next();
            if (step == AnswerSearch::Step::failed && c.any) search.next();
            if (step == AnswerSearch::Step::failed && i + 1 < c.bytes.size()) gave_up = true;
        }
        EXPECT_EQ(step, c.last);
        EXPECT_FALSE(gave_up && !c.any);
        EXPECT_EQ(hex(search.frame()), hex(c.found));
        EXPECT_EQ(completes, c.completes);
    }
}

TEST(AnswerSearch, TellsWhenTheFrameBeganAndItsLongestGap) {
    Frame answer{1, 3, 2, 0x00, 0x2A};
    append_crc(answer);
    AnswerSearch search(1, answer.size(), false);
    const double times[] = {1.0, 1.0, 1.064, 1.064, 1.064, 1.080, 1.080};
    search.push(0x44, 0.9);  // no frame yet
    for (std::size_t i = 0; i < answer.size(); ++i) search.push(answer[i], times[i]);
    EXPECT_EQ(search.frame(), answer);
    EXPECT_DOUBLE_EQ(search.began(), 1.0);
    EXPECT_NEAR(search.longest_gap(), 0.064, 1e-12);
}

// Only bytes that begin an answer to the request count as one: its unit and function and
// a byte count (read) or an echo (write) that fit; never noise, another unit's frame, an
// answer of another count, an exception, a byte equal to the unit alone, or the request's
// own echo behind an echoing adapter. Each head is numbered by its first byte; its body
// (as long as the head tells) is no place for another head, unless its CRC fails.
TEST(AnswerHeads, CountOnlyBytesThatBeginAnAnswerToTheRequest) {
    const auto framed = [](Frame f) {
        append_crc(f);
        return f;
    };
    const auto cat = [](std::initializer_list<Frame> parts) {
        Frame f;
        for (const Frame& p : parts) f.insert(f.end(), p.begin(), p.end());
        return f;
    };
    const Frame read = build_read_request(1, 1000, 2);
    const Frame answer = framed({1, 3, 4, 0x01, 0x03, 0x04, 0x01});  // its words look like a head
    const std::int16_t words[] = {5, 6};
    const Frame write = build_write_request(1, 1000, words);
    const Frame write_answer = framed({1, 16, 0x03, 0xE8, 0, 2});
    const Frame own_register_answer = framed({1, 16, 0x00, 0x0A, 0, 2});  // echoes register 10
    struct Case {
        const char* name;
        const Frame& request;
        bool echoed;
        Frame bytes;
        std::vector<std::uint64_t> heads;  // where each begins
        std::size_t under_way;             // bytes still deciding the last run, 0 none
    };
    const Case cases[] = {
        {"the answer alone", read, false, answer, {0}, 0},
        {"line noise", read, false, {0xFF, 0x00, 0x11}, {}, 0},
        {"the unit byte alone", read, false, {1}, {}, 2},
        {"the unit byte, then noise", read, false, {1, 0xFF, 0x00, 0x11}, {}, 0},
        {"the unit and function alone", read, false, {0x55, 1, 3}, {}, 1},
        {"another unit's frame", read, false, framed({7, 3, 4, 0, 1, 0, 2}), {}, 0},
        {"an answer of another count", read, false, framed({1, 3, 2, 0, 0}), {}, 0},
        {"an exception", read, false, framed({1, 0x83, 2}), {}, 0},
        {"the unit byte alone before the answer", read, false, cat({{1}, answer}), {1}, 0},
        {"an answer cut short", read, false, Frame(answer.begin(), answer.begin() + 5), {0}, 4},
        {"two answers back to back", read, false, cat({answer, answer}), {0, 9}, 0},
        {"begun in the last byte of a body that fails", read, false,
         cat({{1, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, answer}), {0, 8}, 0},
        {"begun in the last two bytes of a body that fails", read, false,
         cat({{1, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE}, answer}), {0, 7}, 0},
        {"a write's answer", write, false, write_answer, {0}, 0},
        {"the transmitter's own register echoed", write, false, own_register_answer, {0}, 0},
        {"a write's echo, the adapter echoing, then its answer", write, true,
         cat({write, write_answer}), {13}, 0},
        {"a write's echo where no adapter echoes", write, false, write, {0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerHeads heads(c.request, std::uint16_t{10}, c.echoed);
        for (std::size_t i = 0; i < c.bytes.size(); ++i)
            heads.push(c.bytes[i], 0.001 * static_cast<double>(i));
        std::vector<std::uint64_t> at;
        for (const auto& h : heads.heads()) {
            at.push_back(h.at);
            EXPECT_DOUBLE_EQ(h.first, 0.001 * static_cast<double>(h.at));
        }
        EXPECT_EQ(at, c.heads);
        EXPECT_EQ(heads.pushed(), c.bytes.size());
        const auto under_way = heads.under_way();
        EXPECT_EQ(under_way ? under_way->rest : 0, c.under_way);
    }
}

// A head tells when its frame ends, whether it came whole with its CRC, and the longest
// time between two of its bytes being handed on.
TEST(AnswerHeads, TellTheirFramesEnd) {
    Frame answer{1, 3, 2, 0x00, 0x2A};
    append_crc(answer);
    AnswerHeads heads(build_read_request(1, 0, 1), std::nullopt, false);
    const double times[] = {1.0, 1.0, 1.0, 1.064, 1.064, 1.080, 1.080};
    for (std::size_t i = 0; i < 4; ++i) heads.push(answer[i], times[i]);
    ASSERT_EQ(heads.heads().size(), 1u);
    EXPECT_FALSE(heads.heads()[0].whole());
    EXPECT_DOUBLE_EQ(heads.heads()[0].last, 1.064);
    for (std::size_t i = 4; i < answer.size(); ++i) heads.push(answer[i], times[i]);
    const auto& h = heads.heads()[0];
    EXPECT_TRUE(h.whole());
    EXPECT_TRUE(h.good);
    EXPECT_DOUBLE_EQ(h.first, 1.0);
    EXPECT_DOUBLE_EQ(h.last, 1.080);
    EXPECT_NEAR(h.longest_gap, 0.064, 1e-12);
    EXPECT_FALSE(heads.under_way());
}

TEST(AnswerLengthFromHead, ByFunctionAndByteCount) {
    const Frame exception{1, 0x83};
    const Frame write{1, 16};
    const Frame read{1, 3, 10};
    const Frame read_head{1, 3};
    const Frame other{1, 4};
    EXPECT_EQ(answer_length_from_head(Frame{1}), 0u);
    EXPECT_EQ(answer_length_from_head(exception), 5u);
    EXPECT_EQ(answer_length_from_head(write), 8u);
    EXPECT_EQ(answer_length_from_head(read), 15u);
    EXPECT_EQ(answer_length_from_head(read_head), 0u);
    EXPECT_EQ(answer_length_from_head(other), std::nullopt);
}

}  // namespace
}  // namespace dvx::link

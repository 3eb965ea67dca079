// The pure core: request frames in, answer frames out, byte for byte.
#include <gtest/gtest.h>

#include <functional>

#include "sim_test_util.h"

namespace dvx::sim {
namespace {

using namespace testing;

TEST(SimCrc, KnownValues) {
    struct Row {
        const char* data;
        std::uint16_t crc;
    };
    const Row rows[] = {
        {"", 0xFFFF},
        {"01 03 00 00 00 01", 0x0A84},  // goes on the wire as 84 0A
        {"01 03 02 00 0B", 0x83F9},
        {"01 10 04 4B 00 01 02 00 0A", 0x2C6C},
        {"31 32 33 34 35 36 37 38 39", 0x4B37},  // the CRC-16/MODBUS check value of "123456789"
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.data);
        EXPECT_EQ(crc16(from_hex(r.data)), r.crc);
    }
    Bytes f = from_hex("01 03 00 00 00 01");
    append_crc(f);
    EXPECT_EQ(to_hex(f), "01 03 00 00 00 01 84 0A");
    EXPECT_TRUE(crc_ok(f));
    f[7] ^= 1;
    EXPECT_FALSE(crc_ok(f));
}

struct FrameRow {
    int bus_mode;
    const char* request;
    const char* answer;  // empty: no answer
};

void PrintTo(const FrameRow& r, std::ostream* os) {
    *os << r.request;
}

class PlantFrames : public ::testing::TestWithParam<FrameRow> {};

TEST_P(PlantFrames, AnswersByteForByte) {
    auto plant = Plant::preset(GetParam().bus_mode);
    const auto reply = plant.handle(from_hex(GetParam().request), 0.0);
    if (std::string(GetParam().answer).empty()) {
        EXPECT_FALSE(reply) << to_hex(reply->bytes);
    } else {
        ASSERT_TRUE(reply);
        EXPECT_EQ(to_hex(reply->bytes), GetParam().answer);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlantFrames,
    ::testing::Values(
        // unit 1 reads its type code 11
        FrameRow{0, "01 03 00 00 00 01 84 0A", "01 03 02 00 0B F9 83"},
        // unit 3 (DLX 3.06): type 111, R1..R3 0, version 306
        FrameRow{0, "03 03 00 00 00 05 84 2B", "03 03 0A 00 6F 00 00 00 00 00 00 01 32 4A 43"},
        // unit 17 parameter 99 (input type 7)
        FrameRow{0, "11 03 04 4B 00 01 F7 BC", "11 03 02 00 07 38 45"},
        // write 1099 := 10: start and count echoed
        FrameRow{0, "01 10 04 4B 00 01 02 00 0A 6C 2C", "01 10 04 4B 00 01 70 EF"},
        // store command
        FrameRow{0, "01 10 00 38 00 01 02 00 01 63 28", "01 10 00 38 00 01 80 04"},
        // function 4 is unknown: exception 01
        FrameRow{0, "01 04 00 00 00 01 31 CA", "01 84 01 82 C0"},
        // 126 registers is beyond the Modbus limit: exception 03; 125 and 0 likewise bounded
        FrameRow{0, "01 03 00 00 00 7E C5 EA", "01 83 03 01 31"},
        FrameRow{0, "01 03 00 00 00 00 45 CA", "01 83 03 01 31"},
        // broadcast and empty addresses stay silent; a bad CRC is ignored
        FrameRow{0, "00 03 00 00 00 01 85 DB", ""}, FrameRow{0, "02 03 00 00 00 01 84 39", ""},
        FrameRow{0, "01 03 00 00 00 01 84 0B", ""},
        // HZL3 rack 1 slot 16, register 61000 goes on the wire as EE 48: DLX 113
        FrameRow{2, "02 03 EE 48 00 01 31 07", "02 03 02 00 71 3C 60"}),
    [](const auto& info) {
        std::string n = info.param.request;
        std::string out = "m" + std::to_string(info.param.bus_mode) + "_";
        for (char c : n)
            if (c != ' ') out += c;
        return out;
    });

TEST(PlantFrames, ReadsRunningPastTheParameterBlockAreAnswered) {
    auto plant = Plant::preset(0);
    // DLX at 3 has 127 words: the block read asks 1112..1127; word 127 reads 0.
    const auto reply = plant.handle(read_request(3, 1112, 16), 0.0);
    ASSERT_TRUE(reply);
    const auto w = answer_words(reply->bytes);
    ASSERT_EQ(w.size(), 16u);
    EXPECT_EQ(w[14], static_cast<std::uint16_t>(plant.device(3).param(126)));
    EXPECT_EQ(w[15], 0);
    // 140-word KRV at 17: 1128..1143 -> words 128..139 then zeros
    const auto r2 = plant.handle(read_request(17, 1128, 16), 0.0);
    ASSERT_TRUE(r2);
    EXPECT_EQ(answer_words(r2->bytes).size(), 16u);
}

TEST(PlantFrames, LogRecordsEveryRequestTheDevicesSaw) {
    auto plant = Plant::preset(0);
    plant.handle(read_request(1, 0, 5), 1.5);
    plant.handle(write_request(9, 1099, {3, 4}), 2.0);
    plant.handle(read_request(99, 0, 5), 2.5);
    ASSERT_EQ(plant.log().size(), 3u);
    const auto& a = plant.log()[0];
    EXPECT_EQ(a.time, 1.5);
    EXPECT_EQ(a.unit, 1);
    EXPECT_EQ(a.function, 3);
    EXPECT_EQ(a.start, 0);
    EXPECT_EQ(a.count, 5);
    EXPECT_EQ(a.device, "1");
    EXPECT_TRUE(a.answered);
    const auto& b = plant.log()[1];
    EXPECT_EQ(b.values, (std::vector<std::uint16_t>{3, 4}));
    EXPECT_EQ(b.device, "9");
    EXPECT_FALSE(plant.log()[2].answered);
    EXPECT_EQ(plant.log()[2].device, "");
}

// ---- Transmitter behaviour ------------------------------------------------------

TEST(Transmitter, WritesChangeTheWorkingSetAndOnlyTheStoreCommandKeepsThem) {
    auto plant = Plant::preset(0);
    auto& t = plant.device(1);
    plant.handle(write_request(1, 1099, {12}), 0.0);
    EXPECT_EQ(t.param(99), 12);
    EXPECT_EQ(t.stored_param(99), 10);
    t.power_cycle();
    EXPECT_EQ(t.param(99), 10);  // unstored change lost

    plant.handle(write_request(1, 1099, {12}), 0.0);
    plant.handle(write_request(1, 56, {1}), 0.0);
    t.power_cycle();
    EXPECT_EQ(t.param(99), 12);
    const auto r = plant.handle(read_request(1, 56, 2), 0.0);
    EXPECT_EQ(answer_words(r->bytes), (std::vector<int>{0, 0}));  // 56 and 57 read back 0
}

TEST(Transmitter, ErrorMemoryLatchesEveryCycleAndAResetShowsClearInTheSameCycle) {
    auto plant = Plant::preset(0);
    plant.device(1).set_error_bits(0x20);
    auto r = plant.handle(read_request(1, 5, 2), 10.00);
    EXPECT_EQ(answer_words(r->bytes), (std::vector<int>{0x20, 0x20}));
    plant.handle(write_request(1, 6, {0}), 10.32);
    r = plant.handle(read_request(1, 5, 2), 10.35);  // same 0.1 s cycle
    EXPECT_EQ(answer_words(r->bytes), (std::vector<int>{0x20, 0}));
    r = plant.handle(read_request(1, 5, 2), 10.45);  // next cycle: still present, latched again
    EXPECT_EQ(answer_words(r->bytes), (std::vector<int>{0x20, 0x20}));
    plant.device(1).set_error_bits(0);
    plant.handle(write_request(1, 6, {0}), 10.50);
    r = plant.handle(read_request(1, 5, 2), 11.0);
    EXPECT_EQ(answer_words(r->bytes), (std::vector<int>{0, 0}));
}

TEST(Transmitter, WritesPastTheBlockAreDroppedLenientlyAndRefusedStrictly) {
    auto plant = Plant::preset(0);
    // 1127 on the 127-word DLX: acknowledged, nothing stored
    auto r = plant.handle(write_request(3, 1127, {77}), 0.0);
    EXPECT_EQ(r->bytes[1], 16);
    EXPECT_EQ(plant.device(3).param(127), 0);
    // read-only status word 0: dropped
    plant.handle(write_request(3, 0, {5}), 0.0);
    EXPECT_EQ(plant.device(3).type_code(), 111);

    plant.set_strict(true);
    r = plant.handle(write_request(3, 1126, {1, 2}), 0.0);  // 1126 ok, 1127 past the block
    EXPECT_EQ(to_hex(Bytes(r->bytes.begin(), r->bytes.begin() + 3)), "03 90 02");
    EXPECT_NE(plant.device(3).param(126), 1);  // nothing of the request applied
    r = plant.handle(read_request(3, 3000, 1), 0.0);
    EXPECT_EQ(r->bytes[1], 0x83);
    r = plant.handle(read_request(3, 1112, 16), 0.0);  // the block read is answered even so
    EXPECT_EQ(r->bytes[1], 3);
}

TEST(Transmitter, NewBusAddressTakesEffectAfterTheStoreAnswer) {
    auto plant = Plant::preset(0);
    plant.handle(write_request(9, 1113, {42 << 8 | 3}), 0.0);
    EXPECT_TRUE(plant.has(9));  // not before the store command
    const auto r = plant.handle(write_request(9, 56, {1}), 0.0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->bytes[0], 9);  // the answer still comes from the old address
    EXPECT_FALSE(plant.has(9));
    EXPECT_EQ(plant.device(42).type_code(), 12);
    // a taken address is not moved to
    plant.handle(write_request(42, 1113, {1 << 8 | 3}), 0.0);
    plant.handle(write_request(42, 56, {1}), 0.0);
    EXPECT_TRUE(plant.has(42));
}

TEST(Transmitter, TheLiveHookRunsWithTheTimeBeforeEveryAccess) {
    auto plant = Plant::preset(1);
    // a ramp of 1.0 per second in the measured value, seen directly and through the
    // gateway's result page
    plant.device(1, 1).set_live(
        [](Transmitter& t, double now) { t.set_status(48, static_cast<int>(now * 10)); });
    EXPECT_EQ(answer_words(plant.handle(read_request(2, 5048, 1), 2.0)->bytes),
              std::vector<int>{20});
    EXPECT_EQ(answer_words(plant.handle(read_request(1, 4000, 1), 3.5)->bytes),
              std::vector<int>{35});
}

TEST(Transmitter, CommentTextAndDefaults) {
    Transmitter t(11, 405);
    EXPECT_EQ(t.comment_word(0), 0x0320);  // empty comment: end mark, blank
    EXPECT_EQ(t.comment_word(1), 0x2020);
    t.set_comment_text("AB\r\n\xFC");
    EXPECT_EQ(t.comment_word(0), 0x4142);
    EXPECT_EQ(t.comment_word(1), 0x0D0A);
    EXPECT_EQ(t.comment_word(2), 0xFC03);
    t.set_comment_text("X");
    EXPECT_EQ(t.comment_word(0), 0x5803);
    EXPECT_EQ(t.comment_word(1), 0x0D0A);  // older text after the end mark stays
    EXPECT_EQ(t.param_count(), 128);
    EXPECT_EQ(Transmitter(16, 416).param_count(), 140);
    EXPECT_EQ(Transmitter(111, 306).param_count(), 127);
    EXPECT_EQ(Transmitter(111, 306).param(99), 19);
    EXPECT_EQ(t.param(83), 5);           // alarm 1 MAX energized
    EXPECT_EQ(t.param(84) & 0xFFFC, 0);  // alarms 2..4 without function or reaction bits
    EXPECT_EQ(t.param(75), 0);
}

// ---- Gateway routing: the inverse of the link's address map ---------------------

struct MapRow {
    const char* name;
    int bus_mode;
    int unit;
    int reg;
    const char* device;                 // who answers in the log
    std::function<int(Plant&)> marker;  // sets a value at the logical place, returns it
};

TEST(GatewayMap, InverseMapCases) {
    auto krv = [](int rack, int slot, int g) {
        return [=](Plant& p) {
            auto& gw = p.gateway();
            if (!gw.has_rack(rack)) gw.add_rack(rack, Concentrator(gw.is_hzl3() ? 33 : 31, 120));
            if (!gw.rack(rack).has(slot)) gw.rack(rack).add(slot, Transmitter(11, 405));
            auto& t = gw.rack(rack).slot(slot);
            const int v = 1000 + rack * 40 + slot;
            if (g < 65)
                t.set_status(g, v);
            else if (g < 2000)
                t.set_param(g - 1000, v);
            else
                t.set_comment_word(g - 2000, v);
            return v;
        };
    };
    const MapRow rows[] = {
        {"HZL r1 s1 g1099", 1, 2, 6099, "rack 1 slot 1", krv(1, 1, 1099)},
        {"HZL r3 s12 g2000", 1, 7, 12000, "rack 3 slot 12", krv(3, 12, 2000)},
        {"HZL r1 s10 g2999", 1, 2, 52999, "rack 1 slot 10", krv(1, 10, 2999)},
        {"HZL r1 s20 g0", 1, 3, 50000, "rack 1 slot 20", krv(1, 20, 0)},
        {"HZL r3 g11000", 1, 6, 1000, "rack 3",
         [](Plant& p) {
             p.device(3, 5).set_status(48, 4711);
             return 4711;
         }},
        {"HZL r3 g10000", 1, 6, 0, "rack 3", [](Plant&) { return 31; }},
        {"HZL g22000", 1, 1, 2000, "gateway",
         [](Plant& p) {
             p.gateway().set_table(0, 17);
             return 17;
         }},
        {"HZL g24000", 1, 1, 4000, "gateway",
         [](Plant& p) { return int{p.device(1, 1).status(48)}; }},
        {"HZL3 r1 s1 g0", 2, 2, 1000, "rack 1 slot 1", [](Plant&) { return 11; }},
        {"HZL3 r1 s16 g0", 2, 2, 61000, "rack 1 slot 16", [](Plant&) { return 113; }},
        {"HZL3 r1 s17 g0", 2, 3, 1000, "rack 1 slot 17", [](Plant&) { return 12; }},
        {"HZL3 r1 s32 g1099", 2, 3, 62099, "rack 1 slot 32", krv(1, 32, 1099)},
        {"HZL3 r5 g11079", 2, 10, 179, "rack 5",
         [](Plant& p) {
             // 80 process words: 20 slots of 4 words, the last word is slot 20's R[51]
             auto& c = p.gateway().add_rack(5, Concentrator(33, 120));
             c.set_word(21, 48);
             c.set_word(22, 4);
             for (int s = 1; s <= 20; ++s) c.add(s, Transmitter(11, 405)).set_status(51, 500 + s);
             return 520;
         }},
        {"HZL3 r17 s1 g1000", 2, 34, 2000, "rack 17 slot 1", krv(17, 1, 1000)},
        {"HZL3 g22000 refused", 2, 1, 2000, "gateway", [](Plant&) { return -2; }},
        {"HZL3 g24000", 2, 1, 4000, "gateway",
         [](Plant& p) { return int{p.device(1, 1).status(48)}; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto plant = Plant::preset(row.bus_mode);
        const int expected = row.marker(plant);
        const auto reply = plant.handle(read_request(row.unit, row.reg, 1), 0.0);
        ASSERT_TRUE(reply);
        ASSERT_FALSE(plant.log().empty());
        EXPECT_EQ(plant.log().back().device, row.device);
        if (expected < 0) {
            EXPECT_EQ(reply->bytes[1], 0x83);
            EXPECT_EQ(reply->bytes[2], -expected);
        } else {
            ASSERT_EQ(reply->bytes[1], 3);
            EXPECT_EQ(answer_words(reply->bytes), std::vector<int>{expected});
        }
    }
}

TEST(Gateway, HzlBlockAndRackMasks) {
    auto plant = Plant::preset(1);
    auto r = plant.handle(read_request(1, 0, 20), 0.0);
    auto w = answer_words(r->bytes);
    ASSERT_EQ(w.size(), 20u);
    EXPECT_EQ(w[0], 32);
    EXPECT_EQ(w[2], 203);
    EXPECT_EQ(w[3], 5);  // racks 1 and 3
    EXPECT_EQ(w[4], 0);
    r = plant.handle(read_request(1, 0, 41), 0.0);  // the wrong-device test reads 41
    EXPECT_EQ(answer_words(r->bytes).size(), 41u);
    r = plant.handle(read_request(2, 0, 5), 0.0);  // rack 1 concentrator: slots 1, 2, 11
    w = answer_words(r->bytes);
    EXPECT_EQ(w[0], 31);
    EXPECT_EQ(w[2], 105);
    EXPECT_EQ(w[3], 1 | 2 | 1 << 10);
    // variable table: five variables, bit 15 mixed
    r = plant.handle(read_request(1, 2002, 6), 0.0);
    EXPECT_EQ(answer_words(r->bytes),
              (std::vector<int>{0x0101, 0x8102, 0x010B, 0x8305, 0x0314, 0}));
    // result words follow the variables' R[48], bit 15 ignored; the rest 0
    r = plant.handle(read_request(1, 4000, 6), 0.0);
    EXPECT_EQ(answer_words(r->bytes),
              (std::vector<int>{plant.device(1, 1).status(48), plant.device(1, 2).status(48),
                                plant.device(1, 11).status(48), plant.device(3, 5).status(48),
                                plant.device(3, 20).status(48), 0}));
}

TEST(Gateway, Hzl3BlockMasksAndResults) {
    auto plant = Plant::preset(2);
    auto r = plant.handle(read_request(1, 0, 41), 0.0);
    auto w = answer_words(r->bytes);
    EXPECT_EQ(w[0], 34);
    EXPECT_EQ(w[2], 210);
    EXPECT_EQ((std::vector<int>{w[3], w[4], w[5], w[6]}),
              (std::vector<int>{3, 1, 0, 0}));  // racks 1, 2, 17
    EXPECT_EQ((std::vector<int>{w[37], w[38], w[40]}), (std::vector<int>{17, 20, 3}));
    r = plant.handle(read_request(2, 0, 26), 0.0);  // rack 1: slots 1, 16, 17, 32 (bit 31)
    w = answer_words(r->bytes);
    EXPECT_EQ(w[0], 33);
    EXPECT_EQ(w[3], 0x8001);
    EXPECT_EQ(w[4], 0x8001);
    EXPECT_EQ((std::vector<int>{w[21], w[22], w[23]}), (std::vector<int>{48, 4, 32}));
    // process data: 4 words from R[48] per occupied slot
    r = plant.handle(read_request(2, 100, 8), 0.0);
    w = answer_words(r->bytes);
    EXPECT_EQ(w[0], plant.device(1, 1).status(48));
    EXPECT_EQ(w[4], plant.device(1, 16).status(48));
    // results: first 20 (block length) process words of each active rack, ascending
    r = plant.handle(read_request(1, 4000, 100), 0.0);
    w = answer_words(r->bytes);
    EXPECT_EQ(w[0], plant.device(1, 1).status(48));
    EXPECT_EQ(w[20], plant.device(2, 3).status(48));
    EXPECT_EQ(w[40], plant.device(17, 1).status(48));
    EXPECT_EQ(w[60], 0);
}

TEST(Gateway, CommandWordsApplyTheWholeRequestAndReadBackZero) {
    auto plant = Plant::preset(2);
    plant.handle(write_request(1, 34, {1, 7, 100, 5, 30, 2, 1}), 0.0);
    auto w = answer_words(plant.handle(read_request(1, 34, 7), 0.0)->bytes);
    EXPECT_EQ(w, (std::vector<int>{0, 7, 100, 5, 30, 2, 1}));
    plant.handle(write_request(2, 20, {1, 10, 6, 16, 1, 0}), 0.0);
    w = answer_words(plant.handle(read_request(2, 20, 6), 0.0)->bytes);
    EXPECT_EQ(w, (std::vector<int>{0, 10, 6, 16, 1, 0}));
    auto hzl = Plant::preset(1);
    hzl.handle(write_request(1, 2000, {9, 200, 0x8101}), 0.0);
    hzl.handle(write_request(1, 20, {1}), 0.0);
    EXPECT_EQ(answer_words(hzl.handle(read_request(1, 20, 1), 0.0)->bytes), std::vector<int>{0});
    EXPECT_EQ(hzl.gateway().table(0), 9);  // own address stored, still unit 1
    EXPECT_EQ(hzl.gateway().table(2), 0x8101);
}

TEST(Gateway, WritesRunningPastTheBlocksAreAcknowledgedAndDropped) {
    // The master sends zeros for words past its images (gateway block 0..40,
    // concentrator settings 0..25); reads there give 0, and so writes are taken too.
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        auto plant = Plant::preset(mode);
        auto r = plant.handle(write_request(1, 38, {5, 6, 7, 0, 0}), 0.0);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->bytes[1], 16);
        EXPECT_EQ(plant.gateway().word(38), 5);
        EXPECT_EQ(plant.gateway().word(40), 7);
        EXPECT_EQ(answer_words(plant.handle(read_request(1, 41, 2), 0.0)->bytes),
                  (std::vector<int>{0, 0}));
        r = plant.handle(write_request(2, 24, {3, 4, 9, 9}), 0.0);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->bytes[1], 16);
        EXPECT_EQ(plant.rack(1).word(24), 3);
        EXPECT_EQ(plant.rack(1).word(25), 4);
        // Beyond the range reads answer there is still no register.
        r = plant.handle(write_request(1, 99, {1, 2}), 0.0);
        EXPECT_EQ(r->bytes[1], 0x90);
        EXPECT_EQ(r->bytes[2], 2);
    }
}

// A write answer of a transmitter in a slot echoes the register sent on the bus, or,
// with the gateway passing the transmitter's answer on, the one the transmitter knows;
// the gateway's and the concentrators' own registers echo as sent either way.
TEST(Gateway, WriteAnswersEchoTheBusRegisterOrTheTransmittersOwn) {
    struct Row {
        const char* name;
        int mode, unit, reg;
        int transmitter_echo;  // the start echoed with the option on
    };
    const Row rows[] = {
        {"HZL slot 1", 1, 2, 6010, 1010},
        {"HZL slot 11", 1, 3, 6010, 1010},
        {"HZL3 slot 1", 2, 2, 2010, 1010},
        {"HZL3 slot 32", 2, 3, 62010, 1010},
        {"HZL gateway block", 1, 1, 38, 38},
        {"HZL3 concentrator settings", 2, 2, 24, 24},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const bool pass : {false, true}) {
            auto plant = Plant::preset(row.mode);
            plant.gateway().set_pass_transmitter_echo(pass);
            const auto r = plant.handle(write_request(row.unit, row.reg, {5, 6}), 0.0);
            ASSERT_TRUE(r);
            ASSERT_EQ(r->bytes.size(), 8u);
            EXPECT_EQ(r->bytes[1], 16);
            EXPECT_EQ(r->bytes[2] << 8 | r->bytes[3], pass ? row.transmitter_echo : row.reg);
            EXPECT_EQ(r->bytes[4] << 8 | r->bytes[5], 2);
            EXPECT_TRUE(crc_ok(r->bytes));
        }
    }
}

TEST(Gateway, UnreachableRacksAndSlotsAnswerExceptionsAfterTheInternalTimeOut) {
    struct Row {
        const char* name;
        int unit, reg;
        std::function<void(Plant&)> setup;
        int exception;
    };
    const Row rows[] = {
        {"missing rack 2", 4, 5000, [](Plant&) {}, 0x0A},
        {"silent concentrator", 2, 0, [](Plant& p) { p.rack(1).set_silent(true); }, 0x0A},
        {"empty slot 3", 2, 15000, [](Plant&) {}, 0x0B},
        {"silent transmitter", 2, 5000, [](Plant& p) { p.device(1, 1).set_silent(true); }, 0x0B},
        {"upper half has no concentrator block", 3, 0, [](Plant&) {}, 0x02},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto plant = Plant::preset(1);
        row.setup(plant);
        auto r = plant.handle(read_request(row.unit, row.reg, 1), 0.0);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->bytes[1], 0x83);
        EXPECT_EQ(r->bytes[2], row.exception);
        if (row.exception != 2) {
            EXPECT_NEAR(r->delay, 0.1, 1e-9);
        }
        plant.gateway().set_silent_when_unreachable(true);
        r = plant.handle(read_request(row.unit, row.reg, 1), 0.0);
        EXPECT_EQ(r.has_value(), row.exception == 2);
    }
}

TEST(Gateway, Hzl3ResetClearsBitmapsAndAPersistingFaultSetsThemOnTheNextPoll) {
    auto plant = Plant::preset(2);
    plant.device(1, 17).set_silent(true);
    auto bits = [&](double t) {
        auto w = answer_words(plant.handle(read_request(1, 11, 20), t)->bytes);
        auto c =
            answer_words(plant.handle(read_request(2, 13, 2), t)->bytes);  // BNR missing answer
        return std::vector<int>{w[0], c[0], c[1]};
    };
    EXPECT_EQ(bits(100.0), (std::vector<int>{1, 0, 1}));  // rack 1 remote time-out, slot 17
    plant.handle(write_request(1, 11, std::vector<int>(20, 0)), 100.2);
    plant.handle(write_request(2, 7, std::vector<int>(10, 0)), 100.2);
    EXPECT_EQ(bits(100.3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(bits(101.1), (std::vector<int>{1, 0, 1}));
}

}  // namespace
}  // namespace dvx::sim

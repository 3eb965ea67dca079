// Which image a read fills and a write sends, on the simulated bus.
#include <gtest/gtest.h>

#include <vector>

#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

using RegisterMap = BusFixture;

std::vector<std::uint16_t> words(std::initializer_list<int> v) {
    return {v.begin(), v.end()};
}

TEST_F(RegisterMap, StatusReadStopsAtWord64) {
    attach(sim::Plant::preset(0), 1);
    for (int r = 60; r <= 64; ++r) plant().device(1).set_status(r, 600 + r);
    status_regs[65] = 1234;
    EXPECT_EQ(read_regs(60, 10), 0);
    for (int r = 60; r <= 64; ++r) EXPECT_EQ(status_regs[r], 600 + r) << r;
    EXPECT_EQ(status_regs[65], 1234);
    ASSERT_EQ(plant().log().size(), 1u);
    EXPECT_EQ(plant().log()[0].count, 10);
}

TEST_F(RegisterMap, ParameterReadFollowsParamCount) {
    attach(sim::Plant::preset(0), 3);  // DLX, 127 words
    for (int p = 112; p <= 126; ++p) plant().device(3).set_param(p, p * 3);
    model::param_count = 127;
    model::param_image[127] = -7;
    EXPECT_EQ(read_regs(1112, 16), 0);
    for (int p = 112; p <= 126; ++p) EXPECT_EQ(model::param_image[p], p * 3) << p;
    EXPECT_EQ(model::param_image[127], -7);
    EXPECT_EQ(plant().log().back().count, 16);  // the device is still asked for 16
    // 1127 lies outside a 127-word block: the exchange is made, the read fails.
    EXPECT_EQ(read_transaction(1127, 1).end, TransactionEnd::outside_map);
    EXPECT_EQ(plant().log().size(), 2u);
    EXPECT_EQ(model::param_image[127], -7);
}

TEST_F(RegisterMap, ParameterWriteFollowsParamCount) {
    attach(sim::Plant::preset(0), 1);  // KRV, 128 words
    model::param_image[127] = 77;
    model::param_count = 127;
    EXPECT_EQ(write_regs(1127, 1), 2);
    EXPECT_TRUE(plant().log().empty());
    model::param_count = 128;
    EXPECT_EQ(write_regs(1127, 1), 0);
    ASSERT_EQ(plant().log().size(), 1u);
    EXPECT_EQ(plant().log()[0].start, 1127);
    EXPECT_EQ(plant().log()[0].values, words({77}));
    EXPECT_EQ(plant().device(1).param(127), 77);
}

TEST_F(RegisterMap, WritesPastTheImageSendZeros) {
    attach(sim::Plant::preset(1));
    for (int i = 0; i <= 41; ++i) hzl_regs[i] = static_cast<std::int16_t>(100 + i);
    EXPECT_EQ(write_regs(20038, 5), 0);
    ASSERT_EQ(plant().log().size(), 1u);
    EXPECT_EQ(plant().log()[0].unit, 1);
    EXPECT_EQ(plant().log()[0].start, 38);
    EXPECT_EQ(plant().log()[0].values, words({138, 139, 140, 0, 0}));
    EXPECT_EQ(plant().gateway().word(40), 140);
    // The same for the concentrator settings past word 25, behind rack 1.
    for (int i = 0; i <= 26; ++i) bnr_regs[i] = static_cast<std::int16_t>(200 + i);
    EXPECT_EQ(write_regs(10024, 4), 0);
    EXPECT_EQ(plant().log()[1].unit, 2);
    EXPECT_EQ(plant().log()[1].values, words({224, 225, 0, 0}));
    EXPECT_EQ(plant().rack(1).word(25), 225);
}

TEST_F(RegisterMap, EachAreaFillsItsImage) {
    attach(sim::Plant::preset(1), 1, 1);  // HZL, rack 1 slot 1
    auto& gw = plant().gateway();
    struct Case {
        const char* name;
        int start;
        int count;
        std::int16_t* first_word;
        std::int16_t expected;
    };
    plant().device(1, 1).set_comment_word(10, 0x4142);
    const Case cases[] = {
        {"status", 4, 1, &status_regs[4],
         static_cast<std::int16_t>(plant().device(1, 1).version())},
        {"comment", 2010, 1, &comment_regs[10], 0x4142},
        {"concentrator settings", 10000, 3, &bnr_regs[0],
         static_cast<std::int16_t>(gw.rack(1).type_code())},
        {"gateway block", 20000, 3, &hzl_regs[0], static_cast<std::int16_t>(gw.type_code())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *c.first_word = -1;
        EXPECT_EQ(read_regs(c.start, c.count), 0);
        EXPECT_EQ(*c.first_word, c.expected);
    }
    EXPECT_EQ(read_regs(11000, 80), 0);
    EXPECT_EQ(plant().log().back().unit, 2);
    EXPECT_EQ(plant().log().back().start, 1000);
}

TEST_F(RegisterMap, RefusedWritesAndBadStartsSendNothing) {
    attach(sim::Plant::preset(0), 1);
    struct Case {
        const char* name;
        bool write;
        int start;
        int count;
        TransactionEnd end;
    };
    const Case cases[] = {
        {"write process data", true, 11000, 1, TransactionEnd::refused},
        {"write result page", true, 24000, 1, TransactionEnd::refused},
        {"write outside the map", true, 3000, 1, TransactionEnd::refused},
        {"write status 65", true, 65, 1, TransactionEnd::refused},
        {"write negative start", true, -1, 1, TransactionEnd::refused},
        {"read negative start", false, -5, 1, TransactionEnd::negative_start},
        {"read count 0", false, 0, 0, TransactionEnd::bad_count},
        {"write 128 words (byte count is one byte)", true, 2000, 128, TransactionEnd::bad_count},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TransactionResult r =
            c.write ? write_transaction(c.start, c.count) : read_transaction(c.start, c.count);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.sends, 0);
    }
    EXPECT_TRUE(plant().log().empty());
    EXPECT_EQ(link_error_count, 0);
}

TEST_F(RegisterMap, ReadOutsideTheMapExchangesThenFails) {
    attach(sim::Plant::preset(0), 1);
    const auto before = status_regs;
    const TransactionResult r = read_transaction(3000, 2);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.end, TransactionEnd::outside_map);
    EXPECT_EQ(r.sends, 1);
    EXPECT_EQ(status_regs, before);
}

TEST_F(RegisterMap, SingleRegisterProcedures) {
    attach(sim::Plant::preset(0), 17);  // KRV 16, 4.16
    std::int16_t code = -1;
    EXPECT_EQ(read_device_type(code), 0);
    EXPECT_EQ(code, 16);
    std::int16_t version = 0;
    EXPECT_EQ(read_one_reg(4, version), 0);
    EXPECT_EQ(version, 416);
    reg_win_start = 5;
    reg_win_count = 2;
    EXPECT_EQ(read_reg_window(), 0);
    EXPECT_EQ(plant().log().back().start, 5);
    EXPECT_EQ(plant().log().back().count, 2);
    std::int16_t value = 99;
    EXPECT_EQ(read_one_reg(66, value), 1);  // not a status word: nothing sent
    EXPECT_EQ(value, 99);
    // Failures give 1 and leave the outputs as they were.
    plant().fault(sim::Fault::silent());
    code = -1;
    EXPECT_EQ(read_device_type(code), 1);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(read_one_reg(4, value), 1);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(read_reg_window(), 1);
}

}  // namespace
}  // namespace dvx::link

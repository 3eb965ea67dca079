// The HZL variable table and the result pages go straight to the gateway pages'
// controls through the link's bindings (detached controls here).
#include <gtest/gtest.h>

#include <string>

#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

class GatewayPages : public BusFixture {
  protected:
    DetachedControls& page() { return detached_controls(); }
    std::string param_cell(int row, int col) { return bindings().hzl.flg_param.get(row, col); }
};

TEST_F(GatewayPages, TableReadFillsAddressStartAndRows) {
    attach(sim::Plant::preset(1));
    auto& gw = plant().gateway();
    gw.set_table(0, 17);
    gw.set_table(1, 30000);
    gw.set_table(2, 0x8305);
    EXPECT_EQ(read_regs(22000, 3), 0);
    EXPECT_EQ(page().txt_hzladr, "17");
    EXPECT_EQ(page().txt_hzlstrt, "30000");
    EXPECT_EQ(param_cell(1, 1), "3");
    EXPECT_EQ(param_cell(1, 2), "5");
    EXPECT_EQ(param_cell(1, 3), "");
    gw.set_table(601, 0x7FFF);  // row 600: bits 8..14 all set, mark "X"
    EXPECT_EQ(read_regs(22598, 4), 0);
    EXPECT_EQ(param_cell(600, 1), "127");
    EXPECT_EQ(param_cell(600, 2), "255");
    EXPECT_EQ(param_cell(600, 3), "X");
}

TEST_F(GatewayPages, TableWriteBuildsWordsFromTheRows) {
    attach(sim::Plant::preset(1));
    struct Case {
        const char* name;
        const char* version;
        const char* rack;
        const char* device;
        const char* mark;
        int word;
    };
    const Case cases[] = {
        {"marked", "2.03", "3", "5", "X", 0x0305},
        {"unmarked from 2.03", "2.03", "3", "5", "", 0x8305},
        {"unmarked from 2.10", "2.10", "3", "5", "", 0x8305},
        {"unmarked below 2.03", "2.02", "3", "5", "", 0x0305},
        {"largest fields", "2.03", "127", "255", "X", 0x7FFF},
        {"not numeric gives 0", "2.02", "", "5", "X", 0},
        {"not numeric, unmarked from 2.03", "2.03", "a", "b", "", 0},
        {"unassigned, unmarked from 2.03", "2.03", "", "", "", 0},
        {"device emptied, unmarked from 2.10", "2.10", "3", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plant().clear_log();
        page().txt_hzladr = "17";
        page().txt_hzlstrt = "1";
        page().lbl_ver_txt = c.version;
        page().hzl_flg_param[{1, 1}] = c.rack;
        page().hzl_flg_param[{1, 2}] = c.device;
        page().hzl_flg_param[{1, 3}] = c.mark;
        EXPECT_EQ(write_regs(22000, 3), 0);
        ASSERT_EQ(plant().log().size(), 1u);
        const auto& e = plant().log()[0];
        EXPECT_EQ(e.unit, 1);
        EXPECT_EQ(e.start, 2000);
        EXPECT_EQ(e.values,
                  (std::vector<std::uint16_t>{17, 1, static_cast<std::uint16_t>(c.word)}));
        EXPECT_EQ(plant().gateway().table(2), c.word);
    }
}

TEST_F(GatewayPages, TableWriteWithAFieldOutOfRangeSendsNothing) {
    attach(sim::Plant::preset(1));
    struct Case {
        const char* name;
        const char* address;
        const char* rack;
        const char* device;
    };
    const Case cases[] = {
        {"address not a number", "abc", "1", "1"},
        {"address empty", "", "1", "1"},
        {"address negative", "-1", "1", "1"},
        {"address beyond 16 bits", "65536", "1", "1"},
        {"rack would spill into bit 15", "5", "128", "1"},
        {"device beyond its byte", "5", "1", "256"},
        {"rack with a fraction", "5", "1.5", "1"},
        {"device negative", "5", "1", "-1"},
        {"device far beyond any integer", "5", "1", "99999999999999999999999"},
    };
    page().txt_hzlstrt = "1";
    page().lbl_ver_txt = "2.03";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        page().txt_hzladr = c.address;
        page().hzl_flg_param[{1, 1}] = c.rack;
        page().hzl_flg_param[{1, 2}] = c.device;
        page().hzl_flg_param[{1, 3}] = "X";
        const TransactionResult r = write_transaction(22000, 3);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.end, TransactionEnd::bad_page_value);
    }
    EXPECT_TRUE(plant().log().empty());
    page().txt_hzladr = " 248 ";
    page().hzl_flg_param[{1, 1}] = "127";
    page().hzl_flg_param[{1, 2}] = "255";
    EXPECT_EQ(write_regs(22000, 3), 0);
}

TEST_F(GatewayPages, HzlResultPagesGoToTheirCells) {
    attach(sim::Plant::preset(1));
    // Variables 16 and 39 (result words 15 and 38) name the devices in rack 1 slot 1 and
    // rack 3 slot 5, whose measured values stand in the first and the last cell filled.
    auto& gw = plant().gateway();
    gw.set_table(1 + 16, 1 << 8 | 1);
    gw.set_table(1 + 39, 3 << 8 | 5);
    plant().device(1, 1).set_status(48, 1234);
    plant().device(3, 5).set_status(48, -56);
    EXPECT_EQ(read_regs(24015, 24), 0);
    const auto& cells = page().hzl_flg_result;
    EXPECT_EQ(cells.size(), 24u);
    EXPECT_TRUE(cells.count({2, 6}) && cells.count({2, 10}));
    EXPECT_TRUE(cells.count({3, 1}) && cells.count({3, 10}));
    EXPECT_TRUE(cells.count({4, 1}) && cells.count({4, 9}));
    EXPECT_FALSE(cells.count({2, 5}) || cells.count({4, 10}));
    EXPECT_EQ(cells.at({2, 6}), "1234");
    EXPECT_EQ(cells.at({4, 9}), "-56");
    EXPECT_EQ(cells.at({3, 1}), "0");
    EXPECT_TRUE(page().hzl3_flg_result.empty());
}

TEST_F(GatewayPages, Hzl3ResultsFillRowsOneToTenWhateverTheStart) {
    attach(sim::Plant::preset(2));
    EXPECT_EQ(read_regs(24100, 100), 0);
    EXPECT_EQ(page().hzl3_flg_result.size(), 100u);
    EXPECT_TRUE(page().hzl3_flg_result.count({1, 1}) && page().hzl3_flg_result.count({10, 10}));
    page().hzl3_flg_result.clear();
    EXPECT_EQ(read_regs(24000, 120), 0);  // rows past 10 are dropped
    EXPECT_EQ(page().hzl3_flg_result.size(), 100u);
    EXPECT_FALSE(page().hzl3_flg_result.count({11, 1}));
    EXPECT_TRUE(page().hzl_flg_result.empty());
    // Rack 2's process data follows rack 1's 20 words; from 24020 on it starts at (1, 1).
    plant().device(2, 3).set_status(48, -321);
    EXPECT_EQ(read_regs(24020, 10), 0);
    EXPECT_EQ(page().hzl3_flg_result.at({1, 1}), "-321");
}

TEST_F(GatewayPages, BindingsReachTheInstalledPage) {
    // A page installs its own bindings; the link reads and writes through them only.
    attach(sim::Plant::preset(1));
    plant().gateway().set_table(0, 42);
    int loads = 0;
    std::string address;
    bindings().hzl.txt_hzladr = {[&] {
                                     ++loads;
                                     return address;
                                 },
                                 [&](const std::string& t) {
                                     ++loads;
                                     address = t;
                                 }};
    EXPECT_EQ(read_regs(22000, 1), 0);
    EXPECT_EQ(address, "42");
    EXPECT_EQ(detached_controls().txt_hzladr, "");
    address = "43";
    EXPECT_EQ(write_regs(22000, 1), 0);
    EXPECT_EQ(plant().gateway().table(0), 43);
    EXPECT_EQ(loads, 2);
}

}  // namespace
}  // namespace dvx::link

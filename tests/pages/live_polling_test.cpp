// What both live pages share: their buttons' fresh read of the device, which stops at
// the first failure with its message and opens nothing; one read of the register window
// per cycle, back to back on the direct bus and half a second apart through a gateway.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pages/h_online.h"
#include "pages/wartung.h"
#include "tests/pages/live_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using sim::Fault;

class LivePolling : public LivePageFixture {};

TEST_F(LivePolling, FreshReadStopsAtTheFirstFailure) {
    struct Row {
        const char* name;
        bool online;  // else the diagnosis button
        std::optional<Fault> fault;
        int type_code;  // the device's register 0
        const char* message;
        bool block_read;  // the parameter block was asked for
    };
    const Row rows[] = {
        {"online_type", true, Fault::silent().registers(0, 0), 11, "No connection !", false},
        {"online_unknown_type", true, std::nullopt, 77,
         "No support for this device version.", false},
        {"online_block", true, Fault::silent().registers(1000, 1999), 11, "No connection !", true},
        {"online_output_mode", true, Fault::silent().registers(26, 26), 11, "No connection !",
         true},
        {"diagnosis_type", false, Fault::silent().registers(0, 0), 11, "No connection !", false},
        {"diagnosis_output_mode", false, Fault::silent().registers(26, 26), 11, "No connection !",
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(start());
        select(1);
        device().set_status(0, row.type_code);
        if (row.fault) plant_->fault(*row.fault);
        clear_records();
        click(row.online ? main().B_online : main().Command3D3);
        EXPECT_EQ(prompts(), std::vector<std::string>{row.message});
        EXPECT_EQ(boxes_.shown().back().title, "DORVANEX");
        EXPECT_TRUE(main().visible());
        EXPECT_FALSE(pages::h_online_inst.loaded());
        EXPECT_FALSE(pages::wartung_krv_inst.loaded());
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        bool block = false, polled = false;
        for (const Request& r : requests()) {
            block = block || (r.function == read_fn && r.start == 1000);
            polled = polled || (r.function == read_fn && r.start == 5);
        }
        EXPECT_EQ(block, row.block_read);
        EXPECT_FALSE(polled);
        EXPECT_EQ(writes(), std::vector<Request>{});
        plant_->clear_faults();
        TearDown();
        SetUp();
    }
}

TEST_F(LivePolling, CyclesPauseHalfASecondOnlyThroughAGateway) {
    struct Row {
        const char* name;
        int mode;
        const char* marker;
        bool online;  // else the diagnosis page
    };
    const Row rows[] = {
        {"online_direct", 0, nullptr, true},        {"online_hzl", 1, "HZL_mod.cfg", true},
        {"online_hzl3", 2, "HZL3_mod.cfg", true},   {"diagnosis_direct", 0, nullptr, false},
        {"diagnosis_hzl", 1, "HZL_mod.cfg", false}, {"diagnosis_hzl3", 2, "HZL3_mod.cfg", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.marker) write_checked(row.marker, "1");
        ASSERT_TRUE(start(row.mode));
        select(1);  // a KRV transmitter; behind a gateway rack 1, slot 1
        clear_records();
        // The read windows: registers 5..55 or 5..64 online, 5..6 for the diagnosis.
        std::vector<double> reads;
        run_page(row.online ? main().B_online : main().Command3D3, 5.0, [&] {
            for (const auto& e : plant_->log())
                if (e.function == read_fn && (e.count == 51 || e.count == 60 || e.count == 2))
                    reads.push_back(e.time);
            if (auto* p = pages::h_online_inst.peek()) ui::user_click(p->B_Zurueck);
            if (auto* p = pages::wartung_krv_inst.peek()) ui::user_click(p->B_Zurueck);
        });
        ASSERT_GE(reads.size(), 5u);
        const double cycle = (reads.back() - reads.front()) / static_cast<double>(reads.size() - 1);
        if (row.mode == 0) {
            EXPECT_LT(cycle, 0.2) << "no pause on the direct bus";
        } else {
            EXPECT_GE(cycle, 0.5);
            EXPECT_LT(cycle, 0.7) << "one pause of 0.5 s per cycle";
        }
        TearDown();
        SetUp();
    }
}

}  // namespace
}  // namespace dvx::testing

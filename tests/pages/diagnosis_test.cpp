// The diagnosis pages as a user opens them from the main window, against the simulated
// bus: the bits they show of status words 5 and 6 per family and input kind, the reset
// of the fault memory, how polling ends, and their captions at every opening.
#include "pages/wartung.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mainwin/page_openers.h"
#include "tests/pages/live_fixture.h"
#include "texts/language.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using pages::wartung_inst;
using pages::wartung_krv_inst;
using sim::Fault;

const std::string not_possible =
    "No connection to the device. Maintenance  representation isn't possible";

class Diagnosis : public LivePageFixture {
  protected:
    // The page of the selected device's family, loaded or null.
    pages::DiagnosisPage* page() {
        if (auto* p = wartung_inst.peek()) return p;
        return wartung_krv_inst.peek();
    }
    // Opens the diagnosis page and runs `then` (default: Back) `seconds` later.
    void run_diagnosis(double seconds = 2.0, std::function<void()> then = {}) {
        if (!then)
            then = [this] {
                if (auto* p = page()) ui::user_click(p->B_Zurueck);
            };
        run_page(main().Command3D3, seconds, then);
    }
    // Names of the checked boxes and of the hidden rows' captions, in row order.
    std::vector<std::string> checked(pages::DiagnosisPage& p) {
        std::vector<std::string> out;
        for (const auto& r : p.rows()) {
            if (p.current_box(r.bit).value()) out.push_back(p.current_box(r.bit).name());
            if (p.memory_box(r.bit).value()) out.push_back(p.memory_box(r.bit).name());
        }
        return out;
    }
    std::vector<std::string> hidden(pages::DiagnosisPage& p) {
        std::vector<std::string> out;
        for (const auto& r : p.rows()) {
            const bool shown = p.row_label(r.bit).visible();
            EXPECT_EQ(p.current_box(r.bit).visible(), shown);
            EXPECT_EQ(p.memory_box(r.bit).visible(), shown);
            if (!shown) out.push_back(p.row_label(r.bit).name());
        }
        return out;
    }
};

// The device latches its current faults into the memory, so the memory shows R[6] | R[5].
TEST_F(Diagnosis, BitsShownFollowTheDevicesWords) {
    struct Row {
        const char* name;
        int address;
        int input_kind;  // DLX status word 2
        int current, memory;
        std::vector<std::string> checked;
        std::vector<std::string> hidden;
    };
    const Row rows[] = {
        {"krv", 1, 0, 0x0024, 0x0400, {"c_e_020", "l_e_020", "c_e_004", "l_e_004"}, {}},
        {"krv_memory_only", 1, 0, 0, 0x0201, {"l_e_200", "l_e_001"}, {}},
        {"dlx_ma_input", 3, 0, 0x0024, 0x0400,
         {"c_e_200", "l_e_200", "l_e_100", "c_e_010", "l_e_010"}, {}},
        {"dlx_mv_input", 3, 1000, 0x0020, 0, {"c_e_200", "l_e_200"}, {"Label18", "Label1"}},
        {"dlx_volt_input", 20, 1001, 0x0400, 0, {"c_e_100", "l_e_100"}, {"Label18", "Label1"}},
        {"dlx_bipolar_input", 3, 1002, 0x0001, 0x0100, {"l_e_400", "c_e_002", "l_e_002"},
         {"Label1"}},
    };
    ASSERT_TRUE(start());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        select(row.address);
        device().set_status(2, row.input_kind);
        device().set_error_bits(row.current);
        device().set_status(6, row.memory);
        clear_records();
        std::vector<std::string> shown_checked, shown_hidden;
        run_diagnosis(2.0, [&] {
            shown_checked = checked(*page());
            shown_hidden = hidden(*page());
            ui::user_click(page()->B_Zurueck);
        });
        EXPECT_EQ(shown_checked, row.checked);
        EXPECT_EQ(shown_hidden, row.hidden);
        EXPECT_GE(count_requests(read_fn, 2), 3) << "registers 5 and 6 every cycle";
        EXPECT_EQ(writes(), std::vector<Request>{});
        EXPECT_TRUE(main().visible());
        EXPECT_FALSE(page()) << "Back unloads the page";
        device().set_error_bits(0);
        device().set_status(6, 0);
    }
}

TEST_F(Diagnosis, ResetClearsTheMemoryInTheDevice) {
    ASSERT_TRUE(start());
    select(1);
    device().set_status(6, 0x0041);
    clear_records();
    std::vector<std::string> after_reset, next_cycle{"not run"};
    at(1.0, [&] {
        ui::user_click(page()->B_err_res);
        // The next cycle writes before it reads, so it already shows the cleared memory.
        loop_.post([&] { next_cycle = checked(*page()); });
    });
    run_diagnosis(2.0, [&] {
        after_reset = checked(*page());
        ui::user_click(page()->B_Zurueck);
    });
    EXPECT_EQ(device().status(6), 0);
    EXPECT_EQ(next_cycle, std::vector<std::string>{});
    EXPECT_EQ(after_reset, std::vector<std::string>{});
    ASSERT_EQ(writes(), (std::vector<Request>{{write_fn, 6, 1}}));
    for (const auto& e : plant_->log()) {
        if (e.function == write_fn) {
            EXPECT_EQ(e.values, std::vector<std::uint16_t>{0});
        }
    }
    EXPECT_EQ(pages::error_reset_request, 0);
    EXPECT_EQ(prompts(), std::vector<std::string>{});
}

TEST_F(Diagnosis, ResetOrReadFailureEndsWithTheMessageOnce) {
    struct Row {
        const char* name;
        bool reset;
    };
    for (const Row row : {Row{"reset", true}, Row{"read", false}}) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(start());
        select(1);
        device().set_status(6, 0x0041);
        clear_records();
        at(1.0, [this, row] {
            plant_->fault(Fault::silent());
            if (row.reset) ui::user_click(page()->B_err_res);
        });
        click(main().Command3D3);
        EXPECT_EQ(prompts(), std::vector<std::string>{not_possible});
        EXPECT_EQ(boxes_.shown().back().title, "DORVANEX");
        EXPECT_TRUE(main().visible());
        ASSERT_TRUE(page());
        EXPECT_FALSE(page()->visible());
        EXPECT_EQ(device().status(6), 0x0041) << "the memory is unchanged";
        EXPECT_TRUE(page()->memory_box(0x040).value()) << "the last shown state stays";
        EXPECT_EQ(count_requests(write_fn, 1), row.reset ? 4 : 0) << "a failed reset is not retried";
        plant_->clear_faults();
        ui::reset_forms();
    }
}

// A reset clicked just before the page closes is dropped: the next run, perhaps on
// another device, must not clear that device's memory.
TEST_F(Diagnosis, PendingResetDiesWithThePage) {
    ASSERT_TRUE(start());
    select(1);
    run_diagnosis(1.0, [this] {
        ui::user_click(page()->B_err_res);
        ui::user_click(page()->B_Zurueck);
    });
    EXPECT_EQ(pages::error_reset_request, 0);

    select(3);
    device().set_status(6, 0x0008);
    pages::error_reset_request = 1;  // left over however it came
    clear_records();
    run_diagnosis();
    EXPECT_EQ(writes(), std::vector<Request>{});
    EXPECT_EQ(device().status(6), 0x0008);
}

// The DLX rows follow the input kind of the device in hand at every opening, and the
// captions the language of that moment, also when the page is still loaded (hidden after
// a link failure) and another device comes next.
TEST_F(Diagnosis, StillLoadedPageTakesTheNextDevicesRowsAndLanguage) {
    ASSERT_TRUE(start());
    select(3);
    device().set_status(2, 1000);  // mV input
    at(1.0, [this] { plant_->fault(Fault::silent()); });
    click(main().Command3D3);
    ASSERT_EQ(prompts(), std::vector<std::string>{not_possible});
    ASSERT_TRUE(wartung_inst.peek()) << "the page is hidden, not unloaded";
    EXPECT_EQ(hidden(*page()), (std::vector<std::string>{"Label18", "Label1"}));

    pages::DiagnosisPage* still_loaded = wartung_inst.peek();
    plant_->clear_faults();
    texts::lang_code = "NL";
    select(20);
    device().set_status(2, 0);  // mA input: every row
    device().set_error_bits(0x0400);
    std::vector<std::string> rows_hidden, shown_checked;
    std::string title, supply;
    pages::DiagnosisPage* shown = nullptr;
    run_diagnosis(1.0, [&] {
        shown = page();
        rows_hidden = hidden(*page());
        shown_checked = checked(*page());
        title = page()->caption();
        supply = page()->row_label(0x400).caption();
        ui::user_click(page()->B_Zurueck);
    });
    EXPECT_EQ(shown, still_loaded) << "the same page";
    EXPECT_EQ(rows_hidden, std::vector<std::string>{});
    EXPECT_EQ(shown_checked, (std::vector<std::string>{"c_e_100", "l_e_100"}));
    EXPECT_EQ(title, "Diagnose manager          TAG No:  PI-420 ");
    EXPECT_EQ(supply, "Transmitter-voedingsstroomkring");
}

TEST_F(Diagnosis, FrameCloseEndsPollingAndGivesThePlacementBack) {
    ASSERT_TRUE(start());
    select(9);
    std::size_t at_close = 0;
    run_diagnosis(2.0, [&] {
        page()->set_width(12000);
        ui::user_close(*page());
        at_close = requests().size();
    });
    EXPECT_TRUE(main().visible());
    EXPECT_FALSE(page());
    EXPECT_EQ(requests().size(), at_close);
    EXPECT_EQ(main().width(), 12000);
}

// Through a gateway: Back during the 0.5 s pause and the diagnosis button again start a
// nested run on a freshly loaded page; then both end.
TEST_F(Diagnosis, SecondPressInThePauseRunsNestedThenBothEnd) {
    write_checked("HZL3_mod.cfg", "1");
    ASSERT_TRUE(start(2));
    select(16);  // rack 1, slot 16: DLX 113
    int depth = 0, deepest = 0;
    mainwin::page_openers().Command3D3 = [&depth, &deepest] {
        deepest = std::max(deepest, ++depth);
        pages::Command3D3_Click();
        --depth;
    };
    clear_records();
    at(3.0, [this] {
        ui::user_click(page()->B_Zurueck);
        loop_.post([this] { ui::user_click(main().Command3D3); });
    });
    at(6.0, [this] { ui::user_click(page()->B_Zurueck); });
    click(main().Command3D3);
    EXPECT_EQ(deepest, 2);
    EXPECT_TRUE(main().visible());
    EXPECT_FALSE(page());
    EXPECT_EQ(count_requests(read_fn, 5), 2);
    EXPECT_EQ(prompts(), std::vector<std::string>{});
}

TEST_F(Diagnosis, CaptionsOfEveryOpeningInItsLanguage) {
    struct Row {
        const char* lang;
        int address;
        const char* title;
        const char* slave_label;  // lbl_e_0002 on KRV, lbl_e_0004 on DLX
        const char* reset;
        const char* system;
    };
    const Row rows[] = {
        {"GB", 1, "Diagnostic manager          TAG No:  TT-101 ", "slave processor",
         "Reset fault memory", "Internal device error"},
        {"GB", 3, "Diagnostic manager          TAG No:  FT-205 ", "Slave processor",
         "Reset fault memory", "Internal device error"},
        {"NL", 3, "Diagnose manager          TAG No:  FT-205 ", "Slave processor",
         "Reset van geheugenfout", "Internal device error"},
        {"D", 1, "Diagnosemanager          TAG No:  TT-101 ", "Slave-Prozessor",
         "&Fehlerspeicher zur\xFC" "cksetzen", "Interner Ger\xE4tefehler"},
        {"xx", 1, "Diagnosemanager          TAG No:  TT-101 ", "Slave-Prozessor",
         "&Fehlerspeicher zur\xFC" "cksetzen", "Interner Ger\xE4tefehler"},
    };
    ASSERT_TRUE(start());
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.lang) + " " + std::to_string(row.address));
        texts::lang_code = row.lang;
        select(row.address);
        std::string title, slave, reset, system;
        run_diagnosis(1.0, [&] {
            auto& p = *page();
            title = p.caption();
            slave = p.row_label(0x002).caption();
            reset = p.B_err_res.caption();
            system = p.fra_system.caption();
            ui::user_click(p.B_Zurueck);
        });
        EXPECT_EQ(title, row.title);
        EXPECT_EQ(slave, row.slave_label);
        EXPECT_EQ(reset, row.reset);
        EXPECT_EQ(system, row.system);
    }
    // The KRV sensor-break caption ends in a blank.
    texts::lang_code = "GB";
    select(1);
    std::string sensor;
    run_diagnosis(1.0, [&] {
        sensor = page()->row_label(0x020).caption();
        ui::user_click(page()->B_Zurueck);
    });
    EXPECT_EQ(sensor, "Sensor or wire break ");
}

}  // namespace
}  // namespace dvx::testing

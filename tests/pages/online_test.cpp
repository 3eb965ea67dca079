// The online values page as a user opens it from the main window, against the
// simulated bus: what it shows of the device's live words, how its scales follow the
// image, how it ends (Back, the frame, a device that stops answering) and what the
// online button reads first.
#include "pages/h_online.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "link/transactions.h"
#include "mainwin/page_openers.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "model/param_list.h"
#include "pages/wartung.h"
#include "tests/pages/live_fixture.h"
#include "texts/language.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using pages::h_online_inst;
using sim::Fault;

const std::string not_possible = "No connection to the device. Online representation isn't possible.";
const std::string deg = "\xB0" "C";
constexpr std::uint32_t dark_red = 0xC0;

class Online : public LivePageFixture {
  protected:
    // Opens the online page on the selected device and clicks Back after `seconds`.
    void run_online(double seconds = 3.0) {
        run_page(main().B_online, seconds, [] {
            if (auto* p = h_online_inst.peek()) ui::user_click(p->B_Zurueck);
        });
    }
    pages::H_online& page() { return *h_online_inst.peek(); }
    void expect_ended() {
        EXPECT_TRUE(main().visible());
        ASSERT_TRUE(h_online_inst.peek());
        EXPECT_FALSE(page().visible());
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
    }
};

// --- Polling: what the page shows of the device ------------------------------------------

struct Shown {
    const char* name;
    int address;
    std::vector<std::pair<int, int>> status;  // device status words set before
    std::vector<std::pair<int, int>> params;  // device parameter words set before
    int window;                               // read window count (from register 5)
    std::string value;
    int gauge1;
    std::string output;
    int gauge2;
    std::optional<std::string> cold_junction;  // none: row hidden
    std::optional<std::string> loop;           // none: row hidden
    std::vector<bool> alarms_active;
};
void PrintTo(const Shown& s, std::ostream* os) {
    *os << s.name;
}

// Output words: current points 5170/25830 (4/20 mA), voltage points 5640/28180 (2/10 V).
const Shown shown_rows[] = {
    {"krv_405_rtd_current", 1,
     {{48, 2155}, {49, 5388}, {50, 15500}, {52, 1}},
     {},
     51, "215.5 " + deg, 5588, "12.000 mA", 6200, std::nullopt, std::nullopt,
     {true, false, false, false}},
    {"dlx_306_current", 3,
     {{48, 523}, {49, 5230}, {50, 5170}, {53, 1}, {55, 1}},
     {},
     51, "52.3 %", 5430, "4.000 mA", 2200, std::nullopt, std::nullopt,
     {false, true, false, true}},
    {"krv_303_tc_voltage", 9,
     {{48, 4521}, {49, 3768}, {50, 28180}, {44, -15}},
     {},
     51, "452.1 " + deg, 3968, "10.000 V", 10200, "-0.2 " + deg, std::nullopt,
     {false, false, false, false}},
    {"krv_416_tc_loop_milli", 17,
     {{48, 14230}, {49, 7115}, {50, 25830}, {44, 2345}, {62, 9999}, {54, 1}},
     {},
     60, "1423.0 " + deg, 7315, "20.000 mA", 10200, "23.4 " + deg, "9.999 kOhm",
     {false, false, true, false}},
    {"krv_416_loop_out_of_range", 17,
     {{62, 10000}, {50, 5170}},
     {},
     60, "0.0 " + deg, 200, "4.000 mA", 2200, "23.5 " + deg, "",
     {false, false, false, false}},
    {"krv_410_tc_loop_centi", 33,
     {{48, 3120}, {49, 3900}, {64, 130}, {50, 5170}},
     {},
     60, "312.0 " + deg, 4100, "4.000 mA", 2200, "23.5 " + deg, "1.30 kOhm",
     {false, false, false, false}},
    {"krv_410_loop_out_of_range", 33,
     {{64, 1000}, {50, 5170}},
     {},
     60, "0.0 " + deg, 200, "4.000 mA", 2200, "23.5 " + deg, "",
     {false, false, false, false}},
    {"dlx_402_voltage_unit_text", 20,
     {{48, 250}, {49, 2500}, {50, 16910}},
     {{82, 2}, {115, 'b' | 'a' << 8}, {116, 'r' | ' ' << 8}, {117, 0x2020}, {118, 0x2020}},
     51, "2.50 bar", 2700, "6.000 V", 6200, std::nullopt, std::nullopt,
     {false, false, false, false}},
    // Values beyond 16 bits on the way: R[49] + 200 past 32767, the output far beyond
    // its calibration pair (held at 32000, doubled to 64000): shown, the gauges held.
    {"overflowing_values", 1,
     {{48, -32768}, {49, 32700}, {50, 30000}},
     {{57, 0}, {58, 100}},
     51, "-3276.8 " + deg, 10400, "64.000 mA", 10400, std::nullopt, std::nullopt,
     {false, false, false, false}},
    {"uncalibrated_output", 3,
     {{50, 12345}},
     {{57, 7000}, {58, 7000}},
     51, "0.0 %", 200, "0.000 mA", 200, std::nullopt, std::nullopt,
     {false, false, false, false}},
};

class OnlineShows : public Online, public ::testing::WithParamInterface<Shown> {};

TEST_P(OnlineShows, TheDevicesLiveWords) {
    const Shown& row = GetParam();
    ASSERT_TRUE(start());
    select(row.address);
    for (int r : {5, 48, 49, 50, 52, 53, 54, 55}) device().set_status(r, 0);
    for (auto [r, v] : row.status) device().set_status(r, v);
    for (auto [p, v] : row.params) device().set_param(p, v);
    clear_records();

    run_online();

    EXPECT_EQ(prompts(), std::vector<std::string>{});
    expect_ended();
    auto& p = page();
    EXPECT_EQ(p.value_main.caption(), row.value);
    EXPECT_EQ(p.Gauge1.value(), row.gauge1);
    EXPECT_EQ(p.out_val.caption(), row.output);
    EXPECT_EQ(p.Gauge2.value(), row.gauge2);
    EXPECT_EQ(p.Vergl.visible(), row.cold_junction.has_value());
    if (row.cold_junction) {
        EXPECT_EQ(p.Vergl.caption(), *row.cold_junction);
    }
    EXPECT_EQ(p.lbl_th_rl_t.visible(), row.loop.has_value());
    if (row.loop) {
        EXPECT_EQ(p.lbl_th_rl_t.caption(), *row.loop);
    }
    const ui::Label* alarms[] = {&p.Alarm1, &p.Alarm2, &p.Alarm3, &p.alarm4};
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(alarms[n]->fore_color(), row.alarms_active[n] ? dark_red : ui::color_window_text)
            << "alarm " << n + 1;

    // Only the read window after the re-read: several cycles, nothing written.
    EXPECT_GE(count_requests(read_fn, row.window), 3);
    EXPECT_EQ(count_requests(read_fn, row.window == 51 ? 60 : 51), 0);
    EXPECT_EQ(writes(), std::vector<Request>{});
    EXPECT_EQ(link::reg_win_start, 5);
}

INSTANTIATE_TEST_SUITE_P(Devices, OnlineShows, ::testing::ValuesIn(shown_rows),
                         [](const auto& info) { return std::string(info.param.name); });

// Error bits set while the page polls: which blank the value (the gauge then keeps
// its last position) and the cold junction.
TEST_F(Online, InvalidBitsBlankTheValueByFamily) {
    struct Row {
        const char* name;
        int address;
        int bits;
        bool value_blank;
        bool cold_junction_blank;
    };
    const Row rows[] = {
        {"krv_break", 9, 0x20, true, false},  {"krv_resistance", 9, 0x10, true, true},
        {"krv_0x40", 9, 0x40, false, false},  {"dlx_min", 3, 0x20, true, false},
        {"dlx_0x10", 3, 0x10, false, false},  {"dlx_max", 3, 0x40, true, false},
    };
    ASSERT_TRUE(start());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        select(row.address);
        device().set_status(5, 0);
        device().set_status(48, 100);
        device().set_status(49, 3000);
        at(1.5, [this, row] {
            device().set_error_bits(row.bits);
            device().set_status(49, 7000);
        });
        run_online(3.0);
        expect_ended();
        auto& p = page();
        EXPECT_EQ(p.value_main.caption() == pages::no_value, row.value_blank);
        EXPECT_EQ(p.Gauge1.value(), row.value_blank ? 3200 : 7200);
        if (p.Vergl.visible()) {
            EXPECT_EQ(p.Vergl.caption() == pages::no_value, row.cold_junction_blank);
        }
        device().set_error_bits(0);
    }
}

// --- Scales and rows from the image --------------------------------------------------------

TEST_F(Online, ScaleLabelsFollowTheRange) {
    struct Row {
        const char* name;
        int type;
        int begin, end, decimals;  // P[97]/P[98] for temperatures, else P[80]/P[81]/P[82]
        std::string unit;
        std::vector<std::string> labels;
    };
    const Row rows[] = {
        {"thermocouple", 3, 0, 1000, 0, "[" + deg + "]",
         {"0.0", "100.0", "200.0", "300.0", "400.0", "500.0", "600.0", "700.0", "800.0", "900.0",
          "1000.0"}},
        {"short_span_one_more_decimal", 19, 0, 50, 1, "[mA]",
         {"0.00", "0.50", "1.00", "1.50", "2.00", "2.50", "3.00", "3.50", "4.00", "4.50", "5.00"}},
        {"rounded_step_last_label_exact", 19, 0, 1005, 0, "[mA]",
         {"0", "100", "200", "300", "400", "500", "600", "700", "800", "900", "1005"}},
        {"step_half_to_even", 19, 0, 115, 0, "[mA]",
         {"0", "12", "24", "36", "48", "60", "72", "84", "96", "108", "115"}},
        {"equal_ends", 19, 7, 7, 0, "[mA]",
         {"7.0", "7.1", "7.2", "7.3", "7.4", "7.5", "7.6", "7.7", "7.8", "7.9", "8.0"}},
        {"falling", 19, 100, 0, 0, "[mA]",
         {"100.0", "90.0", "80.0", "70.0", "60.0", "50.0", "40.0", "30.0", "20.0", "10.0",
          "0.0"}},
        // Ranges the input pages accept whose scale leaves 16 bits.
        {"span_beyond_16_bits", 19, -30000, 30000, 0, "[mA]",
         {"-30000", "-24000", "-18000", "-12000", "-6000", "0", "6000", "12000", "18000", "24000",
          "30000"}},
        {"falling_steps_beyond_16_bits", 19, 3641, 0, 0, "[mA]",
         {"3641.0", "3276.9", "2912.8", "2548.7", "2184.6", "1820.5", "1456.4", "1092.3", "728.2",
          "364.1", "0.0"}},
        {"temperature_times_ten_beyond_16_bits", 3, -200, 5000, 0, "[" + deg + "]",
         {"-200.0", "320.0", "840.0", "1360.0", "1880.0", "2400.0", "2920.0", "3440.0", "3960.0",
          "4480.0", "5000.0"}},
    };
    ASSERT_TRUE(start());
    auto& p = *h_online_inst;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        model::param_image[99] = static_cast<std::int16_t>(row.type);
        const int first = row.type <= 11 ? 97 : 80;
        model::param_image[first] = static_cast<std::int16_t>(row.begin);
        model::param_image[first + 1] = static_cast<std::int16_t>(row.end);
        model::param_image[82] = static_cast<std::int16_t>(row.decimals);
        model::param_image[115] = 'm' | 'A' << 8;
        model::param_image[116] = model::param_image[117] = model::param_image[118] = 0x2020;
        p.set_online_mask();
        EXPECT_EQ(p.M_unit.caption(), row.unit);
        std::vector<std::string> labels;
        for (int i = 0; i <= 10; ++i) labels.push_back(p.scal_lab[i].caption());
        EXPECT_EQ(labels, row.labels);
    }
}

TEST_F(Online, AlarmRowsMarksAndOutputScale) {
    ASSERT_TRUE(start());
    auto& p = *h_online_inst;
    auto& img = model::param_image;
    img[99] = 3;
    img[83] = 0x0005;  // MAX, energized
    img[84] = 0x0003;  // gradient MAX without function
    img[85] = 0x0004;  // MIN, energized
    img[86] = 0x0009;  // MAX, de-energized
    img[109] = 850;
    img[111] = -20;
    img[105] = 40;   // 4 mA
    img[106] = 200;  // full scale
    main().v_mode.set_text("10");
    p.set_online_mask();

    EXPECT_EQ(p.Alarm1_lab.caption(), "Alarm1 (Maximum)");
    EXPECT_EQ(p.Alarm1.caption(), "850 " + deg);
    EXPECT_FALSE(p.Alarm2_lab.visible());
    EXPECT_FALSE(p.Alarm2.visible());
    EXPECT_EQ(p.Alarm3_lab.caption(), "Alarm3 (Minimum)");
    EXPECT_EQ(p.Alarm3.caption(), "-20 " + deg);
    EXPECT_TRUE(p.Alarm4_lab.visible());
    EXPECT_TRUE(p.Vergl.visible());

    const int zero = p.tick_out_zero.y1(), full = p.tick_out_full.y1();
    auto centre = [](const ui::Picture& m) { return m.top() + m.height() / 2; };
    EXPECT_EQ(centre(p.mark_min), zero - (zero - full) * 40 / 200);
    EXPECT_EQ(centre(p.mark_max), full);
    EXPECT_EQ(p.Label2.caption(), "[V]");
    EXPECT_EQ(p.scal_lab[11].caption(), "10");
    EXPECT_EQ(p.scal_lab[21].caption(), "0");

    img[84] = 0x0007;  // gradient MAX, energized
    click(main().S_SNAP);
    main().v_mode.set_text("40");
    p.set_online_mask();
    EXPECT_EQ(p.Alarm2_lab.caption(), "Alarm2 (Maximum)");
    EXPECT_TRUE(p.Alarm2.visible());
    EXPECT_FALSE(p.Alarm4_lab.visible()) << "no fourth alarm output on the Snap variant";
    EXPECT_FALSE(p.alarm4.visible());
    EXPECT_EQ(p.Label2.caption(), "[mA]");
    EXPECT_EQ(p.scal_lab[11].caption(), "20");

    // Physical representation: alarm values keep P[82] decimals where a short span gives
    // the scale one more; the unit text is trimmed.
    img[99] = 19;
    img[80] = 0;
    img[81] = 50;
    img[82] = 1;
    img[110] = 25;
    img[115] = ' ' | 'b' << 8;
    img[116] = 'a' | 'r' << 8;
    img[117] = img[118] = 0x2020;
    p.set_online_mask();
    EXPECT_EQ(p.scal_lab[1].caption(), "0.50");
    EXPECT_EQ(p.Alarm2.caption(), "2.5 bar");
    EXPECT_EQ(p.M_unit.caption(), "[bar]");
    EXPECT_FALSE(p.Vergl.visible());
}

// --- How polling ends ------------------------------------------------------------------------

TEST_F(Online, BackEndsPollingAndKeepsThePageLoaded) {
    ASSERT_TRUE(start());
    select(1);
    std::size_t at_back = 0;
    run_page(main().B_online, 2.0, [&] {
        ui::user_click(h_online_inst->B_Zurueck);
        at_back = requests().size();
    });
    expect_ended();
    EXPECT_EQ(requests().size(), at_back) << "no request after Back";
    EXPECT_TRUE(h_online_inst.loaded());

    // Closing by the frame unloads it; polling ends the same way.
    run_page(main().B_online, 2.0, [] { ui::user_close(*h_online_inst); });
    EXPECT_TRUE(main().visible());
    EXPECT_FALSE(h_online_inst.loaded());
}

TEST_F(Online, DeviceThatStopsAnsweringEndsPollingWithTheMessage) {
    for (double when : {0.0, 1.5}) {
        SCOPED_TRACE(when == 0 ? "first cycle" : "later cycle");
        ASSERT_TRUE(start());
        select(1);
        clear_records();
        // From the read window on (or later), the device is silent.
        if (when == 0)
            plant_->fault(Fault::silent().registers(5, 5));
        else
            at(when, [this] { plant_->fault(Fault::silent()); });
        click(main().B_online);
        EXPECT_EQ(prompts(), std::vector<std::string>{not_possible});
        expect_ended();
        if (when == 0) {
            EXPECT_EQ(page().value_main.caption(), "") << "no value shown before";
        }
        plant_->clear_faults();
        ui::reset_forms();
    }
}

// Through a gateway the loop pauses 0.5 s per cycle with events running: Back and a
// second press of the online button in that pause start a nested run; when it ends,
// the first run finds its page hidden and ends too.
TEST_F(Online, SecondPressInThePauseRunsNestedThenBothEnd) {
    write_checked("HZL_mod.cfg", "1");
    ASSERT_TRUE(start(1));
    select(1);  // rack 1, slot 1: KRV 4.04
    int depth = 0, deepest = 0;
    auto& opener = mainwin::page_openers().B_online;
    opener = [&depth, &deepest] {
        deepest = std::max(deepest, ++depth);
        pages::B_online_Click();
        --depth;
    };
    clear_records();
    const double t0 = clock_.now();
    at(3.0, [this] {
        ui::user_click(h_online_inst->B_Zurueck);
        EXPECT_TRUE(main().visible()) << "the main window is back during the pause";
        loop_.post([this] { ui::user_click(main().B_online); });
    });
    at(6.0, [] { ui::user_click(h_online_inst->B_Zurueck); });
    click(main().B_online);

    EXPECT_EQ(deepest, 2);
    EXPECT_GE(clock_.now() - t0, 6.0);
    expect_ended();
    EXPECT_EQ(count_requests(read_fn, 5), 2) << "the device was read again for the nested run";
    EXPECT_EQ(prompts(), std::vector<std::string>{});
}

// On the direct bus a poll's read that needs a resend waits in its link pause with
// events running: Back, then a button of the main window pressed there. The button does
// nothing while the old read waits (its own first request would be turned away as nested
// and told as "No connection !"); once the old poll has ended, the online button opens
// the page on a fresh read of the device.
TEST_F(Online, ButtonsPressedWhileAReadWaitsInItsPauseDoNothing) {
    struct Case {
        const char* name;
        ui::Control& (*button)(mainwin::Hauptmenue&);
    };
    const Case cases[] = {
        {"online", [](mainwin::Hauptmenue& m) -> ui::Control& { return m.B_online; }},
        {"diagnosis", [](mainwin::Hauptmenue& m) -> ui::Control& { return m.Command3D3; }},
        {"read", [](mainwin::Hauptmenue& m) -> ui::Control& { return m.B_FQN_Read; }},
        {"search", [](mainwin::Hauptmenue& m) -> ui::Control& { return m.Command3D4; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(start());
        select(1);
        clear_records();
        bool in_pause = false;
        at(2.0, [this, &c, &in_pause] {
            plant_->fault(Fault::silent().registers(5, 5).next(1));
            loop_.post_after(0.5, [this, &c, &in_pause] {
                in_pause = link::transaction_underway();
                ui::user_click(h_online_inst->B_Zurueck);
                loop_.post([this, &c] { ui::user_click(c.button(main())); });
            });
        });
        click(main().B_online);
        EXPECT_TRUE(in_pause) << "Back and the button came while the read waited";
        EXPECT_EQ(prompts(), std::vector<std::string>{});
        expect_ended();
        EXPECT_EQ(count_requests(read_fn, 5), 1) << "the device was not read again";
        EXPECT_FALSE(pages::wartung_krv_inst.loaded());

        clear_records();
        device().set_status(48, 1234);
        run_online(1.0);
        EXPECT_EQ(prompts(), std::vector<std::string>{});
        EXPECT_EQ(count_requests(read_fn, 5), 1) << "a fresh read opens the page";
        EXPECT_EQ(page().value_main.caption(), "123.4 " + deg);
        expect_ended();
        ui::reset_forms();
    }
}

// --- The online button ------------------------------------------------------------------------

TEST_F(Online, CancelAtTheOverwriteQuestionReadsNothing) {
    ASSERT_TRUE(start());
    select(1);
    read();
    model::param_image[80] = 4321;
    clear_records();
    boxes_.answer(ui::id_cancel, "All changed parameters will be lost (you can save the current "
                                 "parameter set into the device by pushing the button: 'KRV/DLX "
                                 "program'). Continue?");
    click(main().B_online);
    EXPECT_EQ(requests(), std::vector<Request>{});
    EXPECT_EQ(model::param_image[80], 4321);
    EXPECT_FALSE(h_online_inst.loaded());
}

TEST_F(Online, ButtonReadsTheDeviceAfreshAsUnchanged) {
    ASSERT_TRUE(start());
    select(17);  // KRV 4.16: 140 words, not the 127 in force after the start
    device().set_param(139, 1390);
    run_online(1.0);
    EXPECT_EQ(model::param_count, 140);
    EXPECT_EQ(model::param_image[139], 1390) << "the device's whole set, its last word too";
    EXPECT_FALSE(mainwin::params_changed()) << "the snapshot is taken with the new count";

    select(3);  // DLX
    device().set_param(99, 5);
    device().set_param(80, 77);
    clear_records();
    run_online(1.0);
    // The block is asked with the DLX's own 127 words, not the 140 the KRV left in force:
    // the count comes from the type and firmware read just before it.
    std::vector<Request> first{{read_fn, 0, 5}};
    for (int i = 0; i < 127; i += 16) first.push_back({read_fn, 1000 + i, 16});
    first.push_back({read_fn, 26, 1});
    const auto all = requests();
    ASSERT_GT(all.size(), first.size());
    EXPECT_EQ(std::vector<Request>(all.begin(), all.begin() + first.size()), first);
    EXPECT_EQ(model::param_image[80], 77);
    EXPECT_EQ(model::param_image[99], 19) << "a DLX device always shows the physical range";
    EXPECT_EQ(mainwin::param_snapshot, model::params_to_text());
    EXPECT_EQ(main().curr_version.text(), "3.06");
    EXPECT_EQ(main().in_use.text(), "1");
}

TEST_F(Online, UnsupportedVersionOpensNothingButKeepsTheRead) {
    ASSERT_TRUE(start());
    plant_->add(50, 11, 420);
    select(50);
    clear_records();
    click(main().B_online);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No support for this KRV software version."});
    EXPECT_FALSE(h_online_inst.loaded());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().curr_version.text(), "4.20");
    EXPECT_EQ(mainwin::param_snapshot, model::params_to_text());
}

TEST_F(Online, LoopResistanceIsDroppedForInputsAboveThermocouples) {
    ASSERT_TRUE(start());
    select(17);  // KRV 4.16
    device().set_param(99, 10);
    clear_records();
    run_online();
    expect_ended();
    EXPECT_FALSE(page().lbl_th_rl_t.visible());
    EXPECT_FALSE(page().Vergl.visible());
    EXPECT_EQ(model::show_lead_res, 0);
    EXPECT_GE(count_requests(read_fn, 51), 3);
    EXPECT_EQ(count_requests(read_fn, 60), 0);
}

TEST_F(Online, CaptionsInTheLanguageAndTagOfEveryShowing) {
    ASSERT_TRUE(start(0, "NL"));
    select(1);
    run_online(1.0);
    auto& p = page();
    EXPECT_EQ(p.caption(), "On line weergave          TAG No:  TT-101 ");
    EXPECT_EQ(p.B_Zurueck.caption(), "Terug naar &hoofdmenu");
    EXPECT_EQ(p.Label1.caption(), "Meetwaarde");
    EXPECT_EQ(p.Label6.caption(), "Meetwaarde");
    EXPECT_EQ(p.Label3.caption(), "Uitgang");
    EXPECT_EQ(p.Label4.caption(), "Uitgang");
    EXPECT_EQ(p.Vergl_lab.caption(), "Vergelijkingspunt");
    EXPECT_EQ(p.lbl_th_rl_l.caption(), "Loop resistance");

    // Shown again (still loaded): the language and TAG of that moment.
    texts::lang_code = "D";
    device().set_tag("NEU-1");
    run_online(1.0);
    EXPECT_EQ(&page(), &p);
    EXPECT_EQ(p.caption(), "Online-Darstellung          TAG No: NEU-1   ");
    EXPECT_EQ(p.Label1.caption(), "Me\xDFwert");
    EXPECT_EQ(p.lbl_th_rl_l.caption(), "Schleifenwiderstand");
    texts::lang_code = "GB";
    run_online(1.0);
    EXPECT_EQ(p.Vergl_lab.caption(), "Cold junction temperature");
    EXPECT_EQ(p.B_Zurueck.caption(), "&Back to main menu");
}

}  // namespace
}  // namespace dvx::testing

// The analog-output calibration page driven as a user drives it, on virtual time: the
// calibration menu, focus and slider moves between the 300 ms ticks, the O.K. buttons,
// closing; what goes on the wire at which tick, and what lands in the image.
#include "calib/out_cal.h"
#include "platform/cp1252.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "link/serial_line.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "sim/transmitter_live.h"
#include "tests/calib/calib_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using calib::H_out_cal;
using model::param_image;
using sim::Fault;

// Output-mode jumper codes (high byte of status word 26): above 20 a current output.
constexpr int current_jumper = 40, voltage_jumper = 10;

// A write of the forced output (start 50) or of the strobe alone (start 51), with the
// tick it came at (0 = the first tick after the page loaded).
struct Drive {
    int tick, start;
    std::vector<std::uint16_t> values;
    bool operator==(const Drive&) const = default;
};
void PrintTo(const Drive& d, std::ostream* os) {
    *os << "tick " << d.tick << " -> " << d.start << " {";
    for (auto v : d.values) *os << v << ",";
    *os << "}";
}
Drive force(int tick, int value) {
    return {tick, 50, {static_cast<std::uint16_t>(value), 1}};
}
Drive release(int tick) {
    return {tick, 51, {0}};
}

class OutCal : public CalibFixture {
  protected:
    // The KRV 4.05 device with the output jumper `jumper` and its output words, read,
    // the calibration level open; a fresh program each time (cases in a loop).
    void start_with(int jumper, const char* lang = "GB") {
        ui::reset_forms();
        reset_globals();
        start_on(krv_405, 0, lang);
        device().set_status(26, jumper << 8 | 0x5A);
    }
    void open() {
        click(main().m_cal_out);
        loaded_at_ = clock_.now();
        clear_records();
    }
    H_out_cal& page() { return *calib::h_out_cal_inst.peek(); }
    // Focuses a control and lets the next tick come.
    void focus_and_tick(ui::Control& c) {
        user([&c] { ui::user_focus(c); });
        loop_.run_for(0.31);
    }

    // Runs `action` at `seconds` after the page loaded.
    void at(double seconds, std::function<void()> action) {
        loop_.post_at(loaded_at_ + seconds, std::move(action));
    }
    void run_until(double seconds) { loop_.run_until(loaded_at_ + seconds); }

    // Writes of 50 and 51, by the tick that sent them.
    std::vector<Drive> drives() const {
        std::vector<Drive> out;
        for (const auto& e : plant_->log())
            if (e.function == write_fn && (e.start == 50 || e.start == 51))
                out.push_back({static_cast<int>(std::floor((e.time - loaded_at_) / 0.3)) - 1,
                               e.start, e.values});
        return out;
    }

    double loaded_at_ = 0;
};

TEST_F(OutCal, TheMenuOpensThePageForTheOutputKind) {
    struct Case {
        const char* name;
        int jumper;
        const char* lang;
        const char* out_mode;
        const char* label12;
        const char* label13;
        int beg, end;  // the words shown
        std::string title, frame, label2;
    } cases[] = {
        {"current, English", current_jumper, "GB", "0", "&4 mA", "&20 mA", 57, 58,
         "Calibrate output", "Calibrate", "<---      After every calibration confirm !"},
        {"voltage, German", voltage_jumper, "D", "1", "&2 V", "&10 V", 51, 52,
         "Ausgang kalibrieren", "KALIBRIEREN",
         "<---      Nach jedem Abgleich mit O.K. quittieren !"},
        {"jumper code 20 is a voltage output, Dutch", 20, "NL", "1", "&2 V", "&10 V", 51, 52,
         "Uitgang kalibreren", "KALIBREREN", "<---       Na iedere afregeling bevestigen !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(c.jumper, c.lang);
        param_image[c.beg] = 4321;
        param_image[c.end] = 23456;
        calib::out_cal_busy = 1;  // left set: loading the page clears it
        click(main().m_cal_out);
        EXPECT_EQ(calib::out_cal_busy, 0);
        EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, 26, 1}}));
        EXPECT_TRUE(prompts().empty());
        ASSERT_NE(calib::h_out_cal_inst.peek(), nullptr);
        EXPECT_TRUE(page().visible());
        EXPECT_FALSE(main().visible());
        EXPECT_EQ(main().in_use.text(), "1");
        EXPECT_EQ(main().v_mode.text(), std::to_string(c.jumper));
        EXPECT_EQ(page().Out_mode.text(), c.out_mode);
        EXPECT_EQ(page().Label12.caption(), c.label12);
        EXPECT_EQ(page().Label13.caption(), c.label13);
        EXPECT_EQ(page().s_out_beg.value(), 4321);
        EXPECT_EQ(page().Out_beg.text(), "4321");
        EXPECT_EQ(page().S_out_end.value(), 23456);
        EXPECT_EQ(page().Out_End.text(), "23456");
        EXPECT_EQ(page().caption(), c.title + model::tag_header());
        EXPECT_EQ(page().Frame3D1.caption(), c.frame);
        EXPECT_EQ(page().Label2.caption(), c.label2);
        EXPECT_EQ(model::mask_filling, 0);
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        click(page().B_Zurueck);
        EXPECT_TRUE(main().visible());
    }
    // The German texts arrive in Windows-1252.
    start_with(current_jumper, "D");
    click(main().m_cal_out);
    EXPECT_NE(
        page().Label1.caption().find(platform::utf8_to_cp1252(u8"muß die 2-Pkt.-Kalibrierung für")),
        std::string::npos);
    EXPECT_EQ(page().B_Zurueck.caption(), platform::utf8_to_cp1252(u8"&Zurück zum Hauptmenü"));
}

TEST_F(OutCal, OpeningStopsOnAPortProblemAnUnsupportedVersionOrASilentDevice) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        std::vector<std::string> boxes;  // empty: the probe's own fault text only
    } cases[] = {
        {"port lost",
         [this] {
             port_->lose_line();
             port_->set_open_fault(sim::OpenFault::no_such_port);
         },
         {"No connection !\r\nInvalid port number"}},
        {"firmware 4.20",
         [this] { main().curr_version.set_text("4.20"); },
         {"No support for this KRV software version."}},
        {"register 26 unanswered",
         [this] { plant_->fault(Fault::silent().registers(26, 26)); },
         {"No connection !"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(current_jumper);
        c.spoil();
        click(main().m_cal_out);
        EXPECT_EQ(calib::h_out_cal_inst.peek(), nullptr);
        EXPECT_TRUE(main().visible());
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        EXPECT_TRUE(writes().empty());
        if (c.boxes.empty()) {
            EXPECT_EQ(prompts().size(), 1u);
        } else {
            EXPECT_EQ(prompts(), c.boxes);
            EXPECT_EQ(boxes_.shown().back().title, "DORVANEX");
        }
    }
}

// The user's hands between ticks, and the writes the ticks send for them.
struct DriveCase {
    const char* name;
    std::vector<std::pair<double, std::function<void(H_out_cal&)>>> script;
    std::vector<Drive> expected;
};
void PrintTo(const DriveCase& c, std::ostream* os) {
    *os << c.name;
}

void give_focus(ui::Control& c) {
    ui::user_focus(c);
}
void up(ui::VScrollBar& bar, ui::ScrollAction a = ui::ScrollAction::line_up) {
    ui::user_scroll(bar, a);
}

// The start word 5170 and end word 25830 of the device as delivered.
const DriveCase drive_cases[] = {
    {"focus on a slider writes it at the next tick, then nothing while it rests",
     {{0.1, [](H_out_cal& p) { give_focus(p.s_out_beg); }}},
     {force(0, 5170)}},
    {"moves within one tick give one write of the last value",
     {{0.1, [](H_out_cal& p) { give_focus(p.s_out_beg); }},
      {0.4, [](H_out_cal& p) { up(p.s_out_beg); }},
      {0.45, [](H_out_cal& p) { up(p.s_out_beg); }},
      {0.5, [](H_out_cal& p) { up(p.s_out_beg, ui::ScrollAction::page_up); }},
      {1.0, [](H_out_cal& p) { up(p.s_out_beg, ui::ScrollAction::line_down); }}},
     {force(0, 5170), force(1, 5214), force(3, 5212)}},
    {"the start slider is held at 12000, the end slider at 20000",
     {{0.1, [](H_out_cal& p) { ui::user_scroll(p.s_out_beg, ui::ScrollAction::drag, 15000); }},
      {0.4, [](H_out_cal& p) { ui::user_scroll(p.S_out_end, ui::ScrollAction::release, 100); }}},
     {force(0, 12000), force(1, 20000)}},
    {"each slider is held on its other event too",
     {{0.1, [](H_out_cal& p) { ui::user_scroll(p.s_out_beg, ui::ScrollAction::release, 15000); }},
      {0.4, [](H_out_cal& p) { ui::user_scroll(p.S_out_end, ui::ScrollAction::drag, 100); }}},
     {force(0, 12000), force(1, 20000)}},
    {"from the start slider to the end slider",
     {{0.1, [](H_out_cal& p) { give_focus(p.s_out_beg); }},
      {0.4, [](H_out_cal& p) { give_focus(p.S_out_end); }}},
     {force(0, 5170), force(1, 25830)}},
    {"from a slider to an O.K. button: the output stays forced",
     {{0.1, [](H_out_cal& p) { give_focus(p.S_out_end); }},
      {0.4, [](H_out_cal& p) { give_focus(p.Command3D1); }},
      {0.7, [](H_out_cal& p) { give_focus(p.Command3D2); }}},
     {force(0, 25830)}},
    {"from a slider to the back button: one release",
     {{0.1, [](H_out_cal& p) { give_focus(p.s_out_beg); }},
      {0.4, [](H_out_cal& p) { give_focus(p.B_Zurueck); }}},
     {force(0, 5170), release(1)}},
    {"back on the same slider: written again",
     {{0.1, [](H_out_cal& p) { give_focus(p.s_out_beg); }},
      {0.4, [](H_out_cal& p) { give_focus(p.B_Zurueck); }},
      {0.7, [](H_out_cal& p) { give_focus(p.s_out_beg); }}},
     {force(0, 5170), release(1), force(2, 5170)}},
    {"keys on the focused slider",
     {{0.1, [](H_out_cal& p) { give_focus(p.S_out_end); }},
      {0.2, [](H_out_cal&) { ui::user_key(ui::vk_up); }},
      {0.4, [](H_out_cal&) { ui::user_key(ui::vk_prior); }}},
     {force(0, 25832), force(1, 25872)}},
};

class OutCalDrive : public OutCal, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(OutCalDrive, TheTicksFollowTheFocusedSlider) {
    const DriveCase& c = GetParam();
    start_with(current_jumper);
    open();
    EXPECT_EQ(ui::focus_owner(), &page().B_Zurueck);  // opening forces nothing
    for (const auto& [when, act] : c.script) at(when, [this, act = act] { act(page()); });
    run_until(2.0);
    EXPECT_EQ(drives(), c.expected);
    EXPECT_EQ(requests().size(), c.expected.size());  // nothing else goes on the wire
    EXPECT_TRUE(prompts().empty());
    // The device holds what the last write left: forced to the value, or released.
    const Drive& last = c.expected.back();
    EXPECT_EQ(device().status(51), last.start == 50 ? 1 : 0);
    if (last.start == 50) {
        EXPECT_EQ(device().status(50), last.values[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(, OutCalDrive, ::testing::ValuesIn(drive_cases), [](const auto& info) {
    std::string n;
    for (const char* p = info.param.name; *p; ++p)
        n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return n;
});

TEST_F(OutCal, NoTickWritesWhileThePageFillsOrAnotherTickRuns) {
    start_with(current_jumper);
    open();
    at(0.1, [this] { give_focus(page().s_out_beg); });
    at(0.2, [] { model::mask_filling = 1; });
    at(0.5, [] {
        model::mask_filling = 0;
        calib::out_cal_busy = 1;
    });
    at(0.8, [] { calib::out_cal_busy = 0; });
    run_until(1.1);
    EXPECT_EQ(drives(), (std::vector<Drive>{force(2, 5170)}));
}

TEST_F(OutCal, ConfirmingAPointStoresTheSliderAndTheDevicesReadings) {
    struct Case {
        const char* name;
        int jumper;
        const char* version;  // the main window's firmware text
        bool start_point;
        int value;  // where the slider is
        int value_word, readback_word;
    } cases[] = {
        {"current, start", current_jumper, "4.05", true, 6000, 57, 65},
        {"current, end", current_jumper, "4.05", false, 27000, 58, 66},
        {"voltage, start", voltage_jumper, "4.05", true, 5500, 51, 53},
        {"voltage, end", voltage_jumper, "2.02", false, 28000, 52, 54},
        {"voltage below 2.02 uses the current pair", voltage_jumper, "2.01", true, 5600, 57, 65},
        {"voltage below 2.02, end", voltage_jumper, "2.01", false, 28100, 58, 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(c.jumper);
        device().set_status(25, 0x1234);
        open();
        main().curr_version.set_text(c.version);
        H_out_cal& p = page();
        ui::VScrollBar& bar = c.start_point ? p.s_out_beg : p.S_out_end;
        ui::CommandButton& ok = c.start_point ? p.Command3D2 : p.Command3D1;
        const auto before = param_image;
        at(0.1, [&] { ui::user_scroll(bar, ui::ScrollAction::release, c.value); });
        at(0.35, [&] { ui::user_click(ok); });
        run_until(1.5);
        // The tick forced the value, the button forced it again, read the window and
        // released the output; the ticks after it write nothing.
        EXPECT_EQ(requests(),
                  (std::vector<Request>{
                      {write_fn, 50, 2}, {write_fn, 50, 2}, {read_fn, 25, 3}, {write_fn, 51, 1}}));
        const auto& log = plant_->log();
        EXPECT_GE(log[2].time - log[1].time, 0.3);  // the output had time to settle
        EXPECT_EQ(device().status(51), 0);
        EXPECT_TRUE(prompts().empty());
        EXPECT_EQ(param_image[c.value_word], c.value);
        EXPECT_EQ(param_image[c.readback_word], sim::readback_of(c.value));
        EXPECT_EQ(param_image[62], 0x1234);
        EXPECT_EQ(param_image[59], 0x5A);
        for (int w = 0; w < model::param_image_size; ++w)
            if (w != c.value_word && w != c.readback_word && w != 62 && w != 59) {
                ASSERT_EQ(param_image[w], before[w]) << "word " << w;
            }
    }
}

TEST_F(OutCal, OKTakesTheSliderAsItIsNotWhatTheLastTickDrove) {
    start_with(current_jumper);
    open();
    at(0.1, [this] { give_focus(page().s_out_beg); });
    // Moved and confirmed between two ticks.
    at(0.4, [this] { ui::user_scroll(page().s_out_beg, ui::ScrollAction::release, 7000); });
    at(0.45, [this] { ui::user_click(page().Command3D2); });
    run_until(1.5);
    EXPECT_EQ(requests(),
              (std::vector<Request>{
                  {write_fn, 50, 2}, {write_fn, 50, 2}, {read_fn, 25, 3}, {write_fn, 51, 1}}));
    EXPECT_EQ(plant_->log()[0].values, (std::vector<std::uint16_t>{5170, 1}));
    EXPECT_EQ(plant_->log()[1].values, (std::vector<std::uint16_t>{7000, 1}));
    EXPECT_EQ(param_image[57], 7000);
    EXPECT_EQ(param_image[65], sim::readback_of(7000));
}

TEST_F(OutCal, AFailureWhileConfirmingShowsTheMessageTwiceAndReleases) {
    struct Case {
        const char* name;
        Fault fault;
        std::vector<Request> tries;  // what reached the device (silent requests are logged)
    } cases[] = {
        {"forced write",
         Fault::silent().registers(50, 50).next(4),
         {{write_fn, 50, 2}, {write_fn, 50, 2}, {write_fn, 50, 2}, {write_fn, 50, 2}}},
        {"window read",
         Fault::silent().registers(25, 25).next(4),
         {{write_fn, 50, 2},
          {read_fn, 25, 3},
          {read_fn, 25, 3},
          {read_fn, 25, 3},
          {read_fn, 25, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(current_jumper);
        open();
        const auto before = param_image;
        plant_->fault(c.fault);
        at(0.1, [this] { ui::user_click(page().Command3D2); });  // the first tick is still to come
        run_until(6.0);
        auto tries = c.tries;
        tries.push_back({write_fn, 51, 1});
        EXPECT_EQ(requests(), tries);
        EXPECT_EQ(prompts(), (std::vector<std::string>{"No connection. Calibration aborted.",
                                                       "No connection. Calibration aborted."}));
        EXPECT_EQ(boxes_.shown().back().title, "DORVANEX");
        EXPECT_EQ(ui::focus_owner(), &page().B_Zurueck);
        EXPECT_EQ(device().status(51), 0);
        EXPECT_EQ(param_image, before);
    }
}

TEST_F(OutCal, TicksWaitWhileAConfirmationIsInItsLinkPauses) {
    start_with(current_jumper);
    open();
    const auto before = param_image;
    plant_->fault(Fault::silent().registers(25, 25).next(4));
    at(0.1, [this] { ui::user_click(page().Command3D2); });
    // Comes in the pauses between the window read's tries, as do the ticks: a tick that
    // drove the slider then would have its write turned away and a third box shown.
    at(0.5, [this] { give_focus(page().s_out_beg); });
    run_until(8.0);
    EXPECT_EQ(prompts(), (std::vector<std::string>{"No connection. Calibration aborted.",
                                                   "No connection. Calibration aborted."}));
    EXPECT_EQ(device().status(51), 0);
    EXPECT_EQ(param_image, before);
}

TEST_F(OutCal, ALiveWriteThatFailsShowsItsMessageAndTheNextTickReleases) {
    start_with(current_jumper);
    open();
    plant_->fault(Fault::silent().registers(50, 50).next(4));
    at(0.1, [this] { give_focus(page().s_out_beg); });
    run_until(6.0);
    EXPECT_EQ(requests(), (std::vector<Request>{{write_fn, 50, 2},
                                                {write_fn, 50, 2},
                                                {write_fn, 50, 2},
                                                {write_fn, 50, 2},
                                                {write_fn, 51, 1}}));
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    EXPECT_EQ(ui::focus_owner(), &page().B_Zurueck);
    EXPECT_EQ(device().status(51), 0);
}

// The line lost under a live write (the simulator stopped, back 1.5 s later): one box,
// then the ticks send nothing (a release or a drive would spend the port's one reopening
// on a line not back yet) until the technician moves a slider again. That act opens the
// port again and drives the output. Acts while the line is still gone give the port up,
// told once by the probe; later acts on the page then say nothing more.
TEST_F(OutCal, ALostLineIsToldOnceAndTheNextMoveOpensThePortAgain) {
    struct Case {
        const char* name;
        std::vector<double> moves_while_down;
        std::vector<std::string> told;
        int port_status;
    } cases[] = {
        {"the technician moves once the line is back",
         {},
         {"No connection. Calibration aborted."},
         0},
        {"moves while the line is gone",
         {0.8, 1.1, 1.4},
         {"No connection. Calibration aborted.", "No connection !\r\nInvalid port number"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(current_jumper);
        open();
        H_out_cal& p = page();
        at(0.1, [&] { give_focus(p.s_out_beg); });
        at(0.5, [&] {
            port_->lose_line();
            port_->set_open_fault(sim::OpenFault::no_such_port);
            up(p.s_out_beg);
        });
        for (const double t : c.moves_while_down)
            at(t, [&] {
                give_focus(p.s_out_beg);
                up(p.s_out_beg);
            });
        at(2.0, [this] { port_->set_open_fault(sim::OpenFault::none); });
        run_until(2.4);
        EXPECT_EQ(link::port_status, c.port_status) << "no send while the line was gone";
        at(2.5, [&] {
            give_focus(p.s_out_beg);
            up(p.s_out_beg);
        });
        at(2.9, [&] { up(p.s_out_beg); });
        run_until(4.0);
        ASSERT_EQ(prompts().size(), c.told.size());
        for (std::size_t i = 0; i < c.told.size(); ++i)
            EXPECT_EQ(prompts()[i].rfind(c.told[i], 0), 0u) << prompts()[i];
        EXPECT_EQ(link::port_status, c.port_status);
        if (c.port_status == 0) {
            EXPECT_EQ(device().status(51), 1) << "driven again";
            EXPECT_EQ(device().status(50), p.s_out_beg.value());
            EXPECT_EQ(p.Out_beg.text(), std::to_string(p.s_out_beg.value()));
        }
        click(p.B_Zurueck);
    }
}

TEST_F(OutCal, ClosingAlwaysReleasesTheOutput) {
    struct Case {
        const char* name;
        bool by_frame;
        bool failed_confirm;
    } cases[] = {
        {"back button", false, false},
        {"window frame", true, false},
        {"after a failed confirmation", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(current_jumper);
        open();
        H_out_cal* p = &page();
        if (c.failed_confirm) {
            plant_->fault(Fault::silent().registers(25, 25).next(4));
            click(p->Command3D2);
        }
        focus_and_tick(p->s_out_beg);
        ASSERT_EQ(device().status(51), 1);
        // The slider moves and the page closes before the next tick.
        user([p, &c] {
            ui::user_scroll(p->s_out_beg, ui::ScrollAction::release, 9000);
            if (c.by_frame)
                ui::user_close(*p);
            else
                ui::user_click(p->B_Zurueck);
        });
        loop_.run_for(1.0);
        EXPECT_EQ(calib::h_out_cal_inst.peek(), nullptr);
        EXPECT_TRUE(main().visible());
        ASSERT_FALSE(writes().empty());
        EXPECT_EQ(writes().back(), (Request{write_fn, 51, 1}));
        EXPECT_EQ(plant_->log().back().values, std::vector<std::uint16_t>{0});
        EXPECT_EQ(device().status(50), 5170);
        EXPECT_EQ(device().status(51), 0);
    }
}

TEST_F(OutCal, BackWaitsForAWriteInItsLinkPauses) {
    start_with(current_jumper);
    open();
    H_out_cal* p = &page();
    plant_->fault(Fault::silent().registers(50, 50).next(2));
    at(0.1, [p] { give_focus(p->s_out_beg); });
    // In the pause after the first unanswered try (the answer waited for 1 s).
    at(1.35, [p] { ui::user_click(p->B_Zurueck); });
    run_until(1.4);
    ASSERT_EQ(calib::h_out_cal_inst.peek(), p);  // still open, the write still trying
    // The third try's answer may be the first one's, late: the link keeps the line for
    // the answers of the two tries after it (the port tells no block: 0.255 s each).
    run_until(6.5);
    EXPECT_TRUE(prompts().empty());  // the third try went through
    // The click in the pause was refused whole: the keys stayed on the slider and the
    // output is still held.
    EXPECT_EQ(requests(),
              (std::vector<Request>{{write_fn, 50, 2}, {write_fn, 50, 2}, {write_fn, 50, 2}}));
    EXPECT_EQ(ui::focus_owner(), &p->s_out_beg);
    EXPECT_EQ(device().status(51), 1);
    // Back once the line is free: the output is released, then the page closes.
    click(p->B_Zurueck);
    EXPECT_EQ(requests().back(), (Request{write_fn, 51, 1}));
    EXPECT_EQ(device().status(51), 0);
    EXPECT_EQ(calib::h_out_cal_inst.peek(), nullptr);
    EXPECT_TRUE(main().visible());
}

TEST_F(OutCal, AStoredWordTheSliderCannotShowStaysUntilAPointIsConfirmed) {
    struct Case {
        const char* name;
        std::int16_t beg, end;
        int beg_shown, end_shown;  // the sliders
    } cases[] = {
        {"above the top", 32000, 31500, 12000, 31000},
        {"below zero", -5, -300, 0, 20000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_with(current_jumper);
        param_image[57] = c.beg;
        param_image[58] = c.end;
        open();
        EXPECT_EQ(page().s_out_beg.value(), c.beg_shown);
        EXPECT_EQ(page().S_out_end.value(), c.end_shown);
        EXPECT_EQ(page().Out_beg.text(), std::to_string(c.beg));
        EXPECT_EQ(page().Out_End.text(), std::to_string(c.end));
        EXPECT_TRUE(prompts().empty());
        EXPECT_EQ(param_image[57], c.beg);
        EXPECT_EQ(param_image[58], c.end);
        // The slider drives what it shows; confirming stores it.
        at(0.1, [this] { give_focus(page().S_out_end); });
        at(0.4, [this] { ui::user_click(page().Command3D1); });
        run_until(1.5);
        EXPECT_EQ(drives().front(), force(0, c.end_shown));
        EXPECT_EQ(param_image[57], c.beg);
        EXPECT_EQ(param_image[58], c.end_shown);
    }
}

}  // namespace
}  // namespace dvx::testing

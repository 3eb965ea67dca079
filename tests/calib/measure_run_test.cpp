// The measuring run against the simulated transmitter: which type it switches to and
// back, which raw words it hands over once they settle, and every way out (cancel, a
// device that stops answering, a mode outside the table, a run inside a run).
#include "calib/measure_run.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "calib/calib_mode.h"
#include "calib/fqn_calib.h"
#include "link/address_map.h"
#include "link/register_images.h"
#include "model/param_image.h"
#include "tests/calib/calib_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using calib::MeasureValues;
using sim::Fault;

constexpr int w44 = -44;

struct RunCase {
    const char* name;
    int address;
    int mode;
    int type;                     // measured during the run (-1: the device's own)
    std::array<int, 5> picks;     // pair k, or w44
    bool fw410;                   // writes flag 59
};
void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

const RunCase run_cases[] = {
    {"tc_group1_type4", krv_303, 4, 4, {40, 42, w44, 30, 30}, false},
    {"tc_group2_mv", krv_303, 20, 20, {36, 38, w44, 30, 30}, false},
    {"rtd_2wire", krv_303, 9, 9, {28, 28, 42, 30, 30}, false},
    {"rtd_3wire", krv_303, 10, 10, {28, 32, 42, 30, 30}, false},
    {"ma_before_fw4", krv_303, 19, 19, {34, 34, 42, 30, 30}, false},
    {"fw4_tc_plus40", krv_405, 43, 3, {28, 32, 36, w44, 34}, false},
    {"fw4_mv_plus40", krv_416, 60, 20, {28, 32, 36, w44, 34}, true},
    {"fw4_rtd_plus40", krv_416, 50, 10, {28, 30, 32, 32, 32}, true},
    {"fw4_600ohm", krv_405, 52, 12, {28, 30, 32, 32, 32}, false},
    {"fw4_ma_loop", krv_416, 59, 19, {32, 34, 34, 34, 38}, true},
    {"dlx_current_state", dlx_306, 31, -1, {28, 30, 32, 28, 28}, false},
};

class MeasureRun : public CalibFixture, public ::testing::WithParamInterface<RunCase> {};

TEST_P(MeasureRun, SwitchesSettlesAndHandsOverTheModesWords) {
    const RunCase& c = GetParam();
    start_on(c.address);
    calib().set_signal(1234);
    const std::int16_t own_type = device().param(99);
    const std::int16_t image_99 = model::param_image[99] = 7777;

    MeasureValues v{};
    EXPECT_EQ(calib::calibrate_measure(static_cast<std::int16_t>(c.mode), v), 0);

    const int type = c.type < 0 ? own_type : c.type;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const int k = c.picks[i];
        const std::int32_t want =
            k == w44 ? static_cast<std::int16_t>(device().status(44))
            : (k == 38 && (type == 18 || type == 19)) ? 1850000
                                                      : raw(type, k);
        EXPECT_EQ(v[i], want);
    }
    std::vector<std::pair<int, int>> want_writes;
    if (c.type >= 0) {
        // Into the chosen type, then back to the device's own.
        for (const auto& [to, flag] : {std::pair<int, int>{c.type, 1}, {own_type, 0}}) {
            want_writes.push_back({1099, to});
            want_writes.push_back({57, 1});
            if (c.fw410) want_writes.push_back({59, flag});
        }
    }
    EXPECT_EQ(switching(), want_writes);
    EXPECT_EQ(device().param(99), own_type);
    EXPECT_EQ(calib().applied_type(), own_type);
    EXPECT_EQ(model::param_image[99], image_99);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
    EXPECT_FALSE(calib::fqn_calib_inst->visible());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
    EXPECT_FALSE(calib::measure_run_active());
}

INSTANTIATE_TEST_SUITE_P(Modes, MeasureRun, ::testing::ValuesIn(run_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettleRule, AValueSettlesOnceItTurnsOrStandsStill) {
    struct Case {
        std::int64_t older, previous, current;
        bool moving;
    };
    const Case cases[] = {
        {100, 102, 101, false},  // up, then down
        {100, 102, 104, true},   // up, up
        {104, 102, 100, true},   // down, down
        {100, 100, 101, false},  // standing, then up
        {100, 101, 101, false},  // two equal samples
        // Differences beyond 32 bits turn, they do not overflow.
        {INT32_MIN, INT32_MAX, INT32_MIN, false},
        {INT32_MIN, 0, INT32_MAX, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.older << " " << c.previous << " " << c.current);
        EXPECT_EQ(calib::still_moving(c.older, c.previous, c.current), c.moving);
    }
}

class MeasureRunEnds : public CalibFixture {
  protected:
    // Runs mode 52 on the KRV 4.05 with `during` posted `after` seconds into the run.
    std::int16_t run_with(double after, std::function<void()> during, MeasureValues& v) {
        if (during) loop_.post_after(after, std::move(during));
        return calib::calibrate_measure(52, v);
    }
    void cancel() { ui::user_click(calib::fqn_calib_inst->Command3D1); }
};

TEST_F(MeasureRunEnds, ADriftingValueRunsUntilCancelAndTheInputIsSwitchedBack) {
    start_on(krv_405);
    const std::int16_t own = device().param(99);
    calib().set_drift(30, 5000);  // L(30) rises for ever
    MeasureValues v{1, 2, 3, 4, 5};
    EXPECT_EQ(run_with(60.0, [this] { cancel(); }, v), 1);
    EXPECT_EQ(v, (MeasureValues{1, 2, 3, 4, 5}));
    EXPECT_GT(window_reads(), 100);  // a minute of rounds, none settled
    EXPECT_EQ(switching(), (std::vector<std::pair<int, int>>{{1099, 12}, {57, 1}, {1099, own}, {57, 1}}));
    EXPECT_EQ(device().param(99), own);
    EXPECT_TRUE(prompts().empty());
    EXPECT_FALSE(calib::fqn_calib_inst->visible());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(MeasureRunEnds, CancelInTheStartWaitIsSeenAfterTheFirstRound) {
    start_on(krv_405);
    MeasureValues v{};
    EXPECT_EQ(run_with(1.0, [this] { cancel(); }, v), 1);
    EXPECT_EQ(window_reads(), 1);
    EXPECT_EQ(device().param(99), device().stored_param(99));
    EXPECT_TRUE(prompts().empty());
}

TEST_F(MeasureRunEnds, ClosingTheBoxByItsFrameIsACancelAndKeepsItLoaded) {
    start_on(krv_405);
    MeasureValues v{};
    EXPECT_EQ(run_with(3.0, [] { ui::user_close(*calib::fqn_calib_inst); }, v), 1);
    EXPECT_TRUE(calib::fqn_calib_inst.loaded());
    EXPECT_TRUE(prompts().empty());
}

// The cancel, by the button or the box's frame, is heard while a reading of the run waits
// in its link pause (the user's other commands are refused there): the run ends and the
// input is switched back.
TEST_F(MeasureRunEnds, CancelWhileAReadingWaitsInItsRetryPauseEndsTheRun) {
    const std::vector<std::pair<const char*, std::function<void()>>> cancels = {
        {"button", [this] { cancel(); }},
        {"frame", [] { ui::user_close(*calib::fqn_calib_inst); }},
    };
    for (const auto& [name, stop] : cancels) {
        SCOPED_TRACE(name);
        start_on(krv_405);
        const std::int16_t own = device().param(99);
        calib().set_drift(30, 5000);  // never settles
        bool heard = false;
        loop_.post_after(5.0, [this, &heard, stop = stop] {
            plant_->fault(Fault::silent().function(read_fn).next(1));
            in_next_pause([&heard, stop] {
                stop();
                heard = !calib::fqn_calib_inst->visible();
            });
        });
        MeasureValues v{};
        EXPECT_EQ(calib::calibrate_measure(52, v), 1);
        EXPECT_TRUE(heard);
        EXPECT_EQ(switching(),
                  (std::vector<std::pair<int, int>>{{1099, 12}, {57, 1}, {1099, own}, {57, 1}}));
        EXPECT_TRUE(prompts().empty());
        ui::reset_forms();
        reset_globals();
    }
}

TEST_F(MeasureRunEnds, ADeviceThatStopsAnsweringMidRunIsSwitchedBackOnce) {
    start_on(krv_416);
    const std::int16_t own = device().param(99);
    // The measuring window goes unanswered; the writes still reach the device.
    plant_->fault(Fault::silent().function(read_fn).registers(25, 25));
    MeasureValues v{};
    EXPECT_EQ(calib::calibrate_measure(59, v), 1);
    EXPECT_EQ(switching(), (std::vector<std::pair<int, int>>{
                               {1099, 19}, {57, 1}, {59, 1}, {1099, own}, {57, 1}, {59, 0}}));
    EXPECT_EQ(device().param(99), own);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    EXPECT_FALSE(calib::fqn_calib_inst->visible());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(MeasureRunEnds, AFailedStrobeAfterTheSwitchStillSwitchesBack) {
    start_on(krv_405);
    const std::int16_t own = device().param(99);
    const std::int16_t image_99 = model::param_image[99];
    plant_->fault(Fault::silent().function(write_fn).registers(57, 57).next(4));
    MeasureValues v{};
    EXPECT_EQ(calib::calibrate_measure(45, v), 1);
    EXPECT_EQ(device().param(99), own);
    EXPECT_EQ(model::param_image[99], image_99);
    EXPECT_EQ(calib::saved_input_mode, own);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
}

TEST_F(MeasureRunEnds, ASilentDeviceGetsOneTryToSwitchBackAndOneMessage) {
    start_on(krv_405);
    const std::int16_t image_99 = model::param_image[99];
    MeasureValues v{};
    loop_.post_after(5.0, [this] { plant_->fault(Fault::silent()); });
    EXPECT_EQ(calib::calibrate_measure(52, v), 1);
    int leave_sends = 0;
    for (const auto& e : plant_->log())
        if (e.function == write_fn && e.start == 1099 && !e.answered) ++leave_sends;
    EXPECT_EQ(leave_sends, 4);  // one write of the saved type, with the link's four sends
    EXPECT_EQ(model::param_image[99], image_99);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
}

TEST_F(MeasureRunEnds, ASteadyInputEndsWithTheThirdReadingAfterTheStartWait) {
    start_on(dlx_306);
    const double t0 = clock_.peek();
    MeasureValues v{};
    ASSERT_EQ(calib::calibrate_measure(31, v), 0);
    std::vector<double> reads;
    for (const auto& e : plant_->log())
        if (e.function == read_fn && e.start == 25 && e.count == 20) reads.push_back(e.time);
    ASSERT_EQ(reads.size(), 3u);  // the first two readings only fill the history
    EXPECT_GE(reads[0] - t0, 2.0);
    EXPECT_LT(reads[0] - t0, 2.05);
    for (std::size_t i = 1; i < reads.size(); ++i) {
        EXPECT_GE(reads[i] - reads[i - 1], 0.4);
        EXPECT_LT(reads[i] - reads[i - 1], 0.5);
    }
}

TEST_F(MeasureRunEnds, AFailedReadOfTheInputTypeSwitchesNothing) {
    start_on(krv_405);
    calib::saved_input_mode = 13;  // left by an earlier run: must not reach the device
    const std::int16_t image_99 = model::param_image[99];
    plant_->fault(Fault::silent().function(read_fn).registers(1099, 1099));
    MeasureValues v{9, 9, 9, 9, 9};
    EXPECT_EQ(calib::calibrate_measure(45, v), 1);
    EXPECT_TRUE(switching().empty());
    EXPECT_EQ(v, (MeasureValues{9, 9, 9, 9, 9}));
    EXPECT_EQ(model::param_image[99], image_99);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    EXPECT_FALSE(calib::fqn_calib_inst->visible());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(MeasureRunEnds, SwitchingBackThatFailsAfterTheValuesSettledIsTriedOnce) {
    start_on(krv_416);
    const int own = device().param(99);
    const std::int16_t image_99 = model::param_image[99];
    // The entry's writes are through; from here on register 1099 takes no write.
    loop_.post_after(1.0, [this] {
        plant_->fault(Fault::silent().function(write_fn).registers(1099, 1099));
    });
    MeasureValues v{9, 9, 9, 9, 9};
    EXPECT_EQ(calib::calibrate_measure(52, v), 1);
    EXPECT_EQ(v, (MeasureValues{9, 9, 9, 9, 9}));
    // One write of the saved type with the link's four sends, not repeated; the first
    // failing write ends the switch back, so 57 and 59 are not written again.
    EXPECT_EQ(switching(), (std::vector<std::pair<int, int>>{
                               {1099, 12}, {57, 1}, {59, 1},
                               {1099, own}, {1099, own}, {1099, own}, {1099, own}}));
    EXPECT_EQ(device().param(99), 12);  // the device was left measuring the run's type
    EXPECT_EQ(model::param_image[99], image_99);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    EXPECT_FALSE(calib::fqn_calib_inst->visible());
}

// Register 1099 takes no writes from 1.0 s on, and the run is cancelled at 3.0 s.
class UnrestoredInputs : public MeasureRunEnds {
  protected:
    std::int16_t run_refused_and_cancelled(std::int16_t mode) {
        plant_->clear_faults();
        clear_records();
        std::int32_t on_wire = 1099;  // behind a gateway: in the slot's window
        link::map_reg_address(on_wire);
        loop_.post_after(1.0, [this, on_wire] {
            plant_->fault(Fault::refused().function(write_fn).registers(on_wire, on_wire));
        });
        loop_.post_after(3.0, [this] { cancel(); });
        MeasureValues v{};
        return calib::calibrate_measure(mode, v);
    }
    std::int16_t run_clean(std::int16_t mode) {
        plant_->clear_faults();
        clear_records();
        MeasureValues v{};
        return calib::calibrate_measure(mode, v);
    }
    void select_and_read(int address) {
        select(address);
        read();
        clear_records();
    }
};

TEST_F(UnrestoredInputs, TheOwnTypeIsKeptPerDeviceUntilASwitchBackGetsThrough) {
    start_on(krv_405);
    const int own = device().param(99);
    ASSERT_NE(own, 12);
    ASSERT_NE(own, 3);

    EXPECT_EQ(run_refused_and_cancelled(52), 1);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});
    EXPECT_EQ(device().param(99), 12);
    // Another run on the same device finishes the first one's switch back before its
    // own entry, then fails to switch back again, from type 3 this time.
    EXPECT_EQ(run_refused_and_cancelled(43), 1);
    EXPECT_EQ(switching()[0], (std::pair<int, int>{1099, own}));
    EXPECT_EQ(switching()[2], (std::pair<int, int>{1099, 3}));
    EXPECT_EQ(device().param(99), 3);
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection. Calibration aborted."});

    // Another device keeps its own 1099 as the type to restore.
    select_and_read(krv_416);
    const int own_17 = device().param(99);
    EXPECT_EQ(run_clean(52), 0);
    EXPECT_EQ(device().param(99), own_17);
    EXPECT_EQ(calib().applied_type(), own_17);

    // Back on the first device: the read switches it back first, so its image and the
    // device hold the own type again, and the next run takes it from 1099.
    select_and_read(krv_405);
    EXPECT_EQ(model::param_image[99], own);
    EXPECT_EQ(device().param(99), own);
    EXPECT_EQ(run_clean(52), 0);
    EXPECT_EQ(switching().back().first, 57);
    EXPECT_EQ(switching()[2], (std::pair<int, int>{1099, own}));
    EXPECT_EQ(device().param(99), own);
    EXPECT_EQ(calib().applied_type(), own);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Ready !"});
    EXPECT_TRUE(calib::unrestored_inputs.empty());

    // Forgotten once through: a later run takes 1099 again.
    device().set_param(99, 4);
    EXPECT_EQ(run_clean(52), 0);
    EXPECT_EQ(device().param(99), 4);
}

TEST_F(UnrestoredInputs, A1099SetAnewSinceTheFailedRunIsTheTypeToRestore) {
    start_on(krv_405);
    EXPECT_EQ(run_refused_and_cancelled(52), 1);
    ASSERT_EQ(device().param(99), 12);
    plant_->clear_faults();
    // The user programs the device with another input type in between.
    model::param_image[99] = 5;
    program();
    ASSERT_EQ(device().param(99), 5);
    EXPECT_EQ(run_clean(52), 0);
    EXPECT_EQ(device().param(99), 5);
    EXPECT_TRUE(calib::unrestored_inputs.empty());
}

TEST_F(UnrestoredInputs, TheKeptTypeBelongsToTheBusPositionAndSerialNumber) {
    // A second device whose 1099 holds the type the failed run left on the first: only
    // the first device's position and serial number together bring its own type back.
    struct Case {
        const char* name;
        int bus_mode;
        int first, second;  // address, or slot of rack 1
        bool same_serial;   // else: the same position, a new device there
    };
    const Case cases[] = {
        {"same_serial_other_slot_behind_the_gateway", 2, 1, 17, true},
        {"same_serial_other_address", 0, krv_405, krv_416, true},
        {"new_device_at_the_same_address", 0, krv_405, krv_405, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bus_mode == 2) write_checked("HZL3_mod.cfg", "1");
        prepare(c.bus_mode);
        ASSERT_TRUE(start(c.bus_mode, "GB"));
        if (c.bus_mode) user([this] { ui::user_select(main().cmb_rack, 0); });
        select(c.first);
        read();
        model::entered_password = model::password_level_2;
        mainwin::apply_access_level();
        boxes_.answer_all(ui::id_ok);
        const int own = device().param(99);
        ASSERT_NE(own, 12);
        ASSERT_EQ(run_refused_and_cancelled(52), 1);
        ASSERT_EQ(device().param(99), 12);
        const std::string serial = device().text8(123);
        plant_->clear_faults();

        if (c.same_serial) {
            (c.bus_mode ? plant_->device(1, c.second) : plant_->device(c.second)).set_serial(serial);
        } else {
            plant_->remove(c.second);
            plant_->add(c.second, sim::Transmitter(11, 405)).set_serial("NEW00001");
        }
        select_and_read(c.second);
        device().set_param(99, 12);  // its own type is the one left on the first device
        EXPECT_EQ(run_clean(52), 0);
        EXPECT_EQ(device().param(99), 12);
        EXPECT_EQ(calib().applied_type(), 12);
        EXPECT_EQ(calib::unrestored_inputs.size(), 1u);
        TearDown();
        SetUp();
    }
}

TEST_F(MeasureRunEnds, ModesOutsideTheTableSendNothing) {
    start_on(krv_405);
    for (int mode : {-1, 21, 29, 32, 39, 61, 70}) {
        SCOPED_TRACE(mode);
        MeasureValues v{9, 9, 9, 9, 9};
        EXPECT_EQ(calib::calibrate_measure(static_cast<std::int16_t>(mode), v), 1);
        EXPECT_EQ(v, (MeasureValues{9, 9, 9, 9, 9}));
    }
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(prompts().empty());
    EXPECT_FALSE(calib::fqn_calib_inst.loaded());
}

TEST_F(MeasureRunEnds, ARunStartedInsideARunDoesNothing) {
    start_on(krv_405);
    std::optional<std::int16_t> inner;
    std::size_t requests_before = 0;
    MeasureValues outer{}, nested{7, 7, 7, 7, 7};
    loop_.post_after(1.0, [&] {
        requests_before = plant_->log().size();
        inner = calib::calibrate_measure(45, nested);
        EXPECT_EQ(plant_->log().size(), requests_before);
    });
    EXPECT_EQ(calib::calibrate_measure(52, outer), 0);
    EXPECT_EQ(inner, std::optional<std::int16_t>(1));
    EXPECT_EQ(nested, (MeasureValues{7, 7, 7, 7, 7}));
    EXPECT_EQ(outer[0], raw(12, 28));
}

TEST_F(MeasureRunEnds, TheBoxIsWordedOnceByTheLanguageAndFamilyOfItsFirstRun) {
    start_on(dlx_306, 0, "D");
    MeasureValues v{};
    ASSERT_EQ(calib::calibrate_measure(31, v), 0);
    EXPECT_EQ(calib::fqn_calib_inst->caption(), "DLX - MESSUNG");
    EXPECT_EQ(calib::fqn_calib_inst->Label3.caption(), "Messung l\xE4uft !");
    EXPECT_EQ(calib::fqn_calib_inst->Command3D1.caption(), "Abbruch");
    texts::is_krv = 1;
    ASSERT_EQ(calib::calibrate_measure(31, v), 0);
    EXPECT_EQ(calib::fqn_calib_inst->caption(), "DLX - MESSUNG");
}

}  // namespace
}  // namespace dvx::testing

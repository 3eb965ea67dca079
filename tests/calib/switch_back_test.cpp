// A switch back that does not get through, on every sheet that runs the measuring run:
// the user is told, and the next "Read in" on that device puts its own input type back
// instead of taking the type the failed run left in register 1099 for its own.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "calib/dlx_cal.h"
#include "calib/fqn_calib.h"
#include "calib/krv4_cal.h"
#include "calib/krv4_cal1.h"
#include "calib/krv_cal.h"
#include "calib/krv_cal1.h"
#include "pages/h_online.h"
#include "tests/calib/calib_fixture.h"

namespace dvx::testing {
namespace {

using sim::Fault;

const std::vector<std::string> aborted{"No connection. Calibration aborted."};
const std::vector<std::string> ready{"Ready !"};
const std::string overwrite_q = "Overwrite existing parameters. Are You sure ?";
const std::string transmitted = "parameters transmited.";

struct SheetCase {
    const char* name;
    int address;
    ui::Form& (*opened)();  // the sheet the calibration menu opens
    ui::Form& (*sheet)();   // the sheet with the button (the other one of the pair: switched to)
    const char* button;
    bool switches;  // the run switches the input (DLX: measures as the device stands)
};
void PrintTo(const SheetCase& c, std::ostream* os) {
    *os << c.name;
}

// The type a run wrote to register 1099, or the device's own when none (a switch back
// finished before the run writes the own type first, a failed one after it).
int run_type(const std::vector<std::pair<int, int>>& switching, int own) {
    for (const auto& [reg, value] : switching)
        if (reg == 1099 && value != own) return value;
    return own;
}

template <class F, ui::FormRef<F>& ref>
ui::Form& form() {
    return *ref;
}

const SheetCase sheet_cases[] = {
    {"krv4_sheet1_thermocouple", krv_405, form<calib::Krv4_Cal, calib::krv4_cal_inst>,
     form<calib::Krv4_Cal, calib::krv4_cal_inst>, "Command3D4", true},
    {"krv4_sheet2_ma_flag59", krv_416, form<calib::Krv4_Cal, calib::krv4_cal_inst>,
     form<calib::Krv4_Cal1, calib::krv4_cal1_inst>, "Command3D9", true},
    {"krv_sheet1_thermocouple", krv_303, form<calib::Krv_Cal, calib::krv_cal_inst>,
     form<calib::Krv_Cal, calib::krv_cal_inst>, "Command3D2", true},
    {"krv_sheet2_600ohm", krv_303, form<calib::Krv_Cal, calib::krv_cal_inst>,
     form<calib::Krv_Cal1, calib::krv_cal1_inst>, "Command3D4", true},
    {"dlx", dlx_306, form<calib::Dlx_Cal, calib::dlx_cal_inst>,
     form<calib::Dlx_Cal, calib::dlx_cal_inst>, "Command3D9", false},
};

class SwitchBack : public CalibFixture, public ::testing::WithParamInterface<SheetCase> {
  protected:
    ui::CommandButton& button_on(ui::Form& f, const char* name) {
        auto* b = dynamic_cast<ui::CommandButton*>(f.control(name));
        EXPECT_NE(b, nullptr) << name;
        return *b;
    }
    ui::CommandButton& open() {
        const SheetCase& c = GetParam();
        start_on(c.address);
        open_calibration();
        if (&c.opened() != &c.sheet()) click(button_on(c.opened(), "Command3D3"));
        EXPECT_TRUE(c.sheet().visible());
        clear_records();
        return button_on(c.sheet(), c.button);
    }
    int run_type(int own) const { return testing::run_type(switching(), own); }

    // One "Read in" that `trouble` spoils, then the next one on a sound line.
    void fail_then_read_again(const std::vector<std::string>& told,
                              const std::function<void()>& trouble) {
        const SheetCase& c = GetParam();
        ui::CommandButton& button = open();
        const int own = device().param(99);

        trouble();
        click(button);
        EXPECT_EQ(prompts(), told);
        const int left = run_type(own);
        EXPECT_EQ(left != own, c.switches) << "the run type must differ from the device's own";
        EXPECT_EQ(calib().applied_type(), left);
        EXPECT_EQ(device().param(99), left);

        plant_->clear_faults();
        clear_records();
        click(button);
        EXPECT_EQ(prompts(), ready);
        EXPECT_EQ(calib().applied_type(), own);
        EXPECT_EQ(device().param(99), own);
        EXPECT_EQ(run_type(own), left);  // the same point, the same type under calibration
        EXPECT_TRUE(calib::unrestored_inputs.empty());
    }
    // The line goes dead while the run samples (a steady input settles at 2.8 s).
    void lose_line() {
        loop_.post_after(2.5, [this] { plant_->fault(Fault::silent()); });
    }
    // Register 1099 takes no writes once the run's type is in; then Cancel.
    void refuse_1099_then_cancel() {
        loop_.post_after(1.0, [this] {
            plant_->fault(Fault::refused().function(write_fn).registers(1099, 1099));
        });
        loop_.post_after(2.5, [] { ui::user_click(calib::fqn_calib_inst->Command3D1); });
    }
};

TEST_P(SwitchBack, ALostLineIsToldAndTheNextReadInRestoresTheOwnType) {
    fail_then_read_again(aborted, [this] { lose_line(); });
}

TEST_P(SwitchBack, ACancelWhose1099RefusesTheSwitchBackIsToldAndMendedNextTime) {
    // Without a switch there is nothing to tell: a cancel stays silent.
    fail_then_read_again(GetParam().switches ? aborted : std::vector<std::string>{},
                         [this] { refuse_1099_then_cancel(); });
}

// A run on the KRV 4.16's current sheet whose sampling and switch back both fail (the
// line silent from the sampling on) leaves the device measuring the run's type. The next
// dialog with that device finishes the switch back before its own traffic; until that
// gets through each dialog says so, the image never takes the run's type for the
// device's own, and programming forgets the device.
class UnfinishedSwitchBack : public CalibFixture {
  protected:
    // A dialog with the device, and what it tells.
    struct DialogCase {
        const char* name;
        std::function<void()> dialog;
        std::vector<std::string> told;
    };
    // The program as started anew: no form, no global, no device left switched.
    void afresh() {
        ui::reset_forms();
        reset_globals();
        calib::unrestored_inputs.clear();
    }
    void leave_switched() {
        start_on(krv_416);
        open_calibration();
        click(calib::krv4_cal_inst->Command3D3);
        clear_records();
        own_ = device().param(99);
        loop_.post_after(2.5, [this] { plant_->fault(Fault::silent()); });
        click(calib::krv4_cal1_inst->Command3D9);
        ASSERT_EQ(prompts(), aborted);
        left_ = run_type(switching(), own_);
        ASSERT_NE(left_, own_);
        ASSERT_EQ(device().param(99), left_);
        ASSERT_EQ(calib().applied_type(), left_);
        ASSERT_FALSE(calib::unrestored_inputs.empty());
        plant_->clear_faults();
        click(calib::krv4_cal1_inst->B_Zurueck);
        ASSERT_TRUE(main().visible());
        clear_records();
    }
    // The leave writes: the own type, the strobe, flag 59 cleared.
    std::vector<std::pair<int, int>> leave_writes() const {
        return {{1099, own_}, {57, 1}, {59, 0}};
    }
    void read_online_page() {
        loop_.post_after(1.0, [] {
            if (auto* p = pages::h_online_inst.peek()) ui::user_click(p->B_Zurueck);
        });
        click(main().B_online);
    }
    int own_ = 0, left_ = -1;
};

TEST_F(UnfinishedSwitchBack, TheNextDialogFinishesItBeforeItsOwnTraffic) {
    const DialogCase cases[] = {
        {"read", [this] { read(); }, {"Parameter read in."}},
        {"program", [this] { program(); }, {overwrite_q, transmitted}},
        {"online page", [this] { read_online_page(); }, {}},
        {"output calibration entry", [this] { click(main().m_cal_out); }, {}},
        {"calibration entry",
         [this] {
             open_calibration();
             click(calib::krv4_cal_inst->Command3D3);
             click(calib::krv4_cal1_inst->Command3D9);
         },
         ready},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        afresh();
        leave_switched();
        c.dialog();
        EXPECT_EQ(prompts(), c.told);
        // First on the wire: which device is there, its 1099, then the leave writes.
        const auto& log = plant_->log();
        ASSERT_GE(log.size(), 5u);
        EXPECT_EQ((Request{log[0].function, log[0].start, log[0].count}),
                  (Request{read_fn, 1123, 4}));
        EXPECT_EQ((Request{log[1].function, log[1].start, log[1].count}),
                  (Request{read_fn, 1099, 1}));
        const auto sw = switching();
        ASSERT_GE(sw.size(), 3u);
        EXPECT_EQ(std::vector(sw.begin(), sw.begin() + 3), leave_writes());
        for (int i = 2; i <= 4; ++i) EXPECT_EQ(log[i].function, write_fn) << i;
        EXPECT_EQ(device().param(99), own_);
        EXPECT_EQ(calib().applied_type(), own_);
        EXPECT_EQ(model::param_image[99], own_);
        EXPECT_TRUE(calib::unrestored_inputs.empty());
    }
}

// The switch back refused meanwhile (1099 takes no writes): a read says so and still
// shows the device's own type, never the run's; a Program writes that (or whatever the
// technician chose) and the device is forgotten, so no later dialog puts an older type
// back over the one programmed.
TEST_F(UnfinishedSwitchBack, UntilFinishedEachDialogTellsAndProgrammingForgetsIt) {
    leave_switched();
    plant_->fault(Fault::refused().function(write_fn).registers(1099, 1099));
    read();
    EXPECT_EQ(prompts(), (std::vector<std::string>{aborted[0], "Parameter read in."}));
    EXPECT_EQ(model::param_image[99], own_) << "the image shows the device's own type";
    clear_records();
    read();
    EXPECT_EQ(prompts(), (std::vector<std::string>{aborted[0], "Parameter read in."}))
        << "told at every dialog until finished";
    EXPECT_EQ(model::param_image[99], own_);
    EXPECT_FALSE(calib::unrestored_inputs.empty());

    EXPECT_EQ(device().param(99), left_);

    // The technician chooses a type of his own and programs it (the block write starts
    // below 1099); the switch back still fails.
    const int chosen = own_ == 5 ? 6 : 5;
    model::param_image[99] = static_cast<std::int16_t>(chosen);
    clear_records();
    program();
    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, aborted[0], transmitted}));
    EXPECT_EQ(device().param(99), chosen);
    EXPECT_EQ(device().stored_param(99), chosen);
    EXPECT_TRUE(calib::unrestored_inputs.empty());

    plant_->clear_faults();
    clear_records();
    read();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter read in."});
    EXPECT_EQ(model::param_image[99], chosen);
    EXPECT_TRUE(switching().empty());
}

// A scan leaves the last device's set in the image: with the device's own type, never
// the run's, so a Program after it cannot write the run's type into the device.
TEST_F(UnfinishedSwitchBack, AScanShowsTheOwnTypeSoAProgramAfterItKeepsIt) {
    leave_switched();
    plant_->fault(Fault::refused().function(write_fn).registers(1099, 1099));
    std::vector<int> others;
    for (const auto& [a, t] : plant_->devices())
        if (a != krv_416) others.push_back(a);
    for (int a : others) plant_->remove(a);
    boxes_.answer_all(ui::id_ok);
    click(main().Command3D4);
    ASSERT_EQ(main().dev_list.list_count(), 1);
    EXPECT_EQ(model::param_image[99], own_) << "the scan's image shows the device's own type";

    clear_records();
    program();
    EXPECT_EQ(device().param(99), own_);
    EXPECT_EQ(device().stored_param(99), own_);
    EXPECT_TRUE(calib::unrestored_inputs.empty());
}

// The image may hold another device's set: device 1 read, then address 33 chosen (its
// own serial number and input type 8) and calibrated with the sheet of device 1's image.
// The run's switch back fails; the next dialog with device 33 finds it by the serial
// number device 33 gave at the entry and finishes it, whatever set the image holds then.
TEST_F(UnfinishedSwitchBack, ItIsKeptUnderTheSerialNumberOfTheDeviceCalibrated) {
    constexpr int other = 33;
    const DialogCase cases[] = {
        {"read of device 33", [this] { read(); }, {"Parameter read in."}},
        {"calibration entry with device 1's set in the image",
         [this] {
             open_calibration();
             click(calib::krv4_cal_inst->Command3D4);
         },
         ready},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        afresh();
        start_on(krv_405);
        sim::Transmitter& dev = plant_->device(other);
        const int own = dev.param(99);
        ASSERT_NE(dev.serial(), plant_->device(krv_405).serial());
        ASSERT_NE(own, plant_->device(krv_405).param(99));
        select(other);
        open_calibration();
        clear_records();
        loop_.post_after(2.5, [this] { plant_->fault(Fault::silent()); });
        click(calib::krv4_cal_inst->Command3D4);
        ASSERT_EQ(prompts(), aborted);
        const int left = run_type(switching(), own);
        ASSERT_NE(left, own);
        ASSERT_EQ(dev.param(99), left) << "the line died before the switch back";
        plant_->clear_faults();
        click(calib::krv4_cal_inst->B_Zurueck);
        clear_records();

        c.dialog();
        EXPECT_EQ(prompts(), c.told);
        const auto sw = switching();
        ASSERT_GE(sw.size(), 2u);
        EXPECT_EQ(sw[0], (std::pair<int, int>{1099, own})) << "switched back first";
        EXPECT_EQ(sw[1], (std::pair<int, int>{57, 1}));
        EXPECT_EQ(dev.param(99), own);
        EXPECT_EQ(dev.stored_param(99), own);
        EXPECT_TRUE(calib::unrestored_inputs.empty());
        if (std::string(c.name).starts_with("read")) {
            EXPECT_EQ(model::param_image[99], own);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, SwitchBack, ::testing::ValuesIn(sheet_cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dvx::testing

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
#include "tests/calib/calib_fixture.h"

namespace dvx::testing {
namespace {

using sim::Fault;

const std::vector<std::string> aborted{"No connection. Calibration aborted."};
const std::vector<std::string> ready{"Ready !"};

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
    // The type the run wrote to register 1099, or the device's own when none.
    int run_type(int own) const {
        for (const auto& [reg, value] : switching())
            if (reg == 1099) return value;
        return own;
    }

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

INSTANTIATE_TEST_SUITE_P(Sheets, SwitchBack, ::testing::ValuesIn(sheet_cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dvx::testing

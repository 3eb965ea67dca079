// The online page's opening read on a device that answers beyond the time-out, one
// request after the other, with stray bytes on the line: the page opens on the device's
// own 140 words or the read fails with "No connection !" and the page stays shut, never
// with another block's words; programming the set read keeps every register.
#include "tests/mainwin/late_device.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pages/h_online.h"
#include "tests/pages/live_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using pages::h_online_inst;

const std::string not_possible =
    "No connection to the device. Online representation isn't possible.";

class LateDeviceOnline : public LateDeviceOn<LivePageFixture> {
  protected:
    // Clicks the online button; Back is clicked once the page shows, after a poll or two.
    void run_online() {
        const auto over = std::make_shared<bool>(false);
        back_when_shown(over);
        click(main().B_online);
        *over = true;
    }
    void back_when_shown(std::shared_ptr<bool> over) {
        at(2.0, [this, over] {
            if (*over) return;
            if (pages::H_online* p = h_online_inst.peek(); p && p->visible())
                ui::user_click(p->B_Zurueck);
            else
                back_when_shown(over);
        });
    }
};

TEST_F(LateDeviceOnline, OpensOnTheDevicesOwnWordsOrFailsAndProgramKeepsItsRegisters) {
    run_late_rows("pages opened", [this] {
        run_online();
        const bool shown = h_online_inst.loaded();
        const std::vector<std::string> said = prompts();
        if (shown) {
            EXPECT_GE(count_requests(read_fn, 60), 1) << "the page polled";
            // Polling the late device may fail after the page opened: it says so.
            EXPECT_TRUE(said.empty() || said == std::vector<std::string>{not_possible})
                << ::testing::PrintToString(said);
        } else {
            EXPECT_EQ(said, std::vector<std::string>{late_no_connection});
        }
        EXPECT_TRUE(main().visible());
        return shown;
    });
}

}  // namespace
}  // namespace dvx::testing

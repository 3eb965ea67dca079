// What the link and the model see of the loaded main window: the lists that pick the
// device on the bus, the fields and options they read, and the family options they set.
#include <gtest/gtest.h>

#include "link/transactions.h"
#include "model/main_view_hooks.h"
#include "model/view_bindings.h"
#include "tests/mainwin/main_window_fixture.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

class WindowBindings : public MainWindowFixture {};

TEST_F(WindowBindings, TheLinkTalksToTheDeviceTheListsPick) {
    ASSERT_TRUE(start(0));
    user([&] { ui::user_select(main().adr_select, 16); });
    std::int16_t code = 0;
    ASSERT_EQ(link::read_device_type(code), 0);
    EXPECT_EQ(code, 16);
    ASSERT_FALSE(plant_->log().empty());
    EXPECT_EQ(plant_->log().back().unit, 17);
}

TEST_F(WindowBindings, GatewayRackAndSlotComeFromTheirLists) {
    write_checked("HZL_mod.cfg", "1");
    ASSERT_TRUE(start(1));
    user([&] { ui::user_select(main().cmb_rack, 2); });
    user([&] { ui::user_select(main().adr_select, 4); });
    std::int16_t code = 0;
    ASSERT_EQ(link::read_device_type(code), 0);
    EXPECT_EQ(code, 14) << "rack 3, slot 5";
}

TEST_F(WindowBindings, ModelReadsAndSetsTheWindowsControls) {
    ASSERT_TRUE(start());
    auto& m = main();
    m.curr_version.set_text("4.05");
    m.TH_XK.set_value(1);
    m.Komentar.set_text("comment");
    auto& hooks = model::main_view_hooks();
    EXPECT_EQ(hooks.curr_version(), "4.05");
    EXPECT_TRUE(hooks.th_xk());
    EXPECT_FALSE(hooks.s_snap());
    EXPECT_EQ(hooks.v_mode(), "40");
    EXPECT_EQ(hooks.lang_code(), "GB");
    auto& view = model::view_bindings();
    EXPECT_EQ(view.get_komentar(), "comment");
    EXPECT_EQ(model::message("msg_quit"), texts::msg_quit);

    // A read that finds a DLX switches the option as the user would.
    view.set_s_dlx(true);
    EXPECT_EQ(texts::is_krv, 0);
    EXPECT_TRUE(hooks.s_dlx());
    EXPECT_FALSE(hooks.s_krv());
    EXPECT_EQ(m.caption(), "DLX main menu");
    view.set_s_snap(true);
    EXPECT_EQ(m.S_SNAP.value(), 1);
}

}  // namespace
}  // namespace dvx::testing

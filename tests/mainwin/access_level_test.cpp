// The two password levels on the main window's controls, with the port open or not.
#include "mainwin/access_level.h"

#include <gtest/gtest.h>

#include "tests/mainwin/main_window_fixture.h"

namespace dvx::testing {
namespace {

class AccessLevel : public MainWindowFixture {
  protected:
    // What the guarded controls show, as one line, so a case reads at a glance.
    std::string state() {
        auto& m = main();
        auto on = [](const ui::Control& c) { return c.enabled() ? '1' : '0'; };
        std::string s;
        for (const ui::Control* c : std::initializer_list<const ui::Control*>{
                 &m.B_FQN_Read, &m.B_FQN_Write, &m.B_io, &m.B_Out, &m.B_dout, &m.B_Schk,
                 &m.B_comment, &m.B_online, &m.Command3D3, &m.m_calib, &m.Krv_adr, &m.Komentar1,
                 &m.Check3D2})
            s += on(*c);
        return s + (m.Check3D2.value() == 1 ? " checked" : " unchecked");
    }
    void enter(const std::string& password) {
        model::entered_password = password;
        mainwin::apply_access_level();
    }
};

//                         Read Write io Out dout Schk comment online diag calib adr tag check3d2
constexpr const char* level_0 = "1000000110000 unchecked";
constexpr const char* level_1 = "1111111110110 unchecked";
constexpr const char* level_2 = "1111111111111 unchecked";

TEST_F(AccessLevel, FreshStartOpensLevelOneOnly) {
    ASSERT_TRUE(start());
    EXPECT_EQ(model::password_level_1, "");
    EXPECT_EQ(model::password_level_2, "3947");
    EXPECT_EQ(state(), level_1);
    enter("3947");
    EXPECT_EQ(state(), level_2);
    enter("wrong");
    EXPECT_EQ(state(), level_0);
}

TEST_F(AccessLevel, PasswordsCompareWithoutLetterCaseAndWithoutTrimming) {
    ASSERT_TRUE(start());
    struct Case {
        const char* level1;
        const char* level2;
        const char* typed;
        const char* expect;
    } cases[] = {
        {"Gate", "Calib\xE4", "cALIB\xC4", level_2},  // accented letters fold too
        {"Gate", "Calib", "gate", level_1},          {"Gate", "Calib", "gate ", level_0},
        {"same", "same", "SAME", level_2},           {"", "", "", level_2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        model::password_level_1 = c.level1;
        model::password_level_2 = c.level2;
        enter(c.typed);
        EXPECT_EQ(state(), c.expect);
    }
}

TEST_F(AccessLevel, LeavingLevelTwoUnchecksCalibrationOverwriteForGood) {
    ASSERT_TRUE(start());
    enter("3947");
    main().Check3D2.set_value(1);
    mainwin::apply_access_level();
    EXPECT_EQ(main().Check3D2.value(), 1) << "staying at level 2 keeps the tick";
    enter("other");
    EXPECT_EQ(main().Check3D2.value(), 0);
    enter("3947");
    EXPECT_EQ(state(), level_2);
}

TEST_F(AccessLevel, ClosedPortKeepsTheLinkButtonsOffAtEveryLevel) {
    prepare(0);
    port_->set_open_fault(sim::OpenFault::port_in_use);
    ASSERT_TRUE(start());
    EXPECT_EQ(link::port_status, 1);
    EXPECT_TRUE(boxes_.shown().empty());
    //                  Read Write io Out dout Schk comment online diag calib adr tag check3d2
    EXPECT_EQ(state(), "0010111000110 unchecked");
    enter("3947");
    EXPECT_EQ(state(), "0010111001111 unchecked");

    // Another port that opens brings them back.
    port_->set_open_fault(sim::OpenFault::none);
    loop_.post([&] { ui::user_select(main().Com_select, 1); });
    pump();
    EXPECT_EQ(link::port_status, 0);
    EXPECT_EQ(state(), level_2);
}

}  // namespace
}  // namespace dvx::testing

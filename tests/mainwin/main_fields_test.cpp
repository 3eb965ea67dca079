// The main window's own fields, the port and address choices and the two quit paths,
// driven as a user drives them.
#include <gtest/gtest.h>

#include <string>

#include "model/con_file.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "tests/mainwin/main_window_fixture.h"
#include "texts/messages.h"
#include "ui/keyboard.h"

namespace dvx::testing {
namespace {

class MainFields : public MainWindowFixture {
  protected:
    void leave(ui::Control& to) {
        user([&] { ui::user_focus(to); });
    }
};

TEST_F(MainFields, TagIsStoredPaddedWhenTheBoxIsLeft) {
    ASSERT_TRUE(start());
    auto& m = main();
    struct Case {
        const char* text;
        const char* stored;
    } cases[] = {
        {"ABC", " ABC    "},
        {"", "        "},
        {"ABCDEFG", " ABCDEFG"},
        {"  ABCDEFGHIJ ", "ABCDEFGH"},  // pasted: trimmed, then cut to 8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        user([&] { ui::user_focus(m.Komentar1); });
        m.Komentar1.set_text(c.text);
        leave(m.B_io);
        EXPECT_EQ(model::text_from_params(119), c.stored);
        EXPECT_EQ(m.Komentar1.text(), c.text) << "the box keeps the text as typed";
    }
    m.set_main_mask();
    EXPECT_EQ(m.Komentar1.text(), "ABCDEFGH");
}

TEST_F(MainFields, TagBoxTakesOnlyItsCharacters) {
    ASSERT_TRUE(start());
    auto& m = main();
    model::text_to_params(119, "KEEP");
    user([&] { ui::user_focus(m.Komentar1); });
    user([] { ui::user_type("a b.\xE4-$%_Z9"); });
    EXPECT_EQ(m.Komentar1.text(), "ab-$%_Z9");
    // Esc is refused here: it clears the latch but does not refill the fields.
    model::range_check_latch = 1;
    user([] { ui::user_key(ui::vk_escape); });
    EXPECT_EQ(m.Komentar1.text(), "ab-$%_Z9");
    EXPECT_EQ(model::range_check_latch, 0);
}

TEST_F(MainFields, EnterMovesOnAndEveryOtherKeyClearsTheLatch) {
    ASSERT_TRUE(start());
    auto& m = main();
    user([&] { ui::user_focus(m.Komentar1); });
    model::range_check_latch = 1;
    user([] { ui::user_key(ui::vk_return); });
    EXPECT_EQ(model::range_check_latch, 0);
    EXPECT_FALSE(m.Komentar1.has_focus());
    EXPECT_EQ(model::text_from_params(119), "        ") << "leaving by Enter stores the TAG";
}

TEST_F(MainFields, SerialNumberEditingNeedsTheMarker) {
    write_checked("sn_chg.cfg", "enabled");
    ASSERT_TRUE(start());
    auto& m = main();
    ASSERT_TRUE(m.Ser_No.enabled());
    user([&] { ui::user_focus(m.Ser_No); });
    user([] { ui::user_type("SN-42"); });
    leave(m.B_io);
    EXPECT_EQ(model::text_from_params(123), " SN-42  ");

    // Esc in the serial box refills TAG, serial and address from the image, dropping
    // what was typed and not stored.
    model::text_to_params(119, "TAG1    ");
    model::param_image[113] = 0x0705;
    user([&] { ui::user_focus(m.Ser_No); });
    user([] { ui::user_type("X"); });
    m.Komentar1.set_text("typed");
    user([] { ui::user_key(ui::vk_escape); });
    EXPECT_EQ(m.Ser_No.text(), " SN-42  ");
    EXPECT_EQ(m.Komentar1.text(), "TAG1    ");
    EXPECT_EQ(m.Krv_adr.list_index(), 6);
    EXPECT_EQ(model::param_image[113], 0x0705);
}

TEST_F(MainFields, AddressListWritesTheHighByteOnly) {
    ASSERT_TRUE(start());
    auto& m = main();
    model::param_image[113] = 0x0A05;
    user([&] { ui::user_select(m.Krv_adr, 16); });
    EXPECT_EQ(model::param_image[113], 0x1105);
    model::param_image[113] = 0x0005;
    m.set_main_mask();
    EXPECT_EQ(m.Krv_adr.list_index(), -1);
    EXPECT_EQ(model::param_image[113], 0x0005);
}

TEST_F(MainFields, AddressBeyondTheGatewayListIsKeptInTheSet) {
    write_checked("HZL_mod.cfg", "on");
    ASSERT_TRUE(start(1));
    auto& m = main();
    ASSERT_EQ(m.Krv_adr.list_count(), 20);
    model::param_image[113] = 0x0C00;
    m.set_main_mask();
    ASSERT_EQ(m.Krv_adr.list_index(), 11);
    model::param_image[113] = static_cast<std::int16_t>(0x2803);  // address 40
    m.set_main_mask();
    EXPECT_EQ(m.Krv_adr.list_index(), -1);
    EXPECT_EQ(model::param_image[113], 0x2803) << "no entry selected must not clear the address";
}

TEST_F(MainFields, PortChoiceReopensAndIsSavedWhenLeft) {
    ASSERT_TRUE(start());
    auto& m = main();
    EXPECT_EQ(port_->port_number(), 1);
    user([&] { ui::user_select(m.Com_select, 2); });
    EXPECT_TRUE(port_->is_open());
    EXPECT_EQ(port_->port_number(), 3);
    EXPECT_FALSE(files_->exists("krv_con.cfg")) << "saved only when the list is left";
    user([&] { ui::user_select(m.adr_select, 9); });
    leave(m.B_io);
    const auto saved = model::load_settings(20, 255);
    EXPECT_EQ(saved.port_index, 2);
    EXPECT_EQ(saved.adr_index, 9);
    EXPECT_FALSE(saved.password_level_1.has_value());
    EXPECT_EQ(saved.password_level_2, "3947");

    // The next start comes back on that port and address.
    ui::reset_forms();
    reset_globals();
    ASSERT_TRUE(start());
    EXPECT_EQ(main().Com_select.list_index(), 2);
    EXPECT_EQ(main().adr_select.list_index(), 9);
    EXPECT_EQ(port_->port_number(), 3);
    EXPECT_TRUE(plant_->log().empty()) << "nothing is sent at start";
}

// A port that cannot be opened turns the link buttons off. Chosen by the technician it
// is told with the port's reason; the start's own opening stays silent on screen.
TEST_F(MainFields, PortThatFailsDisablesTheLinkButtonsAndIsToldWhenChosen) {
    prepare(0);
    port_->set_open_fault(sim::OpenFault::no_such_port);
    ASSERT_TRUE(start());
    auto& m = main();
    EXPECT_EQ(link::port_status, 1);
    EXPECT_TRUE(boxes_.shown().empty()) << "the start is silent";

    port_->set_open_fault(sim::OpenFault::none);
    user([&] { ui::user_select(m.Com_select, 1); });
    EXPECT_EQ(link::port_status, 0);
    EXPECT_TRUE(boxes_.shown().empty());

    port_->set_open_fault(sim::OpenFault::port_in_use);
    boxes_.answer_all(ui::id_ok);
    user([&] { ui::user_select(m.Com_select, 4); });
    EXPECT_EQ(link::port_status, 1);
    EXPECT_FALSE(m.B_FQN_Read.enabled());
    EXPECT_FALSE(m.B_FQN_Write.enabled());
    EXPECT_FALSE(m.B_online.enabled());
    EXPECT_EQ(prompts(), std::vector<std::string>{"No connection !\r\nPort already in use"});
}

TEST_F(MainFields, QuitAsksThePlainQuestionBeforeAnyRead) {
    ASSERT_TRUE(start());
    EXPECT_EQ(mainwin::param_snapshot, "");
    const int writes = registry_.writes;
    boxes_.answer({ui::id_cancel, "Quit ?", nullptr, 0, ui::mb_ok_cancel, "DORVANEX"});
    user([&] { ui::user_click(main().B_exit); });
    EXPECT_FALSE(ui::program_ended());
    boxes_.answer({ui::id_ok, "Quit ?", nullptr, 0, ui::mb_ok_cancel, "DORVANEX"});
    EXPECT_THROW(user([&] { ui::user_click(main().m_dat_exit); }), ui::ProgramEnded);
    EXPECT_TRUE(ui::program_ended());
    EXPECT_EQ(registry_.writes, writes) << "quitting saves no placement";
}

TEST_F(MainFields, QuitNamesChangesMadeAfterARead) {
    ASSERT_TRUE(start());
    auto& m = main();
    mainwin::param_snapshot = model::params_to_text();  // as a device read leaves it
    user([&] { ui::user_focus(m.Komentar1); });
    user([] { ui::user_type("NEW"); });
    leave(m.B_io);
    boxes_.answer({ui::id_cancel, "Parameter have been changed. Do You want to quit without save ?",
                   nullptr, 0, ui::mb_ok_cancel, "DORVANEX"});
    user([&] { ui::user_click(m.B_exit); });
    EXPECT_FALSE(ui::program_ended());
}

TEST_F(MainFields, CheckOverwriteAsksOnlyWhenTheReadSetChanged) {
    ASSERT_TRUE(start());
    auto& m = main();
    model::param_image[99] = 3;  // a loaded configuration: no snapshot yet
    EXPECT_EQ(m.check_overwrite(), 0);
    EXPECT_TRUE(boxes_.shown().empty());

    mainwin::param_snapshot = model::params_to_text();
    EXPECT_EQ(m.check_overwrite(), 0);
    EXPECT_TRUE(boxes_.shown().empty());

    model::param_image[99] = 4;
    boxes_.answer({ui::id_cancel, texts::msg_discard_changes, nullptr, 0,
                   ui::mb_ok_cancel + ui::mb_question, "DORVANEX"});
    EXPECT_EQ(m.check_overwrite(), 1);
    boxes_.answer(ui::id_ok);
    EXPECT_EQ(m.check_overwrite(), 0);
}

}  // namespace
}  // namespace dvx::testing

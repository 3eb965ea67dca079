// The language and password menus through the user's clicks and keys: the language of
// the main window and the boxes, the stored choice, the two password dialogs with their
// comparisons, the settings file they write and the access level that follows.
#include "mainwin/lang_pass_menus.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "mainwin/password_dialogs.h"
#include "model/con_file.h"
#include "platform/cp1252.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

constexpr int key_enter = 13;

class LangPassMenus : public DeviceFixture {
  protected:
    // Chooses a menu item; `in_dialog` is what the user then does in the modal dialog
    // it opens (the click returns when the dialog has gone).
    void choose(ui::MenuItem& item, std::function<void()> in_dialog = nullptr) {
        loop_.post([&item] { ui::user_click(item); });
        if (in_dialog) loop_.post(std::move(in_dialog));
        pump();
    }
    static void type_into(ui::TextBox& box, const std::string& text) {
        ui::user_focus(box);
        ui::user_type(text);
    }
    void enter_password(const std::string& typed) {
        choose(main().m_pas_enter, [typed] {
            type_into(mainwin::enter_pass_inst->Text1, typed);
            ui::user_key(key_enter);
        });
    }
    // Fills the change dialog and presses Save; the dialog stays open when refused.
    void change_password(ui::MenuItem& level, const std::string& old_pw, const std::string& new_pw,
                         const std::string& conf, bool cancel_after = false) {
        choose(level, [=] {
            auto& d = *mainwin::set_pass_inst;
            type_into(d.p1_old, old_pw);
            // Typed keys cannot carry a line break: the new texts are pasted.
            d.P1_new.set_text(new_pw);
            d.P1_conf.set_text(conf);
            ui::user_click(d.Command3D1);
            if (cancel_after && mainwin::set_pass_inst.loaded())
                ui::user_click(mainwin::set_pass_inst->Command3D2);
        });
    }
    bool level_1_open() { return main().B_io.enabled(); }
    bool level_2_open() { return main().m_calib.enabled(); }
    std::optional<std::string> stored_password(int level) {
        const auto read = model::load_settings(20, 255);
        return level == 1 ? read.password_level_1 : read.password_level_2;
    }
};

TEST_F(LangPassMenus, LanguageItemsSwitchTheMainWindowAndTheBoxesAtOnceAndAreStored) {
    struct Row {
        const char* name;
        ui::MenuItem mainwin::Hauptmenue::*item;
        const char* code;
        const char* title;
        const char* quit;  // the question of the quit button
    } rows[] = {
        {"dutch", &mainwin::Hauptmenue::m_lang_NL, "NL", "KRV - Hoofdmenu",
         "Programma beëindigen ?"},
        {"german", &mainwin::Hauptmenue::m_lang_d, "D", "KRV - Hauptmenü", "Programm beenden ?"},
        {"english", &mainwin::Hauptmenue::m_land_gb, "GB", "KRV main menu", "Quit ?"},
    };
    ASSERT_TRUE(start(0, "GB"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        choose(main().*row.item);
        EXPECT_EQ(texts::lang_code, row.code);
        EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_language), row.code);
        EXPECT_EQ(main().caption(), platform::to_cp1252(row.title));
        boxes_.clear();
        boxes_.answer(ui::id_cancel);
        click(main().B_exit);
        ASSERT_EQ(boxes_.shown().size(), 1u);
        EXPECT_EQ(boxes_.shown()[0].prompt, platform::to_cp1252(row.quit));
    }
}

TEST_F(LangPassMenus, RefusedRegistryWriteStillSwitchesTheLanguageSilently) {
    ASSERT_TRUE(start(0, "GB"));
    registry_.refuse_create = true;
    registry_.refuse_set = true;
    choose(main().m_lang_NL);  // an unscripted box would fail the test
    EXPECT_EQ(texts::lang_code, "NL");
    EXPECT_EQ(texts::msg_no_connection, "Er kan geen verbinding worden opgebouwd !");
    EXPECT_EQ(registry_.get_string(model::reg_key, model::reg_language), "GB");
}

TEST_F(LangPassMenus, EnteredPasswordOpensItsLevelInAnyLetterCase) {
    ASSERT_TRUE(start(0, "GB"));
    EXPECT_TRUE(level_1_open()) << "no level-1 password: level 1 is open at start";
    EXPECT_FALSE(level_2_open());

    enter_password("3947");
    EXPECT_FALSE(mainwin::enter_pass_inst.loaded());
    EXPECT_EQ(model::entered_password, "3947");
    EXPECT_TRUE(level_2_open());

    model::password_level_2 = "Kal";
    enter_password("kAL");
    EXPECT_EQ(model::entered_password, "kAL") << "kept as typed";
    EXPECT_TRUE(level_2_open());

    enter_password("kal ");
    EXPECT_FALSE(level_2_open()) << "no trimming";
    EXPECT_FALSE(level_1_open()) << "the typed text no longer matches the empty level 1";
}

TEST_F(LangPassMenus, EnterPasswordDialogShowsStarsAndClosedByItsFrameChangesNothing) {
    ASSERT_TRUE(start(0, "D"));
    model::entered_password = "3947";
    std::string title, stars;
    choose(main().m_pas_enter, [&] {
        auto& d = *mainwin::enter_pass_inst;
        title = d.caption();
        stars = d.Text1.password_char();
        EXPECT_EQ(d.Text1.text(), "") << "the box starts empty";
        type_into(d.Text1, "wrong");
        ui::user_close(d);
    });
    EXPECT_EQ(title, platform::to_cp1252("Paßworteingabe"));
    EXPECT_EQ(stars, "*");
    EXPECT_FALSE(mainwin::enter_pass_inst.loaded());
    EXPECT_EQ(model::entered_password, "3947");
    EXPECT_TRUE(level_2_open()) << "worked out again from the previous password";
}

TEST_F(LangPassMenus, NewLevelOnePasswordIsStoredAndClosesTheLevelUntilEntered) {
    ASSERT_TRUE(start(0, "GB"));
    ASSERT_TRUE(level_1_open());
    std::string panel;
    choose(main().m_pas_1, [&] {
        auto& d = *mainwin::set_pass_inst;
        panel = d.pass_panel.caption();
        type_into(d.P1_new, "Abc");
        type_into(d.P1_conf, "ABC");  // differs only in letter case
        ui::user_click(d.Command3D1);
    });
    EXPECT_EQ(panel, "Password area 1 (all adjustments except of calibration)");
    EXPECT_FALSE(mainwin::set_pass_inst.loaded());
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(model::password_level_1, "Abc") << "as typed in the new-password box";
    EXPECT_EQ(stored_password(1), "Abc");
    EXPECT_FALSE(level_1_open());

    enter_password("aBC");
    EXPECT_TRUE(level_1_open());
}

TEST_F(LangPassMenus, SaveChecksTheOldPasswordAndTheConfirmation) {
    struct Row {
        const char* name;
        int level;
        const char* old_pw;
        std::string new_pw, conf;
        std::string message;  // "" accepted
    };
    const std::string bad_char =
        "The password must not contain \"|\", a line break or another control character !";
    const Row rows[] = {
        {"old_in_other_case", 2, "KALIB", "neu", "NEU", ""},
        {"old_wrong", 2, "kalib2", "neu", "neu", "Old password is wrong !"},
        {"old_empty_for_a_set_one", 2, "", "neu", "neu", "Old password is wrong !"},
        {"confirmation_with_a_trailing_blank", 2, "Kalib", "neu", "neu ",
         "Password confirmation is wrong !"},
        {"empty_new_password", 2, "kalib", "", "", ""},
        {"level_1_old_must_be_empty", 1, "x", "neu", "neu", "Old password is wrong !"},
        // The settings file ends each field with "|" and the container ends at byte 26:
        // such a password would lose both passwords, the port and the address.
        {"bar", 2, "kalib", "a|b", "a|b", bad_char},
        {"line_break", 2, "kalib", "a\r\nb", "a\r\nb", bad_char},
        {"end_mark", 2, "kalib", "a\x1A", "a\x1A", bad_char},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(start(0, "GB"));
        model::password_level_2 = "Kalib";
        main().save_connection_settings();
        boxes_.clear();
        boxes_.answer_all(ui::id_ok);
        change_password(row.level == 1 ? main().m_pas_1 : main().m_pas_2, row.old_pw, row.new_pw,
                        row.conf, true);
        const std::string& now = row.level == 1 ? model::password_level_1 : model::password_level_2;
        if (row.message.empty()) {
            EXPECT_TRUE(boxes_.shown().empty());
            EXPECT_EQ(now, row.new_pw);
            EXPECT_EQ(stored_password(row.level).value_or(""), row.new_pw);
        } else {
            ASSERT_EQ(boxes_.shown().size(), 1u);
            EXPECT_EQ(boxes_.shown()[0].prompt, row.message);
            EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
            EXPECT_EQ(model::password_level_1, "");
            EXPECT_EQ(model::password_level_2, "Kalib");
            EXPECT_EQ(stored_password(2), "Kalib");
        }
        EXPECT_FALSE(mainwin::set_pass_inst.loaded());
        ui::reset_forms();
        reset_globals();
    }
}

TEST_F(LangPassMenus, CancelChangesNothing) {
    ASSERT_TRUE(start(0, "NL"));
    main().save_connection_settings();
    const std::string file = model::read_checked_file(model::con_file_name);
    const int writes_before = registry_.writes;
    std::string panel, save;
    choose(main().m_pas_2, [&] {
        auto& d = *mainwin::set_pass_inst;
        panel = d.pass_panel.caption();
        save = d.Command3D1.caption();
        type_into(d.p1_old, "3947");
        type_into(d.P1_new, "neu");
        type_into(d.P1_conf, "neu");
        ui::user_click(d.Command3D2);
    });
    EXPECT_EQ(panel, "Password niveau 2 (kalibratie)");
    EXPECT_EQ(save, "Opslaan");
    EXPECT_FALSE(mainwin::set_pass_inst.loaded());
    EXPECT_EQ(model::password_level_2, "3947");
    EXPECT_EQ(model::read_checked_file(model::con_file_name), file);
    EXPECT_EQ(registry_.writes, writes_before);
}

TEST(PasswordStorable, RefusesOnlyWhatBreaksTheSettingsFile) {
    for (const char* ok : {"", "abc", "3947", "a b", "it's", "\xE4\xF6\xFC\xDF", "$%."})
        EXPECT_TRUE(mainwin::password_storable(ok)) << ok;
    for (const char* bad : {"|", "a|", "a\r", "\nb", "a\x1A", "\t"})
        EXPECT_FALSE(mainwin::password_storable(bad)) << bad;
}

}  // namespace
}  // namespace dvx::testing

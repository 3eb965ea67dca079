#include "model/con_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "model/checked_file.h"
#include "tests/support/processes.h"
#include "tests/support/services_fixture.h"

namespace dvx::model {
namespace {

class ConFileTest : public testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        con_base_fields.reset();  // no test inherits another's reading of the file
    }
};

TEST_F(ConFileTest, WritesSixBarEndedFields) {
    // Port, "0", address, an empty field, then the two (empty) passwords.
    EXPECT_EQ(con_file_text({0, 4, "", ""}), "0|0|4||||");
    EXPECT_EQ(con_file_text({-1, 0, "abc", ""}), "-1|0|0||cab||");
    save_settings({0, 4, "", ""});
    EXPECT_EQ(read_checked_file("krv_con.cfg"), "0|0|4||||");
}

TEST_F(ConFileTest, ReadsFilesWithoutTheLastBar) {
    ASSERT_EQ(write_checked_file("krv_con.cfg", "0|0|4|||"), 0);
    const auto r = load_settings(20, 255);
    EXPECT_EQ(r.port_index, 0);
    EXPECT_EQ(r.adr_index, 4);
    EXPECT_FALSE(r.password_level_1);
    EXPECT_FALSE(r.password_level_2);
}

TEST_F(ConFileTest, SettingsComeBackAfterASave) {
    // Passwords with every character the scrambler treats specially, "'" included.
    const ConSettings saved{3, 17, "O'Neil.1 $%",
                            "Stra\xDF"
                            "e9"};
    save_settings(saved);
    const auto r = load_settings(20, 255);
    EXPECT_EQ(r.port_index, 3);
    EXPECT_EQ(r.adr_index, 17);
    EXPECT_EQ(r.password_level_1, saved.password_level_1);
    EXPECT_EQ(r.password_level_2, saved.password_level_2);
    // The passwords are not in the file in plain text.
    EXPECT_EQ(read_checked_file("krv_con.cfg").find("Neil"), std::string::npos);
}

TEST_F(ConFileTest, OnlyAcceptableFieldsAreTaken) {
    struct Case {
        const char* name;
        const char* content;
        std::optional<int> port, adr;
    };
    const Case cases[] = {
        {"nothing chosen", "-1|0|0|||", std::nullopt, 0},
        {"last port", "19|0|254|||", 19, 254},
        {"port beyond the list", "20|0|255|||", std::nullopt, std::nullopt},
        {"not numeric", "x|0|4a|||", std::nullopt, std::nullopt},
        {"blanks around a number", " 2 |0| 5|||", 2, 5},
        {"fields missing", "7", 7, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(write_checked_file("krv_con.cfg", c.content), 0);
        const auto r = load_settings(20, 255);
        EXPECT_EQ(r.port_index, c.port);
        EXPECT_EQ(r.adr_index, c.adr);
        EXPECT_FALSE(r.password_level_1);
        EXPECT_FALSE(r.password_level_2);
    }
}

TEST_F(ConFileTest, MissingOrDamagedFileGivesNothing) {
    auto nothing = [](const ConSettingsRead& r) {
        return !r.port_index && !r.adr_index && !r.password_level_1 && !r.password_level_2;
    };
    EXPECT_TRUE(nothing(load_settings(20, 255)));
    save_settings({2, 3, "pw", "pw2"});
    std::filesystem::resize_file(dir_ / "krv_con.cfg",
                                 std::filesystem::file_size(dir_ / "krv_con.cfg") - 1);
    EXPECT_TRUE(nothing(load_settings(20, 255)));
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(ConFileTest, EmptyPasswordFieldsLeaveTheDefaults) {
    save_settings({1, 1, "", ""});
    const auto r = load_settings(20, 255);
    EXPECT_FALSE(r.password_level_1);
    EXPECT_FALSE(r.password_level_2);
}

// Instances saving the connection settings at the same moment, as real processes:
// none of them ever reads the file as empty (which would lose the port, the address and
// both passwords at the next start), and afterwards it holds the last save of one.
TEST_F(ConFileTest, InstancesSavingAtOnceNeverLeaveItEmpty) {
    // These writers contend far more than instances ever do: no wait limit is reached.
    platform::DiskFiles patient(dir_.string(), std::chrono::minutes(1));
    ui::services().files = &patient;
    constexpr int writers = 4, rounds = 100;
    const auto settings = [](int who, int round) {
        return ConSettings{who, round, "pw " + std::to_string(who),
                           "O'Neil." + std::to_string(round)};
    };
    const auto codes = testing::run_together(writers, [&](int who) {
        for (int r = 0; r < rounds; ++r) {
            save_settings(settings(who, r));  // a fault would ask a box: none is scripted
            const auto back = load_settings(writers, rounds);
            if (!back.port_index || !back.adr_index || !back.password_level_1 ||
                !back.password_level_2)
                return 2;
        }
        return boxes_.shown().empty() ? 0 : 3;
    });
    EXPECT_EQ(codes, std::vector<int>(writers, 0));

    const auto r = load_settings(writers, rounds);
    ASSERT_TRUE(r.port_index);
    const ConSettings last = settings(*r.port_index, rounds - 1);
    EXPECT_EQ(r.adr_index, last.adr_index);
    EXPECT_EQ(r.password_level_1, last.password_level_1);
    EXPECT_EQ(r.password_level_2, last.password_level_2);
    EXPECT_TRUE(boxes_.shown().empty());
}

// Another running instance changed the passwords after this one started: this one's
// next save (its port choice losing the focus) writes its own change and keeps theirs.
TEST_F(ConFileTest, ASaveKeepsWhatAnotherInstanceChangedSince) {
    save_settings({0, 4, "level1", "level2"});
    const auto started = load_settings(20, 255);  // this instance starts
    ASSERT_EQ(started.password_level_1, "level1");

    // The other instance, a process of its own, starts and changes both passwords.
    const auto other = testing::run_together(1, [](int) {
        load_settings(20, 255);
        save_settings({0, 4, "new 1", "new 2"});
        return 0;
    });
    ASSERT_EQ(other, std::vector<int>{0});

    // Read back as the file holds it: this instance reads the file only at its start.
    save_settings({2, 4, "level1", "level2"});  // this one chose another port
    EXPECT_EQ(read_checked_file(con_file_name), con_file_text({2, 4, "new 1", "new 2"}));

    // A change of this instance's own wins over what the file holds.
    save_settings({2, 4, "mine", "level2"});
    EXPECT_EQ(read_checked_file(con_file_name), con_file_text({2, 4, "mine", "new 2"}));

    // Once saved, "mine" is this instance's value as the file had it: the other's later
    // change of it stays when this one saves something else.
    ASSERT_EQ(testing::run_together(1,
                                    [](int) {
                                        load_settings(20, 255);
                                        save_settings({2, 4, "theirs", "new 2"});
                                        return 0;
                                    }),
              std::vector<int>{0});
    save_settings({3, 4, "mine", "level2"});
    EXPECT_EQ(read_checked_file(con_file_name), con_file_text({3, 4, "theirs", "new 2"}));
}

// An instance that started without a readable file (first use, or a damaged one) counts
// its changes from what it started with, as every other instance does: another
// instance's password saved meanwhile is not erased by this one's port choice.
TEST_F(ConFileTest, AnInstanceStartedWithoutAReadableFileWritesOnlyWhatItChanged) {
    for (const char* start_file : {"", "damaged"}) {
        SCOPED_TRACE(*start_file ? start_file : "no file");
        std::filesystem::remove(dir_ / con_file_name);
        if (*start_file) std::ofstream(dir_ / con_file_name) << "0|0|4|||\x1A 1";
        const ConSettings start{0, 0, "", "default"};
        const auto started = load_settings(20, 255, start);  // this instance starts
        ASSERT_FALSE(started.password_level_1);

        ASSERT_EQ(testing::run_together(1,
                                        [](int) {
                                            load_settings(20, 255);
                                            save_settings({0, 0, "secret", "level2"});
                                            return 0;
                                        }),
                  std::vector<int>{0});
        save_settings({3, 0, "", "default"});  // this one only chose another port
        EXPECT_EQ(read_checked_file(con_file_name), con_file_text({3, 0, "secret", "level2"}));
    }
}

// Instances that each change a field of their own, saving at the same moment: the read,
// the merge and the write of one save come in between no other's, so no change is lost.
// Each instance checks before every save that its own field still holds its last value.
TEST_F(ConFileTest, InstancesChangingFieldsOfTheirOwnLoseNoChange) {
    platform::DiskFiles patient(dir_.string(), std::chrono::minutes(1));
    ui::services().files = &patient;
    save_settings({0, 0, "p0", "q0"});
    constexpr int writers = 4, rounds = 60;
    // Writer w changes port, address, password 1 or password 2 to its round.
    const auto with_round = [](ConSettings s, int who, int round) {
        const std::string r = std::to_string(round);
        switch (who) {
            case 0:
                s.port_index = round;
                break;
            case 1:
                s.adr_index = round;
                break;
            case 2:
                s.password_level_1 = "p" + r;
                break;
            default:
                s.password_level_2 = "q" + r;
                break;
        }
        return s;
    };
    const auto codes = testing::run_together(writers, [&](int who) {
        const auto read = load_settings(rounds, rounds);  // this instance starts
        ConSettings mine{*read.port_index, *read.adr_index, *read.password_level_1,
                         *read.password_level_2};
        for (int r = 1; r < rounds; ++r) {
            // The file as it stands: my field must hold my last value.
            std::string list = read_checked_file(con_file_name);
            std::string field;
            for (int i = 0; i <= (who < 2 ? who * 2 : who + 2); ++i) field = split_bar(list);
            const std::string last = std::to_string(r - 1);
            const std::string expected = who < 2    ? last
                                         : who == 2 ? scramble_text("p" + last)
                                                    : scramble_text("q" + last);
            if (field != expected) return 2;
            mine = with_round(mine, who, r);
            save_settings(mine);
        }
        return boxes_.shown().empty() ? 0 : 3;
    });
    EXPECT_EQ(codes, std::vector<int>(writers, 0));
    EXPECT_EQ(read_checked_file(con_file_name),
              con_file_text({rounds - 1, rounds - 1, "p" + std::to_string(rounds - 1),
                             "q" + std::to_string(rounds - 1)}));
}

}  // namespace
}  // namespace dvx::model

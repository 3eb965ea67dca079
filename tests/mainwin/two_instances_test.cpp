// Two running instances sharing the settings store and the working folder, as real
// processes: in each round both save their window placement and their connection
// settings at the same moment. Nothing either saved is lost or damaged, and the next
// start reads the store and the connection file.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/con_file.h"
#include "platform/file_registry.h"
#include "tests/mainwin/main_window_fixture.h"
#include "tests/support/processes.h"

namespace dvx::testing {
namespace {

class TwoInstances : public MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::services().registry = &store_.emplace(dir_ / "registry");
    }

    static std::string setting(const char* name) {
        std::int16_t err = 0;
        std::string text =
            model::reg_get_string(model::hkey_local_machine, model::reg_key, name, err);
        EXPECT_EQ(err, 0) << name;
        return text;
    }
    std::optional<platform::FileRegistry> store_;  // outlives the windows' teardown
};

// The placement instance `who` has in round r: every value differs per round and
// instance, so a value lost or left over from an earlier round shows.
ui::Rect placement(int round, int who) {
    const int v = round * 2 + who;
    return {2000 + v, 100 + v, 9700 + v, 8300 + v};  // left, top, width, height
}

std::string factory_name(int i) {
    return std::string(model::reg_krv_factory) + std::to_string(10000 + i);
}

std::string factory_copy(int i) {
    std::string t = std::to_string(i);
    for (int w = 1; w < 127; ++w) t += "|" + std::to_string(w * 31 - i);
    return t;
}

TEST_F(TwoInstances, SavingAtTheSameMomentLosesNothingAndTheNextStartReadsIt) {
    ASSERT_EQ(model::reg_set_string(model::reg_key, model::reg_language, "GB"), 0);
    constexpr int copies = 10;
    for (int i = 0; i < copies; ++i)
        ASSERT_EQ(model::reg_set_string(model::reg_key, factory_name(i), factory_copy(i)), 0);

    constexpr int rounds = 100;
    for (int r = 0; r < rounds; ++r) {
        const auto codes = run_together(2, [&](int who) {
            ui::Form window("placement", placement(r, who));
            model::save_form_state(window);
            model::save_settings(
                {who, r, "pw" + std::to_string(who), "O'Neil." + std::to_string(r)});
            return boxes_.shown().empty() ? 0 : 1;  // a fault would have shown a box
        });
        ASSERT_EQ(codes, (std::vector<int>{0, 0})) << "round " << r;

        // Each value is the one of either instance in this round.
        const struct {
            const char* name;
            int (*of)(const ui::Rect&);
        } values[] = {
            {model::reg_form_left, [](const ui::Rect& p) { return p.left; }},
            {model::reg_form_top, [](const ui::Rect& p) { return p.top; }},
            {model::reg_form_width, [](const ui::Rect& p) { return p.width; }},
            {model::reg_form_height, [](const ui::Rect& p) { return p.height; }},
        };
        for (const auto& v : values) {
            const std::set<std::string> either{std::to_string(v.of(placement(r, 0))),
                                               std::to_string(v.of(placement(r, 1)))};
            ASSERT_TRUE(either.count(setting(v.name))) << "round " << r << ": " << v.name;
        }
        ASSERT_EQ(setting(model::reg_form_state), "0");
        const auto con = model::load_settings(2, rounds);
        ASSERT_TRUE(con.port_index) << "round " << r << ": krv_con.cfg reads as empty";
        EXPECT_EQ(con.adr_index, r);
        EXPECT_EQ(con.password_level_1, "pw" + std::to_string(*con.port_index));
    }
    for (int i = 0; i < copies; ++i) EXPECT_EQ(setting(factory_name(i).c_str()), factory_copy(i));

    // The next start: the stored language, placement and connection settings are read.
    ASSERT_TRUE(start(0, nullptr));
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(texts::lang_code, "GB");
    EXPECT_EQ(model::form_window_state, 0);
    EXPECT_EQ(std::to_string(model::form_top), setting(model::reg_form_top));
    EXPECT_EQ(std::to_string(model::form_width), setting(model::reg_form_width));
    const int port = main().Com_select.list_index();
    EXPECT_TRUE(port == 0 || port == 1) << port;
    EXPECT_EQ(main().adr_select.list_index(), rounds - 1);
    EXPECT_EQ(model::password_level_1, "pw" + std::to_string(port));
    EXPECT_EQ(model::password_level_2, "O'Neil." + std::to_string(rounds - 1));
}

}  // namespace
}  // namespace dvx::testing

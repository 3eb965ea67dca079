// Arrow, Home/End and Page keys on list and combo boxes move the selection and raise
// Click as a user's choice does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/services_fixture.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"

namespace dvx::ui {
namespace {

class Lists : public Form {
  public:
    Lists() : Form("lists", {0, 0, 9000, 6000}) {
        on_load = [this] {
            for (int i = 0; i < 20; ++i) {
                lst.add_item("item " + std::to_string(i));
                cmb.add_item("entry " + std::to_string(i));
            }
        };
    }
    // Five rows of the default font in view.
    ListBox lst{*this, "lst", {120, 120, 3000, 1000}};
    ComboBox cmb{*this, "cmb", {3300, 120, 2000, 315}};
};

using ListKeys = dvx::testing::ServicesFixture;

struct KeyCase {
    int from;
    int key;
    int list_to;   // list box: five rows a page
    int combo_to;  // combo box: eight rows a page
};

TEST_F(ListKeys, KeysMoveTheSelectionWithClick) {
    Lists f;
    f.load();
    f.show_modeless();
    // clang-format off
    const KeyCase cases[] = {
        {-1, vk_down, 0, 0}, {-1, vk_up, 0, 0}, {3, vk_down, 4, 4}, {3, vk_up, 2, 2},
        {3, vk_right, 4, 4}, {3, vk_left, 2, 2}, {7, vk_home, 0, 0}, {7, vk_end, 19, 19},
        {2, vk_next, 7, 10}, {17, vk_next, 19, 19}, {12, vk_prior, 7, 4}, {3, vk_prior, 0, 0},
        {-1, vk_next, 0, 0},
    };
    // clang-format on
    for (ListControl* l : std::vector<ListControl*>{&f.lst, &f.cmb}) {
        const bool is_list = l == &f.lst;
        int clicks = 0;
        int seen = -2;
        l->on_click = [&] {
            ++clicks;
            seen = l->list_index();
        };
        l->set_focus();
        for (const auto& c : cases) {
            SCOPED_TRACE(l->name() + " from " + std::to_string(c.from) + " key " +
                         std::to_string(c.key));
            l->select_quiet(c.from);
            clicks = 0;
            log_.clear();
            ASSERT_TRUE(user_key(c.key));
            const int want = is_list ? c.list_to : c.combo_to;
            EXPECT_EQ(l->list_index(), want);
            EXPECT_EQ(seen, want);  // Click sees the new selection
            EXPECT_EQ(clicks, 1);
            const std::string k = std::to_string(c.key);
            EXPECT_EQ(
                log_.only({"KeyDown", "Click", "KeyUp"}),
                (std::vector<std::string>{l->name() + ".KeyDown " + k + " 0", l->name() + ".Click",
                                          l->name() + ".KeyUp " + k + " 0"}));
        }
        // At the ends nothing moves and no Click comes.
        for (auto [from, key] : {std::pair{0, vk_up}, {0, vk_home}, {19, vk_down}, {19, vk_end}}) {
            l->select_quiet(from);
            clicks = 0;
            user_key(key);
            EXPECT_EQ(l->list_index(), from);
            EXPECT_EQ(clicks, 0);
        }
    }
}

TEST_F(ListKeys, TheListBoxKeepsTheSelectionInView) {
    Lists f;
    f.load();
    f.show_modeless();
    f.lst.set_focus();
    f.lst.select_quiet(3);
    user_key(vk_down);
    EXPECT_EQ(f.lst.top_index(), 0);
    user_key(vk_down);  // row 5: the sixth, one below the view
    EXPECT_EQ(f.lst.top_index(), 1);
    user_key(vk_end);
    EXPECT_EQ(f.lst.top_index(), 15);
    user_key(vk_prior);
    EXPECT_EQ(f.lst.list_index(), 14);
    EXPECT_EQ(f.lst.top_index(), 14);
    user_key(vk_home);
    EXPECT_EQ(f.lst.top_index(), 0);
}

TEST_F(ListKeys, AnEmptyListIgnoresTheKeys) {
    Lists f;
    f.load();
    f.show_modeless();
    f.cmb.clear();
    int clicks = 0;
    f.cmb.on_click = [&] { ++clicks; };
    f.cmb.set_focus();
    for (int key : {vk_down, vk_up, vk_home, vk_end, vk_next, vk_prior}) user_key(key);
    EXPECT_EQ(f.cmb.list_index(), -1);
    EXPECT_EQ(clicks, 0);
}

// A list view's rows move with the arrows, Home and End as a list box's entries do; each
// move is a Click on the row. Rows count from 1, 0 being none.
TEST_F(ListKeys, AListViewMovesByRowWithClick) {
    Form f("view", {0, 0, 9000, 6000});
    ListView lvw{f, "lvw", {120, 120, 5000, 2000}};
    f.show_modeless();
    int clicks = 0;
    lvw.on_click = [&] { ++clicks; };
    lvw.set_focus();
    for (int key : {vk_down, vk_up, vk_home, vk_end}) user_key(key);
    EXPECT_EQ(clicks, 0) << "an empty view";
    for (int i = 1; i <= 6; ++i) lvw.add_item("row " + std::to_string(i));
    // clang-format off
    const KeyCase cases[] = {
        {0, vk_down, 1, 1}, {0, vk_up, 1, 1}, {3, vk_down, 4, 4}, {3, vk_up, 2, 2},
        {3, vk_right, 4, 4}, {3, vk_left, 2, 2}, {4, vk_home, 1, 1}, {2, vk_end, 6, 6},
        {6, vk_down, 6, 6}, {1, vk_up, 1, 1}, {3, vk_next, 3, 3},
    };
    // clang-format on
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " key " + std::to_string(c.key));
        lvw.set_selected_index(c.from);
        clicks = 0;
        int seen = -1;
        lvw.on_click = [&] {
            ++clicks;
            seen = lvw.selected_index();
        };
        user_key(c.key);
        EXPECT_EQ(lvw.selected_index(), c.list_to);
        EXPECT_EQ(clicks, c.list_to == c.from ? 0 : 1);
        if (clicks) {
            EXPECT_EQ(seen, c.list_to) << "Click sees the new row";
        }
    }
}

}  // namespace
}  // namespace dvx::ui

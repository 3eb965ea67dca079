// Gateways that pass a transmitter's write answer on unchanged: the answer echoes the
// register the transmitter knows, not the one sent on the bus (its slot's window).
// Programming, the comment write and the bulk set go through at the first send all the
// same, on a slot of each half behind HZL and HZL3.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/register_images.h"
#include "pages/comment.h"
#include "tests/pages/page_fixture.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

struct Place {
    const char* name;
    int mode;
    int rack, slot;
};

const Place places[] = {
    {"HZL lower half", 1, 1, 2},
    {"HZL upper half", 1, 1, 11},
    {"HZL3 lower half", 2, 1, 16},
    {"HZL3 upper half", 2, 1, 17},
};

class GatewayEcho : public PageFixture {
  protected:
    // The program on the gateway's bus, the gateway passing the transmitter's echo on,
    // the device in the place read.
    void read_behind(const Place& p) {
        write_checked(p.mode == 1 ? "HZL_mod.cfg" : "HZL3_mod.cfg", "1");
        ASSERT_TRUE(start(p.mode));
        plant_->gateway().set_pass_transmitter_echo(true);
        user([this, &p] { ui::user_select(main().cmb_rack, p.rack - 1); });
        select(p.slot);
        read();
        ASSERT_EQ(main().in_use.text(), "1");
        clear_records();
        boxes_.answer_all(ui::id_ok);
        link::link_error_count = 0;
    }
    // Every write went out once: no answer was refused.
    void expect_each_write_once() {
        const auto w = writes();
        EXPECT_FALSE(w.empty());
        for (std::size_t i = 1; i < w.size(); ++i) EXPECT_FALSE(w[i] == w[i - 1]) << i;
        EXPECT_EQ(link::link_error_count, 0);
    }
    void next_place() {
        ui::reset_forms();
        reset_globals();
        clear_records();
    }
};

TEST_F(GatewayEcho, ProgrammingAndTheCommentWriteGoThrough) {
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        read_behind(p);
        model::param_image[80] = static_cast<std::int16_t>(model::param_image[80] + 1);
        program();
        ASSERT_FALSE(prompts().empty());
        EXPECT_EQ(prompts().back(), texts::msg_params_transmitted);
        EXPECT_EQ(device().stored_param(80), model::param_image[80]);
        expect_each_write_once();

        clear_records();
        click(main().B_comment);
        pages::Comment* page = pages::comment_inst.peek();
        ASSERT_NE(page, nullptr);
        page->comment_txt.set_text("Rack 1");
        click(page->B_save);
        EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_comment_transmitted});
        EXPECT_EQ(device().comment_word(0), 'R' << 8 | 'a');
        expect_each_write_once();
        next_place();
    }
}

TEST_F(GatewayEcho, TheBulkSetGoesThroughBehindHzl3) {
    read_behind(places[3]);
    click(main().Command3D4);  // the scan fills the list the bulk set works through
    const int listed = main().liv_scan.item_count();
    ASSERT_GT(listed, 1);
    clear_records();
    model::param_image[97] = 150;
    user([this] { ui::user_select(main().cmb_bulk_param, 0); });
    click(main().cmd_bulk_set);
    EXPECT_EQ(prompts(), (std::vector<std::string>{texts::msg_bulk_confirm, texts::msg_bulk_done}));
    EXPECT_EQ(writes().size(), 2u * static_cast<std::size_t>(listed)) << "word and store, once";
    EXPECT_EQ(link::link_error_count, 0);
    for (const auto& [r, rack] : plant_->gateway().racks())
        for (const auto& [s, t] : rack.slots()) EXPECT_EQ(t.stored_param(97), 150) << r << "/" << s;
}

}  // namespace
}  // namespace dvx::testing

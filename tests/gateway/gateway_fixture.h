#pragma once
// The main window started on a simulated gateway bus with its transfer menu, the
// gateway openers installed: the starting point of the gateway and concentrator page
// tests.
#include <initializer_list>
#include <string>
#include <vector>

#include "gateway/openers.h"
#include "gateway/poll_busy.h"
#include "link/link.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/controls.h"
#include "ui/input.h"
#include "ui/keyboard.h"

namespace dvx::testing {

class GatewayFixture : public DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        link::reset_link_state();
        gateway::poll_busy = 0;
        gateway::install_openers();
    }
    void TearDown() override {
        mainwin::page_openers() = mainwin::PageOpeners{};
        DeviceFixture::TearDown();
    }

    // The default plant of a gateway mode (1 HZL, 2 HZL3) with the markers that select
    // it and show the transfer menu; a test may change the plant before start(mode).
    void prepare_gateway(int mode) {
        write_checked(mode == 1 ? "HZL_mod.cfg" : "HZL3_mod.cfg", "1");
        write_checked("HZL_chart_enabled.cfg", "1");
        prepare(mode);
    }
    void start_gateway(int mode) {
        prepare_gateway(mode);
        ASSERT_TRUE(start(mode));
    }

    // Opens a page by its menu item, answering every box with OK.
    void open(ui::MenuItem& item) {
        boxes_.answer_all(ui::id_ok);
        click(item);
    }

    // Starts on the plant of `mode` as it is now (its default plant when none is
    // prepared) and opens the page by its menu item.
    template <class P>
    void open_page_by(ui::MenuItem mainwin::Hauptmenue::*item, ui::FormRef<P>& page, int mode) {
        if (!plant_) prepare_gateway(mode);
        ASSERT_TRUE(start(mode));
        open(main().*item);
        ASSERT_TRUE(page.loaded());
        ASSERT_TRUE(page.peek()->visible());
        clear_records();
    }

    // Row r of a grid, columns 1..columns.
    static std::vector<std::string> grid_row(const ui::Grid& grid, int r, int columns) {
        std::vector<std::string> out;
        for (int c = 1; c <= columns; ++c) out.push_back(grid.text_matrix(r, c));
        return out;
    }
    // `count` cells of a status row: "X" for the devices given (from 1), `blank` elsewhere.
    static std::vector<std::string> marks_of(int count, const char* blank,
                                             std::initializer_list<int> devices) {
        std::vector<std::string> out(static_cast<std::size_t>(count), blank);
        for (int d : devices) out[static_cast<std::size_t>(d - 1)] = "X";
        return out;
    }

    // The user goes into a box, clears it and types the text.
    void type_into(ui::TextBox& box, const std::string& text) {
        user([&box] { ui::user_focus(box); });
        user([&box] {
            box.set_sel_start(0);
            box.set_sel_length(static_cast<int>(box.text().size()));
        });
        key(ui::vk_back);
        user([&text] { ui::user_type(text); });
    }
    // ... and leaves it with Tab.
    void enter(ui::TextBox& box, const std::string& text) {
        type_into(box, text);
        key(ui::vk_tab);
    }
    // Enters `typed` into a settings box, every box answered OK: the block word then
    // holds `stored`, the box shows it (a refused entry is refilled), and the one box
    // shown says `prompt` ("" no box).
    void expect_entry(ui::TextBox& box, const std::string& typed, const std::int16_t& word,
                      int stored, const std::string& prompt) {
        boxes_.clear();
        boxes_.answer_all(ui::id_ok);
        enter(box, typed);
        EXPECT_EQ(word, stored);
        EXPECT_EQ(box.text(), std::to_string(stored));
        if (!prompt.empty())
            EXPECT_EQ(prompts(), std::vector<std::string>{prompt});
        else
            EXPECT_TRUE(prompts().empty());
    }
    void key(int code, int shift = 0) {
        user([code, shift] { ui::user_key(code, shift); });
    }

    // The requests on the wire from `since` on (index into the log).
    std::vector<sim::LogEntry> log_from(std::size_t since) const {
        const auto& log = plant_->log();
        return {log.begin() + static_cast<std::ptrdiff_t>(since), log.end()};
    }
};

}  // namespace dvx::testing

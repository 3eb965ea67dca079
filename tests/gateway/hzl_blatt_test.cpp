// The HZL gateway page on the simulated HZL plant: opening from the transfer menu, the
// variable table read, edited in the cell editor and programmed back as register
// values, the version gates, the diagnosis grid and the polled result pages.
#include "gateway/hzl_blatt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gateway/poll_busy.h"
#include "platform/cp1252.h"
#include "tests/gateway/gateway_fixture.h"
#include "texts/messages.h"
#include "ui/keyboard.h"

namespace dvx::testing {
namespace {

using gateway::HZL_blatt;
using gateway::hzl_blatt_inst;

// Wire registers of the gateway: block 0.., table 2000.., result pages 4000...
constexpr int block = 0, table = 2000, results = 4000;

using Requests = std::vector<Request>;

// The ten requests that move the 602 table words.
std::vector<Request> table_requests(int function) {
    std::vector<Request> out;
    for (int offset = 0; offset < 602; offset += 64)
        out.push_back({function, table + offset, std::min(64, 602 - offset)});
    return out;
}

std::vector<Request> operator+(std::vector<Request> a, const std::vector<Request>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class HzlPage : public GatewayFixture {
  protected:
    void SetUp() override {
        GatewayFixture::SetUp();
        prepare_gateway(1);
    }

    // Starts the program and opens the page from the transfer menu.
    void open_page() {
        ASSERT_TRUE(start(1));
        click(main().m_ub_hzl);
        ASSERT_NE(hzl_blatt_inst.peek(), nullptr);
        clear_records();
    }
    HZL_blatt& page() { return *hzl_blatt_inst.peek(); }
    sim::Gateway& gw() { return plant_->gateway(); }

    void read_settings() {
        boxes_.answer_all(ui::id_ok);
        click(page().Command3D1);
    }
    void program_settings() {
        boxes_.answer_all(ui::id_ok);
        click(page().cmd_hzl_save);
    }
    std::string cell(int row, int col) { return page().flg_param.text_matrix(row, col); }
    void set_row(int row, const char* rack, const char* device) {
        page().flg_param.set_text_matrix(row, 1, rack);
        page().flg_param.set_text_matrix(row, 2, device);
    }
    void click_cell(int row, int col) {
        user([&] { ui::user_click_cell(page().flg_param, row, col); });
    }
    void type(const std::string& text) {
        user([&] { ui::user_type(text); });
    }
    // Where the cell editor stands: "row,col", or "hidden".
    std::string editor() {
        if (!page().txt_edit.visible()) return "hidden";
        return std::to_string(page().edit_row) + "," + std::to_string(page().edit_col);
    }
    std::vector<int> gateway_table() {
        std::vector<int> out;
        for (int i = 0; i < 602; ++i) out.push_back(gw().table(i));
        return out;
    }
};

TEST_F(HzlPage, MenuOpensThePageSetUpAndReadsNothing) {
    open_page();
    EXPECT_TRUE(page().visible());
    EXPECT_FALSE(main().visible());
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(page().caption(), "HZL-Chart");

    auto& p = page();
    EXPECT_EQ(p.txt_hzladr.text(), "1");
    EXPECT_EQ(p.txt_hzlstrt.text(), "1");
    EXPECT_EQ(p.lbl_ver_txt.caption(), "");
    EXPECT_FALSE(p.txt_edit.visible());
    EXPECT_EQ(p.flg_param.rows(), 601);
    EXPECT_EQ(cell(0, 0), "Variable:");
    EXPECT_EQ(cell(0, 2), platform::to_cp1252("Gerät"));
    EXPECT_EQ(cell(600, 0), "600");
    EXPECT_EQ(p.flg_param.col_width(3), 1070);
    EXPECT_EQ(p.flg_param.col_alignment(0), 2);
    EXPECT_EQ(p.flg_diag.text_matrix(0, 0), "Status: \\ BNR-Nr.:");
    EXPECT_EQ(p.flg_diag.text_matrix(0, 30), "30");
    EXPECT_EQ(p.flg_diag.text_matrix(1, 0), platform::to_cp1252("Aktive Geräte"));
    EXPECT_EQ(p.flg_diag.text_matrix(6, 0), "Context Error");
    EXPECT_EQ(p.flg_diag.col_width(0), 1700);
    EXPECT_EQ(p.flg_result.text_matrix(0, 10), "10");
    EXPECT_EQ(p.flg_result.text_matrix(1, 0), "1-10");
    EXPECT_EQ(p.flg_result.text_matrix(60, 0), "591-600");
}

// The page opens with a blank table and addresses of 1: programming them before the
// gateway's own settings are read would wipe its variable table.
TEST_F(HzlPage, ProgrammingWaitsForARead) {
    open_page();
    const auto table = gateway_table();
    EXPECT_FALSE(page().cmd_hzl_save.enabled());
    program_settings();
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(gateway_table(), table);

    read_settings();
    EXPECT_TRUE(page().cmd_hzl_save.enabled());
}

TEST_F(HzlPage, ReadShowsTheTableAndProgrammingSendsItBackUnchanged) {
    gw().set_table(0, 17);
    gw().set_table(1, 1200);
    open_page();
    read_settings();
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(requests(), (Requests{{read_fn, block, 20}} + table_requests(read_fn)));
    auto& p = page();
    EXPECT_EQ(p.lbl_ver_txt.caption(), "2.03");
    EXPECT_EQ(p.txt_hzladr.text(), "17");
    EXPECT_EQ(p.txt_hzlstrt.text(), "1200");
    EXPECT_EQ(p.hzl_adr_value, 17);
    EXPECT_EQ(p.hzl_strt_value, 1200);
    // Preset words 0x0101 0x8102 0x010B 0x8305 0x0314, then free variables (0).
    const std::vector<std::vector<std::string>> rows = {{"1", "1", "X"},  {"1", "2", ""},
                                                        {"1", "11", "X"}, {"3", "5", ""},
                                                        {"3", "20", "X"}, {"0", "0", "X"}};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        SCOPED_TRACE(r + 1);
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(cell(static_cast<int>(r) + 1, c), rows[r][c - 1]);
    }
    EXPECT_EQ(cell(600, 3), "X");
    EXPECT_TRUE(p.flg_param.enabled());
    EXPECT_TRUE(p.cmd_hzl_save.enabled());
    // Racks 1 and 3 are active.
    EXPECT_EQ(p.flg_diag.text_matrix(1, 1), "X");
    EXPECT_EQ(p.flg_diag.text_matrix(1, 2), "");
    EXPECT_EQ(p.flg_diag.text_matrix(1, 3), "X");

    const auto before = gateway_table();
    clear_records();
    program_settings();
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(requests(), (Requests{{read_fn, block, 20}} + table_requests(write_fn) +
                           Requests{{write_fn, block + 20, 1}}));
    EXPECT_EQ(plant_->log().back().values, std::vector<std::uint16_t>{1}) << "command word";
    EXPECT_EQ(gateway_table(), before);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(HzlPage, TableEditedInTheCellEditorIsWrittenAsRegisterValues) {
    open_page();
    read_settings();
    // Row 6: rack 4, device 12, mark cleared; row 1: rack 2.
    click_cell(6, 1);
    EXPECT_EQ(editor(), "6,1");
    EXPECT_EQ(page().txt_edit.text(), "0");
    EXPECT_EQ(page().txt_edit.sel_length(), 1);
    type("4");
    key(ui::vk_return);
    EXPECT_EQ(editor(), "6,2");
    EXPECT_EQ(cell(6, 1), "4");
    type("12");
    key(ui::vk_tab);
    EXPECT_EQ(cell(6, 2), "12");
    EXPECT_EQ(editor(), "7,1");
    key(ui::vk_escape);
    EXPECT_EQ(editor(), "hidden");
    EXPECT_EQ(ui::focus_owner(), &page().flg_param) << "the keys go back to the grid";
    click_cell(6, 3);
    EXPECT_EQ(cell(6, 3), "");
    click_cell(1, 1);
    type("2");
    key(ui::vk_escape);
    EXPECT_EQ(cell(1, 1), "1") << "Esc leaves the cell as it was";
    click_cell(1, 1);
    type("2");
    click_cell(2, 3);  // leaving by a click stores and moves nowhere
    EXPECT_EQ(cell(1, 1), "2");
    EXPECT_EQ(cell(2, 3), "X");
    EXPECT_EQ(editor(), "hidden");

    program_settings();
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(gw().table(2), 0x0201);
    EXPECT_EQ(gw().table(3), 0x0102) << "mark set by the click: bit 15 clear";
    EXPECT_EQ(gw().table(7), 0x840C);

    // Read back: the grid shows what was programmed.
    set_row(6, "", "");
    read_settings();
    EXPECT_EQ(cell(6, 1), "4");
    EXPECT_EQ(cell(6, 2), "12");
    EXPECT_EQ(cell(6, 3), "");
}

// A variable made unassigned whose mark column is empty is written as the word 0, and so
// reads back as rack 0, device 0, marked.
TEST_F(HzlPage, AVariableMadeUnassignedIsWrittenAsZero) {
    open_page();
    read_settings();
    ASSERT_EQ(cell(2, 3), "") << "row 2 (rack 1, device 2) reads unmarked";
    click_cell(2, 2);
    type("\b\b");
    key(ui::vk_tab);
    EXPECT_EQ(cell(2, 1), "");
    EXPECT_EQ(cell(2, 2), "");
    key(ui::vk_escape);
    program_settings();
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(gw().table(3), 0);
    read_settings();
    EXPECT_EQ(cell(2, 1), "0");
    EXPECT_EQ(cell(2, 2), "0");
    EXPECT_EQ(cell(2, 3), "X");
}

TEST_F(HzlPage, MarkColumnCountsFromVersion203) {
    struct Case {
        int version;
        int row4_word;
        const char* row1_mark_after_click;
    };
    for (const Case& c : {Case{202, 0x0305, "X"}, Case{203, 0x8305, ""}, Case{410, 0x8305, ""}}) {
        SCOPED_TRACE(c.version);
        prepare(1);
        gw().set_word(2, c.version);
        open_page();
        read_settings();
        click_cell(1, 3);  // row 1 reads "X"
        EXPECT_EQ(cell(1, 3), c.row1_mark_after_click);
        click_cell(1, 3);
        program_settings();
        EXPECT_EQ(gw().table(5), c.row4_word) << "row 4: rack 3, device 5, no mark";
        ui::reset_forms();
    }
}

TEST_F(HzlPage, ProgrammingTakesTheMarkRuleFromTheVersionItReads) {
    // Read from a 2.02 gateway, then the gateway is updated to 2.03 before programming:
    // the unmarked row 4 (rack 3, device 5) now keeps its bit 15.
    gw().set_word(2, 202);
    open_page();
    read_settings();
    EXPECT_EQ(cell(4, 3), "");
    gw().set_word(2, 203);
    program_settings();
    EXPECT_EQ(page().lbl_ver_txt.caption(), "2.03");
    EXPECT_EQ(gw().table(5), 0x8305);
}

TEST_F(HzlPage, EditorTakesOnlyWholeRackAndSlotNumbers) {
    struct Case {
        int col;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {{1, "30", true},   {1, "31", false}, {1, "0", false},
                          {2, "20", true},   {2, "21", false}, {2, "5.5", false},
                          {1, "1e1", false}, {2, "-3", false}, {1, "007", true}};
    open_page();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in column " + std::to_string(c.col));
        set_row(3, "9", "9");
        click_cell(3, c.col);
        page().txt_edit.set_text(c.text);  // as if pasted: the key filter lets digits only
        boxes_.clear();
        if (!c.accepted)
            boxes_.answer({.result = ui::id_cancel,
                           .expect_prompt = texts::msg_invalid_field_value,
                           .before = nullptr,
                           .wait = 0,
                           .expect_style = ui::mb_ok_cancel | ui::mb_critical,
                           .expect_title = "DORVANEX"});
        key(ui::vk_tab);
        EXPECT_EQ(boxes_.shown().size(), c.accepted ? 0u : 1u);
        if (c.accepted) {
            EXPECT_EQ(cell(3, c.col), std::to_string(std::stoi(c.text)));
            key(ui::vk_escape);
        } else {
            EXPECT_EQ(cell(3, c.col), "9");
            EXPECT_EQ(editor(), "hidden") << "Cancel abandons the edit";
            EXPECT_TRUE(page().flg_param.has_focus()) << "the keys stay with the table";
        }
    }

    // Enter and the arrow keys leave the same way: after Cancel the keys are on the table,
    // so the next Enter cannot reach Back and drop the table unprogrammed.
    for (const int leave : {ui::vk_return, ui::vk_down, ui::vk_up}) {
        SCOPED_TRACE("left by key " + std::to_string(leave));
        set_row(3, "9", "9");
        click_cell(3, 2);
        page().txt_edit.set_text("99");
        boxes_.clear();
        boxes_.answer(ui::id_cancel, texts::msg_invalid_field_value);
        key(leave);
        EXPECT_EQ(boxes_.shown().size(), 1u);
        EXPECT_EQ(cell(3, 2), "9");
        EXPECT_TRUE(page().flg_param.has_focus());
        EXPECT_FALSE(page().B_Zurueck.has_focus());
    }

    // Left by a click on another control, refused, Cancel: the keys stay where clicked.
    set_row(3, "9", "9");
    click_cell(3, 1);
    page().txt_edit.set_text("31");
    boxes_.clear();
    boxes_.answer(ui::id_cancel, texts::msg_invalid_field_value);
    user([&] { ui::user_focus(page().txt_hzladr); });
    EXPECT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(cell(3, 1), "9");
    EXPECT_EQ(editor(), "hidden");
    EXPECT_EQ(ui::focus_owner(), &page().txt_hzladr);

    // OK keeps the editor over the cell, with the focus.
    set_row(3, "9", "9");
    click_cell(3, 1);
    page().txt_edit.set_text("31");
    boxes_.clear();
    boxes_.answer(ui::id_ok, texts::msg_invalid_field_value);
    key(ui::vk_tab);
    EXPECT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(editor(), "3,1");
    EXPECT_TRUE(page().txt_edit.has_focus());
    EXPECT_EQ(cell(3, 1), "9");

    // Emptying a cell frees the variable: both cells cleared.
    page().txt_edit.set_text("");
    key(ui::vk_tab);
    EXPECT_EQ(cell(3, 1), "");
    EXPECT_EQ(cell(3, 2), "");
}

TEST_F(HzlPage, KeyFilterKeepsTheEditorToThreeDigits) {
    open_page();
    click_cell(2, 1);
    type("1a.'2");
    EXPECT_EQ(page().txt_edit.text(), "12");
    type("345");
    EXPECT_EQ(page().txt_edit.text(), "123");
    key(ui::vk_back);
    EXPECT_EQ(page().txt_edit.text(), "12");
}

TEST_F(HzlPage, EditorMovesByItsKeys) {
    struct Case {
        const char* name;
        int row, col, key, shift;
        const char* lands;
    };
    const Case cases[] = {
        {"Enter in Rack", 5, 1, ui::vk_return, 0, "5,2"},
        {"Enter in Gerät", 5, 2, ui::vk_return, 0, "6,1"},
        {"Tab", 5, 2, ui::vk_tab, 0, "6,1"},
        {"Shift+Tab in Gerät", 5, 2, ui::vk_tab, ui::shift_mask, "5,1"},
        {"Shift+Tab in Rack", 5, 1, ui::vk_tab, ui::shift_mask, "4,2"},
        {"Up", 5, 1, ui::vk_up, 0, "4,1"},
        {"Down", 5, 2, ui::vk_down, 0, "6,2"},
        {"Right arrow", 5, 1, ui::vk_right, 0, "5,1"},
        {"Down on the last row", 600, 1, ui::vk_down, 0, "hidden"},
        {"Tab at the end", 600, 2, ui::vk_tab, 0, "hidden"},
        {"Enter at the end", 600, 2, ui::vk_return, 0, "hidden"},
        {"Shift+Tab at the start", 1, 1, ui::vk_tab, ui::shift_mask, "hidden"},
        {"Up on the first row", 1, 2, ui::vk_up, 0, "hidden"},
    };
    open_page();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        click_cell(c.row, c.col);
        ASSERT_EQ(editor(), std::to_string(c.row) + "," + std::to_string(c.col));
        key(c.key, c.shift);
        EXPECT_EQ(editor(), c.lands);
        EXPECT_EQ(page().edit_move, 0);
        if (editor() != "hidden") {
            EXPECT_TRUE(page().txt_edit.has_focus());
            key(ui::vk_escape);
        }
    }
    EXPECT_TRUE(prompts().empty());
}

TEST_F(HzlPage, EditorStaysOverItsCellWhileMovingAndScrolls) {
    open_page();
    auto& g = page().flg_param;
    click_cell(21, 1);
    EXPECT_EQ(page().txt_edit.left(), g.left() + g.col_pos(1) + 52);
    EXPECT_EQ(page().txt_edit.top(), g.top() + g.row_pos(21) + 52);
    EXPECT_EQ(page().txt_edit.width(), 1070 - 8);
    EXPECT_EQ(page().txt_edit.height(), g.row_height(21) - 8);
    key(ui::vk_down);  // row 22 is the 22nd visible row: scroll by one
    EXPECT_EQ(g.top_row(), 2);
    EXPECT_EQ(editor(), "22,1");
    EXPECT_EQ(page().txt_edit.top(), g.top() + g.row_pos(22) + 52);

    user([&] { ui::user_scroll(g, 10); });
    EXPECT_EQ(editor(), "hidden") << "scrolling hides the editor";
    EXPECT_EQ(ui::focus_owner(), &g) << "and gives its keys to the grid";
    click_cell(10, 2);
    key(ui::vk_up);
    EXPECT_EQ(g.top_row(), 9);
    EXPECT_EQ(editor(), "9,2");
}

// The table scrolled (or Back pressed) while the editor holds a typed number: it is left its
// normal way first, so the number is kept, or refused with its box.
TEST_F(HzlPage, ScrollingOrBackLeavesTheEditorItsNormalWay) {
    open_page();
    auto& g = page().flg_param;
    click_cell(4, 1);
    type("7");
    user([&] { ui::user_scroll(g, 5); });
    EXPECT_EQ(cell(4, 1), "7");
    EXPECT_EQ(editor(), "hidden");
    EXPECT_EQ(ui::focus_owner(), &g);
    EXPECT_TRUE(prompts().empty());

    click_cell(6, 2);
    type("99");
    boxes_.clear();
    boxes_.answer(ui::id_ok, texts::msg_invalid_field_value);
    user([&] { ui::user_scroll(g, 1); });
    EXPECT_EQ(boxes_.shown().size(), 1u) << "refused with its box";
    EXPECT_EQ(cell(6, 2), "");
    EXPECT_EQ(editor(), "hidden");
    EXPECT_EQ(ui::focus_owner(), &g);

    // Back leaves it the same way: a refused number keeps the page open with its box.
    click_cell(7, 1);
    type("45");
    boxes_.clear();
    boxes_.answer(ui::id_ok, texts::msg_invalid_field_value);
    click(page().B_Zurueck);
    EXPECT_EQ(boxes_.shown().size(), 1u);
    ASSERT_NE(hzl_blatt_inst.peek(), nullptr);
    EXPECT_EQ(editor(), "7,1");
    EXPECT_TRUE(page().txt_edit.has_focus());
}

// A switch to the other tab hides the editor: it is left its normal way first, so the
// number is kept, or refused with its box (OK: the tab stays and the editor keeps it).
TEST_F(HzlPage, ASwitchOfTabLeavesTheEditorItsNormalWay) {
    open_page();
    auto& tabs = page().SSTab1;
    click_cell(4, 1);
    type("7");
    user([&] { ui::user_switch_tab(tabs, 1); });
    EXPECT_EQ(tabs.tab(), 1);
    EXPECT_EQ(cell(4, 1), "7");
    EXPECT_EQ(editor(), "hidden");
    EXPECT_TRUE(prompts().empty());

    user([&] { ui::user_switch_tab(tabs, 0); });
    click_cell(6, 2);
    type("99");
    boxes_.clear();
    boxes_.answer(ui::id_ok, texts::msg_invalid_field_value);
    user([&] { ui::user_switch_tab(tabs, 1); });
    EXPECT_EQ(boxes_.shown().size(), 1u) << "refused with its box";
    EXPECT_EQ(tabs.tab(), 0);
    EXPECT_EQ(editor(), "6,2");
    EXPECT_TRUE(page().txt_edit.has_focus());
}

TEST_F(HzlPage, DuplicateAssignmentRefusesProgrammingBeforeAnyTraffic) {
    struct Case {
        const char* rack;
        const char* device;
        const char* message;  // after the message text; "" none
    };
    // Row 3 holds rack 1, device 11; row 7 gets these texts; rows 6.. are free (0, 0).
    for (const Case& c :
         {Case{"1", "11", "(3,7)"}, Case{"01", "11", ""}, Case{"0", "0", ""}, Case{"", "11", ""}}) {
        SCOPED_TRACE(std::string(c.rack) + "/" + c.device);
        prepare(1);
        open_page();
        read_settings();
        set_row(7, c.rack, c.device);
        clear_records();
        program_settings();
        if (*c.message) {
            EXPECT_EQ(prompts(),
                      std::vector<std::string>{texts::msg_duplicate_assignment + c.message});
            EXPECT_TRUE(requests().empty());
            EXPECT_FALSE(boxes_.shown().at(0).title) << "no title of its own";
        } else {
            EXPECT_TRUE(prompts().empty());
            EXPECT_EQ(writes().size(), 11u);
        }
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        ui::reset_forms();
    }
}

TEST_F(HzlPage, FromVersion500OnlyTheAddressesAreMoved) {
    gw().set_word(2, 500);
    gw().set_table(0, 5);
    gw().set_table(1, 300);
    open_page();
    read_settings();
    EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, block, 20}, {read_fn, table, 2}}));
    EXPECT_EQ(page().lbl_ver_txt.caption(), "5.00");
    EXPECT_FALSE(page().flg_param.enabled());
    EXPECT_TRUE(page().cmd_hzl_save.enabled());
    EXPECT_EQ(page().txt_hzlstrt.text(), "300");
    EXPECT_EQ(page().flg_diag.text_matrix(1, 3), "X") << "diagnosis shown";

    user([&] { page().txt_hzladr.set_text("6"); });
    set_row(1, "2", "2");  // the disabled grid is not checked for duplicates
    set_row(2, "2", "2");
    clear_records();
    program_settings();
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(requests(),
              (std::vector<Request>{
                  {read_fn, block, 20}, {write_fn, table, 2}, {write_fn, block + 20, 1}}));
    EXPECT_EQ(gw().table(0), 6);
    EXPECT_EQ(gw().table(1), 300);

    plant_->fault(sim::Fault::silent().registers(table, table));
    clear_records();
    read_settings();
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_no_connection_gateway});
    EXPECT_FALSE(page().cmd_hzl_save.enabled());
}

TEST_F(HzlPage, TableReadFailingPartWayLocksTheTable) {
    open_page();
    plant_->fault(sim::Fault::silent().registers(table + 192, table + 192));
    read_settings();
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_no_connection_gateway});
    EXPECT_EQ(cell(4, 1), "3") << "rows already read stay";
    EXPECT_FALSE(page().flg_param.enabled());
    EXPECT_FALSE(page().cmd_hzl_save.enabled());
    const auto reads = requests();
    EXPECT_EQ(reads.back(), (Request{read_fn, table + 192, 64}));
    EXPECT_EQ(reads.size(), 1u + 3u + 4u) << "block, three requests, four sends of the fourth";

    plant_->clear_faults();
    clear_records();
    read_settings();
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(page().flg_param.enabled());
    EXPECT_TRUE(page().cmd_hzl_save.enabled());
}

TEST_F(HzlPage, TableWriteFailingPartWayIsNotCommitted) {
    open_page();
    read_settings();
    plant_->fault(sim::Fault::silent().function(16).registers(table + 128, table + 128));
    clear_records();
    program_settings();
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_no_connection_gateway});
    EXPECT_EQ(writes(), (std::vector<Request>{{write_fn, table, 64},
                                              {write_fn, table + 64, 64},
                                              {write_fn, table + 128, 64},
                                              {write_fn, table + 128, 64},
                                              {write_fn, table + 128, 64},
                                              {write_fn, table + 128, 64}}))
        << "no command word after a failed table request";
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(HzlPage, WrongDeviceOrNoGatewayStopsAfterTheBlock) {
    gw().set_word(0, 34);
    open_page();
    read_settings();
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_wrong_device});
    EXPECT_EQ(requests(), (Requests{{read_fn, block, 20}}));
    EXPECT_EQ(page().lbl_ver_txt.caption(), "");
    EXPECT_FALSE(page().cmd_hzl_save.enabled()) << "nothing read, nothing to program";

    // A gateway read well, then swapped for another device: programming checks again.
    gw().set_word(0, 32);
    read_settings();
    ASSERT_TRUE(page().cmd_hzl_save.enabled());
    gw().set_word(0, 34);
    clear_records();
    program_settings();
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_wrong_device});
    EXPECT_TRUE(writes().empty());

    plant_->fault(sim::Fault::silent().unit(1));
    clear_records();
    user([&] { ui::user_switch_tab(page().SSTab1, 1); });
    click(page().SSCommand1);
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_no_connection_gateway});
    EXPECT_FALSE(boxes_.shown().at(0).title);
}

TEST_F(HzlPage, AddressesTheGatewayCannotTakeAreNeverSent) {
    gw().set_table(0, 0);  // a gateway that reports address 0
    open_page();
    read_settings();
    EXPECT_EQ(page().txt_hzladr.text(), "0");
    clear_records();
    program_settings();
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_invalid_field_value});
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(page().txt_hzladr.has_focus());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

// An address pasted into its box is judged whole: "1.0" is no address (not 10).
TEST_F(HzlPage, AnAddressPasteIsJudgedWhole) {
    open_page();
    auto& box = page().txt_hzladr;
    user([&] {
        ui::user_focus(box);
        box.set_sel_start(0);
        box.set_sel_length(static_cast<int>(box.text().size()));
        ui::user_paste(box, "1.0");
    });
    EXPECT_EQ(box.text(), "1");
    user([&] { ui::user_paste(box, "24"); });
    EXPECT_EQ(box.text(), "24");
    key(ui::vk_tab);
    EXPECT_EQ(page().hzl_adr_value, 24);
    EXPECT_TRUE(prompts().empty());
}

TEST_F(HzlPage, AddressBoxesCheckTheirRangeAndEscRefills) {
    gw().set_table(0, 17);
    gw().set_table(1, 1200);
    open_page();
    read_settings();
    user([&] { ui::user_focus(page().txt_hzladr); });
    user([&] { page().txt_hzladr.set_text(""); });
    type("249");
    key(ui::vk_return);
    EXPECT_EQ(prompts().size(), 1u) << "too large";
    EXPECT_EQ(page().txt_hzladr.text(), "17") << "refilled by the Esc the check sends";
    EXPECT_TRUE(page().txt_hzladr.has_focus());
    EXPECT_EQ(page().hzl_adr_value, 17);

    user([&] { page().txt_hzladr.set_text(""); });
    type("248");
    key(ui::vk_return);
    EXPECT_TRUE(page().txt_hzlstrt.has_focus());
    EXPECT_EQ(page().hzl_adr_value, 248);
    key(ui::vk_escape);
    EXPECT_EQ(page().txt_hzladr.text(), "248");
    EXPECT_EQ(page().txt_hzlstrt.text(), "1200");

    // The start address takes 1..30000.
    struct Case {
        const char* typed;
        int kept;
    };
    for (const Case& c : {Case{"30001", 1200}, Case{"0", 1200}, Case{"30000", 30000}}) {
        SCOPED_TRACE(c.typed);
        clear_records();
        user([&] { ui::user_focus(page().txt_hzlstrt); });
        user([&] { page().txt_hzlstrt.set_text(""); });
        type(c.typed);
        key(ui::vk_return);
        EXPECT_EQ(prompts().size(), c.kept == 30000 ? 0u : 1u);
        EXPECT_EQ(page().hzl_strt_value, c.kept);
        EXPECT_EQ(page().txt_hzlstrt.text(), std::to_string(c.kept));
    }
}

TEST_F(HzlPage, SetUpRunsOncePerOpening) {
    gw().set_table(0, 17);
    open_page();
    read_settings();
    main().set_visible(true);  // another window becomes the active one
    user([&] { ui::user_activate(page()); });
    EXPECT_TRUE(page().is_active());
    EXPECT_EQ(page().txt_hzladr.text(), "17");

    click(page().B_Zurueck);
    EXPECT_EQ(hzl_blatt_inst.peek(), nullptr);
    EXPECT_TRUE(main().visible());
    click(main().m_ub_hzl);
    EXPECT_EQ(page().txt_hzladr.text(), "1") << "a new opening starts afresh";
    EXPECT_EQ(page().lbl_ver_txt.caption(), "");
}

TEST_F(HzlPage, StatusButtonFillsTheDiagnosisGrid) {
    open_page();
    gw().set_diag(sim::Diag::crc_error, 3, true);
    gw().set_diag(sim::Diag::context_error, 30, true);
    user([&] { ui::user_switch_tab(page().SSTab1, 1); });
    click(page().SSCommand1);
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(requests(), (Requests{{read_fn, block, 20}}));
    const auto& d = page().flg_diag;
    EXPECT_EQ(d.text_matrix(1, 1), "X");
    EXPECT_EQ(d.text_matrix(4, 3), "X");
    EXPECT_EQ(d.text_matrix(4, 1), "");
    EXPECT_EQ(d.text_matrix(6, 30), "X");
}

TEST_F(HzlPage, ResultPagesFollowTheDevicesWhilePolling) {
    open_page();
    loop_.run_for(3.1);
    EXPECT_TRUE(requests().empty()) << "no polling while unticked";

    user([&] { ui::user_switch_tab(page().SSTab1, 2); });
    click(page().chk_pool);
    loop_.run_for(1.5);
    std::vector<Request> page_reads;
    for (int k = 0; k < 6; ++k) page_reads.push_back({read_fn, results + 100 * k, 100});
    EXPECT_EQ(requests(), page_reads);
    // Variable 1 is rack 1 slot 1, variable 4 rack 3 slot 5 (their value word 48).
    EXPECT_EQ(page().flg_result.text_matrix(1, 1), "1215");
    EXPECT_EQ(page().flg_result.text_matrix(1, 4), "655");
    EXPECT_EQ(page().flg_result.text_matrix(1, 6), "0");

    plant_->device(1, 1).set_status(48, -20);
    loop_.run_for(1.5);
    EXPECT_EQ(page().flg_result.text_matrix(1, 1), "-20");
    EXPECT_TRUE(prompts().empty());

    gateway::poll_busy = 1;  // another page's tick still running
    clear_records();
    loop_.run_for(1.5);
    EXPECT_TRUE(requests().empty());
    gateway::poll_busy = 0;

    loop_.run_for(15);
    EXPECT_EQ(requests().size(), 10u * 6u) << "one tick every 1.5 s";
}

TEST_F(HzlPage, TicksWaitWhileAButtonsRequestIsRetried) {
    open_page();
    user([&] { ui::user_switch_tab(page().SSTab1, 2); });
    click(page().chk_pool);
    // Three lost reads of the status block: the ticks due in the link's pauses do nothing.
    plant_->fault(sim::Fault::silent().registers(block, block).next(3));
    user([&] { ui::user_switch_tab(page().SSTab1, 1); });
    click(page().SSCommand1);
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(requests(), (Requests(4, Request{read_fn, block, 20})));
    EXPECT_EQ(page().chk_pool.value(), 1);
    clear_records();
    loop_.run_for(1.5);
    EXPECT_EQ(requests().size(), 6u);
}

TEST_F(HzlPage, FailedPollStopsPollingWithOneMessage) {
    open_page();
    user([&] { ui::user_switch_tab(page().SSTab1, 2); });
    click(page().chk_pool);
    plant_->fault(sim::Fault::silent().registers(results + 300, results + 300));
    boxes_.answer_all(ui::id_ok);
    loop_.run_for(1.5);
    loop_.run_for(10);
    EXPECT_EQ(prompts(), std::vector<std::string>{texts::msg_no_connection_gateway});
    EXPECT_EQ(page().chk_pool.value(), 0);
    const auto r = requests();
    ASSERT_EQ(r.size(), 3u + 4u);
    EXPECT_EQ(r[2], (Request{read_fn, results + 200, 100}));
    EXPECT_EQ(r.back(), (Request{read_fn, results + 300, 100}));
    EXPECT_EQ(page().flg_result.text_matrix(1, 1), "1215") << "page 0 of this tick shown";
    EXPECT_EQ(gateway::poll_busy, 0);
}

TEST_F(HzlPage, BackShowsTheMainWindowWithThePagesPlacement) {
    open_page();
    user([&] { ui::user_resize(page(), 13000, 9000); });
    click(page().B_Zurueck);
    EXPECT_EQ(hzl_blatt_inst.peek(), nullptr);
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().width(), 13000);
    EXPECT_EQ(main().height(), 9000);

    // Opening copies nothing over: the page comes up at its own size.
    click(main().m_ub_hzl);
    EXPECT_EQ(page().width(), 12360);
    EXPECT_EQ(page().height(), 8400);
}

}  // namespace
}  // namespace dvx::testing

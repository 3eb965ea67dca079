// The gateway's diagnosis grid from its status bitmaps, gauges kept in range, and the
// key filter of the cell editor on a shown window.
#include "model/grid_services.h"

#include <gtest/gtest.h>

#include <string>

#include "link/register_images.h"
#include "tests/support/services_fixture.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"

namespace dvx::model {
namespace {

class Sheet : public ui::Form {
  public:
    Sheet() : Form("HZL_blatt", {0, 0, 9690, 8225}) {
        flg_diag.set_rows(7);
        flg_diag.set_cols(31);
    }
    ui::TextBox txt_edit{*this, "txt_edit", {120, 120, 1000, 315}};
    ui::TextBox txt_next{*this, "txt_next", {120, 600, 1000, 315}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 1000, 1200, 375}};
    ui::Grid flg_diag{*this, "flg_diag", {120, 1600, 8000, 2000}};
    ui::Gauge gauge{*this, "gauge", {120, 4000, 300, 2000}};
};
inline ui::FormRef<Sheet> sheet_inst;

class GridServices : public testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        link::hzl_regs.fill(0);
        sheet_inst->show_modeless();
    }
    void TearDown() override {
        ui::reset_forms();
        ServicesFixture::TearDown();
    }
    Sheet& sheet() { return *sheet_inst; }
    std::string marked(int row) {
        std::string out;
        for (int c = 1; c <= 30; ++c)
            if (sheet().flg_diag.text_matrix(row, c) == "X") out += std::to_string(c) + " ";
        return out;
    }
};

TEST_F(GridServices, DiagnosisRowMarksTheRacksOfItsBitmap) {
    struct Case {
        std::int32_t bitmap;
        const char* marked;
    };
    for (const Case& c :
         {Case{1, "1 "}, Case{0x20000000, "30 "}, Case{0, ""},
          Case{static_cast<std::int32_t>(0xC0000000u), ""}, Case{0x00010004, "3 17 "}}) {
        SCOPED_TRACE(c.bitmap);
        put_hzl_diag(sheet().flg_diag, 2, c.bitmap);
        EXPECT_EQ(marked(2), c.marked);
    }
    std::string all;
    for (int c = 1; c <= 30; ++c) all += std::to_string(c) + " ";
    put_hzl_diag(sheet().flg_diag, 2, -1);
    EXPECT_EQ(marked(2), all);
    EXPECT_EQ(sheet().flg_diag.text_matrix(2, 0), "") << "the heading column stays";
}

TEST_F(GridServices, SetHzlDiagTakesEachRowFromItsWordPair) {
    // Row r from words (low, high): (3,4) (7,8) (9,10) (11,12) (13,14) (15,16).
    link::hzl_regs[3] = 0;
    link::hzl_regs[4] = 1;  // bit 16: rack 17
    link::hzl_regs[5] = -1;
    link::hzl_regs[6] = -1;  // words 5, 6 belong to no row
    link::hzl_regs[7] = 2;
    link::hzl_regs[10] = 0x2000;  // bit 29: rack 30
    link::hzl_regs[11] = -32768;  // bit 15: rack 16
    link::hzl_regs[14] = 0x4000;  // bit 30: no column
    link::hzl_regs[15] = 1;
    link::hzl_regs[16] = 2;
    set_hzl_diag(sheet().flg_diag);
    EXPECT_EQ(marked(1), "17 ");
    EXPECT_EQ(marked(2), "2 ");
    EXPECT_EQ(marked(3), "30 ");
    EXPECT_EQ(marked(4), "16 ");
    EXPECT_EQ(marked(5), "");
    EXPECT_EQ(marked(6), "1 18 ");
}

TEST_F(GridServices, GaugeIsClampedIntoItsRange) {
    sheet().gauge.set_max(200);
    for (auto [value, shown] : {std::pair{250, 200}, {-5, 0}, {120, 120}}) {
        set_gauge(sheet().gauge, static_cast<std::int16_t>(value));
        EXPECT_EQ(sheet().gauge.value(), shown) << value;
    }
}

TEST_F(GridServices, KeyFilterByFieldType) {
    struct Case {
        int type, max_len;
        const char* text;
        int key, result_key;
    };
    const Case cases[] = {
        {1, 3, "12", '3', '3'},  {1, 3, "123", '4', 0},  {1, 3, "123", 8, 8},
        {1, 3, "", 'a', 0},      {1, 3, "", '\'', 0},    {1, 0, "", '1', 0},
        {1, 3, "1", '-', 0},     {0, 2, "ab", 'c', 0},   {0, 0, "abcdef", 'g', 'g'},
        {3, 2, "a", 'b', 'b'},   {2, 0, "12", ',', ','}, {2, 0, "1,2", ',', 0},
        {2, 0, "1,2", '5', '5'}, {4, 0, "", 'w', 'w'},   {4, 0, "", 'x', 0},
        {6, 0, "12", ':', ':'},  {6, 0, "12", '.', 0},   {7, 0, "1.2", '.', '.'},
        {7, 0, "1", ':', 0},     {9, 0, "", '#', '#'},   {1, 3, "", 1, 0},
        {5, 1, "a", 'b', 0},     {1, 3, "12", 27, 27},
    };
    sheet().txt_edit.set_focus();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("type ") + std::to_string(c.type) + " text \"" + c.text +
                     "\" key " + std::to_string(c.key));
        sheet().txt_edit.set_text(c.text);
        int key = c.key;
        EXPECT_EQ(grid_key_filter(key, c.type, c.max_len), c.key == 27 ? 1 : 0);
        EXPECT_EQ(key, c.result_key);
    }
    EXPECT_EQ(loop_.pending(), 0u) << "no key stroke was sent";
}

TEST_F(GridServices, EnterMovesTheFocusAsTabExceptInType5) {
    sheet().txt_edit.set_focus();
    int key = 13;
    EXPECT_EQ(grid_key_filter(key, 1, 3), 0);
    EXPECT_EQ(key, 0);
    loop_.run_pending();
    EXPECT_TRUE(sheet().txt_next.has_focus());

    key = 13;
    EXPECT_EQ(grid_key_filter(key, 5, 0), 0);
    EXPECT_EQ(key, 13);
    loop_.run_pending();
    EXPECT_TRUE(sheet().txt_next.has_focus());
}

TEST_F(GridServices, ApostropheIsTypedAsGraveAndBlank) {
    sheet().txt_edit.set_focus();
    sheet().txt_edit.set_text("ab");
    sheet().txt_edit.set_sel_start(2);
    int key = '\'';
    EXPECT_EQ(grid_key_filter(key, 0, 0), 0);
    EXPECT_EQ(key, 0);
    loop_.run_pending();
    EXPECT_EQ(sheet().txt_edit.text(), "ab` ");
}

TEST_F(GridServices, KeyFilterWithoutATextShowsTheFaultAndLeavesTheKey) {
    sheet().B_Zurueck.set_focus();
    boxes_.answer({.result = ui::id_ok,
                   .expect_prompt = platform::fault_text(platform::FaultText::no_property),
                   .before = nullptr,
                   .wait = 0,
                   .expect_style = ui::mb_ok,
                   .expect_title = "DORVANEX"});
    int key = '5';
    EXPECT_EQ(grid_key_filter(key, 1, 3), 0);
    EXPECT_EQ(key, '5');
    EXPECT_EQ(boxes_.shown().size(), 1u);
}

}  // namespace
}  // namespace dvx::model

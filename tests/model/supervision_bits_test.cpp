// Reaction modes of the alarm outputs per error source: both bit layouts, reading,
// writing, the print columns and the DLX row masks.
#include "model/supervision_bits.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/model/transfer_fixture.h"

namespace dvx::model {
namespace {

class Supervision : public testing::TransferFixture {
  protected:
    void SetUp() override {
        TransferFixture::SetUp();
        main_view_hooks().curr_version = [this] { return version_; };
    }
    void set(int k, std::uint16_t w) { param_image[k] = static_cast<std::int16_t>(w); }
    std::uint16_t word(int k) const { return static_cast<std::uint16_t>(param_image[k]); }
    std::string version_ = "4.00";
};

TEST_F(Supervision, KrvModeFromTheBitPair) {
    struct Row {
        const char* name;
        std::uint16_t alarm, second;
        int item;
        int mode;
    };
    const Row rows[] = {
        {"both_bits", 0x0084, 0x0002, 0, 2},       {"bit_a_only", 0x0084, 0x0000, 0, 1},
        {"bit_b_only", 0x0004, 0x0002, 0, 3},      {"neither", 0x0004, 0x0000, 0, 0},
        {"output_not_used", 0x0080, 0x0002, 0, 0}, {"function_bits_10", 0x0088, 0x0002, 0, 2},
        {"item_7_ram", 0x8004, 0x0200, 7, 2},      {"item_8_eeprom", 0x0044, 0x0000, 8, 1},
        {"item_9_relays", 0x000C, 0x0100, 9, 3},   {"item_outside", 0xFFFF, 0xFFFF, 10, 0},
        {"negative_item", 0xFFFF, 0xFFFF, -1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        set(83, r.alarm);
        set(70, r.second);
        EXPECT_EQ(get_chk_mode_30(r.item, 83, 70), r.mode);
    }
    EXPECT_EQ(get_chk_mode_30(0, 83, 1001), 0);  // index outside the image
}

TEST_F(Supervision, DlxLimitModeNeedsFirmware301) {
    set(84, 0x0004);  // output 2 in use, no a-bits
    set(87, 0x0010);  // item 3 bit b
    for (const auto& [version, mode] : {std::pair{"3.00", 0}, {"3.01", 3}, {"4.02", 3}}) {
        SCOPED_TRACE(version);
        version_ = version;
        EXPECT_EQ(get_chk_mode_m(3, 84, 87), mode);
    }
    // Item 10 keeps both bits in the second word.
    set(87, 0x0801);
    EXPECT_EQ(get_chk_mode_m(10, 84, 87), 2);
    set(87, 0x0001);
    EXPECT_EQ(get_chk_mode_m(10, 84, 87), 1);
    EXPECT_EQ(get_chk_mode_m(11, 84, 87), 0);
}

TEST_F(Supervision, WritingARowSetsAndClearsItsBitsOnly) {
    struct Row {
        const char* name;
        bool dlx;
        int mode, row;
        std::uint16_t alarm_before, second_before;
        std::uint16_t alarm_after, second_after;
    };
    const Row rows[] = {
        {"dlx_group_on", true, 2, 0, 0x0004, 0x0000, 0xA1C4, 0x050E},
        {"dlx_supply_off", true, 0, 10, 0xFFFF, 0xFFFF, 0xFFFF, 0xF7FE},
        {"dlx_supply_limit", true, 3, 10, 0x0000, 0x0001, 0x0000, 0x0800},
        {"dlx_row_8_off", true, 1, 8, 0x0000, 0x0200, 0x4000, 0x0000},
        {"dlx_row_not_on_page", true, 2, 7, 0x0000, 0x0000, 0x0000, 0x0000},
        {"krv_group_limit", false, 3, 0, 0xFFFF, 0x0000, 0x5E3F, 0x0287},
        {"krv_row_4_on", false, 2, 4, 0x0004, 0x0000, 0x0404, 0x0010},
        {"krv_row_1_not_on_page", false, 2, 1, 0x0004, 0x0000, 0x0004, 0x0000},
        {"mode_outside", false, 4, 0, 0x1234, 0x4321, 0x1234, 0x4321},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        set(83, r.alarm_before);
        set(79, r.second_before);
        if (r.dlx)
            set_chk_mode_m(r.mode, r.row, 83, 79);
        else
            set_chk_mode_30(r.mode, r.row, 83, 79);
        EXPECT_EQ(word(83), r.alarm_after);
        EXPECT_EQ(word(79), r.second_after);
    }
}

TEST_F(Supervision, EveryWrittenModeReadsBack) {
    version_ = "3.01";
    for (int mode = 0; mode < 4; ++mode)
        for (int row : {3, 4, 5, 6, 9}) {
            set(85, 0x0004);
            set(114, 0);
            set_chk_mode_30(mode, row, 85, 114);
            EXPECT_EQ(get_chk_mode_30(row, 85, 114), mode) << "KRV row " << row;
        }
    for (int mode = 0; mode < 4; ++mode)
        for (int row : {3, 4, 5, 6, 8, 10}) {
            set(85, 0x0008);
            set(96, 0);
            set_chk_mode_m(mode, row, 85, 96);
            EXPECT_EQ(get_chk_mode_m(row, 85, 96), mode) << "DLX row " << row;
        }
}

TEST_F(Supervision, ModeTextsAreNineCharacterColumns) {
    EXPECT_EQ(chk_mode_text(0), " lim-prio");
    EXPECT_EQ(chk_mode_text(1), " off     ");
    EXPECT_EQ(chk_mode_text(2), " on      ");
    EXPECT_EQ(chk_mode_text(3), " limit   ");
    EXPECT_EQ(chk_mode_text(7), "");
    EXPECT_EQ(chk_mode_text(-1), "");
    texts::lang_code = "D";
    texts::set_lang_msg();
    EXPECT_EQ(chk_mode_text(1), " aus     ");
}

TEST_F(Supervision, PrintLinesOfBothFamilies) {
    // Item 4: output 1 on, output 2 not in use, output 3 off, output 4 limit.
    set(83, 0x0404);
    set(84, 0x0400);
    set(85, 0x0404);
    set(86, 0x0004);
    set(70, 0x0010);  // KRV second words
    set(96, 0x0010);
    set(114, 0x0000);
    set(127, 0x0010);
    const std::string on = " on      ", off = " off     ", limit = " limit   ";
    const std::string unused(9, ' '), lim_prio = " lim-prio";
    EXPECT_EQ(chk_print_line_30(4), on + unused + off + limit);
    detached_view().s_snap = true;  // no fourth output
    EXPECT_EQ(chk_print_line_30(4), on + unused + off);
    set(84, 0x0404);
    set(86, 0x0000);
    detached_view().s_snap = false;
    EXPECT_EQ(chk_print_line_30(4), on + on + off);  // unused output 4: nothing

    // DLX: an unused output prints mode 0.
    version_ = "3.05";
    set(83, 0x0804);  // item 5 a-bit 0x0800
    set(84, 0x0800);  // not in use
    set(85, 0x0000);
    set(86, 0x000C);
    set(79, 0x0040);
    set(87, 0x0040);
    set(96, 0x0000);
    set(101, 0x0040);
    EXPECT_EQ(chk_print_line_m(5), on + lim_prio + lim_prio + limit);
    detached_view().s_snap = true;
    EXPECT_EQ(chk_print_line_m(5), on + lim_prio + lim_prio);
}

TEST_F(Supervision, RowMasksOfTheDlxPage) {
    const std::pair<int, std::uint16_t> rows[] = {{0, 0x287}, {3, 0x008}, {4, 0x010}, {5, 0x020},
                                                  {6, 0x040}, {8, 0x100}, {10, 0x400}};
    for (const auto& [row, mask] : rows) EXPECT_EQ(index_to_mask(row), mask) << row;
    ui::ScriptedBoxes::Answer ok;
    ok.expect_prompt = "index off range !";
    ok.expect_style = ui::mb_ok;
    ok.expect_title = "";
    boxes_.answer(ok);
    EXPECT_EQ(index_to_mask(7), 0);
    EXPECT_EQ(boxes_.shown().size(), 1u);
}

}  // namespace
}  // namespace dvx::model

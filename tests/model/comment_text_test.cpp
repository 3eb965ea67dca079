// Packing the comment into the register image, unpacking it into the comment store,
// and the comment print-out.
#include "model/comment_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/model/transfer_fixture.h"

namespace dvx::model {
namespace {

using CommentText = testing::TransferFixture;

std::uint16_t reg(int i) {
    return static_cast<std::uint16_t>(link::comment_regs[i]);
}

TEST_F(CommentText, PacksTwoCharactersAWordFirstInTheHighByte) {
    link::comment_regs[1000] = 77;
    comment_to_words("AB");
    EXPECT_EQ(reg(0), 65 * 256 + 66);
    EXPECT_EQ(reg(1), 0x2020);

    comment_to_words(std::string("ABC") + '\x03');
    EXPECT_EQ(reg(0), 65 * 256 + 66);
    EXPECT_EQ(reg(1), 67 * 256 + 3);
    for (int i = 2; i < 1000; ++i) ASSERT_EQ(reg(i), 8224) << i;
    EXPECT_EQ(link::comment_regs[1000], 77);  // outside the block

    // A code from 128 up in the high byte gives a negative word, the same bit pattern.
    comment_to_words(
        "\xE4"
        "b");
    EXPECT_EQ(link::comment_regs[0], static_cast<std::int16_t>(0xE462));
}

TEST_F(CommentText, TextLengthsAtTheEndOfTheBlock) {
    // 1999 characters and the end mark fill the block; 2000 have no mark and read back
    // whole; characters after the 2000th are lost.
    const std::string t1999(1999, 'q');
    comment_to_words(t1999 + '\x03');
    EXPECT_EQ(reg(999), 'q' * 256 + 3);
    words_to_comment();
    EXPECT_EQ(detached_view().komentar, t1999);

    std::string t2000(2000, 'r');
    t2000[1999] = 's';
    comment_to_words(t2000 + "tail");
    EXPECT_EQ(reg(999), 'r' * 256 + 's');
    words_to_comment();
    EXPECT_EQ(detached_view().komentar, t2000);
}

TEST_F(CommentText, UnpackingCutsAtTheEndMarkAndTrimsBlanks) {
    struct Row {
        const char* name;
        std::vector<std::uint16_t> words;  // from word 0; the rest of the block as given
        std::uint16_t rest;
        std::string expected;
    };
    const Row rows[] = {
        {"all_zero", {}, 0x0000, ""},
        {"all_blank", {}, 0x2020, ""},
        {"cut_at_mark", {0x4142, 0x0343, 0x4445}, 0x4646, "AB"},
        {"mark_in_low_byte", {0x4142, 0x4303}, 0x5858, "ABC"},
        {"trim_keeps_line_breaks", {0x2020, 0x410D, 0x0A42, 0x2003}, 0x2020, "A\r\nB"},
        {"tab_and_255_are_blanks", {0x4109, 0xFF42, 0x0300}, 0, "A  B"},
        {"control_bytes_are_blanks", {0x4101, 0x1F42, 0x7F03}, 0, "A  B\x7F"},
        {"latin_letters_kept", {0xE4F6, 0xFC03}, 0, "\xE4\xF6\xFC"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        for (int i = 0; i < 1000; ++i) link::comment_regs[i] = static_cast<std::int16_t>(r.rest);
        for (std::size_t i = 0; i < r.words.size(); ++i)
            link::comment_regs[i] = static_cast<std::int16_t>(r.words[i]);
        words_to_comment();
        EXPECT_EQ(detached_view().komentar, r.expected);
    }
}

TEST_F(CommentText, ClearEmptiesTheStore) {
    detached_view().komentar = "x";
    clear_comment_text();
    EXPECT_EQ(detached_view().komentar, "");
}

class CommentPage : public testing::TransferFixture {
  protected:
    void SetUp() override {
        TransferFixture::SetUp();
        calendar_.date = {2026, 3, 7};
        auto& h = main_view_hooks();
        h.curr_version = [] { return std::string("4.05"); };
        detached_view().komentar1 = " TT-101 ";
        detached_view().ser_no = "21040001";
        detached_view().krv_adr = "1";
    }
};

TEST_F(CommentPage, PrintsTitleIdentityAndTheCommentLines) {
    std::string line200;
    for (int i = 0; i < 200; ++i) line200 += static_cast<char>('a' + i % 26);
    detached_view().komentar = line200 + "\r\n\r\nsecond\r\nthird";

    print_comment_page();

    const std::vector<std::string> expected = {
        "",
        "",
        "",
        "TAVRO GmbH   Comment page of KRV-200                         07-03-2026",
        std::string(71, '-'),
        "TAG No.:  TT-101                                  Software version: 4.05",
        "Serial No.: 21040001                                Device address: 1",
        "",
        line200.substr(0, 80),
        line200.substr(80, 80),
        line200.substr(160),
        "second",
        "third",
    };
    EXPECT_EQ(printer_.texts(0), expected);
    EXPECT_EQ(printer_.documents(), 1);
    const auto& lines = printer_.lines();
    ASSERT_EQ(lines.size(), expected.size());
    EXPECT_EQ(lines[0].font.size, 5);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].font.size, 10);
        EXPECT_EQ(lines[i].font.name, "courier new");
        EXPECT_FALSE(lines[i].font.bold || lines[i].font.italic || lines[i].font.strikethrough ||
                     lines[i].font.transparent || lines[i].font.underline);
        EXPECT_EQ(lines[i].scale_left, -1400);
    }
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(CommentPage, TitleFollowsLanguageAndFamily) {
    texts::lang_code = "D";
    texts::is_krv = 0;
    texts::set_lang_msg();
    print_comment_page();
    const auto t = printer_.texts(0);
    ASSERT_GT(t.size(), 3u);
    EXPECT_EQ(t[3], "TAVRO GmbH   Kommentarseite des DLX-200                      07-03-2026");
    EXPECT_EQ(t[5].substr(50), "Softwareversion: 4.05");
}

TEST_F(CommentPage, PrinterFaultShowsItsTextAndStops) {
    printer_.fault = "Printer error";
    ui::ScriptedBoxes::Answer ok;
    ok.expect_prompt = "Printer error";
    ok.expect_title = "DORVANEX";
    ok.expect_style = ui::mb_ok;
    boxes_.answer(ok);
    print_comment_page();
    EXPECT_TRUE(printer_.lines().empty());
    EXPECT_EQ(printer_.documents(), 0);
    EXPECT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(CommentPage, PrinterFaultPartWayDiscardsTheUnfinishedPage) {
    printer_.fault_after_lines = 6;
    boxes_.answer(ui::id_ok, "Printer error");
    print_comment_page();
    EXPECT_EQ(printer_.discarded(), 1);
    EXPECT_TRUE(printer_.lines().empty());
    EXPECT_EQ(printer_.documents(), 0);
}

}  // namespace
}  // namespace dvx::model

#include "model/param_words.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "link/register_images.h"
#include "model/param_image.h"
#include "tests/model/model_globals_fixture.h"

namespace dvx::model {
namespace {

using ParamWords = dvx::testing::ModelGlobalsFixture;

std::int16_t w(unsigned pattern) {
    return static_cast<std::int16_t>(pattern);
}

// --- packed 8-character texts ------------------------------------------------------

TEST_F(ParamWords, ZeroWordsReadAsEightNulCharacters) {
    EXPECT_EQ(text_from_params(115), std::string(8, '\0'));
}

TEST_F(ParamWords, TextIsPackedLowByteFirst) {
    text_to_params(119, "ABCDEFGHIJ");  // characters after the 8th are ignored
    EXPECT_EQ(param_image[119], 'B' << 8 | 'A');
    EXPECT_EQ(param_image[122], 'H' << 8 | 'G');
    EXPECT_EQ(param_image[123], 0);
    EXPECT_EQ(text_from_params(119), "ABCDEFGH");

    param_image[115] = 91;        // low byte: device code of Ä
    param_image[116] = 126 << 8;  // high byte: device code of ß
    const std::string t = text_from_params(115);
    EXPECT_EQ(t[0], '\xC4');
    EXPECT_EQ(t[3], '\xDF');
}

TEST_F(ParamWords, HighCodeInHighByteMakesANegativeWordThatReadsBack) {
    text_to_params(123,
                   "a\xE9"
                   "bcdefg");
    EXPECT_LT(param_image[123], 0);
    EXPECT_EQ(text_from_params(123),
              "a\xE9"
              "bcdefg");
}

TEST_F(ParamWords, PaddedEntryOfTwoLettersStartsWithABlankInTheLowByte) {
    const std::string entry = text8_entry("AB");
    EXPECT_EQ(entry, " AB     ");
    text_to_params(119, entry);
    EXPECT_EQ(param_image[119] & 0xFF, 32);
    EXPECT_EQ(param_image[119] >> 8, 'A');
}

TEST(Text8Entry, TrimsCutsAndPads) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"", "        "},          {"   ", "        "},      {"abc", " abc    "},
        {"  abc  ", " abc    "},   {"12345678", "12345678"}, {"123456789", "12345678"},
        {" 1234567 ", " 1234567"}, {"a b", " a b    "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text8_entry(c.in), c.out);
    }
}

TEST_F(ParamWords, ShortTextIsFilledWithBlanksInsteadOfReadingPastItsEnd) {
    param_image[121] = 0x4141;
    text_to_params(119, "xyz");
    EXPECT_EQ(text_from_params(119), "xyz     ");
}

TEST_F(ParamWords, IndexOutsideTheImageIsRefused) {
    EXPECT_NO_THROW(text_from_params(997));
    EXPECT_THROW(text_from_params(998), std::out_of_range);
    EXPECT_THROW(text_from_params(-1), std::out_of_range);
    EXPECT_THROW(text_to_params(998, "12345678"), std::out_of_range);
    EXPECT_NO_THROW(put_long(1, 999));
    EXPECT_THROW(put_long(1, 1000), std::out_of_range);
    EXPECT_THROW(long_from_params(1000), std::out_of_range);
    EXPECT_THROW(param_bitfield(1001, 1), std::out_of_range);
    EXPECT_NO_THROW(long_from_block(64));
    EXPECT_THROW(long_from_block(65), std::out_of_range);
    EXPECT_THROW(block_bitfield(66, 1), std::out_of_range);
    EXPECT_THROW(block_bitfield(-1, 1), std::out_of_range);
}

// --- 32-bit values ------------------------------------------------------------------

TEST_F(ParamWords, LongValuesSplitLowWordFirstAndReadBack) {
    struct Case {
        std::int32_t value;
        std::int16_t lo, hi;
        const char* text;
    } cases[] = {
        {-1, -1, -1, "-1"},
        {65535, -1, 0, "65535"},
        {-65536, 0, -1, "-65536"},
        {65536, 0, 1, "65536"},
        {8000000, w(0x1200), 0x7A, "8000000"},
        {std::numeric_limits<std::int32_t>::max(), -1, 0x7FFF, "2147483647"},
        {std::numeric_limits<std::int32_t>::min(), 0, w(0x8000), "-2147483648"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        put_long(c.value, 20);
        EXPECT_EQ(param_image[20], c.lo);
        EXPECT_EQ(param_image[21], c.hi);
        EXPECT_EQ(long_from_params(20), c.text);
        EXPECT_EQ(long_from_words(c.lo, c.hi), c.value);
    }
}

TEST(LongFromWords, LowWordIsUnsignedHighWordSigned) {
    static_assert(long_from_words(-1, 0) == 65535);
    static_assert(long_from_words(0, -32768) == std::numeric_limits<std::int32_t>::min());
    static_assert(long_from_words(-1, -1) == -1);
    static_assert(long_from_words(0x1234, 0x5678) == 0x56781234);
}

TEST_F(ParamWords, LongFromBlockReadsStatusWords) {
    link::status_regs[25] = -2;  // low 0xFFFE
    link::status_regs[26] = 0;
    EXPECT_EQ(long_from_block(25), 65534);
    link::status_regs[64] = 5;
    link::status_regs[65] = -1;
    EXPECT_EQ(long_from_block(64), -65536 + 5);
}

// --- bit fields -----------------------------------------------------------------------

TEST_F(ParamWords, BitFieldsReadShiftedDownLogically) {
    struct Case {
        unsigned word, mask;
        std::int16_t expected;
    } cases[] = {
        {0x000B, 0x000C, 2},         {0xFFFF, 0x8000, 1},  // never -1
        {0x8000, 0x8000, 1},         {0x7FFF, 0x8000, 0}, {0xFFFF, 0xFF00, 255},
        {0xFFFF, 0xFFFE, 32767},      // any field above bit 0 is non-negative
        {0x8001, 0x8001, w(0x8001)},  // a field at bit 0 is the masked word, sign included
        {0x1234, 0x0000, 0},          // no field at all
        {0x0280, 0x0287, w(0x0280)}, {0x00C0, 0x00C0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "word " << c.word << " mask " << c.mask);
        param_image[83] = w(c.word);
        link::status_regs[5] = w(c.word);
        const std::uint16_t mask = static_cast<std::uint16_t>(c.mask);
        EXPECT_EQ(param_bitfield(83, mask), c.expected);
        EXPECT_EQ(block_bitfield(5, mask), c.expected);
    }
}

TEST_F(ParamWords, PutValueWritesOnlyTheFieldBits) {
    struct Case {
        const char* name;
        unsigned before, mask;
        std::int16_t value;
        unsigned after;
    } cases[] = {
        {"value too wide for the field", 0xFFFF, 0x000C, 5, 0xFFF7},
        {"into an empty word", 0x0000, 0x000C, 5, 0x0004},
        {"gaps of the group mask drop bits", 0xFFFF, 0x0287, 1, 0xFD79},
        {"bit 15 alone", 0x0000, 0x8000, 1, 0x8000},
        {"clear bit 15", 0xFFFF, 0x8000, 0, 0x7FFF},
        {"negative value into a high byte", 0x0012, 0xFF00, -1, 0xFF12},
        {"field at bit 0 takes the value masked", 0xF0F0, 0x00FF, 0x1234, 0xF034},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        param_image[83] = w(c.before);
        put_value(83, static_cast<std::uint16_t>(c.mask), c.value);
        EXPECT_EQ(param_image[83], w(c.after));
        EXPECT_EQ(param_image[82], 0);
        EXPECT_EQ(param_image[84], 0);
    }
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(ParamWords, PutValueReportsItsFaultsAndChangesNothing) {
    boxes_.answer_all(ui::id_ok);
    param_image[83] = 0x1234;
    put_value(83, 0, 1);
    put_value(1001, 0x0001, 1);
    put_value(-1, 0x0001, 1);
    EXPECT_EQ(param_image[83], 0x1234);
    ASSERT_EQ(boxes_.shown().size(), 3u);
    EXPECT_EQ(boxes_.shown()[0].prompt, "Overflow (put_value)");
    EXPECT_EQ(boxes_.shown()[1].prompt, "Subscript out of range (put_value)");
    EXPECT_EQ(boxes_.shown()[2].prompt, "Subscript out of range (put_value)");
    for (const auto& box : boxes_.shown()) {
        EXPECT_EQ(box.style, ui::mb_ok);
        EXPECT_EQ(box.title, std::optional<std::string>("DORVANEX"));
    }
}

// --- shifts ---------------------------------------------------------------------------

TEST(Shifts, Shl16Shr16Shr32) {
    EXPECT_EQ(shl16(0x4001, 1), w(0x8002));
    EXPECT_EQ(shl16(1, 15), w(0x8000));
    EXPECT_EQ(shl16(1, 16), 0);
    EXPECT_EQ(shl16(w(0xFFFF), 8), w(0xFF00));
    EXPECT_EQ(shl16(1234, 0), 1234);
    EXPECT_EQ(shl16(-5, 0), -5);

    EXPECT_EQ(shr16(-1, 8), 255);
    EXPECT_EQ(shr16(w(0x8000), 15), 1);
    EXPECT_EQ(shr16(-1, 1), 0x7FFF);
    EXPECT_EQ(shr16(-1, 16), 0);
    EXPECT_EQ(shr16(-7, 0), -7);

    EXPECT_EQ(shr32(-3, 1), -2);
    EXPECT_EQ(shr32(-1, 31), -1);
    EXPECT_EQ(shr32(-1, 32), -1);
    EXPECT_EQ(shr32(std::numeric_limits<std::int32_t>::max(), 40), 0);
    EXPECT_EQ(shr32(0x12345678, 16), 0x1234);
    EXPECT_EQ(shr32(-9, 0), -9);
}

// --- texts from the tag -------------------------------------------------------------

TEST_F(ParamWords, TagLineAlignsTheAddressInThreeColumns) {
    text_to_params(123, "SN123456");
    text_to_params(119, " TT101  ");
    struct Case {
        const char* adr;
        const char* head;
    } cases[] = {{"7", "  7"}, {"255", "255"}, {"1234", "234"}, {"", "   "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.adr);
        EXPECT_EQ(tag_line(c.adr), std::string(c.head) + "   SN123456    TT101  ");
    }
}

TEST_F(ParamWords, TagHeaderIsTenBlanksAndTheTag) {
    text_to_params(119, "00000000");
    EXPECT_EQ(tag_header(), "          TAG No: 00000000");
    text_to_params(119, "{TAG}  ~");
    EXPECT_EQ(tag_header(), "          TAG No: \xE4TAG\xFC  \xDF");
}

}  // namespace
}  // namespace dvx::model

#include "texts/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace dvx::texts {
namespace {

TEST(Utf8ToCp1252, MapsEachCharacterToOneByte) {
    const struct {
        const char* what;
        std::u8string_view in;
        std::string want;
    } cases[] = {
        {"ascii", u8"Quit ?", "Quit ?"},
        {"empty", u8"", ""},
        {"german letters", u8"äöüÄÖÜß", "\xE4\xF6\xFC\xC4\xD6\xDC\xDF"},
        {"dutch letters", u8"ëé", "\xEB\xE9"},
        {"latin-1 edges", u8"\u00A0\u00FF", "\xA0\xFF"},
        {"c1 block", u8"€‚…‘’“”–—™Ÿ", "\x80\x82\x85\x91\x92\x93\x94\x96\x97\x99\x9F"},
        {"no cp1252 byte", u8"a\u03A9b\u0080c", "a?b?c"},
        {"outside the bmp", u8"x\U0001F600y", "x?y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(utf8_to_cp1252(c.in), c.want);
    }
}

}  // namespace
}  // namespace dvx::texts

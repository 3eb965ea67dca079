#include "platform/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace dvx::platform {
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

TEST(Cp1252, RoundTripsEveryByteAndConvertsUtf8Once) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(to_cp1252(to_utf8(all)), all);
    EXPECT_EQ(to_cp1252("Zurück °C €"),
              "Zur\xFC"
              "ck \xB0"
              "C \x80");
    EXPECT_EQ(to_utf8("\xE4\xDF"), "äß");
    EXPECT_EQ(to_cp1252("\xE4"), "\xE4");  // not UTF-8: already Windows-1252
    EXPECT_EQ(to_cp1252("日"), "?");
}

// What the system gives (a file name, a path, a reason) is UTF-8 or any bytes at all: it
// enters a Windows-1252 text once, with every character the code page has, and reaches
// the terminal as UTF-8. A byte that is no UTF-8 is never taken for a Windows-1252 letter.
TEST(SystemText, EntersWindows1252OnceAndTheTerminalAsUtf8) {
    const struct {
        const char* what;
        std::string system, cp1252, terminal;
    } cases[] = {
        {"ascii", "/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"an umlaut", "/srv/Kläranlage Nord/Prüfstand.krv",
         "/srv/Kl\xE4ranlage Nord/Pr\xFC"
         "fstand.krv",
         "/srv/Kläranlage Nord/Prüfstand.krv"},
        {"the reason", "Das Gerät oder die Ressource ist belegt",
         "Das Ger\xE4t oder die Ressource ist belegt", "Das Gerät oder die Ressource ist belegt"},
        {"c1 letters", "€ Š œ Ÿ", "\x80 \x8A \x9C \x9F", "€ Š œ Ÿ"},
        {"a letter the code page lacks", "Zakład.krv", "Zak?ad.krv", "Zakład.krv"},
        {"outside the bmp", "x\U0001F600y", "x?y", "x\U0001F600y"},
        {"a byte that is no UTF-8", "Pr\xFC"
                                   "f.krv",
         "Pr?f.krv", "Pr?f.krv"},
        {"a cut sequence at the end", "Ger\xC3", "Ger?", "Ger?"},
        {"a good letter beside a bad byte", "\xFF\xC3\xBC\U0001F600", "?\xFC?",
         "?\xC3\xBC\U0001F600"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(system_to_cp1252(c.system), c.cp1252);
        EXPECT_EQ(system_to_utf8(c.system), c.terminal);
    }
}

}  // namespace
}  // namespace dvx::platform

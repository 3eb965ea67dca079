#include "model/device_charset.h"

#include <gtest/gtest.h>

#include <string>

#include "model/param_image.h"
#include "model/param_words.h"
#include "tests/model/model_globals_fixture.h"

namespace dvx::model {
namespace {

struct Letter {
    const char* name;
    int system;  // Windows-1252
    int device;  // DIN 66003
    char ascii;  // the ASCII character at the device code
};

constexpr Letter letters[] = {
    {"A umlaut", 196, 91, '['},  {"O umlaut", 214, 92, '\\'}, {"U umlaut", 220, 93, ']'},
    {"a umlaut", 228, 123, '{'}, {"o umlaut", 246, 124, '|'}, {"u umlaut", 252, 125, '}'},
    {"sharp s", 223, 126, '~'},
};

TEST(DeviceCharset, SevenLettersMapBothWays) {
    for (const auto& l : letters) {
        SCOPED_TRACE(l.name);
        EXPECT_EQ(to_device_char(l.system), l.device);
        EXPECT_EQ(from_device_char(l.device), l.system);
        // The ASCII character at the device code is itself sent unchanged ...
        EXPECT_EQ(to_device_char(l.ascii), l.device);
    }
}

TEST(DeviceCharset, EveryOtherCodePassesUnchanged) {
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        bool is_letter = false, is_device_code = false;
        for (const auto& l : letters) {
            is_letter |= code == l.system;
            is_device_code |= code == l.device;
        }
        if (!is_letter) {
            EXPECT_EQ(to_device_char(code), code);
        }
        if (!is_device_code) {
            EXPECT_EQ(from_device_char(code), code);
        }
    }
    EXPECT_EQ(to_device_char(233), 233);    // é
    EXPECT_EQ(from_device_char(94), 94);    // ^
    EXPECT_EQ(from_device_char(122), 122);  // z
    EXPECT_EQ(to_device_char(167), 167);    // § is not mapped
}

using DeviceCharsetText = dvx::testing::ModelGlobalsFixture;

TEST_F(DeviceCharsetText, AsciiAtUmlautPositionsReadsBackAsUmlaut) {
    // ... and therefore comes back as the letter: the device cannot tell them apart.
    text_to_params(119, "[\\]{|}~^");
    EXPECT_EQ(text_from_params(119), "\xC4\xD6\xDC\xE4\xF6\xFC\xDF^");
    EXPECT_EQ(param_image[119] & 0xFF, 91);

    text_to_params(119, "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xE9");  // ÄÖÜäöüßé
    EXPECT_EQ(param_image[119], 92 << 8 | 91);
    EXPECT_EQ(param_image[122] & 0xFF, 126);
    EXPECT_EQ(text_from_params(119), "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xE9");
}

}  // namespace
}  // namespace dvx::model

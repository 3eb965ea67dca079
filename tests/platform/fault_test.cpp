// The one table of fault texts: every row speaks all three languages, and a fault made
// by a service speaks the language in force when it is made.
#include "platform/fault.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/file_registry.h"
#include "platform/files.h"
#include "tests/support/locales.h"

namespace dvx::platform {
namespace {

constexpr FaultLanguage languages[] = {FaultLanguage::german, FaultLanguage::english,
                                       FaultLanguage::dutch};

class FaultTexts : public ::testing::Test {
  protected:
    void TearDown() override { set_fault_language(FaultLanguage::english); }
};

// A row left in English in another language, or a text without the system's letters
// (a UTF-8 sequence passed through as two bytes), is caught here.
TEST_F(FaultTexts, EveryRowSpeaksEveryLanguageInWindows1252) {
    for (int i = 0; i <= static_cast<int>(FaultText::no_registry); ++i) {
        const auto id = static_cast<FaultText>(i);
        SCOPED_TRACE(fault_text(id, FaultLanguage::english));
        const std::string en = fault_text(id, FaultLanguage::english);
        for (const FaultLanguage lang : languages) {
            const std::string t = fault_text(id, lang);
            EXPECT_FALSE(t.empty());
            EXPECT_EQ(t.find('\xC3'), std::string::npos) << t;
            if (lang != FaultLanguage::english) {
                EXPECT_NE(t, en);
            }
        }
    }
    EXPECT_EQ(fault_text(FaultText::disk_full, FaultLanguage::german), "Datentr\xE4ger voll");
    EXPECT_EQ(fault_text(FaultText::no_clock, FaultLanguage::dutch), "Geen klok ge\xEFnstalleerd");
}

TEST_F(FaultTexts, FaultsSpeakTheLanguageInForceAndTakeTheirArgument) {
    const struct {
        FaultLanguage lang;
        const char* denied;
        const char* element;
    } cases[] = {
        {FaultLanguage::english, "Permission denied", "Control array element '7' doesn't exist"},
        {FaultLanguage::german, "Zugriff verweigert",
         "Steuerelementfeld-Element '7' existiert nicht"},
        {FaultLanguage::dutch, "Toegang geweigerd",
         "Element '7' van de besturingselementmatrix bestaat niet"},
    };
    for (const auto& c : cases) {
        set_fault_language(c.lang);
        EXPECT_EQ(Fault(FaultText::permission_denied).text(), c.denied);
        EXPECT_EQ(fault_text(FaultText::no_array_element, "7"), c.element);
        const FileFault busy = FileBusy("/tmp/x");
        EXPECT_EQ(busy.text(), fault_text(FaultText::file_in_use, c.lang) + "\n/tmp/x");
    }
}

// Through a real service: the settings store that cannot be understood names itself in
// the technician's language.
TEST_F(FaultTexts, TheSettingsStoreToldInDutch) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dvx-fault-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "registry";
    std::ofstream(file) << "not a store\n";
    set_fault_language(FaultLanguage::dutch);
    FileRegistry reg(file);
    try {
        reg.key_exists("K");
        ADD_FAILURE() << "a damaged store was read";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.text(),
                  "Het instellingenbestand is beschadigd\n" + file.lexically_normal().string());
    }
    std::filesystem::remove_all(dir);
}

// The system's reason comes in the language and the character set of the process's
// locale (a German desktop: UTF-8, or an older Latin-1 one) and enters the fault's text
// with its letters.
TEST_F(FaultTexts, TheSystemsReasonKeepsItsLettersInEveryCharacterSet) {
    const struct {
        const char* charset;  // of a German locale; none: the C locale
        const char* reason;
    } cases[] = {
        {nullptr, "Device or resource busy"},
        {"UTF-8", "Das Ger\xE4t oder die Ressource ist belegt"},
        {"ISO-8859-1", "Das Ger\xE4t oder die Ressource ist belegt"},
    };
    std::string missing;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset ? c.charset : "C");
        const auto name = c.charset ? testing::german_locale(c.charset) : std::string("C");
        if (!name) {
            missing += std::string(" de_DE.") + c.charset;
            continue;
        }
        const testing::UseLocale speaking(*name);
        ASSERT_TRUE(speaking.ok());
        EXPECT_EQ(system_reason(EBUSY), c.reason);
    }
    if (!missing.empty()) GTEST_SKIP() << "no locale" << missing;
}

TEST_F(FaultTexts, AnyExceptionsTextIsWindows1252) {
    EXPECT_EQ(text_of(Fault("Schnittstelle (Pr\xFC"
                            "f)")),
              "Schnittstelle (Pr\xFC"
              "f)")
        << "a fault's text is Windows-1252 already";
    EXPECT_EQ(text_of(std::runtime_error("cannot read /srv/Prüf/a: Zakład")),
              "cannot read /srv/Pr\xFC"
              "f/a: Zak?ad")
        << "any other's holds the system's bytes";
}

}  // namespace
}  // namespace dvx::platform

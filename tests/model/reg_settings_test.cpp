#include "model/reg_settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>

#include "platform/file_registry.h"
#include "platform/files.h"
#include "tests/support/services_fixture.h"

namespace dvx::model {
namespace {

// The rules hold on the in-memory double and on the file-backed store alike.
class RegSettingsTest : public testing::ServicesFixture,
                        public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        if (std::string(GetParam()) == "file") {
            file_ = std::make_unique<platform::FileRegistry>(dir_ / "registry");
            ui::services().registry = file_.get();
        }
    }
    platform::Registry& reg() { return *ui::services().registry; }
    std::string get(const std::string& name, std::int16_t& err) {
        return reg_get_string(hkey_local_machine, reg_key, name, err);
    }
    void put_raw(const std::string& name, platform::RegType type, const std::string& bytes) {
        ASSERT_TRUE(reg().create_key(reg_key));
        ASSERT_TRUE(reg().set_value(reg_key, name, {type, {bytes.begin(), bytes.end()}}));
    }
    std::unique_ptr<platform::FileRegistry> file_;
};

TEST_P(RegSettingsTest, StringsRoundTrip) {
    const std::pair<const char*, std::string> cases[] = {
        {reg_language, "GB"},
        {reg_form_top, "-1200"},
        {"KRV FACTORY SETTINGS 12345", "9|100|-1"},
        {reg_form_state, ""},
        {"DLX FACTORY SETTINGS \xE4", "\xFC\xDF|\x80"},
        {"longest", std::string(1999, 'x')},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(reg_set_string(reg_key, name, value), 0);
        std::int16_t err = 7;
        EXPECT_EQ(get(name, err), value);
        EXPECT_EQ(err, 0);
    }
    // The empty text is stored as one zero byte.
    EXPECT_EQ(reg().query(reg_key, reg_form_state)->bytes, std::vector<std::uint8_t>{0});
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_P(RegSettingsTest, ReadingNeverCreatesTheKey) {
    std::int16_t err = 7;
    EXPECT_EQ(get(reg_language, err), "");
    EXPECT_EQ(err, 0);
    EXPECT_FALSE(reg().key_exists(reg_key));
    EXPECT_EQ(reg_set_string(reg_key, reg_language, "NL"), 0);
    EXPECT_TRUE(reg().key_exists(reg_key));
    EXPECT_EQ(get(reg_form_top, err), "");  // key present, value missing
    EXPECT_EQ(err, 0);
}

TEST_P(RegSettingsTest, OddValuesReadAsEmptyWithoutFault) {
    struct Case {
        const char* name;
        platform::RegType type;
        std::string bytes;
        std::string expect;
    };
    const Case cases[] = {
        {"size 0", platform::reg_sz, "", ""},
        {"binary", platform::reg_binary, "abc", ""},
        {"dword", platform::reg_dword, std::string("\x01\x00\x00\x00", 4), ""},
        {"too long for the buffer", platform::reg_sz, std::string(2000, 'x') + '\0', ""},
        {"no terminating zero", platform::reg_sz, "abc", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put_raw(c.name, c.type, c.bytes);
        std::int16_t err = 7;
        EXPECT_EQ(get(c.name, err), c.expect);
        EXPECT_EQ(err, 0);
    }
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_P(RegSettingsTest, OtherRootsHoldNothing) {
    ASSERT_EQ(reg_set_string(reg_key, reg_language, "GB"), 0);
    std::int16_t err = 7;
    EXPECT_EQ(reg_get_string(static_cast<std::int32_t>(0x80000001u), reg_key, reg_language, err),
              "");
    EXPECT_EQ(err, 0);
}

INSTANTIATE_TEST_SUITE_P(Stores, RegSettingsTest, ::testing::Values("memory", "file"),
                         [](const auto& info) { return std::string(info.param); });

class RegFaultTest : public testing::ServicesFixture {
  protected:
    void expect_fault_box(const std::string& text) {
        ASSERT_EQ(boxes_.shown().size(), 1u);
        EXPECT_EQ(boxes_.shown()[0].prompt, text);
        EXPECT_EQ(boxes_.shown()[0].style, ui::mb_ok);
        EXPECT_FALSE(boxes_.shown()[0].title);  // the application's default title
    }
};

TEST_F(RegFaultTest, UnreadableStoreShowsTheFaultAndSetsErr) {
    registry_.read_fault = "Access denied";
    boxes_.answer(ui::id_ok);
    std::int16_t err = 0;
    EXPECT_EQ(reg_get_string(hkey_local_machine, reg_key, reg_language, err), "");
    EXPECT_EQ(err, 1);
    expect_fault_box("Access denied");
}

TEST_F(RegFaultTest, DamagedSettingsFileTakesTheFaultPathAndIsKept) {
    const auto path = dir_ / "registry";
    std::ofstream(path, std::ios::binary) << "not a settings file\n";
    platform::FileRegistry file(path);
    ui::services().registry = &file;
    boxes_.answer(ui::id_ok);
    std::int16_t err = 0;
    EXPECT_EQ(reg_get_string(hkey_local_machine, reg_key, reg_language, err), "");
    EXPECT_EQ(err, 1);
    const std::string damaged = "The settings file is damaged\n" + path.string();
    expect_fault_box(damaged);
    // A write is lost: told the first time, then silent; the file is left alone.
    boxes_.answer(ui::id_ok);
    EXPECT_EQ(reg_set_string(reg_key, reg_language, "GB"), 1);
    ASSERT_EQ(boxes_.shown().size(), 2u);
    EXPECT_EQ(boxes_.shown()[1].prompt, damaged);
    EXPECT_EQ(reg_set_string(reg_key, reg_form_top, "0"), 1);
    EXPECT_EQ(boxes_.shown().size(), 2u);
    EXPECT_EQ(std::filesystem::file_size(path), 20u);
}

// Another instance holding the store's lock past the wait: the write is not made and
// says so (a setting lost without a word is the worst outcome); reading goes on.
TEST_F(RegFaultTest, StoreLockedByAnotherInstanceShowsTheLostWrite) {
    const auto path = dir_ / "registry";
    platform::FileRegistry file(path, std::chrono::milliseconds(20));
    ui::services().registry = &file;
    ASSERT_EQ(reg_set_string(reg_key, reg_language, "GB"), 0);
    {
        const platform::FileLock other(path);
        boxes_.answer(ui::id_ok);
        EXPECT_EQ(reg_set_string(reg_key, reg_language, "NL"), 1);
        expect_fault_box("The settings file is in use by another program\n" + path.string());
        std::int16_t err = 7;
        EXPECT_EQ(reg_get_string(hkey_local_machine, reg_key, reg_language, err), "GB");
        EXPECT_EQ(err, 0);
    }
    EXPECT_EQ(reg_set_string(reg_key, reg_language, "NL"), 0);
    std::int16_t err = 7;
    EXPECT_EQ(reg_get_string(hkey_local_machine, reg_key, reg_language, err), "NL");
}

TEST_F(RegFaultTest, RefusedWritesFailSilently) {
    registry_.refuse_create = true;
    EXPECT_EQ(reg_set_string(reg_key, reg_language, "GB"), 1);
    EXPECT_FALSE(registry_.has_key(reg_key));
    registry_.refuse_create = false;
    registry_.refuse_set = true;
    EXPECT_EQ(reg_set_string(reg_key, reg_language, "GB"), 1);
    EXPECT_TRUE(boxes_.shown().empty());
}

}  // namespace
}  // namespace dvx::model

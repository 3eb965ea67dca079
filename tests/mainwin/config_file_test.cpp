// Configuration files through the File menu as a user works it: the exact bytes a save
// writes, the dialogs it shows, a load into a freshly started program, the round trip
// back into the simulated device, and every file a load must refuse without a change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/register_images.h"
#include "mainwin/config_ops.h"
#include "model/checked_file.h"
#include "model/firmware.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "platform/cp1252.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

const std::string not_config = "File does not exist or is not a configuration file.";

// The checked container, assembled by hand: content, byte 26, the sum of
// (byte Xor &H5555) with a blank in the sign position.
std::string container(const std::string& content) {
    long long sum = 0;
    for (unsigned char c : content) sum += c ^ 0x5555;
    return content + '\x1a' + " " + std::to_string(sum);
}

class ConfigFiles : public DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        mainwin::config_file_name.clear();
    }
    void save_as(const std::string& path) {
        dialogs_.choose(path);
        click(main().m_dat_save);
    }
    void load(const std::string& path) {
        dialogs_.choose(path);
        click(main().m_dat_load);
    }
    // A second program run in the same working folder, on the same bus.
    void restart() {
        ui::reset_forms();
        reset_globals();
        mainwin::config_file_name.clear();
        ASSERT_TRUE(start());
    }
    // What a user sees of the data set, in one comparable value.
    struct Shown {
        std::string comment, tag, version, mode;
        int snap;
        bool dlx;
        int is_krv, count;
        std::vector<int> words;
        bool operator==(const Shown&) const = default;
    };
    Shown shown() {
        auto& m = main();
        Shown s{m.Komentar.text(), m.Komentar1.text(), m.curr_version.text(),
                m.v_mode.text(),   m.S_SNAP.value(),   m.S_DLX.value(),
                texts::is_krv,     model::param_count, {}};
        s.words.assign(model::param_image.begin(), model::param_image.begin() + 1000);
        return s;
    }
};

struct Family {
    const char* name;
    int address;
    const char* file;  // the TAG's proposal
    const char* ext;
    const char* family_field;
    const char* snap_field;  // S_SNAP as the device type sets it
};
void PrintTo(const Family& f, std::ostream* os) {
    *os << f.name;
}
const Family families[] = {
    {"krv", 1, "TT-101.krv", "krv", "0", "0"},
    {"dlx", 3, "FT-205.dlx", "dlx", "1", "0"},
    // Type 15 ticks S_SNAP; firmware 4.10 has 140 words; the TAG holds a device umlaut,
    // and the proposal is a path: the system's UTF-8 name.
    {"krv_snap_410", 33, "KÜHL-33.krv", "krv", "0", "1"},
};

class SaveAndLoad : public ConfigFiles, public ::testing::WithParamInterface<Family> {};

TEST_P(SaveAndLoad, WritesTheFieldsByteForByteAndAFreshProgramGetsThemBack) {
    const Family& f = GetParam();
    ASSERT_TRUE(start());
    select(f.address);
    read();
    auto& m = main();
    const std::string comment = platform::to_cp1252("Kessel 1\r\nGeprüft: ä ö ü ß");
    m.Komentar.set_text(comment);
    model::param_image[1000] = 4711;  // never saved
    model::param_image[500] = -12;    // beyond param_count, saved all the same
    const Shown before = shown();
    boxes_.clear();

    save_as(f.file);

    ASSERT_EQ(dialogs_.shown().size(), 1u);
    const ui::FileDialogRequest& d = dialogs_.shown()[0];
    EXPECT_TRUE(d.save);
    EXPECT_EQ(d.title, "Save configuration file");
    EXPECT_EQ(d.flags, 2060);
    EXPECT_EQ(d.default_ext, f.ext);
    EXPECT_EQ(d.file_name, f.file) << "the TAG, trimmed, proposes the name";
    EXPECT_EQ(d.filter, std::string("Configuration file (*.") + f.ext + ")|*." + f.ext +
                            "|Configuration file (*.*)|*.*");
    EXPECT_TRUE(boxes_.shown().empty());

    std::string content = comment + "|" + m.Komentar1.text() + "|" + m.curr_version.text() + "|" +
                          m.v_mode.text() + "|";
    for (int i = 0; i < 1000; ++i) content += std::to_string(model::param_image[i]) + "|";
    content += std::string(f.snap_field) + "|" + f.family_field + "|";
    EXPECT_EQ(files_->read_all(f.file, model::checked_max_file), container(content));

    // The other family and nothing of the device in a program started afresh.
    restart();
    if (std::string(f.ext) == "krv") click(main().S_DLX);
    model::param_image[1000] = -1;
    load(f.file);

    const ui::FileDialogRequest& l = dialogs_.shown().back();
    EXPECT_FALSE(l.save);
    EXPECT_EQ(l.title, "Load configuration file ");
    EXPECT_EQ(l.flags, 6156);
    EXPECT_EQ(l.default_ext, std::string(std::string(f.ext) == "krv" ? "dlx" : "krv"))
        << "the family selected when the dialog opens";
    EXPECT_EQ(l.file_name, "");
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(model::param_image[1000], -1) << "word 1000 is not in the file";
    EXPECT_EQ(main().Komentar1.text(), model::text_from_params(119)) << "fields refreshed";
    EXPECT_EQ(mainwin::config_file_name, f.file);
}

// Every field from what the user sees, none from elsewhere: the TAG box as typed (not
// the padded TAG of the image), SNAP ticked, the DLX family, words at both 16-bit ends.
TEST_F(ConfigFiles, FieldsAsTheMainWindowHoldsThem) {
    ASSERT_TRUE(start());
    auto& m = main();
    click(m.S_DLX);
    click(m.S_SNAP);
    m.Komentar.set_text("Line 1\r\nLine 2");
    m.Komentar1.set_text("abc");
    m.curr_version.set_text("3.06");
    m.v_mode.set_text("10");
    for (int i = 0; i < 1000; ++i) model::param_image[i] = static_cast<std::int16_t>(i * 7 - 3);
    model::param_image[0] = -32768;
    model::param_image[999] = 32767;
    model::param_count = 127;

    save_as("golden.dlx");

    std::string content = "Line 1\r\nLine 2|abc|3.06|10|-32768|";
    for (int i = 1; i < 999; ++i) content += std::to_string(i * 7 - 3) + "|";
    content += "32767|1|1|";
    EXPECT_EQ(files_->read_all("golden.dlx", model::checked_max_file), container(content));
}

TEST_P(SaveAndLoad, ReadSaveLoadProgramLeavesTheDeviceAsItWas) {
    const Family& f = GetParam();
    ASSERT_TRUE(start());
    select(f.address);
    read();
    save_as(f.file);
    const RegisterFile device_before = register_file(device());

    restart();
    select(f.address);
    load(f.file);
    clear_records();
    program();

    EXPECT_EQ(prompts().back(), "parameters transmited.");
    EXPECT_FALSE(writes().empty());
    EXPECT_EQ(changes(device_before, register_file(device())), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Families, SaveAndLoad, ::testing::ValuesIn(families),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Refused files --------------------------------------------------------------------------

struct BadFile {
    const char* name;
    std::string bytes;  // as they lie on the disk
};
void PrintTo(const BadFile& b, std::ostream* os) {
    *os << b.name;
}

std::string fields(int words, const std::string& word = "7") {
    std::string c = "comment|TAG|4.05|40|";
    for (int i = 0; i < words; ++i) c += word + "|";
    return c + "1|1|";
}

class RefusedFile : public ConfigFiles, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RefusedFile, ShowsTheMessageAndChangesNothing) {
    ASSERT_TRUE(start());
    select(1);
    read();
    files_->write_all("bad.krv", GetParam().bytes);
    const Shown before = shown();
    boxes_.clear();
    boxes_.answer({ui::id_ok, not_config, nullptr, 0, ui::mb_ok, "DORVANEX"});

    load("bad.krv");

    EXPECT_EQ(prompts(), std::vector<std::string>{not_config});
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(mainwin::config_file_name, "bad.krv") << "the choice is remembered all the same";
}

const BadFile bad_files[] = {
    {"connection_settings", container("0|0|||")},
    {"one_word_short", container(fields(999))},
    {"word_above_16_bits", container(fields(1000, "32768"))},
    {"word_below_16_bits", container(fields(1000, "-32769"))},
    {"wrong_sum", container(fields(1000)) + "1"},
    {"no_container", fields(1000)},
    {"empty_file", ""},
    // Sound, but followed by more than a checked file can hold: a file picked by mistake.
    {"larger_than_a_checked_file",
     container(fields(1000)) + std::string(model::checked_max_file, ' ')},
};
INSTANTIATE_TEST_SUITE_P(Files, RefusedFile, ::testing::ValuesIn(bad_files),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigFiles, ABarInTheCommentShiftsNoField) {
    ASSERT_TRUE(start());
    select(1);
    read();
    main().Komentar.set_text("a|b||c|");
    const Shown before = shown();
    save_as("bar.krv");

    restart();
    load("bar.krv");
    EXPECT_EQ(shown(), before);
}

TEST_F(ConfigFiles, EmptyAndNonNumericWordsLeaveTheirWordsAndRoundingIsToEven) {
    ASSERT_TRUE(start());
    model::param_image.fill(5);
    std::string c = "c|T|4.05|40|";
    const std::vector<std::string> first{"", "abc", " 12 ", "2.5", "3.5", "-0.5", "1E3"};
    for (const auto& w : first) c += w + "|";
    for (std::size_t i = first.size(); i < 1000; ++i) c += "9|";
    files_->write_all("w.krv", container(c + "0|0|"));

    load("w.krv");

    EXPECT_EQ(std::vector<int>(model::param_image.begin(), model::param_image.begin() + 8),
              (std::vector<int>{5, 5, 12, 2, 4, 0, 1000, 9}));
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(ConfigFiles, FamilyAndVersionOfTheFileSetParamCount) {
    ASSERT_TRUE(start());
    ASSERT_EQ(texts::is_krv, 1);
    std::string c = "c|T|4.02|40|";
    for (int i = 0; i < 1000; ++i) c += "0|";
    files_->write_all("d.dlx", container(c + "0|1|"));
    model::param_count = 140;

    load("d.dlx");

    EXPECT_EQ(texts::is_krv, 0);
    EXPECT_TRUE(main().S_DLX.value());
    EXPECT_FALSE(main().S_KRV.value());
    EXPECT_EQ(model::param_count, 127);
    EXPECT_EQ(texts::msg_sw_version_not_supported, "No support for this DLX software version.");

    // A version the family does not know: no message, the file's text shown.
    files_->write_all("n.dlx",
                      container("c|T|9.99|40|" + std::string(c.begin() + 12, c.end()) + "0|1|"));
    load("n.dlx");
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(main().curr_version.text(), "9.99");
    EXPECT_EQ(model::param_count, 127);
}

TEST_F(ConfigFiles, CancelAndRefusedOverwriteChangeNothing) {
    ASSERT_TRUE(start());
    select(1);
    read();
    save_as("keep.krv");
    const std::string kept = files_->read_all("keep.krv", model::checked_max_file);
    const Shown before = shown();

    dialogs_.cancel();
    click(main().m_dat_load);
    dialogs_.cancel();
    click(main().m_dat_save);
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(mainwin::config_file_name, "keep.krv");
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);

    model::param_image[97] = 1234;
    boxes_.clear();
    boxes_.answer(
        {ui::id_cancel, "File exists. Overwrite ?", nullptr, 0, ui::mb_ok_cancel, "DORVANEX"});
    save_as("keep.krv");
    EXPECT_EQ(files_->read_all("keep.krv", model::checked_max_file), kept);

    boxes_.answer(ui::id_ok, "File exists. Overwrite ?");
    save_as("keep.krv");
    EXPECT_NE(files_->read_all("keep.krv", model::checked_max_file), kept);
    EXPECT_EQ(model::param_image[97], 1234);
}

TEST_F(ConfigFiles, ProposedNameFollowsTagAndLastPath) {
    ASSERT_TRUE(start());
    struct Case {
        const char* tag;
        bool dlx;
        const char* last;
        const char* proposal;
    };
    const Case cases[] = {
        {"ABC", false, "", "ABC.krv"},
        {"ABC", true, "", "ABC.dlx"},
        {"        ", false, "", ""},
        {"        ", false, "old.krv", "old.krv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " " + c.last);
        click(c.dlx ? main().S_DLX : main().S_KRV);
        main().Komentar1.set_text(c.tag);
        mainwin::config_file_name = c.last;
        dialogs_.cancel();
        click(main().m_dat_save);
        EXPECT_EQ(dialogs_.shown().back().file_name, c.proposal);
    }
    main().Komentar1.set_text("  LONGTAG99 ");
    dialogs_.cancel();
    click(main().m_dat_save);
    EXPECT_EQ(dialogs_.shown().back().file_name, "LONGTAG9.krv") << "first 8 characters";
}

}  // namespace
}  // namespace dvx::testing

// Restoring a device's factory state from the restore menu against the simulated bus:
// exactly the stored words reach the device (calibration values included, serial number
// not), the main window follows the device, and every refusal leaves image and device
// as they were.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "model/param_image.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::testing {
namespace {

const std::string overwrite_q = "Overwrite existing parameters. Are You sure ?";
const std::string transmitted = "parameters transmited.";

const std::vector<Request> up_to_question{{read_fn, 0, 5}, {read_fn, 1123, 4}, {read_fn, 26, 1}};

// A confirmed restore on the direct bus of a copy with `fields` words into a device with
// `count`: the reads up to the question, the device's own words past a shorter copy, then
// the block write from word 0 (serial number left out) and the store command.
std::vector<Request> restore_requests(int fields, int count) {
    std::vector<Request> out = up_to_question;
    if (fields < count) out.push_back({read_fn, 1000 + fields, count - fields});
    for (int p = 0; p < 123; p += 32) out.push_back({write_fn, 1000 + p, std::min(32, 123 - p)});
    if (count > 127) out.push_back({write_fn, 1127, count - 127});
    out.push_back({write_fn, 56, 1});
    return out;
}

class FactoryRestore : public DeviceFixture {
  public:
    sim::Plant& plant() { return *plant_; }

  protected:
    // Reads the device once (which keeps its factory copy), then changes device and image.
    void read_then_change(int address) {
        ASSERT_TRUE(start());
        select(address);
        read();
        stored_ = model::params_to_text();
        count_ = model::param_count;
        for (int p : {5, 97, 98, 100}) device().set_param(p, device().param(p) + 11);
        model::param_image[98] = 4321;
        model::param_image[124] = 0x2020;  // a serial typed in the image, not the device's
        clear_records();
    }
    std::vector<int> image_words(int n) const {
        return {model::param_image.begin(), model::param_image.begin() + n};
    }
    // Parameter words as the write requests carried them.
    std::map<int, int> written() const {
        std::map<int, int> out;
        for (const auto& e : plant_->log())
            if (e.function == write_fn && e.start >= 1000)
                for (std::size_t i = 0; i < e.values.size(); ++i)
                    out[e.start - 1000 + static_cast<int>(i)] =
                        static_cast<std::int16_t>(e.values[i]);
        return out;
    }
    std::string stored_;
    int count_ = 0;
};

TEST_F(FactoryRestore, WritesExactlyTheStoredWordsAndTheMainWindowFollows) {
    read_then_change(1);
    auto& m = main();
    m.curr_version.set_text("x");
    m.v_mode.set_text("0");
    m.in_use.set_text("0");
    boxes_.answer({ui::id_ok, overwrite_q, nullptr, 0, ui::mb_ok_cancel, "DORVANEX"});
    boxes_.answer(ui::id_ok, transmitted);

    click(m.m_restore_cfg);

    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, transmitted}));
    EXPECT_EQ(requests(), restore_requests(count_, count_)) << "a copy as long as the set";
    std::string text = stored_;
    std::vector<int> expected;
    for (int i = 0; i < count_; ++i) expected.push_back(std::stoi(model::split_bar(text)));
    EXPECT_EQ(image_words(count_), expected) << "the stored set, not the default image";
    const auto sent = written();
    for (int p = 0; p < count_; ++p) {
        SCOPED_TRACE(p);
        if (p >= 123 && p <= 126) {
            EXPECT_EQ(sent.count(p), 0u) << "the serial number is not written";
        } else {
            ASSERT_EQ(sent.count(p), 1u);
            EXPECT_EQ(sent.at(p), expected[p]);
            EXPECT_EQ(device().param(p), expected[p]);
            EXPECT_EQ(device().stored_param(p), expected[p]) << "stored in the device";
        }
    }
    EXPECT_EQ(m.curr_version.text(), "4.05");
    EXPECT_EQ(m.v_mode.text(), std::to_string((device().status(26) >> 8) & 255));
    EXPECT_EQ(m.in_use.text(), "1");
    EXPECT_EQ(m.Ser_No.text(), "21040001");
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
    EXPECT_FALSE(mainwin::params_changed()) << "the set read first is back";
}

TEST_F(FactoryRestore, TheDevicesOwnFamilyDecidesNotTheSelectedOption) {
    read_then_change(3);  // DLX 3.06: no KRV firmware of that number exists
    click(main().S_KRV);
    ASSERT_EQ(texts::is_krv, 1);
    boxes_.answer_all(ui::id_ok);

    click(main().m_restore_cfg);

    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, transmitted}));
    EXPECT_TRUE(main().S_DLX.value());
    EXPECT_EQ(texts::is_krv, 0);
    EXPECT_EQ(model::param_count, 127);
    EXPECT_EQ(device().param(98), model::param_image[98]);
}

TEST_F(FactoryRestore, AnUnsupportedFirmwareIsNamedByTheDevicesFamily) {
    read_then_change(3);
    click(main().S_KRV);
    device().set_status(4, 310);  // no DLX firmware of that number
    const auto image = model::param_image;
    boxes_.answer_all(ui::id_ok);

    click(main().m_restore_cfg);

    EXPECT_EQ(prompts(), std::vector<std::string>{"No support for this DLX software version."});
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(image_words(count_), std::vector<int>(image.begin(), image.begin() + count_));
    EXPECT_EQ(texts::msg_sw_version_not_supported, "No support for this KRV software version.")
        << "the table keeps the selected family's form";
}

TEST_F(FactoryRestore, BlanksInTheSerialNumberStayInTheValueName) {
    read_then_change(1);
    const auto word = [](char lo, char hi) { return lo | hi << 8; };
    for (const auto& [p, w] : {std::pair{123, word(' ', '1')}, std::pair{124, word('2', ' ')},
                               std::pair{125, word(' ', '3')}, std::pair{126, word('4', ' ')}})
        device().set_param(p, w);
    registry_.put_string(model::reg_key, "KRV FACTORY SETTINGS  12  34 ", stored_);
    boxes_.answer_all(ui::id_ok);

    click(main().m_restore_cfg);

    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, transmitted}));
    EXPECT_EQ(device().param(98), model::param_image[98]);
}

// Serial words that every device without a serial number holds name no device: a read
// keeps no copy under them. Any other serial number, blanks or a zero byte among its
// characters included, keeps its copy as before.
TEST_F(FactoryRestore, ASerialNumberThatNamesNoDeviceGetsNoCopy) {
    struct Row {
        const char* name;
        std::array<int, 4> words;
        bool copy;
    };
    const Row rows[] = {
        {"all_blanks", {0x2020, 0x2020, 0x2020, 0x2020}, false},
        {"all_zero", {0, 0, 0, 0}, false},
        {"all_erased", {-1, -1, -1, -1}, false},
        {"blanks_among_digits", {0x3120, 0x2032, 0x3320, 0x2034}, true},
        {"zero_byte_among_digits", {0x3132, 0x3030, 0x3030, 0x0031}, true},
        {"blanks_and_zeros", {0x2020, 0, 0x2020, 0}, true},
    };
    ASSERT_TRUE(start());
    select(1);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int k = 0; k < 4; ++k) device().set_param(123 + k, row.words[k]);
        const std::string name = "KRV FACTORY SETTINGS " + device().serial();
        const int writes_before = registry_.writes;
        clear_records();

        read();

        EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter read in."});
        EXPECT_EQ(main().Ser_No.text(), device().serial());
        EXPECT_EQ(factory_copy(name).has_value(), row.copy);
        EXPECT_EQ(registry_.writes - writes_before, row.copy ? 1 : 0);
        if (row.copy) {
            EXPECT_EQ(factory_copy(name), model::params_to_text());
        }
    }
}

// A KRV device is read (which keeps its factory copy) and then gets other firmware: from
// 4.05 (128 words) to 4.10 (140, the twelve new ones holding values of their own), or back.
// Before the restore the image holds whatever the program had in hand past the copy's
// words: nothing after a new start, another 4.1x device's set, a changed image, or the
// device itself read at its new firmware.
enum class Before { program_start, another_device_read, image_changed, read_at_new_firmware };

struct FirmwareChange {
    const char* name;
    int from, to;
    Before before;
};
void PrintTo(const FirmwareChange& c, std::ostream* os) {
    *os << c.name;
}

class RestoreAfterFirmwareChange : public FactoryRestore,
                                   public ::testing::WithParamInterface<FirmwareChange> {
  protected:
    void set_firmware(int version) {
        const int count = version >= 410 ? 140 : 128;
        device().set_status(4, version);
        device().set_param_count(count);
        for (int p = 128; p < count; ++p) device().set_param(p, 500 + p);
    }
    void set_before(Before before, int count) {
        switch (before) {
            case Before::program_start:
                ui::reset_forms();
                reset_globals();
                ASSERT_TRUE(start());
                select(1);
                break;
            case Before::another_device_read:
                select(33);  // KRV 4.10
                read();
                ASSERT_EQ(model::param_count, 140);
                select(1);
                break;
            case Before::image_changed:
                for (int p = count_; p < count; ++p)
                    model::param_image[p] = static_cast<std::int16_t>(-p);
                break;
            case Before::read_at_new_firmware:
                read();
                ASSERT_EQ(model::param_count, count);
                ASSERT_EQ(factory_copy("KRV FACTORY SETTINGS 21040001"), stored_)
                    << "kept, not replaced";
                break;
        }
        clear_records();
    }
};

TEST_P(RestoreAfterFirmwareChange, TheCopyFillsTheWordsItHoldsAndTheDeviceKeepsTheRest) {
    const FirmwareChange& c = GetParam();
    prepare(0);
    set_firmware(c.from);
    read_then_change(1);
    set_firmware(c.to);
    const int count = c.to >= 410 ? 140 : 128;
    // The copy's words, then the device's own (the serial number is never written).
    std::vector<int> expected;
    for (int p = 0; p < count; ++p) expected.push_back(device().param(p));
    std::string text = stored_;
    for (int p = 0; p < count && !text.empty(); ++p) {
        const int word = std::stoi(model::split_bar(text));
        if (p < 123 || p > 126) expected[p] = word;
    }
    ASSERT_NO_FATAL_FAILURE(set_before(c.before, count));
    const RegisterFile device_before = register_file(device());
    boxes_.answer_all(ui::id_ok);

    click(main().m_restore_cfg);

    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, transmitted}));
    EXPECT_EQ(requests(), restore_requests(count_, count));
    EXPECT_EQ(model::param_count, count);
    EXPECT_EQ(image_words(count), expected);
    EXPECT_EQ(main().curr_version.text(), c.to >= 410 ? "4.10" : "4.05");
    const RegisterFile after = register_file(device());
    for (int p = 0; p < count; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(after.working[p], expected[p]);
        EXPECT_EQ(after.stored[p], expected[p]) << "the device holds exactly that set";
    }
    // Past its set, and in its status and comment registers, the device is as it was.
    for (int p = count; p < sim::param_regs; ++p) {
        EXPECT_EQ(after.working[p], device_before.working[p]) << p;
        EXPECT_EQ(after.stored[p], device_before.stored[p]) << p;
    }
    EXPECT_EQ(after.comment, device_before.comment);
    EXPECT_EQ(after.status, device_before.status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoreAfterFirmwareChange,
    ::testing::Values(
        FirmwareChange{"upgrade_restore_after_start", 405, 410, Before::program_start},
        FirmwareChange{"upgrade_restore_after_another_read", 405, 410, Before::another_device_read},
        FirmwareChange{"upgrade_restore_after_image_changed", 405, 410, Before::image_changed},
        FirmwareChange{"upgrade_read_then_restore", 405, 410, Before::read_at_new_firmware},
        FirmwareChange{"back_to_older_firmware", 410, 405, Before::image_changed}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* name;
    int address;
    std::function<void(FactoryRestore&, sim::Transmitter&, ui::MemoryRegistry&)> set_up;
    std::vector<std::string> prompts;
    std::vector<Request> requests;
};
void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.name;
}

const std::string copy_name = "KRV FACTORY SETTINGS 21040001";
const std::string no_copy = "No configuration stored !";

// The fields of a parameter text with field i replaced.
std::string with_field(const std::string& text, int i, const std::string& value) {
    std::string rest = text, out;
    for (int k = 0; !rest.empty(); ++k) {
        const std::string field = model::split_bar(rest);
        out += (k ? "|" : "") + (k == i ? value : field);
    }
    return out;
}

// The copy the read stored, spoiled: refused before the question, named as no stored set.
Refusal damaged(const char* name, std::string (*spoil)(const std::string&)) {
    return {name,
            1,
            [spoil](auto&, auto&, ui::MemoryRegistry& r) {
                r.put_string(model::reg_key, copy_name,
                             spoil(r.get_string(model::reg_key, copy_name).value()));
            },
            {no_copy},
            up_to_question};
}

const std::vector<Request> with_read_past_copy{up_to_question[0], up_to_question[1],
                                               up_to_question[2], {read_fn, 1128, 12}};

Refusal serial_of_no_device(const char* name, int word) {
    return {name,
            1,
            [word](auto&, sim::Transmitter& d, ui::MemoryRegistry& r) {
                for (int p = 123; p <= 126; ++p) d.set_param(p, word);
                r.put_string(model::reg_key, "KRV FACTORY SETTINGS " + d.serial(),
                             r.get_string(model::reg_key, copy_name).value());
            },
            {no_copy},
            {{read_fn, 0, 5}, {read_fn, 1123, 4}}};
}

const Refusal refusals[] = {
    {"user_cancels", 1, nullptr, {overwrite_q}, up_to_question},
    {"silent_device",
     1,
     [](auto&, auto& d, auto&) { d.set_silent(true); },
     {"No connection !"},
     std::vector<Request>(4, {read_fn, 0, 5})},
    {"type_16", 17, nullptr, {"No support for this device version."}, {{read_fn, 0, 5}}},
    {"never_read",
     1,
     [](auto&, auto&, auto& r) {
         r.put_string(model::reg_key, "KRV FACTORY SETTINGS 21040001", "");
     },
     {"No configuration stored !"},
     {{read_fn, 0, 5}, {read_fn, 1123, 4}}},
    {"registry_fault",
     1,
     [](auto&, auto&, auto& r) { r.read_fault = "Registry locked"; },
     {"Registry locked", "Cannot read system registry"},
     {{read_fn, 0, 5}, {read_fn, 1123, 4}}},
    {"damaged_copy",
     1,
     [](auto&, auto&, auto& r) {
         r.put_string(model::reg_key, "KRV FACTORY SETTINGS 21040001", "1|2|x|4");
     },
     {no_copy},
     up_to_question},
    damaged("field_not_a_number", [](const std::string& t) { return with_field(t, 40, "12a"); }),
    damaged("field_above_16_bits", [](const std::string& t) { return with_field(t, 10, "32768"); }),
    damaged("field_below_16_bits",
            [](const std::string& t) { return with_field(t, 127, "-32769"); }),
    damaged("empty_field", [](const std::string& t) { return with_field(t, 2, ""); }),
    damaged("bar_at_the_end", [](const std::string& t) { return t + "|"; }),
    damaged("blanks_only", [](const std::string&) { return std::string("  "); }),
    // 127 fields: no KRV firmware has that many words (a DLX set, or a copy cut at a bar).
    damaged("one_field_short", [](const std::string& t) { return t.substr(0, t.rfind('|')); }),
    // 141 fields: one more than the largest firmware has words.
    damaged("more_fields_than_any_firmware",
            [](const std::string& t) { return t + "|1|2|3|4|5|6|7|8|9|10|11|12|13"; }),
    // The device's words past the 128-word copy are read before the question.
    {"user_cancels_after_an_upgrade",
     1,
     [](auto&, auto& d, auto&) {
         d.set_status(4, 410);
         d.set_param_count(140);
     },
     {overwrite_q},
     with_read_past_copy},
    {"no_answer_past_the_copy",
     1,
     [](FactoryRestore& f, auto& d, auto&) {
         d.set_status(4, 410);
         d.set_param_count(140);
         f.plant().fault(sim::Fault::silent().function(read_fn).registers(1128, 1139));
     },
     {"No connection !"},
     std::vector<Request>{up_to_question[0], up_to_question[1], up_to_question[2],
                          {read_fn, 1128, 12}, {read_fn, 1128, 12}, {read_fn, 1128, 12},
                          {read_fn, 1128, 12}}},
    // Serial words that name no device: a copy under such a name (as stored before) is
    // another device's set, its calibration values and bus address included.
    serial_of_no_device("serial_all_blanks", 0x2020),
    serial_of_no_device("serial_all_zero", 0),
    serial_of_no_device("serial_all_erased", -1),
    {"firmware_now_unsupported",
     1,
     [](auto&, auto& d, auto&) { d.set_status(4, 420); },
     {"No support for this KRV software version."},
     up_to_question},
};

class RestoreRefused : public FactoryRestore, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RestoreRefused, LeavesImageAndDeviceAsTheyWere) {
    const Refusal& r = GetParam();
    read_then_change(r.address);
    if (r.set_up) r.set_up(*this, device(), registry_);
    const auto image = model::param_image;
    const RegisterFile device_before = register_file(device());
    const std::string version = main().curr_version.text();
    boxes_.answer_all(ui::id_cancel);

    click(main().m_restore_cfg);

    EXPECT_EQ(prompts(), r.prompts);
    EXPECT_EQ(requests(), r.requests);
    EXPECT_EQ(changes(device_before, register_file(device())), std::vector<std::string>{});
    EXPECT_EQ(model::param_image, image)
        << "the serial words read from the device are put back too, the words past the copy";
    EXPECT_EQ(main().curr_version.text(), version) << "the firmware of the set held";
    EXPECT_EQ(model::param_count, count_);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(FactoryRestore, ACancelAfterAnUpgradeLeavesTheWindowOnTheFirmwareItRead) {
    read_then_change(1);
    device().set_status(4, 410);
    device().set_param_count(140);
    boxes_.answer_all(ui::id_cancel);
    click(main().m_restore_cfg);
    ASSERT_EQ(prompts(), std::vector<std::string>{overwrite_q});
    clear_records();

    // The image is still the 4.05 set: programming it into the 4.10 device is refused after
    // the program button's own question, as it would have been without the restore menu.
    program();

    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, "KRV version is wrong !"}));
    EXPECT_TRUE(writes().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RestoreRefused, ::testing::ValuesIn(refusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dvx::testing

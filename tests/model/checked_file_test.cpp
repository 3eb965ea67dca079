#include "model/checked_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "tests/support/services_fixture.h"
#include "ui/fault.h"

namespace dvx::model {
namespace {

using ui::MsgBoxRequest;

// Files kept in memory, with faults injected per operation, for the failure paths
// and the fuzz loop.
class MemFiles final : public platform::Files {
  public:
    bool exists(const std::string& p) override { return data.count(p) != 0; }
    std::string read_all(const std::string& p, std::size_t at_most) override {
        if (read_faults > 0) {
            --read_faults;
            throw ui::UiFault("Device I/O error");
        }
        return data.at(p).substr(0, at_most);
    }
    void write_all(const std::string& p, const std::string& bytes) override {
        if (write_faults > 0) {
            --write_faults;
            throw ui::UiFault("Disk full");
        }
        data[p] = bytes;
    }
    void remove(const std::string& p) override { data.erase(p); }
    void rename(const std::string& from, const std::string& to) override {
        data[to] = data.at(from);
        data.erase(from);
    }
    void close_all() override {}

    std::map<std::string, std::string> data;
    int read_faults = 0, write_faults = 0;
};

class CheckedFileTest : public testing::ServicesFixture {
  protected:
    std::string disk(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    void put_disk(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    void use_mem_files() { ui::services().files = &mem_; }
    void expect_fault_box(const MsgBoxRequest& box, const std::string& text) {
        EXPECT_EQ(box.prompt, text);
        EXPECT_EQ(box.style, ui::mb_retry_cancel);
        EXPECT_EQ(box.title, std::optional<std::string>("DORVANEX"));
    }
    MemFiles mem_;
};

TEST_F(CheckedFileTest, GoldenFileIsContentEndMarkAndSignedSum) {
    // "abc": (97^0x5555) + (98^0x5555) + (99^0x5555) = 21812 + 21815 + 21814 = 65441.
    ASSERT_EQ(write_checked_file("golden.cfg", "abc"), 0);
    EXPECT_EQ(disk("golden.cfg"), std::string("abc\x1A 65441"));
    EXPECT_EQ(read_checked_file("golden.cfg"), "abc");

    ASSERT_EQ(write_checked_file("empty.cfg", ""), 0);
    EXPECT_EQ(disk("empty.cfg"), std::string("\x1A 0"));
    EXPECT_EQ(read_checked_file("empty.cfg"), "");

    // No temporary file is left; the lock files stay for the next save.
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"empty.cfg", "empty.cfg.lock", "golden.cfg",
                                            "golden.cfg.lock"}));
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(CheckedFileTest, ContentsReadBackUnchanged) {
    std::string all_bytes;
    for (int c = 0; c < 256; ++c) all_bytes += static_cast<char>(c);
    const std::pair<const char*, std::string> cases[] = {
        {"every byte, the end mark inside too", all_bytes},
        {"a comment ending in the end mark", std::string("Kommentar \xFC\x1A")},
        {"end mark and a number after it", std::string("x\x1A 12|y")},
        {"the longest content", std::string(32767, '\xFF')},
        {"configuration fields", "1|0|4||abc|def|"},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(write_checked_file("f.cfg", content), 0);
        EXPECT_EQ(read_checked_file("f.cfg"), content);
    }
}

TEST_F(CheckedFileTest, DamagedOrForeignFilesReadAsEmpty) {
    const std::pair<const char*, std::string> cases[] = {
        {"no end mark", "abc 65441"},
        {"content byte changed", std::string("abd\x1A 65441")},
        {"sum changed", std::string("abc\x1A 65442")},
        {"sum missing", std::string("abc\x1A")},
        {"sum not a number", std::string("abc\x1Ax65441")},
        {"sum beyond 32 bits", std::string("abc\x1A 4294967296065441")},
        {"sum overflowing a double", std::string("abc\x1A 1e999")},
        {"negative sum", std::string("abc\x1A -65441")},
        {"longer than 32767 bytes with a matching sum",
         std::string(32768, 'a') + "\x1A " + std::to_string(32768LL * ('a' ^ 0x5555))},
        {"only the end mark", std::string("\x1A")},
        {"empty file", ""},
        {"a sound container followed by more than a checked file can hold",
         std::string("abc\x1A 65441") + std::string(checked_max_file, ' ')},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        put_disk("d.cfg", bytes);
        EXPECT_EQ(read_checked_file("d.cfg"), "");
    }
    EXPECT_EQ(read_checked_file("missing.cfg"), "");
    EXPECT_TRUE(boxes_.shown().empty());
}

// The largest checked file: 32767 content bytes, the end mark and a sum text of eleven
// characters reads back; one byte more and it is none, however large it is (a sparse
// file of 4 GB costs no disk and no more than one read beyond the limit).
TEST_F(CheckedFileTest, NoFileLargerThanTheLargestCheckedFileIsRead) {
    const std::string content(checked_max_content, '\xFF');
    // 32767 * (0xFF ^ 0x5555) = 32767 * 21930 = 718580310: nine digits, two blanks before.
    const std::string largest = content + "\x1A  " + std::to_string(checked_sum(content));
    ASSERT_EQ(largest.size(), checked_max_file);
    put_disk("big.cfg", largest);
    EXPECT_EQ(read_checked_file("big.cfg"), content);
    put_disk("big.cfg", largest + " ");
    EXPECT_EQ(read_checked_file("big.cfg"), "");

    put_disk("huge.cfg", "abc\x1A 65441");
    std::filesystem::resize_file(dir_ / "huge.cfg", 4ull << 30);
    EXPECT_EQ(read_checked_file("huge.cfg"), "");
    // A save of a file that large reads no more of it either and replaces it whole.
    EXPECT_EQ(update_checked_file("huge.cfg", [](const std::string& now) { return now + "x"; }),
              0);
    EXPECT_EQ(disk("huge.cfg"), std::string("x\x1A ") + std::to_string(checked_sum("x")));
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(CheckedFileTest, SumTextIsReadAsANumberPrefix) {
    const std::pair<const char*, const char*> sums[] = {
        {"no blank", "65441"},         {"several blanks", "   65441"},  {"plus sign", "+65441"},
        {"trailing text", " 65441|x"}, {"fraction rounds", " 65441.4"}, {"exponent", " 6.5441E4"},
    };
    for (const auto& [name, sum] : sums) {
        SCOPED_TRACE(name);
        put_disk("s.cfg", std::string("abc\x1A") + sum);
        EXPECT_EQ(read_checked_file("s.cfg"), "abc");
    }
}

TEST_F(CheckedFileTest, FailedWriteKeepsTheOldFile) {
    ASSERT_EQ(write_checked_file("krv_con.cfg", "0|0|4|||"), 0);
    // A folder where the file's lock goes makes the write fail.
    std::filesystem::remove(dir_ / "krv_con.cfg.lock");
    std::filesystem::create_directory(dir_ / "krv_con.cfg.lock");
    boxes_.answer(ui::id_cancel);
    EXPECT_EQ(write_checked_file("krv_con.cfg", "1|0|5|||"), 1);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    expect_fault_box(boxes_.shown()[0], "Path not found\n" + (dir_ / "krv_con.cfg").string());
    EXPECT_EQ(read_checked_file("krv_con.cfg"), "0|0|4|||");
}

TEST_F(CheckedFileTest, RetryRepeatsTheFailedWrite) {
    std::filesystem::create_directory(dir_ / "a.cfg.lock");
    boxes_.answer(ui::id_retry, std::nullopt,
                  [&] { std::filesystem::remove(dir_ / "a.cfg.lock"); });
    EXPECT_EQ(write_checked_file("a.cfg", "abc"), 0);
    EXPECT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(disk("a.cfg"), std::string("abc\x1A 65441"));
}

TEST_F(CheckedFileTest, AFileAnotherInstanceHoldsAsksRetry) {
    platform::DiskFiles impatient(dir_.string(), std::chrono::milliseconds(20));
    ui::services().files = &impatient;
    auto other = std::make_unique<platform::FileLock>(dir_ / "krv_con.cfg");
    boxes_.answer(ui::id_retry, std::nullopt, [&] { other.reset(); });
    EXPECT_EQ(write_checked_file("krv_con.cfg", "abc"), 0);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    expect_fault_box(boxes_.shown()[0],
                     "The file is in use by another program\n" + (dir_ / "krv_con.cfg").string());
    EXPECT_EQ(disk("krv_con.cfg"), std::string("abc\x1A 65441"));
}

TEST_F(CheckedFileTest, FaultsAskRetryOrCancel) {
    use_mem_files();
    mem_.data["c.cfg"] = std::string("old\x1A ") + std::to_string(checked_sum("old"));

    // The write fails twice; the second Retry succeeds.
    mem_.write_faults = 2;
    boxes_.answer(ui::id_retry).answer(ui::id_retry);
    EXPECT_EQ(write_checked_file("c.cfg", "new"), 0);
    ASSERT_EQ(boxes_.shown().size(), 2u);
    expect_fault_box(boxes_.shown()[1], "Disk full");
    EXPECT_EQ(read_checked_file("c.cfg"), "new");
    boxes_.clear();

    // Cancel: the old file stays.
    mem_.write_faults = 1;
    boxes_.answer(ui::id_cancel);
    EXPECT_EQ(write_checked_file("c.cfg", "newer"), 1);
    EXPECT_EQ(read_checked_file("c.cfg"), "new");
    EXPECT_EQ(mem_.data.size(), 1u);
    boxes_.clear();

    // Reading: Retry reads again, Cancel gives the empty text.
    mem_.read_faults = 1;
    boxes_.answer(ui::id_retry);
    EXPECT_EQ(read_checked_file("c.cfg"), "new");
    expect_fault_box(boxes_.shown().at(0), "Device I/O error");
    mem_.read_faults = 1;
    boxes_.answer(ui::id_cancel);
    EXPECT_EQ(read_checked_file("c.cfg"), "");
    EXPECT_EQ(boxes_.shown().size(), 2u);
}

TEST_F(CheckedFileTest, RandomAndTruncatedFilesNeverCrash) {
    use_mem_files();
    std::mt19937 rng(1234);
    auto byte = [&] { return static_cast<char>(rng() & 0xFF); };

    // Every strict prefix of a valid file reads as empty.
    std::string content;
    for (int i = 0; i < 300; ++i) content += byte();
    ASSERT_EQ(write_checked_file("t.cfg", content), 0);
    const std::string whole = mem_.data.at("t.cfg");
    for (std::size_t n = 0; n < whole.size(); ++n) {
        mem_.data["t.cfg"] = whole.substr(0, n);
        ASSERT_EQ(read_checked_file("t.cfg"), "") << "prefix of " << n << " bytes";
    }

    // Random files, biased towards end marks and digits: whatever reads back must be a
    // prefix of the file with a matching sum.
    const char alphabet[] = "\x1A\x1A 0123456789-+.eE";
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        const std::size_t len = rng() % 64;
        for (std::size_t i = 0; i < len; ++i)
            bytes += rng() % 2 ? byte() : alphabet[rng() % (sizeof alphabet - 1)];
        mem_.data["r.cfg"] = bytes;
        const std::string got = read_checked_file("r.cfg");
        ASSERT_EQ(bytes.compare(0, got.size(), got), 0);
        if (!got.empty()) {
            ASSERT_EQ(bytes[got.size()], '\x1A');
        }
    }

    // A huge file is refused as a whole.
    mem_.data["h.cfg"] = std::string(1 << 20, 'x') + "\x1A 0";
    EXPECT_EQ(read_checked_file("h.cfg"), "");
}

TEST(SplitBar, TakesFieldsInOrder) {
    std::string list = "a||b";
    EXPECT_EQ(split_bar(list), "a");
    EXPECT_EQ(list, "|b");
    EXPECT_EQ(split_bar(list), "");
    EXPECT_EQ(split_bar(list), "b");
    EXPECT_EQ(list, "");
    EXPECT_EQ(split_bar(list), "");
    EXPECT_EQ(list, "");

    list = "no bar";
    EXPECT_EQ(split_bar(list), "no bar");
    EXPECT_EQ(list, "");
}

TEST(ScrambleText, KnownResults) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "cab"},
        {"a b", "a$b"},                                // blank becomes "$", letters Xor 3, reversed
        {"1.5%", ".1%5"},                              // "." and "%" swap, digits Xor 4
        {std::string(16, 'a'), std::string(16, 'g')},  // k = 16 And 15 = 0, so 6
        {std::string(17, 'a'), std::string(17, 'g')},  // k = 1, so 6
        {std::string(18, 'a'), std::string(18, 'c')},  // k = 2
        {"x", "x"},
        {" ", " "},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(in);
        EXPECT_EQ(scramble_text(in), out);
    }
}

TEST(ScrambleText, TwiceGivesTheTextBack) {
    std::mt19937 rng(7);
    const std::string fixed[] = {"it's", "O'Neil.$ %", "Pa\xDF w\xF6rt'"};
    for (const auto& t : fixed) EXPECT_EQ(scramble_text(scramble_text(t)), t) << t;
    for (int round = 0; round < 500; ++round) {
        std::string t;
        const std::size_t len = rng() % 40;
        for (std::size_t i = 0; i < len; ++i) t += static_cast<char>(rng() & 0xFF);
        ASSERT_EQ(scramble_text(scramble_text(t)), t);
    }
}

TEST(NumberText, LeadingNumberReadsAsFarAsItGoes) {
    const std::pair<const char*, double> cases[] = {
        {" 12abc", 12}, {"", 0},        {"abc", 0}, {"-3.5e2x", -350}, {"1e", 1},
        {"1d2", 100},   {"  +.5", 0.5}, {"-", 0},   {"12 3", 12},      {"007", 7},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(leading_number(text), value) << text;
    EXPECT_TRUE(std::isinf(leading_number("1e400")));
    EXPECT_EQ(leading_number("1e-400"), 0.0);
    EXPECT_TRUE(std::isinf(leading_number(std::string(400, '9'))));
}

TEST(NumberText, NumericValueNeedsTheWholeText) {
    EXPECT_EQ(numeric_value(" 12 "), 12.0);
    EXPECT_EQ(numeric_value("-1"), -1.0);
    EXPECT_EQ(numeric_value("1e5"), 1e5);
    for (const char* bad : {"", " ", "-", ".", "12a", "1e", "1 2", "1e999"})
        EXPECT_FALSE(numeric_value(bad)) << bad;
}

TEST(NumberText, RoundingHalvesToEvenWithinRange) {
    EXPECT_EQ(round_to_i16(2.5), 2);
    EXPECT_EQ(round_to_i16(3.5), 4);
    EXPECT_EQ(round_to_i16(-32768.5), -32768);
    EXPECT_EQ(round_to_i16(32767.4), 32767);
    EXPECT_FALSE(round_to_i16(32767.5));
    EXPECT_FALSE(round_to_i16(-32769));
    EXPECT_EQ(round_to_i32(2147483647.0), 2147483647);
    EXPECT_FALSE(round_to_i32(2147483648.0));
    EXPECT_FALSE(round_to_i32(std::nan("")));
}

}  // namespace
}  // namespace dvx::model

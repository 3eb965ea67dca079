#include "platform/file_registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <tuple>

#include "tests/support/processes.h"
#include "tests/support/services_fixture.h"
#include "ui/fault.h"

namespace dvx::platform {
namespace {

class FileRegistryTest : public testing::ServicesFixture {
  protected:
    std::filesystem::path path() const { return dir_ / "cfg" / "registry"; }
    std::string text() const {
        std::ifstream in(path(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::set<std::string> folder_names() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path().parent_path()))
            names.insert(e.path().filename().string());
        return names;
    }
    void put_text(const std::string& t) {
        std::filesystem::create_directories(path().parent_path());
        std::ofstream(path(), std::ios::binary) << t;
    }
    static RegValue sz(const std::string& t) {
        RegValue v{reg_sz, {t.begin(), t.end()}};
        v.bytes.push_back(0);
        return v;
    }
};

TEST_F(FileRegistryTest, ValuesSurviveANewInstance) {
    std::string every_byte;
    for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
    const std::string key = "SOFTWARE\\TAVRO\\DORVANEX";
    {
        FileRegistry reg(path());  // the folder does not exist yet
        ASSERT_TRUE(reg.create_key(key));
        ASSERT_TRUE(reg.set_value(key, "LANGUAGE", sz("GB")));
        ASSERT_TRUE(reg.set_value(key, "FORM STATE", sz("")));
        ASSERT_TRUE(
            reg.set_value(key, every_byte, {reg_binary, {every_byte.begin(), every_byte.end()}}));
        ASSERT_TRUE(reg.set_value(key, "", {static_cast<RegType>(4000000000u), {}}));
        ASSERT_TRUE(reg.create_key(every_byte));
        ASSERT_TRUE(reg.set_value(key, "LANGUAGE", sz("NL")));  // replaces
    }
    FileRegistry reg(path());
    EXPECT_TRUE(reg.key_exists(key));
    EXPECT_TRUE(reg.key_exists(every_byte));
    EXPECT_EQ(reg.query(key, "LANGUAGE")->bytes, sz("NL").bytes);
    EXPECT_EQ(reg.query(key, "FORM STATE")->bytes, std::vector<std::uint8_t>{0});
    const auto bin = reg.query(key, every_byte);
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->type, reg_binary);
    EXPECT_EQ(std::string(bin->bytes.begin(), bin->bytes.end()), every_byte);
    const auto odd = reg.query(key, "");
    ASSERT_TRUE(odd);
    EXPECT_EQ(static_cast<std::uint32_t>(odd->type), 4000000000u);
    EXPECT_TRUE(odd->bytes.empty());
    EXPECT_FALSE(reg.query(key, "language"));
    // No temporary file is left; the lock file stays for the next save.
    EXPECT_EQ(folder_names(), (std::set<std::string>{"registry", "registry.lock"}));
}

// Running instances saving at the same moment, as real processes: every value any of
// them saved is there afterwards, the values stored before them stay, and none of them
// ever finds the store damaged while the others write.
TEST_F(FileRegistryTest, InstancesSavingAtOnceLoseNothing) {
    const auto file = path();
    const std::string key = "SOFTWARE\\TAVRO\\DORVANEX";
    const auto factory_copy = [](int i) {
        std::string t = std::to_string(i);
        for (int w = 1; w < 127; ++w) t += "|" + std::to_string(w * 37 - i);
        return t;
    };
    constexpr int copies = 10;
    {
        FileRegistry reg(file);
        ASSERT_TRUE(reg.create_key(key));
        for (int i = 0; i < copies; ++i)
            ASSERT_TRUE(reg.set_value(key, "KRV FACTORY SETTINGS " + std::to_string(i),
                                      sz(factory_copy(i))));
    }
    // Each round saves a value of the writer's own and the placement all of them share.
    constexpr int writers = 4, rounds = 60;
    const auto own = [](int who, int round) {
        return "W" + std::to_string(who) + " " + std::to_string(round);
    };
    const auto codes = testing::run_together(writers, [&](int who) {
        // A damaged store throws: the child fails. These writers contend far more than
        // instances ever do, so on a loaded machine one may wait longer than the limit.
        FileRegistry reg(file, std::chrono::minutes(1));
        for (int r = 0; r < rounds; ++r) {
            if (!reg.set_value(key, own(who, r), sz(own(who, r)))) return 2;
            if (!reg.set_value(key, "FROM TOP", sz(std::to_string(who * 1000 + r)))) return 3;
            const auto back = reg.query(key, own(who, r));
            if (!back || back->bytes != sz(own(who, r)).bytes) return 4;
        }
        return 0;
    });
    EXPECT_EQ(codes, std::vector<int>(writers, 0));

    FileRegistry reg(file);
    for (int who = 0; who < writers; ++who)
        for (int r = 0; r < rounds; ++r) {
            const auto v = reg.query(key, own(who, r));
            ASSERT_TRUE(v) << own(who, r);
            EXPECT_EQ(v->bytes, sz(own(who, r)).bytes);
        }
    for (int i = 0; i < copies; ++i)
        EXPECT_EQ(reg.query(key, "KRV FACTORY SETTINGS " + std::to_string(i))->bytes,
                  sz(factory_copy(i)).bytes);
    // The shared value is the last one of some writer.
    const auto top = reg.query(key, "FROM TOP");
    ASSERT_TRUE(top);
    const std::string top_text(top->bytes.begin(), top->bytes.end() - 1);
    EXPECT_EQ(std::stoi(top_text) % 1000, rounds - 1) << top_text;
    // No temporary file is left; the lock file stays for the next save.
    EXPECT_EQ(folder_names(), (std::set<std::string>{"registry", "registry.lock"}));
}

TEST_F(FileRegistryTest, FileIsPlainText) {
    FileRegistry reg(path());
    ASSERT_TRUE(reg.create_key("SOFTWARE\\TAVRO\\DORVANEX"));
    ASSERT_TRUE(reg.set_value("SOFTWARE\\TAVRO\\DORVANEX", "FORM STATE", sz("2")));
    EXPECT_EQ(text(),
              "DORVANEX registry 2\n"
              "key SOFTWARE\\TAVRO\\DORVANEX\n"
              "value FORM%20STATE 1 2%00\n"
              "end\n");
}

// A save replaces the file (a new inode); a value saved unchanged touches nothing.
TEST_F(FileRegistryTest, AnUnchangedValueIsNotSavedAgain) {
    FileRegistry reg(path());
    ASSERT_TRUE(reg.create_key("K"));
    ASSERT_TRUE(reg.set_value("K", "FROM TOP", sz("120")));
    const auto inode = [&] {
        struct stat st {};
        ::stat(path().c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    ASSERT_TRUE(reg.create_key("K"));
    ASSERT_TRUE(reg.set_value("K", "FROM TOP", sz("120")));
    EXPECT_EQ(inode(), before);
    ASSERT_TRUE(reg.set_value("K", "FROM TOP", {reg_binary, sz("120").bytes}));
    EXPECT_NE(inode(), before);
    EXPECT_EQ(reg.query("K", "FROM TOP")->type, reg_binary);
}

TEST_F(FileRegistryTest, MissingFileIsAnEmptyStoreAndReadsCreateNothing) {
    FileRegistry reg(path());
    EXPECT_FALSE(reg.key_exists("K"));
    EXPECT_FALSE(reg.query("K", "V"));
    EXPECT_FALSE(reg.set_value("K", "V", sz("x")));  // the key must exist first
    EXPECT_FALSE(std::filesystem::exists(path()));
}

TEST_F(FileRegistryTest, TolerableTextsAreRead) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"header only", "DORVANEX registry 1\n"},
        {"CR LF and blank lines", "DORVANEX registry 1\r\n\r\nkey K\r\nvalue V 1 a%00\r\n"},
        {"trailing blank lost", "DORVANEX registry 1\nkey K\nvalue V 1\n"},
        {"lower-case hex", "DORVANEX registry 1\nkey K\nvalue V 3 %ff%0a\n"},
    };
    for (const auto& [name, t] : cases) {
        SCOPED_TRACE(name);
        put_text(t);
        FileRegistry reg(path());
        EXPECT_NO_THROW(reg.key_exists("K"));
    }
    FileRegistry reg(path());
    EXPECT_EQ(reg.query("K", "V")->bytes, (std::vector<std::uint8_t>{0xFF, 0x0A}));
}

TEST_F(FileRegistryTest, GarbageIsRefusedAndKept) {
    const std::pair<const char*, std::string> cases[] = {
        {"wrong header", "REGEDIT4\nkey K\n"},
        {"unknown line", "DORVANEX registry 1\nkey K\nfoo bar\n"},
        {"value before any key", "DORVANEX registry 1\nvalue V 1 a%00\n"},
        {"bad escape", "DORVANEX registry 1\nkey K\nvalue V 1 %G0\n"},
        {"cut escape", "DORVANEX registry 1\nkey K\nvalue V 1 %0\n"},
        {"raw byte", "DORVANEX registry 1\nkey K\xFC\n"},
        {"type not a number", "DORVANEX registry 1\nkey K\nvalue V sz a%00\n"},
        {"type beyond 32 bits", "DORVANEX registry 1\nkey K\nvalue V 4294967296 a\n"},
        {"too many fields", "DORVANEX registry 1\nkey K\nvalue V 1 a b\n"},
        {"binary", std::string("\x00\x01\x02\xFF", 4)},
        {"second format without its closing line", "DORVANEX registry 2\nkey K\n"},
        {"a line after the closing one", "DORVANEX registry 2\nkey K\nend\nkey L\n"},
        {"closing line in the first format", "DORVANEX registry 1\nkey K\nend\n"},
    };
    for (const auto& [name, t] : cases) {
        SCOPED_TRACE(name);
        put_text(t);
        FileRegistry reg(path());
        const std::string damaged = "The settings file is damaged\n" + path().string();
        try {
            reg.key_exists("K");
            ADD_FAILURE() << "read";
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.text(), damaged);
        }
        EXPECT_THROW(reg.query("K", "V"), Fault);
        // The lost write is told once, then refused silently.
        EXPECT_THROW(reg.create_key("K2"), Fault);
        EXPECT_FALSE(reg.set_value("K", "V", sz("x")));
        EXPECT_EQ(text(), t);
    }
}

// A store cut anywhere (a copy broken off, a disk that lost its tail) is told from a
// whole one and never read as other values; one of the first format reads as it did.
TEST_F(FileRegistryTest, ACutStoreIsToldFromAWholeOne) {
    FileRegistry::Store store;
    store["SOFTWARE\\TAVRO\\DORVANEX"]["LANGUAGE"] = sz("GB");
    store["SOFTWARE\\TAVRO\\DORVANEX"]["KRV FACTORY SETTINGS 21040001"] = sz("1|-2|300");
    const std::string whole = FileRegistry::format(store);
    ASSERT_TRUE(FileRegistry::parse(whole));
    ASSERT_TRUE(FileRegistry::parse(whole.substr(0, whole.size() - 1)))
        << "only the line end after the closing line is missing";
    for (std::size_t cut = 1; cut + 1 < whole.size(); ++cut)
        EXPECT_FALSE(FileRegistry::parse(whole.substr(0, cut))) << whole.substr(0, cut);

    const std::string first_format =
        "DORVANEX registry 1\nkey SOFTWARE\\TAVRO\\DORVANEX\nvalue LANGUAGE 1 GB%00\n";
    put_text(first_format);
    FileRegistry reg(path());
    EXPECT_EQ(reg.query("SOFTWARE\\TAVRO\\DORVANEX", "LANGUAGE")->bytes, sz("GB").bytes);
    ASSERT_TRUE(reg.set_value("SOFTWARE\\TAVRO\\DORVANEX", "FROM TOP", sz("0")));
    EXPECT_EQ(text().substr(0, 20), "DORVANEX registry 2\n") << "saved in the new format";
    EXPECT_EQ(reg.query("SOFTWARE\\TAVRO\\DORVANEX", "LANGUAGE")->bytes, sz("GB").bytes);
}

TEST_F(FileRegistryTest, UnreadableFileFaultsOnReads) {
    std::filesystem::create_directories(path());  // a folder where the file should be
    FileRegistry reg(path());
    EXPECT_THROW(reg.key_exists("K"), Fault);
    EXPECT_THROW(reg.query("K", "V"), Fault);
    EXPECT_THROW(reg.create_key("K"), Fault);  // a lost write is told once
    EXPECT_FALSE(reg.create_key("K"));
}

// A file larger than a store can be (another file named as the store) is refused
// without being read, and a write that would make the store that large is a lost write.
TEST_F(FileRegistryTest, NoStoreLargerThanItsLimitIsReadOrWritten) {
    const auto huge = dir_ / "huge";
    std::ofstream(huge) << "DORVANEX registry 2\n";
    std::filesystem::resize_file(huge, 4ull << 30);  // sparse: no disk, no memory
    FileRegistry wrong(huge);
    try {
        wrong.query("K", "V");
        ADD_FAILURE() << "not refused";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.text(),
                  "The settings file cannot be read\n" + huge.string() + "\nFile too large");
    }
    EXPECT_EQ(std::filesystem::file_size(huge), 4ull << 30);

    FileRegistry reg(path());
    ASSERT_TRUE(reg.set_values("K", {{"LANGUAGE", sz("GB")}}, false));
    // 23 MB of bytes each escaped to three characters: more than 64 MiB of text.
    const RegValue big{reg_binary, std::vector<std::uint8_t>(23'000'000, 0x01)};
    try {
        reg.set_value("K", "BIG", big);
        ADD_FAILURE() << "not told";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.text(),
                  "The settings file cannot be written\n" + path().string() + "\nFile too large");
    }
    EXPECT_FALSE(reg.set_value("K", "BIG", big));  // told once
    EXPECT_FALSE(reg.query("K", "BIG"));
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("GB").bytes);
    EXPECT_LT(std::filesystem::file_size(path()), 100u);
}

// Missing write access (a settings folder or store the user may not write) stays a
// silent refusal; every other write that does not get through is told once per kind of
// fault, with the store's path and the reason, then refused silently.
TEST_F(FileRegistryTest, OnlyMissingWriteAccessFailsSilently) {
    std::filesystem::create_directories(dir_ / "closed");
    std::filesystem::create_directories(dir_ / "open");
    ::chmod((dir_ / "open").c_str(), 0777);
    {
        FileRegistry reg(dir_ / "open" / "registry");
        ASSERT_TRUE(reg.create_key("K"));
        ::chmod((dir_ / "open" / "registry").c_str(), 0444);
    }
    ::chmod((dir_ / "closed").c_str(), 0555);
    const std::pair<const char*, std::filesystem::path> refused[] = {
        {"folder that refuses the store", dir_ / "closed" / "registry"},
        {"folder that refuses its own folder", dir_ / "closed" / "cfg" / "registry"},
        {"read-only store", dir_ / "open" / "registry"},
    };
    for (const auto& [name, path] : refused) {
        SCOPED_TRACE(name);
        const std::filesystem::path& file = path;  // a lambda captures no structured binding
        const int code = testing::as_plain_user([&] {
            FileRegistry reg(file);
            if (reg.create_key("K2")) return 1;
            if (reg.set_value("K", "V", sz("x"))) return 1;
            return 0;
        });
        EXPECT_EQ(code, 0) << "1 written, 101 told";
    }

    // A plain file where the store's folder should be: told once, then silent.
    std::ofstream(dir_ / "plainfile") << "x";
    FileRegistry reg(dir_ / "plainfile" / "registry");
    EXPECT_FALSE(reg.key_exists("K"));
    try {
        reg.create_key("K");
        ADD_FAILURE() << "not told";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.text().rfind(
                      "The settings file cannot be written\n" + (dir_ / "plainfile").string(), 0),
                  0u)
            << fault.text();
    }
    EXPECT_FALSE(reg.create_key("K"));
    EXPECT_FALSE(reg.set_value("K", "V", sz("x")));
}

// A full disk: the first lost write is told with the reason and the path, later ones of
// the same kind are not; the store keeps what it held.
TEST_F(FileRegistryTest, AFullDiskIsToldOnce) {
    const testing::SmallFileSystem small(dir_ / "small", 64);
    if (!small.mounted()) GTEST_SKIP() << "this test may not mount a small file system";
    const auto file = dir_ / "small" / "registry";
    FileRegistry reg(file);
    ASSERT_TRUE(reg.create_key("K"));
    ASSERT_TRUE(reg.set_value("K", "LANGUAGE", sz("GB")));
    const RegValue big{reg_sz, std::vector<std::uint8_t>(40 * 1024, 0x01)};  // 120 KB escaped
    try {
        reg.set_value("K", "BIG", big);
        ADD_FAILURE() << "not told";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.text(), "The settings file cannot be written\nDisk full\n" + file.string());
    }
    EXPECT_FALSE(reg.set_value("K", "BIG", big));
    // Nor once more when the program has changed its language meanwhile.
    set_fault_language(FaultLanguage::german);
    EXPECT_FALSE(reg.set_value("K", "BIG", big));
    set_fault_language(FaultLanguage::english);
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("GB").bytes);
    EXPECT_FALSE(reg.query("K", "BIG"));
    FileRegistry next(file);
    EXPECT_EQ(next.query("K", "LANGUAGE")->bytes, sz("GB").bytes);
}

// The store kept elsewhere through a link: saves write the file it names, the link stays.
TEST_F(FileRegistryTest, AStoreBehindALinkStaysBehindIt) {
    std::filesystem::create_directories(dir_ / "share");
    std::filesystem::create_directories(path().parent_path());
    std::filesystem::create_symlink("../share/registry", path());
    FileRegistry reg(path());
    ASSERT_TRUE(reg.create_key("K"));
    ASSERT_TRUE(reg.set_value("K", "LANGUAGE", sz("NL")));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(path())));
    EXPECT_EQ(FileRegistry(dir_ / "share" / "registry").query("K", "LANGUAGE")->bytes,
              sz("NL").bytes);
}

// The parsed store is used again only while the file is the same: another instance's
// save (a new file of the same size) and an edit in place are both seen.
TEST_F(FileRegistryTest, AChangedFileIsReadAgain) {
    FileRegistry reg(path());
    ASSERT_TRUE(reg.create_key("K"));
    ASSERT_TRUE(reg.set_value("K", "LANGUAGE", sz("GB")));
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("GB").bytes);
    FileRegistry other(path());
    ASSERT_TRUE(other.set_value("K", "LANGUAGE", sz("NL")));  // same size, a new file
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("NL").bytes);

    std::string edited = text();
    edited.replace(edited.find("NL%00"), 5, "DE%00");
    {
        std::fstream in_place(path(), std::ios::in | std::ios::out | std::ios::binary);
        in_place << edited;
    }
    timespec later[2] = {{0, UTIME_OMIT}, {2'000'000'000, 0}};
    ::utimensat(AT_FDCWD, path().c_str(), later, 0);
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("DE").bytes);
    // A write starts from the file as it is now, not from the store parsed before.
    ASSERT_TRUE(reg.set_value("K", "FROM TOP", sz("5")));
    EXPECT_EQ(other.query("K", "LANGUAGE")->bytes, sz("DE").bytes);
}

// An edit that leaves the file with the size and the modification time it had when it
// was parsed (a file system with coarse timestamps, two saves within one tick) is seen
// while that time lies within settled_after of the parse: the bytes are read again.
TEST_F(FileRegistryTest, AnEditWithinOneTimestampTickIsSeen) {
    FileRegistry reg(path());
    ASSERT_TRUE(reg.set_values("K", {{"LANGUAGE", sz("GB")}}, false));
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("GB").bytes);
    struct stat before {};
    ASSERT_EQ(::stat(path().c_str(), &before), 0);
    std::string edited = text();
    edited.replace(edited.find("GB%00"), 5, "NL%00");
    {
        std::fstream in_place(path(), std::ios::in | std::ios::out | std::ios::binary);
        in_place << edited;
    }
    const timespec same[2] = {{0, UTIME_OMIT}, before.st_mtim};
    ::utimensat(AT_FDCWD, path().c_str(), same, 0);
    EXPECT_EQ(reg.query("K", "LANGUAGE")->bytes, sz("NL").bytes);
    ASSERT_TRUE(reg.set_value("K", "FROM TOP", sz("5")));
    EXPECT_EQ(FileRegistry(path()).query("K", "LANGUAGE")->bytes, sz("NL").bytes);
}

// The same on a file system whose timestamps have whole seconds, as it happens: another
// instance saves twice within one second, its second temporary file gets the inode the
// first rename freed, and the store has the identity, size and time this instance
// parsed. This instance reads the other's values and writes none of its old ones back.
TEST_F(FileRegistryTest, TwoSavesOfAnotherInstanceWithinOneSecondAreSeen) {
    const testing::OneSecondFileSystem coarse(dir_ / "ext4");
    if (!coarse.mounted()) GTEST_SKIP() << "this test may not mount an ext4 image";
    const auto file = dir_ / "ext4" / "registry";
    const auto seen = [&] {
        struct stat st {};
        ::stat(file.c_str(), &st);
        return std::tuple(st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    };
    FileRegistry mine(file);
    ASSERT_TRUE(mine.set_values("K", {{"A", sz("0")}, {"B", sz("0")}, {"C", sz("0")}}, false));
    int looked_the_same = 0;
    for (int round = 1; round <= 10; ++round) {
        SCOPED_TRACE(round);
        const std::string digit = std::to_string(round % 10);
        ASSERT_TRUE(mine.query("K", "A"));  // this instance's parse
        const auto parsed = seen();
        const int code = testing::run_together(1, [&](int) {
            FileRegistry theirs(file);
            return theirs.set_value("K", "A", sz(digit)) && theirs.set_value("K", "B", sz(digit))
                       ? 0
                       : 1;
        })[0];
        ASSERT_EQ(code, 0);
        if (seen() == parsed) ++looked_the_same;
        EXPECT_EQ(mine.query("K", "A")->bytes, sz(digit).bytes);
        ASSERT_TRUE(mine.set_value("K", "C", sz(digit)));
        FileRegistry next(file);
        for (const char* name : {"A", "B", "C"}) EXPECT_EQ(next.query("K", name)->bytes, sz(digit).bytes) << name;
    }
    // Else this file system did not show the case this test is about.
    EXPECT_GT(looked_the_same, 0);
}

// "Only when missing" is decided under the lock: of instances writing the same names
// at once, the first value of each stays; no later one replaces it.
TEST_F(FileRegistryTest, OnlyWhenMissingKeepsTheFirstValueAgainstOtherInstances) {
    const auto file = path();
    constexpr int writers = 4, names = 40;
    ASSERT_TRUE(FileRegistry(file).create_key("K"));
    const auto codes = testing::run_together(writers, [&](int who) {
        FileRegistry reg(file, std::chrono::minutes(1));
        std::vector<std::vector<std::uint8_t>> seen;
        for (int n = 0; n < names; ++n) {
            const std::string name = "KRV FACTORY SETTINGS " + std::to_string(n);
            if (!reg.set_values("K", {{name, sz("W" + std::to_string(who))}}, true)) return 2;
            const auto now = reg.query("K", name);
            if (!now) return 3;
            seen.push_back(now->bytes);
        }
        for (int n = 0; n < names; ++n)
            if (reg.query("K", "KRV FACTORY SETTINGS " + std::to_string(n))->bytes != seen[n])
                return 4;  // replaced after this writer saw it
        return 0;
    });
    EXPECT_EQ(codes, std::vector<int>(writers, 0)) << "4: a first value was replaced";
}

TEST_F(FileRegistryTest, RandomTextsNeverCrashAndStoresRoundTrip) {
    std::mt19937 rng(99);
    auto bytes = [&](std::size_t max) {
        std::string s;
        const std::size_t n = rng() % max;
        for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(rng() & 0xFF);
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        FileRegistry::Store store;
        for (int k = 0; k < 3; ++k)
            for (int v = 0; v < 3; ++v) {
                const std::string b = bytes(20);
                store[bytes(8)][bytes(8)] = {static_cast<RegType>(rng()), {b.begin(), b.end()}};
            }
        const std::string t = FileRegistry::format(store);
        const auto back = FileRegistry::parse(t);
        ASSERT_TRUE(back);
        ASSERT_EQ(back->size(), store.size());
        for (const auto& [key, values] : store)
            for (const auto& [name, v] : values) {
                const auto& got = back->at(key).at(name);
                ASSERT_EQ(got.type, v.type);
                ASSERT_EQ(got.bytes, v.bytes);
            }
        // Damaged copies of a good text parse or are refused, never crash.
        std::string damaged = t;
        damaged[rng() % damaged.size()] = static_cast<char>(rng() & 0xFF);
        (void)FileRegistry::parse(damaged);
        (void)FileRegistry::parse(damaged.substr(0, rng() % damaged.size()));
        (void)FileRegistry::parse("DORVANEX registry 1\n" + bytes(200));
    }
}

TEST(FileRegistryPath, FollowsTheConfigFolder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/dvx-xdg", 1);
    EXPECT_EQ(FileRegistry::default_path(),
              std::filesystem::path("/tmp/dvx-xdg/dorvanex/registry"));
    if (old)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace dvx::platform

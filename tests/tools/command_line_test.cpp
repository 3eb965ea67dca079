// What the programs and scripts say to their command line, run as real processes:
// --help prints the usage on stdout and ends with 0; a wrong argument names itself on
// stderr and ends with 2, before anything is installed, built or started. The scripts
// run with a PATH that has only bash and dirname, so one that went on past its options
// would fail at once instead of installing or building.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/locales.h"

namespace dvx::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code = -1;
    std::string out, err;
};

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("dvx-cli-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bin");
        for (const char* tool : {"bash", "dirname"})
            fs::create_symlink(fs::path("/usr/bin") / tool, dir_ / "bin" / tool);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string read(const fs::path& p) {
        std::ifstream in(p);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    // A started run: its process and the files its output goes to.
    struct Started {
        pid_t pid = 0;  // 0: not started
        fs::path out, err;
    };

    // Runs `args` in the test's folder with stdin from /dev/null; a run that hangs (a
    // program that went on to start) is ended after 20 s by timeout(1).
    Outcome run(const std::vector<std::string>& args) { return finish(start(args, 0)); }

    // Starts `args` as run does, its output in files of its own (`tag`), so that several
    // runs can go at once.
    Started start(const std::vector<std::string>& args, int tag) {
        std::vector<std::string> full = {"/usr/bin/timeout", "20"};
        full.insert(full.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : full) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string path = "PATH=" + (dir_ / "bin").string();
        std::string home = "HOME=" + dir_.string();
        std::string platform = "QT_QPA_PLATFORM=offscreen";
        char* envp[] = {path.data(), home.data(), platform.data(), nullptr};
        Started st;
        st.out = dir_ / ("out-" + std::to_string(tag) + ".txt");
        st.err = dir_ / ("err-" + std::to_string(tag) + ".txt");
        const fs::path& out = st.out;
        const fs::path& err = st.err;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned == 0) st.pid = pid;
        return st;
    }

    static Outcome finish(const Started& st) {
        Outcome r;
        if (st.pid == 0) return r;
        int status = 0;
        ::waitpid(st.pid, &status, 0);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = read(st.out);
        r.err = read(st.err);
        return r;
    }

    fs::path dir_;
};

struct Case {
    std::vector<std::string> args;
    int code;
    std::string says;  // on stdout for exit code 0, on stderr otherwise
};

void check(const Case& c, const Outcome& r) {
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    EXPECT_EQ(r.code, c.code) << "stdout: " << r.out << "\nstderr: " << r.err;
    const std::string& where = c.code == 0 ? r.out : r.err;
    EXPECT_NE(where.find(c.says), std::string::npos) << where;
    EXPECT_TRUE(is_utf8(r.out)) << r.out;
    EXPECT_TRUE(is_utf8(r.err)) << r.err;
    if (c.code == 0)
        EXPECT_EQ(r.err, "");
    else
        EXPECT_EQ(r.out, "");
}

TEST_F(CommandLine, ProgramsAnswerHelpAndNameAWrongArgument) {
    const std::string app = DVX_EXE, sim = DVX_SIM_PROGRAM;
    const std::string folder = dir_.string(), missing = (dir_ / "none.preset").string();
    const std::string link = (dir_ / "bus").string();
    std::vector<Case> cases = {
        {{app, "--help"}, 0, "Usage: dorvanex [--simulate]"},
        {{app, "-h"}, 0, "--preset [COMn=]FILE"},
        {{app, "--help"}, 0, "\n  DORVANEX_REGISTRY "},
        {{app, "--help"}, 0, "\n  DORVANEX_COM<n> "},
        {{app, "--help"}, 0, "\n  DORVANEX_PRINT_PDF "},
        {{app, "--help"}, 0, "\n  $XDG_CONFIG_HOME/dorvanex/ports.conf\n"},
        {{app, "--help"}, 0, "\nLanguage: German, English or Dutch, the LANGUAGE value"},
        {{app, "--version"}, 0, "dorvanex " DVX_VERSION "\n"},
        {{app, "--simulate", "--version"}, 0, "dorvanex " DVX_VERSION "\n"},
        {{app, "--bogus"}, 2, "dorvanex: unknown option --bogus\nUsage: dorvanex"},
        {{app, "stray"}, 2, "dorvanex: unexpected argument stray\n"},
        {{app, "--simulate", "--bogus", "--help"}, 2, "unknown option --bogus"},
        {{app, "--preset", "COM99=x"}, 2, "dorvanex: no such port COM99\n"},
        {{app, "--preset", "COMx=a.preset"}, 2, "dorvanex: no such port COMx\n"},
        {{app, "--preset", "COM2="}, 2, "dorvanex: --preset COM2= names no file\n"},
        {{app, "--preset"}, 2, "dorvanex: --preset needs a file"},
        {{app, "--preset", "a", "--preset", "COM1=b"}, 2, "dorvanex: two presets for COM1\n"},
        {{app, "--screenshot"}, 2, "dorvanex: --screenshot needs a file\n"},
        {{app, "--preset", missing}, 2,
         "dorvanex: cannot read preset file " + missing + ": No such file or directory\n"},
        {{app, "--preset", "COM3=" + folder}, 2,
         "dorvanex: cannot read preset file " + folder + ": Is a directory\n"},
        {{sim, "--help"}, 0, "Usage: dorvanex-sim --pty PATH"},
        {{sim, "--version"}, 0, "dorvanex-sim " DVX_VERSION "\n"},
        {{sim, "--bogus"}, 2, "dorvanex-sim: unknown option --bogus\nUsage: dorvanex-sim"},
        {{sim}, 2, "dorvanex-sim: --pty PATH is required\n"},
        {{sim, "--pty"}, 2, "dorvanex-sim: --pty needs a path\n"},
        {{sim, "--pty", link, "--bus-mode", "3"}, 2, "dorvanex-sim: --bus-mode takes 0, 1 or 2\n"},
        {{sim, "--pty", link, "--preset", missing}, 2,
         "dorvanex-sim: cannot read preset file " + missing + ": No such file or directory\n"},
        {{DVX_BENCH_APP, "--help"}, 0, "Usage: dorvanex_bench [PROGRAM]"},
        {{DVX_BENCH_APP, "--bogus"}, 2, "dorvanex_bench: unknown option --bogus\n"},
        {{DVX_BENCH_APP, missing}, 2,
         "dorvanex_bench: cannot run " + missing + ": No such file or directory\n"},
        {{DVX_BENCH_READ, "--help"}, 0, "Usage: read_program_bench"},
        {{DVX_BENCH_READ, "--bogus"}, 2, "read_program_bench: unknown option --bogus\n"},
        {{DVX_BENCH_LINK, "--help"}, 0, "Usage: link_bench [ROUNDS]"},
        {{DVX_BENCH_LINK, "--bogus"}, 2, "link_bench: unknown option --bogus\n"},
        {{DVX_BENCH_LINK, "0"}, 2, "link_bench: not a number of rounds from 1 to 1000000: 0\n"},
        {{DVX_BENCH_LINK, "20x"}, 2, "link_bench: not a number of rounds from 1 to 1000000: 20x\n"},
        // One rule everywhere: a wrong argument anywhere wins over --help and --version.
        {{app, "--help", "--bogus"}, 2, "dorvanex: unknown option --bogus\n"},
        {{sim, "--version", "stray"}, 2, "dorvanex-sim: unexpected argument stray\n"},
        {{sim, "--pty", link, "--pty", link}, 2, "dorvanex-sim: --pty given twice\n"},
        {{app, "--screenshot", "a.png", "--screenshot", "b.png"}, 2,
         "dorvanex: --screenshot given twice\n"},
        // What a value means is checked once the line is sound and asks for no usage.
        {{app, "--preset", "COM99=x", "--help"}, 0, "Usage: dorvanex [--simulate]"},
        {{sim, "--bus-mode", "7", "--version"}, 0, "dorvanex-sim " DVX_VERSION "\n"},
        {{DVX_BENCH_APP, "--version"}, 0, "dorvanex_bench " DVX_VERSION "\n"},
        {{DVX_BENCH_READ, "--version"}, 0, "read_program_bench " DVX_VERSION "\n"},
        {{DVX_BENCH_READ, "stray"}, 2, "read_program_bench: unexpected argument stray\n"},
        {{DVX_BENCH_LINK, "--version"}, 0, "link_bench " DVX_VERSION "\n"},
        {{DVX_BENCH_LINK, "5", "6"}, 2, "link_bench: unexpected argument 6\n"},
        {{DVX_BENCH_REGISTRY, "--help"}, 0, "Usage: registry_bench [FOLDER]"},
        {{DVX_BENCH_REGISTRY, "--version"}, 0, "registry_bench " DVX_VERSION "\n"},
        {{DVX_BENCH_REGISTRY, "--bogus"}, 2, "registry_bench: unknown option --bogus\nUsage: "},
        {{DVX_BENCH_REGISTRY, folder, "more"}, 2, "registry_bench: unexpected argument more\n"},
        // Whatever the arguments hold, the terminal gets UTF-8: a name as given, a byte
        // that is no UTF-8 as "?".
        {{app, "--bogus\xFC"}, 2, "dorvanex: unknown option --bogus?\n"},
        {{app, "--preset", folder + "/Prüf.preset"}, 2,
         "dorvanex: cannot read preset file " + folder + "/Prüf.preset: No such file or directory\n"},
        {{app, "--preset", folder + "/Pr\xFC.preset"}, 2,
         "dorvanex: cannot read preset file " + folder + "/Pr?.preset: No such file or directory\n"},
        {{sim, "--pty", link, "--preset", folder + "/Zakład\xFC.preset"}, 2,
         "dorvanex-sim: cannot read preset file " + folder +
             "/Zakład?.preset: No such file or directory\n"},
        {{DVX_BENCH_REGISTRY, "--bogus\xFC"}, 2, "registry_bench: unknown option --bogus?\n"},
    };
#ifdef DVX_BENCH_UI  // Google Benchmark's own flags
    cases.push_back({{DVX_BENCH_UI, "--help"}, 0, "--benchmark_filter"});
    cases.push_back({{DVX_BENCH_UI, "--bogus"}, 2, "unrecognized command-line flag: --bogus\n"});
#endif
    // Every run refuses or answers before it does anything, so they all go at once.
    std::vector<Started> started;
    for (std::size_t i = 0; i < cases.size(); ++i)
        started.push_back(start(cases[i].args, static_cast<int>(i)));
    for (std::size_t i = 0; i < cases.size(); ++i) check(cases[i], finish(started[i]));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "a refused start leaves no link";
}

// An install into a prefix of its own: the program with its desktop entry and both
// icons, the PNG a real 64-pixel picture, and the simulator program, which runs.
TEST_F(CommandLine, InstallPutsTheIconsAndTheSimulatorInPlace) {
    const fs::path prefix = dir_ / "prefix";
    const Outcome r = run({DVX_CMAKE, "--install", DVX_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    std::vector<std::string> installed;
    for (const auto& e : fs::recursive_directory_iterator(prefix))
        if (e.is_regular_file()) installed.push_back(fs::relative(e.path(), prefix).string());
    std::sort(installed.begin(), installed.end());
    const std::vector<std::string> expected = {
        "bin/dorvanex",
        "bin/dorvanex-sim",
        "share/applications/dorvanex.desktop",
        "share/icons/hicolor/64x64/apps/dorvanex.png",
        "share/icons/hicolor/scalable/apps/dorvanex.svg",
    };
    EXPECT_EQ(installed, expected);

    // PNG signature, then the IHDR chunk's width and height.
    std::ifstream png(prefix / "share/icons/hicolor/64x64/apps/dorvanex.png", std::ios::binary);
    unsigned char head[24] = {};
    png.read(reinterpret_cast<char*>(head), sizeof head);
    ASSERT_EQ(png.gcount(), 24);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(head) + 1, 3), "PNG");
    const auto be32 = [&](int at) {
        return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3];
    };
    EXPECT_EQ(be32(16), 64);
    EXPECT_EQ(be32(20), 64);

    check({{(prefix / "bin/dorvanex-sim").string(), "--version"}, 0, "dorvanex-sim " DVX_VERSION},
          run({(prefix / "bin/dorvanex-sim").string(), "--version"}));
}

// Run from another folder, as a newcomer may; none of these installs or builds.
TEST_F(CommandLine, ScriptsAnswerHelpAndNameAWrongArgument) {
    const fs::path src = DVX_SOURCE_DIR;
    std::vector<Case> cases;
    for (const char* script :
         {"tools/run.sh", "tools/test.sh", "tools/clang-build.sh", "tools/install-deps.sh", ".ci/run"}) {
        const std::string path = (src / script).string();
        const std::string name = fs::path(script).filename() == "run" ? ".ci/run"
                                                                      : fs::path(script).filename().string();
        cases.push_back({{path, "--help"}, 0, "Usage: " + std::string(script)});
        cases.push_back({{path, "--bogus"}, 2, name + ": unknown option --bogus\nUsage: "});
        cases.push_back({{path, "stray"}, 2, name + ": unexpected argument stray\n"});
    }
    const std::string run_sh = (src / "tools/run.sh").string();
    // Its own options in any order: --no-install after --bus is its own, not dorvanex's.
    cases.push_back({{run_sh, "--bus", "hzl", "--no-install", "--bogus"}, 2,
                     "run.sh: unknown option --bogus\n"});
    cases.push_back({{run_sh, "--no-install", "--bus", "hzl4"}, 2,
                     "run.sh: --bus takes direct, hzl or hzl3\n"});
    cases.push_back({{run_sh, "--bus"}, 2, "run.sh: --bus takes direct, hzl or hzl3\n"});
    cases.push_back({{run_sh, "--no-install", "--preset"}, 2, "run.sh: --preset needs a file\n"});
    for (const Case& c : cases) check(c, run(c.args));
}

}  // namespace
}  // namespace dvx::testing

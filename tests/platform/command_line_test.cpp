// The shared command-line parser on a program of its own: a flag, a value that may be
// repeated, one that may not, and one argument that is no option.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace dvx::platform {
namespace {

// clang-format off
constexpr Option options[] = {
    // name       short  value  repeats  a missing value
    {"--simulate", "-s", false, false,   ""},
    {"--preset",   "",   true,  true,    "--preset needs a file"},
    {"--pty",      "",   true,  false,   ""},
};
// clang-format on
constexpr Program program{
    "prog", "1.0", "Usage: prog [--simulate] [--preset FILE]... [--pty PATH] [N]\n", options, 1};

CommandLine parse_args(std::vector<std::string> args) {
    std::vector<const char*> argv{"/some/where/prog"};
    for (const auto& a : args) argv.push_back(a.c_str());
    return parse(program, static_cast<int>(argv.size()), argv.data());
}

using Given = std::map<std::string, std::vector<std::string>>;
using Args = std::vector<std::string>;

TEST(CommandLineParser, ReadsASoundLine) {
    struct Case {
        const char* name;
        Args args;
        bool help, version;
        Given given;
        Args arguments;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, false, false, {}, {}},
        {"a flag", {"--simulate"}, false, false, {{"--simulate", {""}}}, {}},
        {"a flag by its short name", {"-s"}, false, false, {{"--simulate", {""}}}, {}},
        {"a flag twice says it again", {"--simulate", "-s"}, false, false,
         {{"--simulate", {"", ""}}}, {}},
        {"a value", {"--pty", "/tmp/bus"}, false, false, {{"--pty", {"/tmp/bus"}}}, {}},
        {"a value that looks like an option is the value", {"--pty", "--help"}, false, false,
         {{"--pty", {"--help"}}}, {}},
        {"a repeatable value, in order", {"--preset", "a", "--simulate", "--preset", "COM2=b"},
         false, false, {{"--preset", {"a", "COM2=b"}}, {"--simulate", {""}}}, {}},
        {"an argument", {"200"}, false, false, {}, {"200"}},
        {"a negative number is an argument", {"-5"}, false, false, {}, {"-5"}},
        {"a lone dash is an argument", {"-"}, false, false, {}, {"-"}},
        {"an argument among options", {"--simulate", "7", "--pty", "p"}, false, false,
         {{"--simulate", {""}}, {"--pty", {"p"}}}, {"7"}},
        {"--help", {"--help"}, true, false, {{"--help", {""}}}, {}},
        {"-h", {"-h"}, true, false, {{"--help", {""}}}, {}},
        {"--version after an option", {"--simulate", "--version"}, false, true,
         {{"--simulate", {""}}, {"--version", {""}}}, {}},
        {"both", {"--version", "-h"}, true, true, {{"--help", {""}}, {"--version", {""}}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLine line = parse_args(c.args);
        EXPECT_EQ(line.wrong, "");
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
        EXPECT_EQ(Given(line.given.begin(), line.given.end()), c.given);
        EXPECT_EQ(line.arguments, c.arguments);
    }
}

TEST(CommandLineParser, NamesTheFirstWrongArgument) {
    struct Case {
        const char* name;
        Args args;
        std::string wrong;
    };
    const std::vector<Case> cases = {
        {"an unknown option", {"--bogus"}, "unknown option --bogus"},
        {"an unknown short option", {"-x"}, "unknown option -x"},
        {"no value joined with =", {"--pty=p"}, "unknown option --pty=p"},
        {"an unknown option before --help", {"--simulate", "--bogus", "--help"},
         "unknown option --bogus"},
        {"an unknown option after --help", {"--help", "--bogus"}, "unknown option --bogus"},
        {"an unknown option after --version", {"--version", "--bogus"}, "unknown option --bogus"},
        {"the first of several", {"--bogus", "stray", "more"}, "unknown option --bogus"},
        {"one argument too many", {"1", "2"}, "unexpected argument 2"},
        {"one too many before an unknown option", {"1", "2", "--bogus"}, "unexpected argument 2"},
        {"a missing value, its own text", {"--preset"}, "--preset needs a file"},
        {"an empty value is missing", {"--preset", "", "--help"}, "--preset needs a file"},
        {"a missing value, the default text", {"--simulate", "--pty"}, "--pty needs a value"},
        {"a value that may not repeat", {"--pty", "a", "--pty", "b"}, "--pty given twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parse_args(c.args).wrong, c.wrong);
    }
}

TEST(CommandLineParser, GivesValuesByName) {
    const CommandLine line = parse_args({"--preset", "a", "--pty", "p", "--preset", "b"});
    EXPECT_TRUE(line.has("--pty"));
    EXPECT_FALSE(line.has("--simulate"));
    EXPECT_EQ(line.value("--pty"), "p");
    EXPECT_EQ(line.value("--simulate"), "");
    EXPECT_EQ(line.values("--preset"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(line.values("--simulate").empty());
}

// What the program ends with, on which stream.
TEST(CommandLineParser, AnswersAWrongArgumentThenHelpThenVersion) {
    const std::string usage(program.usage);
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::optional<int> code;
        std::string out, err;
    };
    const std::vector<Row> rows = {
        {"a wrong argument wins over --help", {"--help", "--bogus"}, 2, "",
         "prog: unknown option --bogus\n" + usage},
        {"a wrong argument wins over --version", {"--version", "stray", "more"}, 2, "",
         "prog: unexpected argument more\n" + usage},
        {"--help wins over --version", {"--version", "--help"}, 0, usage, ""},
        {"--version", {"-s", "--version"}, 0, "prog 1.0\n", ""},
        {"the program goes on", {"-s", "3"}, std::nullopt, "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const CommandLine line = parse_args(r.args);
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const std::optional<int> code = answer(program, line);
        std::fflush(nullptr);
        const std::string err = ::testing::internal::GetCapturedStderr();
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(code, r.code);
        EXPECT_EQ(out, r.out);
        EXPECT_EQ(err, r.err);
    }
}

TEST(CommandLineParser, RefusesAValueTheProgramFoundWrong) {
    ::testing::internal::CaptureStderr();
    const int code = refuse(program, "no such port COM99");
    std::fflush(nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "prog: no such port COM99\n" + std::string(program.usage));
    EXPECT_EQ(code, 2);
}

}  // namespace
}  // namespace dvx::platform

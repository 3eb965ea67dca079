// The command line of every program: its options from a table, a few arguments that are
// no option, and one rule for how it ends early. The first wrong argument (an unknown
// option, a missing value, one argument too many) is named on stderr with the usage, exit
// code 2; else --help (-h) prints the usage on stdout, exit code 0; else --version prints
// "<program> <version>", exit code 0. What a value means (a port, a range, a file) each
// program checks itself afterwards, on the values parsed here.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dvx::platform {

// One row of a program's table of options; every column is given.
struct Option {
    std::string_view name;        // "--preset"
    std::string_view short_name;  // "-p", or empty
    bool takes_value;             // the next argument, whatever it looks like
    bool repeatable;              // a value given more than once; a flag may always repeat
    std::string_view missing;     // the text for a missing or empty value, or empty for
                                  // "<name> needs a value"
};

struct Program {
    std::string_view name;  // as it names itself in its messages
    std::string_view version;
    std::string_view usage;           // the whole text of --help, ending in a newline
    std::span<const Option> options;  // --help, -h and --version come with every program
    std::size_t arguments;            // at most this many arguments that are no option
};

// What a command line said. `wrong` is empty when it is sound.
struct CommandLine {
    bool help = false;
    bool version = false;
    std::string wrong;                   // what is wrong with the first wrong argument
    std::vector<std::string> arguments;  // those that are no option, in order

    bool has(std::string_view option) const { return given.find(option) != given.end(); }
    // The value of an option that takes one; empty when it was not given.
    std::string value(std::string_view option) const;
    // Every value of a repeatable option, in the order given.
    const std::vector<std::string>& values(std::string_view option) const;

    std::map<std::string, std::vector<std::string>, std::less<>> given;  // option -> values
};

// argv[0] is the program's own path and not looked at. An argument is an option when it
// starts with "-" and a character that is no digit: "-5" and "-" are arguments.
CommandLine parse(const Program& program, int argc, const char* const* argv);

// Where the command line ends the program before it starts: writes what the rule above
// says and gives the exit code; nothing when the program goes on.
std::optional<int> answer(const Program& program, const CommandLine& line);

// A wrong argument the program found in a value: "<program>: <why>" and the usage on
// stderr; gives 2, the exit code of a wrong argument.
int refuse(const Program& program, std::string_view why);

}  // namespace dvx::platform

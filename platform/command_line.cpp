#include "platform/command_line.h"

#include <cstdio>

#include "platform/cp1252.h"

namespace dvx::platform {

namespace {

constexpr Option help_option{"--help", "-h", false, false, ""};
constexpr Option version_option{"--version", "", false, false, ""};

bool names(const Option& o, std::string_view arg) {
    return arg == o.name || (!o.short_name.empty() && arg == o.short_name);
}

const Option* find(const Program& program, std::string_view arg) {
    for (const Option* o : {&help_option, &version_option})
        if (names(*o, arg)) return o;
    for (const Option& o : program.options)
        if (names(o, arg)) return &o;
    return nullptr;
}

bool is_option(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && (arg[1] < '0' || arg[1] > '9');
}

// What is written holds the arguments as the system gave them; the terminal gets UTF-8.
void put(std::FILE* to, std::string_view text) {
    const std::string utf8 = system_to_utf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), to);
}

// Reads the arguments until the first wrong one and says what is wrong with it.
std::string scan(const Program& program, int argc, const char* const* argv, CommandLine& line) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!is_option(arg)) {
            if (line.arguments.size() == program.arguments)
                return "unexpected argument " + std::string(arg);
            line.arguments.emplace_back(arg);
            continue;
        }
        const Option* o = find(program, arg);
        if (!o) return "unknown option " + std::string(arg);
        if (o == &help_option) line.help = true;
        if (o == &version_option) line.version = true;
        auto& values = line.given[std::string(o->name)];
        if (!o->takes_value) {
            values.emplace_back();
            continue;
        }
        if (i + 1 == argc || !*argv[i + 1])
            return o->missing.empty() ? std::string(o->name) + " needs a value"
                                      : std::string(o->missing);
        if (!values.empty() && !o->repeatable) return std::string(o->name) + " given twice";
        values.emplace_back(argv[++i]);
    }
    return {};
}

}  // namespace

std::string CommandLine::value(std::string_view option) const {
    const auto& v = values(option);
    return v.empty() ? std::string() : v.back();
}

const std::vector<std::string>& CommandLine::values(std::string_view option) const {
    static const std::vector<std::string> none;
    const auto it = given.find(option);
    return it == given.end() ? none : it->second;
}

CommandLine parse(const Program& program, int argc, const char* const* argv) {
    CommandLine line;
    line.wrong = scan(program, argc, argv, line);
    return line;
}

std::optional<int> answer(const Program& program, const CommandLine& line) {
    if (!line.wrong.empty()) return refuse(program, line.wrong);
    if (line.help) {
        put(stdout, program.usage);
        return 0;
    }
    if (line.version) {
        put(stdout, std::string(program.name) + " " + std::string(program.version) + "\n");
        return 0;
    }
    return std::nullopt;
}

int refuse(const Program& program, std::string_view why) {
    put(stderr,
        std::string(program.name) + ": " + std::string(why) + "\n" + std::string(program.usage));
    return 2;
}

}  // namespace dvx::platform

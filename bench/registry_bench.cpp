// The settings store with many factory copies: what one settings value costs to read
// (just after a save and later) and to write once the store is large. A plain program
// that prints its figures.
//
//   registry_bench [FOLDER]    (default: $TMPDIR, else /tmp)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "model/reg_settings.h"
#include "platform/command_line.h"
#include "platform/cp1252.h"
#include "platform/file_registry.h"
#include "ui/services.h"

namespace {

using namespace dvx;
using Clock = std::chrono::steady_clock;

constexpr int copies = 3000;
constexpr int words = 140;  // the longest parameter set

std::string factory_copy(int serial) {
    std::string t;
    for (int w = 0; w < words; ++w) {
        if (w) t += '|';
        t += std::to_string((w * 7919 + serial * 31) % 65536 - 32768);
    }
    return t;
}

template <class Step>
double median_ms(int runs, Step step) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        step(i);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

constexpr const char* usage =
    "Usage: registry_bench [FOLDER]\n"
    "What one settings value costs to read and to write in a store of 3000 factory\n"
    "copies, made in FOLDER (default: $TMPDIR, else /tmp) and removed again.\n"
    "  --version   shows the version and ends\n"
    "  -h, --help  shows this text and ends\n";
constexpr platform::Program program{.name = "registry_bench",
                                    .version = DVX_VERSION,
                                    .usage = usage,
                                    .options = {},
                                    .arguments = 1};

}  // namespace

int main(int argc, char** argv) {
    const platform::CommandLine line = platform::parse(program, argc, argv);
    if (const auto code = platform::answer(program, line)) return *code;
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path folder =
        std::filesystem::path(!line.arguments.empty() ? line.arguments[0]
                                                      : (tmp && *tmp ? tmp : "/tmp")) /
        ("dvx-registry-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto file = folder / "registry";
    {
        platform::FileRegistry::Store store;
        auto& values = store[model::reg_key];
        for (int i = 0; i < copies; ++i) {
            const std::string text = factory_copy(i);
            platform::RegValue v{platform::reg_sz, {text.begin(), text.end()}};
            v.bytes.push_back(0);
            values[model::reg_krv_factory + std::to_string(21040000 + i)] = std::move(v);
        }
        platform::FileRegistry seed(file);
        platform::Registry::Values all(values.begin(), values.end());
        seed.set_values(model::reg_key, all, false);
    }
    platform::FileRegistry reg(file);  // the program's one store, as at its start
    ui::services().registry = &reg;
    std::int16_t err = 0;
    const double first = median_ms(1, [&](int) {
        model::reg_get_string(model::hkey_local_machine, model::reg_key, model::reg_language, err);
    });
    // Within settled_after of the last save every read compares the file's bytes with
    // those parsed; once the file is older one look at it is enough.
    const auto read_one = [&](int) {
        model::reg_get_string(model::hkey_local_machine, model::reg_key, model::reg_form_top, err);
    };
    const double read_recent = median_ms(200, read_one);
    std::this_thread::sleep_for(platform::settled_after + std::chrono::milliseconds(100));
    read_one(0);  // confirms the parse once the file has settled
    const double read = median_ms(200, read_one);
    const double write = median_ms(50, [&](int i) {
        model::reg_set_string(model::reg_key, model::reg_form_top, std::to_string(i));
    });
    const double placement = median_ms(50, [&](int i) {
        model::reg_set_strings(model::reg_key, {{model::reg_form_state, "0"},
                                                {model::reg_form_width, std::to_string(10000 + i)},
                                                {model::reg_form_height, "9000"},
                                                {model::reg_form_left, "0"},
                                                {model::reg_form_top, std::to_string(i)}});
    });
    std::printf("store of %d factory copies: %.1f MB in %s\n", copies,
                static_cast<double>(std::filesystem::file_size(file)) / 1e6,
                platform::system_to_utf8(folder.string()).c_str());
    std::printf("first read (parses the file):     %8.3f ms\n", first);
    std::printf("reading one value, saved within 2 s (median of 200): %8.3f ms\n", read_recent);
    std::printf("reading one value, saved before (median of 200):     %8.3f ms\n", read);
    std::printf("writing one value (median of 50):  %8.3f ms\n", write);
    std::printf("writing the placement (median of 50): %8.3f ms\n", placement);
    ui::services().registry = nullptr;
    std::filesystem::remove_all(folder);
    return err;
}

#include "tests/support/locales.h"

#include <iconv.h>
#include <locale.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace dvx::testing {

namespace fs = std::filesystem;

namespace {

bool usable(const std::string& name) {
    const locale_t l = ::newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) return false;
    ::freelocale(l);
    return true;
}

}  // namespace

// The C library keeps a list of a locale's folders that it found through LOCPATH for the
// rest of the process and drops the pointer: no leak of ours. Weak, so a test program's
// own list (which then names it too) wins.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

std::optional<std::string> german_locale(const std::string& charset) {
    const std::string name = "de_DE." + charset;
    {
        // The system's own, looked for without our folder.
        const char* ours = std::getenv("LOCPATH");
        const std::string saved = ours ? ours : "";
        ::unsetenv("LOCPATH");
        const bool system = usable(name);
        if (ours) ::setenv("LOCPATH", saved.c_str(), 1);
        if (system) return name;
    }
    // Made once per build tree (a few seconds of localedef), then kept there. Tests run
    // in parallel, so each makes its own copy aside and the first rename wins. The C
    // library remembers a locale it did not find, so it is looked for only once made.
    const fs::path dir = DVX_TEST_LOCALES;
    std::error_code ec;
    if (!fs::exists(dir / name / "LC_CTYPE", ec)) {
        const fs::path aside = dir / (".new-" + std::to_string(::getpid()));
        fs::create_directories(aside, ec);
        const std::string cmd = "localedef -i de_DE -f '" + charset + "' '" +
                                (aside / name).string() + "' >/dev/null 2>&1";
        // localedef may end non-zero on a mere warning; what it wrote counts.
        (void)std::system(cmd.c_str());
        if (fs::exists(aside / name / "LC_CTYPE", ec)) fs::rename(aside / name, dir / name, ec);
        fs::remove_all(aside, ec);
    }
    ::setenv("LOCPATH", dir.c_str(), 1);
    if (usable(name)) return name;
    ::unsetenv("LOCPATH");
    return std::nullopt;
}

UseLocale::UseLocale(const std::string& name)
    : locale_(::newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0))) {
    if (locale_ != static_cast<locale_t>(0)) old_ = ::uselocale(locale_);
}

UseLocale::~UseLocale() {
    if (locale_ == static_cast<locale_t>(0)) return;
    ::uselocale(old_);
    ::freelocale(locale_);
}

bool is_utf8(std::string_view bytes) {
    const iconv_t cd = ::iconv_open("UTF-8", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in(bytes), out(bytes.size() + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t from_left = in.size(), to_left = out.size();
    const bool whole = ::iconv(cd, &from, &from_left, &to, &to_left) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    return whole && from_left == 0;
}

}  // namespace dvx::testing

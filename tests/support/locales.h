#pragma once
// The system's own texts in a test: a German locale (the language and character set a
// technician's desktop gives the system's reasons in), and a check that bytes are UTF-8.
#include <locale.h>

#include <optional>
#include <string>
#include <string_view>

namespace dvx::testing {

// The name of a German locale in the character set ("UTF-8", "ISO-8859-1"), for
// setlocale and for a child's LC_ALL. The system's own when it has one; else made once
// with localedef into the build tree and found there through LOCPATH, which is then set
// in this process (and so in its children). None where the system has no locale data.
std::optional<std::string> german_locale(const std::string& charset);

// This thread speaks the locale from construction to destruction (the system's reasons
// and the character set come from the thread's locale).
class UseLocale {
  public:
    explicit UseLocale(const std::string& name);
    ~UseLocale();
    UseLocale(const UseLocale&) = delete;
    UseLocale& operator=(const UseLocale&) = delete;
    bool ok() const { return locale_ != static_cast<locale_t>(0); }

  private:
    locale_t locale_;
    locale_t old_ = static_cast<locale_t>(0);
};

// True when the bytes are UTF-8 throughout (checked by iconv, not by our own decoder).
bool is_utf8(std::string_view bytes);

}  // namespace dvx::testing

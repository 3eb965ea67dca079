#include "ui/file_registry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "ui/fault.h"

namespace dvx::ui {

namespace fs = std::filesystem;

namespace {

constexpr const char* header = "DORVANEX registry 1";

bool plain(unsigned char c) {
    return c > 0x20 && c < 0x7F && c != '%';
}

// Written through a pointer into a buffer of the largest size: a store with many
// factory copies is escaped and unescaped at every save.
std::string escape(const std::string& bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out(bytes.size() * 3, '\0');
    char* o = out.data();
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (plain(c)) {
            *o++ = ch;
        } else {
            *o++ = '%';
            *o++ = hex[c >> 4];
            *o++ = hex[c & 15];
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> unescape(const std::string& text) {
    std::string out(text.size(), '\0');
    char* o = out.data();
    const char* p = text.data();
    const char* const end = p + text.size();
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '%') {
            if (end - p < 3) return std::nullopt;
            const int hi = hex_digit(p[1]);
            const int lo = hex_digit(p[2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            *o++ = static_cast<char>(hi * 16 + lo);
            p += 2;
        } else if (plain(c)) {
            *o++ = *p;
        } else {
            return std::nullopt;
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::optional<std::uint32_t> parse_type(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::vector<std::string> split_blanks(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto blank = line.find(' ', start);
        parts.push_back(line.substr(start, blank - start));
        if (blank == std::string::npos) return parts;
        start = blank + 1;
    }
}

}  // namespace

fs::path FileRegistry::default_path() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return fs::path(xdg) / "dorvanex" / "registry";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".config" / "dorvanex" / "registry";
    return "dorvanex-registry";
}

std::string FileRegistry::format(const Store& store) {
    std::string out = std::string(header) + "\n";
    for (const auto& [key, values] : store) {
        out += "key " + escape(key) + "\n";
        for (const auto& [name, v] : values) {
            out += "value ";
            out += escape(name);
            out += ' ';
            out += std::to_string(static_cast<std::uint32_t>(v.type));
            out += ' ';
            out += escape({reinterpret_cast<const char*>(v.bytes.data()), v.bytes.size()});
            out += '\n';
        }
    }
    return out;
}

std::optional<FileRegistry::Store> FileRegistry::parse(const std::string& text) {
    Store store;
    if (text.empty()) return store;  // a fresh, empty file
    std::istringstream in(text);
    std::string line;
    bool first = true;
    std::map<std::string, RegValue>* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            if (line != header) return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const auto parts = split_blanks(line);
        if (parts[0] == "key" && parts.size() == 2) {
            auto key = unescape(parts[1]);
            if (!key) return std::nullopt;
            current = &store[*key];
        } else if (parts[0] == "value" && (parts.size() == 3 || parts.size() == 4) && current) {
            auto name = unescape(parts[1]);
            auto type = parse_type(parts[2]);
            auto bytes = parts.size() == 4 ? unescape(parts[3]) : std::optional<std::string>("");
            if (!name || !type || !bytes) return std::nullopt;
            RegValue v;
            v.type = static_cast<RegType>(*type);
            const auto* b = reinterpret_cast<const std::uint8_t*>(bytes->data());
            v.bytes.assign(b, b + bytes->size());
            (*current)[*name] = std::move(v);
        } else {
            return std::nullopt;
        }
    }
    if (first) return std::nullopt;
    return store;
}

FileRegistry::Store FileRegistry::load() {
    std::error_code ec;
    const auto status = fs::status(file_, ec);
    if (status.type() == fs::file_type::not_found) return {};
    if (ec || status.type() != fs::file_type::regular)
        throw UiFault("The settings file cannot be read");
    std::ifstream in(file_, std::ios::binary);
    if (!in) throw UiFault("The settings file cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw UiFault("The settings file cannot be read");
    auto store = parse(text.str());
    if (!store) throw UiFault("The settings file is damaged");
    return std::move(*store);
}

bool FileRegistry::update(const std::function<Edit(Store&)>& edit) {
    std::error_code ec;
    if (file_.has_parent_path()) {
        fs::create_directories(file_.parent_path(), ec);
        if (ec) return false;
    }
    std::optional<FileLock> lock;
    try {
        lock.emplace(file_, lock_wait_);
    } catch (const FileBusy&) {
        throw UiFault("The settings file is in use by another program");
    } catch (const UiFault&) {
        return false;
    }
    Store store;
    try {
        store = load();
    } catch (const UiFault&) {
        return false;  // never overwrite a file we cannot understand
    }
    switch (edit(store)) {
        case Edit::refuse:
            return false;
        case Edit::keep:
            return true;
        case Edit::save:
            break;
    }
    try {
        replace_file(file_, format(store));
    } catch (const UiFault&) {
        return false;
    }
    return true;
}

bool FileRegistry::key_exists(const std::string& key) {
    return load().count(key) != 0;
}

std::optional<RegValue> FileRegistry::query(const std::string& key, const std::string& name) {
    const Store store = load();
    const auto k = store.find(key);
    if (k == store.end()) return std::nullopt;
    const auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool FileRegistry::create_key(const std::string& key) {
    return update([&](Store& store) {
        if (store.count(key)) return Edit::keep;
        store[key];
        return Edit::save;
    });
}

bool FileRegistry::set_value(const std::string& key, const std::string& name, const RegValue& v) {
    return update([&](Store& store) {
        const auto k = store.find(key);
        if (k == store.end()) return Edit::refuse;
        const auto stored = k->second.find(name);
        if (stored != k->second.end() && stored->second.type == v.type &&
            stored->second.bytes == v.bytes)
            return Edit::keep;  // a placement saved unchanged at every quit costs no flush
        k->second[name] = v;
        return Edit::save;
    });
}

}  // namespace dvx::ui

#include "platform/file_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/fault.h"

namespace dvx::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* header = "DORVANEX registry 2";
constexpr const char* first_header = "DORVANEX registry 1";  // no closing line
constexpr const char* closing = "end";

bool plain(unsigned char c) {
    return c > 0x20 && c < 0x7F && c != '%';
}

// Appended through a pointer into room for the largest size: a store with many factory
// copies is escaped whole at every save.
void append_escaped(std::string& out, const char* bytes, std::size_t n) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const std::size_t start = out.size();
    out.resize(start + n * 3);
    char* o = out.data() + start;
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (plain(c)) {
            *o++ = bytes[i];
        } else {
            *o++ = '%';
            *o++ = hex[c >> 4];
            *o++ = hex[c & 15];
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

void append_escaped(std::string& out, const std::string& bytes) {
    append_escaped(out, bytes.data(), bytes.size());
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
    std::size_t room = 64;
    for (const auto& [key, values] : store) {
        room += key.size() + 8;
        for (const auto& [name, v] : values) room += name.size() + v.bytes.size() + 24;
    }
    std::string out;
    out.reserve(room + room / 8);
    out += header;
    out += '\n';
    for (const auto& [key, values] : store) {
        out += "key ";
        append_escaped(out, key);
        out += '\n';
        for (const auto& [name, v] : values) {
            out += "value ";
            append_escaped(out, name);
            out += ' ';
            out += std::to_string(static_cast<std::uint32_t>(v.type));
            out += ' ';
            append_escaped(out, reinterpret_cast<const char*>(v.bytes.data()), v.bytes.size());
            out += '\n';
        }
    }
    out += closing;
    out += '\n';
    return out;
}

std::optional<FileRegistry::Store> FileRegistry::parse(const std::string& text) {
    Store store;
    if (text.empty()) return store;  // a fresh, empty file
    std::istringstream in(text);
    std::string line;
    bool first = true;
    bool needs_end = false;  // the second format ends with its closing line
    bool ended = false;
    std::map<std::string, RegValue>* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            if (line == header)
                needs_end = true;
            else if (line != first_header)
                return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        if (ended) return std::nullopt;  // nothing follows the closing line
        if (needs_end && line == closing) {
            ended = true;
            continue;
        }
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
    if (first || needs_end != ended) return std::nullopt;
    return store;
}

namespace {

template <class Seen>
Seen seen_of_stat(const struct stat& s) {
    return Seen{static_cast<std::uint64_t>(s.st_dev), static_cast<std::uint64_t>(s.st_ino),
                static_cast<std::int64_t>(s.st_size), static_cast<std::int64_t>(s.st_mtim.tv_sec),
                static_cast<std::int64_t>(s.st_mtim.tv_nsec)};
}

// A lost write is told once a kind of fault, whatever language its text is in.
std::string told_key(FileFault::Kind kind) {
    return "file " + std::to_string(static_cast<int>(kind));
}

bool no_access(int err) {
    return err == EACCES || err == EPERM || err == EROFS;
}

}  // namespace

bool FileRegistry::unchanged(const Seen& now) const {
    if (!seen_ || !(*seen_ == now)) return false;
    const auto modified = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(now.mtime_s) + std::chrono::nanoseconds(now.mtime_ns)));
    return modified + settled_after < checked_;
}

FileRegistry::Store& FileRegistry::load() {
    const auto cannot_read = [&](int err) {
        seen_.reset();
        return Fault(fault_naming(FaultText::settings_unreadable, file_, system_reason(err)));
    };
    struct stat st {};
    if (::stat(file_.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) throw cannot_read(errno);
        seen_.reset();
        store_.clear();
        return store_;
    }
    if (!S_ISREG(st.st_mode)) throw cannot_read(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    if (unchanged(seen_of_stat<Seen>(st))) return store_;

    // Taken before the open: whatever is written after it bears a later time.
    const auto reading = std::chrono::system_clock::now();
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw cannot_read(errno);
    // The identity of what is read, from the open file itself: a save that renames in
    // between is seen at the next look.
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw cannot_read(err);
    }
    // Never more than the largest store and one byte: a wrong file named as the store
    // (or one that grows while it is read) is refused, not taken into memory.
    if (static_cast<std::size_t>(st.st_size) > store_max_bytes) {
        ::close(fd);
        throw cannot_read(EFBIG);
    }
    constexpr std::size_t room = store_max_bytes + 1;
    std::string text(std::min(static_cast<std::size_t>(st.st_size), store_max_bytes) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == text.size()) {
            if (done == room) break;
            text.resize(std::min(done + 4096, room));
        }
        const auto n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw cannot_read(err);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done > store_max_bytes) throw cannot_read(EFBIG);
    text.resize(done);
    if (seen_ && text == text_) {
        // The bytes parsed last: the parse stands, now confirmed from this moment on.
        seen_ = seen_of_stat<Seen>(st);
        checked_ = reading;
        return store_;
    }
    auto store = parse(text);
    if (!store) {
        seen_.reset();
        throw Fault(fault_naming(FaultText::settings_damaged, file_));
    }
    store_ = std::move(*store);
    text_ = std::move(text);
    seen_ = seen_of_stat<Seen>(st);
    checked_ = reading;
    return store_;
}

bool FileRegistry::lost_write(const std::string& kind, const std::string& text) {
    if (!told_.insert(kind).second) return false;
    throw Fault(text);
}

bool FileRegistry::update(const std::function<Edit(Store&)>& edit) {
    const fs::path target = saved_file(file_);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec && no_access(ec.value())) return false;
        if (ec)
            return lost_write("folder",
                              fault_naming(FaultText::settings_unwritable, target.parent_path(),
                                           system_reason(ec.value())));
    }
    std::optional<FileLock> lock;
    try {
        lock.emplace(target, lock_wait_);
    } catch (const FileBusy&) {
        throw Fault(fault_naming(FaultText::settings_in_use, target));
    } catch (const FileFault& fault) {
        if (fault.kind() == FileFault::Kind::denied) return false;
        return lost_write(told_key(fault.kind()),
                          fault_text(FaultText::settings_unwritable) + "\n" + fault.text());
    }
    Store* store = nullptr;
    try {
        store = &load();
    } catch (const Fault& fault) {
        // Never overwrite a file we cannot understand.
        return lost_write("read", fault.text());
    }
    switch (edit(*store)) {
        case Edit::refuse:
            return false;
        case Edit::keep:
            return true;
        case Edit::save:
            break;
    }
    std::string text = format(*store);
    if (text.size() > store_max_bytes) {
        seen_.reset();  // the parsed store holds the edit the file does not
        return lost_write(
            "size", fault_naming(FaultText::settings_unwritable, target, system_reason(EFBIG)));
    }
    try {
        replace_file(target, text);
    } catch (const FileFault& fault) {
        seen_.reset();
        if (fault.kind() == FileFault::Kind::denied) return false;
        return lost_write(told_key(fault.kind()),
                          fault_text(FaultText::settings_unwritable) + "\n" + fault.text());
    }
    // The parsed store is what the file holds now: take the new file's identity and
    // bytes, so the next read need not parse it again. The lock keeps other saves out
    // until the look below, so the bytes are confirmed as of that moment.
    const auto written = std::chrono::system_clock::now();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        seen_ = seen_of_stat<Seen>(st);
        text_ = std::move(text);
        checked_ = written;
    } else {
        seen_.reset();
    }
    return true;
}

bool FileRegistry::key_exists(const std::string& key) {
    return load().count(key) != 0;
}

std::optional<RegValue> FileRegistry::query(const std::string& key, const std::string& name) {
    const Store& store = load();
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

namespace {

// Sets one value; false when it is already stored so (a placement saved unchanged at
// every quit costs no flush).
bool put(std::map<std::string, RegValue>& values, const std::string& name, const RegValue& v) {
    const auto stored = values.find(name);
    if (stored != values.end() && stored->second.type == v.type && stored->second.bytes == v.bytes)
        return false;
    values[name] = v;
    return true;
}

}  // namespace

bool FileRegistry::set_value(const std::string& key, const std::string& name, const RegValue& v) {
    return update([&](Store& store) {
        const auto k = store.find(key);
        if (k == store.end()) return Edit::refuse;
        return put(k->second, name, v) ? Edit::save : Edit::keep;
    });
}

bool FileRegistry::set_values(const std::string& key, const Values& values,
                              bool only_when_missing) {
    return update([&](Store& store) {
        bool changed = store.count(key) == 0;
        auto& stored = store[key];
        for (const auto& [name, v] : values) {
            if (only_when_missing) {
                const auto now = stored.find(name);
                if (now != stored.end() && holds_text(now->second)) continue;
            }
            changed = put(stored, name, v) || changed;
        }
        return changed ? Edit::save : Edit::keep;
    });
}

}  // namespace dvx::platform

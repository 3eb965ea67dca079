#pragma once
// The registry service of the desktop program: one text file that survives the
// program, with the same key, value, type and byte rules as the Registry interface.
//
// Format (one item a line, fields split by single blanks):
//   DORVANEX registry 2
//   key <key>
//   value <name> <type> <bytes>
//   end
// A value line belongs to the key line above it. Names and bytes are escaped so any
// byte 0..255 survives: printable ASCII other than "%" stands for itself, every other
// byte is "%" and two upper-case hex digits (a text value ends in "%00"). The closing
// "end" tells a whole file from a cut one; a file of the first format ("DORVANEX
// registry 1", no closing line) is read as it always was and saved in the second.
// A file that cannot be read or holds anything else is refused with Fault on reads
// (the text names the file) and is never overwritten.
//
// Several running instances share the file. Every read looks at the file's identity,
// size and modification time and parses it again only when one of them changed, so it
// sees what other instances saved; every write does the same under the file's lock
// (FileLock, replace_file) before it changes and replaces the file, so no instance
// writes back another's value from a stale copy, and a reader sees the file before or
// after a write, never a part of it. A link to the store is followed.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/files.h"
#include "platform/registry.h"

namespace dvx::platform {

class FileRegistry final : public Registry {
  public:
    explicit FileRegistry(std::filesystem::path file,
                          std::chrono::milliseconds lock_wait = file_lock_wait)
        : file_(std::move(file)), lock_wait_(lock_wait) {}

    // $XDG_CONFIG_HOME/dorvanex/registry, else $HOME/.config/dorvanex/registry, else
    // "dorvanex-registry" in the current folder.
    static std::filesystem::path default_path();

    bool key_exists(const std::string& key) override;
    std::optional<RegValue> query(const std::string& key, const std::string& name) override;
    // A write the process has no write access for (folder, lock file, store) fails
    // silently (false). Any other write that does not get through (a full disk, an I/O
    // error, a store that cannot be understood or replaced) is a fault (Fault naming
    // the store and the reason) the first time of its kind in this registry's life, then
    // fails silently; a lock held by another instance past the wait is a fault each time.
    // So no lost write goes untold. A value equal to the stored one is not written again.
    bool create_key(const std::string& key) override;
    bool set_value(const std::string& key, const std::string& name, const RegValue& v) override;
    bool set_values(const std::string& key, const Values& values, bool only_when_missing) override;

    using Store = std::map<std::string, std::map<std::string, RegValue>>;
    // The file's text for a store, and the store of a file's text (none for garbage).
    static std::string format(const Store& store);
    static std::optional<Store> parse(const std::string& text);

  private:
    enum class Edit { refuse, keep, save };
    // The store as the file holds it now (parsed again only when the file changed).
    // Throws Fault.
    Store& load();
    // Loads, edits and saves the store under its lock.
    bool update(const std::function<Edit(Store&)>& edit);
    // A write that did not get through: false, after the fault's one showing.
    bool lost_write(const std::string& kind, const std::string& text);

    // What the parsed store was read from: a save's rename gives the file a new identity.
    struct Seen {
        std::uint64_t dev = 0, ino = 0;
        std::int64_t size = 0, mtime_s = 0, mtime_ns = 0;
        bool operator==(const Seen&) const = default;
    };

    std::filesystem::path file_;
    std::chrono::milliseconds lock_wait_;
    std::optional<Seen> seen_;
    Store store_;
    std::set<std::string> told_;
};

}  // namespace dvx::platform

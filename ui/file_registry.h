#pragma once
// The registry service of the desktop program: one text file that survives the
// program, with the same key, value, type and byte rules as the Registry interface.
//
// Format (one item a line, fields split by single blanks):
//   DORVANEX registry 1
//   key <key>
//   value <name> <type> <bytes>
// A value line belongs to the key line above it. Names and bytes are escaped so any
// byte 0..255 survives: printable ASCII other than "%" stands for itself, every other
// byte is "%" and two upper-case hex digits (a text value ends in "%00").
// A file that cannot be read or holds anything else is refused with UiFault on reads
// and is never overwritten.
//
// Several running instances share the file. Nothing is kept in memory: every read loads
// the file, and every write loads, changes and replaces it under the file's lock
// (FileLock, replace_file), so no instance writes back another's value from a stale
// copy, and a reader sees the file before or after a write, never a part of it.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ui/files.h"
#include "ui/registry.h"

namespace dvx::ui {

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
    // Writes fail (false) as a refused write when the file or its lock cannot be made or
    // the file cannot be understood; a lock held by another instance past the wait is a
    // fault (UiFault), so the lost write is shown. A value equal to the stored one is not
    // written again.
    bool create_key(const std::string& key) override;
    bool set_value(const std::string& key, const std::string& name, const RegValue& v) override;

    const std::filesystem::path& path() const { return file_; }

    using Store = std::map<std::string, std::map<std::string, RegValue>>;
    // The file's text for a store, and the store of a file's text (none for garbage).
    static std::string format(const Store& store);
    static std::optional<Store> parse(const std::string& text);

  private:
    enum class Edit { refuse, keep, save };
    Store load();  // throws UiFault
    // Loads, edits and saves the store under its lock.
    bool update(const std::function<Edit(Store&)>& edit);

    std::filesystem::path file_;
    std::chrono::milliseconds lock_wait_;
};

}  // namespace dvx::ui

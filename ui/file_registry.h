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
// and is never overwritten; writes go to a temporary file renamed over the old one.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "ui/registry.h"

namespace dvx::ui {

class FileRegistry final : public Registry {
  public:
    explicit FileRegistry(std::filesystem::path file) : file_(std::move(file)) {}

    // $XDG_CONFIG_HOME/dorvanex/registry, else $HOME/.config/dorvanex/registry, else
    // "dorvanex-registry" in the current folder.
    static std::filesystem::path default_path();

    bool key_exists(const std::string& key) override;
    std::optional<RegValue> query(const std::string& key, const std::string& name) override;
    bool create_key(const std::string& key) override;
    bool set_value(const std::string& key, const std::string& name, const RegValue& v) override;

    const std::filesystem::path& path() const { return file_; }

    using Store = std::map<std::string, std::map<std::string, RegValue>>;
    // The file's text for a store, and the store of a file's text (none for garbage).
    static std::string format(const Store& store);
    static std::optional<Store> parse(const std::string& text);

  private:
    Store load();  // throws UiFault
    bool save(const Store& store);

    std::filesystem::path file_;
};

}  // namespace dvx::ui

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
// size and modification time and takes its last parse only when none of them changed
// and the modification time lies clearly before that parse was made (by more than
// settled_after, the coarsest timestamps of a file system); else it reads the file again
// and parses it when its bytes differ from those parsed. So it sees what other
// instances saved, also two saves within one timestamp tick where the second got back
// the first one's inode (as git treats a racily clean index). Every write does the
// same under the file's lock (FileLock, replace_file) before it changes and replaces the
// file, so no instance writes back another's value from a stale copy, and a reader sees
// the file before or after a write, never a part of it. A link to the store is followed.
//
// The file is at most store_max_bytes: a larger one is refused as unreadable ("File too
// large") and no more than one byte beyond the limit is read of it; a write that would
// make it larger is a lost write.
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

// 64 MiB: about 70,000 factory copies of 140 words (3,000 make 2.7 MB), far more than one
// computer reads devices in its life, and a parse that still takes well under a second.
inline constexpr std::size_t store_max_bytes = std::size_t{64} << 20;

// FAT stamps a file to 2 s; ext3, ext4 with 128-byte inodes and many shares to 1 s.
inline constexpr std::chrono::seconds settled_after{2};

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

    // What the parsed store was read from. A save's rename gives the file a new identity,
    // but not always: the next save's temporary file may get the inode the last rename
    // freed, and within one timestamp tick size and time may be the same as well.
    struct Seen {
        std::uint64_t dev = 0, ino = 0;
        std::int64_t size = 0, mtime_s = 0, mtime_ns = 0;
        bool operator==(const Seen&) const = default;
    };
    // The parse is the file's bytes now: the same file as seen, and modified clearly
    // before checked_, the moment its bytes were last found to be those parsed.
    bool unchanged(const Seen& now) const;

    std::filesystem::path file_;
    std::chrono::milliseconds lock_wait_;
    std::optional<Seen> seen_;
    std::chrono::system_clock::time_point checked_;
    std::string text_;  // the bytes store_ was parsed from
    Store store_;
    std::set<std::string> told_;
};

}  // namespace dvx::platform

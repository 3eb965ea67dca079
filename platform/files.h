#pragma once
// Small whole-file access relative to the current working folder of the program
// (marker files, connection settings, configuration files). A path is the system's own
// bytes, as the file dialog gives it and the system takes it. Faults throw Fault with a
// text a technician can read; the caller shows it.
//
// Saving is safe against other running instances of the program: a file is replaced as
// a whole under an exclusive lock on "<file>.lock", through a temporary file of its own
// in the same folder that is flushed to disk before it is renamed over the file. So a
// reader sees the old or the new file, never a mix, a part or nothing, and a crash or a
// full disk leaves the old file as it was.
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/fault.h"

namespace dvx::platform {

class Files {
  public:
    virtual ~Files() = default;
    virtual bool exists(const std::string& path) = 0;
    // The file's raw bytes, at most `at_most` of them: a caller that knows how large its
    // file can be asks for one byte more and so tells a larger file without reading it
    // (a file picked by mistake may be larger than the memory left).
    virtual std::string read_all(const std::string& path, std::size_t at_most) = 0;
    // Replaces the file as a whole; on a fault the old file is left as it was.
    virtual void write_all(const std::string& path, const std::string& bytes) = 0;
    // Replaces the file with make(its bytes now, at most `at_most` of them, none when it
    // is missing). The disk reads and writes under one hold of the file's lock, so no
    // other instance's save comes in between.
    virtual void update_all(
        const std::string& path, std::size_t at_most,
        const std::function<std::string(const std::optional<std::string>&)>& make) {
        std::optional<std::string> now;
        if (exists(path)) now = read_all(path, at_most);
        write_all(path, make(now));
    }
    virtual void remove(const std::string& path) = 0;
    virtual void rename(const std::string& from, const std::string& to) = 0;
    virtual void close_all() = 0;
};

// How long a save waits for another process's save of the same file. The holder only
// reads, writes and flushes one small file (milliseconds), so the limit is reached only
// when that process is stopped or its disk hangs.
inline constexpr std::chrono::milliseconds file_lock_wait{5000};

// A save that did not get through. Its text is the reason ("Permission denied", "Path
// not found", "Disk full", "Device I/O error") and, on a second line, the file's full
// path; kind() tells missing write access (a refusal) from a fault of the disk or a
// file that cannot be replaced ("Path/File access error").
class FileFault : public Fault {
  public:
    enum class Kind { denied, missing, full, io, busy, other };
    FileFault(Kind kind, FaultText reason, const std::filesystem::path& file);
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

// The wait for a file's lock ran out (another process holds it).
class FileBusy : public FileFault {
  public:
    explicit FileBusy(const std::filesystem::path& file)
        : FileFault(Kind::busy, FaultText::file_in_use, file) {}
};

// A file's full path as a fault's text names it (Windows-1252, converted once from the
// system's bytes).
std::string shown_path(const std::filesystem::path& file);

// A fault's text that names a file: the table's text, the file's full path on a line of
// its own and, where given, the system's reason on the next.
std::string fault_naming(FaultText what, const std::filesystem::path& file,
                         const std::string& reason = {});

// The file a save of this path writes: a symbolic link is followed (a relative one from
// its own folder) to the file it names, so the link stays a link. Other paths as given.
std::filesystem::path saved_file(const std::filesystem::path& file);

// The exclusive lock of one file across processes, from construction to destruction.
// It is an flock on "<file>.lock" beside the file a save writes (saved_file), so it
// outlives each replacement of the file; the lock file is left in place (removing it
// would race a process waiting on it). The wait blocks in the kernel. Throws FileBusy
// when the wait runs out, FileFault when the lock file cannot be opened.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& file,
                      std::chrono::milliseconds wait = file_lock_wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

// Replaces the file's bytes in one step: a new temporary file in the same folder (a
// name no other process uses), written, flushed to disk, renamed over the file, then
// the folder flushed so the rename survives a power cut. The file a link names is
// replaced (saved_file); the new file keeps the old one's mode, and its owner where the
// process may give it. A file the process may not write is refused. Temporary files
// of saves whose process has ended are removed. The caller holds the file's FileLock.
// Throws FileFault; the old file is then unchanged and no temporary file is left.
void replace_file(const std::filesystem::path& file, const std::string& bytes);

// Writes a file the program makes for the technician (a picture, a print-out), not one
// of the system's settings: created or emptied and written at once under exactly the
// bytes of its path, with no lock and no temporary file. 0 when written, else the
// system's error number (errno); a file that could not be written whole is removed.
int write_output_file(const std::filesystem::path& file, std::string_view bytes);

// Plain files under a base folder ("" = the process's current folder). write_all takes
// the file's lock and replaces the file with replace_file.
class DiskFiles final : public Files {
  public:
    explicit DiskFiles(std::string base = {}, std::chrono::milliseconds lock_wait = file_lock_wait)
        : base_(std::move(base)), lock_wait_(lock_wait) {}
    bool exists(const std::string& path) override;
    std::string read_all(const std::string& path, std::size_t at_most) override;
    void write_all(const std::string& path, const std::string& bytes) override;
    void update_all(
        const std::string& path, std::size_t at_most,
        const std::function<std::string(const std::optional<std::string>&)>& make) override;
    void remove(const std::string& path) override;
    void rename(const std::string& from, const std::string& to) override;
    void close_all() override {}
    std::string full_path(const std::string& path) const;

  private:
    std::string base_;
    std::chrono::milliseconds lock_wait_;
};

}  // namespace dvx::platform

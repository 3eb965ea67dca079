#pragma once
// Small whole-file access relative to the current working folder of the program
// (marker files, connection settings, configuration files). Faults throw UiFault
// with a text a technician can read; the caller shows it.
#include <string>

namespace dvx::ui {

class Files {
  public:
    virtual ~Files() = default;
    virtual bool exists(const std::string& path) = 0;
    virtual std::string read_all(const std::string& path) = 0;  // raw bytes
    virtual void write_all(const std::string& path, const std::string& bytes) = 0;
    virtual void remove(const std::string& path) = 0;
    virtual void rename(const std::string& from, const std::string& to) = 0;
    virtual void close_all() = 0;
};

// Plain files under a base folder ("" = the process's current folder).
class DiskFiles final : public Files {
  public:
    explicit DiskFiles(std::string base = {}) : base_(std::move(base)) {}
    bool exists(const std::string& path) override;
    std::string read_all(const std::string& path) override;
    void write_all(const std::string& path, const std::string& bytes) override;
    void remove(const std::string& path) override;
    void rename(const std::string& from, const std::string& to) override;
    void close_all() override {}
    std::string full_path(const std::string& path) const;

  private:
    std::string base_;
};

}  // namespace dvx::ui

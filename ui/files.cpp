#include "ui/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/fault.h"

namespace dvx::ui {

namespace fs = std::filesystem;

std::string DiskFiles::full_path(const std::string& path) const {
    if (base_.empty() || fs::path(path).is_absolute()) return path;
    return (fs::path(base_) / path).string();
}

bool DiskFiles::exists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(full_path(path), ec);
}

std::string DiskFiles::read_all(const std::string& path) {
    std::ifstream in(full_path(path), std::ios::binary);
    if (!in) throw UiFault("File not found");
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) throw UiFault("Device I/O error");
    return out.str();
}

void DiskFiles::write_all(const std::string& path, const std::string& bytes) {
    std::ofstream out(full_path(path), std::ios::binary | std::ios::trunc);
    if (!out) throw UiFault(errno == EACCES ? "Permission denied" : "Path not found");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw UiFault("Disk full");
}

void DiskFiles::remove(const std::string& path) {
    std::error_code ec;
    if (!fs::remove(full_path(path), ec))
        throw UiFault(ec ? "Permission denied" : "File not found");
}

void DiskFiles::rename(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(full_path(from), full_path(to), ec);
    if (ec) throw UiFault("Permission denied");
}

}  // namespace dvx::ui

#include "sim/fault.h"

#include <utility>

namespace dvx::sim {

namespace {

struct FaultRow {
    FaultKind kind;
    const char* name;
};

constexpr FaultRow fault_rows[] = {
    {FaultKind::silent, "silent"},
    {FaultKind::delayed, "delayed"},
    {FaultKind::bad_crc, "bad_crc"},
    {FaultKind::truncated, "truncated"},
    {FaultKind::extra_bytes, "extra_bytes"},
    {FaultKind::wrong_unit, "wrong_unit"},
    {FaultKind::noise_before, "noise_before"},
    {FaultKind::exception, "exception"},
    {FaultKind::foreign_function, "foreign_function"},
    {FaultKind::wrong_byte_count, "wrong_byte_count"},
    {FaultKind::wrong_echo, "wrong_echo"},
    {FaultKind::register_count, "register_count"},
    {FaultKind::echo_delayed, "echo_delayed"},
    {FaultKind::unexpected_echo, "unexpected_echo"},
    {FaultKind::collision, "collision"},
    {FaultKind::refused, "refused"},
};

}  // namespace

const char* fault_name(FaultKind kind) {
    for (const auto& row : fault_rows)
        if (row.kind == kind) return row.name;
    return "?";
}

Fault Fault::silent() {
    return Fault(FaultKind::silent);
}
Fault Fault::delayed(double seconds) {
    Fault f(FaultKind::delayed);
    f.seconds_ = seconds;
    return f;
}
Fault Fault::bad_crc() {
    return Fault(FaultKind::bad_crc);
}
Fault Fault::truncated(int bytes_missing) {
    Fault f(FaultKind::truncated);
    f.count_ = bytes_missing;
    return f;
}
Fault Fault::extra_bytes(std::vector<std::uint8_t> bytes) {
    Fault f(FaultKind::extra_bytes);
    f.bytes_ = std::move(bytes);
    return f;
}
Fault Fault::wrong_unit(int unit) {
    Fault f(FaultKind::wrong_unit);
    f.code_ = unit;
    return f;
}
Fault Fault::noise_before(std::vector<std::uint8_t> bytes) {
    Fault f(FaultKind::noise_before);
    f.bytes_ = std::move(bytes);
    return f;
}
Fault Fault::exception(int code) {
    Fault f(FaultKind::exception);
    f.code_ = code;
    return f;
}
Fault Fault::foreign_function(int code) {
    Fault f(FaultKind::foreign_function);
    f.code_ = code;
    return f;
}
Fault Fault::wrong_byte_count(int off_by) {
    Fault f(FaultKind::wrong_byte_count);
    f.count_ = off_by;
    return f;
}
Fault Fault::wrong_echo(int start_off_by, int count_off_by) {
    Fault f(FaultKind::wrong_echo);
    f.code_ = start_off_by;
    f.count_ = count_off_by;
    return f;
}
Fault Fault::register_count(int off_by) {
    Fault f(FaultKind::register_count);
    f.count_ = off_by;
    return f;
}
Fault Fault::echo_delayed(double seconds) {
    Fault f(FaultKind::echo_delayed);
    f.seconds_ = seconds;
    return f;
}
Fault Fault::unexpected_echo() {
    return Fault(FaultKind::unexpected_echo);
}
Fault Fault::collision() {
    return Fault(FaultKind::collision);
}
Fault Fault::refused(int code) {
    Fault f(FaultKind::refused);
    f.code_ = code;
    return f;
}

Fault Fault::unit(int u) const {
    Fault f = *this;
    f.unit_ = u;
    return f;
}
Fault Fault::function(int fn) const {
    Fault f = *this;
    f.function_ = fn;
    return f;
}
Fault Fault::registers(int first, int last) const {
    Fault f = *this;
    f.first_ = first;
    f.last_ = last;
    return f;
}
Fault Fault::next(int n) const {
    Fault f = *this;
    f.remaining_ = n < 0 ? 0 : n;
    return f;
}
Fault Fault::after(int n) const {
    Fault f = *this;
    f.passing_ = n < 0 ? 0 : n;
    return f;
}
Fault Fault::always() const {
    Fault f = *this;
    f.remaining_ = -1;
    return f;
}

bool Fault::matches(int unit, int function, int start) const {
    if (remaining_ == 0) return false;
    if (unit_ >= 0 && unit != unit_) return false;
    if (function_ >= 0 && function != function_) return false;
    return start >= first_ && start <= last_;
}

bool Fault::use() {
    if (remaining_ == 0) return false;
    if (passing_ > 0) {
        --passing_;
        return false;
    }
    if (remaining_ > 0) --remaining_;
    return true;
}

}  // namespace dvx::sim

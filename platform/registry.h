#pragma once
// The settings store with the semantics of the system registry: keys holding named
// values, each a type and raw bytes. Faults throw Fault with a fixed text.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dvx::platform {

enum RegType : std::uint32_t { reg_none = 0, reg_sz = 1, reg_binary = 3, reg_dword = 4 };

struct RegValue {
    RegType type = reg_sz;
    std::vector<std::uint8_t> bytes;  // REG_SZ: the text and its terminating zero
};

class Registry {
  public:
    virtual ~Registry() = default;
    // False when the key is missing (no fault). Throws Fault when the store cannot be read.
    virtual bool key_exists(const std::string& key) = 0;
    // The value, or none when it is missing. Throws Fault when the store cannot be read.
    virtual std::optional<RegValue> query(const std::string& key, const std::string& name) = 0;
    // Creates the key if needed. Returns false when that is refused (no write access).
    virtual bool create_key(const std::string& key) = 0;
    // Sets a value under an existing key. Returns false when refused.
    virtual bool set_value(const std::string& key, const std::string& name, const RegValue& v) = 0;

    using Values = std::vector<std::pair<std::string, RegValue>>;
    // Creates the key when needed and sets the values, as one change of the store where it
    // can make one. With only_when_missing a value that is there and holds more than an
    // empty text is kept as it is (not refused). Returns false when refused.
    virtual bool set_values(const std::string& key, const Values& values, bool only_when_missing) {
        create_key(key);  // a refused creation shows up as a refused write below
        for (const auto& [name, v] : values) {
            if (only_when_missing && holds_text(query(key, name))) continue;
            if (!set_value(key, name, v)) return false;
        }
        return true;
    }

    // True for a value that is there and more than an empty text (its zero).
    static bool holds_text(const std::optional<RegValue>& v) {
        return v && !v->bytes.empty() && !(v->bytes.size() == 1 && v->bytes[0] == 0);
    }
};

}  // namespace dvx::platform

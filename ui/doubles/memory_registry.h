#pragma once
// Test double for the registry: an in-memory store with injectable outcomes.
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace dvx::ui {

class MemoryRegistry final : public platform::Registry {
  public:
    bool key_exists(const std::string& key) override;
    std::optional<platform::RegValue> query(const std::string& key,
                                            const std::string& name) override;
    bool create_key(const std::string& key) override;
    bool set_value(const std::string& key, const std::string& name,
                   const platform::RegValue& v) override;

    // Injected outcomes.
    std::optional<std::string> read_fault;  // every read throws UiFault(text)
    bool refuse_create = false;
    bool refuse_set = false;

    // Direct access for tests.
    void put_string(const std::string& key, const std::string& name, const std::string& text);
    std::optional<std::string> get_string(const std::string& key, const std::string& name) const;
    bool has_key(const std::string& key) const { return keys_.count(key) != 0; }
    // Every key with its values, for a test that compares the whole store.
    const std::map<std::string, std::map<std::string, platform::RegValue>>& contents() const {
        return keys_;
    }
    int writes = 0;

  private:
    std::map<std::string, std::map<std::string, platform::RegValue>> keys_;
};

}  // namespace dvx::ui

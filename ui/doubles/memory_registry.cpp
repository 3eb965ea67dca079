#include "ui/doubles/memory_registry.h"

#include "ui/fault.h"

namespace dvx::ui {

bool MemoryRegistry::key_exists(const std::string& key) {
    if (read_fault) throw UiFault(*read_fault);
    return keys_.count(key) != 0;
}

std::optional<platform::RegValue> MemoryRegistry::query(const std::string& key,
                                                        const std::string& name) {
    if (read_fault) throw UiFault(*read_fault);
    auto k = keys_.find(key);
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool MemoryRegistry::create_key(const std::string& key) {
    if (refuse_create) return false;
    keys_[key];
    return true;
}

bool MemoryRegistry::set_value(const std::string& key, const std::string& name,
                               const platform::RegValue& v) {
    if (refuse_set || keys_.count(key) == 0) return false;
    keys_[key][name] = v;
    ++writes;
    return true;
}

void MemoryRegistry::put_string(const std::string& key, const std::string& name,
                                const std::string& text) {
    platform::RegValue v;
    v.type = platform::reg_sz;
    v.bytes.assign(text.begin(), text.end());
    v.bytes.push_back(0);
    keys_[key][name] = v;
}

std::optional<std::string> MemoryRegistry::get_string(const std::string& key,
                                                      const std::string& name) const {
    auto k = keys_.find(key);
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    std::string s(v->second.bytes.begin(), v->second.bytes.end());
    if (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

}  // namespace dvx::ui

#include "model/reg_settings.h"

#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

platform::Registry& registry() {
    platform::Registry* r = ui::services().registry;
    if (!r) throw ui::UiFault(platform::FaultText::no_registry);
    return *r;
}

}  // namespace

std::string reg_get_string(std::int32_t root, const std::string& key, const std::string& value_name,
                           std::int16_t& err) {
    err = 0;
    try {
        if (root != hkey_local_machine) return {};
        platform::Registry& reg = registry();
        if (!reg.key_exists(key)) return {};
        const auto value = reg.query(key, value_name);
        // Another type, a size of 0 or a value larger than the buffer: the empty text,
        // not a fault (a fault at start would end the program).
        if (!value || value->type != platform::reg_sz || value->bytes.empty() ||
            value->bytes.size() > reg_buffer_size)
            return {};
        std::string text(value->bytes.begin(), value->bytes.end());
        if (text.back() == '\0') text.pop_back();
        return text;
    } catch (const ui::UiFault& fault) {
        ui::msg_box(fault.text(), ui::mb_ok);
        err = 1;
        return {};
    }
}

namespace {

std::int16_t set_strings(const std::string& key,
                         const std::vector<std::pair<std::string, std::string>>& values,
                         bool only_when_missing) {
    try {
        platform::Registry& reg = registry();
        platform::Registry::Values v;
        for (const auto& [name, text] : values) {
            platform::RegValue value;
            value.type = platform::reg_sz;
            value.bytes.assign(text.begin(), text.end());
            value.bytes.push_back(0);
            v.emplace_back(name, std::move(value));
        }
        return reg.set_values(key, v, only_when_missing) ? 0 : 1;
    } catch (const ui::UiFault& fault) {
        ui::msg_box(fault.text(), ui::mb_ok);
        return 1;
    }
}

}  // namespace

std::int16_t reg_set_string(const std::string& key, const std::string& value_name,
                            const std::string& value) {
    return set_strings(key, {{value_name, value}}, false);
}

std::int16_t reg_set_strings(const std::string& key,
                             const std::vector<std::pair<std::string, std::string>>& values) {
    return set_strings(key, values, false);
}

std::int16_t reg_set_string_if_missing(const std::string& key, const std::string& value_name,
                                       const std::string& value) {
    return set_strings(key, {{value_name, value}}, true);
}

}  // namespace dvx::model

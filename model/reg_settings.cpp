#include "model/reg_settings.h"

#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::model {

namespace {

ui::Registry& registry() {
    ui::Registry* r = ui::services().registry;
    if (!r) throw ui::UiFault("No registry service installed");
    return *r;
}

}  // namespace

std::string reg_get_string(std::int32_t root, const std::string& key, const std::string& value_name,
                           std::int16_t& err) {
    err = 0;
    try {
        if (root != hkey_local_machine) return {};
        ui::Registry& reg = registry();
        if (!reg.key_exists(key)) return {};
        const auto value = reg.query(key, value_name);
        // Another type, a size of 0 or a value larger than the buffer: the empty text,
        // not a fault (a fault at start would end the program).
        if (!value || value->type != ui::reg_sz || value->bytes.empty() ||
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

std::int16_t reg_set_string(const std::string& key, const std::string& value_name,
                            const std::string& value) {
    try {
        ui::Registry& reg = registry();
        reg.create_key(key);  // refused creation shows up as a refused write below
        ui::RegValue v;
        v.type = ui::reg_sz;
        v.bytes.assign(value.begin(), value.end());
        v.bytes.push_back(0);
        return reg.set_value(key, value_name, v) ? 0 : 1;
    } catch (const ui::UiFault& fault) {
        ui::msg_box(fault.text(), ui::mb_ok);
        return 1;
    }
}

}  // namespace dvx::model

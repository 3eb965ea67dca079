#include "model/con_file.h"

#include <array>

#include "model/checked_file.h"

namespace dvx::model {

namespace {

using Fields = std::array<std::string, con_fields>;

Fields fields_of(std::string list) {
    Fields f;
    for (auto& field : f) field = split_bar(list);
    return f;
}

std::optional<int> list_index(const std::string& field, int count) {
    const auto v = numeric_value(field);
    if (!v) return std::nullopt;
    const auto i = round_to_i32(*v);
    if (!i || *i < 0 || *i >= count) return std::nullopt;
    return *i;
}

}  // namespace

std::optional<std::array<std::string, con_fields>> con_base_fields;

std::string con_file_text(const ConSettings& s) {
    std::string t;
    t += std::to_string(s.port_index) + "|";
    t += "0|";
    t += std::to_string(s.adr_index) + "|";
    t += "|";
    if (!s.password_level_1.empty()) t += scramble_text(s.password_level_1);
    t += "|";
    if (!s.password_level_2.empty()) t += scramble_text(s.password_level_2);
    t += "|";
    return t;
}

void save_settings(const ConSettings& s) {
    const std::string text = con_file_text(s);
    const Fields ours = fields_of(text);
    const int written = update_checked_file(con_file_name, [&](const std::string& now) {
        if (!con_base_fields || now.empty()) return text;
        const Fields file = fields_of(now);
        std::string merged;
        for (int i = 0; i < con_fields; ++i)
            merged += (ours[i] != (*con_base_fields)[i] ? ours[i] : file[i]) + "|";
        return merged;
    });
    // A save that did not get through leaves the base, so its changes count again.
    if (written == 0) con_base_fields = ours;
}

ConSettingsRead load_settings(int port_count, int adr_count, const ConSettings& start) {
    ConSettingsRead r;
    std::string list = read_checked_file(con_file_name);
    con_base_fields = fields_of(con_file_text(start));
    if (list.empty()) return r;
    con_base_fields = fields_of(list);
    r.port_index = list_index(split_bar(list), port_count);
    split_bar(list);
    r.adr_index = list_index(split_bar(list), adr_count);
    split_bar(list);
    if (auto pw = split_bar(list); !pw.empty()) r.password_level_1 = scramble_text(pw);
    if (auto pw = split_bar(list); !pw.empty()) r.password_level_2 = scramble_text(pw);
    return r;
}

}  // namespace dvx::model

#include "model/con_file.h"

#include "model/checked_file.h"

namespace dvx::model {

namespace {

std::optional<int> list_index(const std::string& field, int count) {
    const auto v = numeric_value(field);
    if (!v) return std::nullopt;
    const auto i = round_to_i32(*v);
    if (!i || *i < 0 || *i >= count) return std::nullopt;
    return *i;
}

}  // namespace

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
    write_checked_file(con_file_name, con_file_text(s));
}

ConSettingsRead load_settings(int port_count, int adr_count) {
    ConSettingsRead r;
    std::string list = read_checked_file(con_file_name);
    if (list.empty()) return r;
    r.port_index = list_index(split_bar(list), port_count);
    split_bar(list);
    r.adr_index = list_index(split_bar(list), adr_count);
    split_bar(list);
    if (auto pw = split_bar(list); !pw.empty()) r.password_level_1 = scramble_text(pw);
    if (auto pw = split_bar(list); !pw.empty()) r.password_level_2 = scramble_text(pw);
    return r;
}

}  // namespace dvx::model

#include "model/input_types.h"

#include <algorithm>

#include "model/firmware.h"
#include "model/main_view_hooks.h"
#include "model/param_image.h"

namespace dvx::model {

std::int16_t is_ni120 = 0;
std::int16_t has_wre_tc = 0;

namespace {

// The tables as last built; index 21 stays empty and answers every type outside 0..20.
struct TypeEntry {
    std::int16_t min = 0, max = 0, min_v4 = 0, max_v4 = 0;
    std::string_view unit;
    std::int16_t decimals = 0, scalable = 0, two_wire = 0;
};
std::array<TypeEntry, input_type_count + 1> type_table{};
std::array<std::string, input_type_count + 1> name_table{};

int table_index(int type) {
    return type >= 0 && type < input_type_count ? type : empty_input_type;
}

bool variant_holds(TypeVariant when) {
    switch (when) {
        case TypeVariant::wre:
            return has_wre_tc != 0;
        case TypeVariant::xk:
            return main_view_hooks().th_xk();
        case TypeVariant::ni120:
            return is_ni120 != 0;
        case TypeVariant::fw4:
            return krv_fw_at_least_400() != 0;
    }
    return false;
}

// The variant row that replaces `type` now, if any; `limits_only` skips the rows that
// change only names, so building the limits asks nothing about them.
const InputTypeVariantRow* active_variant(int type, bool limits_only) {
    for (const auto& v : input_type_variant_rows) {
        if (v.type != type || (limits_only && !v.changes_limits)) continue;
        if (variant_holds(v.when)) return &v;
    }
    return nullptr;
}

std::string_view in_language(const LangNames& n, const std::string& lang) {
    if (lang == "NL") return n.nl;
    if (lang == "GB") return n.gb;
    return n.de;
}

template <std::size_t N>
constexpr std::array<std::int16_t, input_type_count + 1> inverse_of(
    const std::array<std::int16_t, N>& list) {
    std::array<std::int16_t, input_type_count + 1> inv{};
    for (std::size_t pos = 0; pos < N; ++pos) inv[list[pos]] = static_cast<std::int16_t>(pos);
    return inv;
}

constexpr auto tc1_inverse = inverse_of(tc1_type_list);
constexpr auto tc2_inverse = inverse_of(tc2_type_list);
constexpr auto rtd_inverse = inverse_of(rtd_type_list);
constexpr auto tc4_inverse = inverse_of(tc4_type_list);

template <std::size_t N>
std::int16_t at_or_zero(const std::array<std::int16_t, N>& a, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < N ? a[i] : 0;
}

}  // namespace

void init_device_tables() {
    for (int t = 0; t < input_type_count; ++t) {
        const InputTypeRow& row = input_type_rows[t];
        TypeEntry e{row.min,  row.max,      row.min_v4,   row.max_v4,
                    row.unit, row.decimals, row.scalable, row.two_wire};
        if (const auto* v = active_variant(t, true)) {
            e.min = e.min_v4 = v->min;
            e.max = e.max_v4 = v->max;
        }
        type_table[t] = e;
    }
    std::copy(default_param_image.begin(), default_param_image.end(), param_image.begin());
    init_sensor_texts();
}

void init_sensor_texts() {
    const std::string lang = main_view_hooks().lang_code();
    for (int t = 0; t < input_type_count; ++t) {
        const auto* v = active_variant(t, false);
        name_table[t] = in_language(v ? v->names : input_type_rows[t].names, lang);
    }
}

std::int16_t type_min(int type) {
    return type_table[table_index(type)].min;
}
std::int16_t type_max(int type) {
    return type_table[table_index(type)].max;
}
std::int16_t type_min_v4(int type) {
    return type_table[table_index(type)].min_v4;
}
std::int16_t type_max_v4(int type) {
    return type_table[table_index(type)].max_v4;
}
std::string type_unit(int type) {
    return std::string(type_table[table_index(type)].unit);
}
std::int16_t type_decimals(int type) {
    return type_table[table_index(type)].decimals;
}
std::int16_t type_scalable(int type) {
    return type_table[table_index(type)].scalable;
}
std::int16_t type_2wire(int type) {
    return type_table[table_index(type)].two_wire;
}
const std::string& sensor_names(int type) {
    return name_table[table_index(type)];
}

std::int16_t tc1_types(int pos) {
    return at_or_zero(tc1_type_list, pos);
}
std::int16_t tc2_types(int pos) {
    return at_or_zero(tc2_type_list, pos);
}
std::int16_t rtd_types(int pos) {
    return at_or_zero(rtd_type_list, pos);
}
std::int16_t tc4_types(int pos) {
    return at_or_zero(tc4_type_list, pos);
}
std::int16_t tc1_index(int type) {
    return at_or_zero(tc1_inverse, type);
}
std::int16_t tc2_index(int type) {
    return at_or_zero(tc2_inverse, type);
}
std::int16_t rtd_index(int type) {
    return at_or_zero(rtd_inverse, type);
}
std::int16_t tc4_index(int type) {
    return at_or_zero(tc4_inverse, type);
}

}  // namespace dvx::model

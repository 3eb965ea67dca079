#include "model/model_setup.h"

#include "model/firmware.h"
#include "model/input_types.h"
#include "model/view_bindings.h"

namespace dvx::model {

const ModelTypeRow* find_model_type(int code) {
    for (const ModelTypeRow& row : model_types)
        if (row.code == code) return &row;
    return nullptr;
}

std::optional<std::int16_t> device_param_count(int code, std::int16_t version_word) {
    const ModelTypeRow* type = find_model_type(code);
    const auto version = version_text(version_word);
    if (!type || !version) return std::nullopt;
    const Family family = type->family == ModelFamily::krv ? Family::krv : Family::dlx;
    if (const SupportedVersion* row = find_supported_version(family, *version))
        return row->param_count;
    return std::nullopt;
}

std::int16_t set_model_ui(int code) {
    const ModelTypeRow* row = find_model_type(code);
    // An unknown code keeps the variant flags: clearing has_wre_tc here without a
    // rebuild would leave the hints and the tables disagreeing.
    if (!row) return 1;
    ViewBindings& v = view_bindings();
    has_wre_tc = row->has_wre_tc;
    if (row->family == ModelFamily::krv) {
        v.set_s_krv(true);
        v.set_s_dlx(false);
        if (row->is_ni120) is_ni120 = *row->is_ni120;
        // The boxes' Click handlers see the new variant's tables; TH_XK itself is read
        // only by a rebuild, so the XK device rebuilds after its box is set (a second
        // rebuild there would give the same tables).
        if (!row->th_xk) reinit_tables();
        v.set_s_snap(row->s_snap);
        v.set_th_xk(row->th_xk);
        reinit_tables();
    } else {
        v.set_s_dlx(true);
        v.set_s_krv(false);
        if (row->is_ni120) is_ni120 = *row->is_ni120;
        v.set_s_snap(row->s_snap);
        v.set_th_xk(false);
        reinit_tables();
    }
    return 0;
}

}  // namespace dvx::model

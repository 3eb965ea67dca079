#pragma once
// Sets the program up for the transmitter whose device type code (status word 0) has
// just been read: the family option of the main window (KRV or DLX, whose Click
// handler switches is_krv and the texts), the Ni-120 and tungsten-rhenium variants,
// the hardware-variant box S_SNAP and the XK naming box TH_XK, then rebuilds the
// input-type tables, which also puts the default image into param_image words 0..126.
#include <array>
#include <cstdint>
#include <optional>

namespace dvx::model {

enum class ModelFamily { krv, dlx };

struct ModelTypeRow {
    std::int16_t code;
    ModelFamily family;
    std::optional<std::int16_t> is_ni120;  // none: left as the last device set it
    std::int16_t has_wre_tc;
    bool s_snap;
    bool th_xk;
};

// clang-format off
inline constexpr std::array<ModelTypeRow, 9> model_types{{
    // code  family             Ni-120        W-Re  S_SNAP  TH_XK
    {11,  ModelFamily::krv, 0,            0,    false,  false},
    {12,  ModelFamily::krv, 1,            0,    false,  false},
    {13,  ModelFamily::krv, 0,            0,    true,   false},
    {14,  ModelFamily::krv, 1,            0,    true,   false},
    {15,  ModelFamily::krv, 0,            0,    true,   true},
    {16,  ModelFamily::krv, 0,            1,    true,   false},
    {111, ModelFamily::dlx, std::nullopt, 0,    false,  false},
    {112, ModelFamily::dlx, std::nullopt, 0,    true,   false},
    {113, ModelFamily::dlx, std::nullopt, 0,    false,  false},
}};
// clang-format on

// The row of a type code, or nullptr (gateways 32/34, concentrators 31/33, unknown).
const ModelTypeRow* find_model_type(int code);

// The parameter count of a device by its own type code and firmware word (status words
// 0 and 4): its family's count for that version (KRV 128 or 140, DLX 127), or none when
// the code is no transmitter's or no table holds the version.
std::optional<std::int16_t> device_param_count(int code, std::int16_t version_word);

// 0 for a transmitter code of the table (everything above set), 1 for any other code,
// which changes nothing at all (has_wre_tc included).
std::int16_t set_model_ui(int code);

}  // namespace dvx::model

#include "texts/captions_online.h"

namespace dvx::texts {
namespace {

// clang-format off
constexpr PageCaption rows[] = {
    {"", {u8"Online-Darstellung", u8"Online representation", u8"On line weergave"}},
    {"B_Zurück", back_to_main_menu},
    {"Label3", {u8"Ausgang", u8"Output", u8"Uitgang"}},
    {"Label4", {u8"Ausgang", u8"Output", u8"Uitgang"}},
    {"Label1", {u8"Meßwert", u8"Measure value", u8"Meetwaarde"}},
    {"Label6", {u8"Meßwert", u8"Measure value", u8"Meetwaarde"}},
    {"Vergl_lab", {u8"Vergleichsstelle", u8"Cold junction temperature", u8"Vergelijkingspunt"}},
    {"lbl_th_rl_l", {u8"Schleifenwiderstand", u8"Loop resistance", u8"Loop resistance"}},
};
// clang-format on

}  // namespace

void set_lang_online(ui::Form& page) {
    apply_page_captions(page, rows);
}

}  // namespace dvx::texts

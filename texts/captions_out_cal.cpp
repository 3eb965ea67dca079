#include "texts/captions_out_cal.h"

namespace dvx::texts {
namespace {

// The arrow of Label2 points at the O.K. buttons beside it (six blanks after it, seven
// in Dutch).
// clang-format off
constexpr PageCaption rows[] = {
    {"", {u8"Ausgang kalibrieren", u8"Calibrate output", u8"Uitgang kalibreren"}},
    {"B_Zurück", back_to_main_menu},
    {"Frame3D1", {u8"KALIBRIEREN", u8"Calibrate", u8"KALIBREREN"}},
    {"Label1", {u8"Wie angegeben muß die 2-Pkt.-Kalibrierung für den Stromausgang immer bei 4 und 20 mA bzw. 2 und 10 V für den Spannungsausgang erfolgen.",
                u8"The 2 points of output calibration for current are the values of 4 and 20 mA and for voltage the values of 2 and 10 V.",
                u8"Zoals aangegeven dient de 2 punts-kalibratie voor de stoomuitgang altijd bij 4 en 20, respectievelijk 2 en 10V voor de spanningsuitgang, plaats te vinden."}},
    {"Label2", {u8"<---      Nach jedem Abgleich mit O.K. quittieren !",
                u8"<---      After every calibration confirm !",
                u8"<---       Na iedere afregeling bevestigen !"}},
};
// clang-format on

}  // namespace

void set_lang_out_cal(ui::Form& page) {
    apply_page_captions(page, rows);
}

}  // namespace dvx::texts

#include "texts/captions_pages.h"

#include <string>

#include "model/param_words.h"
#include "texts/cp1252.h"
#include "ui/controls.h"

namespace dvx::texts {
namespace {

// "&" marks the access key of the following letter.
// clang-format off
constexpr PageCaption inp_rows[] = {
    {"", {u8"Meßeingänge", u8"Measure inputs", u8"Meetingangen"}},
    {"B_Zurück", {u8"&Zurück zum Hauptmenü", u8"&Back to main menu", u8"Terug naar &hoofdmenu"}},
    {"Frame3D1", {u8"Meßwert", u8"Measure value", u8"Meetwaarde"}},
    {"Label3", {u8"&Sensor/Signal", u8"Sensor/signal", u8"Sensor/signaal"}},
    {"Label4", {u8"Meßbereichs&anfang", u8"Start of measure range", u8"Begin meetbereik"}},
    {"Label2", {u8"Meßbereichs&ende", u8"End of measure range", u8"Einde meetbereik"}},
    {"Label1", {u8"&Filterzeit", u8"Filter time", u8"Filtertijd"}},
    {"rl_lab", {u8"Zuleitungswiderstand", u8"Lead-in impedance", u8"Leidingsweerstand"}},
    {"Frame_ph", {u8"Physikalische Darstellung", u8"Physical representation", u8"Visuele weergave"}},
    {"Lab_Unit", {u8"Einheit", u8"Measure unit", u8"Eenheid"}},
    {"Lab_Decp", {u8"Kommastelle", u8"Decimal point", u8"Plaats komma"}},
    {"Label7", {u8"Bereichsanfang", u8"Start of range", u8"Begin bereik"}},
    {"Label9", {u8"Bereichsende", u8"End of range", u8"Einde bereik"}},
    {"Label6", {u8"Bereichsgrenze - MIN", u8"MIN range limit", u8"Meetwaardebewaking - MIN"}},
    {"Label10", {u8"Bereichsgrenze - MAX", u8"MAX range limit", u8"Meetwaardebewaking - MAX"}},
};

constexpr PageCaption dlx3_inp_rows[] = {
    {"", {u8"Meßeingang", u8"Measure input", u8"Meetingang"}},
    {"B_Zurück", {u8"&Zurück zum Hauptmenü", u8"&Back to main menu", u8"Terug naar &hoofdmenu"}},
    {"Frame3D1", {u8"Meßwert", u8"Measure value", u8"Meetwaarde"}},
    {"Frame3D2", {u8"Meßwertüberwachung", u8"Measure value control", u8"Meetwaarde bewaking"}},
    {"Label4", {u8"Meßbereichs&anfang", u8"Start of range", u8"Begin meetbereik"}},
    {"Label2", {u8"Meßbereichs&ende", u8"End of range", u8"Einde meetbereik"}},
    {"Label1", {u8"&Filterzeit", u8"Filter time", u8"Filtertijd"}},
    {"Frame_ph", {u8"Physikalische Darstellung des Meßwertes", u8"Physical representation of measure value",
                  u8"Visuele weergave"}},
    {"Lab_Unit", {u8"Einheit", u8"Measure unit", u8"Eenheid"}},
    {"Lab_Decp", {u8"Kommastelle", u8"Decimal point", u8"Plaats komma"}},
    {"Label7", {u8"Bereichsanfang", u8"Start of range", u8"Begin bereik"}},
    {"Label9", {u8"Bereichsende", u8"End of range", u8"Einde bereik"}},
    {"Label6", {u8"MIN - Wert", u8"MIN-value", u8"MIN - waarde"}},
    {"Label10", {u8"MAX - Wert", u8"MAX-value", u8"MAX - waarde"}},
    {"Chk_sqr", {u8"Eingangssignal radizieren", u8"Square root of the input signal?", u8"Wortelfunctie"}},
};
// clang-format on

}  // namespace

void apply_page_captions(ui::Form& page, std::span<const PageCaption> table) {
    const Lang lang = current_lang();
    for (const PageCaption& row : table) {
        const std::string text = utf8_to_cp1252(row.text.in(lang));
        if (row.control.empty()) {
            page.set_caption(text + model::tag_header());
        } else if (auto* c = dynamic_cast<ui::CaptionControl*>(page.control(row.control))) {
            c->set_caption(text);
        }
    }
}

std::span<const PageCaption> inp_captions() {
    return inp_rows;
}
std::span<const PageCaption> dlx3_inp_captions() {
    return dlx3_inp_rows;
}

void set_lang_inp(ui::Form& h_inp) {
    apply_page_captions(h_inp, inp_rows);
}
void set_lang_dlx3_inp(ui::Form& dlx3_inp) {
    apply_page_captions(dlx3_inp, dlx3_inp_rows);
}

}  // namespace dvx::texts

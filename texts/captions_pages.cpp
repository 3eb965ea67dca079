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

constexpr PageCaption output_rows[] = {
    {"", {u8"Analogausgang", u8"Analog output", u8"Analoge uitgang"}},
    {"B_Zurück", {u8"&Zurück zum Hauptmenü", u8"&Back to main menu", u8"Terug naar &hoofdmenu"}},
    {"out_typ", {u8"AUSGANGSTYP", u8"Output type", u8"UITGANGSTYPE"}},
    {"curr_out", {u8"Strom", u8"Current", u8"Stroom"}},
    {"volt_out", {u8"Spannung", u8"Voltage", u8"Spanning"}},
    {"Frame3D2", {u8"AUSGANG", u8"Output", u8"UITGANG"}},
    {"Label6", {u8"&Filterzeit", u8"Filter time", u8"Filtertijd"}},
    {"Label11", {u8"Bereichs&anfang", u8"Start of range", u8"0% bereik"}},
    {"Label10", {u8"Bereichs&ende", u8"End of range", u8"100% bereik"}},
    {"Label7", {u8"MI&N-Begrenzung", u8"MIN-limit", u8"MIN-begrenzing"}},
    {"Label8", {u8"MA&X-Begrenzung", u8"MAX-limit", u8"MAX-begrenzing"}},
    {"Label15", {u8"Alarmwert", u8"Alarm value", u8"Burn-out waarde"}},
    {"Chk_sqr", {u8"Ausgangssignal radizieren", u8"Square root of the output signal?", u8"Wortelfunctie"}},
    {"lbl_info", {u8"Nur mit dem Jumper 3 kann das Signal im Analogausgang für Konstantstrom/mA oder Spannung/V eingestellt werden !",
                  u8"Output type (mA/V) is determined by the setting of jumper 3",
                  u8"Output type (mA/V) is determined by the setting of jumper 3"}},
};

constexpr PageCaption dout_rows[] = {
    {"", {u8"Alarmausgänge", u8"Alarm outputs", u8"Digitale uitgangen"}},
    {"B_Zurück", {u8"&Zurück zum Hauptmenü", u8"&Back to main menu", u8"Terug naar &hoofdmenu"}},
    {"Frame3D1", {u8"ALARM 1 (Relais-1)", u8"Alarm 1 (relay-1)", u8"Digitale uitgang 1 (Relais-1)"}},
    {"Lab_al1", {u8"Alarmwert:", u8"Alarm value", u8"Grenswaarde:"}},
    {"Label15", {u8"Hysterese:", u8"Hysteresis", u8"Hysterese:"}},
    {"Label17", {u8"Verzögerung:", u8"Delay time", u8"Vertraging:"}},
    {"Label1", {u8"Alarmtyp:", u8"Alarm type", u8"Type:"}},
    {"Label3", {u8"Funktion:", u8"Function", u8"Functie:"}},
    {"Frame3D2", {u8"ALARM 2 (Relais-2)", u8"Alarm 2 (relay-2)", u8"Digitale uitgang 2 (Relais-2)"}},
    {"Label10", {u8"Alarmwert:", u8"Alarm value", u8"Grenswaarde:"}},
    {"Label5", {u8"Hysterese:", u8"Hysteresis", u8"Hysterese:"}},
    {"Label7", {u8"Verzögerung:", u8"Delay time", u8"Vertraging:"}},
    {"Label4", {u8"Alarmtyp:", u8"Alarm type", u8"Type:"}},
    {"Label2", {u8"Funktion:", u8"Function", u8"Functie:"}},
    {"Frame3D3", {u8"ALARM 3 (Transistorausgang-1)", u8"Alarm 3 (transistor output-1)",
                  u8"Digitale uitgang 3 (Transistoruitgang-1)"}},
    {"Label22", {u8"Alarmwert:", u8"Alarm value", u8"Grenswaarde:"}},
    {"Label13", {u8"Hysterese:", u8"Hysteresis", u8"Hysterese:"}},
    {"Label19", {u8"Verzögerung:", u8"Delay time", u8"Vertraging:"}},
    {"Label12", {u8"Alarmtyp:", u8"Alarm type", u8"Type:"}},
    {"Label11", {u8"Funktion:", u8"Function", u8"Functie:"}},
    {"Frame3D4", {u8"ALARM 4 (Transistorausgang-2)", u8"Alarm 4 (transistor output-2)",
                  u8"Digitale uitgang 4 (Transistoruitgang-2)"}},
    {"Label30", {u8"Alarmwert:", u8"Alarm value", u8"Grenswaarde:"}},
    {"Label25", {u8"Hysterese:", u8"Hysteresis", u8"Hysterese:"}},
    {"Label27", {u8"Verzögerung:", u8"Delay time", u8"Vertraging:"}},
    {"Label24", {u8"Alarmtyp:", u8"alarm type", u8"Type:"}},
    {"Label23", {u8"Funktion:", u8"Function", u8"Functie:"}},
    {"Label21", {u8"Zeitintervall für Gradientenalarm:", u8"Time interval for gradient alarm",
                 u8"Tijdvenster voor gradiënten-instelling:"}},
};

constexpr PageCaption comment_rows[] = {
    {"", {u8"Kommentarspeicher", u8"Comment memory", u8"Opmerkingen"}},
    {"B_Zurück", {u8"&Zurück zum Hauptmenü", u8"&Back to main menu", u8"Terug naar &hoofdmenu"}},
    {"Command3D1", {u8"Kommentar &einlesen", u8"Read in comment", u8"&Inlezen"}},
    {"B_save", {u8"&Kommentar speichern", u8"Save comment", u8"Opmerkingen overschrijven"}},
    {"Command3D2", {u8"&Kommentar &drucken", u8"Print comment", u8"Opmerkingen &printen"}},
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

std::span<const PageCaption> output_captions() {
    return output_rows;
}
std::span<const PageCaption> dout_captions() {
    return dout_rows;
}

void set_lang_output(ui::Form& h_output) {
    apply_page_captions(h_output, output_rows);
}
void set_lang_dout(ui::Form& h_dout) {
    apply_page_captions(h_dout, dout_rows);
}
void set_lang_inp(ui::Form& h_inp) {
    apply_page_captions(h_inp, inp_rows);
}
void set_lang_dlx3_inp(ui::Form& dlx3_inp) {
    apply_page_captions(dlx3_inp, dlx3_inp_rows);
}

std::span<const PageCaption> comment_captions() {
    return comment_rows;
}
void set_lang_comment(ui::Form& comment) {
    apply_page_captions(comment, comment_rows);
}

}  // namespace dvx::texts

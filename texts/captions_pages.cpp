#include "texts/captions_pages.h"

#include <string>

#include "model/firmware.h"
#include "model/param_words.h"
#include "platform/cp1252.h"
#include "texts/caption_target.h"

namespace dvx::texts {
namespace {

// "&" marks the access key of the following letter.
// clang-format off
constexpr PageCaption inp_rows[] = {
    {"", {u8"Meßeingänge", u8"Measure inputs", u8"Meetingangen"}},
    {"B_Zurück", back_to_main_menu},
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
    {"B_Zurück", back_to_main_menu},
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
    {"B_Zurück", back_to_main_menu},
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
    {"B_Zurück", back_to_main_menu},
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

// Both supervision pages: title, frames, column heads, the output tolerance's unit and the
// blink box.
constexpr PageCaption supervision_rows[] = {
    {"", {u8"Überwachungsmaßnahmen", u8"System controlling", u8"Beveiligingsacties"}},
    {"B_Zurück", back_to_main_menu},
    {"Frame3D1", {u8"Überwachungsmeßkreis für:", u8"Control circuit for", u8"Bewaking analoge in- uitgang:"}},
    {"Label2", {u8"maximale Toleranz:", u8"Maximum tolerance", u8"Max. tolerantie:"}},
    {"Frame3D2", {u8"Analogausgangs- und Alarmausgangs-Steuerung im Fehlerfall",
                  u8"Analog and alarm output controlling in case of fault",
                  u8"Aansturing analoge en digitale uitgangen bij fout(error) detectie"}},
    {"Label21", {u8"Relais 1", u8"Relay 1", u8"Relais 1"}},
    {"Label23", {u8"Relais 2", u8"Relay 2", u8"Relais 2"}},
    {"Label25", {u8"Logik 1", u8"Transistor1", u8"Logisch 1"}},
    {"Label27", {u8"Logik 2", u8"Transistor2", u8"Logisch 2"}},
    {"Label4", {u8"% vom Nominalwert (=20mA/10V)", u8"% of nominal value (=20mA/10V)", u8"% van nominale waarde (=20mA/10V)"}},
    {"chk_blink_on_mem", {u8"Kein Blinken der Error-LED bei Fehlermeldung im Diagnosemanager !",
                          u8"No blink on error memory", u8"No blink on error memory"}},
};

// The KRV supervision page; the units of the two input tolerances follow the firmware.
constexpr PageCaption check30_rows[] = {
    {"Label5", {u8"Thermoelement- und mV-Eingang", u8"Input for mV signal", u8"mV-ingang"}},
    {"Label7", {u8"Widerstandseingang", u8"Resistor input", u8"Weerstandsingang"}},
    {"Label8", {u8"Analogausgang", u8"Analog output", u8"Analoge uitgang"}},
    {"Label20", {u8"Analogausgang", u8"Analog output", u8"Analoge uitgang"}},
    {"Label12", {u8"Interner Gerätefehler", u8"Internal device error", u8"Internal device error"}},
    {"Label16", {u8"mV-Meßkreisüberwachung", u8"mV measure loop", u8"Bewaking mV-meetkring"}},
    {"Label14", {u8"Widerstands-Meßkreisüberwachung", u8"Resistor measure loop", u8"Bewaking weerstandsmeetkring"}},
    {"Label13", {u8"Ausgangssignal", u8"Output signal loop", u8"Uitgangssignaal"}},
    {"Label15", {u8"Sensor-/Ltg.-Bruch", u8"Sensor or wire break", u8"Sensor-/draadbreuk"}},
    {"Label29", {u8"Relais 1, Relais 2, Relais 3", u8"Relay 1, relay 2, relay 3", u8"Relais 1, Relais 2, Relais 3"}},
    {"Label30", {u8"Fehlerquellen", u8"Error sources", u8"Foutbronnen"}},
    {"lbl_thrl_max", {u8"Thermoelement-Sensor-/Leitungsbruch", u8"TC open circuit", u8"TC open circuit"}},
};
constexpr PageCaption check30_units_range[] = {
    {"Label10", {u8"% vom Meßbereich", u8"% of range", u8"% van meetbereik"}},
    {"Label1", {u8"% vom Meßbereich", u8"% of range", u8"% van meetbereik"}},
};
constexpr PageCaption check30_units_410[] = {
    {"Label10", {u8"mV", u8"mV", u8"mV"}},
    {"Label1", {u8"% vom Fühlerstrom", u8"% of measuring current", u8"% of measuring current"}},
};

// The DLX supervision page.
constexpr PageCaption check_m_rows[] = {
    {"Label5", {u8"Eingangssignal", u8"Analog input", u8"Analoge ingang"}},
    {"Label8", {u8"Ausgangssignal", u8"Analog output", u8"Analoge uitgang"}},
    {"Label20", {u8"Analogausgang:", u8"Analog output", u8"Analoge uitgang"}},
    {"Label16", {u8"Eingangssignal", u8"Analog input", u8"Analoge ingang"}},
    {"Label14", {u8"Maximaler Eingangswert", u8"Maximum input value", u8"Max. ingang-waarde"}},
    {"Label13", {u8"Minimaler Eingangswert", u8"Minimum input value", u8"Min. ingang-waarde"}},
    {"Label15", {u8"Ausgangssignal", u8"Analog output", u8"Analoge uitgang"}},
    {"Label18", {u8"Transmitter-Speisestromkreis", u8"Transmitter supply current circuit", u8"Transmittervoeding"}},
    {"Label29", {u8"Interner Gerätefehler", u8"Internal device error", u8"Internal device error"}},
    {"Label1", {u8"Relais 1, Relais 2, Relais 3", u8"Relay 1, relay 2, relay 3", u8"Relais 1, Relais 2, Relais 3"}},
    {"Label30", {u8"Fehlerquellen:", u8"Error sources", u8"Foutbronnen"}},
    {"Label10", {u8"% vom Meßbereich", u8"% of range", u8"% van meetbereik"}},
};

constexpr PageCaption comment_rows[] = {
    {"", {u8"Kommentarspeicher", u8"Comment memory", u8"Opmerkingen"}},
    {"B_Zurück", back_to_main_menu},
    {"Command3D1", {u8"Kommentar &einlesen", u8"Read in comment", u8"&Inlezen"}},
    {"B_save", {u8"&Kommentar speichern", u8"Save comment", u8"Opmerkingen overschrijven"}},
    {"Command3D2", {u8"&Kommentar &drucken", u8"Print comment", u8"Opmerkingen &printen"}},
};
// clang-format on

}  // namespace

void apply_page_captions(ui::Form& page, std::span<const PageCaption> table) {
    const Lang lang = current_lang();
    for (const PageCaption& row : table) {
        const std::string text = platform::utf8_to_cp1252(row.text.in(lang));
        if (row.control.empty())
            apply_caption(page, row.control, CaptionTarget::form_title, text + model::tag_header());
        else
            apply_caption(page, row.control, CaptionTarget::caption, text);
    }
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

void set_lang_comment(ui::Form& comment) {
    apply_page_captions(comment, comment_rows);
}

std::span<const PageCaption> supervision_captions() {
    return supervision_rows;
}
std::span<const PageCaption> check30_captions() {
    return check30_rows;
}
std::span<const PageCaption> check_m_captions() {
    return check_m_rows;
}
void set_lang_check30(ui::Form& s_chk_30) {
    apply_page_captions(s_chk_30, supervision_rows);
    apply_page_captions(s_chk_30, check30_rows);
    // Asked once: from KRV firmware 4.10 the tolerances are in mV and % of the current.
    apply_page_captions(s_chk_30,
                        model::krv_fw_at_least_410() != 0 ? check30_units_410 : check30_units_range);
}
void set_lang_check_m(ui::Form& s_chk_m) {
    apply_page_captions(s_chk_m, supervision_rows);
    apply_page_captions(s_chk_m, check_m_rows);
}

}  // namespace dvx::texts

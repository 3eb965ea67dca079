#include "texts/captions_wartung.h"

namespace dvx::texts {
namespace {

// Both pages: title, buttons, frame and column heads first, the system frame last.
// clang-format off
constexpr PageCaption head[] = {
    {"", {u8"Diagnosemanager", u8"Diagnostic manager", u8"Diagnose manager"}},
    {"B_Zurück", back_to_main_menu},
    {"Frame3D2", {u8"Wartungsbedarf für:", u8"Maintenance for", u8"Onderhoudsbehoefte voor :"}},
    {"Label20", {u8"aktueller Fehler", u8"Current fault", u8"Actuele fout"}},
    {"Label21", {u8"Fehlerspeicher", u8"Fault memory", u8"Geheugenfout"}},
    {"B_err_res", {u8"&Fehlerspeicher zurücksetzen", u8"Reset fault memory", u8"Reset van geheugenfout"}},
};
constexpr PageCaption tail[] = {
    {"fra_system", {u8"Interner Gerätefehler", u8"Internal device error", u8"Internal device error"}},
};

// The row captions: the same label names show other error sources on the two pages.
constexpr PageCaption dlx_rows[] = {
    {"lbl_e_0002", {u8"EEPROM-Speicher", u8"EEPROM", u8"EEPROM geheugen"}},
    {"lbl_e_0080", {u8"RAM-/EPROM-Speicher", u8"RAM/EPROM", u8"RAM-/EPROM geheugen"}},
    {"lbl_e_0004", {u8"Slave-Prozessor", u8"Slave processor", u8"Slave processor"}},
    {"lbl_e_0040", {u8"Versorgung für Slave-Prozessor", u8"Supply for slave processor", u8"Voeding t.b.v. slave processor"}},
    {"Label14", {u8"Versorgung für Master-Prozessor", u8"Supply for master processor", u8"Voeding t.b.v. master processor"}},
    {"Label13", {u8"Ausgangssignal", u8"Analog output signal", u8"Analoge uitgang"}},
    {"Label15", {u8"Eingangssignal", u8"Analog input signal", u8"Analoge ingang"}},
    {"Label18", {u8"Minimaler Wert des Eingangssignals", u8"Minimum value of input signal", u8"Min. ingang-waarde"}},
    {"Label11", {u8"Maximaler Wert das Eingangssignals", u8"Maximum value of input signal", u8"Max. ingang-waarde"}},
    {"Label1", {u8"Transmitter-Speisestromkreis", u8"Transmitter supply circuit", u8"Transmitter-voedingsstroomkring"}},
    {"Label2", {u8"Relais 1, Relais 2, Relais 3", u8"Relay 1, relay 2, relay 3", u8"Relais 1, relais 2, relais 3"}},
};

constexpr PageCaption krv_rows[] = {
    {"lbl_e_0002", {u8"Slave-Prozessor", u8"slave processor", u8"Slave processor"}},
    {"lbl_e_0080", {u8"Versorgung für Slave-Prozessor", u8"Supply for slave processor", u8"Voeding t.b.v. slave processor"}},
    {"lbl_e_0004", {u8"Versorgung für Master-Prozessor", u8"Supply for master processor", u8"Voeding t.b.v. master processor"}},
    {"lbl_e_0040", {u8"mV-Meßkreisüberwachung", u8"mV circuit", u8"Bewaking mV-meetkring"}},
    {"Label14", {u8"Widerstands-Meßkreisüberwachung", u8"Resistor circuit", u8"Bewaking weerstandsmeetkring"}},
    {"Label13", {u8"Ausgangssignal", u8"Output signal", u8"Analoge uitgang"}},
    {"Label15", {u8"Sensor-/Ltg.-Bruch", u8"Sensor or wire break ", u8"Sensor-/leidingsbreuk"}},
    {"Label18", {u8"RAM-/EPROM-Speicher", u8"RAM/EPROM", u8"RAM-/EPROM geheugen"}},
    {"Label11", {u8"EEPROM-Speicher", u8"EEPROM", u8"EEPROM geheugen"}},
    {"Label1", {u8"Relais 1, Relais 2, Relais 3", u8"Relay 1, relay 2, relay 3", u8"Relais 1, relais 2, relais 3"}},
};
// clang-format on

void apply(ui::Form& page, std::span<const PageCaption> rows) {
    apply_page_captions(page, head);
    apply_page_captions(page, rows);
    apply_page_captions(page, tail);
}

}  // namespace

void set_lang_wartung(ui::Form& page) {
    apply(page, dlx_rows);
}
void set_lang_wartung_krv(ui::Form& page) {
    apply(page, krv_rows);
}

}  // namespace dvx::texts

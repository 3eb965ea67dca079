#include "texts/captions_main.h"

#include <string>

#include "model/param_image.h"
#include "platform/cp1252.h"
#include "ui/controls.h"
#include "ui/text_metrics.h"

namespace dvx::texts {
namespace {

using W = CaptionWhen;

// "&" marks the access key of the following letter.
// clang-format off
constexpr CaptionRow rows[] = {
    {"", W::krv, {u8"KRV - Hauptmenü", u8"KRV main menu", u8"KRV - Hoofdmenu"}, CaptionTarget::form_title},
    {"", W::dlx, {u8"DLX - Hauptmenü", u8"DLX main menu", u8"DLX - Hoofdmenu"}, CaptionTarget::form_title},
    {"Label3", W::krv, {u8"KRV-&Version:", u8"KRV version", u8"KRV-&versie:"}},
    {"Label3", W::dlx, {u8"DLX-&Version:", u8"DLX version", u8"DLX-&versie:"}},
    {"B_FQN_Read", W::krv, {u8"KRV-Daten &einlesen", u8"Read in KRV data", u8"KRV gegevens inlezen"}},
    {"B_FQN_Read", W::dlx, {u8"DLX-Daten &einlesen", u8"Read in DLX data", u8"DLX gegevens inlezen"}},
    {"B_FQN_Write", W::krv, {u8"KRV &programmieren", u8"KRV program", u8"KRV &programmeren"}},
    {"B_FQN_Write", W::dlx, {u8"DLX &programmieren", u8"DLX program", u8"DLX &programmeren"}},
    {"Frame3D3", W::krv, {u8"KRV-Kennung", u8"KRV identification", u8"KRV identificatie"}},
    {"Frame3D3", W::dlx, {u8"DLX-Kennung", u8"DLX identification", u8"DLX identificatie"}},
    {"lab_adr_sel", W::direct_krv, {u8"KRV-Ad&resse:", u8"KRV address", u8"KRV adres:"}},
    {"lab_adr_sel", W::direct_dlx, {u8"DLX-Ad&resse:", u8"DLX address", u8"DLX adres:"}},
    {"lab_adr_sel", W::gateway, {u8"Rack No.:", u8"Rack No.", u8"Rack No.:"}},
    {"lbl_bnrnr", W::krv, {u8"KRV-No.:", u8"KRV No.", u8"KRV No.:"}},
    {"lbl_bnrnr", W::dlx, {u8"DLX-No.:", u8"DLX No.", u8"DLX No.:"}},
    {"B_io", W::krv, {u8"Meße&ingänge", u8"Measure inputs", u8"Meetingangen"}},
    {"B_io", W::dlx, {u8"Meße&ingang", u8"Measure input", u8"Meetingang"}},
    {"m_dat", W::always, {u8"&Datei", u8"File", u8"Bestand"}},
    {"m_dat_load", W::always, {u8"Konfiguration &laden", u8"Load configuration", u8"Configuratie laden"}},
    {"m_dat_save", W::always, {u8"Konfiguration &speichern", u8"Save configuration", u8"Configuratie opslaan"}},
    {"m_dat_print", W::always, {u8"Konfiguration &drucken", u8"Print configuration", u8"Configuratie printen"}},
    {"m_dat_mpr", W::always, {u8"Kommen&tar drucken", u8"Print comment", u8"Opmerkingen printen"}},
    {"m_dat_exit", W::always, {u8"Programm beenden", u8"Quit", u8"Programma beëindigen"}},
    {"m_pas", W::always, {u8"Zugriffsrechte", u8"Permissions", u8"Toegangsrechten"}},
    {"m_pas_enter", W::always, {u8"Paßwort eingeben", u8"Enter password", u8"Password ingeven"}},
    {"m_pas_chg", W::always, {u8"Paßwort ändern", u8"Change password", u8"Password wijzigen"}},
    {"m_pas_1", W::always, {u8"Paßwortebene 1", u8"Password level 1", u8"Password niveau 1"}},
    {"m_pas_2", W::always, {u8"Paßwortebene 2", u8"Password level 2", u8"Password niveau 2"}},
    {"m_calib", W::always, {u8"Kalibrierung", u8"Calibration", u8"Kalibratie"}},
    {"m_cal_inp", W::always, {u8"Eingang kalibrieren", u8"Calibrate input", u8"Ingang kalibreren"}},
    {"m_cal_out", W::always, {u8"Ausgang kalibrieren", u8"Calibrate output", u8"Uitgang kalibreren"}},
    {"Label1", W::always,
     {u8"DORVANEX   -   Konfigurationsprogramm", u8"DORVANEX    configuration program",
      u8"DORVANEX  -  Configuratieprogramma"}},
    {"B_exit", W::always, {u8"Programm &beenden", u8"Quit", u8"Programma beëindigen"}},
    {"Frame3D1", W::always, {u8"Schnittstelle", u8"Interface", u8"Communicatiepoort"}},
    {"Check3D2", W::always,
     {u8"Kalibrierwerte &überschreiben", u8"Overwrite calibration values?", u8"Kalibratie overschrijven"}},
    {"lab_com_sel", W::always, {u8"PC-Sch&nittstelle:", u8"PC interface", u8"PC-communicatiepoort:"}},
    {"Frame3D2", W::always,
     {u8"Angeschlossene KRV/DLX-Geräte", u8"Connected KRV/DLX units", u8"Aangesloten KRV/DLX modules"}},
    {"Command3D4", W::always, {u8"Adressen &suchen...", u8"Search addresses", u8"Adressen zoeken ......"}},
    {"Label7", W::always, {u8"Adresse:", u8"Address", u8"Adres:"}},
    {"Label11", W::always, {u8"Serial No:", u8"Serial No.", u8"Serienummer:"}},
    {"Label12", W::always, {u8"TAG No:", u8"TAG No.", u8"TAG nummer"}},
    {"B_Out", W::always, {u8"Analoga&usgang", u8"Analog output", u8"Analoge uitgang"}},
    {"B_dout", W::always, {u8"&Alarmausgänge", u8"Alarm outputs", u8"Digitale uitgangen"}},
    {"B_Schk", W::always, {u8"Überwachungsmaßna&hmen", u8"System controlling", u8"Beveiligingsacties"}},
    {"Command3D3", W::always, {u8"Diagnosemanager", u8"Diagnostic manager", u8"Diagnose-manager"}},
    {"B_comment", W::always, {u8"Ko&mmentarspeicher", u8"Comment memory", u8"Opmerkingen"}},
    {"B_online", W::always, {u8"On&line-Darstellung", u8"Online representation", u8"On line weergave"}},
    {"Label9", W::always, {u8"Serial N&o:", u8"Serial No.", u8"Serienummer:"}},
    {"Label5", W::always, {u8"TA&G No:", u8"TAG No.", u8"TAG nummer:"}},
    {"Label6", W::always, {u8"A&dresse:", u8"Address", u8"Adres:"}},
    {"Frame3D4", W::always, {u8"Gerätetyp", u8"Device type", u8"Type apparaat"}},
    {"m_restore", W::always, {u8"Konfiguration", u8"Configuration", u8"Configuratie"}},
    {"m_restore_cfg", W::always,
     {u8"Konfiguration wiederherstellen", u8"Restore configuration", u8"Configuratie weer herstellen"}},
    {"m_uebertr", W::always, {u8"BNR/HZL", u8"BNR/HZL", u8"BNR/HZL"}},
    {"liv_scan", W::always, {u8"Gerät", u8"Device", u8"Apparaat"}, CaptionTarget::column_2},
    {"fra_bulk_upd", W::always,
     {u8"Parameter bei allen Geräten setzen", u8"Set one parameter for all devices",
      u8"Set one parameter for all devices"}},
    {"cmd_bulk_set", W::always, {u8"Parameter setzen", u8"Set parameter", u8"Set parameter"}},
};

// By list position; the word each position sets is the main window's bulk table.
constexpr MsgForms bulk_rows[] = {
    {u8"Meßbereichsanfang", u8"Start of measure range", u8"Start of measure range"},
    {u8"Meßbereichsende", u8"End of measure range", u8"End of measure range"},
    {u8"Filterzeit", u8"Filter time", u8"Filter time"},
    {u8"Analogausgang/Bereichsanfang", u8"Analog output/Start of range", u8"Analog output/Start of range"},
    {u8"Analogausgang/Bereichsende", u8"Analog output/End of range", u8"Analog output/End of range"},
    {u8"Analogausgang/MIN-Begrenzung", u8"Analog output/MIN-limit", u8"Analog output/MIN-limit"},
    {u8"Analogausgang/MAX-Begrenzung", u8"Analog output/MAX-limit", u8"Analog output/MAX-limit"},
    {u8"Analogausgang/Alarmwert", u8"Analog output/Alarm value", u8"Analog output/Alarm value"},
    {u8"Analogausgang/Filterzeit", u8"Analog output/Filter time", u8"Analog output/Filter time"},
    {u8"mV-Eingang -max. Toleranz", u8"mV input - maximum tolerance", u8"mV input - maximum tolerance"},
    {u8"Widerstandseingang - max. Toleranz", u8"Resistor input - maximum tolerance",
     u8"Resistor input - maximum tolerance"},
    {u8"Analogausgang - maximale Toleranz", u8"Analog output - maximum tolerance",
     u8"Analog output - maximum tolerance"},
    {u8"Thermoelement Leitungsbruch", u8"TC open circuit resistance", u8"TC open circuit resistance"},
};

// clang-format on

bool applies(CaptionWhen when, bool krv, bool direct) {
    switch (when) {
        case W::always:
            return true;
        case W::krv:
            return krv;
        case W::dlx:
            return !krv;
        case W::direct_krv:
            return direct && krv;
        case W::direct_dlx:
            return direct && !krv;
        case W::gateway:
            return !direct;
    }
    return false;
}

}  // namespace

void apply_captions(ui::Form& form, std::span<const CaptionRow> rows) {
    const Lang lang = current_lang();
    const bool krv = is_krv != 0;
    const bool direct = model::bus_mode == 0;
    for (const CaptionRow& row : rows)
        if (applies(row.when, krv, direct))
            apply_caption(form, row.control, row.target, platform::utf8_to_cp1252(row.text.in(lang)));
}

std::span<const CaptionRow> main_caption_table() {
    return rows;
}
std::span<const MsgForms> bulk_param_texts() {
    return bulk_rows;
}

void set_lang_main(ui::Form& main) {
    apply_captions(main, rows);

    const Lang lang = current_lang();
    if (auto* list = dynamic_cast<ui::ListControl*>(main.control("cmb_bulk_param"))) {
        list->clear();
        for (int i = 0; i < static_cast<int>(std::size(bulk_rows)); ++i)
            list->add_item(platform::utf8_to_cp1252(bulk_rows[i].in(lang)), i);
    }

    // The "(R)" sign follows the product name in the banner whatever text follows it. The
    // name is measured as the banner draws it: the window's font at the banner's size
    // alone is narrower than the bold name, and the sign would stand on its last letter.
    auto* banner = dynamic_cast<ui::Label*>(main.control("Label1"));
    ui::Control* mark = main.control("Label10");
    if (banner && mark) {
        main.set_font_size(banner->font().size);
        mark->set_left(banner->left() + ui::text_width(banner->font(), "DORVANEX"));
    }
}

}  // namespace dvx::texts

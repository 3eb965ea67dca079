#include "platform/fault.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "platform/cp1252.h"

namespace dvx::platform {

namespace {

struct Row {
    FaultText id;
    std::u8string_view de, en, nl;
};

// One row a fault, in the order of FaultText.
constexpr Row rows[] = {
    {FaultText::permission_denied, u8"Zugriff verweigert", u8"Permission denied",
     u8"Toegang geweigerd"},
    {FaultText::path_not_found, u8"Pfad nicht gefunden", u8"Path not found", u8"Pad niet gevonden"},
    {FaultText::disk_full, u8"Datenträger voll", u8"Disk full", u8"Schijf vol"},
    {FaultText::device_io_error, u8"E/A-Fehler des Geräts", u8"Device I/O error",
     u8"I/O-fout op apparaat"},
    {FaultText::path_file_access_error, u8"Fehler beim Zugriff auf Pfad/Datei",
     u8"Path/File access error", u8"Fout bij toegang tot pad/bestand"},
    {FaultText::file_in_use, u8"Die Datei wird von einem anderen Programm verwendet",
     u8"The file is in use by another program",
     u8"Het bestand wordt door een ander programma gebruikt"},
    {FaultText::file_not_found, u8"Datei nicht gefunden", u8"File not found",
     u8"Bestand niet gevonden"},
    {FaultText::settings_unreadable, u8"Die Einstellungsdatei kann nicht gelesen werden",
     u8"The settings file cannot be read", u8"Het instellingenbestand kan niet worden gelezen"},
    {FaultText::settings_damaged, u8"Die Einstellungsdatei ist beschädigt",
     u8"The settings file is damaged", u8"Het instellingenbestand is beschadigd"},
    {FaultText::settings_unwritable, u8"Die Einstellungsdatei kann nicht geschrieben werden",
     u8"The settings file cannot be written",
     u8"Het instellingenbestand kan niet worden geschreven"},
    {FaultText::settings_in_use,
     u8"Die Einstellungsdatei wird von einem anderen Programm verwendet",
     u8"The settings file is in use by another program",
     u8"Het instellingenbestand wordt door een ander programma gebruikt"},
    {FaultText::port, u8"Schnittstelle", u8"Port", u8"Poort"},
    {FaultText::port_open, u8"Öffnen der Schnittstelle", u8"Port open", u8"Openen van de poort"},
    {FaultText::port_read, u8"Lesen von der Schnittstelle", u8"Port read", u8"Lezen van de poort"},
    {FaultText::port_write, u8"Schreiben auf die Schnittstelle", u8"Port write",
     u8"Schrijven naar de poort"},
    {FaultText::port_settings, u8"Schnittstelleneinstellungen", u8"Port settings",
     u8"Poortinstellingen"},
    {FaultText::port_received_count, u8"Schnittstelle: Anzahl empfangener Bytes",
     u8"Port received count", u8"Poort: aantal ontvangen bytes"},
    {FaultText::port_send_count, u8"Schnittstelle: Anzahl zu sendender Bytes", u8"Port send count",
     u8"Poort: aantal te verzenden bytes"},
    {FaultText::port_in_use, u8"Schnittstelle wird bereits verwendet", u8"Port already in use",
     u8"Poort is al in gebruik"},
    {FaultText::port_not_open, u8"Schnittstelle ist nicht geöffnet", u8"Port is not open",
     u8"Poort is niet geopend"},
    {FaultText::port_already_open, u8"Schnittstelle ist bereits geöffnet", u8"Port already open",
     u8"Poort is al geopend"},
    {FaultText::port_write_no_room, u8"Schreiben auf die Schnittstelle: kein Platz im Sendepuffer",
     u8"Port write: no room in the send buffer",
     u8"Schrijven naar de poort: geen ruimte in de zendbuffer"},
    {FaultText::invalid_port_number, u8"Ungültige Schnittstellennummer", u8"Invalid port number",
     u8"Ongeldig poortnummer"},
    {FaultText::invalid_port_settings, u8"Ungültige Schnittstelleneinstellungen",
     u8"Invalid port settings", u8"Ongeldige poortinstellingen"},
    {FaultText::no_port, u8"Gerät nicht verfügbar", u8"Device unavailable",
     u8"Apparaat niet beschikbaar"},
    {FaultText::invalid_call, u8"Ungültiger Prozeduraufruf oder ungültiges Argument",
     u8"Invalid procedure call or argument", u8"Ongeldige procedure-aanroep of ongeldig argument"},
    {FaultText::invalid_value, u8"Ungültiger Eigenschaftswert", u8"Invalid property value",
     u8"Ongeldige eigenschapswaarde"},
    {FaultText::no_object, u8"Objektvariable oder With-Blockvariable nicht festgelegt",
     u8"Object variable or With block variable not set",
     u8"Objectvariabele of With-blokvariabele is niet ingesteld"},
    {FaultText::no_property, u8"Objekt unterstützt diese Eigenschaft oder Methode nicht",
     u8"Object doesn't support this property or method",
     u8"Object ondersteunt deze eigenschap of methode niet"},
    {FaultText::bad_subscript, u8"Index außerhalb des gültigen Bereichs",
     u8"Subscript out of range", u8"Index valt buiten het bereik"},
    {FaultText::no_array_element, u8"Steuerelementfeld-Element '%1' existiert nicht",
     u8"Control array element '%1' doesn't exist",
     u8"Element '%1' van de besturingselementmatrix bestaat niet"},
    {FaultText::cant_move,
     u8"Ein minimiertes oder maximiertes Fenster kann nicht verschoben oder in der Größe geändert "
     u8"werden",
     u8"Can't move or size a minimized or maximized window",
     u8"Een geminimaliseerd of gemaximaliseerd venster kan niet worden verplaatst of van grootte "
     u8"worden veranderd"},
    {FaultText::cancel, u8"Abbrechen wurde gewählt.", u8"Cancel was selected.",
     u8"Annuleren is gekozen."},
    {FaultText::printer, u8"Druckerfehler", u8"Printer error", u8"Printerfout"},
    {FaultText::type_mismatch, u8"Typen unverträglich", u8"Type mismatch",
     u8"Typen komen niet overeen"},
    {FaultText::overflow, u8"Überlauf", u8"Overflow", u8"Overloop"},
    {FaultText::no_clock, u8"Keine Uhr installiert", u8"No clock installed",
     u8"Geen klok geïnstalleerd"},
    {FaultText::no_event_loop, u8"Keine Ereignisschleife installiert", u8"No event loop installed",
     u8"Geen gebeurtenislus geïnstalleerd"},
    {FaultText::no_message_boxes, u8"Kein Meldungsfenster-Dienst installiert",
     u8"No message box service installed", u8"Geen berichtvensterdienst geïnstalleerd"},
    {FaultText::no_file_dialogs, u8"Kein Dateidialog-Dienst installiert",
     u8"No file dialog service installed", u8"Geen bestandsdialoogdienst geïnstalleerd"},
    {FaultText::no_files, u8"Kein Dateidienst installiert", u8"No file service installed",
     u8"Geen bestandsdienst geïnstalleerd"},
    {FaultText::no_registry, u8"Kein Registrierungsdienst installiert",
     u8"No registry service installed", u8"Geen registerdienst geïnstalleerd"},
};

constexpr bool rows_in_order() {
    for (std::size_t i = 0; i < std::size(rows); ++i)
        if (static_cast<std::size_t>(rows[i].id) != i) return false;
    return true;
}
static_assert(rows_in_order(), "one row a fault, in the order of FaultText");
static_assert(std::size(rows) == static_cast<std::size_t>(FaultText::no_registry) + 1);

std::atomic<FaultLanguage> language{FaultLanguage::english};

// The table in Windows-1252, converted once.
const std::array<std::string, 3>& texts_of(FaultText id) {
    static const auto table = [] {
        std::array<std::array<std::string, 3>, std::size(rows)> t;
        for (std::size_t i = 0; i < std::size(rows); ++i)
            t[i] = {utf8_to_cp1252(rows[i].de), utf8_to_cp1252(rows[i].en),
                    utf8_to_cp1252(rows[i].nl)};
        return t;
    }();
    return table[static_cast<std::size_t>(id)];
}

}  // namespace

void set_fault_language(FaultLanguage lang) {
    language = lang;
}

FaultLanguage fault_language() {
    return language;
}

std::string fault_text(FaultText id, FaultLanguage lang) {
    return texts_of(id)[static_cast<std::size_t>(lang)];
}

std::string fault_text(FaultText id, const std::string& arg) {
    std::string text = fault_text(id, fault_language());
    if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, arg);
    return text;
}

namespace {

// A text in the locale's character set as UTF-8; as it is when the locale's set is
// UTF-8 (or ASCII) or cannot be converted from.
std::string locale_to_utf8(const std::string& text) {
    const std::string_view set = ::nl_langinfo(CODESET);
    if (set == "UTF-8" || set == "utf8" ||
        std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
        return text;
    const iconv_t cd = ::iconv_open("UTF-8", std::string(set).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string in = text;
    std::string out(in.size() * 4, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t from_left = in.size(), to_left = out.size();
    const bool whole = ::iconv(cd, &from, &from_left, &to, &to_left) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    if (!whole) return text;
    out.resize(out.size() - to_left);
    return out;
}

}  // namespace

std::string system_reason(int err) {
    return system_to_cp1252(locale_to_utf8(std::strerror(err)));
}

std::string text_of(const std::exception& e) {
    if (const auto* fault = dynamic_cast<const Fault*>(&e)) return fault->text();
    return system_to_cp1252(e.what());
}

}  // namespace dvx::platform

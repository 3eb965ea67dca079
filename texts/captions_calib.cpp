#include "texts/captions_calib.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "model/dlx_input_kind.h"
#include "model/input_types.h"
#include "platform/cp1252.h"
#include "texts/caption_target.h"
#include "texts/captions_pages.h"

namespace dvx::texts {
namespace {

using W = CalibWhen;

constexpr MsgForms read_in{u8"Einlesen", u8"Read in", u8"Inlezen"};
constexpr MsgForms other_sensors{u8"&andere Sensortypen", u8"&Other sensor types",
                                 u8"Andere types sensoren"};
constexpr MsgForms point_1{u8"&1. Kalibrierpunkt", u8"1. Point of calibration", u8"1. kalibratiepunt"};
constexpr MsgForms point_2{u8"&2. Kalibrierpunkt", u8"2. Point of calibration", u8"2. kalibratiepunt"};
constexpr MsgForms sensor_type{u8"&Sensortyp", u8"Sensor type", u8"Type sensor"};
constexpr MsgForms with_cjt{u8"TVG bei der Kalibrierung berücksichtigen", u8"Calibration with CJT",
                            u8"Rekening houden met koude las compensatie bij kalibratie"};
constexpr MsgForms pt100{u8"Pt-100", u8"Pt-100", u8"Pt-100"};
constexpr MsgForms ni120{u8"Ni-120", u8"Ni-120", u8"Ni-120"};
constexpr MsgForms cjt_frame{u8"Temperaturvergleichsstelle (TVG)", u8"Cold junction temperature (CJT)",
                             u8"Koude las compensatie (TVG)"};
constexpr MsgForms lead_in{u8"Zuleitungswiderstand", u8"Lead-in impedance", u8"Leidingsweerstand"};
constexpr MsgForms cjt_offset{u8"TVG-Sensor-Offset", u8"CJT sensor offset", u8"Koude las (TVG) - off set"};
constexpr MsgForms filter{u8"Filterwert", u8"Filter value", u8"Filterwaarde"};

// clang-format off
// The first sheets of both firmware generations share their top rows and the rows of the
// thermocouple frame Frame3D2 after its caption; the firmware-4 sheet's resistance hint
// has two leading blanks where the older one has signs.
constexpr CalibCaptionRow first_sheet_top_rows[] = {
    {"", W::always, {u8"Eingang kalibrieren", u8"Calibrate input ", u8"Ingang kalibreren"}},
    {"B_Zurück", W::always, back_to_main_menu},
    {"Command3D3", W::always, other_sensors},
    {"Label14", W::always, {u8"&Sensortyp", u8"Sensor type", u8"Type sensor "}},
    {"Label7", W::always, point_1},
    {"Label9", W::always, point_2},
    {"Command3D6", W::always, read_in},
    {"Command3D7", W::always, read_in},
    {"Frame3D4", W::rtd_pt100, pt100},
    {"Frame3D4", W::rtd_ni120, ni120},
    {"Frame3D3", W::always, cjt_frame},
    {"Lab_3", W::always, lead_in},
    {"L_C_3", W::always, cjt_offset},
    {"Lab_filter", W::always, filter},
};

constexpr CalibCaptionRow tc2_frame_rows[] = {
    {"Label6", W::always, sensor_type},
    {"Label4", W::always, point_1},
    {"Label5", W::always, point_2},
    {"Command3D4", W::always, read_in},
    {"Command3D5", W::always, read_in},
    {"tvg_2", W::always, with_cjt},
};

constexpr CalibCaptionRow krv4_cal_rows[] = {
    {"Label16", W::always, {u8"  0.39 Ohm pro 1°C", u8"  0.39 Ohm per 1°C", u8"  0.39 Ohm per 1°C"}},
    {"Frame3D2", W::always,
     {u8"Thermoelement und mV Eingang", u8"Thermocouple and mV-Input", u8"Thermokoppel en mV ingang"}},
};

constexpr CalibCaptionRow krv_cal_rows[] = {
    {"Label16", W::always,
     {u8"+/-0.39 Ohm pro +/-1°C", u8"+/-0.39 Ohm per +/-1°C", u8"+/-0.39 Ohm per +/-1°C"}},
    {"Frame3D1", W::always,
     {u8"Th Typ: B,R,T,S,U", u8"Types of TC: B,R,T,S,U", u8"Thermokoppel type: B,R,T,S,U"}},
    {"Label1", W::always, sensor_type},
    {"Label11", W::always, point_1},
    {"Label8", W::always, point_2},
    {"Command3D2", W::always, read_in},
    {"Command3D1", W::always, read_in},
    {"tvg_1", W::always, with_cjt},
    {"Frame3D2", W::always,
     {u8"Th Typ: E,J,K,L und mV Eingang", u8"Types of TC: E,J,K,L and mV-Input",
      u8"Thermokoppel type : E,J,K,L en mV ingang"}},
};

constexpr CalibCaptionRow krv_cal1_rows[] = {
    {"", W::always, {u8"Eingang kalibrieren", u8"Calibrate input", u8"Ingang kalibreren"}},
    {"B_Zurück", W::always, back_to_main_menu},
    {"Command3D3", W::always, other_sensors},
    {"Frame3D2", W::always,
     {u8"Widerstand 0-600 Ohm (Sensor in 2- oder 4-Lt.-Schaltung)",
      u8"Resistor 0-600 Ohm (2- or 4-wire-connection)",
      u8"Weerstand 0-600 ohm (sensor in 2- of 4-draads schakeling)"}},
    {"Label4", W::always, point_1},
    {"Label5", W::always, point_2},
    {"Command3D4", W::always, read_in},
    {"Command3D5", W::always, read_in},
    {"Frame3D3", W::always,
     {u8"Widerstand 0-5000 Ohm (Sensor in 2- oder 4-Lt.-Schaltung)",
      u8"Resistor 0-5000 Ohm (2- or 4-wire-connection)",
      u8"Weerstand 0-5000 ohm (sensor in 2- of 4-draads schakeling)"}},
    {"Label3", W::always, point_1},
    {"Label2", W::always, point_2},
    {"Command3D7", W::always, read_in},
    {"Command3D6", W::always, read_in},
    {"Frame3D4", W::always,
     {u8"Stromsignal +/-20 mA", u8"Current signal  +/-20 mA", u8"Stroomsignaal +/- 20mA"}},
    {"Label14", W::always, point_1},
    {"Label15", W::always, point_2},
    {"Command3D9", W::always, read_in},
    {"Command3D10", W::always, read_in},
    {"Frame3D5", W::always,
     {u8"Spannungsignal +/- 10V", u8"Voltage signal  +/-10 V", u8"Spanningssignaal +/- 10V"}},
    {"Label17", W::always, point_1},
    {"Label16", W::always, point_2},
    {"Command3D12", W::always, read_in},
    {"Command3D11", W::always, read_in},
};

constexpr CalibCaptionRow dlx_cal_rows[] = {
    {"", W::always, {u8"Eingang kalibrieren", u8"Calibrate input", u8"Ingang kalibreren"}},
    {"B_Zurück", W::always, back_to_main_menu},
    {"Frame3D4", W::voltage_input, {u8"Spannungssignal", u8"Voltage signal", u8"Voltagesignaal"}},
    {"Frame3D4", W::current_input, {u8"Stromsignal", u8"Current signal", u8"Stroomsignaal"}},
    {"Label14", W::always, point_1},
    {"Label15", W::always, point_2},
    {"Command3D9", W::always, read_in},
    {"Command3D10", W::always, read_in},
    {"Command3D1", W::always, read_in},
    {"Frame3D1", W::always, {u8"Speisestromkreis", u8"Supply circuit", u8"Stroomkring voeding"}},
};

// The box's title names the family and has no tag header.
constexpr MsgForms fqn_title_krv{u8"KRV - MESSUNG", u8"KRV measurement", u8"KRV - METING"};
constexpr MsgForms fqn_title_dlx{u8"DLX - MESSUNG", u8"DLX measurement", u8"DLX - METING"};
constexpr CalibCaptionRow fqn_calib_rows[] = {
    {"Label3", W::always, {u8"Messung läuft !", u8"Measurement runs", u8"Meting loopt !"}},
    {"Command3D1", W::always, {u8"Abbruch", u8"Cancel", u8"Afbreken"}},
};
// clang-format on

bool applies(CalibWhen when) {
    switch (when) {
        case W::always:
            return true;
        case W::rtd_pt100:
            return model::is_ni120 == 0;
        case W::rtd_ni120:
            return model::is_ni120 != 0;
        case W::voltage_input:
            return model::is_voltage_input(link::status_regs[2]);
        case W::current_input:
            return !model::is_voltage_input(link::status_regs[2]);
    }
    return false;
}

// The rows of the tables, in order, that apply now, set by the pages' caption procedure
// (the title with the tag header).
void apply(ui::Form& form, std::initializer_list<std::span<const CalibCaptionRow>> tables) {
    std::vector<PageCaption> now;
    for (auto rows : tables)
        for (const CalibCaptionRow& row : rows)
            if (applies(row.when)) now.push_back({row.control, row.text});
    apply_page_captions(form, now);
}

}  // namespace

void set_lang_krv4_cal(ui::Form& page) {
    apply(page, {first_sheet_top_rows, krv4_cal_rows, tc2_frame_rows});
}
void set_lang_krv4_cal1(ui::Form& page) {
    apply(page, {krv_cal1_rows});
}
void set_lang_krv_cal(ui::Form& page) {
    apply(page, {first_sheet_top_rows, krv_cal_rows, tc2_frame_rows});
}
void set_lang_krv_cal1(ui::Form& page) {
    apply(page, {krv_cal1_rows});
}
void set_lang_dlx_cal(ui::Form& page) {
    apply(page, {dlx_cal_rows});
}
void set_lang_fqn_calib(ui::Form& box) {
    apply_caption(box, "", CaptionTarget::form_title,
                  platform::utf8_to_cp1252((is_krv != 0 ? fqn_title_krv : fqn_title_dlx).in(current_lang())));
    apply(box, {fqn_calib_rows});
}

}  // namespace dvx::texts

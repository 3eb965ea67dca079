// The configuration protocol from the File menu, captured from the printer: one KRV and
// one DLX data set line by line as a technician gets them on paper, the section titles,
// the font, the words the print-out changes, and a printer that fails part-way.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "platform/cp1252.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

// Device 1 of the direct bus (KRV, firmware 4.05) with this data set: a 2-wire
// potentiometer with physical scaling, current output with square root, four alarms
// (function code 3 on alarm 2), reactions "on", "off" and "limit" in the relay columns.
const std::vector<std::pair<int, int>> krv_words{
    {99, 12},   {97, 0},    {98, 6000},   {100, 15},    {74, 23},     {108, 1},      {82, 1},
    {80, 0},    {81, 1000}, {72, -50},    {73, 1050},   {105, 40},    {106, 200},    {103, 38},
    {104, 205}, {102, 30},  {107, 5},     {83, 0x1005}, {84, 0x400E}, {85, 0x0008},  {86, 0x0003},
    {109, 500}, {110, -20}, {111, 0},     {112, 7},     {88, 10},     {89, 0},       {90, 15},
    {91, 0},    {92, 5},    {93, 0},      {94, 100},    {95, 0},      {78, 150},     {77, 20},
    {79, 30},   {76, 25},   {75, 0x0028}, {70, 0x0040}, {96, 0},      {114, 0x0002}, {127, 0}};

const std::vector<std::string> krv_lines{
    "",
    "",
    "",
    "",
    "TAVRO GmbH   Configuration protocol for KRV-200              09-12-2026",
    "-----------------------------------------------------------------------",
    "TAG No.:  TT-101                                  Software version: 4.05",
    "Serial No.: 21040001                                Device address: 1",
    "",
    "INPUT",
    "   Sensor type..............................  Potentiometer 0-600 Ohm 2-wire",
    "   Start of measure range..................      0.0 Ohm",
    "   End of measure range....................    600.0 Ohm",
    "   Filter time..............................     1.5 s  ",
    "   Lead-in impedance.......................      2.3 Ohm",
    "Physical representation",
    "   Start of measure range..................      0.0 %",
    "   End of measure range....................    100.0 %",
    "   Break control MIN value..................    -5.0 %",
    "   Break control MAX value...................  105.0 %",
    "",
    "OUTPUT",
    "   Start of range...........................     4.0 mA ",
    "   End of range.............................    20.0 mA ",
    "   MIN-limit................................     3.8 mA ",
    "   MAX-limit................................    20.5 mA ",
    "   Alarm value..............................     3.0 mA ",
    "   Filter time...............................    0.5 s  ",
    "   Square root of the output signal           ",
    "",
    "ALARM 1",
    "   Alarm type..............................   MAX alarm",
    "   Function................................   Energized",
    "   Alarm value.............................     50.0 %",
    "   Hysteresis..............................      1.0 %  ",
    "   Alarm delay time........................      0.5 s  ",
    "ALARM 2",
    "   Alarm type..............................   Gradient MIN alarm",
    "   Function................................   ",
    "   Alarm value.............................     -2.0 %",
    "   Hysteresis..............................      0.0 %  ",
    "   Alarm delay time........................      0.0 s  ",
    "ALARM 3",
    "   Alarm type..............................   MIN alarm",
    "   Function................................   De-energized",
    "   Alarm value.............................      0.0 %",
    "   Hysteresis..............................      1.5 %  ",
    "   Alarm delay time........................     10.0 s  ",
    "ALARM 4",
    "   Alarm type..............................   Gradient MAX alarm",
    "   Function................................   No function",
    "   Alarm value.............................      0.7 %",
    "   Hysteresis..............................      0.0 %  ",
    "   Alarm delay time........................      0.0 s  ",
    "",
    "   Time window for gradient alarm.........       150 s  ",
    "",
    "System controlling",
    "   mV input - maximum tolerance...........   +/- 2.0 %  ",
    "   Resistor input - maximum tolerance.....   +/- 3.0 %  ",
    "   Analog output - maximum tolerance......   +/- 2.5 %  ",
    "",
    "Behaviour of analog output and alarm outputs in case of errors",
    "   Error sources:         Analog output     relay1  relay2  logic1 logic2",
    "   mV measure circuit...  Momentary value    on       lim-prio lim-prio",
    "   Resistor meas. circ..  Momentary value    lim-prio lim-prio lim-prio",
    "   Output signal........  Alarm value        lim-prio lim-prio lim-prio",
    "   Sensor or wire-break.  Alarm value        lim-prio lim-prio lim-prio",
    "   Relay 1,2 & 3  ......  Momentary value    lim-prio off      lim-prio",
    "   Internal device error\" Freezed value      lim-prio lim-prio limit   ",
};
const std::vector<std::string> krv_titles{
    "INPUT",
    "Physical representation",
    "OUTPUT",
    "ALARM 1",
    "ALARM 2",
    "ALARM 3",
    "ALARM 4",
    "System controlling",
    "Behaviour of analog output and alarm outputs in case of errors",
};

// Device 3 (DLX, firmware 3.06), mA input with square root of the input, voltage output
// (odd and negative words halved downwards), SNAP ticked: three alarms, three relay
// columns; supply and internal errors drive the output to its alarm value.
const std::vector<std::pair<int, int>> dlx_words{
    {99, 5},      {97, 4000},   {98, 20000},  {100, 10},   {108, 2},     {72, 3600},
    {73, 21000},  {82, 2},      {80, 0},      {81, 1600},  {105, 0},     {106, 201},
    {103, -3},    {104, 210},   {102, 0},     {107, 0},    {83, 0x0005}, {84, 0},
    {85, 0x400F}, {109, 1250},  {110, 0},     {111, -100}, {88, 5},      {89, 0},
    {90, 0},      {92, 0},      {93, 0},      {94, 0},     {78, 60},     {74, 20},
    {76, 50},     {75, 0x0401}, {79, 0x0011}, {87, 0},     {96, 0x0200}, {101, 0}};

const std::vector<std::string> dlx_lines{
    "",
    "",
    "",
    "",
    "TAVRO GmbH   Configuration protocol for DLX-200              09-12-2026",
    "-----------------------------------------------------------------------",
    "TAG No.:  FT-205                                  Software version: 3.06",
    "Serial No.: 19110203                                Device address: 3",
    "",
    "MEASURE VALUE",
    "   Start of measure range..................    4.000 mA",
    "   End of measure range....................   20.000 mA",
    "   Filter time..............................     1.0 s  ",
    "   Square root of the input signal            ",
    "Measure value controlling",
    "   MIN-value................................   3.600 mA",
    "   MAX-value................................  21.000 mA",
    "Physical representation",
    "   Start of measure range..................     0.00 bar",
    "   End of measure range....................    16.00 bar",
    "",
    "OUTPUT",
    "   Start of range...........................     0.0 V  ",
    "   End of range.............................    10.0 V  ",
    "   MIN-limit................................    -0.2 V  ",
    "   MAX-limit................................    10.5 V  ",
    "   Alarm value..............................     0.0 V  ",
    "   Filter time...............................    0.0 s  ",
    "",
    "ALARM 1",
    "   Alarm type..............................   MAX alarm",
    "   Function................................   Energized",
    "   Alarm value.............................    12.50 bar",
    "   Hysteresis..............................      0.5 %  ",
    "   Alarm delay time........................      0.0 s  ",
    "ALARM 2",
    "   Alarm type..............................   MIN alarm",
    "   Function................................   No function",
    "   Alarm value.............................     0.00 bar",
    "   Hysteresis..............................      0.0 %  ",
    "   Alarm delay time........................      0.0 s  ",
    "ALARM 3",
    "   Alarm type..............................   Gradient MAX alarm",
    "   Function................................   ",
    "   Alarm value.............................    -1.00 bar",
    "   Hysteresis..............................      0.0 %  ",
    "   Alarm delay time........................      0.0 s  ",
    "",
    "   Time window for gradient alarm.........        60 s  ",
    "",
    "System controlling",
    "   mA input - maximum tolerance...........   +/- 2.0 %  ",
    "   Analog output - maximum tolerance......   +/- 5.0 %  ",
    "",
    "Behaviour of analog output and alarm outputs in case of errors",
    "   Error sources:         Analog output     relay1  relay2  logic1",
    "   Analog output........  Momentary value    limit    lim-prio lim-prio",
    "   mA input.............  Momentary value    lim-prio lim-prio lim-prio",
    "   Minimum mA value.....  Freezed value      lim-prio lim-prio lim-prio",
    "   Maximum mA value.....  Freezed value      lim-prio lim-prio lim-prio",
    "   Transmitter supply...  Alarm value        off      lim-prio lim-prio",
    "   Relay 1,2 & 3  ......  Momentary value    lim-prio lim-prio on      ",
    "   Internal device error\" Alarm value        lim-prio lim-prio lim-prio",
};
const std::vector<std::string> dlx_titles{
    "MEASURE VALUE",
    "Measure value controlling",
    "Physical representation",
    "OUTPUT",
    "ALARM 1",
    "ALARM 2",
    "ALARM 3",
    "System controlling",
    "Behaviour of analog output and alarm outputs in case of errors",
};

class ConfigPrint : public DeviceFixture {
  protected:
    // Reads the device at `address` and puts the data set into the image.
    void prepare(int address, const std::vector<std::pair<int, int>>& words, const char* unit,
                 const char* v_mode, const char* lang = "GB") {
        ASSERT_TRUE(start(0, lang));
        select(address);
        read();
        boxes_.clear();
        for (const auto& [p, v] : words) model::param_image[p] = static_cast<std::int16_t>(v);
        model::text_to_params(115, unit);
        main().v_mode.set_text(v_mode);
    }
    std::vector<std::string> bold_lines() const {
        std::vector<std::string> out;
        for (const auto& l : printer_.lines())
            if (l.font.bold) out.push_back(l.text);
        return out;
    }
    void expect_page_font() const {
        for (std::size_t i = 0; i < printer_.lines().size(); ++i) {
            const auto& l = printer_.lines()[i];
            SCOPED_TRACE(l.text);
            EXPECT_EQ(l.font.name, "courier new");
            EXPECT_EQ(l.font.size, i == 0 ? 5 : 10);
            EXPECT_FALSE(l.font.italic || l.font.underline || l.font.strikethrough ||
                         l.font.transparent);
            EXPECT_EQ(l.scale_left, -1400);
        }
    }
};

TEST_F(ConfigPrint, KrvDataSetLineByLine) {
    prepare(1, krv_words, " %      ", "40");
    link::status_regs[2] = 1000;  // left from an earlier DLX device

    click(main().m_dat_print);

    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(printer_.documents(), 1);
    EXPECT_EQ(printer_.texts(0), krv_lines);
    EXPECT_EQ(bold_lines(), krv_titles);
    expect_page_font();
    EXPECT_EQ(link::status_regs[2], 0) << "a KRV set always uses the input-type tables";
    EXPECT_EQ(model::param_image[99], 12);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(ConfigPrint, DlxDataSetLineByLine) {
    prepare(3, dlx_words, " bar    ", "10");
    link::status_regs[2] = 0;
    click(main().S_SNAP);
    ASSERT_EQ(main().S_SNAP.value(), 1);

    click(main().m_dat_print);

    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(printer_.documents(), 1);
    EXPECT_EQ(printer_.texts(0), dlx_lines);
    EXPECT_EQ(bold_lines(), dlx_titles);
    expect_page_font();
    EXPECT_EQ(model::param_image[99], 19) << "a DLX set is printed, and left, as mA input";
}

TEST_F(ConfigPrint, DlxVoltageAndMillivoltInputsPrintOnlyTheMaxLine) {
    struct Kind {
        int code;
        std::vector<std::string> lines;  // the measure-value supervision
    };
    const Kind kinds[] = {
        {1000, {"   MAX-value................................  210.00 mV"}},
        {1001, {"   MAX-value................................  2100.0 V"}},
        {1002,
         {"   MIN-value................................   36.00 V",
          "   MAX-value................................  210.00 V"}},
    };
    prepare(3, dlx_words, " bar    ", "10");
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.code);
        link::status_regs[2] = static_cast<std::int16_t>(k.code);
        const std::size_t first = printer_.lines().size();
        click(main().m_dat_print);
        std::vector<std::string> doc(printer_.texts(printer_.documents() - 1));
        const auto title = std::find(doc.begin(), doc.end(), "Measure value controlling");
        ASSERT_NE(title, doc.end());
        EXPECT_EQ(std::vector<std::string>(title + 1, title + 1 + k.lines.size()), k.lines);
        EXPECT_EQ(*(title + 1 + k.lines.size()), "Physical representation");
        EXPECT_GT(printer_.lines().size(), first);
    }
}

TEST_F(ConfigPrint, GermanKrvWithAFixedInputTypeHasNoPhysicalSection) {
    ASSERT_TRUE(start(0, "D"));
    select(1);
    read();
    boxes_.clear();
    for (const auto& [p, v] : krv_words) model::param_image[p] = static_cast<std::int16_t>(v);
    model::param_image[99] = 3;  // thermocouple type K: degrees, no decimals, not scalable
    model::param_image[109] = 500;

    click(main().m_dat_print);

    const auto doc = printer_.texts(0);
    EXPECT_EQ(doc[4],
              platform::to_cp1252("TAVRO GmbH   Konfigurationsprotokoll für KRV-200             ") +
                  "09-12-2026");
    EXPECT_EQ(bold_lines().front(), "EINGANG");
    EXPECT_EQ(std::count(doc.begin(), doc.end(), "Physikalische Darstellung"), 0);
    EXPECT_NE(
        std::find(doc.begin(), doc.end(),
                  platform::to_cp1252("   Alarmwert...............................      500 °C")),
        doc.end())
        << "the type's decimals and unit";
}

// The lines of doc from the one equal to expected[0] on, as many as
// expected holds; for each row only as many characters as its expected text has.
std::vector<std::string> lines_from(const std::vector<std::string>& doc,
                                    const std::vector<std::string>& expected) {
    const std::string first = platform::to_cp1252(expected.front());
    const auto at = std::find(doc.begin(), doc.end(), first);
    std::vector<std::string> out;
    for (auto it = at; it != doc.end() && out.size() < expected.size(); ++it)
        out.push_back(it->substr(0, platform::to_cp1252(expected[out.size()]).size()));
    return out;
}
std::vector<std::string> cp1252(const std::vector<std::string>& utf8) {
    std::vector<std::string> out;
    for (const auto& l : utf8) out.push_back(platform::to_cp1252(l));
    return out;
}

// German, KRV firmware 4.10 (device 33), a thermocouple: no physical representation, the
// alarm values in the type's unit and decimals, the mV tolerance in mV and the open-circuit
// limit; SNAP ticked: three alarms and the head cut after the first logic column.
TEST_F(ConfigPrint, GermanKrv410ThermocoupleWithSnap) {
    const std::vector<std::pair<int, int>> words{
        {99, 3},  {97, -200}, {98, 1200}, {100, 20}, {108, 0}, {83, 0x0004}, {109, 350},  {88, 5},
        {92, 20}, {78, 30},   {77, 15},   {79, 30},  {76, 25}, {128, 1234},  {75, 0x0010}};
    prepare(33, words, "m3/h    ", "40", "D");
    if (main().S_SNAP.value() != 1) click(main().S_SNAP);  // type 15 reads in with it set
    ASSERT_EQ(main().S_SNAP.value(), 1);
    ASSERT_EQ(main().curr_version.text(), "4.10");

    click(main().m_dat_print);

    const std::vector<std::string> input{
        "EINGANG",
        "   Sensortyp................................  Th NiCr/Ni Typ K",
        "   Meßbereichsanfang.......................     -200 °C",
        "   Meßbereichsende.........................     1200 °C",
        "   Filterzeit...............................     2.0 s  ",
        "",
        "AUSGANG",
    };
    const std::vector<std::string> alarm{
        "ALARM 1",
        "   Alarmtyp................................   MIN-Alarm",
        "   Funktion................................   Arbeitsstrom",
        "   Alarmwert...............................      350 °C",
        "   Hysterese...............................      0.5 %  ",
        "   Alarmverzögerung........................      2.0 s  ",
        "ALARM 2",
    };
    const std::vector<std::string> supervision{
        "   Zeitfenster für Gradientenalarm.........       30 s  ",
        "",
        "Überwachungsmaßnahmen",
        "   mV-Eingang - maximale Toleranz.........   +/- 1.5 mV ",
        "   Widerstandseingang - maximale Toleranz.   +/- 3.0 %  ",
        "   Analogausgang - maximale Toleranz......   +/- 2.5 %  ",
        "   Thermoelement Leitungsbruch............   > 12.34kOhm",
        "",
        "Analogausgangs- und Alarmausgangs-Steuerung im Fehlerfall",
        "   Fehlerquellen:         Analogausgang     Relais1 Relais2 Logik1",
        "   mV-Meßkreis..........  momentaner Wert   ",
        "   Widerstandsmeßkreis..  Alarmwert         ",
        "   Ausgangssignal.......  momentaner Wert   ",
        "   Sensor-/Ltg.-Bruch...  eingefrorener Wert",
        "   Relais 1,2,3  .......  momentaner Wert   ",
        "   Interner Gerätefehler  eingefrorener Wert",
    };
    const auto doc = printer_.texts(0);
    EXPECT_EQ(doc[4],
              platform::to_cp1252("TAVRO GmbH   Konfigurationsprotokoll für KRV-200             "
                                  "09-12-2026"));
    EXPECT_EQ(lines_from(doc, input), cp1252(input));
    EXPECT_EQ(lines_from(doc, alarm), cp1252(alarm));
    EXPECT_EQ(lines_from(doc, supervision), cp1252(supervision));
    EXPECT_EQ(doc.back().substr(0, 44), cp1252(supervision).back()) << "the last row";
    EXPECT_EQ(std::count(doc.begin(), doc.end(), "ALARM 3"), 1);
    EXPECT_EQ(std::count(doc.begin(), doc.end(), "ALARM 4"), 0);
    EXPECT_EQ(std::count(doc.begin(), doc.end(), "Physikalische Darstellung"), 0);
}

// Dutch, DLX firmware 4.02 (device 20) reporting a voltage input: the range in volts with
// one decimal, the MAX line alone, the input square root; the supply error drives the
// output to its alarm value.
TEST_F(ConfigPrint, DutchDlxVoltageInput) {
    const std::vector<std::pair<int, int>> words{
        {97, 0},      {98, 100},  {100, 5}, {108, 2}, {73, 105}, {82, 1},  {80, 0},  {81, 500},
        {83, 0x000B}, {109, 250}, {88, 10}, {92, 0},  {78, 5},   {74, 10}, {76, 20}, {75, 0x0400}};
    prepare(20, words, "m3/h    ", "10", "NL");
    ASSERT_EQ(link::status_regs[2], 1001);
    click(main().S_SNAP);
    ASSERT_EQ(main().S_SNAP.value(), 1);

    click(main().m_dat_print);

    const std::vector<std::string> input{
        "MEETWAARDE",
        "   Begin meetbereik........................      0.0 V",
        "   Einde meetbereik........................     10.0 V",
        "   Filtertijd..............................      0.5 s  ",
        "   Wortelfunctie                              ",
        "Bewaking meetwaarde",
        "   MAX - waarde............................     10.5 V",
        "Visuele weergave",
        "   Begin meetbereik........................      0.0 m3/h",
        "   Einde meetbereik........................     50.0 m3/h",
        "",
        "UITGANG",
    };
    const std::vector<std::string> alarm{
        "ALARM 1",
        "   Soort alarm ............................   Gradiënt MAX alarm",
        "   Functie.................................   Ruststroom",
        "   Alarmwaarde.............................     25.0 m3/h",
        "   Hysterese...............................      1.0 %  ",
        "   Alarmvertraging.........................      0.0 s  ",
        "ALARM 2",
    };
    const std::vector<std::string> supervision{
        "   Tijdvenster t.b.v. gradiënt alarm ......        5 s  ",
        "",
        "Bewakingsmaatregelen",
        "   mA ingang - max. tolerantie............   +/- 1.0 %  ",
        "   Analoge uitgang - max. tolerantie......   +/- 2.0 %  ",
        "",
        "Aansturing analoge uitgang en alarmuitgang bij foutmelding",
        "   Foutbronnen:         Analoge uitgang     Relais1 Relais2 Logisc",
        "   Analoge uitgang......  Actuele waarde   ",
        "   mA ingang............  Actuele waarde   ",
        "   Min. mA waarde.......  Bevroren waarde  ",
        "   Max. mA waarde.......  Bevroren waarde  ",
        "   Transm.-voedingsstr..  Burn-out waarde  ",
        "   Relais 1, 2, 3 .....   Actuele waarde   ",
        "   Internal device error  Actuele waarde   ",
    };
    const auto doc = printer_.texts(0);
    EXPECT_EQ(doc[4], "TAVRO GmbH      Configuratieprotocol DLX-200                 09-12-2026");
    EXPECT_EQ(doc[6].substr(0, 12), "TAG nummer: ");
    EXPECT_EQ(lines_from(doc, input), cp1252(input));
    EXPECT_EQ(lines_from(doc, alarm), cp1252(alarm));
    EXPECT_EQ(lines_from(doc, supervision), cp1252(supervision));
    EXPECT_EQ(model::param_image[99], 19);
}

// An input type beyond the tables reads as the empty type: no name, no unit, no
// decimals, no physical representation, and nothing read outside the tables.
TEST_F(ConfigPrint, InputTypeBeyondTheTables) {
    prepare(1, krv_words, " %      ", "40");
    model::param_image[99] = 250;
    model::param_image[109] = 500;

    click(main().m_dat_print);

    const std::vector<std::string> input{
        "INPUT",
        "   Sensor type..............................  ",
        "   Start of measure range..................        0 ",
        "   End of measure range....................     6000 ",
    };
    const auto doc = printer_.texts(0);
    EXPECT_EQ(lines_from(doc, input), input);
    EXPECT_EQ(std::count(doc.begin(), doc.end(), "Physical representation"), 0);
    EXPECT_NE(
        std::find(doc.begin(), doc.end(), "   Alarm value.............................      500 "),
        doc.end());
}

TEST_F(ConfigPrint, PrinterFaultPartWayDiscardsTheDocument) {
    prepare(1, krv_words, " %      ", "40");
    printer_.fault_after_lines = 20;
    printer_.fault_after_text = "Out of paper";
    boxes_.answer({ui::id_ok, "Out of paper", nullptr, 0, ui::mb_ok, "DORVANEX"});

    click(main().m_dat_print);

    EXPECT_EQ(prompts(), std::vector<std::string>{"Out of paper"});
    EXPECT_EQ(printer_.documents(), 0) << "never ended";
    EXPECT_EQ(printer_.discarded(), 1);
    EXPECT_TRUE(printer_.lines().empty()) << "the unfinished page is gone";
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);

    // The next print-out starts on a clean document.
    printer_.fault.reset();
    printer_.fault_after_lines.reset();
    click(main().m_dat_print);
    EXPECT_EQ(printer_.texts(0), krv_lines);
}

TEST_F(ConfigPrint, CommentPrintFromTheMenu) {
    prepare(1, krv_words, " %      ", "40");
    main().Komentar.set_text("Line one\r\n\r\nLine two");

    click(main().m_dat_mpr);

    const auto doc = printer_.texts(0);
    ASSERT_EQ(doc.size(), 10u);
    EXPECT_EQ(doc[3], "TAVRO GmbH   Comment page of KRV-200                         09-12-2026");
    EXPECT_EQ(doc[6], krv_lines[7]) << "the same identity lines as the protocol";
    EXPECT_EQ(std::vector<std::string>(doc.begin() + 8, doc.end()),
              (std::vector<std::string>{"Line one", "Line two"}));
}

}  // namespace
}  // namespace dvx::testing

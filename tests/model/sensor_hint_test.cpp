// Wiring hints per input type and board variant, in the languages of the message table.
#include "model/sensor_hint.h"

#include <gtest/gtest.h>

#include <string>

#include "model/view_bindings.h"
#include "tests/model/model_globals_fixture.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::model {
namespace {

class SensorHint : public testing::ModelGlobalsFixture {
  protected:
    void SetUp() override {
        ModelGlobalsFixture::SetUp();
        bind_view();
        view_.curr_version = "4.05";
        speak("GB");
        view_bindings().message = [](std::string_view name) {
            for (const texts::MsgRow& row : texts::msg_table())
                if (row.name == name) return *row.text;
            return std::string(name);
        };
    }
    void TearDown() override {
        input_mask_filling = 0;
        bind_detached_view();
        texts::lang_code.clear();
        texts::set_lang_msg();
        ModelGlobalsFixture::TearDown();
    }
    static void speak(const char* lang) {
        texts::lang_code = lang;
        texts::set_lang_msg();
    }
};

TEST_F(SensorHint, EnglishLinesPerTypeAndBoard) {
    struct Row {
        const char* name;
        int type;
        bool snap;
        const char* text;
    };
    const Row rows[] = {
        {"tc_b_terminal", 0, true,
         "Maximum measure range: 100 till +1800 \xB0" "C\r\nJP5, JP8 and JP9 close\r\nJP6 open\r\n"
         "Contacts: 17(+) and 18(-)"},
        {"pt100_2wire_terminal", 9, true,
         "Maximum measure range: -200 till +800 \xB0" "C\r\nMaximum lead-in impedance: 50 Ohm each "
         "lead-in\r\nJP5, JP6, JP8 and JP9 close\r\nContacts: 22 and 23"},
        {"pot5000_4wire_terminal", 17, true,
         "Maximum measure range: 5000 Ohm\r\nMaximum lead-in impedance: 50 Ohm each lead-in\r\n"
         "JP6 close\r\nJP5, JP8 and JP9 open\r\nContacts: 21, 22, 23 and 24"},
        {"current_terminal", 19, true,
         "Maximum measure range: +/- 20 mA\r\nJP5, JP6, JP8 and JP9 close\r\n22 and 23 short\r\n"
         "Contacts: 13(+) and 14(-)"},
        {"mv_fw4_terminal", 20, true,
         "Maximum measure range: -35 till +70 mV\r\nJP5, JP8 and JP9 close, JP6 open\r\n"
         "22 and 23 short\r\nContacts: 17(+) and 18(-)"},
        {"tc_k_connector", 3, false,
         "Maximum measure range: -200 till +1200 \xB0" "C\r\nJP6 open, JP5, JP7, JP8 and JP9 close\r\n"
         "Contacts: d32(+) and z32(-)"},
        {"pt100_3wire_connector", 10, false,
         "Maximum measure range: -200 till +800 \xB0" "C\r\nMaximum lead-in impedance: 50 Ohm each "
         "lead-in\r\nJP5 and JP8 close, JP9 open\r\nJP6 close, JP7 open\r\nContacts: d28, z28 and z30"},
        {"voltage_connector", 18, false,
         "Maximum measure range: +/- 10 V\r\nJP5, JP6, JP7, JP8 and JP9 close\r\n"
         "Contacts: z24(+) and z26(-)"},
        // The range line says 1000 where the type's limit stops at 900.
        {"tc_j_range_beyond_limit", 2, false,
         "Maximum measure range: -200 till +1000 \xB0" "C\r\nJP6 open, JP5, JP7, JP8 and JP9 close\r\n"
         "Contacts: d32(+) and z32(-)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        view_.s_snap = r.snap;
        EXPECT_EQ(sensor_hint_text(r.type), r.text);
    }
}

TEST_F(SensorHint, FirstLineFollowsVariantsAndFirmware) {
    auto first_line = [](int type) {
        const std::string t = sensor_hint_text(type);
        return t.substr(0, t.find('\r'));
    };
    const std::string max = "Maximum measure range:";
    view_.s_snap = true;
    has_wre_tc = 1;
    EXPECT_EQ(first_line(7), max + " 0 till +2320 \xB0" "C");
    EXPECT_EQ(first_line(8), max + " 0 till +2320 \xB0" "C");
    has_wre_tc = 0;
    view_.th_xk = true;
    EXPECT_EQ(first_line(8), max + " 0 till +800 \xB0" "C");
    // The connector board knows neither variant.
    view_.s_snap = false;
    has_wre_tc = 1;
    EXPECT_EQ(first_line(7), max + " -200 till +900 \xB0" "C");
    EXPECT_EQ(first_line(8), max + " -200 till +600 \xB0" "C");
    is_ni120 = 1;
    for (int t : {9, 10, 11}) EXPECT_EQ(first_line(t), max + " -70 till +300 \xB0" "C");
    view_.curr_version = "3.05";
    EXPECT_EQ(first_line(20), max + " +/- 60 mV");
    view_.curr_version = "4.00";
    view_.s_krv = false;  // the firmware-4 range is a KRV one
    EXPECT_EQ(first_line(20), max + " +/- 60 mV");
}

TEST_F(SensorHint, GermanWordsInTheSamePlaces) {
    speak("D");
    view_.s_snap = true;
    EXPECT_EQ(sensor_hint_text(18),
              "Max. Me\xDF" "bereich: +/- 10 V\r\nJP5, JP6, JP8 und JP9 schlie\xDF" "en\r\n"
              "22 mit 23 verbinden \r\nAnschluss: 15(+) und 14(-)");
    view_.s_snap = false;
    EXPECT_EQ(sensor_hint_text(15).rfind("Max. Me\xDF" "bereich: 5000 Ohm\r\nMax. Leitungswiderstand: 50 "
                                        "Ohm je Leitung\r\nJP8 und JP9 schlie\xDF" "en, JP5 \xF6" "ffnen\r\n",
                                        0),
              0u);
}

TEST_F(SensorHint, NothingOutsideTheTypesOrWhileAPageFills) {
    for (int t : {-1, 21, 99}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(sensor_hint_text(t), "");
        show_sensor_hint(t);
    }
    input_mask_filling = 1;
    EXPECT_EQ(sensor_hint_text(3), "");
    show_sensor_hint(3);
    EXPECT_TRUE(boxes_.shown().empty());

    input_mask_filling = 0;
    boxes_.answer(ui::id_ok);
    show_sensor_hint(5);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, sensor_hint_text(5));
    EXPECT_EQ(boxes_.shown()[0].style, ui::mb_ok);
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
}

}  // namespace
}  // namespace dvx::model

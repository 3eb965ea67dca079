// The work pages' captions come from their tables in the language of the moment, the
// window titles followed by the tag header.
#include <gtest/gtest.h>

#include <string>

#include "tests/pages/page_fixture.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

class PageCaptions : public PageFixture {};

TEST_F(PageCaptions, ByLanguageAndControlName) {
    struct Row {
        const char* lang;
        int address;
        ui::CommandButton mainwin::Hauptmenue::*button;
        const char* form;
        const char* control;  // "" = window title
        const char* text;
    };
    const Row rows[] = {
        {"NL", 1, &mainwin::Hauptmenue::B_io, "H_Inp", "", "Meetingangen          TAG No:  TT-101 "},
        {"NL", 1, &mainwin::Hauptmenue::B_io, "H_Inp", "Label6", "Meetwaardebewaking - MIN"},
        {"NL", 3, &mainwin::Hauptmenue::B_io, "dlx3_Inp", "Chk_sqr", "Wortelfunctie"},
        {"GB", 3, &mainwin::Hauptmenue::B_io, "dlx3_Inp", "Label4", "Start of range"},
        {"NL", 1, &mainwin::Hauptmenue::B_Out, "H_output", "", "Analoge uitgang          TAG No:  TT-101 "},
        {"NL", 1, &mainwin::Hauptmenue::B_Out, "H_output", "lbl_info",
         "Output type (mA/V) is determined by the setting of jumper 3"},
        {"NL", 1, &mainwin::Hauptmenue::B_dout, "h_dout", "Label21",
         "Tijdvenster voor gradi\xEBnten-instelling:"},
        {"GB", 1, &mainwin::Hauptmenue::B_dout, "h_dout", "Label24", "alarm type"},
        {"D", 1, &mainwin::Hauptmenue::B_dout, "h_dout", "", "Alarmausg\xE4nge          TAG No:  TT-101 "},
        {"D", 1, &mainwin::Hauptmenue::B_Out, "H_output", "lbl_info",
         "Nur mit dem Jumper 3 kann das Signal im Analogausgang f\xFCr Konstantstrom/mA oder Spannung/V "
         "eingestellt werden !"},
        {"D", 3, &mainwin::Hauptmenue::B_io, "dlx3_Inp", "Frame3D2", "Me\xDFwert\xFC" "berwachung"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.form) + " " + r.control + " " + r.lang);
        read_device(r.address, r.lang);
        click(main().*r.button);
        ui::Form* page = ui::find_form(r.form);
        ASSERT_NE(page, nullptr);
        if (*r.control == 0) {
            EXPECT_EQ(page->caption(), r.text);
        } else {
            auto* c = dynamic_cast<ui::CaptionControl*>(page->control(r.control));
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(c->caption(), r.text);
        }
        TearDown();
        SetUp();
    }
}

}  // namespace
}  // namespace dvx::testing

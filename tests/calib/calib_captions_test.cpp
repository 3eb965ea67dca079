// The calibration pages' captions by language code: exactly "NL" is Dutch and exactly
// "GB" English, anything else German; the titles carry the tag header with or without
// the trailing blank of the first sheets; both second sheets read alike.
#include <gtest/gtest.h>

#include <string>

#include "calib/dlx_cal.h"
#include "calib/krv4_cal.h"
#include "calib/krv4_cal1.h"
#include "calib/krv_cal.h"
#include "calib/krv_cal1.h"
#include "model/param_words.h"
#include "tests/support/services_fixture.h"
#include "texts/language.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

class CalibCaptions : public ServicesFixture {
  protected:
    void TearDown() override {
        ui::reset_forms();
        texts::lang_code.clear();
        ServicesFixture::TearDown();
    }
};

TEST_F(CalibCaptions, TitlesFollowTheLanguageCodeExactly) {
    struct Case {
        const char* code;
        const char* first_sheet;
        const char* other_pages;
    };
    const Case cases[] = {
        {"D", "Eingang kalibrieren", "Eingang kalibrieren"},
        {"nl", "Eingang kalibrieren", "Eingang kalibrieren"},
        {"", "Eingang kalibrieren", "Eingang kalibrieren"},
        {"GB", "Calibrate input ", "Calibrate input"},
        {"NL", "Ingang kalibreren", "Ingang kalibreren"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        texts::lang_code = c.code;
        const std::string tag = model::tag_header();
        EXPECT_EQ(calib::krv4_cal_inst->caption(), c.first_sheet + tag);
        EXPECT_EQ(calib::krv_cal_inst->caption(), c.first_sheet + tag);
        EXPECT_EQ(calib::krv4_cal1_inst->caption(), c.other_pages + tag);
        EXPECT_EQ(calib::krv_cal1_inst->caption(), c.other_pages + tag);
        EXPECT_EQ(calib::dlx_cal_inst->caption(), c.other_pages + tag);
        ui::reset_forms();
    }
}

TEST_F(CalibCaptions, BothSecondSheetsReadAlikeInEveryLanguage) {
    for (const char* code : {"D", "GB", "NL"}) {
        SCOPED_TRACE(code);
        texts::lang_code = code;
        auto& a = *calib::krv4_cal1_inst;
        auto& b = *calib::krv_cal1_inst;
        ASSERT_EQ(a.controls().size(), b.controls().size());
        for (std::size_t i = 0; i < a.controls().size(); ++i) {
            auto* ca = dynamic_cast<ui::CaptionControl*>(a.controls()[i]);
            auto* cb = dynamic_cast<ui::CaptionControl*>(b.controls()[i]);
            if (!ca) continue;
            ASSERT_NE(cb, nullptr);
            EXPECT_EQ(ca->caption(), cb->caption()) << ca->name();
        }
        EXPECT_EQ(a.Command3D12.caption(), std::string(code) == "NL" ? "Inlezen"
                                           : std::string(code) == "GB" ? "Read in"
                                                                       : "Einlesen");
        ui::reset_forms();
    }
}

}  // namespace
}  // namespace dvx::testing

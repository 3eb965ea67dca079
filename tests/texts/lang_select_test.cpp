// The language choice window driven through the user's events, as at the first start.
#include "texts/lang_select.h"

#include <gtest/gtest.h>

#include "model/reg_settings.h"
#include "tests/support/services_fixture.h"
#include "texts/language.h"
#include "ui/input.h"

namespace dvx::texts {
namespace {

class LangSelect : public dvx::testing::ServicesFixture {
protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        lang_code.clear();
    }
    void TearDown() override {
        lang_code.clear();
        ServicesFixture::TearDown();
    }

    std::optional<std::string> stored() const {
        return registry_.get_string(model::reg_key, model::reg_language);
    }
};

TEST_F(LangSelect, OpensWithGermanChosenAndTheSameTextsInEveryLanguage) {
    lang_code = "NL";  // no language may colour the window
    Lang_Select& w = *lang_select_inst;
    EXPECT_EQ(w.caption(), "DORVANEX - Language selection");
    EXPECT_EQ(w.Frame1.caption(), "");
    EXPECT_EQ(w.opt_E.caption(), "English");
    EXPECT_EQ(w.opt_D.caption(), "German");
    EXPECT_EQ(w.opt_NL.caption(), "Dutch");
    EXPECT_EQ(w.SSCommand1.caption(), "OK");
    EXPECT_FALSE(w.opt_E.value());
    EXPECT_TRUE(w.opt_D.value());
    EXPECT_FALSE(w.opt_NL.value());
    // From top to bottom English, German, Dutch, all in the frame, and OK below it.
    EXPECT_EQ(w.opt_E.container(), &w.Frame1);
    EXPECT_EQ(w.opt_NL.container(), &w.Frame1);
    EXPECT_LT(w.opt_E.top(), w.opt_D.top());
    EXPECT_LT(w.opt_D.top(), w.opt_NL.top());
    EXPECT_GT(w.SSCommand1.top(), w.Frame1.top() + w.Frame1.height());
}

TEST_F(LangSelect, OkStoresTheChosenCodeAndCloses) {
    struct Case {
        const char* what;
        std::function<void(Lang_Select&)> choose;
        const char* code;
    };
    const Case cases[] = {
        {"German as it opens", [](Lang_Select&) {}, "D"},
        {"English", [](Lang_Select& w) { ui::user_click(w.opt_E); }, "GB"},
        {"Dutch", [](Lang_Select& w) { ui::user_click(w.opt_NL); }, "NL"},
        {"Dutch, then German again",
         [](Lang_Select& w) {
             ui::user_click(w.opt_NL);
             ui::user_click(w.opt_D);
         },
         "D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lang_code.clear();
        loop_.post([&] {
            c.choose(*lang_select_inst);
            ASSERT_TRUE(ui::user_click(lang_select_inst->SSCommand1));
        });
        lang_select_inst->show_modal();  // returns when the window has gone
        EXPECT_FALSE(lang_select_inst.loaded());
        EXPECT_EQ(lang_code, c.code);
        EXPECT_EQ(stored(), c.code);
    }
}

TEST_F(LangSelect, ClosingByTheFrameStoresNothing) {
    loop_.post([] {
        ui::user_click(lang_select_inst->opt_E);
        ASSERT_TRUE(ui::user_close(*lang_select_inst));
    });
    lang_select_inst->show_modal();
    EXPECT_FALSE(lang_select_inst.loaded());
    EXPECT_EQ(lang_code, "");
    EXPECT_FALSE(registry_.has_key(model::reg_key));
}

TEST_F(LangSelect, RefusedWriteKeepsTheChoiceForThisRunOnly) {
    registry_.refuse_create = true;
    registry_.refuse_set = true;
    loop_.post([] {
        ui::user_click(lang_select_inst->opt_NL);
        ui::user_click(lang_select_inst->SSCommand1);
    });
    lang_select_inst->show_modal();  // an unscripted box would fail the test
    EXPECT_FALSE(lang_select_inst.loaded());
    EXPECT_EQ(lang_code, "NL");
    EXPECT_EQ(stored(), std::nullopt);
}

}  // namespace
}  // namespace dvx::texts

// The captions of the small dialogs in the three languages, applied to a stand-in window
// that holds a control of every name they set (and keeps "designed" where none is set).
#include "texts/captions_dialogs.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>

#include "platform/cp1252.h"
#include "tests/support/services_fixture.h"
#include "texts/language.h"
#include "ui/controls.h"

namespace dvx::texts {
namespace {

class StandIn : public ui::Form {
  public:
    StandIn() : Form("stand_in", {0, 0, 4800, 3000}) {
        set_caption("designed");
        for (ui::Control* c : controls())
            dynamic_cast<ui::CaptionControl&>(*c).set_caption("designed");
    }
    ui::Label Label1{*this, "Label1"};
    ui::Label Label2{*this, "Label2"};
    ui::Label Label3{*this, "Label3"};
    ui::Label lbl_rack{*this, "lbl_rack"};
    ui::CommandButton Command3D1{*this, "Command3D1"};
    ui::CommandButton Command3D2{*this, "Command3D2"};
};

// Every caption of the stand-in by control name; "" is the title.
std::map<std::string, std::string> captions(const StandIn& f) {
    std::map<std::string, std::string> out{{"", f.caption()}};
    for (ui::Control* c : f.controls())
        if (auto* cc = dynamic_cast<ui::CaptionControl*>(c)) out[c->name()] = cc->caption();
    return out;
}

struct Window {
    const char* name;
    std::function<void(ui::Form&)> set_lang;
    // German, English, Dutch texts of the controls the window sets (UTF-8).
    std::map<std::string, std::array<const char*, 3>> texts;
};

const Window windows[] = {
    {"adr_seek",
     set_lang_adr_seek,
     {{"", {"Adressen suchen ...", "Search addresses ...", "Adressen zoeken ..."}},
      {"Label1", {"Aktuelle Adresse:", "Current address: ", "Huidige adres: "}},
      {"Command3D1", {"Abbrechen", "Cancel", "Afbreken"}}}},
    // The title "Bulk Update" and the labels stay as designed in every language.
    {"bulk_update", set_lang_bulk_update, {{"Command3D1", {"Abbrechen", "Cancel", "Afbreken"}}}},
    {"enter_pass",
     set_lang_enter_pass,
     {{"", {"Paßworteingabe", "Enter password", "Invoeren password"}}}},
    {"set_pass",
     set_lang_set_pass,
     {{"", {"Paßworte", "Passwords", "Passwords"}},
      {"Label1", {"&Altes Paßwort:", "Old password", "Oud password:"}},
      {"Label2", {"Neues Paßwort:", "New password", "Nieuw password:"}},
      {"Label3",
       {"Neues Paßwort (Bestätigung):", "New password (confirm):",
        "Nieuw password (bevestiging):"}},
      {"Command3D1", {"Speichern", "Save", "Opslaan"}},
      {"Command3D2", {"Abbrechen", "Cancel", "Afbreken"}}}},
};

class DialogCaptions : public dvx::testing::ServicesFixture {
  protected:
    void TearDown() override {
        lang_code.clear();
        ServicesFixture::TearDown();
    }
};

TEST_F(DialogCaptions, EveryWindowInEveryLanguageSetsItsRowsAndKeepsTheRest) {
    const char* codes[] = {"D", "GB", "NL"};
    for (const Window& w : windows) {
        for (int lang = 0; lang < 3; ++lang) {
            SCOPED_TRACE(std::string(w.name) + " in " + codes[lang]);
            lang_code = codes[lang];
            StandIn f;
            std::map<std::string, std::string> want = captions(f);
            for (const auto& [control, text] : w.texts)
                want[platform::to_cp1252(control)] = platform::to_cp1252(text[lang]);
            w.set_lang(f);
            EXPECT_EQ(captions(f), want);
        }
    }
}

}  // namespace
}  // namespace dvx::texts

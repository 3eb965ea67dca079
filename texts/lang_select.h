#pragma once
// The language choice window, shown modally at start while no language is stored.
// Its texts are English in every language: no language is known yet.
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::texts {

class Lang_Select : public ui::Form {
public:
    Lang_Select();

    ui::Frame Frame1{*this, "Frame1", {240, 120, 3255, 1335}};
    ui::OptionButton opt_E{Frame1, "opt_E", {360, 240, 2535, 255}};
    ui::OptionButton opt_D{Frame1, "opt_D", {360, 585, 2535, 255}};
    ui::OptionButton opt_NL{Frame1, "opt_NL", {360, 930, 2535, 255}};
    ui::CommandButton SSCommand1{*this, "SSCommand1", {1140, 1620, 1455, 435}};

private:
    void SSCommand1_Click();
};

inline ui::FormRef<Lang_Select> lang_select_inst;

}  // namespace dvx::texts

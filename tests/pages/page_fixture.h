#pragma once
// A work page opened the way a user opens it: the program started on the simulated
// direct bus, a device read, the page's button clicked. Typing into a field replaces
// its text, as a user does after selecting it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "model/sensor_hint.h"
#include "pages/openers.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/input.h"
#include "ui/keyboard.h"

namespace dvx::testing {

class PageFixture : public DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        model::mask_filling = 0;
        model::input_mask_filling = 0;
        pages::install_openers();
    }
    void TearDown() override {
        mainwin::page_openers() = {};
        DeviceFixture::TearDown();
    }

    // Starts the direct bus in `lang` and reads the device at `address`; the boxes of
    // the read are forgotten, later boxes are answered OK and recorded.
    // `setup` changes the simulated device before it is read.
    void read_device(int address, const char* lang = "GB",
                     const std::function<void(sim::Transmitter&)>& setup = {}) {
        ASSERT_TRUE(start(0, lang));
        select(address);
        if (setup) setup(device());
        read();
        clear_records();
        boxes_.answer_all(ui::id_ok);
    }

    // Reads the device at `address` (with `setup` for the simulated device), lets
    // `prepare` change the image, clicks the main window's `button` and gives the page.
    template <class P>
    P& open_by(ui::FormRef<P>& page, ui::CommandButton mainwin::Hauptmenue::*button, int address,
               const std::function<void()>& prepare = {},
               const std::function<void(sim::Transmitter&)>& setup = {}) {
        read_device(address, "GB", setup);
        if (prepare) prepare();
        click(main().*button);
        return *page.peek();
    }

    // The page's text box of that name.
    static ui::TextBox& box_named(ui::Form& page, const char* name) {
        return *dynamic_cast<ui::TextBox*>(page.control(name));
    }

    // Types over the box's text and leaves it: word `word` then holds `stored`, and the
    // one box shown says `message` (no box when it is null).
    void expect_entry(ui::TextBox& box, const std::string& typed, int word, int stored,
                      const char* message) {
        type_into(box, typed);
        leave();
        EXPECT_EQ(model::param_image[word], stored);
        EXPECT_EQ(prompts(), message ? std::vector<std::string>{message} : std::vector<std::string>{});
    }

    // Selects the field's whole text and types over it.
    void type_into(ui::TextBox& box, const std::string& text) {
        user([&box, text] {
            ui::user_focus(box);
            box.set_sel_start(0);
            box.set_sel_length(static_cast<int>(box.text().size()));
            if (text.empty())
                ui::user_key(ui::vk_back);
            else
                ui::user_type(text);
        });
    }
    void key(int code) {
        user([code] { ui::user_key(code); });
    }
    // Tab: the field is left.
    void leave() { key(ui::vk_tab); }
    void focus(ui::Control& c) {
        user([&c] { ui::user_focus(c); });
    }
    static ui::Control* focused() { return ui::focus_owner(); }
};

}  // namespace dvx::testing

// The comment page as a user works it against the simulated bus: opened from the main
// window, a full comment written and read back through the device's comment memory,
// the end mark on the wire, a device that stops answering, clicks that arrive while a
// write pauses, and the texts kept in the main window's comment store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/view_bindings.h"
#include "pages/comment.h"
#include "platform/cp1252.h"
#include "tests/pages/page_fixture.h"
#include "texts/language.h"

namespace dvx::testing {
namespace {

using pages::comment_inst;

const std::string transmitted = "Comment transmitted.";
const std::string read_in = "Comment read in.";
const std::string not_transmitted = "Can't transmit parameters. No connection.";

class CommentPage : public PageFixture {
  protected:
    void SetUp() override {
        PageFixture::SetUp();
        read_device(1);
    }
    pages::Comment& open() {
        click(main().B_comment);
        return *comment_inst.peek();
    }
    std::string store() { return main().Komentar.text(); }
    // Comment registers 2000.. as the write requests carried them, in order.
    std::vector<int> written_words() const {
        std::vector<int> out;
        for (const auto& e : plant_->log())
            if (e.function == write_fn)
                for (auto v : e.values) out.push_back(v);
        return out;
    }
    std::vector<Request> comment_requests(int fn, int first, int n) const {
        std::vector<Request> out;
        for (int i = 0; i < n; ++i) out.push_back({fn, first + 25 * i, 25});
        return out;
    }
};

// 2000 characters: lines of umlauts, 8-bit codes and blanks, broken by CR LF.
std::string full_comment() {
    const std::string line = platform::to_cp1252(
                                 "Prüfung ÄÖÜ äöü ß é 12/2026 \xB0"
                                 "C ok") +
                             "\r\n";
    std::string t;
    while (t.size() < 2000) t += line;
    t.resize(2000);
    t.back() = 'Z';  // no trailing blank to trim
    t.front() = 'A';
    return t;
}

TEST_F(CommentPage, OpensWithTheStoreAndTheTagInItsTitle) {
    main().Komentar.set_text("kept text");
    pages::Comment& page = open();

    EXPECT_TRUE(page.visible());
    EXPECT_FALSE(main().visible());
    EXPECT_EQ(page.comment_txt.text(), "kept text");
    EXPECT_EQ(page.caption(), "Comment memory          TAG No:  TT-101 ");
    EXPECT_TRUE(requests().empty()) << "opening reads nothing";
}

TEST_F(CommentPage, UnsupportedFirmwareOpensNothing) {
    main().curr_version.set_text("4.20");
    boxes_.answer(
        {ui::id_ok, "No support for this KRV software version.", nullptr, 0, ui::mb_ok, ""});
    click(main().B_comment);
    EXPECT_EQ(comment_inst.peek(), nullptr);
    EXPECT_TRUE(main().visible());
}

TEST_F(CommentPage, CaptionsInEachLanguage) {
    struct Case {
        const char* lang;
        std::vector<std::string> texts;  // title, read, save, print, back
    };
    const Case cases[] = {
        {"D",
         {"Kommentarspeicher", "Kommentar &einlesen", "&Kommentar speichern", "&Kommentar &drucken",
          platform::to_cp1252("&Zurück zum Hauptmenü")}},
        {"GB",
         {"Comment memory", "Read in comment", "Save comment", "Print comment",
          "&Back to main menu"}},
        {"NL",
         {"Opmerkingen", "&Inlezen", "Opmerkingen overschrijven", "Opmerkingen &printen",
          "Terug naar &hoofdmenu"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lang);
        texts::lang_code = c.lang;
        pages::Comment& page = open();
        EXPECT_EQ(page.caption(), c.texts[0] + "          TAG No:  TT-101 ");
        EXPECT_EQ(page.Command3D1.caption(), c.texts[1]);
        EXPECT_EQ(page.B_save.caption(), c.texts[2]);
        EXPECT_EQ(page.Command3D2.caption(), c.texts[3]);
        EXPECT_EQ(page.B_Zurueck.caption(), c.texts[4]);
        click(page.B_Zurueck);
    }
}

TEST_F(CommentPage, FullCommentRoundTripsThroughTheDevice) {
    const std::string text = full_comment();
    pages::Comment& page = open();
    page.comment_txt.set_text(text);
    boxes_.answer({ui::id_ok, transmitted, nullptr, 0, ui::mb_ok, "DORVANEX"});
    const double t0 = clock_.peek();

    click(page.B_save);

    EXPECT_EQ(requests(), comment_requests(write_fn, 2000, 40));
    EXPECT_GE(clock_.peek() - t0, 12.0) << "0.3 s after each of the 40 writes";
    for (int i = 0; i < 1000; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(device().comment_word(i), static_cast<unsigned char>(text[2 * i]) << 8 |
                                                static_cast<unsigned char>(text[2 * i + 1]));
    }
    EXPECT_EQ(store(), text);

    // A fresh start of the page: nothing in the box or the store.
    page.comment_txt.set_text("");
    main().Komentar.set_text("old");
    clear_records();
    boxes_.answer({ui::id_ok, read_in, nullptr, 0, ui::mb_ok, "DORVANEX"});
    click(page.Command3D1);

    EXPECT_EQ(requests(), comment_requests(read_fn, 2000, 40)) << "no end mark: all 40";
    EXPECT_EQ(page.comment_txt.text(), text);
    EXPECT_EQ(store(), text);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(CommentPage, ShortTextEndsWithTheMarkAndReadsBackWithoutTheOldRest) {
    device().set_comment_text(std::string(1800, 'x'));
    pages::Comment& page = open();
    page.comment_txt.set_text("  AB  ");
    boxes_.answer_all(ui::id_ok);

    click(page.B_save);

    // "AB" and the end mark: 3 characters, 2 words; the device keeps the rest.
    EXPECT_EQ(written_words(), (std::vector<int>{0x4142, 0x0320}));
    EXPECT_EQ(device().comment_word(2), 0x7878);
    EXPECT_EQ(store(), "  AB  ") << "the store keeps the blanks the device does not get";

    clear_records();
    click(page.Command3D1);
    EXPECT_EQ(requests(), comment_requests(read_fn, 2000, 1)) << "stops at the end mark";
    EXPECT_EQ(page.comment_txt.text(), "AB");
    EXPECT_EQ(store(), "AB");
}

TEST_F(CommentPage, EmptyBoxWritesTheEndMarkOnly) {
    pages::Comment& page = open();
    boxes_.answer_all(ui::id_ok);
    click(page.B_save);
    EXPECT_EQ(written_words(), (std::vector<int>{0x0320, 0x2020}));
}

TEST_F(CommentPage, DeviceThatStopsAnsweringMidWriteIsReported) {
    pages::Comment& page = open();
    page.comment_txt.set_text(full_comment());
    plant_->fault(sim::Fault::silent().registers(2100, 2100));
    boxes_.answer({ui::id_ok, not_transmitted, nullptr, 0, ui::mb_ok, "DORVANEX"});

    click(page.B_save);

    std::vector<Request> expected = comment_requests(write_fn, 2000, 4);
    for (int i = 0; i < 4; ++i) expected.push_back({write_fn, 2100, 25});
    EXPECT_EQ(requests(), expected) << "four sends of the failing chunk, then no more";
    EXPECT_EQ(prompts(), std::vector<std::string>{not_transmitted});
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(CommentPage, FailedReadChangesNeitherBoxNorStore) {
    pages::Comment& page = open();
    page.comment_txt.set_text("typed");
    main().Komentar.set_text("stored");
    device().set_silent(true);
    boxes_.answer({ui::id_ok, "No connection !", nullptr, 0, ui::mb_ok, "DORVANEX"});

    click(page.Command3D1);

    EXPECT_EQ(page.comment_txt.text(), "typed");
    EXPECT_EQ(store(), "stored");
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(CommentPage, ClicksDuringTheWritesPausesDoNothing) {
    pages::Comment& page = open();
    page.comment_txt.set_text(full_comment());
    boxes_.answer(ui::id_ok, transmitted);
    // The user clicks every button and the window frame while the write runs.
    loop_.post_after(1.0, [&] {
        ui::user_click(page.Command3D1);
        ui::user_click(page.B_save);
        ui::user_click(page.Command3D2);
        ui::user_click(page.B_Zurueck);
        ui::user_close(page);
    });

    click(page.B_save);

    EXPECT_EQ(requests(), comment_requests(write_fn, 2000, 40)) << "one write, nothing else";
    EXPECT_EQ(printer_.documents(), 0);
    EXPECT_EQ(prompts(), std::vector<std::string>{transmitted});
    ASSERT_EQ(comment_inst.peek(), &page) << "still open";
    EXPECT_TRUE(page.visible());
    EXPECT_FALSE(page.transfer_running());
}

TEST_F(CommentPage, BackPrintAndTheFrameAllKeepTheText) {
    pages::Comment& page = open();
    page.comment_txt.set_text("by print");
    click(page.Command3D2);
    EXPECT_EQ(store(), "by print");
    EXPECT_EQ(printer_.texts(0).back(), "by print");

    page.comment_txt.set_text("by back");
    click(page.B_Zurueck);
    EXPECT_EQ(store(), "by back");
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(comment_inst.peek(), nullptr);

    pages::Comment& again = open();
    EXPECT_EQ(again.comment_txt.text(), "by back");
    again.comment_txt.set_text("by frame");
    user([&] { ui::user_close(again); });
    EXPECT_EQ(store(), "by frame");
    EXPECT_TRUE(main().visible());
}

TEST_F(CommentPage, LeavingGivesNoPlacementBack) {
    auto placement = [this] {
        const ui::Rect& r = main().normal_rect();
        return std::vector<int>{r.left, r.top, r.width, r.height};
    };
    const std::vector<int> kept = placement();
    const ui::Rect before = main().normal_rect();
    pages::Comment& page = open();
    page.move(before.left + 600, before.top + 300, before.width + 900, before.height + 450);
    click(page.B_Zurueck);
    EXPECT_EQ(placement(), kept) << "Back";

    pages::Comment& again = open();
    again.move(before.left + 600, before.top + 300, before.width + 900, before.height + 450);
    user([&] { ui::user_close(again); });
    EXPECT_EQ(placement(), kept) << "window frame";
}

}  // namespace
}  // namespace dvx::testing

// Every window of the program rendered once in each language and model family (the
// gateway pages on their bus): nothing a technician would see as broken. Each shown
// control lies inside its parent, each caption fits its control as the text-metrics
// service measures it (labels may wrap as far as their height allows), and every
// picture shows a drawing, every bar gauge fills along its long side. The windows are kept
// as pictures in the screenshot folder.
#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_services.h"
#include "app/renderer.h"
#include "app/twips.h"
#include "calib/dlx_cal.h"
#include "calib/fqn_calib.h"
#include "calib/krv4_cal.h"
#include "calib/krv4_cal1.h"
#include "calib/krv_cal.h"
#include "calib/krv_cal1.h"
#include "calib/out_cal.h"
#include "gateway/bnr_blatt.h"
#include "gateway/hzl3_blatt.h"
#include "gateway/hzl_blatt.h"
#include "mainwin/password_dialogs.h"
#include "mainwin/progress_boxes.h"
#include "pages/board_pictures.h"
#include "pages/comment.h"
#include "pages/dlx3_inp.h"
#include "pages/h_dout.h"
#include "pages/h_inp.h"
#include "pages/h_online.h"
#include "pages/h_output.h"
#include "pages/s_chk_30.h"
#include "pages/s_chk_m.h"
#include "pages/wartung.h"
#include "tests/app/qt_test_app.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/lang_select.h"
#include "ui/controls.h"
#include "ui/cp1252.h"
#include "ui/drawing.h"

namespace dvx::testing {
namespace {

struct Window {
    const char* name;
    int bus_mode;  // the bus the window is used on
    ui::Form& (*open)();
    void (*close)();
};

template <auto& Ref>
constexpr Window window(const char* name, int bus_mode = 0) {
    return {name, bus_mode, []() -> ui::Form& { return *Ref; }, [] { Ref.unload(); }};
}

// clang-format off
const Window windows[] = {
    window<mainwin::adr_seek_inst>("adr_seek"),    window<mainwin::bulk_update_inst>("bulk_update"),
    window<mainwin::enter_pass_inst>("enter_pass"), window<mainwin::set_pass_inst>("set_pass"),
    window<texts::lang_select_inst>("lang_select"),
    window<pages::h_inp_inst>("H_Inp"),            window<pages::dlx3_inp_inst>("dlx3_Inp"),
    window<pages::h_output_inst>("H_output"),      window<pages::h_dout_inst>("h_dout"),
    window<pages::s_chk_30_inst>("S_Chk_30"),      window<pages::s_chk_m_inst>("S_Chk_m"),
    window<pages::comment_inst>("comment"),        window<pages::h_online_inst>("h_online"),
    window<pages::wartung_inst>("Wartung"),        window<pages::wartung_krv_inst>("Wartung_krv"),
    window<pages::pcb_map_inst>("pcb_map"),        window<pages::pcb_map_2_inst>("pcb_map_2"),
    window<calib::krv4_cal_inst>("Krv4_Cal"),      window<calib::krv4_cal1_inst>("Krv4_Cal1"),
    window<calib::krv_cal_inst>("Krv_Cal"),        window<calib::krv_cal1_inst>("Krv_Cal1"),
    window<calib::dlx_cal_inst>("Dlx_Cal"),        window<calib::h_out_cal_inst>("H_out_cal"),
    window<calib::fqn_calib_inst>("FQN_CALIB"),
    window<gateway::hzl_blatt_inst>("HZL_blatt", 1),
    window<gateway::bnr_blatt_inst>("BNR_blatt", 1),
    window<gateway::hzl3_blatt_inst>("HZL3_blatt", 2),
};
// clang-format on

// Twips a caption leaves free in its control: a button's edges, the box of a check or
// option button with its gap, a frame caption's indent and padding.
constexpr int button_edges = 4 * 15, box_and_gap = 19 * 15, frame_indent = 10 * 15;

bool skipped(ui::Kind k) {
    return k == ui::Kind::menu || k == ui::Kind::timer || k == ui::Kind::comm ||
           k == ui::Kind::common_dialog;
}

std::string name_of(const ui::Control& c) {
    return ui::to_utf8(c.name()) + (c.index() >= 0 ? "(" + std::to_string(c.index()) + ")" : "");
}

// The caption as shown: access-key marks dropped, CR LF a line break.
std::string shown_caption(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && !(i + 1 < caption.size() && caption[i + 1] == '&')) continue;
        if (caption[i] == '&') ++i;
        if (caption[i] != '\r') out += caption[i];
    }
    return out;
}

// Lines the text takes in `width` twips, breaking after spaces and hyphens; 0 when one
// word alone is wider.
int wrapped_lines(const ui::Font& font, const std::string& text, int width) {
    auto fits = [&](std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return ui::services().metrics->text_width(font, s) <= width;
    };
    int lines = 1;
    std::string line;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\n') {
            ++lines;
            line.clear();
            ++i;
            continue;
        }
        const std::size_t end = std::min(text.find_first_of(" -\n", i), text.size());
        const std::string word = text.substr(i, end - i + (end < text.size() && text[end] != '\n'));
        i += word.size();
        if (fits(line + word)) {
            line += word;
            continue;
        }
        if (line.empty() || !fits(word)) return 0;
        ++lines;
        line = word;
    }
    return lines;
}

void expect_caption_fits(const ui::Control& c) {
    const auto* cc = dynamic_cast<const ui::CaptionControl*>(&c);
    if (!cc || cc->caption().empty()) return;
    int free = c.width(), max_lines = 1;
    switch (c.kind()) {
        case ui::Kind::label: {
            const int line = app::to_twips(QFontMetrics(app::qfont(c.font())).lineSpacing());
            max_lines = std::max(1, (c.height() + 30) / line);
            break;
        }
        case ui::Kind::command_button:
            free -= button_edges;
            break;
        case ui::Kind::check_box:
        case ui::Kind::option_button:
            free -= box_and_gap;
            break;
        case ui::Kind::frame:
            free -= frame_indent;
            break;
        default:
            return;
    }
    const std::string text = shown_caption(cc->caption());
    const int lines = wrapped_lines(c.font(), text, free);
    EXPECT_TRUE(lines > 0 && lines <= max_lines)
        << name_of(c) << " \"" << ui::to_utf8(text) << "\": " << lines << " lines in " << max_lines
        << ", " << free << " twips wide";
}

void expect_inside_parent(const ui::Control& c) {
    // The client area: the outer size less the classic 4-pixel borders and caption.
    int width = c.form().width() - 8 * 15, height = c.form().height() - 30 * 15;
    if (c.container()) {
        width = c.container()->width();
        height = c.container()->height();
    }
    constexpr int slack = 15;  // a pixel
    EXPECT_TRUE(c.left() >= 0 && c.top() >= 0 && c.left() + c.width() <= width + slack &&
                c.top() + c.height() <= height + slack)
        << name_of(c) << " at " << c.left() << "," << c.top() << " size " << c.width() << "x"
        << c.height() << " in " << width << "x" << height;
}

// A bar fills along its long side.
void expect_gauge_along(const ui::Control& c) {
    if (c.kind() != ui::Kind::gauge) return;
    EXPECT_EQ(static_cast<const ui::Gauge&>(c).vertical(), c.height() > c.width()) << name_of(c);
}

void expect_picture_drawn(const ui::Control& c) {
    std::string picture;
    if (c.kind() == ui::Kind::picture)
        picture = static_cast<const ui::Picture&>(c).picture();
    else if (c.kind() == ui::Kind::image)
        picture = static_cast<const ui::Image&>(c).picture();
    else
        return;
    EXPECT_NE(ui::find_drawing(picture), nullptr) << name_of(c) << " shows nothing";
}

class FormLayout : public DeviceFixture {
  protected:
    void SetUp() override {
        qt_app();
        DeviceFixture::SetUp();
        ui::services().metrics = &metrics_;
        renderer_ = std::make_unique<app::Renderer>();
        std::filesystem::create_directories(DVX_SCREENSHOT_DIR "/windows");
    }
    void TearDown() override {
        renderer_.reset();
        ui::services().metrics = nullptr;
        DeviceFixture::TearDown();
    }

    void check(ui::Form& f, const std::string& picture) {
        boxes_.answer_all(ui::id_ok);
        if (!f.visible()) f.show_modeless();
        pump();
        check_shown(f, picture);
        // Each further page of a tab control, then the first again.
        for (ui::Control* c : f.controls()) {
            if (c->kind() != ui::Kind::tab_control || !c->shown()) continue;
            auto& tabs = static_cast<ui::TabControl&>(*c);
            const int first = tabs.tab();
            for (int i = 0; i < tabs.tabs(); ++i) {
                if (i == first) continue;
                SCOPED_TRACE("tab " + std::to_string(i));
                tabs.set_tab(i);
                check_shown(f, picture + "_tab" + std::to_string(i));
            }
            tabs.set_tab(first);
        }
    }
    void check_shown(ui::Form& f, const std::string& picture) {
        renderer_->flush();
        QCoreApplication::processEvents();  // Qt's own layout (scroll bars shown as needed)
        QWidget* w = renderer_->window(f);
        ASSERT_NE(w, nullptr);
        w->grab().toImage().save(
            QString::fromStdString(DVX_SCREENSHOT_DIR "/windows/" + picture + ".png"));
        for (const ui::Control* c : f.controls()) {
            if (!c->shown() || skipped(c->kind())) continue;
            if (c->kind() != ui::Kind::line) expect_inside_parent(*c);
            expect_caption_fits(*c);
            expect_picture_drawn(*c);
            expect_gauge_along(*c);
        }
    }

    app::QtTextMetrics metrics_;
    std::unique_ptr<app::Renderer> renderer_;
};

TEST_F(FormLayout, EveryWindowInEveryLanguageAndFamily) {
    for (int bus : {0, 1, 2})
        for (const char* lang : {"D", "GB", "NL"})
            for (bool krv : {true, false}) {
                ui::reset_forms();
                reset_globals();
                // The markers that select the gateway bus.
                if (files_->exists("HZL_mod.cfg")) files_->remove("HZL_mod.cfg");
                if (bus) write_checked(bus == 1 ? "HZL_mod.cfg" : "HZL3_mod.cfg", "1");
                ASSERT_TRUE(start(bus, lang));
                if (!krv) click(main().S_DLX);
                const std::string variant = std::string(lang) + (krv ? "_KRV" : "_DLX");
                SCOPED_TRACE(variant + " bus " + std::to_string(bus));
                {
                    SCOPED_TRACE("main window");
                    check(main(), "main_" + variant + "_bus" + std::to_string(bus));
                }
                for (const Window& win : windows) {
                    if (win.bus_mode != bus) continue;
                    SCOPED_TRACE(win.name);
                    check(win.open(), std::string(win.name) + "_" + variant);
                    win.close();
                    pump();
                }
            }
}

}  // namespace
}  // namespace dvx::testing

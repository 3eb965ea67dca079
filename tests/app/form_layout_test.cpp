// Every window of the program rendered once in each language and model family (the
// gateway pages on their bus): nothing a technician would see as broken. Each shown
// control lies inside its parent, each caption fits its control as the text-metrics
// service measures it (labels may wrap as far as their height allows), no caption covers
// a sibling's caption as Qt draws them, and every picture shows a drawing, every bar gauge
// fills along its long side. The windows are kept as pictures in the screenshot folder.
// A press on each control of every window moves the focus once.
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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
#include "model/number_text.h"
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
#include "platform/cp1252.h"
#include "tests/app/qt_test_app.h"
#include "tests/app/rendered_form.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/lang_select.h"
#include "ui/controls.h"
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
    return platform::to_utf8(c.name()) +
           (c.index() >= 0 ? "(" + std::to_string(c.index()) + ")" : "");
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
        << name_of(c) << " \"" << platform::to_utf8(text) << "\": " << lines << " lines in "
        << max_lines << ", " << free << " twips wide";
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

// ---------------------------------------------------------------------------------
// Captions as drawn. Designed rectangles overlap on purpose (the "(R)" label lies inside
// the banner label, labels run on past their text), so what must not overlap is the ink:
// each word's glyph box where Qt puts it, with the widget's font, its style's text area,
// alignment and wrapping. Blanks carry no ink, so a mark may stand in a gap of a caption.

// Protected members reached the way a subclass may.
struct LabelAccess : QLabel {
    static int frame_width(const QLabel& l) { return (l.*(&LabelAccess::frameWidth))(); }
};
struct PushAccess : QPushButton {
    static void option(const QPushButton& b, QStyleOptionButton* o) {
        (b.*(&PushAccess::initStyleOption))(o);
    }
};
struct CheckAccess : QCheckBox {
    static void option(const QCheckBox& b, QStyleOptionButton* o) {
        (b.*(&CheckAccess::initStyleOption))(o);
    }
};
struct RadioAccess : QRadioButton {
    static void option(const QRadioButton& b, QStyleOptionButton* o) {
        (b.*(&RadioAccess::initStyleOption))(o);
    }
};
struct GroupAccess : QGroupBox {
    static void option(const QGroupBox& g, QStyleOptionGroupBox* o) {
        (g.*(&GroupAccess::initStyleOption))(o);
    }
};

// The text as shown where "&" marks an access key, and the place of the key's letter.
struct Shown {
    QString text;
    qsizetype key = -1;
};
Shown without_mnemonics(const QString& s) {
    Shown out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&' && out.key < 0) out.key = out.text.size();
        }
        out.text += s[i];
    }
    return out;
}

struct TextArea {
    Shown shown;
    QRectF rect;  // in the widget
    Qt::Alignment align;
    bool wrap = false;
};

// Where the widget's style draws its caption.
std::optional<TextArea> text_area(const QWidget& w) {
    QStyle* st = w.style();
    if (auto* l = qobject_cast<const QLabel*>(&w)) {
        // QLabel's own text rectangle: contents less margin and the indent of a frame.
        QRectF r = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        int indent = l->indent();
        if (indent < 0 && LabelAccess::frame_width(*l))
            indent = l->fontMetrics().horizontalAdvance(u'x') / 2 - l->margin();
        const Qt::Alignment a = l->alignment();
        if (indent > 0) {
            if (a & Qt::AlignLeft) r.setLeft(r.left() + indent);
            if (a & Qt::AlignRight) r.setRight(r.right() - indent);
            if (a & Qt::AlignTop) r.setTop(r.top() + indent);
            if (a & Qt::AlignBottom) r.setBottom(r.bottom() - indent);
        }
        return TextArea{l->buddy() ? without_mnemonics(l->text()) : Shown{l->text()}, r, a,
                        l->wordWrap()};
    }
    QStyleOptionButton o;
    if (auto* b = qobject_cast<const QPushButton*>(&w)) {
        PushAccess::option(*b, &o);
        return TextArea{without_mnemonics(b->text()),
                        st->subElementRect(QStyle::SE_PushButtonContents, &o, &w), Qt::AlignCenter};
    }
    if (auto* b = qobject_cast<const QCheckBox*>(&w)) {
        CheckAccess::option(*b, &o);
        return TextArea{without_mnemonics(b->text()),
                        st->subElementRect(QStyle::SE_CheckBoxContents, &o, &w),
                        Qt::AlignLeft | Qt::AlignVCenter};
    }
    if (auto* b = qobject_cast<const QRadioButton*>(&w)) {
        RadioAccess::option(*b, &o);
        return TextArea{without_mnemonics(b->text()),
                        st->subElementRect(QStyle::SE_RadioButtonContents, &o, &w),
                        Qt::AlignLeft | Qt::AlignVCenter};
    }
    if (auto* g = qobject_cast<const QGroupBox*>(&w)) {
        QStyleOptionGroupBox go;
        GroupAccess::option(*g, &go);
        return TextArea{without_mnemonics(g->title()),
                        st->subControlRect(QStyle::CC_GroupBox, &go, QStyle::SC_GroupBoxLabel, &w),
                        Qt::AlignCenter};
    }
    return std::nullopt;
}

// The glyph boxes of the caption's words, in the coordinates of `window`, as far as they
// show inside the widget.
std::vector<QRectF> caption_ink(const QWidget& w, const QWidget& window) {
    std::vector<QRectF> ink;
    const auto area = text_area(w);
    if (!area || area->shown.text.trimmed().isEmpty()) return ink;
    const QString& text = area->shown.text;
    QTextLayout layout(text, w.font());
    // A wrapped text is aligned line by line in its area, a single line as a whole.
    QTextOption option(area->wrap ? area->align & Qt::AlignHorizontal_Mask : Qt::AlignLeft);
    option.setWrapMode(area->wrap ? QTextOption::WordWrap : QTextOption::ManualWrap);
    layout.setTextOption(option);
    // The access key's letter underlined, where the style shows it: Qt lays that letter
    // out apart from the text around it, which moves what follows.
    const qsizetype key = area->shown.key;
    const bool underlined =
        key >= 0 && w.style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, &w);
    if (underlined) {
        QTextCharFormat f;
        f.setFontUnderline(true);
        layout.setFormats({{static_cast<int>(key), 1, f}});
    }
    const QFontMetricsF fm(w.font());
    // Lines as Qt's text drawing stacks them: the font's leading between two lines.
    double height = -fm.leading();
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area->wrap ? area->rect.width() : 1e6);
        height += fm.leading();
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    double dx = area->rect.left();
    double dy = area->rect.top();
    if (area->align & Qt::AlignVCenter) dy += (area->rect.height() - height) / 2;
    if (area->align & Qt::AlignBottom) dy += area->rect.height() - height;
    const QPointF origin = w.mapTo(&window, QPoint(0, 0));
    const QRectF shown = QRectF(w.rect()).translated(origin);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        double lx = 0;
        if (!area->wrap) {  // one unbounded line: place it in the area
            if (area->align & Qt::AlignHCenter)
                lx = (area->rect.width() - line.naturalTextWidth()) / 2;
            else if (area->align & Qt::AlignRight)
                lx = area->rect.width() - line.naturalTextWidth();
        }
        const QPointF base = origin + QPointF(dx + lx, dy + line.y() + line.ascent());
        auto add = [&](const QRectF& r) {
            if (const QRectF box = r.translated(base).intersected(shown); !box.isEmpty())
                ink.push_back(box);
        };
        const int end = line.textStart() + line.textLength();
        for (int a = line.textStart(); a < end;) {
            if (text[a].isSpace()) {
                ++a;
                continue;
            }
            int b = a;
            while (b < end && !text[b].isSpace()) ++b;
            // Across: the first and last glyph where the layout puts them; up and down:
            // the word's glyphs.
            const QRectF first = fm.tightBoundingRect(text.mid(a, 1));
            const QRectF last = fm.tightBoundingRect(text.mid(b - 1, 1));
            const QRectF glyphs = fm.tightBoundingRect(text.mid(a, b - a));
            const double x0 = line.cursorToX(a) + first.left();
            const double x1 = line.cursorToX(b - 1) + last.right();
            add(QRectF(x0, glyphs.top(), x1 - x0, glyphs.height()));
            a = b;
        }
        if (underlined && key >= line.textStart() && key < end) {
            const double x = line.cursorToX(static_cast<int>(key));
            add(QRectF(x, fm.underlinePos(), line.cursorToX(static_cast<int>(key) + 1) - x,
                       fm.lineWidth()));
        }
    }
    return ink;
}

// No two visible siblings' captions share ink. A glyph box is larger than its glyph (the
// corner of an "X" against the bulge of a "("), so boxes that share less than a pixel
// either way only touch.
bool covers(const QRectF& a, const QRectF& b) {
    const QRectF both = a.intersected(b);
    return both.width() >= 1 && both.height() >= 1;
}

// "A and B" for each pair of visible siblings whose captions cover each other.
std::vector<std::string> covered_captions(const ui::Form& f, const app::Renderer& r) {
    std::vector<std::string> found;
    const QWidget* window = r.window(f);
    if (!window) return found;
    struct Drawn {
        const ui::Control* control;
        const QWidget* widget;
        std::vector<QRectF> ink;
    };
    std::vector<Drawn> drawn;
    for (const ui::Control* c : f.controls()) {
        const QWidget* w = r.widget(*c);
        if (!c->shown() || !w || !w->isVisible() || skipped(c->kind())) continue;
        if (auto ink = caption_ink(*w, *window); !ink.empty())
            drawn.push_back({c, w, std::move(ink)});
    }
    for (std::size_t i = 0; i < drawn.size(); ++i)
        for (std::size_t j = i + 1; j < drawn.size(); ++j) {
            if (drawn[i].widget->parentWidget() != drawn[j].widget->parentWidget()) continue;
            const bool cover =
                std::any_of(drawn[i].ink.begin(), drawn[i].ink.end(), [&](const QRectF& a) {
                    return std::any_of(drawn[j].ink.begin(), drawn[j].ink.end(),
                                       [&](const QRectF& b) { return covers(a, b); });
                });
            if (cover)
                found.push_back(name_of(*drawn[i].control) + " and " + name_of(*drawn[j].control));
        }
    return found;
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
        for (const std::string& pair : covered_captions(f, *renderer_))
            ADD_FAILURE() << pair << ": one caption covers the other";
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

// One press on a control of any window moves the focus once. Each control, as it gets
// the focus, hands it on to another (as the gateway grid hands it to its cell editor),
// so a second move asked by the same press would reach it again; the press's click,
// choice or scroll is then dropped as for a refused entry, and no device is asked.
TEST_F(FormLayout, EveryWindowOnePressOneFocusMove) {
    int pressed = 0;
    auto check_presses = [&](ui::Form& f) {
        boxes_.answer_all(ui::id_ok);
        if (!f.visible()) f.show_modeless();
        pump();
        // Fields not read yet hold a number, so leaving one refuses nothing.
        for (ui::Control* c : f.controls())
            if (c->kind() == ui::Kind::text_box && static_cast<ui::TextBox*>(c)->text().empty())
                static_cast<ui::TextBox*>(c)->set_text("1");
        renderer_->flush();
        QCoreApplication::processEvents();
        for (ui::Control* c : f.controls()) {
            if (!c->can_focus()) continue;
            ui::Control* home = nullptr;
            for (ui::Control* o : f.tab_order())
                if (o != c && o->can_focus()) home = o;
            if (!home) continue;
            SCOPED_TRACE(name_of(*c));
            model::range_check_latch = 1;  // leaving a field checks nothing here
            home->set_focus();
            pump();
            renderer_->flush();
            ASSERT_EQ(ui::focus_owner(), home);
            int moves = 0;
            bool armed = true;
            auto kept = c->on_got_focus;
            c->on_got_focus = [&] {
                ++moves;
                if (std::exchange(armed, false) && home->can_focus()) home->set_focus();
            };
            QWidget* part = renderer_->widget(*c);
            ASSERT_NE(part, nullptr);
            if (auto* area = qobject_cast<QAbstractScrollArea*>(part)) part = area->viewport();
            const QPoint at = part->rect().center();
            QTest::mousePress(part, Qt::LeftButton, {}, at);
            pump();
            if (auto* combo = qobject_cast<QComboBox*>(renderer_->widget(*c))) combo->hidePopup();
            QTest::mouseRelease(part, Qt::LeftButton, {}, at);
            pump();
            renderer_->flush();
            c->on_got_focus = kept;
            EXPECT_EQ(moves, 1);
            ++pressed;
        }
    };
    for (int bus : {0, 1, 2}) {
        ui::reset_forms();
        reset_globals();
        if (files_->exists("HZL_mod.cfg")) files_->remove("HZL_mod.cfg");
        if (bus) write_checked(bus == 1 ? "HZL_mod.cfg" : "HZL3_mod.cfg", "1");
        ASSERT_TRUE(start(bus, "GB"));
        SCOPED_TRACE("bus " + std::to_string(bus));
        {
            SCOPED_TRACE("main window");
            check_presses(main());
        }
        for (const Window& win : windows) {
            if (win.bus_mode != bus) continue;
            SCOPED_TRACE(win.name);
            check_presses(win.open());
            win.close();
            pump();
        }
    }
    EXPECT_GT(pressed, 100) << "the windows' controls were pressed";
}

// The check above is only as good as its measure: the ink it computes must be where Qt
// paints the caption. Each kind of captioned control, in the renderer's own widgets,
// painted with red text; the red pixels' box is the computed one within a pixel.
class Probe : public ui::Form {
  public:
    Probe() : Form("probe", {0, 0, 9000, 6000}) {
        on_load = [this] {
            left.set_caption("Transmitter supply circuit, two lines");
            centred.set_caption("Centred");
            centred.set_alignment(2);
            right.set_caption("Right");
            right.set_alignment(1);
            keyed.set_caption("PC-Sch&nittstelle:");
            banner.set_caption("DORVANEX  -  Configuratieprogramma");
            banner.set_font_size(12);
            banner.set_font_bold(true);
            button.set_caption("Adressen &suchen...");
            check.set_caption(
                "Kalibrierwerte &\xFC"
                "berschreiben");
            option.set_caption("KRV-200");
            frame.set_caption("Angeschlossene KRV/DLX-Ger\xE4te");
        };
    }
    ui::Label left{*this, "left", {120, 120, 2000, 500}};
    ui::Label centred{*this, "centred", {2300, 120, 2000, 255}};
    ui::Label right{*this, "right", {4500, 120, 2000, 255}};
    ui::Label keyed{*this, "keyed", {2300, 500, 2000, 255}};
    ui::TextBox keyed_box{*this, "keyed_box", {4500, 500, 1000, 285}};
    ui::Label banner{*this, "banner", {120, 900, 6960, 375}};
    ui::CommandButton button{*this, "button", {120, 1500, 2400, 375}};
    ui::CheckBox check{*this, "check", {2700, 1500, 3000, 255}};
    ui::OptionButton option{*this, "option", {5900, 1500, 1500, 255}};
    ui::Frame frame{*this, "frame", {120, 2100, 5000, 1500}};
};

using CaptionInk = RenderedForm<Probe>;

TEST_F(CaptionInk, IsWhereQtPaintsTheCaption) {
    QWidget* window = renderer_->window(*form_);
    ASSERT_NE(window, nullptr);
    QCoreApplication::processEvents();
    for (ui::Control* c : form_->controls()) {
        if (c->kind() == ui::Kind::text_box) continue;
        SCOPED_TRACE(name_of(*c));
        QWidget* w = renderer_->widget(*c);
        ASSERT_NE(w, nullptr);
        QPalette red = w->palette();
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            red.setColor(role, Qt::red);
        w->setPalette(red);
        const QImage img = w->grab().toImage();
        const std::vector<QRectF> ink = caption_ink(*w, *w);
        QRectF measured;
        for (const QRectF& r : ink) measured |= r;
        // Every painted pixel within a pixel of a word's box, so no word goes unseen,
        // and the boxes together no larger than what is painted.
        QRect painted;
        int astray = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor px = img.pixelColor(x, y);
                if (px.red() - std::max(px.green(), px.blue()) <= 20) continue;
                painted |= QRect(x, y, 1, 1);
                const QPointF centre(x + 0.5, y + 0.5);
                if (std::none_of(ink.begin(), ink.end(), [&](const QRectF& r) {
                        return r.adjusted(-1.5, -1.5, 1.5, 1.5).contains(centre);
                    }))
                    ++astray;
            }
        ASSERT_FALSE(painted.isEmpty());
        EXPECT_EQ(astray, 0);
        EXPECT_NEAR(measured.left(), painted.left(), 1.5);
        EXPECT_NEAR(measured.top(), painted.top(), 1.5);
        EXPECT_NEAR(measured.right(), painted.left() + painted.width(), 1.5);
        EXPECT_NEAR(measured.bottom(), painted.top() + painted.height(), 1.5);
    }
}

// The check finds a caption on another's letters, and only there: a mark may stand in the
// blanks of a caption or above its letters.
class Banner : public ui::Form {
  public:
    Banner() : Form("banner", {0, 0, 9000, 3000}) {
        on_load = [this] {
            name.set_caption("DORVANEX  -  Configuratieprogramma");
            name.set_font_size(12);
            name.set_font_bold(true);
            mark.set_caption("(R)");
            note.set_caption("Kalibratie overschrijven");
            option.set_caption("KRV-200");
        };
    }
    ui::Label name{*this, "name", {240, 300, 6960, 375}};
    ui::Label mark{*this, "mark", {1575, 240, 375, 255}};
    ui::Label note{*this, "note", {240, 1200, 3000, 255}};
    ui::OptionButton option{*this, "option", {4000, 1200, 1500, 255}};
};

using CoveredCaptions = RenderedForm<Banner>;

TEST_F(CoveredCaptions, FoundOnLettersNotInBlanksOrAbove) {
    struct Case {
        const char* what;
        const char* moved;
        int left, top;
        bool visible;
        std::vector<std::string> found;
    };
    // Right behind the name the two blanks are narrower than the mark (9 and 15 pixels).
    app::QtTextMetrics metrics;
    const int after = 240 + metrics.text_width(form_->name.font(), "DORVANEX");
    const int in_name = after - 10 * 15;
    const Case cases[] = {
        {"mark on the hyphen", "mark", after, 300, true, {"name and mark"}},
        {"mark on the last letter", "mark", in_name, 300, true, {"name and mark"}},
        {"mark raised above the hyphen", "mark", after, 240, true, {}},
        {"mark hidden", "mark", after, 300, false, {}},
        {"option on a label's words", "option", 1200, 1200, true, {"note and option"}},
        {"option beside the words", "option", 2400, 1200, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::Control& moved = *form_->control(c.moved);
        const int left = moved.left(), top = moved.top();
        moved.set_left(c.left);
        moved.set_top(c.top);
        moved.set_visible(c.visible);
        renderer_->flush();
        QCoreApplication::processEvents();
        EXPECT_EQ(covered_captions(*form_, *renderer_), c.found);
        moved.set_left(left);
        moved.set_top(top);
        moved.set_visible(true);
    }
    renderer_->flush();
    EXPECT_TRUE(covered_captions(*form_, *renderer_).empty()) << "as designed";
}

}  // namespace
}  // namespace dvx::testing

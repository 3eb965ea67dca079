// The boundary between the window layer and Qt: designed twips become pixels scaled
// with the screen's dpi, and Windows-1252 text crosses unchanged both ways.
#include "app/twips.h"

#include <gtest/gtest.h>

#include <QFontInfo>

#include "tests/app/qt_test_app.h"

namespace dvx::testing {
namespace {

TEST(Twips, PixelsScaleWithTheScreensDpi) {
    struct Case {
        double dpi;
        int twips;
        int px;
    };
    const Case cases[] = {
        {96, 15, 1},      {96, 1440, 96}, {96, 9690, 646},  {144, 15, 2},     {144, 1440, 144},
        {144, 9690, 969}, {192, 15, 2},   {192, 1440, 192}, {120, 1440, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, " + std::to_string(c.twips) + " twips");
        app::set_screen_dpi(c.dpi);
        EXPECT_EQ(app::to_px(c.twips), c.px);
        EXPECT_NEAR(app::to_twips(app::to_px(c.twips)), c.twips, 15.0 * 96 / c.dpi);
    }
    app::set_screen_dpi(0);  // no dpi known: the last one stays
    EXPECT_EQ(app::to_px(1440), 120);
    app::set_screen_dpi(96);
}

TEST(Twips, Windows1252TextCrossesUnchanged) {
    const std::string cp1252 =
        "12,5 \xB0"
        "C Zur\xFC"
        "ck \x80";
    const QString q = app::qstr(cp1252);
    EXPECT_EQ(q, QString::fromUtf8("12,5 °C Zurück €"));
    EXPECT_EQ(app::cp1252(q), cp1252);
}

// Print-outs and grids line figures up in Courier New: whatever stands in for it on
// this machine is fixed-pitch. Sizes left at 0 take the screen's or the printer's default.
TEST(Twips, FontsKeepTheirAttributesAndCourierStaysFixedPitch) {
    qt_app();
    ui::PrinterFont print;
    print.name = "courier new";
    print.size = 0;
    print.bold = true;
    const QFont p = app::qfont(print);
    EXPECT_TRUE(QFontInfo(p).fixedPitch()) << QFontInfo(p).family().toStdString();
    EXPECT_EQ(p.pointSizeF(), 10);
    EXPECT_TRUE(p.bold());

    ui::Font screen;
    screen.name = "Courier New";
    screen.size = 0;
    screen.underline = true;
    const QFont s = app::qfont(screen);
    EXPECT_TRUE(QFontInfo(s).fixedPitch()) << QFontInfo(s).family().toStdString();
    EXPECT_EQ(s.pointSizeF(), 8.25);
    EXPECT_TRUE(s.underline());
    EXPECT_FALSE(QFontInfo(app::qfont(ui::Font{})).fixedPitch());  // Arial
}

}  // namespace
}  // namespace dvx::testing

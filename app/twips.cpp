#include "app/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/cp1252.h"

namespace dvx::app {

namespace {
double g_px_per_twip = 1.0 / 15.0;
}

double px_per_twip() {
    return g_px_per_twip;
}

void set_screen_dpi(double logical_dpi) {
    if (logical_dpi > 0) g_px_per_twip = logical_dpi / 96.0 / 15.0;
}

void use_primary_screen() {
    if (QScreen* s = QGuiApplication::primaryScreen()) set_screen_dpi(s->logicalDotsPerInch());
}

int to_px(int twips) {
    return static_cast<int>(std::lround(twips * g_px_per_twip));
}

int to_twips(int px) {
    return static_cast<int>(std::lround(px / g_px_per_twip));
}

QString qstr(const std::string& cp1252) {
    return QString::fromStdString(platform::to_utf8(cp1252));
}

std::string cp1252(const QString& s) {
    return platform::to_cp1252(s.toStdString());
}

namespace {

// Screen and printer fonts carry the same attributes. A missing Courier New falls back
// to another fixed-pitch font, so columns of figures stay aligned.
template <class F>
QFont font_of(const F& f, double default_size) {
    QFont q(qstr(f.name));
    q.setPointSizeF(f.size > 0 ? f.size : default_size);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikethrough);
    if (q.family().compare("Courier New", Qt::CaseInsensitive) == 0)
        q.setStyleHint(QFont::TypeWriter);
    return q;
}

}  // namespace

QFont qfont(const ui::Font& f) {
    return font_of(f, 8.25);
}

QFont qfont(const ui::PrinterFont& f) {
    return font_of(f, 10);
}

std::optional<QColor> qcolor(std::uint32_t c) {
    if (c & 0x80000000u) return std::nullopt;
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace dvx::app

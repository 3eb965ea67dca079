#include "app/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "ui/cp1252.h"

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
    return QString::fromStdString(ui::to_utf8(cp1252));
}

std::string cp1252(const QString& s) {
    return ui::to_cp1252(s.toStdString());
}

QFont qfont(const ui::Font& f) {
    QFont q(qstr(f.name));
    q.setPointSizeF(f.size > 0 ? f.size : 8.25);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikethrough);
    return q;
}

std::optional<QColor> qcolor(std::uint32_t c) {
    if (c & 0x80000000u) return std::nullopt;
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace dvx::app

// Static lines.
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"

namespace dvx::app {

namespace {

// A static line between two points of its bounding box.
class LineWidget final : public QWidget {
  public:
    using QWidget::QWidget;
    QPoint from, to;
    QColor color = Qt::black;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(color, 1));
        p.drawLine(from, to);
    }
};

}  // namespace

QWidget* Renderer::make_line(ui::Control&, QWidget* parent) {
    QWidget* w = new LineWidget(parent);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    return w;
}

void Renderer::place_line(ControlView& v, int dy) {
    auto& ln = static_cast<ui::Line&>(*v.control);
    const int x1 = to_px(ln.x1()), y1 = to_px(ln.y1()) - dy;
    const int x2 = to_px(ln.x2()), y2 = to_px(ln.y2()) - dy;
    const QRect box = QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                            QPoint(std::max(x1, x2), std::max(y1, y2)));
    auto* lw = static_cast<LineWidget*>(v.widget);
    lw->setGeometry(box);
    lw->from = QPoint(x1, y1) - box.topLeft();
    lw->to = QPoint(x2, y2) - box.topLeft();
    lw->update();
}

void Renderer::sync_line(ControlView& v, unsigned) {
    auto* lw = static_cast<LineWidget*>(v.widget);
    lw->color = qcolor(static_cast<ui::Line&>(*v.control).border_color()).value_or(Qt::black);
    lw->update();
}

}  // namespace dvx::app

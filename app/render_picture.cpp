// Picture boxes and images: a registered drawing (ui/drawing.h) named by the control's
// Picture property is painted stretched into the control; anything else shows empty.
#include <QFrame>
#include <QPainter>
#include <QPen>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/drawing.h"

namespace dvx::app {

namespace {

class DrawingView : public QFrame {
  public:
    using QFrame::QFrame;
    void show_drawing(const ui::Drawing* d) {
        if (d == drawing_) return;
        drawing_ = d;
        update();
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        QFrame::paintEvent(e);
        if (!drawing_ || drawing_->width <= 0 || drawing_->height <= 0) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF area = contentsRect();
        const double sx = area.width() / drawing_->width;
        const double sy = area.height() / drawing_->height;
        p.translate(area.topLeft());
        for (const ui::Shape& s : drawing_->shapes) paint(p, s, sx, sy);
    }

  private:
    static void paint(QPainter& p, const ui::Shape& s, double sx, double sy) {
        const QRectF box(s.x * sx, s.y * sy, s.w * sx, s.h * sy);
        const QColor pen = qcolor(s.pen).value_or(Qt::black);
        p.setPen(QPen(pen, std::max(1.0, s.pen_width * sy)));
        if (s.fill == ui::no_fill)
            p.setBrush(Qt::NoBrush);
        else
            p.setBrush(qcolor(s.fill).value_or(Qt::gray));
        switch (s.kind) {
            case ui::ShapeKind::rect:
                p.drawRect(box);
                break;
            case ui::ShapeKind::ellipse:
                p.drawEllipse(box);
                break;
            case ui::ShapeKind::line:
                p.drawLine(box.topLeft(), box.bottomRight());
                break;
            case ui::ShapeKind::arrow_left:
            case ui::ShapeKind::arrow_right: {
                const bool left = s.kind == ui::ShapeKind::arrow_left;
                const QPointF tip(left ? box.left() : box.right(), box.center().y());
                const double base = left ? box.right() : box.left();
                const QPointF points[] = {tip, {base, box.top()}, {base, box.bottom()}};
                p.drawPolygon(points, 3);
                break;
            }
            case ui::ShapeKind::text: {
                QFont f = p.font();
                f.setPixelSize(std::max(6, static_cast<int>(s.size * sy)));
                p.setFont(f);
                p.drawText(box, Qt::AlignCenter, qstr(std::string(s.text)));
                break;
            }
        }
    }
    const ui::Drawing* drawing_ = nullptr;
};

const std::string& picture_name(const ui::Control& c) {
    if (c.kind() == ui::Kind::image) return static_cast<const ui::Image&>(c).picture();
    return static_cast<const ui::Picture&>(c).picture();
}

}  // namespace

QWidget* Renderer::make_picture(ui::Control& c, QWidget* parent) {
    return new DrawingView(parent);
}

void Renderer::sync_picture(ControlView& v, unsigned bits) {
    if (!(bits & d_state)) return;
    if (v.control->kind() == ui::Kind::picture) {
        const bool border = static_cast<const ui::Picture&>(*v.control).border_style() != 0;
        static_cast<QFrame*>(v.widget)->setFrameStyle(border ? QFrame::StyledPanel | QFrame::Sunken
                                                             : int(QFrame::NoFrame));
    }
    static_cast<DrawingView*>(v.widget)->show_drawing(ui::find_drawing(picture_name(*v.control)));
}

}  // namespace dvx::app

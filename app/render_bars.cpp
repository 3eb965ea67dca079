// Gauges and vertical scroll bars.
#include <QProgressBar>
#include <QScrollBar>
#include <algorithm>
#include <optional>

#include "app/render_common.h"
#include "ui/input.h"

namespace dvx::app {

QWidget* Renderer::make_bar(ui::Control& c, QWidget* parent) {
    if (c.kind() == ui::Kind::vscroll_bar) return new QScrollBar(Qt::Vertical, parent);
    auto* p = new QProgressBar(parent);
    p->setTextVisible(false);
    return p;
}

void Renderer::connect_bar(ui::Control& c, QWidget* w) {
    using namespace ui;
    if (c.kind() != Kind::vscroll_bar) return;
    auto* sb = static_cast<QScrollBar*>(w);
    QObject::connect(sb, &QScrollBar::actionTriggered, this, [this, sb](int action) {
        if (syncing_) return;
        auto* bar = static_cast<VScrollBar*>(control_of(sb));
        if (!bar) return;
        // Numeric growth is "down" (towards Max) unless Min exceeds Max.
        const bool inverted = bar->min() > bar->max();
        std::optional<ScrollAction> act;
        switch (action) {
            case QAbstractSlider::SliderSingleStepAdd:
                act = inverted ? ScrollAction::line_up : ScrollAction::line_down;
                break;
            case QAbstractSlider::SliderSingleStepSub:
                act = inverted ? ScrollAction::line_down : ScrollAction::line_up;
                break;
            case QAbstractSlider::SliderPageStepAdd:
                act = inverted ? ScrollAction::page_up : ScrollAction::page_down;
                break;
            case QAbstractSlider::SliderPageStepSub:
                act = inverted ? ScrollAction::page_down : ScrollAction::page_up;
                break;
            case QAbstractSlider::SliderMove:
                // The wheel moves the thumb without a drag: a move and its release.
                if (!sb->isSliderDown()) {
                    const int value = sb->sliderPosition();
                    post_to<VScrollBar>(sb, [value](VScrollBar& b) {
                        user_scroll(b, ScrollAction::drag, value);
                        user_scroll(b, ScrollAction::release, value);
                    });
                    sb->setSliderPosition(bar->value());
                }
                return;
            default:
                break;
        }
        if (!act) return;
        post_pressed<VScrollBar>(sb, [a = *act](VScrollBar& b) { user_scroll(b, a); });
        sb->setSliderPosition(bar->value());  // the layer moves the thumb
    });
    QObject::connect(sb, &QScrollBar::sliderMoved, this, [this, sb](int value) {
        if (syncing_) return;
        post_pressed<VScrollBar>(
            sb, [value](VScrollBar& b) { user_scroll(b, ScrollAction::drag, value); });
    });
    QObject::connect(sb, &QScrollBar::sliderReleased, this, [this, sb] {
        if (syncing_) return;
        const int value = sb->sliderPosition();
        post_pressed<VScrollBar>(
            sb, [value](VScrollBar& b) { user_scroll(b, ScrollAction::release, value); });
    });
}

void Renderer::sync_bar(ControlView& v, unsigned) {
    if (v.control->kind() == ui::Kind::gauge) {
        auto& g = static_cast<ui::Gauge&>(*v.control);
        auto* p = static_cast<QProgressBar*>(v.widget);
        p->setOrientation(g.vertical() ? Qt::Vertical : Qt::Horizontal);
        p->setRange(g.min(), std::max(g.min(), g.max()));
        p->setValue(g.value());
        return;
    }
    auto& b = static_cast<ui::VScrollBar&>(*v.control);
    auto* sb = static_cast<QScrollBar*>(v.widget);
    const bool inverted = b.min() > b.max();
    sb->setInvertedAppearance(inverted);
    sb->setInvertedControls(inverted);
    sb->setRange(std::min(b.min(), b.max()), std::max(b.min(), b.max()));
    sb->setSingleStep(b.small_change());
    sb->setPageStep(b.large_change());
    if (!sb->isSliderDown()) sb->setValue(b.value());
}

}  // namespace dvx::app

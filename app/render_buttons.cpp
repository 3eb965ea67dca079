// Command buttons, check boxes, option buttons and frames.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/input.h"

namespace dvx::app {

QWidget* Renderer::make_button(ui::Control& c, QWidget* parent) {
    switch (c.kind()) {
        case ui::Kind::command_button: {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);
            return b;
        }
        case ui::Kind::frame: {
            // A classic frame: the caption sits on the border line, half a caption's
            // height below the frame's top, so controls designed close to the top stay
            // inside the box instead of on its edge.
            auto* g = new QGroupBox(parent);
            g->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
            return g;
        }
        case ui::Kind::check_box:
            return new QCheckBox(parent);
        default: {
            auto* r = new QRadioButton(parent);
            r->setAutoExclusive(false);  // the layer keeps the group exclusive
            return r;
        }
    }
}

void Renderer::connect_button(ui::Control& c, QWidget* w) {
    if (c.kind() == ui::Kind::frame) return;
    auto* b = static_cast<QAbstractButton*>(w);
    QObject::connect(b, &QAbstractButton::clicked, this, [this, b] {
        if (syncing_) return;
        post_pressed<ui::Control>(b, [](ui::Control& ctl) { ui::user_click(ctl); });
        // Qt toggled its own box: the layer's value wins until it changes it.
        restore(b);
    });
}

void Renderer::sync_button(ControlView& v, unsigned bits) {
    if (!(bits & d_state)) return;
    ui::Control& c = *v.control;
    QWidget* w = v.widget;
    switch (c.kind()) {
        case ui::Kind::check_box: {
            auto& cb = static_cast<ui::CheckBox&>(c);
            auto* q = static_cast<QCheckBox*>(w);
            q->setText(qstr(cb.caption()));
            q->setTristate(cb.value() == 2);
            q->setCheckState(cb.value() == 1   ? Qt::Checked
                             : cb.value() == 2 ? Qt::PartiallyChecked
                                               : Qt::Unchecked);
            break;
        }
        case ui::Kind::option_button: {
            auto& ob = static_cast<ui::OptionButton&>(c);
            auto* q = static_cast<QRadioButton*>(w);
            q->setText(qstr(ob.caption()));
            q->setChecked(ob.value());
            break;
        }
        default: {
            const QString cap = qstr(static_cast<ui::CaptionControl&>(c).caption());
            if (auto* b = qobject_cast<QPushButton*>(w))
                b->setText(cap);
            else if (auto* g = qobject_cast<QGroupBox*>(w))
                g->setTitle(cap);
            break;
        }
    }
}

}  // namespace dvx::app

// Picture boxes and images: the place where their drawing is mirrored.
#include <QFrame>
#include <QLabel>

#include "app/render_common.h"

namespace dvx::app {

QWidget* Renderer::make_picture(ui::Control& c, QWidget* parent) {
    if (c.kind() == ui::Kind::image) return new QLabel(parent);
    auto* fr = new QFrame(parent);
    fr->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return fr;
}

// Nothing drawn on them is mirrored yet.
void Renderer::sync_picture(ControlView&, unsigned) {}

}  // namespace dvx::app

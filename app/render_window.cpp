// A form's top-level window: showing, placing, the frame's own events.
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <cmath>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/app.h"
#include "ui/form.h"
#include "ui/input.h"

namespace dvx::app {

namespace {

// The classic frame around a form's client area, in pixels at 96 dpi: where the
// desktop reports no frame of its own.
constexpr int frame_border_px = 4;
constexpr int frame_caption_px = 22;

int frame_px(int px96) {
    return static_cast<int>(std::lround(px96 * px_per_twip() * 15.0));
}

QMargins classic_frame() {
    const int border = frame_px(frame_border_px);
    return {border, border + frame_px(frame_caption_px), border, border};
}

// Platforms without a window manager cannot raise windows (and say so each time).
bool can_raise() {
    static const bool yes = QGuiApplication::platformName() != "offscreen" &&
                            QGuiApplication::platformName() != "minimal";
    return yes;
}

}  // namespace

std::optional<QMargins> Renderer::reported_frame(QWidget& window) {
    if (!window.isVisible()) return std::nullopt;
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (outer == inner || !outer.contains(inner)) return std::nullopt;
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

QMargins Renderer::frame_of(QWidget& window) const {
    if (desktop_frame)
        if (auto m = desktop_frame(window)) return *m;
    return classic_frame();
}

// The desktop told the frame (once the window is shown, or a new one): the outer size
// stays the form's, so the client area is placed again.
bool Renderer::adopt_frame(FormView& fv) {
    if (syncing_ || fv.form->window_state() != ui::ws_normal) return false;
    if (frame_of(*fv.window) == fv.frame) return false;
    ++syncing_;
    place_window(fv);
    --syncing_;
    return true;
}

void Renderer::form_shown(ui::Form& f) {
    FormView* fv = view_of(f);
    if (!fv) {
        build(f);
        fv = view_of(f);
    }
    ++syncing_;
    sync_form(*fv);
    if (f.is_modal() != (fv->window->windowModality() == Qt::ApplicationModal)) {
        fv->window->hide();
        fv->window->setWindowModality(f.is_modal() ? Qt::ApplicationModal : Qt::NonModal);
    }
    switch (f.window_state()) {
        case ui::ws_minimized:
            fv->window->showMinimized();
            break;
        case ui::ws_maximized:
            fv->window->showMaximized();
            break;
        default:
            fv->window->show();
            break;
    }
    if (ui::active_form() == &f && can_raise()) {
        fv->window->raise();
        fv->window->activateWindow();
    }
    if (ui::Control* c = ui::focus_owner(); c && &c->form() == &f)
        if (QWidget* w = widget(*c)) w->setFocus(Qt::OtherFocusReason);
    --syncing_;
    if (on_shown) on_shown(f);
}

bool Renderer::window_event(FormView& fv, QEvent* e) {
    ui::Form& f = *fv.form;
    QWidget* win = fv.window;
    QPointer<QWidget> src(win);
    auto post_form = [this, src](std::function<void(ui::Form&)> action) {
        post([this, src, action] {
            if (!src) return;
            auto it = window_owner_.find(src.data());
            if (it == window_owner_.end() || !it->second->loaded()) return;
            action(*it->second);
        });
    };
    switch (e->type()) {
        case QEvent::Close:
            // The frame's close box: the layer decides (Unload may cancel).
            e->ignore();
            if (!syncing_) post_form([](ui::Form& form) { ui::user_close(form); });
            return true;
        case QEvent::Resize: {
            fv.client->setGeometry(0, fv.menu ? fv.menu->sizeHint().height() : 0, win->width(),
                                   win->height() - (fv.menu ? fv.menu->sizeHint().height() : 0));
            if (fv.menu) fv.menu->setGeometry(0, 0, win->width(), fv.menu->sizeHint().height());
            if (adopt_frame(fv)) return false;
            if (syncing_ || !e->spontaneous() || f.window_state() != ui::ws_normal) return false;
            const QMargins m = fv.frame;
            const int w = to_twips(win->width() + m.left() + m.right());
            const int h = to_twips(win->height() - (fv.menu ? fv.menu->sizeHint().height() : 0) +
                                   m.top() + m.bottom());
            if (to_px(w) != to_px(f.width()) || to_px(h) != to_px(f.height()))
                post_form([w, h](ui::Form& form) { ui::user_resize(form, w, h); });
            return false;
        }
        case QEvent::Move: {
            if (adopt_frame(fv)) return false;
            if (syncing_ || !e->spontaneous() || f.window_state() != ui::ws_normal) return false;
            const int l = to_twips(win->x());
            const int t = to_twips(win->y());
            // No event: the classic form only reports its new place when asked.
            post_form([l, t](ui::Form& form) {
                if (form.window_state() != ui::ws_normal) return;
                form.set_left(l);
                form.set_top(t);
            });
            return false;
        }
        case QEvent::WindowStateChange: {
            if (syncing_ || !e->spontaneous()) return false;
            const auto s = win->windowState();
            const int state = (s & Qt::WindowMinimized)   ? ui::ws_minimized
                              : (s & Qt::WindowMaximized) ? ui::ws_maximized
                                                          : ui::ws_normal;
            if (state != f.window_state())
                post_form([state](ui::Form& form) { ui::user_window_state(form, state); });
            return false;
        }
        case QEvent::MouseButtonPress:
            if (!syncing_ && ui::active_form() != &f)
                post_form([](ui::Form& form) { ui::user_activate(form); });
            return false;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            // No widget of the window has Qt's focus: the layer's focused control (or
            // none) gets the key, and Qt moves no focus by Tab.
            if (syncing_) return false;
            if (e->type() == QEvent::ShortcutOverride) {
                if (static_cast<QKeyEvent*>(e)->modifiers() &
                    (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                    return false;
                e->accept();
                return true;
            }
            return key_event(win, nullptr, f, e);
        case QEvent::WindowActivate:
            schedule_flush();  // Qt gave the window's focus back on its own
            return false;
        default:
            return false;
    }
}

void Renderer::active_form_changed(ui::Form* now) {
    if (!now) return;
    QWidget* w = window(*now);
    if (!w || !w->isVisible() || !can_raise()) return;
    ++syncing_;
    w->raise();
    w->activateWindow();
    --syncing_;
}

void Renderer::place_window(FormView& fv) {
    ui::Form& f = *fv.form;
    const ui::Rect& r = f.normal_rect();
    fv.frame = frame_of(*fv.window);
    const QMargins& m = fv.frame;
    const int menu_h = fv.menu ? fv.menu->sizeHint().height() : 0;
    const int cw = std::max(1, to_px(r.width) - m.left() - m.right());
    const int ch = std::max(1, to_px(r.height) - m.top() - m.bottom());
    fv.window->resize(cw, ch + menu_h);
    fv.window->move(to_px(r.left), to_px(r.top));
    if (fv.menu) fv.menu->setGeometry(0, 0, cw, menu_h);
    fv.client->setGeometry(0, menu_h, cw, ch);
}

void Renderer::sync_form(FormView& fv) {
    ui::Form& f = *fv.form;
    ++syncing_;
    fv.window->setWindowTitle(qstr(f.caption()));
    fv.window->setFont(qfont(f.font()));
    if (auto back = qcolor(f.back_color())) {
        QPalette pal = fv.client->palette();
        pal.setColor(QPalette::Window, *back);
        fv.client->setPalette(pal);
        fv.client->setAutoFillBackground(true);
    }
    if (f.window_state() == ui::ws_normal) place_window(fv);
    if (fv.window->isVisible()) {
        const auto want = f.window_state() == ui::ws_minimized   ? Qt::WindowMinimized
                          : f.window_state() == ui::ws_maximized ? Qt::WindowMaximized
                                                                 : Qt::WindowNoState;
        if (fv.window->windowState() != want) fv.window->setWindowState(want);
    }
    --syncing_;
}

}  // namespace dvx::app

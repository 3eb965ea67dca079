#pragma once
// Shared by the renderer's files only: what a flush redoes, and posting a user action
// to the control behind a widget.
#include <QPointer>

#include "app/renderer.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/services.h"

namespace dvx::app {

// What a property change touches; a flush only redoes those parts.
enum Dirty : unsigned {
    d_geom = 1,
    d_visible = 2,
    d_enabled = 4,
    d_look = 8,
    d_state = 16,
    d_items = 32,
    d_all = 63,
};

template <class T>
void Renderer::post_to(QObject* source, std::function<void(T&)> action) {
    QPointer<QObject> src(source);
    post([this, src, action] {
        if (!src) return;
        ui::Control* c = control_of(src.data());
        if (!c || !c->alive()) return;
        action(static_cast<T&>(*c));
    });
}

template <class T>
void Renderer::post_pressed(QObject* source, std::function<void(T&)> action) {
    const bool pressed = pressed_ && control_of(pressed_.data()) == control_of(source);
    post_to<T>(source, [pressed, action](T& c) {
        if (pressed && c.focusable_kind() && ui::focus_owner() != &c) return;
        action(c);
    });
}

}  // namespace dvx::app

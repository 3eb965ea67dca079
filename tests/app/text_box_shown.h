#pragma once
// What a text box's widget shows, and the mouse on it as the desktop sends it: the Qt tests
// of text boxes share these.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

namespace dvx::testing {

inline bool shows_selection(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->hasSelectedText();
    return qobject_cast<QPlainTextEdit*>(w)->textCursor().hasSelection();
}

// True when the widget draws a caret: moving Qt's caret (its signals held back) changes
// what the widget paints.
inline bool draws_caret(QWidget* w) {
    const QImage before = w->grab().toImage();
    QImage moved;
    const QSignalBlocker hold(w);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        const int at = e->cursorPosition();
        e->setCursorPosition(at == 0 ? static_cast<int>(e->text().size()) : 0);
        moved = w->grab().toImage();
        e->setCursorPosition(at);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        const QTextCursor at = pe->textCursor();
        QTextCursor other(pe->document());
        other.setPosition(at.position() == 0 ? pe->document()->characterCount() - 1 : 0);
        pe->setTextCursor(other);
        moved = w->grab().toImage();
        pe->setTextCursor(at);
    }
    return before != moved;
}

// The part of a text box's widget the mouse acts on: a multi-line box's viewport.
inline QWidget* mouse_part(QWidget* w) {
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) return pe->viewport();
    return w;
}

// The point on mouse_part(w) of the gap before Qt's character `qpos`.
inline QPoint point_before(QWidget* w, int qpos) {
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor cur(pe->document());
        cur.setPosition(qpos);
        const QRect r = pe->cursorRect(cur);
        return QPoint(r.x() + 1, r.center().y());
    }
    auto* e = qobject_cast<QLineEdit*>(w);
    for (int x = 0; x < e->width(); ++x)
        if (e->cursorPositionAt(QPoint(x, e->height() / 2)) == qpos)
            return QPoint(x, e->height() / 2);
    return e->rect().center();
}

inline void send_mouse(QWidget* to, QEvent::Type type, Qt::MouseButton b, QPoint at, quint64 time,
                       Qt::KeyboardModifiers mods = {}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : b;
    QMouseEvent e(type, at, to->mapToGlobal(at), b, held, mods);
    e.setTimestamp(time);
    QApplication::sendEvent(to, &e);
}

// A quick double click as the desktop sends it (press, release, press, double click,
// release), nothing run in between.
inline void double_click(QWidget* to, QPoint at, quint64 time) {
    send_mouse(to, QEvent::MouseButtonPress, Qt::LeftButton, at, time);
    send_mouse(to, QEvent::MouseButtonRelease, Qt::LeftButton, at, time);
    send_mouse(to, QEvent::MouseButtonPress, Qt::LeftButton, at, time + 80);
    send_mouse(to, QEvent::MouseButtonDblClick, Qt::LeftButton, at, time + 80);
    send_mouse(to, QEvent::MouseButtonRelease, Qt::LeftButton, at, time + 80);
}

}  // namespace dvx::testing

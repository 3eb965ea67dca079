// Keys, focus and mouse on the controls' widgets, posted to the loop as the user's.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeWidget>
#include <QWheelEvent>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/app.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"

namespace dvx::app {

namespace {

// Qt key to the classic key code; 0 for keys the layer does not know.
int key_code(int qt_key) {
    switch (qt_key) {
        case Qt::Key_Backspace:
            return ui::vk_back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return ui::vk_tab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return ui::vk_return;
        case Qt::Key_Escape:
            return ui::vk_escape;
        case Qt::Key_PageUp:
            return ui::vk_prior;
        case Qt::Key_PageDown:
            return ui::vk_next;
        case Qt::Key_End:
            return ui::vk_end;
        case Qt::Key_Home:
            return ui::vk_home;
        case Qt::Key_Left:
            return ui::vk_left;
        case Qt::Key_Up:
            return ui::vk_up;
        case Qt::Key_Right:
            return ui::vk_right;
        case Qt::Key_Down:
            return ui::vk_down;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return ui::vk_delete;
        default:
            break;
    }
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return 112 + (qt_key - Qt::Key_F1);
    return 0;
}

// A paste is the clipboard's text given to the focused text box the layer's way.
void paste_into(ui::TextBox& t, const std::string& text) {
    ui::user_paste(t, text);
}

bool is_button_like(ui::Kind k) {
    return k == ui::Kind::command_button || k == ui::Kind::check_box ||
           k == ui::Kind::option_button;
}

}  // namespace

bool Renderer::key_event(QObject* watched, ui::Control* c, ui::Form& f, QEvent* e) {
    using namespace ui;
    if (e->type() == QEvent::KeyRelease) return true;  // the layer raises KeyUp itself
    auto* k = static_cast<QKeyEvent*>(e);
    const auto mods = k->modifiers();
    const bool text_box = c && c->kind() == Kind::text_box;
    // The clipboard keys of a text box (Ctrl+V, Shift+Insert; Ctrl+X, Shift+Delete;
    // Ctrl+C, Ctrl+Insert; Ctrl+A) act on the layer's text and selection of whichever
    // text box has the keys once the keys before them have run.
    if (text_box) {
        if (k->matches(QKeySequence::Paste)) {
            post([text = cp1252(QApplication::clipboard()->text())] {
                if (Control* f = focus_owner(); f && f->kind() == Kind::text_box)
                    paste_into(static_cast<TextBox&>(*f), text);
            });
            return true;
        }
        const bool cut = k->matches(QKeySequence::Cut);
        if (cut || k->matches(QKeySequence::Copy)) {
            // Nothing selected: nothing copied, nothing deleted.
            post([cut] {
                Control* focused = focus_owner();
                if (!focused || focused->kind() != Kind::text_box) return;
                auto& t = static_cast<TextBox&>(*focused);
                if (t.sel_length() <= 0) return;
                if (t.password_char().empty())
                    QApplication::clipboard()->setText(qstr(t.sel_text()).remove('\r'));
                if (cut) user_key(vk_delete, 0);
            });
            return true;
        }
        if (k->matches(QKeySequence::SelectAll)) {
            post([this] {
                Control* focused = focus_owner();
                if (!focused || focused->kind() != Kind::text_box) return;
                auto& t = static_cast<TextBox&>(*focused);
                selecting(
                    [&t] {
                        t.set_sel_start(0);
                        t.set_sel_length(static_cast<int>(t.text().size()));
                    },
                    true);
            });
            return true;
        }
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        // Access keys never get here: Qt's shortcuts took them before the key press.
        // Alt+Down and Alt+Up open a combo box's list (choosing in it is a click on an
        // entry); every other key with Ctrl, Alt or Meta reaches no control.
        if (c && c->kind() == Kind::combo_box && (mods & Qt::AltModifier) &&
            (k->key() == Qt::Key_Down || k->key() == Qt::Key_Up))
            if (auto* cb = qobject_cast<QComboBox*>(widget(*c)); cb && ui::focus_owner() == c)
                cb->showPopup();
        return true;
    }
    pressed_ = nullptr;
    // The window was reached by the keyboard (Alt+Tab): it becomes the layer's active
    // form before the key, so the key goes to one of its controls.
    if (&f != ui::active_form()) {
        QPointer<QObject> src(watched);
        post([this, src] {
            if (!src) return;
            if (ui::Control* ctl = control_of(src.data()); ctl && ctl->alive()) {
                user_activate(ctl->form());
            } else if (auto it = window_owner_.find(src.data()); it != window_owner_.end()) {
                user_activate(*it->second);
            }
        });
    }
    // Once the keyboard moves about a window its buttons show the focus frame, as after
    // Qt's own Tab (the layer's moves reach Qt with no reason of the keyboard's).
    const int vk = key_code(k->key());
    if (vk)
        if (auto* w = qobject_cast<QWidget*>(watched))
            w->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    const int shift = (mods & Qt::ShiftModifier) ? shift_mask : 0;
    if (k->key() == Qt::Key_Backtab) {
        post([] { user_key(vk_tab, shift_mask); });
        return true;
    }
    const bool clicks = c && is_button_like(c->kind());
    if (vk) {
        // Shift with a caret key selects.
        post([this, vk, shift] { selecting([vk, shift] { user_key(vk, shift); }); });
        if (vk == vk_return && c && c->kind() == Kind::command_button)
            post_to<Control>(watched, [](Control& ctl) { user_click(ctl); });
        return true;
    }
    const QString text = k->text();
    if (!text.isEmpty() && text.at(0).isPrint()) {
        const std::string typed = cp1252(text);
        post([typed] { user_type(typed); });
        if (clicks && typed == " ")
            post_to<Control>(watched, [](Control& ctl) { user_click(ctl); });
        return true;
    }
    return true;  // modifier keys alone and keys the layer has no code for
}

// A press (or an access key) on a focusable control asks the layer for the focus; the
// layer's answer comes back through focus_changed.
void Renderer::ask_focus(QObject* source) {
    pressed_ = source;
    post_to<ui::Control>(source, [](ui::Control& ctl) { ui::user_focus(ctl); });
}

bool Renderer::triple_click(const ui::Control& c, const QMouseEvent* e) const {
    if (dbl_control_ != &c || e->timestamp() < dbl_time_) return false;
    return e->timestamp() - dbl_time_ <=
               static_cast<quint64>(QApplication::doubleClickInterval()) &&
           (e->globalPosition() - dbl_at_).manhattanLength() <= QApplication::startDragDistance();
}

QString Renderer::primary_selection() {
    QClipboard* cb = QApplication::clipboard();
    return cb->supportsSelection() ? cb->text(QClipboard::Selection) : QString();
}

bool Renderer::first_press(const ui::Control& c, const QEvent* e) {
    const quint64 t = static_cast<const QInputEvent*>(e)->timestamp();
    if (press_control_ == &c && press_time_ == t) return false;
    press_control_ = &c;
    press_time_ = t;
    return true;
}

QWidget* Renderer::focus_widget(const ui::Control& c) const {
    QWidget* w = widget(c);
    while (w && w->focusProxy()) w = w->focusProxy();
    return w;
}

// Qt moves no focus by a click or wheel: only the layer's moves (and access keys, which
// ask the layer) reach Qt's focus. The parts inside a control's widget never take it.
// No part offers Qt's context menu either.
void Renderer::set_focus_policy(ui::Control& c, QWidget* w) {
    for (QWidget* part : w->findChildren<QWidget*>()) {
        part->setFocusPolicy(Qt::NoFocus);
        part->setContextMenuPolicy(Qt::PreventContextMenu);
    }
    w->setFocusPolicy(c.focusable_kind() ? Qt::TabFocus : Qt::NoFocus);
    w->setContextMenuPolicy(Qt::PreventContextMenu);
}

void Renderer::sync_focus() {
    // A box, Qt's own dialog or a drop-down list has the keys for now.
    if (ui::box_up() || QApplication::activePopupWidget()) return;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && !window_owner_.count(modal))
        return;
    QWidget* have = QApplication::focusWidget();
    if (have && !control_of(have)) return;  // the menu bar in keyboard mode
    ui::Control* c = ui::focus_owner();
    QWidget* want = c ? focus_widget(*c) : nullptr;
    ++syncing_;
    if (want) {
        // A drop-down list that closed can stay Qt's active window, hidden: the keys then
        // reach no widget until the control's own window is taken back.
        const QWidget* active = QApplication::activeWindow();
        if (active && !active->isVisible() && want->window()->isVisible() &&
            &c->form() == ui::active_form())
            want->window()->activateWindow();
        if (have != want && want->isVisible() && want->isEnabled())
            want->setFocus(Qt::OtherFocusReason);
    } else if (have) {
        have->clearFocus();  // keys reach no control, as in the layer
    }
    --syncing_;
}

bool Renderer::eventFilter(QObject* watched, QEvent* e) {
    if (auto wit = window_owner_.find(watched); wit != window_owner_.end()) {
        if (FormView* fv = view_of(*wit->second)) return window_event(*fv, e);
        return false;
    }
    ui::Control* c = control_of(watched);
    if (!c) return false;
    switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (syncing_) return false;
            return key_event(watched, c, c->form(), e);
        case QEvent::ShortcutOverride: {
            // Keys without Ctrl/Alt are the control's: no shortcut may take them.
            auto* k = static_cast<QKeyEvent*>(e);
            if (!(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
                e->accept();
                return true;
            }
            return false;
        }
        case QEvent::InputMethod: {
            // Only what the input method commits (a dead key's or compose key's letter) is
            // typed; its preedit shows nowhere.
            auto* im = static_cast<QInputMethodEvent*>(e);
            if (!im->commitString().isEmpty() && !syncing_) {
                pressed_ = nullptr;
                const std::string typed = cp1252(im->commitString());
                post([typed] { ui::user_type(typed); });
            }
            return true;
        }
        case QEvent::FocusOut:
            // Qt gives up a line's selection when its keys leave, and may select it all when
            // they come: the box shows the layer's again.
            if (c->kind() == ui::Kind::text_box) restore(watched);
            return false;
        case QEvent::FocusIn: {
            if (c->kind() == ui::Kind::text_box) restore(watched);
            if (syncing_) return false;
            // An access key asks the layer; any other move Qt made on its own (a window
            // activated again, a widget hidden) is undone by the next flush.
            if (static_cast<QFocusEvent*>(e)->reason() == Qt::ShortcutFocusReason &&
                c->focusable_kind()) {
                pressed_ = watched;
                post_to<ui::Control>(watched, [](ui::Control& ctl) { ui::user_access_key(ctl); });
            } else
                schedule_flush();
            return false;
        }
        case QEvent::Shortcut:
            // A label's access key: the layer picks the control that takes the keys, Qt's
            // buddy (hidden, disabled or a button it would click) never acts.
            if (c->kind() == ui::Kind::label) {
                pressed_ = nullptr;
                post_to<ui::Control>(watched, [](ui::Control& l) { ui::user_access_key(l); });
                return true;
            }
            return false;
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture:
            // No Qt menu, no text dragged in, no touch of Qt's own on a control.
            e->ignore();
            return true;
        case QEvent::Wheel:
            if (syncing_) return false;
            return wheel_event(watched, *c, static_cast<QWheelEvent*>(e));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            if (syncing_) return false;
            return mouse_event(watched, *c, static_cast<QMouseEvent*>(e));
        default:
            return false;
    }
}

// The wheel belongs to the control with the keys alone, as on the classic desktop: over
// any other control it does nothing. The rows of a list view and of a multi-line text box
// scroll in Qt (the layer keeps no scroll position of theirs); every other kind scrolls or
// chooses through the layer. True when Qt is not to see the wheel.
bool Renderer::wheel_event(QObject* watched, ui::Control& c, QWheelEvent* we) {
    pressed_ = nullptr;
    const bool keys =
        ui::focus_owner() == &c &&
        !(we->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!keys) {
        wheel_rest_ = 0;
        return true;
    }
    if (c.kind() == ui::Kind::list_view ||
        (c.kind() == ui::Kind::text_box && static_cast<ui::TextBox&>(c).multi_line()))
        return false;
    wheel_rest_ += we->angleDelta().y();
    const int notches = wheel_rest_ / QWheelEvent::DefaultDeltasPerStep;
    wheel_rest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        post_to<ui::Control>(watched,
                             [notches](ui::Control& ctl) { ui::user_wheel(ctl, notches); });
    return true;
}

bool Renderer::mouse_event(QObject* watched, ui::Control& ctl, QMouseEvent* me) {
    ui::Control* c = &ctl;
    const ui::Kind k = c->kind();
    const bool middle_paste = me->button() == Qt::MiddleButton && k == ui::Kind::text_box;
    switch (me->type()) {
        case QEvent::MouseButtonPress: {
            // Only the left button acts on a control (and the middle one pastes into a
            // text box); the others reach no control.
            if (me->button() != Qt::LeftButton && !middle_paste) return true;
            if (!first_press(*c, me)) return middle_paste;
            if (c->focusable_kind()) {
                ask_focus(watched);
                if (k == ui::Kind::text_box) {
                    // The middle button pastes where it is pressed, and a third click
                    // takes the line: the layer places the caret or the selection there,
                    // Qt does nothing of its own.
                    const bool third = !middle_paste && triple_click(*c, me);
                    dbl_control_ = nullptr;
                    if (middle_paste || third) {
                        clicks_at(watched, qt_pointer_pos(widget(*c), me->globalPosition()),
                                  third ? 3 : 1);
                        return true;
                    }
                    // A press inside the selection places the caret: no selected text is
                    // ever dragged out of a box.
                    if (auto* pe = qobject_cast<QPlainTextEdit*>(widget(*c))) {
                        QTextCursor cur = pe->textCursor();
                        if (cur.hasSelection()) {
                            ++syncing_;
                            cur.clearSelection();
                            pe->setTextCursor(cur);
                            --syncing_;
                        }
                    }
                    caret_after_press(watched);
                }
                return false;
            }
            ui::Form& f = c->form();
            if (ui::active_form() != &f) {
                QPointer<QObject> src(watched);
                post([this, src] {
                    if (!src) return;
                    if (ui::Control* ctl = control_of(src.data()); ctl && ctl->alive())
                        ui::user_activate(ctl->form());
                });
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            press_control_ = nullptr;  // the next press is a new one, whatever its time
            if (middle_paste) {
                // The desktop's selection pasted by the middle button at the caret its press
                // put there: into this box only, when its press got it the focus.
                if (const QString sel = desktop_selection ? desktop_selection() : QString();
                    !sel.isNull()) {
                    const std::string text = cp1252(sel);
                    post_pressed<ui::TextBox>(watched,
                                              [text](ui::TextBox& t) { paste_into(t, text); });
                }
                return true;
            }
            if (me->button() != Qt::LeftButton) return true;
            if (k == ui::Kind::text_box) {
                release_off_desktop(watched, me);
                return true;
            }
            // A drag over a list's rows moved Qt's selection: the layer's comes back
            // unless the click's choice changes it.
            restore(watched);
            if (k == ui::Kind::label || k == ui::Kind::picture || k == ui::Kind::image ||
                k == ui::Kind::frame) {
                if (watched == widget(*c))
                    post_to<ui::Control>(watched, [](ui::Control& ctl) { ui::user_click(ctl); });
            } else if (k == ui::Kind::list_view) {
                auto* tw = qobject_cast<QTreeWidget*>(widget(*c));
                if (tw && watched == tw->viewport() && !tw->itemAt(me->position().toPoint()))
                    post_pressed<ui::ListView>(watched,
                                               [](ui::ListView& lv) { ui::user_select(lv, 0); });
            }
            return false;
        }
        case QEvent::MouseButtonDblClick: {
            if (k == ui::Kind::text_box && (me->button() == Qt::LeftButton || middle_paste)) {
                // Qt's word ends at "." and "-": the layer's takes the whole number. A
                // middle double click is a second paste, at the pointer too.
                if (me->button() == Qt::LeftButton) {
                    dbl_control_ = c;
                    dbl_time_ = me->timestamp();
                    dbl_at_ = me->globalPosition();
                }
                clicks_at(watched, qt_pointer_pos(widget(*c), me->globalPosition()),
                          middle_paste ? 1 : 2);
                return true;
            }
            if (me->button() != Qt::LeftButton) return true;
            if ((k == ui::Kind::label || k == ui::Kind::picture || k == ui::Kind::image) &&
                watched == widget(*c))
                post_to<ui::Control>(watched, [](ui::Control& ctl) { ui::user_dbl_click(ctl); });
            return false;
        }
        default:
            // A move with another button than the left one held drags nothing.
            return (me->buttons() & ~Qt::LeftButton) != 0;
    }
}

}  // namespace dvx::app

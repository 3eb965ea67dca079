// Labels and text boxes.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>
#include <memory>
#include <utility>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/app.h"
#include "ui/form.h"

namespace dvx::app {

namespace {

// A label without a buddy shows "&" literally in Qt: drop the access-key marks.
QString plain_caption(const std::string& caption) {
    QString s = qstr(caption);
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += s[i];
    }
    return out;
}

Qt::Alignment label_alignment(int a) {
    switch (a) {
        case 1:
            return Qt::AlignRight | Qt::AlignTop;
        case 2:
            return Qt::AlignHCenter | Qt::AlignTop;
        default:
            return Qt::AlignLeft | Qt::AlignTop;
    }
}

Qt::Alignment edit_alignment(int a) {
    switch (a) {
        case 1:
            return Qt::AlignRight | Qt::AlignVCenter;
        case 2:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Windows-1252 text with CR LF line ends against a QPlainTextEdit's "\n" text: the
// position in one is the position in the other less the CRs before it.
int qt_pos(const std::string& text, int pos) {
    int crs = 0;
    for (int i = 0; i < pos && i < static_cast<int>(text.size()); ++i)
        if (text[i] == '\r') ++crs;
    return pos - crs;
}

int ui_pos(const std::string& text, int qpos) {
    int q = 0;
    int i = 0;
    for (; i < static_cast<int>(text.size()) && q < qpos; ++i)
        if (text[i] != '\r') ++q;
    return i;
}

QString multiline_text(const std::string& text) {
    std::string s;
    s.reserve(text.size());
    for (char ch : text)
        if (ch != '\r') s += ch;
    return qstr(s);
}

}  // namespace

QWidget* Renderer::make_text(ui::Control& c, QWidget* parent) {
    if (c.kind() == ui::Kind::label) {
        auto* l = new QLabel(parent);
        l->setWordWrap(true);
        return l;
    }
    if (static_cast<ui::TextBox&>(c).multi_line()) {
        auto* e = new QPlainTextEdit(parent);
        e->setAcceptDrops(false);
        return e;
    }
    auto* e = new QLineEdit(parent);
    e->setDragEnabled(false);
    e->setAcceptDrops(false);
    return e;
}

namespace {

// The selection Qt shows in a text box's widget as {anchor, caret} (the same for a caret
// alone), in positions of the layer's text.
std::pair<int, int> qt_selection(QWidget* w, const std::string& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        const int caret = e->cursorPosition();
        if (!e->hasSelectedText()) return {caret, caret};
        const int start = e->selectionStart();
        return {caret == start ? e->selectionEnd() : start, caret};
    }
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        const QTextCursor cur = pe->textCursor();
        return {ui_pos(text, cur.anchor()), ui_pos(text, cur.position())};
    }
    return {0, 0};
}

}  // namespace

// The character position under the pointer (a point on the desktop) in a text box's widget,
// Qt's position: the layer's text maps it when the action runs.
int Renderer::qt_pointer_pos(QWidget* w, QPointF global) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->cursorPositionAt(e->mapFromGlobal(global).toPoint());
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
        return pe->cursorForPosition(pe->viewport()->mapFromGlobal(global).toPoint()).position();
    return 0;
}

// A selection of the user's (a press, a drag, clicks in a row at the pointer) reaches only
// the box with the keys; in any other box Qt shows the layer's own again.
void Renderer::post_text_selection(QObject* source, std::function<void(ui::TextBox&)> action) {
    QPointer<QObject> src(source);
    post_to<ui::TextBox>(source, [this, src, action](ui::TextBox& t) {
        if (ui::focus_owner() == &t)
            selecting([&t, &action] { action(t); });
        else if (src)
            restore(src);
    });
}

void Renderer::set_primary_selection(const QString& text) {
    QClipboard* cb = QApplication::clipboard();
    if (cb->supportsSelection()) cb->setText(text, QClipboard::Selection);
}

// The technician's selection is the one a key or the mouse makes in the box that keeps the
// keys, its text unchanged: a keyboard entry's select-all, a refill or a paste is none.
void Renderer::selecting(const std::function<void()>& action, bool select_all) {
    ui::Control* had = ui::focus_owner();
    auto* t = had && had->kind() == ui::Kind::text_box ? static_cast<ui::TextBox*>(had) : nullptr;
    const int anchor = t ? t->anchor() : 0;
    const int caret = t ? t->caret() : 0;
    const std::string text = t ? t->text() : std::string();
    action();
    if (!t || ui::focus_owner() != t || t->sel_length() == 0 || t->text() != text ||
        !t->password_char().empty())
        return;
    if (!select_all && t->anchor() == anchor && t->caret() == caret) return;
    if (set_desktop_selection) set_desktop_selection(qstr(t->sel_text()).remove('\r'));
}

// Qt's line and text edit put the selection they hold on the desktop when the left button
// is released; the layer's goes there when it is made. So Qt gets the release with its
// selection dropped, as the renderer's own change (what it does then is not the user's),
// and shows the layer's again once the press's and the drag's actions have run (a flush
// before them would show the selection from before the press, which a press's caret then
// reads).
void Renderer::release_off_desktop(QObject* source, QMouseEvent* release) {
    ui::Control* c = control_of(source);
    QWidget* w = c ? widget(*c) : nullptr;
    ++syncing_;
    if (auto* e = qobject_cast<QLineEdit*>(w); e && e->hasSelectedText()) {
        e->deselect();
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w); pe && pe->textCursor().hasSelection()) {
        QTextCursor cur = pe->textCursor();
        cur.clearSelection();
        pe->setTextCursor(cur);
    }
    const std::unique_ptr<QMouseEvent> copy(release->clone());
    QApplication::sendEvent(source, copy.get());
    --syncing_;
    post([this, src = QPointer<QObject>(source)] {
        if (src) restore(src);
    });
}

// Qt's own rows: Up and Down keep the caret's place on the screen, End stops before the
// blank a wrapped row ends in. The widget shows the layer's text first (a key typed in the
// same pass may not have reached it yet).
std::optional<int> Renderer::row_move(const ui::TextBox& t, int pos, ui::RowMove move) {
    ControlView* v = view_of(t);
    auto* pe = v ? qobject_cast<QPlainTextEdit*>(v->widget) : nullptr;
    if (!pe || !pe->isVisible()) return std::nullopt;
    if (v->dirty) {
        const unsigned bits = v->dirty;
        v->dirty = 0;
        sync_control(*v, bits);
    }
    QTextCursor cur(pe->document());
    cur.setPosition(std::clamp(qt_pos(t.text(), pos), 0, pe->document()->characterCount() - 1));
    // In the order of ui::RowMove.
    static constexpr QTextCursor::MoveOperation ops[] = {
        QTextCursor::Up, QTextCursor::Down, QTextCursor::StartOfLine, QTextCursor::EndOfLine};
    cur.movePosition(ops[static_cast<int>(move)]);
    return ui_pos(t.text(), cur.position());
}

void Renderer::connect_text(ui::Control& c, QWidget* w) {
    if (c.kind() != ui::Kind::text_box) return;
    // Taken when Qt moves it; a multi-line box's select-all keeps the caret where it is,
    // so the selection's own signal counts too.
    auto report = [this, w] {
        if (syncing_) return;
        auto* t = static_cast<ui::TextBox*>(control_of(w));
        if (!t) return;
        const auto sel = qt_selection(w, t->text());
        post_text_selection(w, [sel](ui::TextBox& box) { box.select(sel.first, sel.second); });
    };
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(e, &QLineEdit::cursorPositionChanged, this, report);
        QObject::connect(e, &QLineEdit::selectionChanged, this, report);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QObject::connect(pe, &QPlainTextEdit::cursorPositionChanged, this, report);
        QObject::connect(pe, &QPlainTextEdit::selectionChanged, this, report);
    }
}

// After a press on a text box, the caret Qt shows (or the selection a drag made) is the
// layer's, also where the press left it in place and so reported nothing: the layer may
// still hold a selection from before, which the next key would replace.
void Renderer::caret_after_press(QObject* source) {
    QPointer<QWidget> w = widget(*control_of(source));
    post_text_selection(source, [w](ui::TextBox& t) {
        if (!w) return;
        const auto sel = qt_selection(w, t.text());
        t.select(sel.first, sel.second);
    });
}

// Two or three left clicks in a row, and the middle button's press, at Qt's character
// position `qpos`: the layer selects the word or the line there, or puts the caret there.
void Renderer::clicks_at(QObject* source, int qpos, int clicks) {
    post_text_selection(source, [qpos, clicks](ui::TextBox& t) {
        const int at = t.multi_line() ? ui_pos(t.text(), qpos) : qpos;
        if (clicks == 2)
            t.select_word_at(at);
        else if (clicks == 3)
            t.select_line_at(at);
        else
            t.select(at, at);
    });
}

void Renderer::sync_text(ControlView& v, unsigned bits) {
    ui::Control& c = *v.control;
    QWidget* w = v.widget;
    if (c.kind() == ui::Kind::label) {
        auto& l = static_cast<ui::Label&>(c);
        auto* ql = static_cast<QLabel*>(w);
        if (!(bits & d_state)) return;
        if (!ql->buddy()) {
            // The access key of a label moves the focus to the next control.
            ui::Control* next = nullptr;
            for (ui::Control* o : c.form().controls())
                if (o->focusable_kind() && o->tab_index() > c.tab_index() &&
                    (!next || o->tab_index() < next->tab_index()))
                    next = o;
            if (QWidget* bw = next ? widget(*next) : nullptr;
                bw && l.caption().find('&') != std::string::npos)
                ql->setBuddy(bw);
        }
        ql->setText(ql->buddy() ? qstr(l.caption()) : plain_caption(l.caption()));
        ql->setAlignment(label_alignment(l.alignment()));
        return;
    }
    auto& t = static_cast<ui::TextBox&>(c);
    if (!(bits & (d_state | d_items))) return;
    // Without the keys a box shows no selection, and so no caret either (Qt draws a steady
    // one in a line that holds a selection without the focus); the layer keeps its
    // selection for when the keys come back.
    const int anchor = ui::focus_owner() == &t ? t.anchor() : t.caret();
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        const QString text = qstr(t.text());
        if (e->text() != text) e->setText(text);
        e->setEchoMode(t.password_char().empty() ? QLineEdit::Normal : QLineEdit::Password);
        e->setReadOnly(t.locked());
        e->setAlignment(edit_alignment(t.alignment()));
        // A negative length leaves Qt's caret at the selection's start, where the layer's is.
        if (anchor != t.caret())
            e->setSelection(anchor, t.caret() - anchor);
        else
            e->setCursorPosition(t.caret());
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        const QString text = multiline_text(t.text());
        if (pe->toPlainText() != text) pe->setPlainText(text);
        pe->setReadOnly(t.locked());
        QTextCursor cur = pe->textCursor();
        const int a = qt_pos(t.text(), anchor);
        const int b = qt_pos(t.text(), t.caret());
        cur.setPosition(std::min(a, static_cast<int>(text.size())));
        cur.setPosition(std::min(b, static_cast<int>(text.size())), QTextCursor::KeepAnchor);
        pe->setTextCursor(cur);
    }
}

}  // namespace dvx::app

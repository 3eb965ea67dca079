// Labels and text boxes.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"
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
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->setAcceptDrops(false);
        return e;
    }
    auto* e = new QLineEdit(parent);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setDragEnabled(false);
    e->setAcceptDrops(false);
    return e;
}

void Renderer::connect_text(ui::Control& c, QWidget* w) {
    using namespace ui;
    if (c.kind() != Kind::text_box) return;
    auto report = [this, w](int start, int length) {
        post_to<TextBox>(w, [start, length](TextBox& t) {
            t.set_sel_start(start);
            t.set_sel_length(length);
        });
    };
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        auto sel = [this, e, report] {
            if (syncing_) return;
            if (e->hasSelectedText())
                report(e->selectionStart(), e->selectionLength());
            else
                report(e->cursorPosition(), 0);
        };
        QObject::connect(e, &QLineEdit::cursorPositionChanged, this, sel);
        QObject::connect(e, &QLineEdit::selectionChanged, this, sel);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        // Select-all keeps the caret where it is: the selection has a signal of its own.
        auto sel = [this, pe, report] {
            if (syncing_) return;
            auto* t = static_cast<TextBox*>(control_of(pe));
            if (!t) return;
            const QTextCursor cur = pe->textCursor();
            const int a = ui_pos(t->text(), cur.selectionStart());
            const int b = ui_pos(t->text(), cur.selectionEnd());
            report(a, b - a);
        };
        QObject::connect(pe, &QPlainTextEdit::cursorPositionChanged, this, sel);
        QObject::connect(pe, &QPlainTextEdit::selectionChanged, this, sel);
    }
}

// After a press on a text box, the caret Qt shows (or the selection a drag made) is the
// layer's, also where the press left it in place and so reported nothing: the layer may
// still hold a selection from before, which the next key would replace.
void Renderer::caret_after_press(QObject* source) {
    QPointer<QWidget> w = widget(*control_of(source));
    post_pressed<ui::TextBox>(source, [w](ui::TextBox& t) {
        if (!w) return;
        int start = 0, end = 0;
        if (auto* e = qobject_cast<QLineEdit*>(w.data())) {
            start = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
            end = start + (e->hasSelectedText() ? e->selectionLength() : 0);
        } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w.data())) {
            start = ui_pos(t.text(), pe->textCursor().selectionStart());
            end = ui_pos(t.text(), pe->textCursor().selectionEnd());
        }
        t.set_sel_start(start);
        t.set_sel_length(end - start);
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
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        const QString text = qstr(t.text());
        if (e->text() != text) e->setText(text);
        e->setEchoMode(t.password_char().empty() ? QLineEdit::Normal : QLineEdit::Password);
        e->setReadOnly(t.locked());
        e->setAlignment(edit_alignment(t.alignment()));
        if (t.sel_length() > 0)
            e->setSelection(t.sel_start(), t.sel_length());
        else
            e->setCursorPosition(t.sel_start());
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        const QString text = multiline_text(t.text());
        if (pe->toPlainText() != text) pe->setPlainText(text);
        pe->setReadOnly(t.locked());
        QTextCursor cur = pe->textCursor();
        const int a = qt_pos(t.text(), t.sel_start());
        const int b = qt_pos(t.text(), t.sel_start() + t.sel_length());
        cur.setPosition(std::min(a, static_cast<int>(text.size())));
        cur.setPosition(std::min(b, static_cast<int>(text.size())), QTextCursor::KeepAnchor);
        pe->setTextCursor(cur);
    }
}

}  // namespace dvx::app

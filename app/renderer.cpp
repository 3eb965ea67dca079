#include "app/renderer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <cmath>

#include "app/twips.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/input.h"
#include "ui/keyboard.h"
#include "ui/services.h"

namespace dvx::app {

namespace {

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

struct PropertyBits {
    std::string_view name;
    unsigned bits;
};
constexpr PropertyBits property_bits[] = {
    {"Left", d_geom},
    {"Top", d_geom},
    {"Width", d_geom | d_items},
    {"Height", d_geom},
    {"Visible", d_visible},
    {"Enabled", d_enabled},
    {"Font", d_look | d_items},
    {"ForeColor", d_look},
    {"BackColor", d_look},
    {"Items", d_items},
    {"ColumnHeaders", d_items},
    {"Rows", d_items},
    {"Cols", d_items},
    {"FixedRows", d_items},
    {"FixedCols", d_items},
    {"TextMatrix", d_items},
    {"ColWidth", d_items},
    {"RowHeight", d_items},
    {"ColAlignment", d_items},
    {"Tabs", d_items},
    {"TabCaption", d_items},
    {"Min", d_state},
    {"Max", d_state},
    {"Orientation", d_geom | d_state},
    {"Tag", 0},
    {"Interval", 0},
};

unsigned bits_of(std::string_view property) {
    for (const auto& p : property_bits)
        if (p.name == property) return p.bits;
    return d_state;  // Caption, Text, Value, ListIndex, SelStart ...
}

// The classic frame around a form's client area, in pixels at 96 dpi.
constexpr int frame_border_px = 4;
constexpr int frame_caption_px = 22;

int frame_px(int px96) {
    return static_cast<int>(std::lround(px96 * px_per_twip() * 15.0));
}

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

// A static line between two points of its bounding box.
class LineWidget final : public QWidget {
  public:
    using QWidget::QWidget;
    QPoint from, to;
    QColor color = Qt::black;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(color, 1));
        p.drawLine(from, to);
    }
};

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

void set_colors(QWidget* w, const ui::Control& c) {
    auto fore = qcolor(c.fore_color());
    auto back = qcolor(c.back_color());
    if (!fore && !back && !w->testAttribute(Qt::WA_SetPalette)) return;
    QPalette pal = w->parentWidget() ? w->parentWidget()->palette() : QApplication::palette();
    if (fore) {
        pal.setColor(QPalette::WindowText, *fore);
        pal.setColor(QPalette::Text, *fore);
        pal.setColor(QPalette::ButtonText, *fore);
    }
    if (back) {
        pal.setColor(QPalette::Window, *back);
        pal.setColor(QPalette::Base, *back);
        pal.setColor(QPalette::Button, *back);
    }
    w->setPalette(pal);
    const bool fill =
        back.has_value() && (c.kind() == ui::Kind::label || c.kind() == ui::Kind::picture ||
                             c.kind() == ui::Kind::frame);
    w->setAutoFillBackground(fill);
}

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

// Platforms without a window manager cannot raise windows (and say so each time).
bool can_raise() {
    static const bool yes = QGuiApplication::platformName() != "offscreen" &&
                            QGuiApplication::platformName() != "minimal";
    return yes;
}

bool is_button_like(ui::Kind k) {
    return k == ui::Kind::command_button || k == ui::Kind::check_box ||
           k == ui::Kind::option_button;
}

}  // namespace

// ---------------------------------------------------------------------------------
// Life cycle and lookups

Renderer::Renderer() {
    ui::add_observer(this);
}

Renderer::~Renderer() {
    ui::remove_observer(this);
    if (wait_cursor_) QApplication::restoreOverrideCursor();
    std::vector<QWidget*> windows;
    for (auto& [f, fv] : forms_) windows.push_back(fv.window);
    // Forget everything first: events sent while the widgets go reach nothing.
    owner_.clear();
    window_owner_.clear();
    controls_.clear();
    forms_.clear();
    for (QWidget* w : windows) delete w;
}

QWidget* Renderer::window(const ui::Form& f) const {
    auto it = forms_.find(&f);
    return it == forms_.end() ? nullptr : it->second.window;
}

QWidget* Renderer::widget(const ui::Control& c) const {
    auto it = controls_.find(&c);
    return it == controls_.end() ? nullptr : it->second.widget;
}

Renderer::FormView* Renderer::view_of(const ui::Form& f) {
    auto it = forms_.find(&f);
    return it == forms_.end() ? nullptr : &it->second;
}

Renderer::ControlView* Renderer::view_of(const ui::Control& c) {
    auto it = controls_.find(&c);
    return it == controls_.end() ? nullptr : &it->second;
}

ui::Control* Renderer::control_of(const QObject* o) const {
    auto it = owner_.find(o);
    return it == owner_.end() ? nullptr : it->second;
}

void Renderer::watch(QObject* o, ui::Control* c) {
    owner_[o] = c;
    o->installEventFilter(this);
}

void Renderer::post(std::function<void()> action) {
    if (ui::EventLoop* loop = ui::services().loop) loop->post(std::move(action));
}

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

// ---------------------------------------------------------------------------------
// Building a form's window

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

void Renderer::build(ui::Form& f) {
    FormView fv;
    fv.form = &f;
    fv.window = new QWidget(nullptr, Qt::Window);
    fv.window->setAttribute(Qt::WA_DeleteOnClose, false);
    fv.client = new QWidget(fv.window);
    window_owner_[fv.window] = &f;
    fv.window->installEventFilter(this);
    auto& stored = forms_[&f] = fv;
    ++syncing_;
    for (ui::Control* c : f.controls()) build_control(stored, *c);
    // Labels find their access key's target once every widget exists.
    for (ui::Control* c : f.controls())
        if (c->kind() == ui::Kind::label) sync_control(controls_[c], d_state);
    sync_menu(stored);
    sync_form(stored);
    --syncing_;
}

QWidget* Renderer::parent_widget(FormView& fv, ui::Control& c, int& dy) {
    dy = 0;
    ui::Control* box = c.container();
    if (!box) return fv.client;
    QWidget* pw = build_control(fv, *box);
    if (box->kind() != ui::Kind::tab_control) return pw ? pw : fv.client;
    ControlView* tv = view_of(*box);
    auto* tabs = static_cast<QTabWidget*>(pw);
    dy = tabs->tabBar()->sizeHint().height();
    const int page = c.tab_page();
    if (page < 0 || page >= static_cast<int>(tv->pages.size())) return pw;
    return tv->pages[page];
}

QWidget* Renderer::build_control(FormView& fv, ui::Control& c) {
    if (auto it = controls_.find(&c); it != controls_.end()) return it->second.widget;
    if (c.kind() == ui::Kind::menu) {
        controls_[&c] = ControlView{&c, nullptr, {}, 0};
        return nullptr;
    }
    int dy = 0;
    QWidget* parent = parent_widget(fv, c, dy);
    QWidget* w = nullptr;
    switch (c.kind()) {
        case ui::Kind::label: {
            auto* l = new QLabel(parent);
            l->setWordWrap(true);
            w = l;
            break;
        }
        case ui::Kind::text_box:
            if (static_cast<ui::TextBox&>(c).multi_line()) {
                auto* e = new QPlainTextEdit(parent);
                e->setContextMenuPolicy(Qt::NoContextMenu);
                e->setAcceptDrops(false);
                w = e;
            } else {
                auto* e = new QLineEdit(parent);
                e->setContextMenuPolicy(Qt::NoContextMenu);
                e->setDragEnabled(false);
                e->setAcceptDrops(false);
                w = e;
            }
            break;
        case ui::Kind::combo_box:
            w = new QComboBox(parent);
            break;
        case ui::Kind::list_box:
            w = new QListWidget(parent);
            break;
        case ui::Kind::command_button: {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);
            w = b;
            break;
        }
        case ui::Kind::frame:
            w = new QGroupBox(parent);
            break;
        case ui::Kind::check_box:
            w = new QCheckBox(parent);
            break;
        case ui::Kind::option_button: {
            auto* r = new QRadioButton(parent);
            r->setAutoExclusive(false);  // the layer keeps the group exclusive
            w = r;
            break;
        }
        case ui::Kind::list_view: {
            auto* t = new QTreeWidget(parent);
            t->setRootIsDecorated(false);
            t->setItemsExpandable(false);
            t->setUniformRowHeights(true);
            t->setSelectionMode(QAbstractItemView::SingleSelection);
            t->setSelectionBehavior(QAbstractItemView::SelectRows);
            t->setAllColumnsShowFocus(true);
            w = t;
            break;
        }
        case ui::Kind::grid: {
            auto* g = new QTableWidget(parent);
            g->setEditTriggers(QAbstractItemView::NoEditTriggers);
            g->setSelectionMode(QAbstractItemView::SingleSelection);
            g->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
            g->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
            g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            g->horizontalHeader()->setMinimumSectionSize(1);
            g->verticalHeader()->setMinimumSectionSize(1);
            w = g;
            break;
        }
        case ui::Kind::tab_control:
            w = new QTabWidget(parent);
            break;
        case ui::Kind::gauge: {
            auto* p = new QProgressBar(parent);
            p->setTextVisible(false);
            w = p;
            break;
        }
        case ui::Kind::vscroll_bar:
            w = new QScrollBar(Qt::Vertical, parent);
            break;
        case ui::Kind::line: {
            w = new LineWidget(parent);
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            break;
        }
        case ui::Kind::picture: {
            auto* fr = new QFrame(parent);
            fr->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            w = fr;
            break;
        }
        case ui::Kind::image:
            w = new QLabel(parent);
            break;
        case ui::Kind::timer:
        case ui::Kind::menu:
        case ui::Kind::comm:
        case ui::Kind::common_dialog:
            break;
    }
    auto& v = controls_[&c];
    v = ControlView{&c, w, {}, 0};
    if (!w) return nullptr;
    if (c.kind() == ui::Kind::tab_control) {
        // Controls on a page are placed relative to the whole tab control: each page is
        // an overlay below the tab bar, shown while its tab is selected.
        auto* tabs = static_cast<QTabWidget*>(w);
        auto& tc = static_cast<ui::TabControl&>(c);
        for (int i = 0; i < tc.tabs(); ++i) {
            tabs->addTab(new QWidget, qstr(tc.tab_caption(i)));
            auto* page = new QWidget(tabs);
            page->installEventFilter(this);
            owner_[page] = &c;
            v.pages.push_back(page);
        }
    }
    w->setObjectName(qstr(c.name()) +
                     (c.index() >= 0 ? QString("(%1)").arg(c.index()) : QString()));
    watch(w, &c);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) watch(area->viewport(), &c);
    connect_input(c, w);
    sync_control(v, d_all);
    w->setVisible(c.visible());
    return w;
}

// ---------------------------------------------------------------------------------
// The user's actions: Qt signals become ui/input.h actions on the loop

void Renderer::connect_input(ui::Control& c, QWidget* w) {
    using namespace ui;
    switch (c.kind()) {
        case Kind::command_button:
        case Kind::check_box:
        case Kind::option_button: {
            auto* b = static_cast<QAbstractButton*>(w);
            QObject::connect(b, &QAbstractButton::clicked, this, [this, b] {
                if (syncing_) return;
                post_to<Control>(b, [](Control& ctl) { user_click(ctl); });
                // Qt toggled its own box: the layer's value wins until it changes it.
                restore(b);
            });
            break;
        }
        case Kind::combo_box: {
            auto* cb = static_cast<QComboBox*>(w);
            QObject::connect(cb, &QComboBox::activated, this, [this, cb](int index) {
                if (syncing_) return;
                post_to<ListControl>(cb, [index](ListControl& l) { user_select(l, index); });
                restore(cb);
            });
            break;
        }
        case Kind::list_box: {
            auto* lw = static_cast<QListWidget*>(w);
            QObject::connect(
                lw, &QListWidget::itemClicked, this, [this, lw](QListWidgetItem* item) {
                    if (syncing_) return;
                    const int row = lw->row(item);
                    post_to<ListControl>(lw, [row](ListControl& l) { user_select(l, row); });
                    restore(lw);
                });
            QObject::connect(lw, &QListWidget::itemDoubleClicked, this,
                             [this, lw](QListWidgetItem*) {
                                 if (syncing_) return;
                                 post_to<Control>(lw, [](Control& ctl) { user_dbl_click(ctl); });
                             });
            break;
        }
        case Kind::list_view: {
            auto* tw = static_cast<QTreeWidget*>(w);
            QObject::connect(
                tw, &QTreeWidget::itemClicked, this, [this, tw](QTreeWidgetItem* item, int) {
                    if (syncing_) return;
                    const int row = tw->indexOfTopLevelItem(item) + 1;
                    post_to<ListView>(tw, [row](ListView& lv) { user_select(lv, row); });
                    restore(tw);
                });
            QObject::connect(tw, &QTreeWidget::itemDoubleClicked, this,
                             [this, tw](QTreeWidgetItem*, int) {
                                 if (syncing_) return;
                                 post_to<Control>(tw, [](Control& ctl) { user_dbl_click(ctl); });
                             });
            break;
        }
        case Kind::grid: {
            auto* g = static_cast<QTableWidget*>(w);
            QObject::connect(g, &QTableWidget::cellClicked, this, [this, g](int row, int col) {
                if (syncing_) return;
                post_to<Grid>(g, [row, col](Grid& gr) {
                    user_click_cell(gr, row + gr.fixed_rows(), col + gr.fixed_cols());
                });
            });
            QObject::connect(
                g->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, g](int col) {
                    if (syncing_) return;
                    post_to<Grid>(g, [col](Grid& gr) {
                        if (gr.fixed_rows() > 0)
                            user_click_cell(gr, gr.fixed_rows() - 1, col + gr.fixed_cols());
                    });
                });
            QObject::connect(
                g->verticalHeader(), &QHeaderView::sectionClicked, this, [this, g](int row) {
                    if (syncing_) return;
                    post_to<Grid>(g, [row](Grid& gr) {
                        if (gr.fixed_cols() > 0)
                            user_click_cell(gr, row + gr.fixed_rows(), gr.fixed_cols() - 1);
                    });
                });
            QObject::connect(
                g->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, g](int value) {
                    if (syncing_) return;
                    post_to<Grid>(g,
                                  [value](Grid& gr) { user_scroll(gr, value + gr.fixed_rows()); });
                });
            break;
        }
        case Kind::tab_control: {
            auto* t = static_cast<QTabWidget*>(w);
            QObject::connect(t, &QTabWidget::currentChanged, this, [this, t](int index) {
                if (syncing_ || index < 0) return;
                post_to<TabControl>(t, [index](TabControl& tc) { user_switch_tab(tc, index); });
                restore(t);
            });
            break;
        }
        case Kind::vscroll_bar: {
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
                post_to<VScrollBar>(sb, [a = *act](VScrollBar& b) { user_scroll(b, a); });
                sb->setSliderPosition(bar->value());  // the layer moves the thumb
            });
            QObject::connect(sb, &QScrollBar::sliderMoved, this, [this, sb](int value) {
                if (syncing_) return;
                post_to<VScrollBar>(
                    sb, [value](VScrollBar& b) { user_scroll(b, ScrollAction::drag, value); });
            });
            QObject::connect(sb, &QScrollBar::sliderReleased, this, [this, sb] {
                if (syncing_) return;
                const int value = sb->sliderPosition();
                post_to<VScrollBar>(
                    sb, [value](VScrollBar& b) { user_scroll(b, ScrollAction::release, value); });
            });
            break;
        }
        case Kind::text_box: {
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
                QObject::connect(pe, &QPlainTextEdit::cursorPositionChanged, this,
                                 [this, pe, report] {
                                     if (syncing_) return;
                                     auto* t = static_cast<TextBox*>(control_of(pe));
                                     if (!t) return;
                                     const QTextCursor cur = pe->textCursor();
                                     const int a = ui_pos(t->text(), cur.selectionStart());
                                     const int b = ui_pos(t->text(), cur.selectionEnd());
                                     report(a, b - a);
                                 });
            }
            break;
        }
        default:
            break;
    }
}

bool Renderer::key_event(QObject* watched, ui::Control& c, QEvent* e) {
    using namespace ui;
    auto* k = static_cast<QKeyEvent*>(e);
    const auto mods = k->modifiers();
    const bool text_box = c.kind() == Kind::text_box;
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        // Shortcuts and access keys stay Qt's; in a text box only copy, select-all and
        // the editing shortcuts below, which go through the layer like typing.
        if (!text_box || e->type() != QEvent::KeyPress)
            return text_box && !(mods & Qt::AltModifier);
        if (k->matches(QKeySequence::Copy) || k->matches(QKeySequence::SelectAll)) return false;
        if (k->matches(QKeySequence::Paste)) {
            std::string text = cp1252(QApplication::clipboard()->text());
            if (!static_cast<TextBox&>(c).multi_line()) {
                const auto nl = text.find_first_of("\r\n");
                if (nl != std::string::npos) text.resize(nl);
            }
            post([text] { user_type(text); });
        } else if (k->matches(QKeySequence::Cut)) {
            if (auto* le = qobject_cast<QLineEdit*>(watched)) {
                if (le->hasSelectedText()) QApplication::clipboard()->setText(le->selectedText());
            } else if (auto* pe = qobject_cast<QPlainTextEdit*>(watched)) {
                pe->copy();
            }
            post([] { user_key(vk_delete, 0); });
        }
        return true;
    }
    if (e->type() == QEvent::KeyRelease) return true;  // the layer raises KeyUp itself
    // The window was reached by the keyboard (Alt+Tab): it becomes the layer's active
    // form before the key, so the key goes to one of its controls.
    if (&c.form() != ui::active_form())
        post_to<Control>(watched, [](Control& ctl) { user_activate(ctl.form()); });
    const int shift = (mods & Qt::ShiftModifier) ? shift_mask : 0;
    if (k->key() == Qt::Key_Backtab) {
        post([] { user_key(vk_tab, shift_mask); });
        return true;
    }
    const int vk = key_code(k->key());
    const bool clicks = is_button_like(c.kind());
    if (vk) {
        post([vk, shift] { user_key(vk, shift); });
        if (vk == vk_return && c.kind() == Kind::command_button)
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
            return key_event(watched, *c, e);
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
            auto* im = static_cast<QInputMethodEvent*>(e);
            if (!im->commitString().isEmpty()) {
                const std::string typed = cp1252(im->commitString());
                post([typed] { ui::user_type(typed); });
            }
            return true;
        }
        case QEvent::FocusIn: {
            if (syncing_) return false;
            auto* fe = static_cast<QFocusEvent*>(e);
            if (fe->reason() == Qt::MouseFocusReason || fe->reason() == Qt::ShortcutFocusReason) {
                if (ui::focus_owner() != c)
                    post_to<ui::Control>(watched, [](ui::Control& ctl) { ui::user_focus(ctl); });
            }
            return false;
        }
        case QEvent::MouseButtonPress: {
            ui::Form& f = c->form();
            if (ui::active_form() != &f && !syncing_) {
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
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() != Qt::LeftButton || syncing_) return false;
            const ui::Kind k = c->kind();
            if (k == ui::Kind::label || k == ui::Kind::picture || k == ui::Kind::image ||
                k == ui::Kind::frame) {
                if (watched == widget(*c))
                    post_to<ui::Control>(watched, [](ui::Control& ctl) { ui::user_click(ctl); });
            } else if (k == ui::Kind::list_view) {
                auto* tw = qobject_cast<QTreeWidget*>(widget(*c));
                if (tw && watched == tw->viewport() && !tw->itemAt(me->position().toPoint()))
                    post_to<ui::ListView>(watched,
                                          [](ui::ListView& lv) { ui::user_select(lv, 0); });
            }
            return false;
        }
        case QEvent::MouseButtonDblClick: {
            const ui::Kind k = c->kind();
            if ((k == ui::Kind::label || k == ui::Kind::picture || k == ui::Kind::image) &&
                watched == widget(*c))
                post_to<ui::Control>(watched, [](ui::Control& ctl) { ui::user_dbl_click(ctl); });
            return false;
        }
        default:
            return false;
    }
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
            if (syncing_ || !e->spontaneous() || f.window_state() != ui::ws_normal) return false;
            const int border = frame_px(frame_border_px);
            const int w = to_twips(win->width() + 2 * border);
            const int h = to_twips(win->height() - (fv.menu ? fv.menu->sizeHint().height() : 0) +
                                   2 * border + frame_px(frame_caption_px));
            if (to_px(w) != to_px(f.width()) || to_px(h) != to_px(f.height()))
                post_form([w, h](ui::Form& form) { ui::user_resize(form, w, h); });
            return false;
        }
        case QEvent::Move: {
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
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------
// Mirroring the layer's changes

void Renderer::mark(ControlView& v, unsigned bits) {
    if (!v.widget && v.control->kind() != ui::Kind::menu) return;
    if (v.control->kind() == ui::Kind::menu) {
        if (FormView* fv = view_of(v.control->form())) {
            if (!fv->menu_dirty && !fv->dirty) dirty_forms_.push_back(fv->form);
            fv->menu_dirty = true;
            schedule_flush();
        }
        return;
    }
    if (!v.dirty) dirty_.push_back(v.control);
    v.dirty |= bits;
    schedule_flush();
}

// Qt changed a widget on its own (a toggle, a selection): the layer's value is shown
// again at the next flush unless the posted action changes it.
void Renderer::restore(QObject* source) {
    if (ui::Control* c = control_of(source))
        if (ControlView* v = view_of(*c)) mark(*v, d_state);
}

void Renderer::schedule_flush() {
    if (flush_queued_) return;
    flush_queued_ = true;
    QTimer::singleShot(0, this, [this] { flush(); });
}

void Renderer::property_changed(ui::Control& c, std::string_view property) {
    ControlView* v = view_of(c);
    if (!v) return;
    const unsigned bits = bits_of(property);
    if (bits) mark(*v, bits);
}

void Renderer::form_property_changed(ui::Form& f, std::string_view) {
    FormView* fv = view_of(f);
    if (!fv) return;
    if (!fv->dirty && !fv->menu_dirty) dirty_forms_.push_back(&f);
    fv->dirty = true;
    schedule_flush();
}

void Renderer::control_created(ui::Control& c) {
    FormView* fv = view_of(c.form());
    if (!fv) return;
    ++syncing_;
    build_control(*fv, c);
    --syncing_;
    if (c.kind() == ui::Kind::menu) mark(controls_[&c], d_all);
}

void Renderer::flush() {
    flush_queued_ = false;
    ++syncing_;
    auto forms = std::move(dirty_forms_);
    dirty_forms_.clear();
    for (ui::Form* f : forms) {
        FormView* fv = view_of(*f);
        if (!fv) continue;
        if (fv->menu_dirty) sync_menu(*fv);
        if (fv->dirty) sync_form(*fv);
        fv->dirty = fv->menu_dirty = false;
    }
    auto list = std::move(dirty_);
    dirty_.clear();
    for (ui::Control* c : list) {
        ControlView* v = view_of(*c);
        if (!v || !v->dirty) continue;
        const unsigned bits = v->dirty;
        v->dirty = 0;
        sync_control(*v, bits);
    }
    --syncing_;
}

void Renderer::form_refreshed(ui::Form& f) {
    flush();
    if (QWidget* w = window(f)) w->repaint();
}

void Renderer::form_hidden(ui::Form& f) {
    if (FormView* fv = view_of(f)) {
        ++syncing_;
        fv->window->hide();
        --syncing_;
    }
}

void Renderer::form_unloaded(ui::Form& f) {
    drop_form(f);
}

void Renderer::drop_form(ui::Form& f) {
    auto it = forms_.find(&f);
    if (it == forms_.end()) return;
    QWidget* win = it->second.window;
    for (ui::Control* c : f.controls()) controls_.erase(c);
    for (auto o = owner_.begin(); o != owner_.end();) {
        if (&o->second->form() == &f)
            o = owner_.erase(o);
        else
            ++o;
    }
    dirty_.erase(std::remove_if(dirty_.begin(), dirty_.end(),
                                [&](ui::Control* c) { return &c->form() == &f; }),
                 dirty_.end());
    dirty_forms_.erase(std::remove(dirty_forms_.begin(), dirty_forms_.end(), &f),
                       dirty_forms_.end());
    window_owner_.erase(win);
    forms_.erase(it);
    ++syncing_;
    win->hide();
    delete win;
    --syncing_;
}

void Renderer::program_ended() {
    std::vector<ui::Form*> all;
    for (auto& [f, fv] : forms_) all.push_back(fv.form);
    for (ui::Form* f : all) drop_form(*f);
    if (wait_cursor_) QApplication::restoreOverrideCursor();
    wait_cursor_ = false;
}

void Renderer::focus_changed(ui::Control* now) {
    if (!now) return;
    QWidget* w = widget(*now);
    if (!w) return;
    ++syncing_;
    w->setFocus(Qt::OtherFocusReason);
    --syncing_;
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

void Renderer::mouse_pointer_changed(int pointer) {
    const bool wait = pointer == ui::mp_hourglass;
    if (wait == wait_cursor_) return;
    wait_cursor_ = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void Renderer::place_window(FormView& fv) {
    ui::Form& f = *fv.form;
    const ui::Rect& r = f.normal_rect();
    const int border = frame_px(frame_border_px);
    const int menu_h = fv.menu ? fv.menu->sizeHint().height() : 0;
    const int cw = std::max(1, to_px(r.width) - 2 * border);
    const int ch = std::max(1, to_px(r.height) - 2 * border - frame_px(frame_caption_px));
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

namespace {

void menu_items_of(const ui::MenuItem& item, std::vector<ui::MenuItem*>& out) {
    for (ui::MenuItem* child : item.children()) {
        out.push_back(child);
        menu_items_of(*child, out);
    }
}

void apply_menu_item(QAction* a, const ui::MenuItem& item) {
    if (!item.is_separator()) a->setText(qstr(item.caption()));
    a->setVisible(item.visible());
    a->setEnabled(item.enabled());
    if (!a->menu()) {
        a->setCheckable(item.checked());
        a->setChecked(item.checked());
    }
}

}  // namespace

void Renderer::sync_menu(FormView& fv) {
    ui::Form& f = *fv.form;
    std::vector<ui::MenuItem*> items;  // depth first, in creation order
    for (ui::Control* c : f.controls())
        if (c->kind() == ui::Kind::menu && !static_cast<ui::MenuItem*>(c)->parent_menu()) {
            items.push_back(static_cast<ui::MenuItem*>(c));
            menu_items_of(*static_cast<ui::MenuItem*>(c), items);
        }
    std::vector<ui::MenuItem*> built;
    for (auto& [item, action] : fv.menu_actions) built.push_back(item);
    if (fv.menu && built == items) {
        // Same items: update in place, so an open menu stays valid.
        for (auto& [item, action] : fv.menu_actions) apply_menu_item(action, *item);
        return;
    }
    for (auto& [item, action] : fv.menu_actions) owner_.erase(action);
    fv.menu_actions.clear();
    const bool had = fv.menu != nullptr;
    delete fv.menu;
    fv.menu = nullptr;
    if (items.empty()) {
        if (had) place_window(fv);
        return;
    }
    fv.menu = new QMenuBar(fv.window);
    QFont menu_font = fv.menu->font();  // the system's menu font at the classic 9 points
    menu_font.setPointSizeF(9);
    fv.menu->setFont(menu_font);
    auto hook = [this](QAction* a, ui::MenuItem* item) {
        owner_[a] = item;
        QObject::connect(a, &QAction::triggered, this, [this, a] {
            if (!syncing_) post_to<ui::Control>(a, [](ui::Control& ctl) { ui::user_click(ctl); });
        });
    };
    std::function<void(QWidget*, ui::MenuItem&)> add = [&](QWidget* into, ui::MenuItem& item) {
        QAction* a = nullptr;
        if (!item.children().empty()) {
            auto* menu = new QMenu(qstr(item.caption()), into);
            a = menu->menuAction();
            owner_[a] = &item;
            owner_[menu] = &item;
            // A menu's own Click comes as it opens, before its items are shown.
            QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] {
                if (!syncing_)
                    post_to<ui::Control>(menu, [](ui::Control& ctl) { ui::user_click(ctl); });
            });
            into->addAction(a);
            fv.menu_actions.emplace_back(&item, a);
            for (ui::MenuItem* child : item.children()) add(menu, *child);
        } else {
            a = new QAction(into);
            if (item.is_separator()) a->setSeparator(true);
            hook(a, &item);
            into->addAction(a);
            fv.menu_actions.emplace_back(&item, a);
        }
        apply_menu_item(a, item);
    };
    for (ui::Control* c : f.controls())
        if (c->kind() == ui::Kind::menu && !static_cast<ui::MenuItem*>(c)->parent_menu())
            add(fv.menu, *static_cast<ui::MenuItem*>(c));
    fv.menu->show();
    place_window(fv);
}

void Renderer::sync_control(ControlView& v, unsigned bits) {
    ui::Control& c = *v.control;
    QWidget* w = v.widget;
    if (!w) return;
    ++syncing_;
    int dy = 0;
    if (ui::Control* box = c.container(); box && box->kind() == ui::Kind::tab_control)
        if (QWidget* tw = widget(*box))
            dy = static_cast<QTabWidget*>(tw)->tabBar()->sizeHint().height();

    if (bits & d_look) {
        w->setFont(qfont(c.font()));
        set_colors(w, c);
    }
    if (bits & d_enabled) w->setEnabled(c.enabled());
    if (bits & d_visible) w->setVisible(c.visible());
    if (bits & d_geom) {
        if (c.kind() == ui::Kind::line) {
            auto& ln = static_cast<ui::Line&>(c);
            const int x1 = to_px(ln.x1()), y1 = to_px(ln.y1()) - dy;
            const int x2 = to_px(ln.x2()), y2 = to_px(ln.y2()) - dy;
            const QRect box = QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                                    QPoint(std::max(x1, x2), std::max(y1, y2)));
            auto* lw = static_cast<LineWidget*>(w);
            lw->setGeometry(box);
            lw->from = QPoint(x1, y1) - box.topLeft();
            lw->to = QPoint(x2, y2) - box.topLeft();
            lw->update();
        } else {
            w->setGeometry(to_px(c.left()), to_px(c.top()) - dy, std::max(1, to_px(c.width())),
                           std::max(1, to_px(c.height())));
        }
        for (QWidget* page : v.pages) {
            const int bar = static_cast<QTabWidget*>(w)->tabBar()->sizeHint().height();
            page->setGeometry(0, bar, w->width(), std::max(1, w->height() - bar));
        }
    }

    switch (c.kind()) {
        case ui::Kind::label: {
            auto& l = static_cast<ui::Label&>(c);
            auto* ql = static_cast<QLabel*>(w);
            if (bits & d_state) {
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
            }
            break;
        }
        case ui::Kind::text_box: {
            auto& t = static_cast<ui::TextBox&>(c);
            if (!(bits & (d_state | d_items))) break;
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
                cur.setPosition(std::min(b, static_cast<int>(text.size())),
                                QTextCursor::KeepAnchor);
                pe->setTextCursor(cur);
            }
            break;
        }
        case ui::Kind::combo_box: {
            auto& l = static_cast<ui::ListControl&>(c);
            auto* cb = static_cast<QComboBox*>(w);
            if (bits & d_items) {
                cb->clear();
                for (int i = 0; i < l.list_count(); ++i) cb->addItem(qstr(l.list(i)));
            }
            if (bits & (d_state | d_items)) cb->setCurrentIndex(l.list_index());
            break;
        }
        case ui::Kind::list_box: {
            auto& l = static_cast<ui::ListControl&>(c);
            auto* lw = static_cast<QListWidget*>(w);
            if (bits & d_items) {
                lw->clear();
                for (int i = 0; i < l.list_count(); ++i) lw->addItem(qstr(l.list(i)));
            }
            if (bits & (d_state | d_items)) {
                lw->setCurrentRow(l.list_index());
                if (l.list_index() < 0) lw->clearSelection();
                if (QListWidgetItem* top = lw->item(l.top_index()))
                    lw->scrollToItem(top, QAbstractItemView::PositionAtTop);
            }
            break;
        }
        case ui::Kind::command_button:
        case ui::Kind::frame:
            if (bits & d_state) {
                const QString cap = qstr(static_cast<ui::CaptionControl&>(c).caption());
                if (auto* b = qobject_cast<QPushButton*>(w))
                    b->setText(cap);
                else if (auto* g = qobject_cast<QGroupBox*>(w))
                    g->setTitle(cap);
            }
            break;
        case ui::Kind::check_box: {
            auto& cb = static_cast<ui::CheckBox&>(c);
            auto* q = static_cast<QCheckBox*>(w);
            if (bits & d_state) {
                q->setText(qstr(cb.caption()));
                q->setTristate(cb.value() == 2);
                q->setCheckState(cb.value() == 1   ? Qt::Checked
                                 : cb.value() == 2 ? Qt::PartiallyChecked
                                                   : Qt::Unchecked);
            }
            break;
        }
        case ui::Kind::option_button: {
            auto& ob = static_cast<ui::OptionButton&>(c);
            auto* q = static_cast<QRadioButton*>(w);
            if (bits & d_state) {
                q->setText(qstr(ob.caption()));
                q->setChecked(ob.value());
            }
            break;
        }
        case ui::Kind::list_view: {
            auto& lv = static_cast<ui::ListView&>(c);
            auto* tw = static_cast<QTreeWidget*>(w);
            if (bits & d_items) {
                tw->clear();
                tw->setColumnCount(std::max(1, lv.column_count()));
                QStringList headers;
                for (int i = 1; i <= lv.column_count(); ++i) headers << qstr(lv.column_text(i));
                tw->setHeaderLabels(headers);
                for (int i = 1; i <= lv.column_count(); ++i)
                    tw->setColumnWidth(i - 1, to_px(lv.column_width(i)));
                QList<QTreeWidgetItem*> rows;
                for (int i = 1; i <= lv.item_count(); ++i) {
                    const ui::ListItem& item = lv.item(i);
                    auto* row = new QTreeWidgetItem;
                    row->setText(0, qstr(item.text()));
                    for (int k = 1; k < lv.column_count(); ++k)
                        row->setText(k, qstr(item.sub_item(k)));
                    rows << row;
                }
                tw->addTopLevelItems(rows);
            }
            if (bits & (d_state | d_items)) {
                QTreeWidgetItem* sel =
                    lv.selected_index() > 0 ? tw->topLevelItem(lv.selected_index() - 1) : nullptr;
                tw->setCurrentItem(sel);
                if (!sel) tw->clearSelection();
            }
            break;
        }
        case ui::Kind::grid: {
            auto& g = static_cast<ui::Grid&>(c);
            auto* t = static_cast<QTableWidget*>(w);
            const int fr = g.fixed_rows(), fc = g.fixed_cols();
            if (bits & d_items) {
                const int rows = std::max(0, g.rows() - fr), cols = std::max(0, g.cols() - fc);
                t->setRowCount(rows);
                t->setColumnCount(cols);
                // Only the last fixed row and column can be shown, as the headers.
                t->horizontalHeader()->setVisible(fr > 0);
                t->verticalHeader()->setVisible(fc > 0);
                QStringList hh, vh;
                for (int col = fc; col < g.cols(); ++col)
                    hh << (fr > 0 ? qstr(g.text_matrix(fr - 1, col)) : QString());
                for (int row = fr; row < g.rows(); ++row)
                    vh << (fc > 0 ? qstr(g.text_matrix(row, fc - 1)) : QString());
                t->setHorizontalHeaderLabels(hh);
                t->setVerticalHeaderLabels(vh);
                if (fr > 0) t->horizontalHeader()->setFixedHeight(to_px(g.row_height(fr - 1)));
                if (fc > 0) t->verticalHeader()->setFixedWidth(to_px(g.col_width(fc - 1)));
                for (int col = fc; col < g.cols(); ++col)
                    t->setColumnWidth(col - fc, to_px(g.col_width(col)));
                for (int row = fr; row < g.rows(); ++row) {
                    t->setRowHeight(row - fr, to_px(g.row_height(row)));
                    for (int col = fc; col < g.cols(); ++col) {
                        QTableWidgetItem* item = t->item(row - fr, col - fc);
                        if (!item) {
                            item = new QTableWidgetItem;
                            t->setItem(row - fr, col - fc, item);
                        }
                        item->setText(qstr(g.text_matrix(row, col)));
                    }
                }
            }
            if (bits & (d_state | d_items)) {
                if (g.row() >= fr && g.col() >= fc) t->setCurrentCell(g.row() - fr, g.col() - fc);
                t->verticalScrollBar()->setValue(std::max(0, g.top_row() - fr));
                t->horizontalScrollBar()->setValue(std::max(0, g.left_col() - fc));
            }
            break;
        }
        case ui::Kind::tab_control: {
            auto& tc = static_cast<ui::TabControl&>(c);
            auto* tw = static_cast<QTabWidget*>(w);
            if (bits & d_items) {
                while (tw->count() > tc.tabs()) {
                    QWidget* p = tw->widget(tw->count() - 1);
                    tw->removeTab(tw->count() - 1);
                    delete p;
                }
                while (tw->count() < tc.tabs()) tw->addTab(new QWidget, QString());
                while (static_cast<int>(v.pages.size()) < tc.tabs()) {
                    auto* page = new QWidget(tw);
                    page->installEventFilter(this);
                    owner_[page] = &c;
                    v.pages.push_back(page);
                    const int bar = tw->tabBar()->sizeHint().height();
                    page->setGeometry(0, bar, tw->width(), std::max(1, tw->height() - bar));
                }
                for (int i = 0; i < tc.tabs(); ++i) tw->setTabText(i, qstr(tc.tab_caption(i)));
            }
            if (bits & (d_state | d_items)) {
                if (tc.tab() < tw->count()) tw->setCurrentIndex(tc.tab());
                for (int i = 0; i < static_cast<int>(v.pages.size()); ++i) {
                    v.pages[i]->setVisible(i == tc.tab());
                    if (i == tc.tab()) v.pages[i]->raise();
                }
            }
            break;
        }
        case ui::Kind::gauge: {
            auto& g = static_cast<ui::Gauge&>(c);
            auto* p = static_cast<QProgressBar*>(w);
            p->setOrientation(g.vertical() ? Qt::Vertical : Qt::Horizontal);
            p->setRange(g.min(), std::max(g.min(), g.max()));
            p->setValue(g.value());
            break;
        }
        case ui::Kind::vscroll_bar: {
            auto& b = static_cast<ui::VScrollBar&>(c);
            auto* sb = static_cast<QScrollBar*>(w);
            const bool inverted = b.min() > b.max();
            sb->setInvertedAppearance(inverted);
            sb->setInvertedControls(inverted);
            sb->setRange(std::min(b.min(), b.max()), std::max(b.min(), b.max()));
            sb->setSingleStep(b.small_change());
            sb->setPageStep(b.large_change());
            if (!sb->isSliderDown()) sb->setValue(b.value());
            break;
        }
        case ui::Kind::line: {
            auto* lw = static_cast<LineWidget*>(w);
            lw->color = qcolor(static_cast<ui::Line&>(c).border_color()).value_or(Qt::black);
            lw->update();
            break;
        }
        case ui::Kind::image:
        case ui::Kind::picture:
        default:
            break;
    }
    --syncing_;
}

}  // namespace dvx::app

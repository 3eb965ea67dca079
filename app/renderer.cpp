#include "app/renderer.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

// The generic part: life cycle, building a form's widgets and mirroring the layer's
// changes. Each kind of control has its own file (render_<kind>.cpp), the window and
// its menu too (render_window.cpp, render_menu.cpp), and keys and mouse on the
// widgets are render_keys.cpp's.

namespace dvx::app {

namespace {

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

}  // namespace

// ---------------------------------------------------------------------------------
// Life cycle and lookups

Renderer::Renderer() {
    ui::add_observer(this);
    ui::services().rows = this;
}

Renderer::~Renderer() {
    ui::remove_observer(this);
    if (ui::services().rows == this) ui::services().rows = nullptr;
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

// ---------------------------------------------------------------------------------
// Building a form's window

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
    QWidget* w = make_widget(c, parent);
    auto& v = controls_[&c];
    v = ControlView{&c, w, {}, 0};
    if (!w) return nullptr;
    set_focus_policy(c, w);
    if (c.kind() == ui::Kind::tab_control) add_tab_pages(v);
    w->setObjectName(qstr(c.name()) +
                     (c.index() >= 0 ? QString("(%1)").arg(c.index()) : QString()));
    watch(w, &c);
    // A press on any part of a scrolled control (its cells, its scroll bars, a list
    // view's header) is a press on the control.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
        watch(area->viewport(), &c);
        watch(area->verticalScrollBar(), &c);
        watch(area->horizontalScrollBar(), &c);
        if (auto* tree = qobject_cast<QTreeView*>(w)) {
            watch(tree->header(), &c);
            watch(tree->header()->viewport(), &c);
        }
    }
    // The tab bar's wheel and clicks are filtered too.
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) watch(tabs->tabBar(), &c);
    connect_input(c, w);
    sync_control(v, d_all);
    w->setVisible(c.visible());
    return w;
}

QWidget* Renderer::make_widget(ui::Control& c, QWidget* parent) {
    switch (c.kind()) {
        case ui::Kind::label:
        case ui::Kind::text_box:
            return make_text(c, parent);
        case ui::Kind::command_button:
        case ui::Kind::frame:
        case ui::Kind::check_box:
        case ui::Kind::option_button:
            return make_button(c, parent);
        case ui::Kind::combo_box:
        case ui::Kind::list_box:
        case ui::Kind::list_view:
            return make_list(c, parent);
        case ui::Kind::grid:
            return make_grid(c, parent);
        case ui::Kind::tab_control:
            return make_tabs(c, parent);
        case ui::Kind::gauge:
        case ui::Kind::vscroll_bar:
            return make_bar(c, parent);
        case ui::Kind::line:
            return make_line(c, parent);
        case ui::Kind::picture:
        case ui::Kind::image:
            return make_picture(c, parent);
        case ui::Kind::timer:
        case ui::Kind::menu:
        case ui::Kind::comm:
        case ui::Kind::common_dialog:
            break;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------
// The user's actions: Qt signals become ui/input.h actions on the loop

void Renderer::connect_input(ui::Control& c, QWidget* w) {
    switch (c.kind()) {
        case ui::Kind::label:
        case ui::Kind::text_box:
            connect_text(c, w);
            break;
        case ui::Kind::command_button:
        case ui::Kind::frame:
        case ui::Kind::check_box:
        case ui::Kind::option_button:
            connect_button(c, w);
            break;
        case ui::Kind::combo_box:
        case ui::Kind::list_box:
        case ui::Kind::list_view:
            connect_list(c, w);
            break;
        case ui::Kind::grid:
            connect_grid(c, w);
            break;
        case ui::Kind::tab_control:
            connect_tabs(c, w);
            break;
        case ui::Kind::gauge:
        case ui::Kind::vscroll_bar:
            connect_bar(c, w);
            break;
        default:
            break;
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
    sync_focus();
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
    // A dialog over the window (a file or print dialog) belongs to the code that showed
    // it, on the stack: it is closed as cancelled and taken out, never freed with the
    // window, so its exec returns and that code goes on.
    for (QDialog* d : win->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        d->reject();
        d->setParent(nullptr);
    }
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
    // A text box shows its selection only while it has the keys: the box that lost them
    // and the one that got them are shown again.
    for (const ui::Control* c : {keys_control_, static_cast<const ui::Control*>(now)})
        if (auto it = controls_.find(c);
            c && it != controls_.end() && it->second.control->kind() == ui::Kind::text_box)
            mark(it->second, d_state);
    keys_control_ = now;
    // A widget shown or enabled with this change is ready at the flush, which puts
    // Qt's focus where the layer's is (or takes it off our widgets).
    schedule_flush();
    if (!now) return;
    QWidget* w = focus_widget(*now);
    if (!w) return;
    ++syncing_;
    // A box that just closed may have left no window active.
    QWidget* win = w->window();
    if (!QApplication::activeWindow() && &now->form() == ui::active_form() && win->isVisible())
        win->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
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
            place_line(v, dy);
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
        case ui::Kind::label:
        case ui::Kind::text_box:
            sync_text(v, bits);
            break;
        case ui::Kind::command_button:
        case ui::Kind::frame:
        case ui::Kind::check_box:
        case ui::Kind::option_button:
            sync_button(v, bits);
            break;
        case ui::Kind::combo_box:
        case ui::Kind::list_box:
        case ui::Kind::list_view:
            sync_list(v, bits);
            break;
        case ui::Kind::grid:
            sync_grid(v, bits);
            break;
        case ui::Kind::tab_control:
            sync_tabs(v, bits);
            break;
        case ui::Kind::gauge:
        case ui::Kind::vscroll_bar:
            sync_bar(v, bits);
            break;
        case ui::Kind::line:
            sync_line(v, bits);
            break;
        case ui::Kind::image:
        case ui::Kind::picture:
            sync_picture(v, bits);
            break;
        default:
            break;
    }
    --syncing_;
}

}  // namespace dvx::app

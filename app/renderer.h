#pragma once
// dvx::app — the desktop side of the window layer. The Renderer is one generic
// ui::Observer: every shown ui::Form becomes a top-level Qt window and every control a
// Qt widget at its designed geometry, mirrored from the layer's change notifications.
// The user's clicks, keys, focus moves, list choices, scrolling and frame closes are
// never handled here: they are posted to the event loop service as the actions of
// ui/input.h, so the layer decides the order of events as it does in the tests.
//
// Property changes are coalesced: a change only marks the control, and the marks are
// applied once the Qt loop runs again (or at Form::refresh), as a classic toolkit
// repaints only when the program yields.
//
// There is one keyboard focus: the layer's. Qt never moves it by a click or a key of
// its own; a press on a control asks the layer for it, and each flush puts Qt's focus
// on the layer's focused control (none when the layer has none).
//
// It is also the layer's service for the rows a multi-line text box is shown in
// (ui::TextRows), installed while it lives.
#include <QMargins>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/observer.h"
#include "ui/text_metrics.h"

class QAction;
class QMenuBar;
class QMouseEvent;
class QWheelEvent;
class QWidget;

namespace dvx::ui {
class Control;
class Form;
class MenuItem;
class TextBox;
}  // namespace dvx::ui

namespace dvx::app {

class Renderer final : public QObject, public ui::Observer, public ui::TextRows {
  public:
    // Registers itself as an observer of the window layer and as its rows service.
    Renderer();
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The rendered window of a form and the widget of a control; null when none.
    QWidget* window(const ui::Form& f) const;
    QWidget* widget(const ui::Control& c) const;
    // Applies every pending property change now.
    void flush();
    // The desktop's frame around a shown window (borders, caption); where it reports
    // none the classic 4-pixel borders and 22-pixel caption are taken. A form's Width
    // and Height are the outer size: the client area is that less the frame.
    std::function<std::optional<QMargins>(QWidget& window)> desktop_frame = reported_frame;
    static std::optional<QMargins> reported_frame(QWidget& window);
    // The desktop's selection the middle button pastes into a text box; a null text where
    // the desktop keeps none.
    std::function<QString()> desktop_selection = primary_selection;
    static QString primary_selection();
    // Makes a text the desktop's selection: what the technician selects in a text box
    // (not in a password box) goes there as it is selected, as in Qt's own boxes.
    std::function<void(const QString&)> set_desktop_selection = set_primary_selection;
    static void set_primary_selection(const QString& text);
    // Called after a form's window was shown (start-up timing, screenshots).
    std::function<void(ui::Form&)> on_shown;
    // Controls with changes waiting for the next flush.
    std::size_t pending_changes() const { return dirty_.size(); }
    // The widget Qt gives the keys to while `c` has the layer's focus; null when none.
    QWidget* focus_widget(const ui::Control& c) const;

    // ui::Observer
    void property_changed(ui::Control& c, std::string_view property) override;
    void form_property_changed(ui::Form& f, std::string_view property) override;
    void control_created(ui::Control& c) override;
    void form_unloaded(ui::Form& f) override;
    void form_shown(ui::Form& f) override;
    void form_hidden(ui::Form& f) override;
    void form_refreshed(ui::Form& f) override;
    void focus_changed(ui::Control* now) override;
    void active_form_changed(ui::Form* now) override;
    void mouse_pointer_changed(int pointer) override;
    void program_ended() override;

    // ui::TextRows: the rows of a multi-line box's widget as Qt wraps them.
    std::optional<int> row_move(const ui::TextBox& box, int pos, ui::RowMove move) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct ControlView {
        ui::Control* control = nullptr;
        QWidget* widget = nullptr;
        std::vector<QWidget*> pages;  // tab control: one overlay per tab
        unsigned dirty = 0;
    };
    struct FormView {
        ui::Form* form = nullptr;
        QWidget* window = nullptr;
        QWidget* client = nullptr;
        QMenuBar* menu = nullptr;
        bool dirty = false;
        bool menu_dirty = false;
        QMargins frame;  // the frame the window was last placed with
        std::vector<std::pair<ui::MenuItem*, QAction*>> menu_actions;
    };

    FormView* view_of(const ui::Form& f);
    ControlView* view_of(const ui::Control& c);
    void build(ui::Form& f);
    QWidget* build_control(FormView& fv, ui::Control& c);
    QWidget* parent_widget(FormView& fv, ui::Control& c, int& dy);
    QWidget* make_widget(ui::Control& c, QWidget* parent);
    void connect_input(ui::Control& c, QWidget* w);
    void watch(QObject* o, ui::Control* c);
    void drop_form(ui::Form& f);
    void sync_control(ControlView& v, unsigned bits);
    void sync_form(FormView& fv);
    void sync_menu(FormView& fv);
    void place_window(FormView& fv);
    QMargins frame_of(QWidget& window) const;
    bool adopt_frame(FormView& fv);
    void mark(ControlView& v, unsigned bits);
    void restore(QObject* source);
    void schedule_flush();
    // Qt's focus onto the layer's focused control, or off our widgets when it has none.
    void sync_focus();
    void set_focus_policy(ui::Control& c, QWidget* w);

    // Posting user actions to the loop: the target is looked up again when the action
    // runs, so a window unloaded meanwhile drops it.
    void post(std::function<void()> action);
    template <class T>
    void post_to(QObject* source, std::function<void(T&)> action);
    // A click, choice or scroll on a focusable control: when its press asked for the
    // focus and the layer kept it elsewhere (a refused entry), the action is dropped, as
    // the layer drops the click of a control that did not get the focus.
    template <class T>
    void post_pressed(QObject* source, std::function<void(T&)> action);
    ui::Control* control_of(const QObject* o) const;
    // A key on a control's widget, or on a form's window that has no focused widget (c
    // null): the layer gives it to its focused control.
    bool key_event(QObject* watched, ui::Control* c, ui::Form& f, QEvent* e);
    void ask_focus(QObject* source);
    // True for the first delivery of a press to a control, false for Qt's copies of it.
    bool first_press(const ui::Control& c, const QEvent* e);
    bool window_event(FormView& fv, QEvent* e);
    // The mouse on a control's widget or one of its parts: true when it is dropped.
    bool mouse_event(QObject* watched, ui::Control& c, QMouseEvent* e);
    bool wheel_event(QObject* watched, ui::Control& c, QWheelEvent* e);

    // Each kind of control in a file of its own (app/render_<kind>.cpp): its widget,
    // the user's input on it, and the layer's state mirrored onto it.
    QWidget* make_text(ui::Control& c, QWidget* parent);
    void connect_text(ui::Control& c, QWidget* w);
    void sync_text(ControlView& v, unsigned bits);
    void caret_after_press(QObject* source);
    void post_text_selection(QObject* source, std::function<void(ui::TextBox&)> action);
    // Runs a user action; a selection it makes in the text box with the keys (new, or the
    // whole text asked for) becomes the desktop's.
    void selecting(const std::function<void()>& action, bool select_all = false);
    // A left release on a text box reaches Qt without the selection Qt would put on the
    // desktop.
    void release_off_desktop(QObject* source, QMouseEvent* release);
    void clicks_at(QObject* source, int qpos, int clicks);
    static int qt_pointer_pos(QWidget* w, QPointF global);
    // A left press on a text box that makes a triple click: the double click before it
    // was on the same box, a moment before, at about the same place.
    bool triple_click(const ui::Control& c, const QMouseEvent* e) const;
    QWidget* make_button(ui::Control& c, QWidget* parent);
    void connect_button(ui::Control& c, QWidget* w);
    void sync_button(ControlView& v, unsigned bits);
    QWidget* make_list(ui::Control& c, QWidget* parent);
    void connect_list(ui::Control& c, QWidget* w);
    void sync_list(ControlView& v, unsigned bits);
    QWidget* make_grid(ui::Control& c, QWidget* parent);
    void connect_grid(ui::Control& c, QWidget* w);
    void sync_grid(ControlView& v, unsigned bits);
    QWidget* make_tabs(ui::Control& c, QWidget* parent);
    void add_tab_pages(ControlView& v);
    void connect_tabs(ui::Control& c, QWidget* w);
    void sync_tabs(ControlView& v, unsigned bits);
    QWidget* make_bar(ui::Control& c, QWidget* parent);
    void connect_bar(ui::Control& c, QWidget* w);
    void sync_bar(ControlView& v, unsigned bits);
    QWidget* make_line(ui::Control& c, QWidget* parent);
    void place_line(ControlView& v, int dy);
    void sync_line(ControlView& v, unsigned bits);
    QWidget* make_picture(ui::Control& c, QWidget* parent);
    void sync_picture(ControlView& v, unsigned bits);

    std::unordered_map<const ui::Form*, FormView> forms_;
    std::unordered_map<const ui::Control*, ControlView> controls_;
    std::unordered_map<const QObject*, ui::Control*> owner_;
    std::unordered_map<const QObject*, ui::Form*> window_owner_;
    // A high-resolution wheel's turn short of a whole notch.
    int wheel_rest_ = 0;
    std::vector<ui::Control*> dirty_;
    std::vector<ui::Form*> dirty_forms_;
    bool flush_queued_ = false;
    bool wait_cursor_ = false;
    // True while the renderer itself changes widgets: their signals are not the user's.
    int syncing_ = 0;
    // The widget whose press (or access key) last asked the layer for the focus.
    QPointer<QObject> pressed_;
    // The press that last asked for the focus: Qt hands a press a widget ignores on to
    // its parent, and the parent may be part of the same control.
    const ui::Control* press_control_ = nullptr;
    quint64 press_time_ = 0;
    // The last double click on a text box, which a third press makes a triple one.
    const ui::Control* dbl_control_ = nullptr;
    quint64 dbl_time_ = 0;
    QPointF dbl_at_;
    // The control the layer last gave the keys to: a text box shows its selection only
    // while it has them.
    const ui::Control* keys_control_ = nullptr;
};

}  // namespace dvx::app

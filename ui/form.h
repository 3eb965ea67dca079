#pragma once
// Forms (windows). A window is a class deriving from Form with its controls as
// members, created in its constructor with their designed geometry; handlers are
// std::function slots bound there:
//
//   class Passwort : public ui::Form {
//   public:
//       Passwort() : Form("enter_pass", {0, 0, 4200, 1800}) {
//           txt_pass.set_password_char("*");
//           on_load = [this] { set_caption("Password"); };
//           B_ok.on_click = [this] { unload(); };
//       }
//       ui::TextBox txt_pass{*this, "txt_pass", {240, 240, 2400, 315}};
//       ui::CommandButton B_ok{*this, "B_ok", {2880, 240, 1000, 375}};
//   };
//   inline ui::FormRef<Passwort> enter_pass_inst;
//
// Every window exists once and is reached through its FormRef: the first touch
// (operator->, operator*) creates and loads it, running Load nested before the
// touching statement goes on. Unload discards the object (controls, values and
// member variables); the next touch creates a fresh one and loads it again.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace dvx::ui {

class FormSlot;

enum WindowState : int { ws_normal = 0, ws_minimized = 1, ws_maximized = 2 };

class Form {
  public:
    // `name` may be UTF-8 or Windows-1252; `rect` is the designed placement in twips.
    explicit Form(std::string name, Rect rect = {0, 0, 9690, 8225});
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }
    // Runs Load unless loaded. FormRef calls it; a form owned elsewhere calls it itself.
    void load();
    bool loaded() const { return state_ == State::loaded; }
    // False once unloaded (or discarded by end_program): its controls raise nothing.
    bool alive() const { return state_ != State::dead; }

    const std::string& caption() const { return caption_; }
    void set_caption(std::string c);

    // Placement. A minimised form reports Left = Top = -48000 (beyond int16) and a
    // maximised one the screen; setting Left/Top/Width/Height while minimised or
    // maximised is a UiFault. Width, Height and WindowState changes raise Resize.
    int window_state() const { return window_state_; }
    void set_window_state(int s);
    int left() const;
    int top() const;
    int width() const;
    int height() const;
    void set_left(int v);
    void set_top(int v);
    void set_width(int v);
    void set_height(int v);
    void move(int left, int top, int width, int height);
    // The restored (normal-state) placement, also while minimised or maximised.
    const Rect& normal_rect() const { return rect_; }

    const Font& font() const { return font_; }
    void set_font_size(double s);
    void set_font_name(std::string n);
    void set_font_bold(bool b);
    // Width of `text` in the form's font, in twips (the text-metrics service, or the
    // headless metric: characters x size x 10 twips, 10% more when bold).
    int text_width(const std::string& text) const;
    std::uint32_t back_color() const { return back_; }
    void set_back_color(std::uint32_t c);

    // Visible := true shows modeless, Visible := false hides.
    bool visible() const { return visible_; }
    void set_visible(bool v);
    // Shows without waiting and activates the form.
    void show_modeless();
    // Shows and runs a nested pump until the form is hidden or unloaded.
    void show_modal();
    // Hides; a hidden loaded form keeps its controls, values and running timers.
    void hide();
    // Unload by code: Unload(cancel) runs; unless cancelled the form is hidden, its
    // timers stop and its controls are discarded. Code may run on after it.
    void unload();
    // Repaint (tells the renderer).
    void refresh();
    // Activates the form; its remembered or first focusable control takes the focus.
    // UiFault when the form is hidden.
    void set_focus();
    bool is_active() const;
    bool is_modal() const { return modal_; }
    // The control that has (or last had) the focus on this form; null when none.
    Control* active_control() const { return focused_; }

    const std::vector<Control*>& controls() const { return controls_; }
    // Looks a control up by name (UTF-8 or Windows-1252) and, for arrays, Index.
    Control* control(std::string_view name, int index = -1) const;
    // Focusable controls in tab order (TabIndex, then creation order).
    std::vector<Control*> tab_order() const;
    // The focusable control after (or before, `back`) `from` in tab order, wrapping;
    // `from` itself need not be focusable. Null when no other control can take the focus.
    Control* next_in_tab_order(const Control& from, bool back = false) const;
    // Puts `first` at the head of the tab order, in that order; the others keep theirs.
    void lead_tab_order(std::initializer_list<Control*> first);
    // Puts `last` at the end of the tab order, in that order.
    void close_tab_order(std::initializer_list<Control*> last);
    // Marked to be closed by its frame while a transaction is underway (app.h); any
    // other window's close by the frame is refused then.
    bool closes_while_busy() const { return closes_while_busy_; }
    void set_closes_while_busy(bool c = true) { closes_while_busy_ = c; }
    // How often the user put the focus on one of its controls (a click, Tab): code
    // that yields compares it to learn whether the user moved on meanwhile.
    std::uint64_t user_focus_moves() const { return user_focus_moves_; }

    // Events.
    std::function<void()> on_load;
    std::function<void(int& cancel)> on_unload;
    std::function<void()> on_activate;
    std::function<void()> on_deactivate;
    std::function<void()> on_resize;
    std::function<void()> on_got_focus;  // only when the form itself gets the focus
    std::function<void()> on_lost_focus;

    // Layer internals.
    void raise(std::string_view event, const std::function<void()>& slot);
    void changed(std::string_view property);
    void add_control(Control* c);
    void remove_control(Control* c);
    void set_focused(Control* c) { focused_ = c; }
    void discard();  // marks dead without events (unload, end_program)
    int next_tab_index() { return next_tab_++; }
    int next_order() { return next_order_++; }
    void count_user_focus_move() { ++user_focus_moves_; }
    FormSlot* slot = nullptr;

  private:
    enum class State { constructed, loaded, dead };
    void check_movable() const;
    void resized();
    std::string name_;
    State state_ = State::constructed;
    std::string caption_;
    Rect rect_;
    int window_state_ = ws_normal;
    Font font_;
    std::uint32_t back_ = color_button_face;
    bool visible_ = false;
    bool shown_once_ = false;
    bool modal_ = false;
    bool closes_while_busy_ = false;
    Control* focused_ = nullptr;
    std::vector<Control*> controls_;
    int next_tab_ = 0;
    int next_order_ = 0;
    std::uint64_t user_focus_moves_ = 0;
};

// The global reference of one window class (see the top of this file).
// Every one is listed, loaded or not, from its construction on (`window_classes`).
class FormSlot {
  public:
    FormSlot();
    virtual ~FormSlot();
    FormSlot(const FormSlot&) = delete;
    FormSlot& operator=(const FormSlot&) = delete;
    bool loaded() const { return form_ != nullptr; }
    // Unloads the window if it is loaded (does not load it first).
    void unload();
    // Touch: the window, created and loaded on first use.
    virtual Form& touch() = 0;

  protected:
    void adopt(std::unique_ptr<Form> f);
    Form* form_ = nullptr;
    friend class Form;
    friend void reset_forms();
};

template <class F>
class FormRef : public FormSlot {
  public:
    FormRef() = default;
    F* operator->() { return &get(); }
    F& operator*() { return get(); }
    // Touch: loads on first use.
    F& get() {
        if (form_) return static_cast<F&>(*form_);
        auto f = std::make_unique<F>();
        F& ref = *f;
        adopt(std::move(f));
        ref.load();
        return ref;
    }
    F* peek() const { return static_cast<F*>(form_); }
    Form& touch() override { return get(); }
};

// The global reference of every window class, in the order they were made: a test
// reaches every window of the program through them.
std::vector<FormSlot*> window_classes();

}  // namespace dvx::ui

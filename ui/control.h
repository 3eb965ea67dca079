#pragma once
// The base of every control: identity (name, form, container, control-array index),
// the common properties (Visible, Enabled, Tag, font, colours, designed geometry in
// twips relative to the container, tab order) and the common event slots.
//
// Properties follow one naming rule: the classic property `ListIndex` is read with
// list_index() and written with set_list_index(v). Writing a property that changed
// tells the observers (observer.h). Events are std::function slots named on_<event>
// (on_click, on_key_press ...); an empty slot means no handler.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace dvx::ui {

class Form;
class Control;
class TabControl;

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Font {
    std::string name = "Arial";
    double size = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const Font&) const = default;
};

// Colours are 0x00BBGGRR like the classic toolkit; values with the top bit set are
// system colours (0x80000008 = window text, 0x80000005 = window background).
constexpr std::uint32_t color_window_text = 0x80000008u;
constexpr std::uint32_t color_window_back = 0x80000005u;
constexpr std::uint32_t color_button_face = 0x8000000Fu;

enum class Kind {
    label,
    text_box,
    combo_box,
    list_box,
    command_button,
    frame,
    check_box,
    option_button,
    list_view,
    grid,
    tab_control,
    gauge,
    vscroll_bar,
    line,
    picture,
    image,
    timer,
    menu,
    comm,
    common_dialog,
};

// One page of a tab control, as a place for controls.
struct TabPage {
    TabControl* tab = nullptr;
    int index = 0;
};

// Where a control is placed: on the form, in a frame or picture, or on a tab page.
class Parent {
  public:
    Parent(Form& form);          // NOLINT(google-explicit-constructor)
    Parent(Control& container);  // a Frame or Picture; NOLINT
    Parent(TabPage page);        // NOLINT
    Form* form = nullptr;
    Control* container = nullptr;  // null: the form itself
    int tab_page = -1;
};

class Control {
  public:
    Control(Kind kind, Parent parent, std::string name, Rect rect, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return kind_; }
    // The name as Windows-1252 bytes (UTF-8 given at construction is converted).
    const std::string& name() const { return name_; }
    // Index within its control array, -1 when it is not in one.
    int index() const { return index_; }
    Form& form() const { return *form_; }
    Control* container() const { return container_; }  // null: the form
    int tab_page() const { return tab_page_; }         // -1: not on a tab page
    // False once its form was unloaded: the control is discarded and raises nothing.
    bool alive() const;

    bool visible() const { return visible_; }  // the own flag
    void set_visible(bool v);
    // Effectively visible: own flag, containers (and the selected tab page), form.
    bool shown() const;
    bool enabled() const { return enabled_; }
    void set_enabled(bool e);
    // Enabled with every container.
    bool usable() const;
    const std::string& tag() const { return tag_; }
    void set_tag(std::string t);

    int left() const { return rect_.left; }
    int top() const { return rect_.top; }
    int width() const { return rect_.width; }
    int height() const { return rect_.height; }
    const Rect& rect() const { return rect_; }
    virtual void set_left(int v);
    virtual void set_top(int v);
    void set_width(int v);
    void set_height(int v);
    void move(int left, int top);
    void move(int left, int top, int width, int height);

    const Font& font() const { return font_; }
    void set_font(const Font& f);
    void set_font_name(std::string n);
    void set_font_size(double s);
    void set_font_bold(bool b);
    void set_font_italic(bool b);
    void set_font_underline(bool b);
    std::uint32_t fore_color() const { return fore_; }
    void set_fore_color(std::uint32_t c);
    std::uint32_t back_color() const { return back_; }
    void set_back_color(std::uint32_t c);

    // Tab order: focusable controls are visited by ascending TabIndex (creation order
    // by default), skipping those with TabStop false.
    int tab_index() const { return tab_index_; }
    void set_tab_index(int i);
    bool tab_stop() const { return tab_stop_; }
    void set_tab_stop(bool s);
    // Marked to run while a transaction is underway (app.h): the user's actions on it,
    // and a timer's ticks, are not refused then. Only for what ends what the user may end
    // meanwhile (a page's Back during its polls, a run's cancel).
    bool runs_while_busy() const { return runs_while_busy_; }
    void set_runs_while_busy(bool r = true) { runs_while_busy_ = r; }

    // Can take the focus now: a focusable kind, shown, usable.
    bool can_focus() const;
    bool has_focus() const;
    // Moves the focus here (LostFocus of the old, GotFocus of this, nested).
    // UiFault when hidden, disabled or not focusable.
    void set_focus();

    // Text of controls that have one (text box, lists, grid). Others throw UiFault,
    // like reading Text through the screen's active control of a button.
    virtual std::string text() const;

    // Events common to most controls.
    std::function<void()> on_click;
    std::function<void()> on_dbl_click;
    std::function<void()> on_got_focus;
    std::function<void()> on_lost_focus;
    std::function<void(int& key_code, int shift)> on_key_down;
    std::function<void(int& key_code, int shift)> on_key_up;
    std::function<void(int& ascii)> on_key_press;

    // Layer internals used by the input and focus code.
    virtual bool focusable_kind() const { return false; }
    virtual bool is_container() const { return false; }
    // Default action of a user click before Click is raised (toggle, select ...).
    virtual void user_click_action() {}
    // Default editing for a key that passed KeyPress / for a non-character key.
    virtual void default_char(int ascii) {}
    virtual void default_key(int key_code, int shift) {}
    int creation_order() const { return order_; }

    // Tells the observers that a property changed.
    void changed(std::string_view property);
    // Raises one event: tells the observers, then runs the slot (if the form lives).
    void raise(std::string_view event, const std::function<void()>& slot);
    void raise_key(std::string_view event, const std::function<void(int&, int)>& slot, int& key,
                   int shift);
    void raise_press(int& ascii);

  protected:
    virtual void enabled_changed() {}

  private:
    Kind kind_;
    Form* form_;
    Control* container_;
    int tab_page_;
    std::string name_;
    int index_;
    Rect rect_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string tag_;
    Font font_;
    std::uint32_t fore_ = color_window_text;
    std::uint32_t back_ = color_window_back;
    int tab_index_ = 0;
    bool tab_stop_ = true;
    bool runs_while_busy_ = false;
    int order_ = 0;
    friend class Form;
};

// Controls with a Caption (labels, buttons, frames, check and option boxes, menus).
// Captions keep "&" as set.
class CaptionControl : public Control {
  public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    void set_caption(std::string c);

  private:
    std::string caption_;
};

// Tells the observers about a control added to a loaded form (control arrays).
void announce_control(Control& c);

// A control array: members share a name and carry their Index; indexes may be sparse.
// Members are created by add() (at design time in the form's constructor, or later).
//   ControlArray<Label> scal_lab{"scal_lab"};
//   scal_lab.add(0, *this, {120, 240, 600, 255});
template <class T>
class ControlArray {
  public:
    explicit ControlArray(std::string name) : name_(std::move(name)) {}
    T& add(int index, Parent parent, Rect rect = {}) {
        auto c = std::make_unique<T>(parent, name_, rect, index);
        T& ref = *c;
        items_[index] = std::move(c);
        announce_control(ref);
        return ref;
    }
    // UiFault when no member has this index.
    T& operator[](int index) const;
    T* find(int index) const {
        auto it = items_.find(index);
        return it == items_.end() ? nullptr : it->second.get();
    }
    bool has(int index) const { return items_.count(index) != 0; }
    std::size_t size() const { return items_.size(); }
    int ubound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
    const std::string& name() const { return name_; }
    // f(index, member) for every member in index order.
    template <class F>
    void each(F f) const {
        for (auto& [i, c] : items_) f(i, *c);
    }

  private:
    std::string name_;
    std::map<int, std::unique_ptr<T>> items_;
};

[[noreturn]] void throw_no_element(const std::string& name, int index);

template <class T>
T& ControlArray<T>::operator[](int index) const {
    auto it = items_.find(index);
    if (it == items_.end()) throw_no_element(name_, index);
    return *it->second;
}

}  // namespace dvx::ui

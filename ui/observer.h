#pragma once
// Change notification for a renderer (and the test event log): every property change
// of every control and form, form life-cycle steps, focus moves and every event the
// layer raises. A renderer mirrors the objects from these calls alone, with no code
// per window. Observers are not owned; remove them before they die.
#include <string>
#include <string_view>

namespace dvx::ui {

class Control;
class Form;

// One raised event: "Click", "KeyPress", "Load" ... `control` is null for form events.
struct EventInfo {
    Form* form = nullptr;
    Control* control = nullptr;
    std::string_view event;
    std::string args;  // decimal arguments separated by blanks ("13", "40 0"), or ""
};

class Observer {
  public:
    virtual ~Observer() = default;
    // `property` is the classic property name: "Caption", "Text", "Visible", "Left",
    // "Items", "ListIndex", "Value", "TextMatrix", "Font" ...
    virtual void property_changed(Control& c, std::string_view property) {}
    virtual void form_property_changed(Form& f, std::string_view property) {}
    virtual void control_created(Control& c) {}  // runtime additions to control arrays
    virtual void form_loaded(Form& f) {}
    virtual void form_unloaded(Form& f) {}
    virtual void form_shown(Form& f) {}
    virtual void form_hidden(Form& f) {}
    virtual void form_refreshed(Form& f) {}
    virtual void focus_changed(Control* now) {}  // null: a box or no control holds it
    virtual void active_form_changed(Form* now) {}
    virtual void mouse_pointer_changed(int pointer) {}
    virtual void event_raised(const EventInfo& e) {}
    virtual void program_ended() {}
};

void add_observer(Observer* o);
void remove_observer(Observer* o);

}  // namespace dvx::ui

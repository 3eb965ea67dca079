#include "tests/support/event_log.h"

#include <algorithm>

#include "platform/cp1252.h"
#include "ui/control.h"
#include "ui/form.h"

namespace dvx::testing {

EventLog::EventLog() {
    ui::add_observer(this);
}
EventLog::~EventLog() {
    ui::remove_observer(this);
}

void EventLog::event_raised(const ui::EventInfo& e) {
    std::string who;
    if (e.control) {
        who = platform::to_utf8(e.control->name());
        if (e.control->index() >= 0) who += "(" + std::to_string(e.control->index()) + ")";
    } else {
        who = platform::to_utf8(e.form->name());
    }
    std::string line = who + "." + std::string(e.event);
    if (!e.args.empty()) line += " " + e.args;
    entries_.push_back(std::move(line));
    events_.emplace_back(e.event);
}

std::vector<std::string> EventLog::only(std::initializer_list<std::string> events) const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (std::find(events.begin(), events.end(), events_[i]) != events.end())
            out.push_back(entries_[i]);
    return out;
}

}  // namespace dvx::testing

#pragma once
// An ordered log of the events the window layer raises, for asserting order and
// nesting: "txt_a.LostFocus", "cmb_port.Click", "scal_lab(3).Click",
// "txt_a.KeyPress 13", "Hauptmenü.Load" (names in UTF-8, arguments after a blank).
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/observer.h"

namespace dvx::testing {

class EventLog final : public ui::Observer {
  public:
    EventLog();
    ~EventLog() override;
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    void event_raised(const ui::EventInfo& e) override;

    const std::vector<std::string>& all() const { return entries_; }
    // Entries whose event is one of `events` ("Click", "GotFocus" ...).
    std::vector<std::string> only(std::initializer_list<std::string> events) const;
    void clear() {
        entries_.clear();
        events_.clear();
    }

  private:
    std::vector<std::string> entries_;
    std::vector<std::string> events_;  // the event name of each entry
};

}  // namespace dvx::testing

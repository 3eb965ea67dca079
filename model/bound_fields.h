#pragma once
// The entry fields a window binds to words, each with what leaving it would do to them.
// A check of the window (the renderer's tests) compares the text a field shows with the
// words it edits through the very conversion leaving the field runs, so a field that
// shows one value while the words hold another is found without a second copy of any
// page's conversion. The binding procedures of the pages register their fields here.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"

namespace dvx::model {

class BoundFields {
  public:
    struct Field {
        const ui::TextBox* box;
        // True when leaving the box with `text` leaves its words as they are: the text is
        // what they show, or it stores what they hold already. False when it would store
        // something else or be refused.
        std::function<bool(const std::string& text)> keeps_words;
    };
    const std::vector<Field>& bound_fields() const { return fields_; }
    void watch_field(const ui::TextBox& box, std::function<bool(const std::string&)> keeps_words) {
        fields_.push_back({&box, std::move(keeps_words)});
    }

  protected:
    BoundFields() = default;
    ~BoundFields() = default;
    BoundFields(const BoundFields&) = delete;
    BoundFields& operator=(const BoundFields&) = delete;

  private:
    std::vector<Field> fields_;
};

}  // namespace dvx::model

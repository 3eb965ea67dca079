#pragma once
// The fault an operating-system service or the window layer refuses an operation with.
// Its text is what the technician reads, so callers that show "the fault's own text"
// show something fixed per kind.
#include <stdexcept>
#include <string>

namespace dvx::platform {

class Fault : public std::runtime_error {
  public:
    explicit Fault(const std::string& text) : std::runtime_error(text), text_(text) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace dvx::platform

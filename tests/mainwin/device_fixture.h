#pragma once
// The main window on the simulated bus with a user's hands: clicks, address choice,
// reading and programming the selected device, and what the bus and the boxes saw.
// Every page's tests start from here.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/mainwin/main_window_fixture.h"
#include "ui/app.h"
#include "ui/input.h"

namespace dvx::testing {

// Modbus function codes as the request log records them.
inline constexpr int read_fn = 3, write_fn = 16;

struct Request {
    int function, start, count;
    bool operator==(const Request&) const = default;
};
inline void PrintTo(const Request& r, std::ostream* os) {
    *os << "(" << r.function << ", " << r.start << ", " << r.count << ")";
}

// A transmitter's whole register file: status words, working and stored parameter
// sets, comment memory.
struct RegisterFile {
    std::vector<int> status, working, stored, comment;
};
inline RegisterFile register_file(const sim::Transmitter& t) {
    RegisterFile f;
    for (int r = 0; r < sim::status_regs; ++r) f.status.push_back(t.status(r));
    for (int p = 0; p < sim::param_regs; ++p) {
        f.working.push_back(t.param(p));
        f.stored.push_back(t.stored_param(p));
    }
    for (int i = 0; i < sim::comment_words; ++i) f.comment.push_back(t.comment_word(i));
    return f;
}
// Every register that differs, as "working 80: 5 -> 6".
inline std::vector<std::string> changes(const RegisterFile& a, const RegisterFile& b) {
    std::vector<std::string> out;
    auto diff = [&out](const char* what, const std::vector<int>& x, const std::vector<int>& y) {
        for (std::size_t i = 0; i < x.size(); ++i)
            if (x[i] != y[i])
                out.push_back(std::string(what) + " " + std::to_string(i) + ": " +
                              std::to_string(x[i]) + " -> " + std::to_string(y[i]));
    };
    diff("status", a.status, b.status);
    diff("working", a.working, b.working);
    diff("stored", a.stored, b.stored);
    diff("comment", a.comment, b.comment);
    return out;
}

class DeviceFixture : public MainWindowFixture {
  protected:
    void click(ui::Control& c) {
        user([&c] { ui::user_click(c); });
    }
    void select(int address) {
        user([this, address] { ui::user_select(main().adr_select, address - 1); });
        address_ = address;
    }
    // The selected device: by address on the direct bus, rack 1 and slot behind a gateway.
    sim::Transmitter& device() {
        return plant_->bus_mode() == 0 ? plant_->device(address_) : plant_->device(1, address_);
    }

    // Reads the selected device, answering every box with OK.
    void read() {
        boxes_.answer_all(ui::id_ok);
        click(main().B_FQN_Read);
    }
    void program() {
        boxes_.answer_all(ui::id_ok);
        click(main().B_FQN_Write);
    }

    std::vector<Request> requests() const {
        std::vector<Request> out;
        for (const auto& e : plant_->log()) out.push_back({e.function, e.start, e.count});
        return out;
    }
    std::vector<Request> writes() const {
        std::vector<Request> out;
        for (const Request& r : requests())
            if (r.function == write_fn) out.push_back(r);
        return out;
    }
    void clear_records() {
        boxes_.clear();
        plant_->clear_log();
    }
    // Runs `action` at a pump inside a link transaction (its retry pause, its wait for
    // answers still owed), as input the user gave meanwhile: outside one it looks again
    // 50 ms later (clock time: a yielding wait is not spun through), for a minute at most.
    void in_next_pause(std::function<void()> action, int tries_left = 1200, double after = 0) {
        auto attempt = [this, action = std::move(action), tries_left]() mutable {
            if (ui::transaction_underway())
                action();
            else if (tries_left > 0)
                in_next_pause(std::move(action), tries_left - 1, 0.05);
        };
        if (after > 0)
            loop_.post_after(after, std::move(attempt));
        else
            loop_.post(std::move(attempt));
    }
    std::optional<std::string> factory_copy(const std::string& name) const {
        return registry_.get_string(model::reg_key, name);
    }
    int address_ = 1;
};

}  // namespace dvx::testing

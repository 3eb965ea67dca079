#pragma once
// The model's device operations on the simulated bus: the link's bus fixture plus the
// model globals in their start state, the detached main-window bindings (family
// options, comment store) and the real message table in English behind the model's
// message lookup. Selecting a family option runs what the main window's handler
// does: is_krv follows and the message table is refilled.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "link/register_images.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/main_view_hooks.h"
#include "model/param_image.h"
#include "model/view_bindings.h"
#include "tests/link/bus_fixture.h"
#include "texts/language.h"
#include "texts/messages.h"

namespace dvx::testing {

// One request as the simulated devices saw it: function code, start register on the
// wire, register count.
struct WireRequest {
    int function, start, count;
    bool operator==(const WireRequest&) const = default;
};
inline void PrintTo(const WireRequest& r, std::ostream* os) {
    *os << "(" << r.function << ", " << r.start << ", " << r.count << ")";
}

class TransferFixture : public link::BusFixture {
  protected:
    void SetUp() override {
        BusFixture::SetUp();
        reset_model();
        texts::lang_code = "GB";
        texts::is_krv = 1;
        texts::set_lang_msg();
        auto& v = model::view_bindings();
        v.message = [](std::string_view name) {
            for (const auto& row : texts::msg_table())
                if (row.name == name) return *row.text;
            ADD_FAILURE() << "no message " << name;
            return std::string(name);
        };
        auto detached_krv = v.set_s_krv;
        auto detached_dlx = v.set_s_dlx;
        v.set_s_krv = [detached_krv](bool on) {
            detached_krv(on);
            family_clicked();
        };
        v.set_s_dlx = [detached_dlx](bool on) {
            detached_dlx(on);
            family_clicked();
        };
    }
    void TearDown() override {
        reset_model();
        texts::lang_code.clear();
        texts::is_krv = 1;
        BusFixture::TearDown();
    }

    static void reset_model() {
        model::main_view_hooks() = model::MainViewHooks{};
        model::bind_detached_view();
        model::main_view_hooks().lang_code = [] { return texts::lang_code; };
        model::param_image.fill(0);
        link::status_regs.fill(0);
        link::comment_regs.fill(0);
        model::param_count = 127;
        model::is_ni120 = 0;
        model::has_wre_tc = 0;
    }

    // The family option's Click handler of the main window, as far as texts go.
    static void family_clicked() {
        texts::is_krv = model::detached_view().s_krv ? 1 : 0;
        texts::set_lang_msg();
    }

    // (function, start, count) of every request in the simulator's log.
    std::vector<WireRequest> wire_requests() const {
        std::vector<WireRequest> out;
        for (const auto& e : plant_->log()) out.push_back({e.function, e.start, e.count});
        return out;
    }
};

}  // namespace dvx::testing

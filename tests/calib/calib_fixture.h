#pragma once
// The main window on the simulated direct bus with a transmitter read and the
// calibration level open, plus what a calibration test reads off the run: the raw
// values the device settles on, the box, the writes of the input switching.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "calib/calib_mode.h"
#include "calib/openers.h"
#include "mainwin/access_level.h"
#include "model/access.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "sim/transmitter_calib.h"
#include "tests/pages/page_fixture.h"

namespace dvx::testing {

// The devices of the default direct bus by firmware generation.
inline constexpr int krv_405 = 1, krv_416 = 17, krv_303 = 9, dlx_306 = 3;

inline std::int32_t pair(int k) {
    return model::long_from_words(model::param_image[k], model::param_image[k + 1]);
}

// Where one stored value comes from: the settled pair L(a) (minus L(b) when b is set)
// of the measured type, status word 44, the loop reading, or 0; with `multiplier`, that
// value x multiplier / L(30), rounded half to even (the scaling of firmware 3).
struct Src {
    enum Kind { l, diff, w44, loop, zero } kind;
    int a = 0, b = 0;
    std::int64_t multiplier = 0;
};
constexpr Src L(int k) {
    return {Src::l, k};
}
constexpr Src Diff(int a, int b) {
    return {Src::diff, a, b};
}
constexpr Src Scaled(Src s, std::int64_t multiplier) {
    s.multiplier = multiplier;
    return s;
}
constexpr Src W44{Src::w44};
constexpr Src Loop{Src::loop};
constexpr Src Zero{Src::zero};

struct Store {
    int word;
    Src src;
    bool is_long = true;
};

class CalibFixture : public PageFixture {
  protected:
    void SetUp() override {
        PageFixture::SetUp();
        calib::install_openers();
        calib::unrestored_inputs.clear();  // a fresh program knows no device left switched
    }

    // Starts the program, reads the transmitter at `address` with firmware `version`
    // (status word 4; 0 keeps the preset's) and opens the calibration level.
    void start_on(int address, int version = 0, const char* lang = "GB") {
        prepare(0);
        if (version) plant_->device(address).set_status(4, version);
        ASSERT_TRUE(start(0, lang));
        select(address);
        read();
        model::entered_password = model::password_level_2;
        mainwin::apply_access_level();
        clear_records();
        boxes_.answer_all(ui::id_ok);
    }

    // The calibration menu item, as the user picks it.
    void open_calibration() { click(main().m_cal_inp); }

    sim::InputCalib& calib() { return device().calib(); }
    // What the device settles on for pair k while measuring `type`.
    std::int32_t raw(int type, int k) { return sim::raw_target(type, k, calib().signal()); }

    // The writes to the input-type register and the calibration words, as (reg, value).
    std::vector<std::pair<int, int>> switching() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& e : plant_->log())
            if (e.function == write_fn && (e.start == 1099 || e.start == 57 || e.start == 59))
                out.emplace_back(e.start, e.values.empty() ? -1 : int{e.values[0]});
        return out;
    }
    std::int64_t value_of(const Src& s, int type) {
        switch (s.kind) {
            case Src::l:
            case Src::diff: {
                std::int64_t v = raw(type, s.a);
                if (s.kind == Src::diff) v -= raw(type, s.b);
                if (!s.multiplier) return v;
                const long double q = static_cast<long double>(v) * s.multiplier / raw(type, 30);
                return static_cast<std::int64_t>(std::nearbyintl(q));
            }
            case Src::w44:
                return static_cast<std::int16_t>(device().status(44));
            case Src::loop:
                return 1850000;
            case Src::zero:
                return 0;
        }
        return 0;
    }
    // Every store of `stores` holds its value for the measured `type`; every other word
    // of the image is as in `before`, but for the words in `changed`.
    void expect_stores(const std::vector<Store>& stores, int type,
                       const std::array<std::int16_t, model::param_image_size>& before,
                       std::vector<int> changed) {
        for (const Store& s : stores) {
            SCOPED_TRACE(s.word);
            const std::int64_t want = value_of(s.src, type);
            if (s.is_long) {
                EXPECT_EQ(pair(s.word), want);
                changed.push_back(s.word + 1);
            } else {
                EXPECT_EQ(model::param_image[s.word], want);
            }
            changed.push_back(s.word);
        }
        for (int p = 0; p < model::param_image_size; ++p) {
            if (std::find(changed.begin(), changed.end(), p) == changed.end()) {
                EXPECT_EQ(model::param_image[p], before[p]) << "word " << p;
            }
        }
    }

    // The gauges of a sheet and the pair each shows.
    struct GaugeWord {
        const char* gauge;
        int word;
    };
    // Puts 5 %, 10 %, 15 % ... of `limit` into the gauges' pairs, every other value
    // negative, so a gauge showing another pair or another limit is seen.
    static void put_gauge_values(const std::vector<GaugeWord>& gauges, std::int32_t limit,
                                 int first = 0) {
        for (std::size_t i = 0; i < gauges.size(); ++i) {
            const std::int32_t v = limit / 100 * percent_at(first + i);
            model::put_long(i % 2 ? -v : v, gauges[i].word);
        }
    }
    static void expect_gauges(ui::Form& sheet, const std::vector<GaugeWord>& gauges,
                              int first = 0) {
        for (std::size_t i = 0; i < gauges.size(); ++i) {
            SCOPED_TRACE(gauges[i].gauge);
            auto* g = dynamic_cast<ui::Gauge*>(sheet.control(gauges[i].gauge));
            ASSERT_NE(g, nullptr);
            EXPECT_EQ(g->value(), percent_at(first + i));
        }
    }
    static int percent_at(std::size_t i) { return 5 * static_cast<int>(i + 1); }

    // Every reference field of a second sheet (both generations take the same limits for
    // their fixed types): a value within the limits lands in its word with the field's
    // decimals, one beyond them is refused and the word keeps its value.
    void expect_second_sheet_fields(ui::Form& sheet) {
        struct Case {
            const char* field;
            int word;
            const char* typed;
            std::int16_t stored;
            const char* shown;
            const char* refused;
        };
        const Case cases[] = {
            {"ph_r1_0", 13, "600", 6000, "600.0", "600.1"},
            {"ph_r1_1", 14, "0.5", 5, "0.5", "-0.1"},
            {"ph_r2_0", 19, "5000", 5000, "5000", "5001"},
            {"ph_r2_1", 20, "12", 12, "12", "-1"},
            {"ph_ma_0", 43, "-20", -20000, "-20.000", "-20.001"},
            {"ph_ma_1", 44, "15.5", 15500, "15.500", "20.001"},
            {"ph_V_0", 49, "-10", -10000, "-10.000", "10.001"},
            {"ph_V_1", 50, "2.5", 2500, "2.500", "-10.001"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.field);
            auto* box = dynamic_cast<ui::TextBox*>(sheet.control(c.field));
            ASSERT_NE(box, nullptr);
            clear_records();
            type_into(*box, c.typed);
            leave();
            EXPECT_EQ(model::param_image[c.word], c.stored);
            EXPECT_EQ(box->text(), c.shown);
            EXPECT_TRUE(prompts().empty());
            type_into(*box, "");  // a 7-character text takes no key over its selection
            type_into(*box, c.refused);
            leave();
            EXPECT_EQ(model::param_image[c.word], c.stored);
            EXPECT_EQ(prompts().size(), 1u);
        }
    }

    int window_reads() const {
        int n = 0;
        for (const auto& e : plant_->log())
            if (e.function == read_fn && e.start == 25 && e.count == 20) ++n;
        return n;
    }
};

}  // namespace dvx::testing

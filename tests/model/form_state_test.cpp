// The shared window placement: what a save takes from a window and writes to the
// registry, what an apply puts on a window, and the guard against saves while applying.
#include "model/form_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "model/reg_settings.h"
#include "platform/file_registry.h"
#include "tests/support/processes.h"
#include "tests/support/services_fixture.h"
#include "ui/form.h"
#include "ui/services.h"

namespace dvx::model {
namespace {

// Records the order of value writes and passes everything on to the memory store.
class RecordingRegistry final : public platform::Registry {
  public:
    explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}
    bool key_exists(const std::string& key) override { return inner_.key_exists(key); }
    std::optional<platform::RegValue> query(const std::string& key,
                                            const std::string& name) override {
        return inner_.query(key, name);
    }
    bool create_key(const std::string& key) override { return inner_.create_key(key); }
    bool set_value(const std::string& key, const std::string& name,
                   const platform::RegValue& v) override {
        const std::string text(v.bytes.begin(), v.bytes.end() - (v.bytes.empty() ? 0 : 1));
        writes.emplace_back(name, text);
        return inner_.set_value(key, name, v);
    }
    std::vector<std::pair<std::string, std::string>> writes;

  private:
    platform::Registry& inner_;
};

// The main window and a page, both full-size windows.
class MainWin : public ui::Form {
  public:
    MainWin() : Form("Hauptmenü", {300, 400, 9690, 8225}) {
        on_resize = [this] {
            ++resizes;
            if (save_on_resize) save_form_state(*this);
        };
    }
    int resizes = 0;
    bool save_on_resize = false;
};

class PageWin : public ui::Form {
  public:
    PageWin() : Form("H_Inp", {1000, 1100, 12000, 9000}) {
        on_load = [this] {
            applying_at_load = applying_form_state;
            if (save_on_load) save_form_state(*this);
        };
    }
    std::int16_t applying_at_load = -1;
    static inline bool save_on_load = false;
};

ui::FormRef<MainWin> main_inst;

std::string registry_value(platform::Registry& reg, const char* name) {
    const auto v = reg.query(reg_key, name);
    if (!v || v->bytes.empty()) return "<missing>";
    return std::string(v->bytes.begin(), v->bytes.end() - 1);
}
ui::FormRef<PageWin> page_inst;

class FormState : public testing::ServicesFixture {
  protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        reset();
        ui::services().registry = &recorder_;
    }
    void TearDown() override {
        reset();
        ServicesFixture::TearDown();
    }
    static void reset() {
        form_window_state = form_top = form_left = form_width = form_height = 0;
        applying_form_state = 0;
        PageWin::save_on_load = false;
    }
    static void set_vars(int state, int top, int left, int width, int height) {
        form_window_state = static_cast<std::int16_t>(state);
        form_top = static_cast<std::int16_t>(top);
        form_left = static_cast<std::int16_t>(left);
        form_width = static_cast<std::int16_t>(width);
        form_height = static_cast<std::int16_t>(height);
    }
    std::vector<int> vars() const {
        return {form_window_state, form_top, form_left, form_width, form_height};
    }
    std::string stored(const char* name) const {
        return registry_.get_string(reg_key, name).value_or("<missing>");
    }
    RecordingRegistry recorder_{registry_};
};

TEST_F(FormState, SaveTakesThePlacementAndWritesItInItsOrder) {
    main_inst->move(-120, 450, 5000, 6000);  // smaller than the minimum, left off screen
    save_form_state(*main_inst);
    EXPECT_EQ(vars(), (std::vector<int>{0, 450, -120, 5000, 6000}));
    using W = std::pair<std::string, std::string>;
    EXPECT_EQ(recorder_.writes, (std::vector<W>{{"FORM STATE", "0"},
                                                {"FROM WI", "5000"},
                                                {"FORM HI", "6000"},
                                                {"FROM LE", "-120"},
                                                {"FROM TOP", "450"}}));
    EXPECT_EQ(stored(reg_form_width), "5000");  // saved as it is, grown only when applied
}

// The placement is one write of the store: another instance stopped while it holds the
// store's lock costs one bounded wait and one box naming the store, not one per value;
// and two windows saving at once never leave a placement mixed of both.
TEST_F(FormState, APlacementIsSavedAsOneWrite) {
    const auto path = dir_ / "registry";
    platform::FileRegistry store(path, std::chrono::milliseconds(100));
    ui::services().registry = &store;
    main_inst->move(-120, 450, 11000, 9000);
    save_form_state(*main_inst);
    {
        const testing::StoppedLockHolder other(path);
        ASSERT_TRUE(other.stopped());
        main_inst->move(0, 0, 12000, 9500);
        boxes_.answer(ui::id_ok);
        save_form_state(*main_inst);
        EXPECT_EQ(prompts(),
                  std::vector<std::string>{"The settings file is in use by another program\n" +
                                           path.string()});
    }
    EXPECT_EQ(registry_value(store, reg_form_width), "11000") << "nothing of the lost save";

    platform::FileRegistry patient(path, std::chrono::minutes(1));
    ui::services().registry = &patient;
    constexpr int windows = 3, rounds = 40;
    const auto codes = testing::run_together(windows, [&](int who) {
        for (int r = 0; r < rounds; ++r) {
            main_inst->move(who * 100 + r, who * 100 + r, 10000 + who * 100 + r,
                            9000 + who * 100 + r);
            save_form_state(*main_inst);
        }
        return 0;
    });
    ASSERT_EQ(codes, std::vector<int>(windows, 0));
    const int left = std::stoi(registry_value(patient, reg_form_left));
    EXPECT_EQ(std::stoi(registry_value(patient, reg_form_top)), left);
    EXPECT_EQ(std::stoi(registry_value(patient, reg_form_width)), 10000 + left);
    EXPECT_EQ(std::stoi(registry_value(patient, reg_form_height)), 9000 + left);
    EXPECT_EQ(left % 100, rounds - 1) << "the last placement of one window";
}

TEST_F(FormState, ApplyGrowsToTheMinimumAndSetsTopLeftWidthHeight) {
    main_inst->move(-120, 450, 5000, 6000);
    page_inst->move(1, 2, 3, 4);
    copy_form_state(*main_inst, page_inst);
    EXPECT_EQ(form_width, 9690);
    EXPECT_EQ(form_height, 8225);
    EXPECT_EQ(page_inst->window_state(), ui::ws_normal);
    EXPECT_EQ(page_inst->top(), 450);
    EXPECT_EQ(page_inst->left(), -120);
    EXPECT_EQ(page_inst->width(), 9690);
    EXPECT_EQ(page_inst->height(), 8225);
    EXPECT_EQ(applying_form_state, 0);
    // The registry keeps what was saved; the next save of the page writes the grown size.
    EXPECT_EQ(stored(reg_form_width), "5000");
    copy_form_state(*page_inst, *main_inst);
    EXPECT_EQ(stored(reg_form_width), "9690");
    EXPECT_EQ(main_inst->width(), 9690);
}

// A maximised window hands on only its state; the page's own normal placement stays.
TEST_F(FormState, MaximisedMainWindowGivesAMaximisedPage) {
    main_inst->set_window_state(ui::ws_maximized);
    page_inst->move(1000, 1100, 12000, 9000);
    copy_form_state(*main_inst, page_inst);
    EXPECT_EQ(page_inst->window_state(), ui::ws_maximized);
    const ui::Rect r = page_inst->normal_rect();
    EXPECT_EQ(std::vector<int>({r.left, r.top, r.width, r.height}),
              std::vector<int>({1000, 1100, 12000, 9000}));
    EXPECT_EQ(stored(reg_form_state), "2");
}

// A minimised window reports its position beyond 16 bits: those two values keep what
// the last save took, the others are still taken.
TEST_F(FormState, MinimisedPositionOutside16BitsKeepsThePreviousValues) {
    main_inst->move(300, 400, 11000, 9000);
    save_form_state(*main_inst);
    main_inst->set_window_state(ui::ws_minimized);
    ASSERT_LT(main_inst->left(), -32768);
    save_form_state(*main_inst);
    EXPECT_EQ(vars(), (std::vector<int>{1, 400, 300, 11000, 9000}));
    EXPECT_EQ(stored(reg_form_left), "300");
    EXPECT_EQ(stored(reg_form_state), "1");
}

// The load of a window that the apply touches first asks for a save: dropped, and the
// page takes the placement that was being applied.
TEST_F(FormState, SaveWhileApplyingIsDropped) {
    set_vars(0, 500, 600, 10000, 9000);
    PageWin::save_on_load = true;
    ASSERT_FALSE(page_inst.loaded());
    apply_form_state(page_inst);
    ASSERT_TRUE(page_inst.loaded());
    EXPECT_EQ(page_inst->applying_at_load, 1);  // loaded inside the apply
    EXPECT_EQ(vars(), (std::vector<int>{0, 500, 600, 10000, 9000}));
    EXPECT_TRUE(recorder_.writes.empty());
    EXPECT_EQ(page_inst->left(), 600);
    EXPECT_EQ(page_inst->width(), 10000);
    EXPECT_EQ(applying_form_state, 0);

    // The same for a save from the Resize that applying raises.
    main_inst->save_on_resize = true;
    set_vars(0, 10, 20, 11111, 9999);
    apply_form_state(*main_inst);
    EXPECT_GT(main_inst->resizes, 0);
    EXPECT_TRUE(recorder_.writes.empty());
    EXPECT_EQ(main_inst->width(), 11111);
}

// Faults of single steps are skipped: an invalid state (the start's mark 3) leaves the
// window as it was, and a refused registry write is not reported.
TEST_F(FormState, FaultsAreSkippedSilently) {
    main_inst->move(300, 400, 11000, 9000);
    set_vars(3, 1, 2, 10000, 9000);
    apply_form_state(*main_inst);
    EXPECT_EQ(main_inst->window_state(), ui::ws_normal);
    EXPECT_EQ(main_inst->left(), 300);
    EXPECT_EQ(applying_form_state, 0);

    registry_.refuse_create = true;
    registry_.refuse_set = true;
    save_form_state(*main_inst);  // no box: an unscripted one would fail the test
    EXPECT_EQ(vars(), (std::vector<int>{0, 400, 300, 11000, 9000}));
    EXPECT_TRUE(boxes_.shown().empty());
}

}  // namespace
}  // namespace dvx::model

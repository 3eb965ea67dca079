// Setting one parameter on all devices behind an HZL3 gateway, through the main window's
// bulk frame on the simulated default HZL3 plant: the list comes from a real gateway
// scan, the value from the image of a device read before. What each device receives
// (request log and register files), the boxes, cancel and the devices that fail.
#include "mainwin/bulk_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/address_map.h"
#include "link/register_images.h"
#include "mainwin/progress_boxes.h"
#include "model/param_image.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/messages.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using sim::Fault;

// A write as the bus saw it: unit and register on the wire, the values.
struct Write {
    int unit;
    int start;
    std::vector<std::uint16_t> values;
    bool operator==(const Write&) const = default;
};
void PrintTo(const Write& w, std::ostream* os) {
    *os << "unit " << w.unit << " @" << w.start << " [";
    for (auto v : w.values) *os << v << " ";
    *os << "]";
}

struct Place {
    int rack, slot;
};

// The rows the default HZL3 plant's scan lists, in list order.
const std::vector<Place> listed{{1, 1}, {1, 16}, {1, 17}, {1, 32}, {2, 3}, {2, 4}, {17, 1}};

std::string name_of(Place d) {
    return "rack " + std::to_string(d.rack) + " slot " + std::to_string(d.slot);
}

class BulkSet : public DeviceFixture {
  protected:
    // HZL3 mode, the gateway scanned, the device at rack 1 slot 1 read: its image (and
    // its 140-word count) is what the bulk set copies from.
    void start_scanned(const char* lang = "GB") {
        write_checked("HZL3_mod.cfg", "1");
        ASSERT_TRUE(start(2, lang));
        boxes_.answer_all(ui::id_ok);
        click(main().Command3D4);
        ASSERT_EQ(main().liv_scan.item_count(), static_cast<int>(listed.size()));
        select_place({1, 1});
        read();
        ASSERT_EQ(model::param_count, 140);
        clear_records();
    }
    void select_place(Place d) {
        user([this, d] { ui::user_select(main().cmb_rack, d.rack - 1); });
        select(d.slot);
        selected_ = d;
    }
    void choose(int position) {
        user([this, position] { ui::user_select(main().cmb_bulk_param, position); });
    }
    // Presses the button, answering the question with `answer` and every other box OK.
    void bulk_set(int answer = ui::id_ok) {
        boxes_.answer(answer, texts::msg_bulk_confirm);
        boxes_.answer_all(ui::id_ok);
        click(main().cmd_bulk_set);
    }
    sim::Transmitter& at(Place d) { return plant_->device(d.rack, d.slot); }

    std::map<std::string, RegisterFile> files() {
        std::map<std::string, RegisterFile> out;
        for (auto& [r, rack] : plant_->gateway().racks())
            for (auto& [s, t] : rack.slots()) out[name_of({r, s})] = register_file(t);
        return out;
    }
    // Every register that changed, per device.
    std::map<std::string, std::vector<std::string>> changed_since(
        const std::map<std::string, RegisterFile>& before) {
        std::map<std::string, std::vector<std::string>> out;
        for (const auto& [name, file] : files())
            if (auto c = changes(before.at(name), file); !c.empty()) out[name] = c;
        return out;
    }
    std::vector<Write> logged_writes() const {
        std::vector<Write> out;
        for (const auto& e : plant_->log())
            if (e.function == write_fn) out.push_back({e.unit, e.start, e.values});
        return out;
    }
    // The writes one device gets: the word, then the store command, each sent as often
    // as given (a failing exchange is sent four times).
    static std::vector<Write> writes_for(Place d, int word, std::uint16_t value,
                                         int param_sends = 1, int store_sends = 1) {
        const auto param = link::map_address(2, d.slot - 1, d.rack - 1, 1000 + word);
        const auto store = link::map_address(2, d.slot - 1, d.rack - 1, 56);
        std::vector<Write> out(param_sends, {param.unit, param.reg, {value}});
        out.insert(out.end(), store_sends, {store.unit, store.reg, {1}});
        return out;
    }
    // The lists select the place, and their texts show it.
    void expect_selection(Place d) {
        EXPECT_EQ(main().cmb_rack.list_index(), d.rack - 1);
        EXPECT_EQ(main().adr_select.list_index(), d.slot - 1);
        EXPECT_EQ(main().cmb_rack.text(), std::to_string(d.rack));
        EXPECT_EQ(main().adr_select.text(), std::to_string(d.slot));
    }
    int box_loads() const {
        const auto loads = log_.only({"Load"});
        return static_cast<int>(std::count(loads.begin(), loads.end(), "bulk_update.Load"));
    }
    // A fresh program and plant for the next row of a table.
    void next_case() {
        ui::reset_forms();
        reset_globals();
        prepare(2);
    }
    // The box gone, the default pointer, the device selected before the run selected again.
    void expect_ended() {
        EXPECT_FALSE(mainwin::bulk_update_inst.loaded());
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        expect_selection(selected_);
    }
    Place selected_{0, 0};
};

// ---- Every listed device gets the word and the store command, nothing else ----------

struct ValueRow {
    const char* name;
    int position;
    int word;
    std::int16_t value;
};

const ValueRow value_rows[] = {
    {"start_of_range", 0, 97, 150},
    // Written raw: a negative word goes on the wire as its 16-bit pattern.
    {"min_limit_negative", 5, 103, -250},
    {"filter_time_extreme", 2, 100, 32767},
    // Word 128: only the devices that hold it keep it; the 127-word DLX devices
    // acknowledge the write and drop it.
    {"tc_open_circuit", 12, 128, 500},
};

TEST_F(BulkSet, WritesTheChosenWordIntoEveryListedDeviceAndNothingElse) {
    for (const ValueRow& row : value_rows) {
        SCOPED_TRACE(row.name);
        start_scanned();
        // A device added after the scan is not in the list and must not be written.
        plant_->rack(2).add(5, sim::Transmitter(11, 411));
        model::param_image[row.word] = row.value;
        choose(row.position);
        const auto before = files();
        const auto image_before = model::param_image;

        bulk_set();

        EXPECT_EQ(prompts(),
                  (std::vector<std::string>{texts::msg_bulk_confirm, texts::msg_bulk_done}));
        EXPECT_EQ(titles(), (std::vector<std::string>{"DORVANEX", "DORVANEX"}));
        EXPECT_EQ(boxes_.shown().front().style, ui::mb_ok_cancel);
        std::vector<Write> expected;
        for (Place d : listed) {
            auto w = writes_for(d, row.word, static_cast<std::uint16_t>(row.value));
            expected.insert(expected.end(), w.begin(), w.end());
        }
        EXPECT_EQ(logged_writes(), expected);
        const auto sent = writes();
        EXPECT_TRUE(
            std::all_of(sent.begin(), sent.end(), [](const Request& r) { return r.count == 1; }));
        EXPECT_EQ(sent.size(), requests().size()) << "the bulk set reads nothing";

        std::map<std::string, std::vector<std::string>> want;
        for (Place d : listed) {
            const auto& f = before.at(name_of(d));
            if (row.word >= at(d).param_count()) continue;
            const std::string from = std::to_string(f.working[row.word]);
            const std::string to = std::to_string(row.value);
            want[name_of(d)] = {"working " + std::to_string(row.word) + ": " + from + " -> " + to,
                                "stored " + std::to_string(row.word) + ": " +
                                    std::to_string(f.stored[row.word]) + " -> " + to};
        }
        EXPECT_EQ(changed_since(before), want);
        EXPECT_EQ(model::param_image, image_before) << "the image is only read";
        EXPECT_EQ(link::status_regs[56], 1);
        expect_ended();
        next_case();
    }
}

// ---- Nothing happens ---------------------------------------------------------------

TEST_F(BulkSet, NothingIsWrittenWithoutAParameterAConfirmationOrAList) {
    struct Row {
        const char* name;
        bool scanned;
        int position;
        int answer;
        std::vector<std::string> prompts;
    };
    const Row rows[] = {
        {"no_parameter_chosen", true, -1, ui::id_ok, {}},
        {"question_cancelled", true, 2, ui::id_cancel, {"confirm"}},
        {"empty_list", false, 2, ui::id_ok, {"confirm", "empty"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.scanned) {
            start_scanned();
        } else {
            write_checked("HZL3_mod.cfg", "1");
            ASSERT_TRUE(start(2));
            clear_records();
        }
        if (row.position >= 0) choose(row.position);
        const auto selection =
            std::pair(main().cmb_rack.list_index(), main().adr_select.list_index());
        log_.clear();
        if (!row.prompts.empty()) boxes_.answer(row.answer, texts::msg_bulk_confirm);
        boxes_.answer_all(ui::id_ok);
        click(main().cmd_bulk_set);

        std::vector<std::string> want;
        for (const auto& p : row.prompts)
            want.push_back(p == "confirm" ? texts::msg_bulk_confirm : texts::msg_bulk_list_empty);
        EXPECT_EQ(prompts(), want);
        EXPECT_TRUE(requests().empty());
        EXPECT_EQ(box_loads(), 0) << "no progress box";
        EXPECT_EQ(std::pair(main().cmb_rack.list_index(), main().adr_select.list_index()),
                  selection);
        next_case();
    }
}

// ---- A device that fails stops the run ---------------------------------------------

TEST_F(BulkSet, ADeviceThatFailsStopsTheRunAfterTwoBoxes) {
    const Place second = listed[1];
    struct Row {
        const char* name;
        std::function<void(sim::Plant&)> fault;
        int param_sends, store_sends;  // to the failing device
        bool second_keeps_word_unstored;
    };
    const Row rows[] = {
        // The gateway answers for the silent transmitter with its exception.
        {"silent_device", [](sim::Plant& p) { p.device(1, 16).set_silent(true); }, 4, 0, false},
        {"silent_device_silent_gateway",
         [](sim::Plant& p) {
             p.device(1, 16).set_silent(true);
             p.gateway().set_silent_when_unreachable(true);
         },
         4, 0, false},
        // The word arrives but the store command does not: the device would lose the
        // word at its next power-up, so it is not counted as updated.
        {"store_command_lost",
         [](sim::Plant& p) {
             const auto store = link::map_address(2, 15, 0, 56);
             p.fault(Fault::silent()
                         .unit(store.unit)
                         .function(write_fn)
                         .registers(store.reg, store.reg));
         },
         1, 4, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        start_scanned();
        model::param_image[100] = 77;
        choose(2);
        row.fault(*plant_);
        const auto before = files();

        bulk_set();

        EXPECT_EQ(prompts(), (std::vector<std::string>{texts::msg_bulk_confirm,
                                                       texts::msg_params_not_transmitted,
                                                       texts::msg_bulk_aborted}));
        EXPECT_EQ(titles(), (std::vector<std::string>(3, "DORVANEX")));
        // The devices after the failing one are not addressed.
        auto expected = writes_for(listed[0], 100, 77);
        const auto failing = writes_for(second, 100, 77, row.param_sends, row.store_sends);
        expected.insert(expected.end(), failing.begin(), failing.end());
        EXPECT_EQ(logged_writes(), expected);
        std::map<std::string, std::vector<std::string>> want{
            {name_of(listed[0]),
             {"working 100: " + std::to_string(before.at(name_of(listed[0])).working[100]) +
                  " -> 77",
              "stored 100: " + std::to_string(before.at(name_of(listed[0])).stored[100]) +
                  " -> 77"}}};
        if (row.second_keeps_word_unstored)
            want[name_of(second)] = {
                "working 100: " + std::to_string(before.at(name_of(second)).working[100]) +
                " -> 77"};
        EXPECT_EQ(changed_since(before), want);
        expect_ended();
        next_case();
    }
}

// ---- Cancel --------------------------------------------------------------------------

TEST_F(BulkSet, CancelStopsAfterTheDeviceBeingWritten) {
    struct Row {
        const char* name;
        bool during_the_write;
    };
    // The press is heard either in the run's yield before the first device's write, or
    // during that write, where the line wait does not yield: both stop before row 2.
    const Row rows[] = {{"pressed_at_the_yield", false}, {"pressed_during_the_write", true}};
    auto press_cancel = [this] {
        loop_.post([] {
            if (auto* box = mainwin::bulk_update_inst.peek()) ui::user_click(box->Command3D1);
        });
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        start_scanned();
        model::param_image[97] = 321;
        choose(0);
        if (row.during_the_write) {
            bool pressed = false;
            at(listed[0]).set_live([&pressed, press_cancel](sim::Transmitter&, double) {
                if (!pressed) press_cancel();
                pressed = true;
            });
            bulk_set();
        } else {
            ui::ScriptedBoxes::Answer confirm;
            confirm.expect_prompt = texts::msg_bulk_confirm;
            confirm.before = press_cancel;
            boxes_.answer(confirm);
            boxes_.answer_all(ui::id_ok);
            click(main().cmd_bulk_set);
        }

        EXPECT_EQ(prompts(),
                  (std::vector<std::string>{texts::msg_bulk_confirm, texts::msg_bulk_aborted}));
        EXPECT_EQ(logged_writes(), writes_for(listed[0], 97, 321));
        EXPECT_EQ(at(listed[0]).stored_param(97), 321);
        expect_ended();
        next_case();
    }
}

// ---- The progress box ----------------------------------------------------------------

TEST_F(BulkSet, ProgressBoxNamesTheDeviceBeingWrittenUnderTheHourglass) {
    struct Seen {
        std::string title, krv, krv_no, bnr, bnr_no, cancel;
        int pointer;
        bool visible;
    };
    std::vector<Seen> seen;
    for (const char* lang : {"D", "GB", "NL"}) {
        SCOPED_TRACE(lang);
        seen.clear();
        start_scanned(lang);
        choose(3);
        at({2, 4}).set_live([&seen](sim::Transmitter&, double) {
            const auto* b = mainwin::bulk_update_inst.peek();
            if (!b) return;
            seen.push_back({b->caption(), b->Label1.caption(), b->lbl_krv_no.caption(),
                            b->lbl_rack.caption(), b->lbl_rack_no.caption(),
                            b->Command3D1.caption(), ui::mouse_pointer(), b->visible()});
        });
        bulk_set();
        ASSERT_EQ(seen.size(), 2u) << "the word and the store command";
        const std::string cancel = lang == std::string("D")    ? "Abbrechen"
                                   : lang == std::string("GB") ? "Cancel"
                                                               : "Afbreken";
        for (const Seen& s : seen) {
            EXPECT_EQ(s.title, "Bulk Update");
            EXPECT_EQ(s.krv, "KRV:");
            EXPECT_EQ(s.krv_no, "4");
            EXPECT_EQ(s.bnr, "BNR:");
            EXPECT_EQ(s.bnr_no, "2");
            EXPECT_EQ(s.cancel, cancel);
            EXPECT_EQ(s.pointer, ui::mp_hourglass);
            EXPECT_TRUE(s.visible);
        }
        EXPECT_EQ(prompts().back(), texts::msg_bulk_done);
        expect_ended();
        next_case();
    }
}

// ---- The device in hand after the run ----------------------------------------------

// However the run ends, the program button afterwards writes the set shown, TAG and
// all, into the device it was read from, and no other device changes.
TEST_F(BulkSet, AfterEveryEndTheProgramButtonWritesTheDeviceInHand) {
    enum class End { all_done, failed_write, cancelled, run_time_failure };
    struct Row {
        const char* name;
        End end;
        const std::string* last_box;  // the table fills the texts at the start
    };
    const std::string type_mismatch = "Type mismatch";
    const Row rows[] = {
        {"all_done", End::all_done, &texts::msg_bulk_done},
        {"failed_write", End::failed_write, &texts::msg_bulk_aborted},
        {"cancelled", End::cancelled, &texts::msg_bulk_aborted},
        {"run_time_failure", End::run_time_failure, &type_mismatch},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        start_scanned();
        // The last listed device has TT-201's firmware: a set sent there would be taken.
        sim::Transmitter& last = at(listed.back());
        last.set_status(0, 11);
        last.set_status(4, 411);
        last.set_param_count(140);
        last.set_tag(" TT-307 ");
        // TT-201's filter time edited for every device; a second word for it alone.
        model::param_image[100] = 77;
        model::param_image[101] = 1234;
        choose(2);
        bool pressed = false;
        switch (row.end) {
            case End::all_done:
                break;
            case End::failed_write:
                at(listed[1]).set_silent(true);
                break;
            case End::cancelled:  // during the first device's write
                at(listed[0]).set_live([this, &pressed](sim::Transmitter&, double) {
                    if (!pressed)
                        loop_.post([] { ui::user_click(mainwin::bulk_update_inst->Command3D1); });
                    pressed = true;
                });
                break;
            case End::run_time_failure:
                main().liv_scan.item(3).set_text("x");
                break;
        }

        bulk_set();

        ASSERT_EQ(prompts().back(), *row.last_box);
        expect_ended();
        EXPECT_EQ(main().Komentar1.text(), " TT-201 ");
        const auto before = files();
        const auto image = model::param_image;
        clear_records();

        program();

        EXPECT_EQ(prompts().back(), "parameters transmited.");
        const std::string tt201 = name_of({1, 1});
        const auto changed = changed_since(before);
        EXPECT_EQ(changed.size(), 1u);
        EXPECT_EQ(changed.count(tt201), 1u);
        for (const auto& [name, c] : changed) {
            EXPECT_EQ(name, tt201) << "no other device changes";
        }
        for (int p = 0; p < model::param_count; ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(at({1, 1}).param(p), image[p]);
            EXPECT_EQ(at({1, 1}).stored_param(p), image[p]);
        }
        EXPECT_EQ(at({1, 1}).tag(), " TT-201 ");
        next_case();
    }
}

// A row whose rack is no number is a fault of the run: its text is shown and the run
// ends; the devices before it keep the new word.
TEST_F(BulkSet, ARowThatIsNoNumberEndsTheRunWithTheFaultText) {
    start_scanned();
    model::param_image[107] = 12;
    choose(8);
    main().liv_scan.item(2).set_text("x");

    bulk_set();

    EXPECT_EQ(prompts(), (std::vector<std::string>{texts::msg_bulk_confirm, "Type mismatch"}));
    EXPECT_EQ(titles(), (std::vector<std::string>{"DORVANEX", "DORVANEX"}));
    EXPECT_EQ(logged_writes(), writes_for(listed[0], 107, 12));
    expect_ended();
}

// With a 127-word set in hand (a DLX read), word 128 is not in the image: the link sends
// nothing, and the first device already stops the run.
TEST_F(BulkSet, AWordBeyondTheSetInHandIsSentToNoDevice) {
    start_scanned();
    select_place({1, 16});
    read();
    ASSERT_EQ(model::param_count, 127);
    clear_records();
    choose(12);

    bulk_set();

    EXPECT_EQ(prompts(),
              (std::vector<std::string>{texts::msg_bulk_confirm, texts::msg_params_not_transmitted,
                                        texts::msg_bulk_aborted}));
    EXPECT_TRUE(requests().empty());
    expect_ended();
}

}  // namespace
}  // namespace dvx::testing

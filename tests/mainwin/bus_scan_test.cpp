// The bus scans through the main window's search button on the simulated plant of each
// bus mode: the rows that come out, what the scan leaves in the image, the fields and
// the selections, what it sends, and the clicks in the lists.
#include "mainwin/bus_scan.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "mainwin/progress_boxes.h"
#include "model/param_words.h"
#include "tests/mainwin/device_fixture.h"
#include "ui/app.h"
#include "ui/fault.h"

namespace dvx::testing {
namespace {

using sim::Fault;

// A liv_scan row as rack, slot, serial number and TAG.
struct ScanRow {
    std::string rack, slot, serial, tag;
    bool operator==(const ScanRow&) const = default;
};
void PrintTo(const ScanRow& r, std::ostream* os) {
    *os << r.rack << "/" << r.slot << " " << r.serial << " " << r.tag;
}

class BusScan : public DeviceFixture {
  protected:
    bool start_mode(int mode, const char* lang = "GB") {
        if (mode == 1) write_checked("HZL_mod.cfg", "1");
        if (mode == 2) write_checked("HZL3_mod.cfg", "1");
        return start(mode, lang);
    }
    void scan() {
        boxes_.answer_all(ui::id_ok);
        click(main().Command3D4);
    }
    std::vector<std::string> dev_rows() {
        std::vector<std::string> out;
        for (int i = 0; i < main().dev_list.list_count(); ++i)
            out.push_back(main().dev_list.list(i));
        return out;
    }
    std::vector<ScanRow> scan_rows() {
        std::vector<ScanRow> out;
        const auto& view = main().liv_scan;
        for (int i = 1; i <= view.item_count(); ++i) {
            const auto& item = view.item(i);
            out.push_back({item.text(), item.sub_item(1), item.sub_item(2), item.sub_item(3)});
        }
        return out;
    }
    // The units a scan asked, in order, without repeats in a row.
    std::vector<int> units() const {
        std::vector<int> out;
        for (const auto& e : plant_->log())
            if (out.empty() || out.back() != e.unit) out.push_back(e.unit);
        return out;
    }
    // The device at a direct-bus address with its words 0..count-1 marked.
    void mark(int address) {
        auto& d = plant_->device(address);
        for (int p = 0; p < d.param_count(); ++p)
            if (p != 113 && (p < 119 || p > 126)) d.set_param(p, (p * 37 + address) % 30000);
    }
    void expect_image_of(sim::Transmitter& d) {
        ASSERT_EQ(model::param_count, d.param_count());
        for (int p = 0; p < d.param_count(); ++p)
            ASSERT_EQ(model::param_image[p], d.param(p)) << "word " << p;
    }
};

// ---- Direct bus -------------------------------------------------------------------

TEST_F(BusScan, DirectScanListsEveryTransmitterInAddressOrderAndKeepsTheLast) {
    ASSERT_TRUE(start_mode(0));
    // A gateway and a concentrator on the line are passed over.
    plant_->add(40, 32, 203);
    plant_->add(41, 31, 105);
    for (int a : {1, 3, 9, 17, 20, 33}) mark(a);
    auto& m = main();
    const bool krv_option = m.S_KRV.value();
    const std::string snapshot = mainwin::param_snapshot;
    const auto registry_writes = registry_.writes;
    const double t0 = clock_.now();

    scan();

    EXPECT_EQ(dev_rows(), (std::vector<std::string>{
                              "  1   21040001    TT-101 ",
                              "  3   19110203    FT-205 ",
                              "  9   17090917    TI-309 ",
                              " 17   22120017   OFEN-17 ",
                              " 20   20040420    PI-420 ",
                              " 33   22030033   K\xDCHL-33 ",
                          }));
    EXPECT_TRUE(boxes_.shown().empty()) << "a scan passes silent addresses without a word";
    // Address 33 is a KRV 4.10 with 140 words: its whole set, words 127..139 included.
    expect_image_of(plant_->device(33));
    EXPECT_EQ(m.adr_select.list_index(), 32);
    EXPECT_EQ(m.curr_version.text(), "4.10");
    EXPECT_EQ(m.v_mode.text(), std::to_string(plant_->device(33).status(26) >> 8));
    EXPECT_EQ(m.in_use.text(), "1");
    EXPECT_EQ(m.Ser_No.text(), "22030033");
    EXPECT_EQ(m.Komentar1.text(), "K\xDCHL-33 ");
    EXPECT_EQ(link::status_regs[0], 15);
    EXPECT_FALSE(mainwin::adr_seek_inst.loaded());
    // Only the read button sets the family, the snapshot and the factory copy.
    EXPECT_EQ(m.S_KRV.value(), krv_option);
    EXPECT_EQ(mainwin::param_snapshot, snapshot);
    EXPECT_EQ(registry_.writes, registry_writes);
    // 249 silent addresses at four sends of 1.1 s each: minutes of virtual time.
    EXPECT_GT(clock_.now() - t0, 249 * 4.0);
    // Every address from 1 to 255 was asked for its type, none twice when it answered.
    std::vector<int> asked;
    for (const auto& e : plant_->log())
        if (e.start == 0 && (asked.empty() || asked.back() != e.unit)) asked.push_back(e.unit);
    ASSERT_EQ(asked.size(), 255u);
    EXPECT_EQ(asked.front(), 1);
    EXPECT_EQ(asked.back(), 255);
}

TEST_F(BusScan, DirectScanStartsAtTheSelectedAddress) {
    struct Row {
        const char* name;
        int selected;  // list position before the scan
        std::vector<int> units;
        int selected_after;
    };
    const Row rows[] = {
        // Address 255 alone: nothing there, the selection stays.
        {"last_address", 254, {255}, 254},
        // Address 33 and upwards: 33 is listed and selected.
        {"from_33", 32, {33, 34}, 32},
        // No address selected: address 1 is the first tried, never the broadcast address 0.
        {"nothing_selected", -1, {1, 2}, 32},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(start_mode(0));
        main().adr_select.set_list_index(row.selected);
        clear_records();
        scan();
        const auto u = units();
        ASSERT_GE(u.size(), row.units.size());
        EXPECT_EQ(std::vector<int>(u.begin(), u.begin() + static_cast<long>(row.units.size())),
                  row.units);
        EXPECT_EQ(u.back(), 255);
        EXPECT_EQ(main().adr_select.list_index(), row.selected_after);
        ui::reset_forms();
        reset_globals();
        prepare(0);
    }
}

// The box's cancel button hides it, its frame unloads it: either stops the scan alike.
TEST_F(BusScan, CancelFinishesTheDeviceInHandAndSelectsTheLastFound) {
    struct Row {
        const char* name;
        std::function<void()> stop;
    };
    const Row rows[] = {
        {"cancel_button", [] { ui::user_click(mainwin::adr_seek_inst->Command3D1); }},
        {"closed_by_its_frame", [] { ui::user_close(*mainwin::adr_seek_inst); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        prepare(0);
        // The user stops the scan while the device at address 3 is being read.
        bool pressed = false;
        plant_->device(3).set_live([this, &pressed, &row](sim::Transmitter&, double) {
            if (pressed) return;
            pressed = true;
            loop_.post(row.stop);
        });
        ASSERT_TRUE(start_mode(0));
        scan();
        EXPECT_TRUE(pressed);
        EXPECT_EQ(dev_rows(), (std::vector<std::string>{"  1   21040001    TT-101 ",
                                                        "  3   19110203    FT-205 "}));
        EXPECT_EQ(units(), (std::vector<int>{1, 2, 3})) << "the loop ends before address 4";
        EXPECT_EQ(main().adr_select.list_index(), 2);
        expect_image_of(plant_->device(3));
        EXPECT_FALSE(mainwin::adr_seek_inst.loaded());
        ui::reset_forms();
        reset_globals();
    }
}

// The same while the empty address 2 waits in a retry pause, where the user's other
// commands are refused: the cancel is heard and the scan stops before address 3.
TEST_F(BusScan, CancelWhileAnAddressWaitsInARetryPauseStopsTheScan) {
    const std::vector<std::pair<const char*, std::function<void()>>> stops = {
        {"cancel_button", [] { ui::user_click(mainwin::adr_seek_inst->Command3D1); }},
        {"closed_by_its_frame", [] { ui::user_close(*mainwin::adr_seek_inst); }},
    };
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        prepare(0);
        bool asked = false, heard = false;
        plant_->device(1).set_live([this, &asked, &heard, stop = stop](sim::Transmitter&, double) {
            if (asked) return;
            asked = true;
            in_next_pause([&heard, stop] {
                stop();
                heard = !mainwin::adr_seek_inst->visible();
            });
        });
        ASSERT_TRUE(start_mode(0));
        scan();
        EXPECT_TRUE(heard);
        EXPECT_EQ(dev_rows(), std::vector<std::string>{"  1   21040001    TT-101 "});
        EXPECT_EQ(units(), (std::vector<int>{1, 2})) << "the loop ends before address 3";
        EXPECT_FALSE(mainwin::adr_seek_inst.loaded());
        ui::reset_forms();
        reset_globals();
    }
}

// A port lost for good fails the echo probe: the probe's one box, then no scan at all.
TEST_F(BusScan, PortFaultEndsEveryScanBeforeItChangesAnything) {
    for (const int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        prepare(mode);
        ASSERT_TRUE(start_mode(mode));
        auto& m = main();
        scan();  // a good scan first: its rows must stay
        const auto rows_before = dev_rows();
        const auto scan_rows_before = scan_rows();
        ASSERT_FALSE(mode == 0 ? rows_before.empty() : scan_rows_before.empty());
        m.cmb_rack.set_list_index(mode == 0 ? -1 : 1);
        m.adr_select.set_list_index(6);
        const auto image = model::param_image;
        port_->lose_line();
        port_->set_open_fault(sim::OpenFault::no_such_port);
        clear_records();
        scan();
        ASSERT_EQ(boxes_.shown().size(), 1u) << "only the probe's fault";
        EXPECT_TRUE(plant_->log().empty());
        EXPECT_FALSE(mainwin::adr_seek_inst.loaded());
        EXPECT_EQ(dev_rows(), rows_before);
        EXPECT_EQ(scan_rows(), scan_rows_before);
        EXPECT_EQ(m.adr_select.list_index(), 6);
        EXPECT_EQ(model::param_image, image);
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        ui::reset_forms();
        reset_globals();
        for (const char* marker : {"HZL_mod.cfg", "HZL3_mod.cfg"}) write_raw(marker, "");
    }
}

// The line lost in the middle of a scan (the simulator stopped; it cannot be opened until
// it is back): the scan ends there with the rows found so far and says so once. The port
// is not given up meanwhile: the next operation opens it again once the line is back, and
// only a line still gone then gives it up, told by that operation's probe alone.
TEST_F(BusScan, ALostLineEndsTheScanToldAndTheNextOperationOpensThePortAgain) {
    struct Case {
        const char* name;
        int mode;
        int rack;  // 0: a device on the direct bus
        int device;
        std::size_t rows;  // the rows before the lost device
        bool titled;
    };
    const Case cases[] = {
        {"direct bus", 0, 0, 9, 2, true},
        {"hzl", 1, 3, 5, 3, false},
        {"hzl3", 2, 2, 3, 4, false},
    };
    for (const Case& c : cases) {
        for (const bool back : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (back ? ", line back" : ", line gone"));
            prepare(c.mode);
            ASSERT_TRUE(start_mode(c.mode));
            auto& m = main();
            sim::Transmitter& lost_at =
                c.rack ? plant_->device(c.rack, c.device) : plant_->device(c.device);
            lost_at.set_live([this](sim::Transmitter&, double) {
                port_->lose_line();
                port_->set_open_fault(sim::OpenFault::no_such_port);
            });
            clear_records();
            scan();
            ASSERT_EQ(prompts(), std::vector<std::string>{"No connection !"});
            EXPECT_EQ(boxes_.shown()[0].title.has_value(), c.titled);
            EXPECT_EQ(c.mode == 0 ? dev_rows().size() : scan_rows().size(), c.rows);
            EXPECT_EQ(link::port_status, 0) << "not given up by the scan";
            EXPECT_TRUE(m.B_FQN_Read.enabled());
            EXPECT_FALSE(mainwin::adr_seek_inst.loaded());
            EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);

            lost_at.set_live(nullptr);
            if (back) port_->set_open_fault(sim::OpenFault::none);
            clear_records();
            if (c.mode == 0) {
                select(1);
            } else {
                m.cmb_rack.set_list_index(0);
                m.adr_select.set_list_index(0);
            }
            read();
            if (back) {
                EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter read in."});
                EXPECT_EQ(link::port_status, 0);
            } else {
                ASSERT_EQ(prompts().size(), 1u);
                EXPECT_EQ(prompts()[0].rfind("No connection !\r\nInvalid port number", 0), 0u)
                    << prompts()[0];
                EXPECT_EQ(link::port_status, 1);
                EXPECT_FALSE(m.B_FQN_Read.enabled());
            }
            ui::reset_forms();
            reset_globals();
            for (const char* marker : {"HZL_mod.cfg", "HZL3_mod.cfg"}) write_raw(marker, "");
        }
    }
}

TEST_F(BusScan, ProgressBoxShowsTheAddressBeingTried) {
    prepare(0);
    std::vector<std::string> labels;
    std::string title;
    plant_->device(9).set_live([&labels, &title](sim::Transmitter&, double) {
        if (auto* box = mainwin::adr_seek_inst.peek()) {
            labels.push_back(box->Label1.caption());
            title = box->caption();
        }
    });
    ASSERT_TRUE(start_mode(0, "D"));
    main().adr_select.set_list_index(8);
    scan();
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), "Aktuelle Adresse: 9");
    EXPECT_EQ(title, "Adressen suchen ...");
}

// A device that cannot be read whole is not listed and leaves nothing of itself: the
// image, the count and the fields stay those of the device listed before it.
TEST_F(BusScan, DeviceThatFailsPartWayLeavesTheListedOnesImage) {
    struct Row {
        const char* name;
        std::function<void(sim::Plant&)> trouble;
    };
    const Row rows[] = {
        {"silent_from_second_block",
         [](sim::Plant& p) { p.fault(Fault::silent().unit(255).registers(1016, 1199)); }},
        {"silent_at_word_26",
         [](sim::Plant& p) { p.fault(Fault::silent().unit(255).registers(26, 26)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        prepare(0);
        plant_->add(254, 111, 304).set_serial("25400001");
        plant_->add(255, 16, 419).set_serial("25500001");
        mark(254);
        mark(255);
        row.trouble(*plant_);
        ASSERT_TRUE(start_mode(0));
        main().adr_select.set_list_index(253);
        scan();
        EXPECT_EQ(dev_rows(), (std::vector<std::string>{"254   25400001   00000000"}));
        expect_image_of(plant_->device(254));
        EXPECT_EQ(main().curr_version.text(), "3.04");
        EXPECT_EQ(main().Ser_No.text(), "25400001");
        EXPECT_EQ(link::status_regs[0], 111);
        EXPECT_EQ(main().adr_select.list_index(), 253);
        ui::reset_forms();
        reset_globals();
    }
}

// The set in hand keeps the comment that belongs to it when no other device is taken over;
// a device that is listed brings a set without one.
TEST_F(BusScan, CommentStoreGoesOnlyWithADeviceTakenOver) {
    struct Row {
        const char* name;
        bool block_fails;
        const char* comment_after;
    };
    const Row rows[] = {
        {"block_read_fails_part_way", true, "belongs to the set in hand"},
        {"device_listed", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        prepare(0);
        plant_->add(255, 16, 419).set_serial("25500001");
        if (row.block_fails) plant_->fault(Fault::silent().unit(255).registers(1016, 1199));
        ASSERT_TRUE(start_mode(0));
        main().Komentar.set_text("belongs to the set in hand");
        main().adr_select.set_list_index(254);
        scan();
        EXPECT_EQ(dev_rows().size(), row.block_fails ? 0u : 1u);
        EXPECT_EQ(main().Komentar.text(), row.comment_after);
        ui::reset_forms();
        reset_globals();
    }
}

TEST_F(BusScan, OneDigitFirmwareIsListedWithoutAFault) {
    prepare(0);
    plant_->add(255, 11, 5).set_serial("25500005");
    ASSERT_TRUE(start_mode(0));
    main().adr_select.set_list_index(254);
    scan();
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(dev_rows(), (std::vector<std::string>{"255   25500005   00000000"}));
    EXPECT_EQ(main().curr_version.text(), ".05");
}

TEST_F(BusScan, RunTimeFailureInTheDirectScanIsShownAndTheEndStepsRun) {
    ASSERT_TRUE(start_mode(0));
    auto& m = main();
    int clicks = 0;
    m.adr_select.on_click = [&m, &clicks] {
        if (m.adr_select.list_index() == 5 && clicks++ == 0) throw ui::UiFault("Overflow");
    };
    scan();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, "Overflow");
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
    EXPECT_EQ(dev_rows().size(), 2u);
    EXPECT_EQ(m.adr_select.list_index(), 2) << "the last device found (3)";
    EXPECT_FALSE(mainwin::adr_seek_inst.loaded());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(BusScan, ClickingADevListRowSelectsItsAddress) {
    ASSERT_TRUE(start_mode(0));
    auto& m = main();
    m.dev_list.add_item("  7   00000007   00000000");
    m.dev_list.add_item(" 12   00000012   00000000");
    m.dev_list.add_item("255   00000255   00000000");
    for (const auto& [row, position] : {std::pair{1, 11}, {0, 6}, {2, 254}}) {
        user([&m, row = row] { ui::user_select(m.dev_list, row); });
        EXPECT_EQ(m.adr_select.list_index(), position) << m.dev_list.list(row);
    }
}

// ---- Behind a gateway ----------------------------------------------------------------

struct GatewayRow {
    const char* name;
    int mode;
    std::function<void(sim::Plant&)> setup;
    std::vector<ScanRow> rows;
    std::vector<int> racks_asked;  // concentrators read, in order
    int slot_reads;                // requests for TAG and serial number, repeats included
};
void PrintTo(const GatewayRow& r, std::ostream* os) {
    *os << r.name;
}

class GatewayScan : public BusScan, public ::testing::WithParamInterface<GatewayRow> {};

std::vector<sim::Transmitter*> all_slots(sim::Plant& p) {
    std::vector<sim::Transmitter*> out;
    for (auto& [r, c] : p.gateway().racks())
        for (auto& [s, t] : c.slots()) out.push_back(&t);
    return out;
}

// The rows of the default plants.
const std::vector<ScanRow> hzl_default{{"1", "1", "21010101", " TT-111 "},
                                       {"1", "2", "19010102", " FT-112 "},
                                       {"1", "11", "18010111", " TT-113 "},
                                       {"3", "5", "20030305", " TI-135 "},
                                       {"3", "20", "20030320", " PI-320 "}};
const std::vector<ScanRow> hzl3_default{
    {"1", "1", "22010101", " TT-201 "},  {"1", "16", "21010116", " PI-216 "},
    {"1", "17", "17010117", " TI-217 "}, {"1", "32", "23010132", "OFEN-32 "},
    {"2", "3", "19020203", " FT-223 "},  {"2", "4", "22020204", " TT-224 "},
    {"17", "1", "20170101", " TT-171 "}};
std::vector<ScanRow> with(std::vector<ScanRow> rows, const ScanRow& last) {
    rows.push_back(last);
    return rows;
}

const GatewayRow gateway_rows[] = {
    // The default HZL plant: racks 1 and 3 (mask words 5 and 0).
    {"hzl_racks_1_and_3", 1, [](sim::Plant&) {}, hzl_default, {1, 3}, 5},
    // The default HZL3 plant: racks 1, 2 and 17; slot 32 through bit 31.
    {"hzl3_default", 2, [](sim::Plant&) {}, hzl3_default, {1, 2, 17}, 7},
    // Rack words 3 = 0, 4 = 1: only rack 17.
    {"hzl3_rack_17_alone",
     2,
     [](sim::Plant& p) {
         p.gateway().remove_rack(1);
         p.gateway().remove_rack(2);
     },
     {{"17", "1", "20170101", " TT-171 "}},
     {17},
     1},
    // Word 6 = -32768 (its sign bit): rack 64.
    {"hzl3_rack_64_by_the_sign_bit",
     2,
     [](sim::Plant& p) {
         p.gateway().add_rack(64, sim::Concentrator(33, 120));
         p.rack(64).add(32, sim::Transmitter(11, 411)).set_serial("26403200");
     },
     with(hzl3_default, {"64", "32", "26403200", "00000000"}),
     {1, 2, 17, 64},
     8},
    // A concentrator behind HZL reporting slots 21 and 32: slots above 20 are not looked at.
    {"hzl_slots_above_20",
     1,
     [](sim::Plant& p) {
         p.rack(3).add(21, sim::Transmitter(11, 404));
         p.rack(3).add(32, sim::Transmitter(11, 404));
     },
     hzl_default,
     {1, 3},
     5},
    // A silent concentrator: its rack adds no rows, the next rack is asked.
    {"hzl3_silent_concentrator",
     2,
     [](sim::Plant& p) { p.rack(1).set_silent(true); },
     {{"2", "3", "19020203", " FT-223 "},
      {"2", "4", "22020204", " TT-224 "},
      {"17", "1", "20170101", " TT-171 "}},
     {1, 2, 17},
     3},
    // A silent transmitter is passed over.
    {"hzl3_silent_transmitter",
     2,
     [](sim::Plant& p) { p.device(1, 16).set_silent(true); },
     {{"1", "1", "22010101", " TT-201 "},
      {"1", "17", "17010117", " TI-217 "},
      {"1", "32", "23010132", "OFEN-32 "},
      {"2", "3", "19020203", " FT-223 "},
      {"2", "4", "22020204", " TT-224 "},
      {"17", "1", "20170101", " TT-171 "}},
     {1, 2, 17},
     10},
};

TEST_P(GatewayScan, ListsRackBySlotAndPutsTheSelectionsAndTheImageBack) {
    const GatewayRow& row = GetParam();
    prepare(row.mode);
    row.setup(*plant_);
    ASSERT_TRUE(start_mode(row.mode));
    auto& m = main();
    m.cmb_rack.set_list_index(4);
    m.adr_select.set_list_index(6);
    for (int p = 119; p < 127; ++p) model::param_image[p] = static_cast<std::int16_t>(0x4100 + p);
    const auto image = model::param_image;
    std::vector<int> hourglass;
    for (sim::Transmitter* t : all_slots(*plant_))
        t->set_live(
            [&hourglass](sim::Transmitter&, double) { hourglass.push_back(ui::mouse_pointer()); });
    clear_records();

    scan();

    EXPECT_EQ(scan_rows(), row.rows);
    EXPECT_TRUE(boxes_.shown().empty());
    // On the wire: the gateway block on unit 1, then per rack R its concentrator's five
    // words on unit 2R and the eight TAG and serial words of its occupied slots.
    const auto& log = plant_->log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().unit, 1);
    EXPECT_EQ(log.front().count, row.mode == 1 ? 20 : 40);
    std::vector<int> racks_asked;
    int slot_reads = 0;
    for (std::size_t i = 1; i < log.size(); ++i) {
        ASSERT_EQ(log[i].function, read_fn);
        if (log[i].count == 8) {
            ++slot_reads;
        } else {
            ASSERT_EQ(log[i].count, 5);
            ASSERT_EQ(log[i].start, 0);
            if (racks_asked.empty() || racks_asked.back() != log[i].unit / 2)
                racks_asked.push_back(log[i].unit / 2);
        }
    }
    EXPECT_EQ(racks_asked, row.racks_asked);
    EXPECT_EQ(slot_reads, row.slot_reads);
    EXPECT_EQ(m.cmb_rack.list_index(), 4);
    EXPECT_EQ(m.adr_select.list_index(), 6);
    EXPECT_EQ(model::param_image, image) << "the device in hand keeps its TAG and serial";
    for (int p : hourglass) EXPECT_EQ(p, ui::mp_hourglass);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

INSTANTIATE_TEST_SUITE_P(Plants, GatewayScan, ::testing::ValuesIn(gateway_rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BusScan, GatewayThatIsNotThereOrOfTheOtherKindIsReported) {
    struct Row {
        const char* name;
        int mode;
        std::function<void(sim::Plant&)> trouble;
        std::string message;
    };
    const Row rows[] = {
        {"hzl3_in_hzl_mode", 1, [](sim::Plant& p) { p.gateway().set_word(0, 34); },
         "Wrong device is connected !"},
        {"hzl_in_hzl3_mode", 2, [](sim::Plant& p) { p.gateway().set_word(0, 32); },
         "Wrong device is connected !"},
        {"silent_gateway", 2, [](sim::Plant& p) { p.fault(Fault::silent().unit(1)); },
         "No connection !"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        prepare(row.mode);
        ASSERT_TRUE(start_mode(row.mode));
        auto& m = main();
        scan();  // a good scan first: its rows must go
        ASSERT_GT(m.liv_scan.item_count(), 0);
        m.cmb_rack.set_list_index(1);
        m.adr_select.set_list_index(2);
        row.trouble(*plant_);
        boxes_.clear();
        clear_records();
        scan();
        ASSERT_EQ(boxes_.shown().size(), 1u);
        EXPECT_EQ(boxes_.shown()[0].prompt, row.message);
        EXPECT_FALSE(boxes_.shown()[0].title) << "no title of its own";
        EXPECT_EQ(m.liv_scan.item_count(), 0);
        for (const auto& e : plant_->log()) EXPECT_EQ(e.unit, 1) << "only the gateway is asked";
        EXPECT_EQ(m.cmb_rack.list_index(), 1);
        EXPECT_EQ(m.adr_select.list_index(), 2);
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        ui::reset_forms();
        reset_globals();
        for (const char* marker : {"HZL_mod.cfg", "HZL3_mod.cfg"}) write_raw(marker, "");
    }
}

TEST_F(BusScan, RunTimeFailureInAGatewayScanIsShownAndTheEndStepsRun) {
    ASSERT_TRUE(start_mode(2));
    auto& m = main();
    m.adr_select.set_list_index(9);
    m.cmb_rack.on_click = [&m] {
        if (m.cmb_rack.list_index() == 1) throw ui::UiFault("Overflow");
    };
    model::param_image[119] = 0x4142;
    scan();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, "Overflow");
    EXPECT_FALSE(boxes_.shown()[0].title);
    EXPECT_EQ(m.liv_scan.item_count(), 4) << "rack 1's rows, then the failure";
    EXPECT_EQ(m.cmb_rack.list_index(), 0);
    EXPECT_EQ(m.adr_select.list_index(), 9);
    EXPECT_EQ(model::param_image[119], 0x4142);
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(BusScan, ClickingAGatewayRowSelectsItAndADoubleClickReadsIt) {
    ASSERT_TRUE(start_mode(2));
    auto& m = main();
    user([&m] { ui::user_select(m.liv_scan, 0); });  // an empty list: nothing happens
    EXPECT_EQ(m.cmb_rack.list_index(), 0);
    scan();
    ASSERT_EQ(m.liv_scan.item_count(), 7);

    user([&m] { ui::user_select(m.liv_scan, 4); });  // rack 1, slot 32
    EXPECT_EQ(m.cmb_rack.list_index(), 0);
    EXPECT_EQ(m.adr_select.list_index(), 31);
    EXPECT_TRUE(boxes_.shown().empty()) << "a click reads nothing";

    clear_records();
    boxes_.answer_all(ui::id_ok);
    user([&m] { ui::user_select(m.liv_scan, 6, true); });  // rack 2, slot 4
    EXPECT_EQ(m.cmb_rack.list_index(), 1);
    EXPECT_EQ(m.adr_select.list_index(), 3);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter read in."});
    EXPECT_EQ(m.Ser_No.text(), "22020204");
    EXPECT_EQ(m.curr_version.text(), "4.15");
    for (int p = 0; p < model::param_count; ++p)
        ASSERT_EQ(model::param_image[p], plant_->device(2, 4).param(p)) << "word " << p;
}

// The gateway scan list moves with the arrows, Home and End, each move selecting the
// row's rack and slot as a click on it does, and reading nothing.
TEST_F(BusScan, TheGatewayScanListMovesByKeysAsByClicks) {
    ASSERT_TRUE(start_mode(2));
    auto& m = main();
    scan();
    ASSERT_EQ(m.liv_scan.item_count(), 7);
    struct Step {
        int key;
        int row;
    };
    const Step steps[] = {{ui::vk_down, 1}, {ui::vk_end, 7},  {ui::vk_up, 6},
                          {ui::vk_left, 5}, {ui::vk_home, 1}, {ui::vk_right, 2}};
    std::vector<std::pair<int, int>> by_click(8);
    for (int row = 1; row <= 7; ++row) {
        user([&m, row] { ui::user_select(m.liv_scan, row); });
        by_click[row] = {m.cmb_rack.list_index(), m.adr_select.list_index()};
    }
    m.liv_scan.set_selected_index(0);
    clear_records();
    for (const Step& s : steps) {
        SCOPED_TRACE(s.row);
        user([&s] { ui::user_key(s.key); });
        ASSERT_EQ(m.liv_scan.selected_index(), s.row);
        EXPECT_EQ(std::make_pair(m.cmb_rack.list_index(), m.adr_select.list_index()),
                  by_click[s.row]);
    }
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_TRUE(requests().empty()) << "a move reads nothing";
}

TEST(PresenceList, BitsStandForIndicesFromTheFirstWordOn) {
    struct Row {
        const char* name;
        std::vector<std::int16_t> words;  // from word 3 on
        int count;
        std::vector<int> present;
    } rows[] = {
        {"hzl_racks_5_0", {5, 0}, 30, {0, 2}},
        {"hzl_bits_30_31_not_looked_at", {0, static_cast<std::int16_t>(0xC000)}, 30, {}},
        {"hzl_rack_30", {0, 0x2000}, 30, {29}},
        {"hzl3_rack_17", {0, 1, 0, 0}, 64, {16}},
        {"hzl3_rack_64_sign_bit", {0, 0, 0, -32768}, 64, {63}},
        {"hzl3_bit_15_of_word_3", {-32768, 0, 0, 0}, 64, {15}},
        {"slot_32_behind_hzl3", {0, -32768}, 32, {31}},
        {"slot_32_behind_hzl", {0, -32768}, 20, {}},
        {"slots_1_and_20", {1, 8}, 20, {0, 19}},
        {"all_slots_hzl", {-1, -1}, 20, {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                         10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<std::int16_t> image{9, 9, 9};  // words 0..2 are not part of the mask
        image.insert(image.end(), r.words.begin(), r.words.end());
        EXPECT_EQ(mainwin::presence_list(image, 3, r.count), r.present);
    }
}

}  // namespace
}  // namespace dvx::testing

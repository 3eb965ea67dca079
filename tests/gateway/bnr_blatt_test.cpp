// The concentrator page behind both simulated gateways: opening from the transfer
// menu, the fields of each bus mode, writing, the error reset and the polled process
// data.
#include "gateway/bnr_blatt.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/number_text.h"
#include "tests/gateway/gateway_fixture.h"

namespace dvx::testing {
namespace {

using gateway::bnr_blatt_inst;

constexpr const char* no_connection = "No connection !";

class BnrPage : public GatewayFixture {
  protected:
    gateway::BNR_blatt& page() { return *bnr_blatt_inst.peek(); }
    sim::Concentrator& rack(int r) { return plant_->rack(r); }

    void open_page(int mode) { open_page_by(&mainwin::Hauptmenue::m_ub_bnr, bnr_blatt_inst, mode); }
    // Row r of the diagnosis grid, devices 1..32.
    std::vector<std::string> diag_row(int r) { return grid_row(page().flg_diag, r, 32); }
    static std::vector<std::string> marks(std::initializer_list<int> devices) {
        return marks_of(32, " ", devices);
    }
    std::vector<std::string> data_labels() {
        std::vector<std::string> out;
        for (int i = 0; i < 60; ++i) out.push_back(page().lbl_data[i].caption());
        return out;
    }
    // The three fields that only a concentrator behind an HZL3 has, with their labels.
    std::vector<ui::Control*> hzl3_fields() {
        auto& p = page();
        return {&p.lbl_units_cnt, &p.txt_units_cnt, &p.lbl_data_mode,
                &p.txt_data_mode, &p.lbl_code_err,  &p.txt_code_err};
    }
};

struct ModeCase {
    const char* name;
    int mode;
    int block_words;
    const char* version;
    const char* data_length;
    std::vector<int> active;
    int racks;
    int write_words;
    int data_register;  // process data on the wire
};

const ModeCase mode_cases[] = {
    {"behind_hzl", 1, 23, "1.05", "2", {1, 2, 11}, 30, 3, 1000},
    {"behind_hzl3", 2, 26, "1.20", "4", {1, 16, 17, 32}, 64, 6, 100},
};

class BnrPageByMode : public BnrPage, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(BnrPageByMode, OpensWithTheBlockOfTheBusMode) {
    const ModeCase& m = GetParam();
    start_gateway(m.mode);
    clear_records();
    open(main().m_ub_bnr);

    EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, 0, m.block_words}}));
    EXPECT_EQ(plant_->log()[0].unit, 2);
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(page().visible());
    EXPECT_FALSE(main().visible());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
    EXPECT_EQ(page().caption(), "BNR-Chart");

    EXPECT_EQ(page().lbl_ver_txt.caption(), m.version);
    EXPECT_EQ(page().Fui_val.text(), "48");
    EXPECT_EQ(page().txt_mlen.text(), m.data_length);
    EXPECT_TRUE(page().Fui_val.visible());
    EXPECT_TRUE(page().Command3D2.enabled());
    for (ui::Control* c : hzl3_fields()) EXPECT_EQ(c->visible(), m.mode == 2) << c->name();
    if (m.mode == 2) {
        EXPECT_EQ(page().txt_units_cnt.text(), "32");
        EXPECT_EQ(page().txt_data_mode.text(), "0");
        EXPECT_EQ(page().txt_code_err.text(), "0");
    }
    std::vector<std::string> active(32, " ");
    for (int d : m.active) active[d - 1] = "X";
    EXPECT_EQ(diag_row(1), active);
    for (int r = 2; r <= 6; ++r) EXPECT_EQ(diag_row(r), marks({})) << r;
    EXPECT_EQ(page().flg_diag.text_matrix(0, 0), "Status: \\ Device:");
    EXPECT_EQ(page().flg_diag.text_matrix(0, 32), "32");
    EXPECT_EQ(page().flg_diag.text_matrix(6, 0), "Context Error");
    EXPECT_EQ(page().flg_diag.col_width(0), 1350);
    EXPECT_EQ(page().flg_diag.col_width(32), 260);

    EXPECT_EQ(data_labels(), std::vector<std::string>(60, "-1"));
    EXPECT_EQ(page().lbl_data[59].alignment(), 1);
    EXPECT_EQ(page().cmb_rack.list_count(), m.racks);
    EXPECT_EQ(page().cmb_rack.list_index(), 0);
}

TEST_P(BnrPageByMode, WriteSendsTheCommandAndTheSettingsOfTheBusMode) {
    const ModeCase& m = GetParam();
    open_page(m.mode);
    enter(page().Fui_val, "0");
    enter(page().txt_mlen, "8");
    std::vector<std::uint16_t> sent{1, 0, 8};
    if (m.mode == 2) {
        enter(page().txt_units_cnt, "1");
        enter(page().txt_data_mode, "-32768");
        enter(page().txt_code_err, "32767");
        sent.insert(sent.end(), {1, 0x8000, 32767});
    }
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(requests().empty());
    click(page().Command3D2);
    EXPECT_EQ(requests(), (std::vector<Request>{{write_fn, 20, m.write_words}}));
    EXPECT_EQ(plant_->log()[0].values, sent);
    EXPECT_EQ(prompts(), std::vector<std::string>{"parameters transmited."});
    EXPECT_EQ(titles(), std::vector<std::string>{"(none)"});
    EXPECT_EQ(rack(1).word(21), 0);
    EXPECT_EQ(rack(1).word(22), 8);

    clear_records();
    plant_->fault(sim::Fault::silent().function(16));
    click(page().Command3D2);
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
}

TEST_P(BnrPageByMode, PollingShowsTheProcessDataAsHex) {
    const ModeCase& m = GetParam();
    open_page(m.mode);
    click(page().chk_pool);
    loop_.run_for(1.5);
    ASSERT_EQ(requests(), (std::vector<Request>{{read_fn, m.data_register, 80}}));
    EXPECT_EQ(plant_->log()[0].unit, 2);
    auto& first = plant_->device(1, 1);
    EXPECT_EQ(page().lbl_data[0].caption(), model::hex4(first.status(48)));
    EXPECT_EQ(page().lbl_data[1].caption(), model::hex4(first.status(49)));
    EXPECT_EQ(page().lbl_data[59].caption(), "0000");

    first.set_status(48, 255);
    first.set_status(49, -1);
    loop_.run_for(1.5);
    EXPECT_EQ(page().lbl_data[0].caption(), "00FF");
    EXPECT_EQ(page().lbl_data[1].caption(), "FFFF");
    EXPECT_EQ(link::reg_win_start, 11000);
    EXPECT_EQ(link::reg_win_count, 80);
    EXPECT_EQ(requests().size(), 2u);

    // Another page's tick inside its read: this page's ticks do nothing.
    gateway::poll_busy = 1;
    clear_records();
    loop_.run_for(4.5);
    EXPECT_TRUE(requests().empty());
    gateway::poll_busy = 0;
    loop_.run_for(1.5);
    EXPECT_EQ(requests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Bus, BnrPageByMode, ::testing::ValuesIn(mode_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BnrPage, CaptionsAreTheDesignsOwn) {
    open_page(2);
    auto& p = page();
    const std::pair<ui::CaptionControl*, const char*> captions[] = {
        {&p.Label9, "Rack No.:"},
        {&p.Command3D1, "Read BNR Settings"},
        {&p.Command3D2, "Write BNR Settings"},
        {&p.cmd_reset_err, "Reset Errors"},
        {&p.B_Zurueck, "&Back to Main"},
        {&p.Frame3D1, "Settings"},
        {&p.Label7, "Start Address:"},
        {&p.Label5, "Data Length"},
        {&p.lbl_units_cnt, "Units Count"},
        {&p.lbl_data_mode, "Data Mode"},
        {&p.lbl_code_err, "Error Code"},
        {&p.Label3, "Ver.:"},
        {&p.Frame3D3, "Process Data"},
        {&p.chk_pool, "Polling"},
    };
    for (const auto& [control, caption] : captions) EXPECT_EQ(control->caption(), caption);
    std::vector<std::string> rows;
    for (int r = 0; r < 6; ++r) rows.push_back(p.Label6[r].caption());
    EXPECT_EQ(rows,
              (std::vector<std::string>{"  1-10", "11-20", "21-30", "31-40", "41-50", "51-60"}));
}

TEST_F(BnrPage, EnterStoresTheEntryAndMovesToTheNextBox) {
    open_page(2);
    type_into(page().Fui_val, "12");
    key(ui::vk_return);
    EXPECT_EQ(link::bnr_regs[21], 12);
    EXPECT_EQ(ui::focus_owner(), &page().txt_mlen);
    EXPECT_TRUE(prompts().empty());
}

TEST_F(BnrPage, BehindAnHzlTheVersionDecidesWhetherSettingsCanBeWritten) {
    open_page(1);
    struct Case {
        int version;
        bool settable;
    };
    for (const Case& c : {Case{499, true}, Case{500, false}, Case{105, true}}) {
        SCOPED_TRACE(c.version);
        rack(1).set_word(2, c.version);
        click(page().Command3D1);
        for (ui::Control* ctl :
             {static_cast<ui::Control*>(&page().Label7), static_cast<ui::Control*>(&page().Fui_val),
              static_cast<ui::Control*>(&page().Label5),
              static_cast<ui::Control*>(&page().txt_mlen)})
            EXPECT_EQ(ctl->visible(), c.settable) << ctl->name();
        EXPECT_EQ(page().Command3D2.enabled(), c.settable);
        for (ui::Control* ctl : hzl3_fields()) EXPECT_FALSE(ctl->visible()) << ctl->name();
    }
}

TEST_F(BnrPage, BitmapPairsMarkDevicesOneToThirtyTwo) {
    prepare_gateway(2);
    rack(1).set_diag(sim::Diag::remote_timeout, 32, true);  // high word -32768
    rack(1).set_diag(sim::Diag::local_timeout, 1, true);    // low word 1
    rack(1).set_diag(sim::Diag::crc_error, 16, true);
    rack(1).set_diag(sim::Diag::crc_error, 17, true);
    rack(1).set_diag(sim::Diag::missing_answer, 5, true);
    rack(1).set_diag(sim::Diag::context_error, 20, true);
    open_page(2);
    EXPECT_EQ(link::bnr_regs[8], -32768);
    EXPECT_EQ(diag_row(2), marks({32}));
    EXPECT_EQ(diag_row(3), marks({1}));
    EXPECT_EQ(diag_row(4), marks({16, 17}));
    EXPECT_EQ(diag_row(5), marks({5}));
    EXPECT_EQ(diag_row(6), marks({20}));
}

TEST_F(BnrPage, ResetErrorsWritesZerosAndRereadsAfterTwoSeconds) {
    prepare_gateway(2);
    rack(1).set_diag(sim::Diag::crc_error, 5, true);
    open_page(2);
    EXPECT_EQ(diag_row(4), marks({5}));
    click(page().cmd_reset_err);
    ASSERT_EQ(requests(), (std::vector<Request>{{write_fn, 7, 10}, {read_fn, 0, 26}}));
    EXPECT_EQ(plant_->log()[0].values, std::vector<std::uint16_t>(10, 0));
    const double waited = plant_->log()[1].time - plant_->log()[0].time;
    EXPECT_GE(waited, 2.0);
    EXPECT_LT(waited, 2.5);
    EXPECT_EQ(diag_row(4), marks({}));
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(BnrPage, AFailedResetKeepsTheBitsTheConcentratorStillHolds) {
    prepare_gateway(2);
    rack(1).set_diag(sim::Diag::crc_error, 5, true);
    open_page(2);
    plant_->fault(sim::Fault::silent().function(16));
    click(page().cmd_reset_err);
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
    EXPECT_EQ(requests(), std::vector<Request>(4, {write_fn, 7, 10}));
    EXPECT_EQ(link::bnr_regs[11], 16);
    EXPECT_TRUE(rack(1).diag(sim::Diag::crc_error, 5));
    EXPECT_EQ(diag_row(4), marks({5}));
}

TEST_F(BnrPage, ResetDoesNothingBehindAnHzl) {
    prepare_gateway(1);
    rack(1).set_diag(sim::Diag::crc_error, 5, true);
    open_page(1);
    click(page().cmd_reset_err);
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(diag_row(4), marks({5}));
}

TEST_F(BnrPage, EntriesAreCheckedAgainstTheBoxLimits) {
    open_page(2);
    struct Case {
        const char* name;
        ui::TextBox gateway::BNR_blatt::*box;
        int word;
        const char* typed;
        const char* prompt;  // "" accepted
        int stored;
    };
    using P = gateway::BNR_blatt;
    const char* invalid = "Entered value isn not valid for this field !";
    const Case cases[] = {
        {"start above", &P::Fui_val, 21, "71",
         "Entered value is to large.\r\nPlease, enter a value till 70", 48},
        {"start zero", &P::Fui_val, 21, "0", "", 0},
        {"length zero", &P::txt_mlen, 22, "0",
         "Entered value is to small.\r\nPlease, enter a value from 1", 4},
        {"units above", &P::txt_units_cnt, 23, "33",
         "Entered value is to large.\r\nPlease, enter a value till 32", 32},
        {"mode above", &P::txt_data_mode, 24, "32768",
         "Entered value is to large.\r\nPlease, enter a value till 32767", 0},
        {"mode below", &P::txt_data_mode, 24, "-32769",
         "Entered value is to small.\r\nPlease, enter a value from -32768", 0},
        {"code highest", &P::txt_code_err, 25, "32767", "", 32767},
        {"empty", &P::txt_mlen, 22, "", invalid, 4},
        {"minus inside", &P::txt_code_err, 25, "3-2", invalid, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_entry(page().*c.box, c.typed, link::bnr_regs[c.word], c.stored, c.prompt);
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(BnrPage, TheRackChosenHereIsTheMainWindowsRack) {
    open_page(2);
    user([this] { ui::user_select(page().cmb_rack, 1); });
    EXPECT_EQ(main().cmb_rack.list_index(), 1);
    EXPECT_TRUE(requests().empty());  // nothing read until the user reads
    click(page().Command3D1);
    ASSERT_EQ(requests(), (std::vector<Request>{{read_fn, 0, 26}}));
    EXPECT_EQ(plant_->log()[0].unit, 4);
    click(page().B_Zurueck);
    EXPECT_EQ(main().cmb_rack.list_index(), 1);
}

TEST_F(BnrPage, OpeningFailsWithTheMessageAndTheMainWindowStays) {
    struct Case {
        const char* name;
        std::function<void(sim::Plant&)> arrange;
        const char* prompt;
    };
    const Case cases[] = {
        {"silent concentrator", [](sim::Plant& p) { p.rack(1).set_silent(true); }, no_connection},
        {"type behind an hzl", [](sim::Plant& p) { p.rack(1).set_word(0, 31); },
         "Wrong device is connected !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::reset_forms();
        prepare_gateway(2);
        c.arrange(*plant_);
        ASSERT_TRUE(start(2));
        boxes_.clear();
        open(main().m_ub_bnr);
        EXPECT_EQ(prompts(), std::vector<std::string>{c.prompt});
        EXPECT_TRUE(main().visible());
        ASSERT_TRUE(bnr_blatt_inst.loaded());
        EXPECT_FALSE(page().visible());
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
    }
}

TEST_F(BnrPage, NoRackChosenInTheMainWindowLeavesThePagesListWithoutOne) {
    start_gateway(2);
    main().cmb_rack.set_list_index(-1);
    clear_records();
    open(main().m_ub_bnr);
    EXPECT_TRUE(requests().empty());  // the link has no unit to send to
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
    ASSERT_TRUE(bnr_blatt_inst.loaded());
    EXPECT_FALSE(page().visible());
    EXPECT_EQ(page().cmb_rack.list_count(), 64);
    EXPECT_EQ(page().cmb_rack.list_index(), -1);
}

TEST_F(BnrPage, ALostConnectionStopsPollingWithOneTitledMessage) {
    open_page(2);
    click(page().chk_pool);
    plant_->fault(sim::Fault::silent());
    loop_.run_for(12.0);
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
    EXPECT_EQ(titles(), std::vector<std::string>{"DORVANEX"});
    EXPECT_EQ(page().chk_pool.value(), 0);
    EXPECT_EQ(requests().size(), 4u);
    EXPECT_EQ(data_labels(), std::vector<std::string>(60, "-1"));
    EXPECT_EQ(gateway::poll_busy, 0);
}

TEST_F(BnrPage, TicksWaitWhileAButtonsRequestIsRetried) {
    open_page(2);
    click(page().chk_pool);
    plant_->fault(sim::Fault::silent().function(16).next(3));
    click(page().Command3D2);
    EXPECT_EQ(prompts(), std::vector<std::string>{"parameters transmited."});
    // The link keeps the line after the retried write for a late answer, so a tick may
    // come due meanwhile; it polls only after the button's four sends.
    const std::vector<Request> sent = requests();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(std::vector<Request>(sent.begin(), sent.begin() + 4),
              std::vector<Request>(4, {write_fn, 20, 6}));
    for (std::size_t k = 4; k < sent.size(); ++k) EXPECT_EQ(sent[k].function, read_fn);
    EXPECT_EQ(page().chk_pool.value(), 1);
}

TEST_F(BnrPage, BackGivesThePlacementToTheMainWindow) {
    open_page(2);
    page().set_height(9000);
    click(page().B_Zurueck);
    EXPECT_FALSE(bnr_blatt_inst.loaded());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().height(), 9000);
}

}  // namespace
}  // namespace dvx::testing

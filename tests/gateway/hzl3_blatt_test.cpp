// The HZL3 gateway page on the simulated HZL3 bus: opening from the transfer menu,
// the settings block, the bitmaps, programming, the error reset and the polled result
// page.
#include "gateway/hzl3_blatt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gateway/gateway_fields.h"
#include "tests/gateway/gateway_fixture.h"

namespace dvx::testing {
namespace {

using gateway::hzl3_blatt_inst;

constexpr const char* no_connection = "No connection !";
constexpr const char* wrong_device = "Wrong device is connected !";

class Hzl3Page : public GatewayFixture {
  protected:
    gateway::HZL3_blatt& page() { return *hzl3_blatt_inst.peek(); }
    sim::Gateway& gw() { return plant_->gateway(); }

    // Starts on the HZL3 plant as it is now and opens the page.
    void open_page() { open_page_by(&mainwin::Hauptmenue::m_ub_hzl, hzl3_blatt_inst, 2); }
    // Row r of the diagnosis grid, columns 1..64.
    std::vector<std::string> diag_row(int r) { return grid_row(page().flg_diag, r, 64); }
    static std::vector<std::string> marks(std::initializer_list<int> devices) {
        return marks_of(64, "", devices);
    }
};

TEST(GatewayVersionText, ThreeDigitsAtLeastPointBeforeTheLastTwo) {
    struct Case {
        std::int16_t word;
        const char* text;
    };
    for (const Case& c : {Case{203, "2.03"}, Case{7, "0.07"}, Case{0, "0.00"}, Case{99, "0.99"},
                          Case{1234, "12.34"}, Case{-5, "-0.05"}}) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(gateway::gateway_version_text(c.word), c.text);
    }
}

TEST_F(Hzl3Page, OpensInPlaceOfTheMainWindowAndShowsTheBlock) {
    start_gateway(2);
    clear_records();
    open(main().m_ub_hzl);

    ASSERT_EQ(plant_->log().size(), 1u);
    EXPECT_EQ(plant_->log()[0].unit, 1);
    EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, 0, 41}}));
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(page().visible());
    EXPECT_FALSE(main().visible());
    EXPECT_EQ(page().caption(), "HZL-Chart");

    EXPECT_EQ(page().lbl_ver_txt.caption(), "2.10");
    EXPECT_EQ(page().txt_hzladr.text(), "1");
    EXPECT_EQ(page().txt_hzlstrt.text(), "1");
    EXPECT_EQ(page().txt_dev_cnt.text(), "17");
    EXPECT_EQ(page().txt_blk_len.text(), "20");
    EXPECT_EQ(page().txt_code_err.text(), "0");
    EXPECT_EQ(page().cmb_pcs_baud.text(), "57600");
    EXPECT_EQ(page().cmb_buf_off.list_index(), 0);
    EXPECT_EQ(page().cmb_buf_off.list(29), "2900");

    // Racks 1, 2 and 17 of the plant are active; no errors.
    EXPECT_EQ(diag_row(1), marks({1, 2, 17}));
    for (int r = 2; r <= 6; ++r) EXPECT_EQ(diag_row(r), marks({})) << r;

    const auto& d = page().flg_diag;
    EXPECT_EQ(d.text_matrix(0, 0), "Status: \\ BNR-Addr.:");
    EXPECT_EQ(d.text_matrix(0, 1), "1");
    EXPECT_EQ(d.text_matrix(0, 64), "64");
    EXPECT_EQ(d.col_width(0), 1700);
    EXPECT_EQ(d.col_width(64), 280);
    const char* rows[] = {"Active Devices", "Remote T-Out",   "Local T-Out",
                          "CRC-Errors",     "Missing Answer", "Context Error"};
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(d.text_matrix(r, 0), rows[r - 1]);
    const auto& g = page().flg_result;
    EXPECT_EQ(g.text_matrix(1, 0), "1-10");
    EXPECT_EQ(g.text_matrix(10, 0), "91-100");
    EXPECT_EQ(g.text_matrix(0, 10), "10");
    EXPECT_EQ(g.col_width(0), 1000);
    EXPECT_EQ(g.col_width(10), 780);
}

TEST_F(Hzl3Page, CaptionsAreTheDesignsOwn) {
    open_page();
    auto& p = page();
    const std::pair<ui::CaptionControl*, const char*> captions[] = {
        {&p.Label1, "HZL Address :"},       {&p.Label2, "Start Address :"},
        {&p.Label3, "Device Count :"},      {&p.Label4, "Block Length :"},
        {&p.Label5, "Code Error :"},        {&p.Label6, "PCS Baud :"},
        {&p.Label8, "Buffer Ofset :"},      {&p.Label7, "Ver.:"},
        {&p.Command3D1, "Read HZL"},        {&p.cmd_hzl_save, "Program Settings"},
        {&p.cmd_reset_err, "Reset Errors"}, {&p.B_Zurueck, "&Back to Main"},
        {&p.chk_pool, "Polling"},
    };
    for (const auto& [control, caption] : captions) EXPECT_EQ(control->caption(), caption);
    std::vector<std::string> bauds;
    for (int i = 0; i < p.cmb_pcs_baud.list_count(); ++i) bauds.push_back(p.cmb_pcs_baud.list(i));
    EXPECT_EQ(bauds, (std::vector<std::string>{"9600", "19200", "38400", "57600"}));
    EXPECT_EQ(p.cmb_buf_off.list_count(), 30);
    EXPECT_EQ(p.cmb_buf_off.list(1), "100");
}

struct OpeningFailure {
    const char* name;
    void (*arrange)(sim::Plant&);
    const char* prompt;
};

class Hzl3Opening : public Hzl3Page, public ::testing::WithParamInterface<OpeningFailure> {};

TEST_P(Hzl3Opening, FailsWithTheMessageAndTheMainWindowStays) {
    prepare_gateway(2);
    GetParam().arrange(*plant_);
    ASSERT_TRUE(start(2));
    open(main().m_ub_hzl);
    EXPECT_EQ(prompts(), std::vector<std::string>{GetParam().prompt});
    EXPECT_EQ(titles(), std::vector<std::string>{"(none)"});
    EXPECT_TRUE(main().visible());
    ASSERT_TRUE(hzl3_blatt_inst.loaded());  // loaded by the read, never shown
    EXPECT_FALSE(page().visible());
    EXPECT_TRUE(writes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Gateway, Hzl3Opening,
    ::testing::Values(OpeningFailure{"silent",
                                     [](sim::Plant& p) { p.fault(sim::Fault::silent().unit(1)); },
                                     no_connection},
                      OpeningFailure{"hzl_type", [](sim::Plant& p) { p.gateway().set_word(0, 32); },
                                     wrong_device}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Hzl3Page, BitmapsMarkDevicesByWordAndBit) {
    prepare_gateway(2);
    gw().add_rack(64, sim::Concentrator(33, 120));  // word 6 bit 15
    gw().set_diag(sim::Diag::remote_timeout, 16, true);
    gw().set_diag(sim::Diag::local_timeout, 48, true);
    gw().set_diag(sim::Diag::crc_error, 33, true);
    gw().set_diag(sim::Diag::missing_answer, 64, true);
    gw().set_diag(sim::Diag::context_error, 1, true);
    gw().set_diag(sim::Diag::context_error, 32, true);
    open_page();
    EXPECT_EQ(diag_row(1), marks({1, 2, 17, 64}));
    EXPECT_EQ(diag_row(2), marks({16}));
    EXPECT_EQ(diag_row(3), marks({48}));
    EXPECT_EQ(diag_row(4), marks({33}));
    EXPECT_EQ(diag_row(5), marks({64}));
    EXPECT_EQ(diag_row(6), marks({1, 32}));
}

TEST_F(Hzl3Page, ProgramSettingsWritesTheCommandAndTheSixSettings) {
    open_page();
    enter(page().txt_hzladr, "248");
    enter(page().txt_hzlstrt, "30000");
    enter(page().txt_dev_cnt, "64");
    enter(page().txt_blk_len, "125");
    enter(page().txt_code_err, "-5");
    user([this] { ui::user_select(page().cmb_pcs_baud, 1); });
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(requests().empty());  // edits stay in memory

    click(page().cmd_hzl_save);
    EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, 0, 1}, {write_fn, 34, 7}}));
    EXPECT_EQ(plant_->log()[1].values,
              (std::vector<std::uint16_t>{1, 248, 30000, 64, 125, 0xFFFB, 1}));
    EXPECT_EQ(prompts(), std::vector<std::string>{"parameters transmited."});
    EXPECT_EQ(titles(), std::vector<std::string>{"(none)"});
    EXPECT_EQ(gw().word(35), 248);
    EXPECT_EQ(gw().word(39), 0xFFFB);
    EXPECT_EQ(gw().word(40), 1);
}

TEST_F(Hzl3Page, ProgramSettingsWritesNothingToAnotherOrASilentGateway) {
    open_page();
    enter(page().txt_dev_cnt, "5");
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<Request> sent;
        const char* prompt;
    };
    const Case cases[] = {
        {"hzl type", [this] { gw().set_word(0, 32); }, {{read_fn, 0, 1}}, wrong_device},
        {"silent", [this] { plant_->fault(sim::Fault::silent().unit(1)); },
         std::vector<Request>(4, {read_fn, 0, 1}), no_connection},
        {"write lost",
         [this] { plant_->fault(sim::Fault::silent().function(16)); },
         {{read_fn, 0, 1},
          {write_fn, 34, 7},
          {write_fn, 34, 7},
          {write_fn, 34, 7},
          {write_fn, 34, 7}},
         no_connection},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gw().set_word(0, 34);
        plant_->clear_faults();
        c.arrange();
        clear_records();
        click(page().cmd_hzl_save);
        EXPECT_EQ(requests(), c.sent);
        EXPECT_EQ(prompts(), std::vector<std::string>{c.prompt});
        EXPECT_EQ(gw().word(37), 17);
    }
}

TEST_F(Hzl3Page, EntriesAreCheckedAgainstTheBoxLimits) {
    open_page();
    struct Case {
        const char* name;
        ui::TextBox gateway::HZL3_blatt::*box;
        int word;
        const char* typed;
        const char* prompt;  // "" accepted
        int stored;
    };
    using P = gateway::HZL3_blatt;
    const std::string invalid = "Entered value isn not valid for this field !";
    const Case cases[] = {
        {"count above", &P::txt_dev_cnt, 37, "65",
         "Entered value is to large.\r\nPlease, enter a value till 64", 17},
        {"count at max", &P::txt_dev_cnt, 37, "64", "", 64},
        {"address below", &P::txt_hzladr, 35, "0",
         "Entered value is to small.\r\nPlease, enter a value from 1", 1},
        {"address above", &P::txt_hzladr, 35, "249",
         "Entered value is to large.\r\nPlease, enter a value till 248", 1},
        {"start at max", &P::txt_hzlstrt, 36, "30000", "", 30000},
        {"code lowest", &P::txt_code_err, 39, "-32768", "", -32768},
        {"code highest", &P::txt_code_err, 39, "32767", "", 32767},
        {"no point", &P::txt_blk_len, 38, "1.5", "", 15},
        {"empty", &P::txt_blk_len, 38, "", invalid.c_str(), 15},
        {"minus alone", &P::txt_blk_len, 38, "-", invalid.c_str(), 15},
        {"minus after", &P::txt_blk_len, 38, "5-", invalid.c_str(), 15},
        {"minus inside", &P::txt_code_err, 39, "1-2", invalid.c_str(), 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::TextBox& box = page().*c.box;
        expect_entry(box, c.typed, link::hzl_regs[c.word], c.stored, c.prompt);
        if (*c.prompt) {
            EXPECT_EQ(ui::focus_owner(), &box);
        }
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(Hzl3Page, EnterStoresTheEntryAndMovesToTheNextBox) {
    open_page();
    type_into(page().txt_dev_cnt, "33");
    key(ui::vk_return);
    EXPECT_EQ(link::hzl_regs[37], 33);
    EXPECT_EQ(ui::focus_owner(), &page().txt_blk_len);
    EXPECT_TRUE(prompts().empty());
}

TEST_F(Hzl3Page, EscRefillsEveryFieldFromTheBlock) {
    open_page();
    user([this] { ui::user_focus(page().txt_hzladr); });
    user([] { ui::user_type("99"); });
    link::hzl_regs[2] = 203;
    link::hzl_regs[37] = 5;
    link::hzl_regs[40] = 0;
    link::hzl_regs[11] = 1;  // remote time-out of device 1
    key(ui::vk_escape);
    EXPECT_EQ(page().txt_hzladr.text(), "1");
    EXPECT_EQ(link::hzl_regs[35], 1);
    EXPECT_EQ(page().txt_dev_cnt.text(), "5");
    EXPECT_EQ(page().lbl_ver_txt.caption(), "2.03");
    EXPECT_EQ(page().cmb_pcs_baud.text(), "9600");
    EXPECT_EQ(diag_row(2), marks({1}));
}

TEST_F(Hzl3Page, BaudWordOutsideTheListIsKeptUntilTheUserPicks) {
    prepare_gateway(2);
    gw().set_word(40, 7);
    open_page();
    EXPECT_EQ(page().cmb_pcs_baud.list_index(), -1);
    EXPECT_EQ(link::hzl_regs[40], 7);
    click(page().cmd_hzl_save);
    EXPECT_EQ(gw().word(40), 7);
    user([this] { ui::user_select(page().cmb_pcs_baud, 2); });
    EXPECT_EQ(link::hzl_regs[40], 2);
}

TEST_F(Hzl3Page, ResetErrorsWritesZerosAndRereadsAfterFiveSeconds) {
    prepare_gateway(2);
    gw().set_diag(sim::Diag::crc_error, 2, true);
    gw().set_diag(sim::Diag::local_timeout, 17, true);
    open_page();
    EXPECT_EQ(diag_row(4), marks({2}));
    click(page().cmd_reset_err);

    ASSERT_EQ(requests(), (std::vector<Request>{{write_fn, 11, 20}, {read_fn, 0, 41}}));
    EXPECT_EQ(plant_->log()[0].values, std::vector<std::uint16_t>(20, 0));
    EXPECT_GE(plant_->log()[1].time - plant_->log()[0].time, 5.0);
    EXPECT_LT(plant_->log()[1].time - plant_->log()[0].time, 5.5);
    EXPECT_TRUE(prompts().empty());
    for (int r = 2; r <= 6; ++r) EXPECT_EQ(diag_row(r), marks({})) << r;
    EXPECT_EQ(diag_row(1), marks({1, 2, 17}));
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

TEST_F(Hzl3Page, PollingGoesOnDuringTheResetWait) {
    open_page();
    click(page().chk_pool);
    click(page().cmd_reset_err);
    const std::vector<Request> polled(3, {read_fn, 4000, 100});
    std::vector<Request> expected{{write_fn, 11, 20}};
    expected.insert(expected.end(), polled.begin(), polled.end());
    expected.push_back({read_fn, 0, 41});
    EXPECT_EQ(requests(), expected);
    EXPECT_TRUE(prompts().empty());
}

TEST_F(Hzl3Page, ResetShowsAFaultThatIsStillThere) {
    prepare_gateway(2);
    plant_->rack(17).set_silent(true);
    open_page();
    EXPECT_EQ(diag_row(5), marks({17}));
    click(page().cmd_reset_err);
    EXPECT_EQ(diag_row(5), marks({17}));  // the gateway's own poll found it again
}

TEST_F(Hzl3Page, AFailedResetKeepsTheBitsTheGatewayStillHolds) {
    prepare_gateway(2);
    gw().set_diag(sim::Diag::crc_error, 2, true);
    open_page();
    plant_->fault(sim::Fault::silent().function(16));
    click(page().cmd_reset_err);
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
    EXPECT_EQ(requests(), std::vector<Request>(4, {write_fn, 11, 20}));  // no re-read
    EXPECT_EQ(link::hzl_regs[19], 2);
    EXPECT_EQ(diag_row(4), marks({2}));
    EXPECT_TRUE(gw().diag(sim::Diag::crc_error, 2));
    // Esc shows the block again: the bit is still there.
    user([this] { ui::user_focus(page().txt_hzladr); });
    key(ui::vk_escape);
    EXPECT_EQ(diag_row(4), marks({2}));
}

TEST_F(Hzl3Page, EscDuringAFailingResetStillShowsTheGatewaysBits) {
    prepare_gateway(2);
    gw().set_diag(sim::Diag::crc_error, 2, true);
    open_page();
    plant_->fault(sim::Fault::silent().function(16));
    // The user goes back into a box and presses Esc in the link's pause after the first
    // lost write: the page shows the block as it is while the reset is still underway.
    loop_.post_after_pumps(1, [this] {
        ui::user_focus(page().txt_hzladr);
        ui::user_key(ui::vk_escape);
    });
    click(page().cmd_reset_err);
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
    EXPECT_EQ(link::hzl_regs[19], 2);
    EXPECT_EQ(diag_row(4), marks({2}));
}

TEST_F(Hzl3Page, PollingFollowsTheProcessDataEveryOneAndAHalfSeconds) {
    open_page();
    loop_.run_for(3.0);
    EXPECT_TRUE(requests().empty());  // not ticked: no traffic

    click(page().chk_pool);
    loop_.run_for(1.5);
    ASSERT_EQ(requests(), (std::vector<Request>{{read_fn, 4000, 100}}));
    EXPECT_EQ(plant_->log()[0].unit, 1);
    // Rack 1: block length 20 words, four slots of four words from R[48].
    const auto& g = page().flg_result;
    EXPECT_EQ(g.text_matrix(1, 1), "1010");
    EXPECT_EQ(g.text_matrix(1, 2), "2525");
    EXPECT_EQ(g.text_matrix(1, 5), "455");
    EXPECT_EQ(g.text_matrix(2, 7), "0");    // 16 words of rack 1, then zeros up to 20
    EXPECT_EQ(g.text_matrix(3, 1), "610");  // word 20: rack 2, slot 3, R[48]

    plant_->device(1, 1).set_status(48, -7);
    plant_->device(2, 3).set_status(48, 611);
    loop_.run_for(1.5);
    EXPECT_EQ(g.text_matrix(1, 1), "-7");
    EXPECT_EQ(g.text_matrix(3, 1), "611");
    clear_records();
    loop_.run_for(6.0);
    EXPECT_EQ(requests(), std::vector<Request>(4, {read_fn, 4000, 100}));
}

TEST_F(Hzl3Page, TheBufferOffsetChoosesTheResultPage) {
    open_page();
    user([this] { ui::user_select(page().cmb_buf_off, 29); });
    click(page().chk_pool);
    loop_.run_for(1.5);
    EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, 6900, 100}}));
    EXPECT_EQ(page().flg_result.text_matrix(1, 0), "1-10");
    EXPECT_EQ(page().flg_result.text_matrix(10, 0), "91-100");
    EXPECT_EQ(page().flg_result.text_matrix(10, 10), "0");
}

TEST_F(Hzl3Page, AFailedPollStopsPollingWithOneMessage) {
    open_page();
    click(page().chk_pool);
    plant_->fault(sim::Fault::silent().unit(1));
    loop_.run_for(12.0);
    EXPECT_EQ(prompts(), std::vector<std::string>{no_connection});
    EXPECT_EQ(page().chk_pool.value(), 0);
    EXPECT_EQ(requests().size(), 4u);  // one poll's four sends
    EXPECT_EQ(gateway::poll_busy, 0);
}

TEST_F(Hzl3Page, TicksWaitWhileAButtonsRequestIsRetried) {
    open_page();
    click(page().chk_pool);
    // Three lost reads of word 0: the ticks due in the link's pauses do nothing.
    plant_->fault(sim::Fault::silent().unit(1).registers(0, 0).next(3));
    click(page().cmd_hzl_save);
    EXPECT_EQ(prompts(), std::vector<std::string>{"parameters transmited."});
    // The link keeps the line after the retried read for a late answer, so a tick may
    // come due meanwhile; it polls only after the button's requests.
    const std::vector<Request> button{
        {read_fn, 0, 1}, {read_fn, 0, 1}, {read_fn, 0, 1}, {read_fn, 0, 1}, {write_fn, 34, 7}};
    const std::vector<Request> sent = requests();
    ASSERT_GE(sent.size(), button.size());
    EXPECT_EQ(std::vector<Request>(sent.begin(), sent.begin() + 5), button);
    for (std::size_t k = button.size(); k < sent.size(); ++k)
        EXPECT_EQ(sent[k], (Request{read_fn, 4000, 100}));
    EXPECT_EQ(page().chk_pool.value(), 1);
    clear_records();
    loop_.run_for(1.5);
    EXPECT_EQ(requests(), (std::vector<Request>{{read_fn, 4000, 100}}));
}

TEST_F(Hzl3Page, ATickFindingTheBusyFlagSetDoesNothing) {
    open_page();
    click(page().chk_pool);
    gateway::poll_busy = 1;  // another page's tick is inside its read
    loop_.run_for(4.5);
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(gateway::poll_busy, 1);
    gateway::poll_busy = 0;
    loop_.run_for(1.5);
    EXPECT_EQ(requests().size(), 1u);
}

TEST_F(Hzl3Page, BackGivesThePlacementToTheMainWindow) {
    open_page();
    page().set_width(12000);
    click(page().B_Zurueck);
    EXPECT_FALSE(hzl3_blatt_inst.loaded());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().width(), 12000);
    clear_records();
    loop_.run_for(3.0);
    EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace dvx::testing

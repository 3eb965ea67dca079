// The analog output page: current and voltage scaling of words 102..106, the output
// kind read from the device or chosen on the page, the square-root box, the Jumper
// Finder and an edit that reaches the device.
#include "pages/h_output.h"

#include <gtest/gtest.h>

#include <string>

#include "model/firmware.h"
#include "model/param_image.h"
#include "pages/board_pictures.h"
#include "sim/fault.h"
#include "tests/pages/page_fixture.h"

namespace dvx::testing {
namespace {

using model::param_image;
using pages::h_output_inst;

class OutputPage : public PageFixture {
  protected:
    // Address 1: KRV 4.05 with a current output (register 26 high byte 40); address 9:
    // KRV 3.03 with a voltage output (high byte 10).
    pages::H_output& open(int address, const std::function<void()>& prepare = {}) {
        return open_by(h_output_inst, &mainwin::Hauptmenue::B_Out, address, prepare);
    }
    // The title drawn on the board the picture window shows (its first text).
    static std::string board_title(const pages::Pcb_map& picture) {
        const ui::Drawing* d = ui::find_drawing(picture.Image1.picture());
        if (!d) return "(no drawing)";
        for (const ui::Shape& s : d->shapes)
            if (s.kind == ui::ShapeKind::text) return std::string(s.text);
        return "(no text)";
    }
    static void words(int range_start, int range_end, int min, int max, int alarm) {
        param_image[105] = static_cast<std::int16_t>(range_start);
        param_image[106] = static_cast<std::int16_t>(range_end);
        param_image[103] = static_cast<std::int16_t>(min);
        param_image[104] = static_cast<std::int16_t>(max);
        param_image[102] = static_cast<std::int16_t>(alarm);
    }
};

TEST_F(OutputPage, EntriesInCurrentAndVoltageScaling) {
    struct Row {
        const char* name;
        int address;
        const char* field;
        int word;
        const char* typed;
        int stored;
        const char* message;
    };
    const Row rows[] = {
        {"current_end", 1, "Ber_ende", 106, "22", 220, nullptr},
        {"current_above", 1, "Ber_ende", 106, "22.1", 200,
         "Entered value is to large.\r\nPlease, enter a value till 22.0"},
        {"voltage_end_doubled", 9, "Ber_ende", 106, "11.0", 220, nullptr},
        {"voltage_above", 9, "Ber_ende", 106, "11.1", 200,
         "Entered value is to large.\r\nPlease, enter a value till 11.0"},
        {"voltage_alarm_value", 9, "Ber_fub", 102, "2.5", 50, nullptr},
        {"current_start", 1, "Ber_anf", 105, "4", 40, nullptr},
        {"voltage_min_limit", 9, "Ber_min", 103, "1", 20, nullptr},
        {"voltage_max_limit", 9, "Ber_max", 104, "10", 200, nullptr},
        {"negative_refused", 1, "Ber_min", 103, "-0.1", 0,
         "Entered value is to small.\r\nPlease, enter a value from 0.0"},
        {"filter_zero", 1, "out_filt", 107, "0", 10,
         "Entered value is to small.\r\nPlease, enter a value from 0.1"},
        {"filter_ten", 9, "out_filt", 107, "10", 10,
         "Entered value is to large.\r\nPlease, enter a value till 9.9"},
        {"filter_not_scaled", 9, "out_filt", 107, "2.5", 25, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::H_output& page = open(r.address, [] {
            words(40, 200, 0, 220, 0);
            param_image[107] = 10;
        });
        expect_entry(box_named(page, r.field), r.typed, r.word, r.stored, r.message);
        click(page.B_Zurueck);
        clear_records();
    }
}

TEST_F(OutputPage, FillShowsTheKindOfTheDevice) {
    pages::H_output& current = open(1, [] { words(40, 200, 41, 220, 0); });
    EXPECT_EQ(main().in_use.text(), "1");
    EXPECT_EQ(main().v_mode.text(), "40");
    EXPECT_FALSE(current.out_typ.visible());
    EXPECT_EQ(current.Out_mode.text(), "0");
    EXPECT_EQ(current.Ber_anf.text(), "4.0");
    EXPECT_EQ(current.Ber_min.text(), "4.1");
    EXPECT_EQ(current.Label2.caption(), "mA");
    EXPECT_EQ(current.caption(), "Analog output          TAG No:  TT-101 ");
    click(current.B_Zurueck);

    pages::H_output& voltage = open(9, [] { words(40, 200, 41, 220, 7); });
    EXPECT_EQ(voltage.Out_mode.text(), "1");
    EXPECT_TRUE(voltage.volt_out.value());
    EXPECT_EQ(voltage.Ber_ende.text(), "10.0");
    EXPECT_EQ(voltage.Ber_min.text(), "2.0");
    EXPECT_EQ(voltage.Label9.caption(), "V");
    EXPECT_EQ(param_image[103], 40) << "an odd word becomes the even one below";
    EXPECT_EQ(param_image[102], 6);
}

TEST_F(OutputPage, KindChosenOnThePageWhenTheDeviceDoesNotSay) {
    pages::H_output& page = open(1, [this] {
        plant_->fault(sim::Fault::silent().registers(26, 26));
        main().v_mode.set_text("40");
        words(40, 200, 41, 220, 0);
    });
    EXPECT_EQ(main().in_use.text(), "0");
    EXPECT_TRUE(page.out_typ.visible());
    EXPECT_TRUE(page.curr_out.value());
    EXPECT_TRUE(prompts().empty());

    click(page.curr_out);
    EXPECT_EQ(param_image[103], 41) << "current keeps every word";
    click(page.volt_out);
    EXPECT_EQ(page.Out_mode.text(), "1");
    EXPECT_EQ(main().v_mode.text(), "0");
    EXPECT_EQ(page.Label3.caption(), "V");
    EXPECT_EQ(param_image[103], 40);
    click(page.curr_out);
    EXPECT_EQ(main().v_mode.text(), "40");
    EXPECT_EQ(page.Ber_min.text(), "4.0");
}

TEST_F(OutputPage, SquareRootBox) {
    pages::H_output& krv = open(1, [] { param_image[108] = 2; });
    EXPECT_TRUE(krv.Chk_sqr.visible());
    EXPECT_EQ(krv.Chk_sqr.value(), 1);
    EXPECT_EQ(param_image[108], 2) << "kept until the box is clicked";
    click(krv.Chk_sqr);
    EXPECT_EQ(param_image[108], 0);
    click(krv.Chk_sqr);
    EXPECT_EQ(param_image[108], 1);
    click(krv.B_Zurueck);

    // DLX 3.06: the input page owns a root on the input signal.
    pages::H_output& dlx = open(3, [] { param_image[108] = 2; });
    EXPECT_FALSE(dlx.Chk_sqr.visible());
    key(ui::vk_escape);
    EXPECT_EQ(param_image[108], 2);
}

TEST_F(OutputPage, JumperFinder) {
    struct Row {
        const char* name;
        int address;
        bool snap;
        bool help, info;
    };
    const Row rows[] = {
        {"krv_405", 1, false, true, true},
        {"snap_board", 1, true, false, true},
        {"krv_303", 9, false, false, true},
        {"dlx_113", 20, false, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        pages::H_output& page = open(r.address, [this, &r] { main().S_SNAP.set_value(r.snap ? 1 : 0); });
        EXPECT_EQ(page.cmd_help.visible(), r.help);
        EXPECT_EQ(page.lbl_info.visible(), r.info);
        click(page.B_Zurueck);
    }

    pages::H_output& page = open(1);
    click(page.cmd_help);
    pages::Pcb_map& picture = *pages::pcb_map_inst.peek();
    EXPECT_TRUE(picture.visible());
    EXPECT_EQ(picture.caption(), "Output Layout");
    EXPECT_EQ(board_title(picture), "KRV-200  OUTPUT");
    click(page.B_Zurueck);
    EXPECT_FALSE(picture.visible());
    EXPECT_TRUE(main().visible());

    // A DLX with firmware 4.02 (address 3, a DLX 3.06 made 4.02): the same window now
    // shows the DLX board.
    pages::H_output& dlx = open_by(h_output_inst, &mainwin::Hauptmenue::B_Out, 3, {},
                                   [](sim::Transmitter& t) { t.set_status(sim::reg_version, 402); });
    ASSERT_TRUE(dlx.cmd_help.visible());
    click(dlx.cmd_help);
    EXPECT_EQ(pages::pcb_map_inst.peek(), &picture);
    EXPECT_EQ(board_title(picture), "DLX-200  OUTPUT");
    click(dlx.B_Zurueck);
}

// A busy flag left standing by an output-calibration tick that never ended would keep
// that page's timer idle for good; loading this page clears it.
TEST_F(OutputPage, LoadClearsTheOutputCalibrationBusyFlag) {
    open(1, [] { model::out_cal_busy = 1; });
    EXPECT_EQ(model::out_cal_busy, 0);
}

TEST_F(OutputPage, UnsupportedFirmwareReadsAndOpensNothing) {
    read_device(1);
    user([this] { main().curr_version.set_text("3.99"); });
    clear_records();
    click(main().B_Out);
    EXPECT_FALSE(h_output_inst.loaded());
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, "No support for this KRV software version.");
    EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
    EXPECT_TRUE(requests().empty()) << "register 26 is read only for a supported version";
}

TEST_F(OutputPage, EditsReachTheDeviceWhenProgrammed) {
    pages::H_output& page = open(9);
    type_into(page.Ber_max, "10");
    leave();
    click(page.B_Zurueck);
    program();
    EXPECT_EQ(device().stored_param(104), 200);
}

}  // namespace
}  // namespace dvx::testing

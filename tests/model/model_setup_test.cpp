// The model set-up from a device type code: family options, variant flags and boxes,
// the rebuilt tables and default image, and the texts of the family.
#include "model/model_setup.h"

#include <gtest/gtest.h>

#include <string>

#include "link/transactions.h"
#include "tests/model/transfer_fixture.h"

namespace dvx::model {
namespace {

using ModelSetup = testing::TransferFixture;

struct State {
    bool s_krv, s_dlx;
    std::int16_t is_ni120, has_wre_tc;
    bool s_snap, th_xk;
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* os) {
    *os << "{krv " << s.s_krv << ", dlx " << s.s_dlx << ", ni120 " << s.is_ni120 << ", wre "
        << s.has_wre_tc << ", snap " << s.s_snap << ", xk " << s.th_xk << "}";
}

State state() {
    const DetachedView& v = detached_view();
    return {v.s_krv, v.s_dlx, is_ni120, has_wre_tc, v.s_snap, v.th_xk};
}

TEST_F(ModelSetup, EachTransmitterCodeSetsFamilyVariantAndBoxes) {
    struct Row {
        int code;
        State after;  // from a start of DLX, Ni-120, W-Re and both boxes ticked
    };
    const Row rows[] = {
        {11, {true, false, 0, 0, false, false}},  {12, {true, false, 1, 0, false, false}},
        {13, {true, false, 0, 0, true, false}},   {14, {true, false, 1, 0, true, false}},
        {15, {true, false, 0, 0, true, true}},    {16, {true, false, 0, 1, true, false}},
        {111, {false, true, 1, 0, false, false}}, {112, {false, true, 1, 0, true, false}},
        {113, {false, true, 1, 0, false, false}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        DetachedView& v = detached_view();
        v.s_krv = false;
        v.s_dlx = true;
        v.s_snap = v.th_xk = true;
        is_ni120 = 1;
        has_wre_tc = 1;
        param_image.fill(-9);

        EXPECT_EQ(set_model_ui(r.code), 0);
        EXPECT_EQ(state(), r.after);
        // The last rebuild put the default image into words 0..126 only.
        for (int p = 0; p < default_image_words; ++p)
            ASSERT_EQ(param_image[p], default_param_image[p]);
        EXPECT_EQ(param_image[127], -9);
    }
}

TEST_F(ModelSetup, TablesFollowTheVariant) {
    texts::lang_code = "GB";
    ASSERT_EQ(set_model_ui(14), 0);
    EXPECT_EQ(sensor_names(9), "Ni-120 2-wire");
    EXPECT_EQ(sensor_names(8), "TC Cu/CuNi Type U");

    ASSERT_EQ(set_model_ui(16), 0);
    EXPECT_EQ(sensor_names(7), "TC W3%Re/W25%Re Typ D");
    EXPECT_EQ(type_max(8), 2320);
    EXPECT_EQ(sensor_names(9), "Pt-100 2-wire");

    ASSERT_EQ(set_model_ui(11), 0);  // clears the tungsten-rhenium types again
    EXPECT_EQ(sensor_names(7), "TC Fe/CuNi Type L");
    EXPECT_EQ(type_max(8), 600);

    ASSERT_EQ(set_model_ui(15), 0);  // XK is in place when the tables are rebuilt
    EXPECT_EQ(sensor_names(8), "TC Cr/Co Type XK");
    EXPECT_EQ(type_min(8), 0);
    EXPECT_EQ(type_max(8), 800);

    ASSERT_EQ(set_model_ui(12), 0);
    ASSERT_EQ(set_model_ui(112), 0);  // a DLX keeps Ni-120 from the KRV before it
    EXPECT_EQ(is_ni120, 1);
    EXPECT_EQ(sensor_names(10), "Ni-120 3-wire");
    EXPECT_EQ(sensor_names(8), "TC Cu/CuNi Type U");
}

TEST_F(ModelSetup, FamilyOptionBringsTheFamilyTexts) {
    ASSERT_EQ(set_model_ui(113), 0);
    EXPECT_EQ(texts::is_krv, 0);
    EXPECT_NE(texts::msg_print_comment_title.find("DLX-200"), std::string::npos);
    ASSERT_EQ(set_model_ui(13), 0);
    EXPECT_EQ(texts::is_krv, 1);
    EXPECT_NE(texts::msg_print_comment_title.find("KRV-200"), std::string::npos);
}

TEST_F(ModelSetup, OtherCodesChangeNothing) {
    ASSERT_EQ(set_model_ui(16), 0);
    const State before = state();
    ASSERT_EQ(has_wre_tc, 1);
    param_image.fill(-9);
    for (int code : {0, 10, 17, 31, 32, 33, 34, 110, 114, -1}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(set_model_ui(code), 1);
        // has_wre_tc stays with the tables it was built with.
        EXPECT_EQ(state(), before);
        EXPECT_EQ(type_max(8), 2320);
        EXPECT_EQ(param_image[0], -9);
    }
}

TEST_F(ModelSetup, TypeCodesReadFromTheSimulatedBus) {
    // Every transmitter of the default direct bus, read as the main window reads it.
    const sim::Plant bus = sim::Plant::preset(0);
    for (const auto& [address, device] : bus.devices()) {
        SCOPED_TRACE(address);
        attach(sim::Plant::preset(0), address);
        std::int16_t code = 0;
        ASSERT_EQ(link::read_device_type(code), 0);
        EXPECT_EQ(set_model_ui(code), 0);
        EXPECT_EQ(detached_view().s_krv, device.family() == sim::Family::krv);
        EXPECT_EQ(detached_view().s_dlx, device.family() == sim::Family::dlx);
    }
}

}  // namespace
}  // namespace dvx::model

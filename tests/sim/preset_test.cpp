// Default plants and the preset text: contents, round trip and bad lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "sim_test_util.h"

namespace dvx::sim {
namespace {

TEST(Preset, DirectBusDefaultDevices) {
    struct Row {
        int address, code, version, count, input, jumper;
        const char* serial;
        const char* tag;
    };
    const Row rows[] = {
        {1, 11, 405, 128, 10, 40, "21040001", " TT-101 "},
        {3, 111, 306, 127, 19, 40, "19110203", " FT-205 "},
        {9, 12, 303, 128, 3, 10, "17090917", " TI-309 "},
        {17, 16, 416, 140, 7, 40, "22120017", "OFEN-17 "},
        {20, 113, 402, 127, 19, 10, "20040420", " PI-420 "},
        {33, 15, 410, 140, 8, 40, "22030033", "K]HL-33 "},  // the umlaut as device code 93
    };
    auto plant = Plant::preset(0);
    EXPECT_EQ(plant.bus_mode(), 0);
    EXPECT_EQ(plant.expected_settings(), "9600,E,8,1");
    EXPECT_FALSE(plant.echo());
    EXPECT_EQ(plant.devices().size(), std::size(rows));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.address);
        auto& t = plant.device(r.address);
        EXPECT_EQ(t.type_code(), r.code);
        EXPECT_EQ(t.version(), r.version);
        EXPECT_EQ(t.param_count(), r.count);
        EXPECT_EQ(t.param(99), r.input);
        EXPECT_EQ(t.status(26) >> 8, r.jumper);
        EXPECT_EQ(t.serial(), r.serial);
        EXPECT_EQ(t.tag(), r.tag);
        EXPECT_EQ(static_cast<std::uint16_t>(t.param(113)) >> 8, r.address);  // own address
        EXPECT_EQ(t.status(5), 0);
        EXPECT_EQ(t.status(6), 0);
        // normalised: alarm 1 MAX energized, the others without function or reaction bits
        EXPECT_EQ(t.param(83), 5);
        for (int p = 84; p <= 86; ++p) EXPECT_EQ(t.param(p) & ~3, 0);
        for (int p : t.family() == Family::dlx ? std::vector<int>{79, 87, 96, 101}
                                               : std::vector<int>{70, 96, 114, 127})
            EXPECT_EQ(t.param(p), 0) << p;
        EXPECT_EQ(t.param(57), 5170);
        EXPECT_EQ(t.param(58), 25830);
        EXPECT_EQ(t.status(25), t.family() == Family::dlx ? 0xC8B4 : 180);
    }
    EXPECT_EQ(plant.device(17).status(62), 1250);
    EXPECT_EQ(plant.device(33).status(64), 130);
    EXPECT_EQ(plant.device(20).status(2), 1001);
    EXPECT_EQ(plant.device(3).status(2), 0);
    EXPECT_FALSE(plant.has(255));
}

TEST(Preset, GatewayDefaultLayouts) {
    struct Row {
        int bus_mode, rack, rack_code, rack_version, slot, code, version;
    };
    const Row rows[] = {
        {1, 1, 31, 105, 1, 11, 404},   {1, 1, 31, 105, 2, 111, 301},  {1, 1, 31, 105, 11, 13, 305},
        {1, 3, 31, 500, 5, 14, 400},   {1, 3, 31, 500, 20, 112, 400}, {2, 1, 33, 120, 1, 11, 411},
        {2, 1, 33, 120, 16, 113, 404}, {2, 1, 33, 120, 17, 12, 302},  {2, 1, 33, 120, 32, 16, 419},
        {2, 2, 33, 120, 3, 111, 300},  {2, 2, 33, 120, 4, 11, 415},   {2, 17, 33, 120, 1, 13, 401},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.bus_mode) + "/" + std::to_string(r.rack) + "/" +
                     std::to_string(r.slot));
        auto plant = Plant::preset(r.bus_mode);
        EXPECT_EQ(plant.rack(r.rack).type_code(), r.rack_code);
        EXPECT_EQ(plant.rack(r.rack).version(), r.rack_version);
        EXPECT_EQ(plant.device(r.rack, r.slot).type_code(), r.code);
        EXPECT_EQ(plant.device(r.rack, r.slot).version(), r.version);
    }
    auto hzl = Plant::preset(1);
    EXPECT_EQ(hzl.gateway().type_code(), 32);
    EXPECT_EQ(hzl.gateway().version(), 203);
    EXPECT_EQ(hzl.gateway().racks().size(), 2u);
    EXPECT_EQ(hzl.expected_settings(), "19200,E,8,1");
    auto hzl3 = Plant::preset(2);
    EXPECT_EQ(hzl3.gateway().type_code(), 34);
    EXPECT_EQ(hzl3.gateway().version(), 210);
    EXPECT_EQ(hzl3.gateway().racks().size(), 3u);
    EXPECT_EQ(hzl3.expected_settings(), "57600,E,8,1");
}

TEST(Preset, SerialNumbersAreDistinctAcrossAllPresets) {
    std::set<std::string> serials;
    int devices = 0;
    auto add = [&](const Transmitter& t) {
        serials.insert(t.serial());
        ++devices;
    };
    const auto direct = Plant::preset(0);
    for (const auto& [a, t] : direct.devices()) add(t);
    for (int mode : {1, 2}) {
        auto plant = Plant::preset(mode);
        for (const auto& [r, c] : plant.gateway().racks())
            for (const auto& [s, t] : c.slots()) add(t);
    }
    EXPECT_EQ(static_cast<int>(serials.size()), devices);
}

TEST(Preset, TextRoundTripKeepsEveryChange) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        auto plant = Plant::preset(mode);
        EXPECT_EQ(Plant::from_text(plant.to_text()).to_text(), plant.to_text());

        plant.set_echo(true);
        plant.set_strict(true);
        Transmitter& t = mode == 0 ? plant.device(17) : plant.device(1, 1);
        t.set_param(10, -5);
        t.set_comment_text("Zeile 1\r\n\"Zitat\" \\ \xFC");
        t.set_error_bits(0x0210);
        t.set_param(20, 1);
        const std::vector<std::uint16_t> seven{7};
        t.write(1020, seven, 0.0, false);  // unstored: working 7, stored 1
        if (mode != 0) {
            plant.gateway().set_silent_when_unreachable(true);
            plant.gateway().set_pass_transmitter_echo(true);
            plant.rack(1).set_word(22, 6);
            plant.device(1, mode == 1 ? 2 : 16).set_silent(true);
        }
        const std::string text = plant.to_text();
        Plant back = Plant::from_text(text);
        EXPECT_EQ(back.to_text(), text);
        const Transmitter& b = mode == 0 ? back.device(17) : back.device(1, 1);
        EXPECT_EQ(b.param(20), 7);
        EXPECT_EQ(b.stored_param(20), 1);
        EXPECT_EQ(b.param(10), -5);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(b.comment_word(i), t.comment_word(i)) << i;
        EXPECT_EQ(b.status(5), 0x0210);
        EXPECT_TRUE(back.echo());
        EXPECT_TRUE(back.strict());
        if (mode != 0) {
            EXPECT_TRUE(back.gateway().silent_when_unreachable());
            EXPECT_TRUE(back.gateway().passes_transmitter_echo());
            EXPECT_EQ(back.rack(1).word(22), 6);
            EXPECT_TRUE(back.device(1, mode == 1 ? 2 : 16).silent());
        }
    }
}

TEST(Preset, BadLinesNameTheLineAndTheFault) {
    struct Row {
        const char* text;
        int line;
        const char* says;
    };
    const Row rows[] = {
        {"bus 3", 1, "outside 0..2"},
        {"bus x", 1, "is no number"},
        {"device 1 11 405\nbus 0", 2, "must come first"},
        {"device 0 11 405", 1, "outside 1..255"},
        {"device 1 11 405\ndevice 1 12 303", 2, "is taken"},
        {"device 1 11", 1, "takes 3 values"},
        {"reg 1099 3", 1, "without a device"},
        {"device 1 11 405\nreg 3000 1", 2, "not a transmitter register"},
        {"device 1 11 405\nreg 1099 70000", 2, "outside"},
        {"device 1 11 405\ntag \"123456789\"", 2, "8 characters"},
        {"device 1 11 405\ntag \"open", 2, "closing quote"},
        {"device 1 11 405\ntag plain", 2, "double quotes"},
        {"echo maybe", 1, "on or off"},
        {"bus 0\nrack 1 31 105", 2, "no racks"},
        {"bus 1\nslot 2 1 11 405", 2, "not present"},
        {"bus 1\nrack 31 31 105", 2, "outside 1..30"},
        {"bus 2\nrack 1 33 120\nslot 1 33 11 405", 3, "outside 1..32"},
        {"bus 1\ndevice 1 11 405", 2, "use \"slot\""},
        {"# fine\n\nfrobnicate", 3, "unknown word"},
        {"device 1 11 405\ncomment \"\\xZZ\"", 2, "\\x escape"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        try {
            Plant::from_text(r.text);
            ADD_FAILURE() << "accepted";
        } catch (const PresetError& e) {
            EXPECT_EQ(e.line(), r.line);
            EXPECT_NE(std::string(e.what()).find(r.says), std::string::npos) << e.what();
        }
    }
}

TEST(Preset, FileReadingAndAMissingFile) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("dvx_sim_preset_" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << "bus 0\r\necho on\r\ndevice 5 111 404\r\n  tag \"A\\x5BB\"\r\n";
    }
    auto plant = Plant::from_file(path.string());
    std::filesystem::remove(path);
    EXPECT_TRUE(plant.echo());
    EXPECT_EQ(plant.device(5).tag(), "A[B     ");
    EXPECT_THROW(Plant::from_file(path.string()), PresetError);

    // A file larger than any preset (here a sparse one) and an endless device are refused,
    // never read whole.
    {
        std::ofstream out(path, std::ios::binary);
        out << "bus 0\r\n";
    }
    std::filesystem::resize_file(path, 64ull << 30);
    for (const std::string& big : {path.string(), std::string("/dev/zero")}) {
        SCOPED_TRACE(big);
        try {
            Plant::from_file(big);
            ADD_FAILURE() << "taken";
        } catch (const PresetError& e) {
            EXPECT_NE(std::string(e.what()).find("is larger than 4 MiB"), std::string::npos)
                << e.what();
        }
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace dvx::sim

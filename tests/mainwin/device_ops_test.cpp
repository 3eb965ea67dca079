// Reading and programming a device through the main window's buttons, as a user
// clicks them, against the simulated bus: what lands in the image and the fields, what
// changes in the device's registers (the whole register file compared), the factory
// copy in the registry, and what every refusal and broken link says and leaves.
#include "mainwin/device_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "link/register_images.h"
#include "link/transactions.h"
#include "mainwin/access_level.h"
#include "model/firmware.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "tests/mainwin/device_fixture.h"
#include "texts/messages.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

using sim::Fault;

const std::string overwrite_q = "Overwrite existing parameters. Are You sure ?";
const std::string read_in = "Parameter read in.";
const std::string no_connection = "No connection !";
const std::string transmitted = "parameters transmited.";
const std::string not_transmitted = "Can't transmit parameters. No connection.";
const std::string jumper_box =
    "Programming not possible\r\nSelected output signal mode (current [mA] or voltage [V]) does "
    "not correspond to jumper settings (JP1/2 & JP3/4) on the KRV-200 board";

const std::string serial_q =
    "Overwrite parameter set of device with serial-no.:\r\n99887766\r\nwith read in parameter "
    "set of device with serial-no.:\r\n21040001\r\nContinue ?";

ui::ScriptedBoxes::Answer reply(int result) {
    ui::ScriptedBoxes::Answer a;
    a.result = result;
    return a;
}

// The value mark_device_params gives parameter word p.
int marked(int p) {
    return (p * 211) % 60000 - 30000;
}

// The devices of the default direct bus, one per family and firmware generation.
struct Device {
    const char* name;
    int address;
    bool krv;
    const char* version;
    int count;
    const char* lang;
    const char* read_text;  // "Parameter read in." in that language
    bool echo;              // the bus adapter echoes what is sent
};
void PrintTo(const Device& d, std::ostream* os) {
    *os << d.name;
}
const Device devices[] = {
    {"dlx_306", 3, false, "3.06", 127, "NL", "Parameters ingelezen.", false},
    {"dlx_402_echo", 20, false, "4.02", 127, "GB", "Parameter read in.", true},
    {"krv_303", 9, true, "3.03", 128, "GB", "Parameter read in.", false},
    {"krv_405", 1, true, "4.05", 128, "D", "Parameter eingelesen.", false},
    {"krv_416_echo", 17, true, "4.16", 140, "GB", "Parameter read in.", true},
};

class DeviceOps : public DeviceFixture {
  protected:
    // Gives every parameter word of the device a value of its own (not the default
    // image), leaving the bus address and the TAG and serial texts alone.
    void mark_device_params() {
        for (int p = 0; p < device().param_count(); ++p)
            if (p != 113 && (p < 119 || p > 126)) device().set_param(p, marked(p));
    }

    // The image the model set-up puts in place for the current variant.
    static std::array<std::int16_t, model::param_image_size> default_image() {
        const auto kept = model::param_image;
        model::reinit_tables();
        const auto image = model::param_image;
        model::param_image = kept;
        return image;
    }
};

// --- Reading ----------------------------------------------------------------------------

class ReadDevice : public DeviceOps, public ::testing::WithParamInterface<Device> {};

TEST_P(ReadDevice, FillsImageAndFieldsExactlyFromTheDevice) {
    const Device& d = GetParam();
    ASSERT_TRUE(start(0, d.lang));
    auto& m = main();
    plant_->set_echo(d.echo);
    select(d.address);
    mark_device_params();
    ASSERT_EQ(device().param_count(), d.count);
    // The other family selected before: the type code switches it.
    click(d.krv ? m.S_DLX : m.S_KRV);
    model::param_image.fill(-7);
    boxes_.answer({ui::id_ok, d.read_text,
                   [&] {
                       EXPECT_EQ(ui::mouse_pointer(), ui::mp_hourglass);
                       EXPECT_EQ(m.in_use.text(), "0") << "fields change after the box is closed";
                   },
                   0, ui::mb_ok, "DORVANEX"});
    click(m.B_FQN_Read);

    EXPECT_EQ(prompts(), std::vector<std::string>{d.read_text});
    std::vector<Request> expected{{read_fn, 0, 5}};
    for (int i = 0; i < d.count; i += 16) expected.push_back({read_fn, 1000 + i, 16});
    expected.push_back({read_fn, 26, 1});
    EXPECT_EQ(requests(), expected);

    EXPECT_EQ(model::param_count, d.count);
    for (int p = 0; p < d.count; ++p)
        ASSERT_EQ(model::param_image[p], device().param(p)) << "word " << p;
    EXPECT_EQ(m.S_KRV.value(), d.krv);
    EXPECT_EQ(m.S_DLX.value(), !d.krv);
    EXPECT_EQ(texts::is_krv, d.krv ? 1 : 0);
    EXPECT_EQ(m.curr_version.text(), d.version);
    EXPECT_EQ(m.v_mode.text(), std::to_string(device().status(26) >> 8));
    EXPECT_EQ(m.in_use.text(), "1");
    EXPECT_EQ(m.Komentar1.text(), device().tag());
    EXPECT_EQ(m.Ser_No.text(), device().serial());
    EXPECT_EQ(m.Krv_adr.list_index(), d.address - 1);
    EXPECT_EQ(mainwin::param_snapshot, model::params_to_text());
    EXPECT_FALSE(mainwin::params_changed());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);

    const std::string name =
        (d.krv ? "KRV FACTORY SETTINGS " : "DLX FACTORY SETTINGS ") + device().serial();
    EXPECT_EQ(factory_copy(name), model::params_to_text());
}

INSTANTIATE_TEST_SUITE_P(EveryGeneration, ReadDevice, ::testing::ValuesIn(devices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceOps, FactoryCopyIsWrittenOnceAndNeverReplaced) {
    ASSERT_TRUE(start());
    select(1);
    const std::string name = "KRV FACTORY SETTINGS 21040001";
    read();
    const auto first = factory_copy(name);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, model::params_to_text());

    device().set_param(80, 1234);
    read();
    EXPECT_EQ(model::param_image[80], 1234);
    EXPECT_EQ(factory_copy(name), first) << "a second read keeps the first set";

    // An empty value counts as missing.
    registry_.put_string(model::reg_key, name, "");
    read();
    EXPECT_EQ(factory_copy(name), model::params_to_text());

    // A serial number of blanks names no device: every such device would share its copy.
    device().set_serial("        ");
    device().set_param(81, 77);
    read();
    EXPECT_FALSE(factory_copy("KRV FACTORY SETTINGS         "));
    EXPECT_NE(factory_copy(name), model::params_to_text());
}

// A factory copy the registry does not keep is told at the read that should have kept
// it. The first set read stays the device's factory state for the rest of the run: a
// restore takes it, and a later read stores it, never the set the device holds after
// the technician's changes.
// What a read says when the device's factory copy could not be kept.
const std::string not_kept =
    "The factory settings of this device could not be stored ! Until the program ends, the "
    "next read stores them; after that a read stores the parameters the device holds then.";

TEST_F(DeviceOps, AFactoryCopyThatCouldNotBeKeptIsToldAndTheFirstSetStaysTheCopy) {
    ASSERT_TRUE(start());
    select(1);
    const std::string name = "KRV FACTORY SETTINGS 21040001";
    registry_.refuse_set = true;
    read();
    EXPECT_EQ(prompts(), (std::vector<std::string>{read_in, not_kept}));
    EXPECT_EQ(boxes_.shown()[1].title, std::optional<std::string>("DORVANEX"));
    EXPECT_FALSE(factory_copy(name));
    const std::string first = model::params_to_text();
    const int factory_word = model::param_image[80];

    device().set_param(80, 1234);  // the technician's change, programmed
    read();
    EXPECT_EQ(prompts().back(), not_kept) << "told again: the copy is still not kept";
    boxes_.clear();
    boxes_.answer_all(ui::id_ok);
    click(main().m_restore_cfg);
    EXPECT_EQ(device().param(80), factory_word) << "the restore writes the first set read";

    device().set_param(80, 1234);
    registry_.refuse_set = false;
    boxes_.clear();
    read();
    EXPECT_EQ(prompts(), std::vector<std::string>{read_in});
    EXPECT_EQ(factory_copy(name), first);
}

// A store that cannot be read at the first read keeps no copy either: that read says so,
// and the set the store gets once it can be read again is the first one read.
TEST_F(DeviceOps, AStoreThatCannotBeReadKeepsTheFirstSetForTheCopy) {
    ASSERT_TRUE(start());
    select(1);
    const std::string name = "KRV FACTORY SETTINGS 21040001";
    registry_.read_fault = "The settings file cannot be read";
    read();
    const auto told = prompts();
    EXPECT_NE(std::find(told.begin(), told.end(), not_kept), told.end());
    registry_.read_fault.reset();
    const std::string first = model::params_to_text();

    device().set_param(80, 1234);  // the technician's change, programmed
    boxes_.clear();
    read();
    EXPECT_EQ(factory_copy(name), first);
}

TEST_F(DeviceOps, UnreadableRegistryShowsItsFaultAndStoresNoCopy) {
    ASSERT_TRUE(start());
    select(1);
    registry_.read_fault = "Registry is locked";
    read();
    ASSERT_EQ(prompts(), (std::vector<std::string>{read_in, "Registry is locked", not_kept}));
    EXPECT_FALSE(boxes_.shown()[1].title) << "the registry box has the default title";
    registry_.read_fault.reset();
    EXPECT_FALSE(factory_copy("KRV FACTORY SETTINGS 21040001"));
    EXPECT_EQ(mainwin::param_snapshot, model::params_to_text()) << "the read itself went through";
}

// What a read that cannot finish says and leaves. Device 1 (KRV 4.05) was read before;
// then the device at address 17 is read with the row's trouble.
TEST_F(DeviceOps, ReadThatCannotFinishSaysWhyAndTakesNothingHalfRead) {
    enum class Image { unchanged, default_image, device_set };
    struct Row {
        const char* name;
        std::function<void(sim::Plant&)> trouble;
        std::string message;
        Image image;
        const char* version;  // curr_version afterwards
        std::vector<Request> requests;
    };
    std::vector<Request> blocks_to_1032{{read_fn, 0, 5}, {read_fn, 1000, 16}, {read_fn, 1016, 16}};
    for (int i = 0; i < 4; ++i) blocks_to_1032.push_back({read_fn, 1032, 16});
    std::vector<Request> all_blocks{{read_fn, 0, 5}};
    for (int i = 0; i < 140; i += 16) all_blocks.push_back({read_fn, 1000 + i, 16});
    for (int i = 0; i < 4; ++i) all_blocks.push_back({read_fn, 26, 1});
    const std::vector<Request> type_only{{read_fn, 0, 5}};
    const std::vector<Request> type_4x(4, Request{read_fn, 0, 5});

    const Row rows[] = {
        {"no_device", [](sim::Plant& p) { p.remove(17); }, no_connection, Image::unchanged, "4.05",
         type_4x},
        {"gateway_code", [](sim::Plant& p) { p.device(17).set_status(0, 32); },
         "No support for this device version.", Image::unchanged, "4.05", type_only},
        {"krv_406", [](sim::Plant& p) { p.device(17).set_status(4, 406); },
         "No support for this KRV software version.", Image::default_image, "4.06", type_only},
        {"krv_one_digit", [](sim::Plant& p) { p.device(17).set_status(4, 5); },
         "No support for this KRV software version.", Image::default_image, ".05", type_only},
        {"krv_99", [](sim::Plant& p) { p.device(17).set_status(4, 99); },
         "No support for this KRV software version.", Image::default_image, ".99", type_only},
        {"dlx_405", [](sim::Plant& p) { p.device(17).set_status(0, 111); },
         "No support for this DLX software version.", Image::default_image, "4.16", type_only},
        {"silent_from_third_block",
         [](sim::Plant& p) { p.fault(Fault::silent().unit(17).registers(1032, 1199)); },
         no_connection, Image::default_image, "4.16", blocks_to_1032},
        {"silent_at_word_26",
         [](sim::Plant& p) { p.fault(Fault::silent().unit(17).registers(26, 26)); }, no_connection,
         Image::device_set, "4.16", all_blocks},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(start());
        auto& m = main();
        select(1);
        read();
        const std::string snapshot = mainwin::param_snapshot;
        const auto fields =
            std::vector<std::string>{m.Komentar1.text(), m.Ser_No.text(), m.v_mode.text()};
        model::param_image[80] = 4321;  // an edit not yet programmed
        const auto image_before = model::param_image;
        const auto registry_writes = registry_.writes;

        select(17);
        mark_device_params();
        row.trouble(*plant_);
        clear_records();
        read();

        EXPECT_EQ(prompts(), std::vector<std::string>{row.message});
        EXPECT_EQ(boxes_.shown().at(0).title, "DORVANEX");
        EXPECT_EQ(requests(), row.requests);
        EXPECT_EQ(m.curr_version.text(), row.version);
        if (row.image == Image::unchanged) {
            EXPECT_EQ(model::param_image, image_before);
        } else if (row.image == Image::default_image) {
            EXPECT_EQ(model::param_image, default_image())
                << "nothing of a half-read set is taken over";
        } else {
            EXPECT_EQ(model::param_count, device().param_count());
            for (int p = 0; p < device().param_count(); ++p)
                ASSERT_EQ(model::param_image[p], device().param(p)) << "the whole set stays";
        }
        EXPECT_EQ((std::vector<std::string>{m.Komentar1.text(), m.Ser_No.text(), m.v_mode.text()}),
                  fields);
        EXPECT_EQ(mainwin::param_snapshot, snapshot);
        EXPECT_TRUE(mainwin::params_changed()) << "quitting still warns";
        EXPECT_EQ(registry_.writes, registry_writes) << "no factory copy";
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        ui::reset_forms();
        reset_globals();
        prepare(0);
    }
}

// The adapter pulled out between two reads. Plugged back in, the next read opens the
// port again and works; gone for good, the read ends at the probe with "no connection"
// in the program's language and the device buttons go off as after a failed port
// choice, until the port is chosen again.
TEST_F(DeviceOps, PortLostBetweenReadsIsOpenedAgainOrEndsTheReadAtOnce) {
    for (const bool back : {true, false}) {
        SCOPED_TRACE(back ? "plugged back in" : "gone for good");
        ASSERT_TRUE(start(0, "D"));
        auto& m = main();
        port_->lose_line();
        if (!back) port_->set_open_fault(sim::OpenFault::no_such_port);
        read();
        if (back) {
            EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter eingelesen."});
            EXPECT_EQ(m.in_use.text(), "1");
            EXPECT_TRUE(m.B_FQN_Read.enabled());
        } else {
            // The port's reason in the program's language too.
            EXPECT_EQ(prompts(),
                      std::vector<std::string>{"Verbindung kann nicht aufgebaut werden "
                                               "!\r\nUng\xFCltige Schnittstellennummer"});
            EXPECT_EQ(boxes_.shown()[0].title, "DORVANEX");
            EXPECT_TRUE(plant_->log().empty());
            EXPECT_EQ(m.in_use.text(), "0");
            EXPECT_EQ(link::port_status, 1);
            for (ui::Control* c :
                 {&m.B_FQN_Read, &m.B_FQN_Write, &m.B_Out, &m.B_online, &m.Command3D3}) {
                SCOPED_TRACE(c->name());
                EXPECT_FALSE(c->enabled());
            }
            // Plugged back in and COM1 chosen again: the buttons come back.
            port_->set_open_fault(sim::OpenFault::none);
            user([&] { ui::user_select(m.Com_select, 0); });
            EXPECT_EQ(link::port_status, 0);
            EXPECT_TRUE(m.B_FQN_Read.enabled());
        }
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        ui::reset_forms();
        reset_globals();
        clear_records();
    }
}

// A read of device 1 waits in a link pause after a lost request; there the user picks
// another port, address or rack. The choice is put back, the read goes on with device 1
// alone, and no word of the image is another device's.
TEST_F(DeviceOps, APortOrAddressChosenWhileAReadWaitsIsPutBack) {
    struct Case {
        const char* name;
        ui::ComboBox& (*list)(mainwin::Hauptmenue&);
        int choice;
    };
    const Case cases[] = {
        {"address", [](mainwin::Hauptmenue& m) -> ui::ComboBox& { return m.adr_select; }, 16},
        {"port", [](mainwin::Hauptmenue& m) -> ui::ComboBox& { return m.Com_select; }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(start(0, "GB"));
        auto& m = main();
        select(17);
        mark_device_params();
        select(1);
        for (int p = 0; p < device().param_count(); ++p)
            if (p != 113 && (p < 119 || p > 126)) device().set_param(p, marked(p) + 1);
        plant_->fault(sim::Fault::silent().unit(1).registers(1032, 1199).next(1));
        bool in_pause = false;
        loop_.post_after(0.2, [&] {
            in_pause = link::transaction_underway();
            ui::user_select(c.list(m), c.choice);
        });
        read();

        EXPECT_TRUE(in_pause) << "the choice came while the read waited";
        EXPECT_EQ(prompts(), std::vector<std::string>{"Parameter read in."});
        EXPECT_EQ(m.adr_select.list_index(), 0);
        EXPECT_EQ(m.Com_select.list_index(), 0);
        for (int p = 0; p < device().param_count(); ++p) {
            if (p == 113 || (p >= 119 && p <= 126)) continue;
            ASSERT_EQ(model::param_image[p], marked(p) + 1) << "word " << p;
        }
        for (const auto& e : plant_->log()) EXPECT_EQ(e.unit, 1) << "a request to another device";
        ui::reset_forms();
        reset_globals();
        clear_records();
    }
}

// --- Programming ------------------------------------------------------------------------

struct EditCase {
    const char* name;
    Device device;
    int word;       // the edited parameter word
    bool with_cal;  // "Overwrite calibration values?" ticked
    bool written;   // whether the edit reaches the device
};
void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramDevice : public DeviceOps, public ::testing::WithParamInterface<EditCase> {};

TEST_P(ProgramDevice, ChangesExactlyTheEditedRegisters) {
    const EditCase& c = GetParam();
    const Device& d = c.device;
    ASSERT_TRUE(start(0, "GB"));
    auto& m = main();
    plant_->set_echo(d.echo);
    // The calibration box needs level 2: the level-2 password typed.
    model::entered_password = model::password_level_2_default;
    mainwin::apply_access_level();
    select(d.address);
    mark_device_params();
    read();
    if (c.with_cal) click(m.Check3D2);
    ASSERT_EQ(m.Check3D2.value(), c.with_cal ? 1 : 0);
    const RegisterFile before = register_file(device());
    const int old_value = model::param_image[c.word];
    const int new_value = old_value + 1;
    model::param_image[c.word] = static_cast<std::int16_t>(new_value);
    ASSERT_TRUE(mainwin::params_changed());
    clear_records();

    program();

    EXPECT_EQ(prompts(), (std::vector<std::string>{overwrite_q, transmitted}));
    std::vector<Request> expected{{read_fn, 4, 1}, {read_fn, 26, 1}, {read_fn, 1123, 4}};
    if (c.with_cal)
        for (auto r : {Request{write_fn, 1000, 32},
                       {write_fn, 1032, 32},
                       {write_fn, 1064, 32},
                       {write_fn, 1096, 27}})
            expected.push_back(r);
    else
        for (auto r : {Request{write_fn, 1070, 32}, {write_fn, 1102, 21}}) expected.push_back(r);
    if (d.count > 127) expected.push_back({write_fn, 1127, d.count - 127});
    expected.push_back({write_fn, 56, 1});
    EXPECT_EQ(requests(), expected);

    std::vector<std::string> want;
    if (c.written) {
        const std::string w = std::to_string(c.word) + ": " + std::to_string(old_value) + " -> " +
                              std::to_string(new_value);
        want = {"working " + w, "stored " + w};
    }
    EXPECT_EQ(changes(before, register_file(device())), want);
    EXPECT_EQ(model::param_image[c.word], new_value) << "programming leaves the image as it was";
    EXPECT_EQ(mainwin::param_snapshot, model::params_to_text());
    EXPECT_FALSE(mainwin::params_changed());
    EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
}

const EditCase edit_cases[] = {
    {"dlx_306_setting", devices[0], 80, false, true},
    {"dlx_402_calibration", devices[1], 10, true, true},
    {"krv_303_setting", devices[2], 99, false, true},
    {"krv_405_word_127", devices[3], 127, false, true},
    {"krv_405_calibration_unticked", devices[3], 10, false, false},
    {"krv_416_word_139", devices[4], 139, false, true},
    {"krv_416_calibration", devices[4], 0, true, true},
};

INSTANTIATE_TEST_SUITE_P(EveryGeneration, ProgramDevice, ::testing::ValuesIn(edit_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Programming that is refused or broken off: the boxes in their order, the requests,
// what the device's registers show afterwards and whether the snapshot was retaken.
// The image is device 1's set (KRV 4.05) with word 80 edited.
TEST_F(DeviceOps, RefusedOrBrokenProgrammingSaysWhyAndReportsWhatWasWritten) {
    struct Row {
        const char* name;
        std::function<void()> setup;  // after the read and the edit
        std::vector<ui::ScriptedBoxes::Answer> answers;
        std::vector<std::string> prompts;
        std::vector<Request> requests;
        std::vector<std::string> changes;  // in the device's register file
    };
    const std::vector<Request> checks{{read_fn, 4, 1}, {read_fn, 26, 1}, {read_fn, 1123, 4}};
    const std::string edit_80 =
        "80: " + std::to_string(marked(80)) + " -> " + std::to_string(marked(80) + 1);
    const std::vector<std::string> word_80{"working " + edit_80, "stored " + edit_80};
    auto silent_from = [this](int function, int first, int last) {
        return [=, this] {
            plant_->fault(Fault::silent().unit(1).function(function).registers(first, last));
        };
    };
    auto times4 = [](Request r) { return std::vector<Request>(4, r); };
    auto concat = [](std::vector<Request> a, const std::vector<Request>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Row rows[] = {
        {"cancel_at_first_question", nullptr, {reply(ui::id_cancel)}, {overwrite_q}, {}, {}},
        {"image_version_unsupported",
         [this] { main().curr_version.set_text("4.06"); },
         {},
         {overwrite_q, "No support for this KRV software version."},
         {},
         {}},
        {"device_version_differs",
         [this] { device().set_status(4, 404); },
         {},
         {overwrite_q, "KRV version is wrong !"},
         {{read_fn, 4, 1}},
         {}},
        {"jumpers_voltage_image_current",
         [this] { device().set_status(26, 10 << 8); },
         {},
         {overwrite_q, jumper_box},
         {{read_fn, 4, 1}, {read_fn, 26, 1}},
         {}},
        {"output_mode_not_a_number",
         [this] { main().v_mode.set_text("x40"); },
         {},
         {overwrite_q, jumper_box},
         {{read_fn, 4, 1}, {read_fn, 26, 1}},
         {}},
        {"silent_at_version",
         silent_from(read_fn, 4, 4),
         {},
         {overwrite_q, no_connection},
         times4({read_fn, 4, 1}),
         {}},
        {"silent_at_serial",
         silent_from(read_fn, 1123, 1126),
         {},
         {overwrite_q, no_connection},
         concat({{read_fn, 4, 1}, {read_fn, 26, 1}}, times4({read_fn, 1123, 4})),
         {}},
        {"serial_differs_cancel",
         [this] { device().set_serial("99887766"); },
         {reply(ui::id_ok), reply(ui::id_cancel)},
         {overwrite_q, serial_q},
         checks,
         {}},
        {"serial_differs_ok_serial_locked",
         [this] { device().set_serial("99887766"); },
         {},
         {overwrite_q, serial_q, transmitted},
         concat(
             checks,
             {{write_fn, 1070, 32}, {write_fn, 1102, 21}, {write_fn, 1127, 1}, {write_fn, 56, 1}}),
         word_80},
        {"stops_answering_in_the_second_block",
         silent_from(write_fn, 1102, 1199),
         {},
         {overwrite_q, not_transmitted},
         concat(concat(checks, {{write_fn, 1070, 32}}), times4({write_fn, 1102, 21})),
         {"working " + edit_80}},
        {"store_command_unanswered",
         silent_from(write_fn, 56, 56),
         {},
         {overwrite_q, not_transmitted},
         concat(checks, concat({{write_fn, 1070, 32}, {write_fn, 1102, 21}, {write_fn, 1127, 1}},
                               times4({write_fn, 56, 1}))),
         {"working " + edit_80}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(start());
        select(1);
        mark_device_params();
        read();
        ASSERT_EQ(model::param_image[80], marked(80));
        model::param_image[80] = static_cast<std::int16_t>(marked(80) + 1);
        const auto image = model::param_image;
        const std::string snapshot = mainwin::param_snapshot;
        if (row.setup) row.setup();
        const RegisterFile before = register_file(device());
        clear_records();
        for (const auto& a : row.answers) boxes_.answer(a);

        program();

        EXPECT_EQ(prompts(), row.prompts);
        EXPECT_EQ(requests(), row.requests);
        EXPECT_EQ(changes(before, register_file(device())), row.changes);
        EXPECT_EQ(model::param_image, image) << "the image, its serial words included, is kept";
        const bool all_written = !row.prompts.empty() && row.prompts.back() == transmitted;
        EXPECT_EQ(mainwin::param_snapshot, all_written ? model::params_to_text() : snapshot);
        EXPECT_EQ(mainwin::params_changed(), !all_written);
        EXPECT_EQ(ui::mouse_pointer(), ui::mp_default);
        for (const auto& b : boxes_.shown())
            if (b.prompt == jumper_box)
                EXPECT_FALSE(b.title) << "the jumper box carries the default title";
            else
                EXPECT_EQ(b.title, "DORVANEX");
        ui::reset_forms();
        reset_globals();
        prepare(0);
    }
}

TEST_F(DeviceOps, OutputJumpersMatchUnlessOneSideIsVoltageAndTheOtherCurrent) {
    struct Row {
        int device_code;
        const char* v_mode;
        bool refused;
    } rows[] = {
        {40, "0", true},   {10, "40", true},   {40, "10", true},  {0, "21", true},
        {20, "0", false},  {20, "40", false},  {40, "20", false}, {10, "20", false},
        {40, "40", false}, {10, " 0 ", false},
    };
    ASSERT_TRUE(start());
    select(1);
    read();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.device_code) + " / '" + row.v_mode + "'");
        device().set_status(26, row.device_code << 8 | 128);
        main().v_mode.set_text(row.v_mode);
        clear_records();
        program();
        EXPECT_EQ(prompts().at(1), row.refused ? jumper_box : transmitted);
        EXPECT_EQ(writes().empty(), row.refused);
    }
}

TEST_F(DeviceOps, ProgrammingAnotherDevicesSetWritesItsSerialOnlyWhenUnlocked) {
    write_checked("sn_chg.cfg", "enabled");
    ASSERT_TRUE(start());
    select(1);
    read();
    device().set_serial("99887766");
    program();
    EXPECT_EQ(device().serial(), "21040001");
    EXPECT_EQ(device().stored_param(123), model::param_image[123]);
    EXPECT_FALSE(mainwin::params_changed());
}

TEST_F(DeviceOps, BehindAGatewayTheBusAddressWordIsNeverWritten) {
    write_checked("HZL3_mod.cfg", "1");
    ASSERT_TRUE(start(2));
    select(32);  // rack 1, slot 32: KRV 4.19
    mark_device_params();
    read();
    ASSERT_EQ(model::param_count, 140);
    for (int p = 0; p < 140; ++p)
        ASSERT_EQ(model::param_image[p], device().param(p)) << "word " << p;
    const RegisterFile before = register_file(device());
    model::param_image[80] = static_cast<std::int16_t>(marked(80) + 1);
    model::param_image[113] = static_cast<std::int16_t>(model::param_image[113] + 0x0100);
    program();
    EXPECT_EQ(prompts().back(), transmitted);
    const std::string edit_80 =
        "80: " + std::to_string(marked(80)) + " -> " + std::to_string(marked(80) + 1);
    EXPECT_EQ(changes(before, register_file(device())),
              (std::vector<std::string>{"working " + edit_80, "stored " + edit_80}));
    EXPECT_FALSE(mainwin::params_changed());
}

TEST(DeviceVersionText, PadsOneDigitWordsAndKeepsTheRest) {
    struct Row {
        std::int16_t word;
        const char* text;
    } rows[] = {{405, "4.05"}, {416, "4.16"}, {1203, "12.03"}, {99, ".99"},
                {10, ".10"},   {5, ".05"},    {0, ".00"},      {-5, ".-5"}};
    for (const Row& r : rows) EXPECT_EQ(mainwin::device_version_text(r.word), r.text) << r.word;
}

}  // namespace
}  // namespace dvx::testing

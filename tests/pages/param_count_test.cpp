// Every way the program reads a device's parameter block, after every parameter count
// that can be in force before it, followed by a Program of that device: the read asks
// the device's own count, so the Program gives every parameter word back as it was.
// A short read would leave words of the start, another device or a file in the image,
// which the Program then writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mainwin/access_level.h"
#include "mainwin/device_ops.h"
#include "model/access.h"
#include "model/param_image.h"
#include "pages/h_online.h"
#include "pages/wartung.h"
#include "tests/pages/live_fixture.h"

namespace dvx::testing {
namespace {

// What a device under test gets in every word but the input type (a DLX's is 19 on
// the device and in the image), the bus address and the TAG and serial number.
int marked(int p, int mark) {
    return (p * 211 + mark) % 60000 - 30000;
}
void mark_words(sim::Transmitter& t, int mark) {
    for (int p = 0; p < t.param_count(); ++p)
        if (p != 99 && p != 113 && (p < 119 || p > 126)) t.set_param(p, marked(p, mark));
}

// The devices a case reads, by kind, and the place of the device under test.
struct Kind {
    const char* name;
    int type_code, version, count;
};
const Kind krv_140{"krv140", 11, 416, 140};
const Kind krv_128{"krv128", 11, 405, 128};
const Kind dlx_127{"dlx127", 111, 306, 127};

struct Bus {
    const char* name;
    int mode;
    int krv_128, krv_140, dlx;  // addresses (slots of rack 1) of the default plant
    int target;                 // where the device under test is added
};
const Bus direct{"direct", 0, 1, 33, 3, 255};  // 255: a scan from there tries it alone
const Bus hzl3{"hzl3", 2, 17, 1, 16, 20};

// The count in force before the read: the start's 127, a device's, or a loaded file's.
enum class Before { start, krv_128, krv_140, dlx, file };
constexpr const char* before_names[] = {"after_start", "after_krv128", "after_krv140", "after_dlx",
                                        "after_file"};

enum class Path { read, online, diagnosis, scan, restore, list_double_click };
constexpr const char* path_names[] = {"read", "online",  "diagnosis",
                                      "scan", "restore", "list_double_click"};

struct Case {
    Bus bus;
    Before before;
    Path path;
    Kind target;
};
std::string case_name(const Case& c) {
    return std::string(c.bus.name) + "_" + path_names[static_cast<int>(c.path)] + "_" +
           before_names[static_cast<int>(c.before)] + "_" + c.target.name;
}
void PrintTo(const Case& c, std::ostream* os) {
    *os << case_name(c);
}

std::vector<Case> all_cases() {
    const Before befores[] = {Before::start, Before::krv_128, Before::krv_140, Before::dlx,
                              Before::file};
    const Kind targets[] = {krv_140, krv_128, dlx_127};
    const std::vector<std::pair<Bus, std::vector<Path>>> paths{
        {direct, {Path::read, Path::online, Path::diagnosis, Path::scan, Path::restore}},
        {hzl3, {Path::list_double_click, Path::online, Path::diagnosis}},
    };
    std::vector<Case> out;
    for (const auto& [bus, bus_paths] : paths)
        for (const Path p : bus_paths)
            for (const Before b : befores)
                for (const Kind& t : targets) out.push_back({bus, b, p, t});
    return out;
}

// A configuration file of a KRV 4.05 (128 words) whose 1000 words are all its own.
std::string config_file() {
    std::string content = "file comment|FILE-001|4.05|40|";
    for (int p = 0; p < 1000; ++p) content += std::to_string(marked(p, 13)) + "|";
    return content + "0|0|";
}

class ParamCount : public LivePageFixture, public ::testing::WithParamInterface<Case> {
  protected:
    sim::Transmitter& at(int place) {
        return GetParam().bus.mode == 0 ? plant_->device(place) : plant_->device(1, place);
    }
    sim::Transmitter& add_target() {
        const Case& c = GetParam();
        sim::Transmitter t(c.target.type_code, c.target.version);
        t.set_serial("31415926");
        t.set_tag(" TT-999 ");
        mark_words(t, 0);
        return c.bus.mode == 0 ? plant_->add(c.bus.target, t)
                               : plant_->rack(1).add(c.bus.target, t);
    }

    void bring_in_force(Before before) {
        const Bus& bus = GetParam().bus;
        auto read_at = [this](int place, int mark) {
            mark_words(at(place), mark);
            select(place);
            read();
        };
        switch (before) {
            case Before::start:
                return;
            case Before::krv_128:
                return read_at(bus.krv_128, 7);
            case Before::krv_140:
                return read_at(bus.krv_140, 7);
            case Before::dlx:
                return read_at(bus.dlx, 7);
            case Before::file:
                write_checked("device.krv", config_file());
                dialogs_.choose("device.krv");
                click(main().m_dat_load);
                return;
        }
    }

    void run_path(Path path, sim::Transmitter& target) {
        const Bus& bus = GetParam().bus;
        auto& m = main();
        switch (path) {
            case Path::read:
                return read();
            case Path::online:
                return run_page(m.B_online, 1.0, [] {
                    if (auto* p = pages::h_online_inst.peek()) ui::user_click(p->B_Zurueck);
                });
            case Path::diagnosis:
                return run_page(m.Command3D3, 1.0, [] {
                    pages::DiagnosisPage* p = pages::wartung_inst.peek();
                    if (!p) p = pages::wartung_krv_inst.peek();
                    if (p) ui::user_click(p->B_Zurueck);
                });
            case Path::scan:
                return click(m.Command3D4);
            case Path::restore: {
                std::string copy;
                for (int p = 0; p < target.param_count(); ++p)
                    copy += (p ? "|" : "") + std::to_string(target.param(p));
                const bool krv = target.family() == sim::Family::krv;
                set_reg(mainwin::factory_copy_name(krv, target.serial()).c_str(), copy);
                return click(m.m_restore_cfg);
            }
            case Path::list_double_click: {
                click(m.Command3D4);
                for (int i = 1; i <= m.liv_scan.item_count(); ++i) {
                    const ui::ListItem& row = m.liv_scan.item(i);
                    if (row.text() == "1" && row.sub_item(1) == std::to_string(bus.target))
                        return user([&m, i] { ui::user_select(m.liv_scan, i, true); });
                }
                ADD_FAILURE() << "the device under test is not listed";
                return;
            }
        }
    }
};

TEST_P(ParamCount, ProgramAfterTheReadGivesTheDeviceEveryWordBack) {
    const Case& c = GetParam();
    if (c.bus.mode != 0) write_checked("HZL3_mod.cfg", "1");
    ASSERT_TRUE(start(c.bus.mode));
    // The calibration words are written too: level 2, the box ticked.
    model::entered_password = model::password_level_2_default;
    mainwin::apply_access_level();
    sim::Transmitter& target = add_target();
    ASSERT_EQ(target.param_count(), c.target.count);
    boxes_.answer_all(ui::id_ok);

    bring_in_force(c.before);
    // A scan keeps the family selected: under the other family the firmware of the
    // device listed is none the program supports, and Program refuses it.
    const bool krv_target = c.target.type_code < 100;
    const bool refused = c.path == Path::scan && main().S_KRV.value() != krv_target;
    select(c.bus.target);
    const RegisterFile before = register_file(target);
    run_path(c.path, target);
    ASSERT_EQ(model::param_count, c.target.count) << "the device's own count";
    for (int p = 0; p < c.target.count; ++p)
        ASSERT_EQ(model::param_image[p], target.param(p)) << "image word " << p;

    clear_records();
    click(main().Check3D2);
    ASSERT_EQ(main().Check3D2.value(), 1);
    program();
    ASSERT_FALSE(prompts().empty());
    EXPECT_EQ(prompts().back(), !refused     ? "parameters transmited."
                                : krv_target ? "No support for this DLX software version."
                                             : "No support for this KRV software version.");
    RegisterFile after = register_file(target);
    after.status = before.status;  // the live words and commands are not the set
    after.comment = before.comment;
    EXPECT_EQ(changes(before, after), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(EveryPathAfterEveryCount, ParamCount, ::testing::ValuesIn(all_cases()),
                         [](const auto& info) { return case_name(info.param); });

}  // namespace
}  // namespace dvx::testing

// The real executable, started offscreen on the simulated bus in a fresh working
// folder with its own home and registry file. Its screenshots are kept in the build
// tree (screenshots/) for people to look at.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/reg_settings.h"
#include "tests/app/qt_test_app.h"
#include "ui/file_registry.h"

namespace dvx::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code = -1;
    std::string err;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qt_app();  // for reading the pictures back
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("dvx-app-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "work");
        fs::create_directories(dir_ / "home");
        fs::create_directories(DVX_SCREENSHOT_DIR);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path registry() const { return dir_ / "home" / "registry"; }

    // Starts dorvanex in the working folder with only our paths in its environment.
    Outcome start(const std::string& args) {
        const fs::path err = dir_ / "stderr.txt";
        const std::string cmd = "cd '" + (dir_ / "work").string() +
                                "' && env -u XDG_CONFIG_HOME -u DISPLAY" + " HOME='" +
                                (dir_ / "home").string() + "' DORVANEX_REGISTRY='" +
                                registry().string() + "' QT_QPA_PLATFORM=offscreen timeout 60 '" +
                                DVX_EXE + "' " + args + " 2>'" + err.string() + "' >/dev/null";
        Outcome r;
        const int status = std::system(cmd.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(err);
        std::stringstream ss;
        ss << in.rdbuf();
        r.err = ss.str();
        return r;
    }

    fs::path dir_;
};

// A first start asks for the language; with one chosen, the main window comes up.
TEST_F(ProgramTest, StartsOffscreenOnTheSimulatorAndShowsItsWindow) {
    struct Case {
        const char* name;
        const char* language;  // registry LANGUAGE, "" for a first start
        const char* window;
        QSize min_size;
    };
    const Case cases[] = {
        {"first_start", "", "Lang_Select", {200, 100}},
        {"main_window", "GB", "Hauptmen", {600, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(registry());
        if (*c.language) {
            ui::FileRegistry reg(registry());
            ASSERT_TRUE(reg.create_key(model::reg_key));
            const std::string text = c.language;
            ui::RegValue v{ui::reg_sz, {text.begin(), text.end()}};
            v.bytes.push_back(0);
            ASSERT_TRUE(reg.set_value(model::reg_key, model::reg_language, v));
        }
        const fs::path shot = fs::path(DVX_SCREENSHOT_DIR) / (std::string(c.name) + ".png");
        fs::remove(shot);
        const Outcome r = start("--simulate --screenshot '" + shot.string() + "'");
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find(std::string("window \"") + c.window), std::string::npos) << r.err;
        QImage img(QString::fromStdString(shot.string()));
        ASSERT_FALSE(img.isNull()) << shot;
        EXPECT_GE(img.width(), c.min_size.width());
        EXPECT_GE(img.height(), c.min_size.height());
        // Not a blank picture: the controls drew something.
        int dark = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                if (qGray(img.pixel(x, y)) < 100) ++dark;
        EXPECT_GT(dark, 50);
    }
}

TEST_F(ProgramTest, BadArgumentsAndPresetsAreRefusedWithAMessage) {
    Outcome r = start("--frobnicate");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Usage: dorvanex"), std::string::npos);

    std::ofstream(dir_ / "work" / "bad.preset") << "this is no preset\n";
    r = start("--preset bad.preset");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("bad.preset"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace dvx::testing

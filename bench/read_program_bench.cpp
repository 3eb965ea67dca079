// Reading and programming a 140-word transmitter (KRV 4.16 at address 17 of the
// default direct bus) through the main window's buttons, over the simulated line at
// 9600 baud on virtual time (no DLX firmware holds 140 words, so the largest set is a
// KRV's). Prints the elapsed line time of each operation against
// the floor the line itself sets:
//
//   floor = bytes on the line x 11 bits / 9600 baud
//         + one 3.5-character silence per request (the device can only see the
//           request's end after it, so no answer can start earlier)
//
// and the same with a 3.5-character silence between every two frames (the strict
// RTU spacing, which the master keeps before each of its blocks). The shortest silence
// before a block of the master is measured twice: by the simulated port on the line
// itself, and here from what the master reads and writes. Run once with an echoing
// adapter and once with a silent one: without echo the probe that opens every
// operation waits its full 0.2 s window for an echo that never comes.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/serial_line.h"
#include "mainwin/device_ops.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/program_start.h"
#include "model/param_image.h"
#include "model/reg_settings.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/cp1252.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "sim/sim.h"
#include "ui/app.h"
#include "ui/doubles/memory_registry.h"
#include "ui/doubles/scripted_boxes.h"
#include "ui/headless_loop.h"
#include "ui/input.h"
#include "ui/services.h"

namespace {

using namespace dvx;

constexpr int baud = 9600;
constexpr double byte_seconds = 11.0 / baud;
constexpr double gap_seconds = 3.5 * byte_seconds;
constexpr int address = 17;

// The simulated port with a count of what the master puts on the line and takes off it.
class CountingPort final : public platform::SerialPort {
  public:
    CountingPort(platform::SerialPort& port, platform::Clock& clock) : port_(port), clock_(clock) {}
    void set_port_number(int n) override { port_.set_port_number(n); }
    int port_number() const override { return port_.port_number(); }
    void set_settings(const std::string& t) override { port_.set_settings(t); }
    std::string settings() const override { return port_.settings(); }
    void open() override { port_.open(); }
    void close() override { port_.close(); }
    bool is_open() const override { return port_.is_open(); }
    int in_count() override { return port_.in_count(); }
    int out_count() override { return port_.out_count(); }
    void discard_input() override {
        const int n = port_.in_count();
        received += n;  // on the line all the same
        if (n > 0) last_byte = std::max(last_byte, clock_.now());
        port_.discard_input();
    }
    void discard_output() override { port_.discard_output(); }
    std::vector<std::uint8_t> read(int max_bytes) override {
        auto bytes = port_.read(max_bytes);
        received += static_cast<long>(bytes.size());
        if (!bytes.empty()) last_byte = std::max(last_byte, clock_.now());
        return bytes;
    }
    void write(std::span<const std::uint8_t> bytes) override {
        const double now = clock_.now();
        if (frames_sent > 0) shortest_silence = std::min(shortest_silence, now - last_byte);
        sent += static_cast<long>(bytes.size());
        ++frames_sent;
        port_.write(bytes);
        last_byte = std::max(now, last_byte) + static_cast<double>(bytes.size()) * byte_seconds;
    }
    void wait_input(double seconds) override { port_.wait_input(seconds); }

    long sent = 0, received = 0, frames_sent = 0;
    // The master's view: from the last byte it read (or sent out) to its next block.
    double shortest_silence = 1e300;

  private:
    platform::SerialPort& port_;
    platform::Clock& clock_;
    double last_byte = 0;
};

struct Figures {
    double elapsed = 0;
    long line_bytes = 0;
    long requests = 0;  // answered requests
    long frames = 0;    // frames on the line: probe byte, requests, answers
};

struct Bench {
    platform::VirtualClock clock;
    ui::HeadlessLoop loop{clock};
    ui::ScriptedBoxes boxes;
    ui::MemoryRegistry registry;
    std::filesystem::path dir;
    std::unique_ptr<platform::DiskFiles> files;
    sim::Plant plant = sim::Plant::preset(0);
    std::unique_ptr<sim::SimPort> sim_port;
    std::unique_ptr<CountingPort> port;
    bool echo;

    explicit Bench(bool echo_adapter) : echo(echo_adapter) {
        dir = std::filesystem::temp_directory_path() /
              ("dvx-read-program-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        files = std::make_unique<platform::DiskFiles>(dir.string());
        plant.set_echo(echo);
        sim_port = std::make_unique<sim::SimPort>(plant, clock);
        port = std::make_unique<CountingPort>(*sim_port, clock);
        boxes.answer_all(ui::id_ok);
        registry.put_string(model::reg_key, model::reg_language, "GB");
        mainwin::StartServices start;
        start.clock = &clock;
        start.loop = &loop;
        start.boxes = &boxes;
        start.registry = &registry;
        start.files = files.get();
        start.port = port.get();
        if (!mainwin::start_headless(start)) throw std::runtime_error("the program did not start");
        user([] { ui::user_select(mainwin::hauptmenu_inst->adr_select, address - 1); });
    }
    ~Bench() {
        ui::reset_forms();
        ui::services() = ui::Services{};
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    template <class F>
    void user(F action) {
        loop.post(action);
        loop.run_pending();
    }

    // One click, measured.
    Figures measure(ui::Control& button) {
        const double t0 = clock.now();
        const long sent0 = port->sent, received0 = port->received, frames0 = port->frames_sent;
        const std::size_t log0 = plant.log().size();
        const std::size_t boxes0 = boxes.shown().size();
        user([&button] { ui::user_click(button); });
        Figures f;
        f.elapsed = clock.now() - t0;
        const long sent = port->sent - sent0;
        const long received = port->received - received0;
        // With an echoing adapter every byte sent comes back once more without
        // taking the line a second time.
        f.line_bytes = sent + (echo ? received - sent : received);
        long answered = 0;
        for (std::size_t i = log0; i < plant.log().size(); ++i)
            if (plant.log()[i].answered) ++answered;
        f.requests = answered;
        f.frames = (port->frames_sent - frames0) + answered;
        for (std::size_t i = boxes0; i < boxes.shown().size(); ++i)
            std::printf("    box: %s\n", platform::to_utf8(boxes.shown()[i].prompt).c_str());
        return f;
    }
};

void print(const char* what, const Figures& f) {
    const double bytes_time = f.line_bytes * byte_seconds;
    const double floor = bytes_time + f.requests * gap_seconds;
    const double strict = bytes_time + (f.frames - 1) * gap_seconds;
    std::printf(
        "  %-8s elapsed %8.1f ms | %4ld bytes on the line = %6.1f ms | floor %6.1f ms -> %.3fx"
        " | strict floor %6.1f ms -> %.3fx\n",
        what, f.elapsed * 1e3, f.line_bytes, bytes_time * 1e3, floor * 1e3, f.elapsed / floor,
        strict * 1e3, f.elapsed / strict);
}

void run(bool echo) {
    std::printf("%s adapter, 9600 baud, KRV 4.16 (140 words) at address %d:\n",
                echo ? "Echoing" : "Silent (no echo)", address);
    Bench b(echo);
    auto& m = *mainwin::hauptmenu_inst;
    const Figures read = b.measure(m.B_FQN_Read);
    if (model::param_count != 140) throw std::runtime_error("not a 140-word read");
    model::param_image[80] = static_cast<std::int16_t>(model::param_image[80] + 1);
    const Figures program = b.measure(m.B_FQN_Write);
    if (b.plant.device(address).stored_param(80) != model::param_image[80])
        throw std::runtime_error("the edit did not reach the device");
    Figures both;
    for (const Figures* f : {&read, &program}) {
        both.elapsed += f->elapsed;
        both.line_bytes += f->line_bytes;
        both.requests += f->requests;
        both.frames += f->frames;
    }
    print("read", read);
    print("program", program);
    print("both", both);
    std::printf(
        "  shortest silence before a block of the master: on the line %.3f ms, seen by"
        " the master %.3f ms (3.5 characters: %.3f ms)\n",
        b.sim_port->shortest_silence() * 1e3, b.port->shortest_silence * 1e3, gap_seconds * 1e3);
    const double strict = both.line_bytes * byte_seconds + (both.frames - 1) * gap_seconds;
    if (b.sim_port->shortest_silence() < gap_seconds - 1e-9)
        throw std::runtime_error("a block started before the line was silent for 3.5 characters");
    if (both.elapsed > 1.05 * strict + (echo ? 0 : 2 * 0.2))
        throw std::runtime_error("read and program took more than 1.05x the strict floor");
    if (!echo)
        std::printf(
            "  (each operation opens with the echo probe's 0.2 s window: %.1f ms of the total;"
            " without it both take %.3fx the strict floor)\n",
            2 * 0.2e3, (both.elapsed - 2 * 0.2) / strict);
}

constexpr const char* usage =
    "Usage: read_program_bench\n"
    "Reads and programs a KRV 4.16 over the simulated 9600-baud line, with and without\n"
    "an echoing adapter, against the line's own time floor.\n"
    "  --version   shows the version and ends\n"
    "  -h, --help  shows this text and ends\n";
constexpr dvx::platform::Program program{.name = "read_program_bench",
                                         .version = DVX_VERSION,
                                         .usage = usage,
                                         .options = {},
                                         .arguments = 0};

}  // namespace

int main(int argc, char** argv) {
    const auto line = dvx::platform::parse(program, argc, argv);
    if (const auto code = dvx::platform::answer(program, line)) return *code;
    try {
        run(true);
        run(false);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "read_program_bench: %s\n",
                     platform::to_utf8(platform::text_of(e)).c_str());
        return 1;
    }
    return 0;
}

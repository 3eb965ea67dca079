// The headless loop's throughput: queued input and timer ticks through pump points.
#include <benchmark/benchmark.h>

#include "ui/app.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/headless_loop.h"
#include "ui/input.h"
#include "ui/services.h"

namespace {

using namespace dvx::ui;

class BenchForm : public Form {
  public:
    BenchForm() : Form("bench") {}
    TextBox txt{*this, "txt", {120, 120, 1200, 315}};
    CommandButton btn{*this, "btn", {120, 600, 1200, 375}};
    Timer tmr{*this, "tmr"};
};

struct Setup {
    dvx::platform::VirtualClock clock;
    HeadlessLoop loop{clock};
    BenchForm form;
    Setup() {
        services().clock = &clock;
        services().loop = &loop;
        loop.set_guard(~0ull, 1e12);
        form.load();
        form.show_modeless();
    }
    ~Setup() {
        reset_forms();
        services().loop = nullptr;
        services().clock = nullptr;
    }
};

// 100 000 queued user clicks, each moving nothing and raising Click, in one pump.
void queued_clicks(benchmark::State& state) {
    Setup s;
    long clicks = 0;
    s.form.btn.on_click = [&] { ++clicks; };
    for (auto _ : state) {
        for (int i = 0; i < 100'000; ++i) s.loop.post([&] { user_click(s.form.btn); });
        s.loop.do_events();
    }
    benchmark::DoNotOptimize(clicks);
    state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(queued_clicks)->Unit(benchmark::kMillisecond);

// 100 000 simulated keystrokes: KeyDown, KeyPress (dropped by the filter), KeyUp.
void queued_keys(benchmark::State& state) {
    Setup s;
    s.form.txt.set_focus();
    s.form.txt.on_key_press = [](int& k) { k = 0; };
    const std::string ten(10, '7');
    for (auto _ : state) {
        for (int i = 0; i < 10'000; ++i) send_keys(ten);
        s.loop.do_events();
    }
    state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(queued_keys)->Unit(benchmark::kMillisecond);

// 10 000 timer ticks of a 1 ms timer over 10 s of virtual time.
void timer_ticks(benchmark::State& state) {
    Setup s;
    long ticks = 0;
    s.form.tmr.on_timer = [&] { ++ticks; };
    s.form.tmr.set_interval(1);
    for (auto _ : state) s.loop.run_for(10.0);
    benchmark::DoNotOptimize(ticks);
    state.counters["ticks_per_run"] = static_cast<double>(ticks) / state.iterations();
    state.SetItemsProcessed(ticks);
}
BENCHMARK(timer_ticks)->Unit(benchmark::kMillisecond);

}  // namespace

// The library's own main, but a flag it does not know is a wrong argument: exit code 2.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

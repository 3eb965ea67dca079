#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace dvx::platform {

double SteadyClock::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::sleep_until(double t) {
    const double d = t - now();
    if (d > 0) std::this_thread::sleep_for(std::chrono::duration<double>(d));
}

Date SystemCalendar::today() {
    using namespace std::chrono;
    const auto now = system_clock::to_time_t(system_clock::now());
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

}  // namespace dvx::platform

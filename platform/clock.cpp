#include "platform/clock.h"

#include <chrono>
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

}  // namespace dvx::platform

#pragma once
// The one busy flag of the three 1500 ms timers (HZL, HZL3 and concentrator pages).
// The link's retry pauses run events, so a tick can arrive while another page's tick
// is still inside its read; a tick that finds the flag set does nothing.
#include <cstdint>

#include "link/transactions.h"

namespace dvx::gateway {

inline std::int16_t poll_busy = 0;

// A tick polls only when no other tick is inside its read and no button's request
// waits in a link pause: the link would turn the read away, and the page would take
// that for a lost connection (its message, polling off) while the button's request
// goes on and may well succeed.
inline bool poll_may_start() {
    return poll_busy == 0 && !link::transaction_underway();
}

// Sets poll_busy for the length of one tick and clears it however the tick ends.
class PollTick {
  public:
    PollTick() { poll_busy = 1; }
    ~PollTick() { poll_busy = 0; }
    PollTick(const PollTick&) = delete;
    PollTick& operator=(const PollTick&) = delete;
};

}  // namespace dvx::gateway

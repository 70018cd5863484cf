#include "package/modDelay.h"

namespace kestrane {

bool WaitUntil(std::chrono::milliseconds limit, EventPump& pump, const std::function<bool()>& done,
               const std::function<void(std::chrono::milliseconds)>& sleep) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        pump.ProcessPendingEvents();
        if (done()) return true;
        const auto now = Clock::now();
        if (now >= deadline) return false;
        // Round up so that a sub-millisecond remainder does not spin.
        sleep(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
    }
}

void Delay(std::int32_t milliseconds, EventPump& pump) {
    WaitUntil(std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds), pump, [] { return false; },
              [&pump](std::chrono::milliseconds remaining) { pump.WaitForEvent(remaining); });
}

}  // namespace kestrane

#include "package/Wait.h"

namespace kestrane {

bool WaitUntil(std::chrono::milliseconds limit, SystemPort& system, const std::function<bool()>& done,
               const std::function<void(std::chrono::milliseconds)>& sleep) {
    const auto deadline = system.Now() + limit;
    for (;;) {
        system.ProcessPendingEvents();
        if (done()) return true;
        const auto now = system.Now();
        if (now >= deadline) return false;
        sleep(deadline - now);
    }
}

void Delay(std::int32_t milliseconds, SystemPort& system) {
    WaitUntil(std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds), system, [] { return false; },
              [&system](std::chrono::milliseconds remaining) { system.WaitForEvent(remaining); });
}

}  // namespace kestrane

// Waiting while the window stays alive: the build waits for the archiver
// with the window painted, movable and closable.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kestrane {

class EventPump {
public:
    // Handles every window event that is waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
    // Sleeps until a new event arrives or `timeout` has passed.
    virtual void WaitForEvent(std::chrono::milliseconds timeout) = 0;

protected:
    ~EventPump() = default;
};

// Waits `milliseconds` on the monotonic clock while processing events, at
// least once; a duration of zero or less only processes the pending events.
void Delay(std::int32_t milliseconds, EventPump& pump);

// Processes events until `done()` holds or `limit` has passed, sleeping in
// `sleep(remaining)` between rounds. True when `done()` held.
bool WaitUntil(std::chrono::milliseconds limit, EventPump& pump, const std::function<bool()>& done,
               const std::function<void(std::chrono::milliseconds)>& sleep);

}  // namespace kestrane

// Waiting while the window stays alive: the build waits for the archiver
// with the window painted, movable and closable.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "package/SystemPort.h"

namespace kestrane {

// Waits `milliseconds` on the port's clock while processing events, at
// least once; a duration of zero or less only processes the pending events.
void Delay(std::int32_t milliseconds, SystemPort& system);

// Processes events until `done()` holds or `limit` has passed, sleeping in
// `sleep(remaining)` between rounds. True when `done()` held.
bool WaitUntil(std::chrono::milliseconds limit, SystemPort& system, const std::function<bool()>& done,
               const std::function<void(std::chrono::milliseconds)>& sleep);

}  // namespace kestrane

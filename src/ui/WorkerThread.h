// Work that takes its time runs on a thread of its own, with a system port
// of its own, while its window stays responsive: the thread posts what it
// has to tell to the window, which shows it. This is the program's one way
// of waiting for a job; nothing pumps messages inside a wait.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "ui/ScopedWin.h"

namespace kestrane {

class WorkerThread {
public:
    // Starts `work` on a new thread; Started() tells whether it could.
    explicit WorkerThread(std::function<void()> work);
    // Waits for the work's end: a window never goes while its job still runs.
    ~WorkerThread();

    bool Started() const { return thread_.Valid(); }

private:
    static unsigned __stdcall Main(void* self);

    std::function<void()> work_;
    UniqueHandle thread_;
};

// Posts `data` to `window` with the message; the window takes it over with
// TakePosted. Where the window is gone, the data goes with the call.
template <typename T>
void PostOwned(HWND window, UINT message, std::unique_ptr<T> data) {
    if (PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(data.get()))) data.release();
}

template <typename T>
std::unique_ptr<T> TakePosted(LPARAM lParam) {
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

}  // namespace kestrane

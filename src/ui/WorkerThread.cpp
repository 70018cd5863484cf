#include "ui/WorkerThread.h"

#include <process.h>

namespace kestrane {

WorkerThread::WorkerThread(std::function<void()> work) : work_(std::move(work)) {
    // _beginthreadex rather than CreateThread: the C run-time's state of the
    // thread is made and freed with it.
    thread_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WorkerThread::Main, this, 0, nullptr)));
}

WorkerThread::~WorkerThread() {
    if (thread_.Valid()) WaitForSingleObject(thread_.Get(), INFINITE);
}

unsigned __stdcall WorkerThread::Main(void* self) {
    static_cast<WorkerThread*>(self)->work_();
    return 0;
}

}  // namespace kestrane

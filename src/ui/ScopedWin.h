// Owners for the handles a small Win32 program holds, so that every
// handle is released on every path.
#pragma once

#include <windows.h>

#include "ui/LateBound.h"
#include <ole2.h>

#include <utility>

namespace kestrane {

// A kernel handle (process, file). Both null and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE h = nullptr) {
        if (Valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

class UniqueRegKey {
public:
    UniqueRegKey() = default;
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;
    ~UniqueRegKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY Get() const { return key_; }
    HKEY* Put() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// A GDI object (font, bitmap, brush) the program created itself.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T obj) : obj_(obj) {}
    GdiObject(GdiObject&& other) noexcept : obj_(std::exchange(other.obj_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            obj_ = std::exchange(other.obj_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { Reset(); }

    T Get() const { return obj_; }
    void Reset() {
        if (obj_) DeleteObject(obj_);
        obj_ = nullptr;
    }

private:
    T obj_ = nullptr;
};

// A window's device context for the lifetime of the scope.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// The DC of a WM_PAINT, from BeginPaint to EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(hwnd_, &paint_); }
    HDC Get() const { return paint_.hdc; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
};

// A memory DC like a given one, for painting off screen.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back. Declare the
// owner of the object before this guard so the selection is undone first.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A hook of this thread for the lifetime of the scope.
class ScopedHook {
public:
    ScopedHook(int type, HOOKPROC procedure)
        : hook_(SetWindowsHookExW(type, procedure, nullptr, GetCurrentThreadId())) {}
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;
    ~ScopedHook() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }

private:
    HHOOK hook_;
};

// A COM interface pointer the program holds; released with its owner.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    // For functions that hand out a new reference through a void**.
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    T** Put() {
        Reset();
        return &p_;
    }
    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// OLE, and with it COM, on this thread for the lifetime of the scope; ole32
// is loaded with the first session (see LateBound.h).
class OleSession {
public:
    OleSession() {
        if (auto initialize = LateBound<decltype(OleInitialize)>(L"ole32.dll", "OleInitialize"))
            result_ = initialize(nullptr);
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (SUCCEEDED(result_))
            if (auto uninitialize = LateBound<decltype(OleUninitialize)>(L"ole32.dll", "OleUninitialize"))
                uninitialize();
    }

private:
    HRESULT result_ = E_FAIL;
};

// Keeps the main window from taking input while a window of ours is open
// over it, and hands it the activation back however the showing ends.
class DisabledWindow {
public:
    explicit DisabledWindow(HWND hwnd) : hwnd_(hwnd) { EnableWindow(hwnd_, FALSE); }
    DisabledWindow(const DisabledWindow&) = delete;
    DisabledWindow& operator=(const DisabledWindow&) = delete;
    ~DisabledWindow() {
        EnableWindow(hwnd_, TRUE);
        SetActiveWindow(hwnd_);
        SetForegroundWindow(hwnd_);
    }

private:
    HWND hwnd_;
};

// Moveable global memory until a stream takes it over (Release).
class GlobalMemory {
public:
    explicit GlobalMemory(SIZE_T size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    ~GlobalMemory() {
        if (memory_) GlobalFree(memory_);
    }
    HGLOBAL Get() const { return memory_; }
    void Release() { memory_ = nullptr; }

private:
    HGLOBAL memory_;
};

}  // namespace kestrane

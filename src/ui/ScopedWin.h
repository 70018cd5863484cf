// Owners for the handles a small Win32 program holds, so that every
// handle is released on every path.
#pragma once

#include <windows.h>

#include "ui/LateBound.h"
#include <ole2.h>

#include <utility>

namespace kestrane {

// A handle that `Close` releases with its owner; null means "none".
template <typename T, auto Close>
class UniqueOwned {
public:
    UniqueOwned() = default;
    explicit UniqueOwned(T handle) : handle_(handle) {}
    UniqueOwned(UniqueOwned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueOwned& operator=(UniqueOwned&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~UniqueOwned() { Reset(); }

    T Get() const { return handle_; }
    T* Put() {
        Reset();
        return &handle_;
    }
    void Reset(T handle = nullptr) {
        if (handle_) Close(handle_);
        handle_ = handle;
    }
    // For a handle someone else has taken over (a stream, the clipboard).
    void Release() { handle_ = nullptr; }

private:
    T handle_ = nullptr;
};

// A kernel handle (process, file). Both null and INVALID_HANDLE_VALUE mean "none".
inline void CloseKernelHandle(HANDLE handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}
class UniqueHandle : public UniqueOwned<HANDLE, CloseKernelHandle> {
public:
    using UniqueOwned::UniqueOwned;
    bool Valid() const { return Get() != nullptr && Get() != INVALID_HANDLE_VALUE; }
};

using UniqueRegKey = UniqueOwned<HKEY, RegCloseKey>;
// A GDI object (font, bitmap) the program created itself.
template <typename T>
using GdiObject = UniqueOwned<T, DeleteObject>;
// Moveable global memory until a stream or the clipboard takes it over.
using GlobalMemory = UniqueOwned<HGLOBAL, GlobalFree>;

// The screen's device context (GetDC(nullptr)), for its DPI and the size of texts.
inline void ReleaseScreenDC(HDC dc) { ReleaseDC(nullptr, dc); }
using ScreenDC = UniqueOwned<HDC, ReleaseScreenDC>;

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

// A COM interface pointer the program holds; released with its owner.
template <typename T>
void ReleaseInterface(T* p) {
    p->Release();
}
template <typename T>
class ComPtr : public UniqueOwned<T*, ReleaseInterface<T>> {
public:
    T* operator->() const { return this->Get(); }
    // The owner's Release gives the pointer up unreleased; on a COM pointer a
    // reader takes Release for the interface's own, so it is not offered.
    void Release() = delete;
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

}  // namespace kestrane

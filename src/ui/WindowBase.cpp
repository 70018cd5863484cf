#include "ui/WindowBase.h"

namespace kestrane {

bool WindowBase::RegisterWindowClass(WNDCLASSEXW wc) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool WindowBase::CreateWindowOfClass(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                                     int clientWidthTwips, int clientHeightTwips, BOOL hasMenu, HMENU menu,
                                     HINSTANCE instance) {
    ReadScreenDpi();
    RECT frame{0, 0, ScaleX(clientWidthTwips), ScaleY(clientHeightTwips)};
    AdjustWindowRectEx(&frame, style, hasMenu, exStyle);
    return CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, menu, instance, this) != nullptr;
}

void WindowBase::ReadScreenDpi() {
    WindowDC screen(nullptr);
    dpiX_ = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

void WindowBase::RunModalMessageLoop(bool dialogKeys) {
    MSG msg;
    while (hwnd_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (dialogKeys && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND WindowBase::AddControl(int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                            RECT place, HFONT font) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    HWND control = CreateWindowExW(exStyle, className, text, style, place.left, place.top, place.right - place.left,
                                   place.bottom - place.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HFONT WindowBase::CreateSansSerifFont(int weight) const {
    return CreateFontW(-MulDiv(825, dpiY_, 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       L"MS Sans Serif");
}

LRESULT CALLBACK WindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        try {
            result = self->OnFailure(message, wParam, lParam);
        } catch (...) {
            // Telling the user failed too; the window carries on.
        }
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace kestrane

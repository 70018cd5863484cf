#include "ui/WindowBase.h"

#include <commctrl.h>

#include <algorithm>

#include "resource.h"

namespace kestrane {

namespace {

HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRANE), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(const ControlSpec& spec) {
    constexpr DWORD kField = WS_TABSTOP | ES_LEFT;
    switch (spec.kind) {
    case ControlKind::Label:
        // A label of fixed width ends in "..." where its text is longer.
        return {L"STATIC", SS_LEFT | SS_NOPREFIX | (spec.width > 0 ? SS_ENDELLIPSIS : 0u), 0};
    case ControlKind::Field: return {L"EDIT", kField | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::MultiLineField:
        return {L"EDIT", kField | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Detail:
        return {L"EDIT", kField | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox: return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::List:
        return {WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE};
    case ControlKind::Progress: return {PROGRESS_CLASSW, 0, 0};
    }
    return {L"STATIC", 0, 0};
}

bool IsTextField(ControlKind kind) { return kind == ControlKind::Field || kind == ControlKind::MultiLineField; }

}  // namespace

bool WindowBase::RegisterWindowClass(HINSTANCE instance, const wchar_t* className, bool withIcon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    if (withIcon) {
        wc.hIcon = ProgramIcon(instance, SM_CXICON, SM_CYICON);
        wc.hIconSm = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
    }
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
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

bool WindowBase::RunModal(HWND owner, DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                          int clientWidthTwips, int clientHeightTwips, bool dialogKeys) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    DisabledWindow disabled(owner);
    owner_ = owner;
    // No owner window: the window stands on its own, as the main window does.
    if (!CreateWindowOfClass(exStyle, className, title, style, clientWidthTwips, clientHeightTwips, FALSE, nullptr,
                             instance))
        return false;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    OnShown();
    RunModalMessageLoop(dialogKeys);
    return true;
}

void WindowBase::CloseModal() {
    if (!hwnd_) return;
    if (owner_) EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
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

void WindowBase::CreateControls(std::span<const ControlSpec> table, HFONT font) {
    WindowDC screen(nullptr);
    ScopedSelect selectFont(screen.Get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    createdPlaces_.clear();
    for (const ControlSpec& spec : table) {
        int width = ScaleX(spec.width);
        int height = spec.height > 0 ? ScaleY(spec.height) : metrics.tmHeight;
        if (spec.kind == ControlKind::Label && spec.width == 0) {
            SIZE extent{};
            GetTextExtentPoint32W(screen.Get(), spec.text, lstrlenW(spec.text), &extent);
            width = extent.cx;
            height = extent.cy;
        }
        const RECT place{ScaleX(spec.left), ScaleY(spec.top), ScaleX(spec.left) + width, ScaleY(spec.top) + height};
        const ControlClass control = ClassOf(spec);
        HWND created = AddControl(spec.id, control.name, spec.text, WS_CHILD | WS_VISIBLE | control.style,
                                  control.exStyle, place, font);
        // No limit of 30,000 characters: paths and INI texts are as long as they are.
        if (IsTextField(spec.kind)) SendMessageW(created, EM_SETLIMITTEXT, 0, 0);
        createdPlaces_.push_back(place);
    }
}

void WindowBase::LayOutControls(std::span<const ControlSpec> table, SIZE client, SIZE designClient) {
    const int dx = std::max(0L, client.cx - designClient.cx);
    const int dy = std::max(0L, client.cy - designClient.cy);
    HDWP batch = BeginDeferWindowPos(static_cast<int>(table.size()));
    for (std::size_t i = 0; i < table.size() && i < createdPlaces_.size() && batch; ++i) {
        RECT place = createdPlaces_[i];
        switch (table[i].anchor) {
        case Anchor::Fixed: break;
        case Anchor::Widen: place.right += dx; break;
        case Anchor::MoveRight: OffsetRect(&place, dx, 0); break;
        case Anchor::Fill:
            place.right += dx;
            place.bottom += dy;
            break;
        case Anchor::MoveDownWiden:
            OffsetRect(&place, 0, dy);
            place.right += dx;
            break;
        }
        batch = DeferWindowPos(batch, Control(table[i].id), nullptr, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch) EndDeferWindowPos(batch);
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

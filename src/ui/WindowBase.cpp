#include "ui/WindowBase.h"

#include <commctrl.h>

#include "resource.h"
#include "ui/ScopedWin.h"

namespace kestrane {

namespace {

HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRANE), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

bool RegisterWindowClass(HINSTANCE instance, const WindowLook& look, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    if (look.withIcon) {
        wc.hIcon = ProgramIcon(instance, SM_CXICON, SM_CYICON);
        wc.hIconSm = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
    }
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = look.className;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
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

// Esc is the window's IDCANCEL wherever the focus is, and Enter its IDOK,
// never a click on the button that has the focus as the dialog manager would
// make it; only a field that wants Enter (the INI box) takes it itself. A
// multi-line field never sees Esc, which it would turn into a close.
bool TakeEnterOrEscape(HWND window, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    const bool enter = msg.wParam == VK_RETURN;
    if (enter && (SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTMESSAGE))
        return false;
    SendMessageW(window, WM_COMMAND, enter ? IDOK : IDCANCEL, 0);
    return true;
}

}  // namespace

int WindowBase::RunMessageLoop(const WindowBase* modal) {
    MSG msg{};
    while (!modal || modal->hwnd_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return 1;
        if (got == 0) {
            if (modal) PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside to end too
            return static_cast<int>(msg.wParam);
        }
        HWND active = GetActiveWindow();
        if (active && (active == msg.hwnd || IsChild(active, msg.hwnd)) && TakeEnterOrEscape(active, msg)) continue;
        if (active && IsDialogMessageW(active, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

bool WindowBase::CreateWithLook(HINSTANCE instance, const WindowLook& look, HMENU menu, int showCommand) {
    if (!RegisterWindowClass(instance, look, WindowProc)) return false;
    ScreenDC screen(GetDC(nullptr));
    dpiX_ = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    RECT frame{0, 0, ScaleX(look.clientTwips.cx), ScaleY(look.clientTwips.cy)};
    AdjustWindowRectEx(&frame, look.style, menu != nullptr, look.exStyle);
    // No owner window: each window stands on its own in the taskbar's eyes.
    if (!CreateWindowExW(look.exStyle, look.className, look.title, look.style, CW_USEDEFAULT, CW_USEDEFAULT,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance, this))
        return false;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

bool WindowBase::RunModal(HWND owner, const WindowLook& look) {
    EnableWindow(owner, FALSE);
    owner_ = owner;
    const bool created = CreateWithLook(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), look,
                                        nullptr, SW_SHOWNORMAL);
    if (created) RunMessageLoop(this);
    // However the showing ended, the owner takes input and the activation again.
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
    SetForegroundWindow(owner);
    return created;
}

WindowBase::~WindowBase() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    CloseModal();
}

void WindowBase::CloseModal() {
    if (!hwnd_) return;
    if (owner_) EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
}

std::vector<RECT> WindowBase::CreateControls(std::span<const ControlSpec> table, HFONT font) {
    ScreenDC screen(GetDC(nullptr));
    ScopedSelect selectFont(screen.Get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    std::vector<RECT> places;
    for (const ControlSpec& spec : table) {
        SIZE size{ScaleX(spec.width), spec.height > 0 ? ScaleY(spec.height) : metrics.tmHeight};
        if (spec.kind == ControlKind::Label && spec.width == 0)
            GetTextExtentPoint32W(screen.Get(), spec.text, lstrlenW(spec.text), &size);
        const RECT place{ScaleX(spec.left), ScaleY(spec.top), ScaleX(spec.left) + size.cx, ScaleY(spec.top) + size.cy};
        const ControlClass control = ClassOf(spec);
        HWND created = CreateWindowExW(control.exStyle, control.name, spec.text, WS_CHILD | WS_VISIBLE | control.style,
                                       place.left, place.top, size.cx, size.cy, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
        SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        // No limit of 30,000 characters: paths and INI texts are as long as they are.
        if (spec.kind == ControlKind::Field || spec.kind == ControlKind::MultiLineField)
            SendMessageW(created, EM_SETLIMITTEXT, 0, 0);
        places.push_back(place);
    }
    return places;
}

HFONT WindowBase::CreateWindowFont(int weight, const wchar_t* face, int hundredths, BYTE pitchAndFamily) const {
    return CreateFontW(-MulDiv(hundredths, dpiY_, 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face);
}

// A multi-line field passes Tab on to its window as it does in a dialog; the
// focus moves as the dialog keys move it, and a field it reaches is selected.
void WindowBase::MoveFocus(WPARAM wParam, LPARAM lParam) {
    HWND next = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
    if (!next) return;
    SetFocus(next);
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
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
        if (message == WM_NEXTDLGCTL) {
            self->MoveFocus(wParam, lParam);
        } else if (message == WM_COMMAND) {
            // Menu items arrive without a control; buttons with BN_CLICKED.
            if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) self->DispatchCommand(LOWORD(wParam));
        } else {
            result = self->HandleMessage(message, wParam, lParam);
        }
    } catch (...) {
        try {
            result = self->HandleFailure(message, wParam, lParam);
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

// What both windows share: the object behind the window handle, set at
// WM_NCCREATE and cleared at WM_NCDESTROY; one dispatch that lets no
// exception cross back into the system; and the layout in twips, converted
// with the screen's real DPI.
#pragma once

#include <windows.h>

#include "ui/ScopedWin.h"

namespace kestrane {

class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }

protected:
    WindowBase() = default;
    ~WindowBase() = default;

    // Registers the class once per process, with this base's procedure.
    static bool RegisterWindowClass(WNDCLASSEXW wc);
    // CreateWindowExW with `this` as the creation parameter.
    bool CreateWindowOfClass(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                             int clientWidthTwips, int clientHeightTwips, BOOL hasMenu, HMENU menu,
                             HINSTANCE instance);

    // The loop of a window shown modally: until it is gone, or the program
    // ends (the quit is left for the main loop). `dialogKeys`: Tab, Shift+Tab
    // and the space bar move and press as in a dialog.
    void RunModalMessageLoop(bool dialogKeys);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called inside the dispatch's catch block of a failed handler.
    virtual LRESULT OnFailure(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    int ScaleX(int twips) const { return MulDiv(twips, dpiX_, kTwipsPerInch); }
    int ScaleY(int twips) const { return MulDiv(twips, dpiY_, kTwipsPerInch); }
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    // A child control `id` at a place in pixels, in `font`.
    HWND AddControl(int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, RECT place,
                    HFONT font);

    // MS Sans Serif 8.25 points at the screen's DPI, the font of both windows.
    HFONT CreateSansSerifFont(int weight) const;

    static constexpr int kTwipsPerInch = 1440;

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ReadScreenDpi();

    int dpiX_ = 96;
    int dpiY_ = 96;
};

}  // namespace kestrane

// What every window of the program shares: the object behind the window
// handle, set at WM_NCCREATE and cleared at WM_NCDESTROY; one dispatch that
// lets no exception cross back into the system; the window class; the
// controls made from a table laid out in twips and converted with the
// screen's real DPI; and showing a window modally over its owner.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "ui/ScopedWin.h"

namespace kestrane {

enum class ControlKind { Label, Field, MultiLineField, Button, CheckBox, List, Detail, Progress };

// What a control does when its window is made larger: its right edge, or its
// right and bottom edges, follow the window's; or it moves with the right
// edge (buttons beside a field) or with the bottom edge, growing in width
// (what sits below a list).
enum class Anchor { Fixed, Widen, MoveRight, Fill, MoveDownWiden };

// One control of a window's table, in tab order.
struct ControlSpec {
    int id;
    ControlKind kind;
    const wchar_t* text;
    // Twips. A label of width 0 fits its caption on one line; a height of 0
    // is one line of the window's font.
    int left, top, width, height;
    Anchor anchor = Anchor::Fixed;
};

class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }

protected:
    WindowBase() = default;
    ~WindowBase() = default;

    // Registers the class once per process, with this base's procedure, the
    // arrow cursor, the dialog colour and, where asked, the program's icon.
    static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, bool withIcon);
    // CreateWindowExW with `this` as the creation parameter.
    bool CreateWindowOfClass(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                             int clientWidthTwips, int clientHeightTwips, BOOL hasMenu, HMENU menu, HINSTANCE instance);

    // Creates the window and runs it as a modal window over `owner`, which
    // takes no input until it closes and then gets the activation back.
    // `dialogKeys`: Tab, Shift+Tab and the space bar move and press as in a
    // dialog. False when the window could not be made.
    bool RunModal(HWND owner, DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  int clientWidthTwips, int clientHeightTwips, bool dialogKeys);
    // Ends a modal window: the owner first takes input again, so that the
    // system passes the activation to it and not to another program's.
    void CloseModal();

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called inside the dispatch's catch block of a failed handler.
    virtual LRESULT OnFailure(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called once the window shows, before its modal loop runs.
    virtual void OnShown() {}

    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    int ScaleX(int twips) const { return MulDiv(twips, dpiX_, kTwipsPerInch); }
    int ScaleY(int twips) const { return MulDiv(twips, dpiY_, kTwipsPerInch); }
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    // Creates the table's controls in its order, in `font`.
    void CreateControls(std::span<const ControlSpec> table, HFONT font);
    // Puts the table's controls where their anchors take them in a client
    // area of this size, which is never taken as smaller than the design's.
    void LayOutControls(std::span<const ControlSpec> table, SIZE client, SIZE designClient);

    // MS Sans Serif 8.25 points at the screen's DPI, the font of the windows.
    HFONT CreateSansSerifFont(int weight) const;

    static constexpr int kTwipsPerInch = 1440;

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ReadScreenDpi();
    void RunModalMessageLoop(bool dialogKeys);
    // A child control `id` at a place in pixels, in `font`.
    HWND AddControl(int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, RECT place,
                    HFONT font);

    int dpiX_ = 96;
    int dpiY_ = 96;
    HWND owner_ = nullptr;
    std::vector<RECT> createdPlaces_;  // each control of the table as created, in pixels
};

}  // namespace kestrane

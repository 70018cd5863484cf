// What every window of the program shares: the object behind the window
// handle, set at WM_NCCREATE and cleared at WM_NCDESTROY; one dispatch that
// lets no exception cross back into the system; the controls made from a
// table laid out in twips at the screen's real DPI; showing a window modally
// over its owner; and the program's one message loop.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

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
    // Twips, in shorts to keep the tables small. A label of width 0 fits its
    // caption on one line; a height of 0 is one line of the window's font.
    short left, top, width, height;
    Anchor anchor = Anchor::Fixed;
};

// A window's class and frame; the client area is given in twips.
struct WindowLook {
    const wchar_t* className;
    const wchar_t* title;
    DWORD style;
    DWORD exStyle;
    SIZE clientTwips;
    bool withIcon;
};

class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }

    // The messages of every window of the program. In the active window the
    // keys work as in a dialog: Tab and Shift+Tab move, Enter is IDOK and Esc
    // IDCANCEL. Runs until `modal` has closed or, without one, until WM_QUIT;
    // returns the quit's exit code.
    static int RunMessageLoop(const WindowBase* modal = nullptr);

protected:
    WindowBase() = default;
    // A window still open goes with its object (a modal one as CloseModal
    // ends it); what it is sent on the way finds no object any more.
    ~WindowBase();

    // Registers the class once per process, creates the window with this
    // object behind it and shows it; false when the system refused.
    bool CreateWithLook(HINSTANCE instance, const WindowLook& look, HMENU menu, int showCommand);
    // Creates the window and runs it as a modal window over `owner`, which
    // takes no input until it closes and then gets the activation back.
    // False when the window could not be made.
    bool RunModal(HWND owner, const WindowLook& look);
    // Ends a modal window: the owner first takes input again, so that the
    // system passes the activation to it and not to another program's.
    void CloseModal();

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // A menu item or a button clicked, or IDOK and IDCANCEL from Enter and Esc.
    virtual void DispatchCommand(int) {}
    // Called inside the dispatch's catch block of a failed handler.
    virtual LRESULT HandleFailure(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    int ScaleX(int twips) const { return MulDiv(twips, dpiX_, kTwipsPerInch); }
    int ScaleY(int twips) const { return MulDiv(twips, dpiY_, kTwipsPerInch); }
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    // Creates the table's controls in its order, in `font`; returns where
    // each was put, in pixels.
    std::vector<RECT> CreateControls(std::span<const ControlSpec> table, HFONT font);
    // A font at the screen's DPI, by default MS Sans Serif 8.25 points, the
    // font of the windows; the size is in hundredths of a point.
    HFONT CreateWindowFont(int weight, const wchar_t* face = L"MS Sans Serif", int hundredths = 825,
                           BYTE pitchAndFamily = DEFAULT_PITCH | FF_SWISS) const;

    HWND hwnd_ = nullptr;

private:
    static constexpr int kTwipsPerInch = 1440;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void MoveFocus(WPARAM wParam, LPARAM lParam);

    int dpiX_ = 96;
    int dpiY_ = 96;
    HWND owner_ = nullptr;
};

}  // namespace kestrane

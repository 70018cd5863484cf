// The About window: the phone's picture with the program's name, version,
// purpose and credit on its display, and "Back" and "Mehr" as soft keys.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <array>
#include <span>
#include <string>

#include "ui/ScopedWin.h"
#include "ui/WindowBase.h"

namespace kestrane {

// The label a click at `point` belongs to: the topmost one there, the labels
// being stacked in the order given (the last on top); -1 for none.
int TopmostLabelAt(std::span<const RECT> labels, POINT point);

class frmInfo final : public WindowBase {
public:
    // Loads the window afresh and shows it modally, without an owner:
    // `mainWindow` takes no input until it closes, then gets the focus back.
    static void ShowModal(HWND mainWindow, const std::wstring& programFolder);

private:
    static constexpr int kLabelCount = 6;

    explicit frmInfo(std::wstring programFolder) : programFolder_(std::move(programFolder)) {}

    // Nothing here has a failure worth telling the user about: the worst is
    // a missing picture, so a failed handler leaves the message to the system.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Form_Load(HINSTANCE instance);
    void Form_Paint();
    void PaintAll(HDC dc, const RECT& client) const;
    bool Form_SetCursor(LPARAM lParam);
    void Form_MouseDown(LPARAM lParam);
    void Form_MouseUp(LPARAM lParam);

    void lblBack_Click();
    void lblMore_Click();

    int LabelAt(POINT client) const { return TopmostLabelAt(labelRects_, client); }

    std::wstring programFolder_;
    std::array<GdiObject<HFONT>, 3> fonts_;  // by the labels' faces: bold, regular, fixed
    ComPtr<IPicture> imgST60_;
    HCURSOR handCursor_ = nullptr;  // shared with the system; never destroyed
    std::array<RECT, kLabelCount> labelRects_{};
    int pressedLabel_ = -1;
};

}  // namespace kestrane

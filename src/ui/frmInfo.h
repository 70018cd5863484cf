// The About window: the phone's picture with the program's name, version,
// purpose and credit on its display, and "Back" and "Mehr" as soft keys.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <array>
#include <utility>

#include "ui/ScopedWin.h"

namespace kestrane {

class frmMain;

class frmInfo {
public:
    // Loads the window afresh and shows it modally, without an owner: the
    // main window takes no input until it closes, then gets the focus back.
    static void ShowModal(frmMain& main);

    frmInfo(const frmInfo&) = delete;
    frmInfo& operator=(const frmInfo&) = delete;

private:
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

    static constexpr int kLabelCount = 6;

    explicit frmInfo(frmMain& main);
    ~frmInfo();

    bool Create(HINSTANCE instance);
    void RunMessageLoop();
    void Close();

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load(HINSTANCE instance);
    void LoadPicture(HINSTANCE instance);
    void CreateFonts();
    void LayOutLabels();
    void OnPaint();
    void PaintAll(HDC dc, const RECT& client) const;
    void PaintPicture(HDC dc) const;
    void PaintLabels(HDC dc) const;
    bool OnSetCursor(LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    void OnLButtonUp(LPARAM lParam);
    void OnNcDestroy();

    void lblBack_Click();
    void lblMore_Click();
    void OpenReadme();

    int LabelAt(POINT client) const;
    HFONT LabelFont(int label) const;
    int ScaleX(int twips) const;
    int ScaleY(int twips) const;

    frmMain& main_;
    HWND hwnd_ = nullptr;
    int dpiX_ = 96;
    int dpiY_ = 96;
    GdiObject<HFONT> boldFont_;
    GdiObject<HFONT> font_;
    GdiObject<HFONT> fixedFont_;
    ComPtr<IPicture> imgST60_;
    HCURSOR handCursor_ = nullptr;  // shared with the system; never destroyed
    std::array<RECT, kLabelCount> labelRects_{};
    int pressedLabel_ = -1;
};

}  // namespace kestrane

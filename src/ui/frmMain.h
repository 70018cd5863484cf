// The main window: the fields for the files of a package, the INI text,
// the two actions, and the menus. Its texts are the program's only document.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

#include "descriptor/MidletDescriptor.h"
#include "package/IniText.h"
#include "package/PackageBuild.h"
#include "ui/ScopedWin.h"
#include "ui/Win32Files.h"

namespace kestrane {

class frmMain final : public IniWindow, public BuildWindow {
public:
    frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Creates and shows the window; false when the system refused.
    bool Create(HINSTANCE instance, int showCommand);
    HWND Handle() const { return hwnd_; }

    // Keyboard handling shared by the message loop and the build's wait:
    // Tab moves through the fields, Enter and Esc do nothing of their own.
    void TranslateAndDispatch(MSG& msg);

    std::string AppPath() override;

    // UserMessages
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    // IniWindow
    std::string JadPath() override;
    void SetIniText(const std::string& ansiText) override;
    // BuildWindow
    std::string FieldText(Field field) override;
    std::string IniText() override;
    void ClearStj() override;
    void ShowWaitLabel(bool visible) override;
    void SetControlsEnabled(bool enabled) override;
    std::unique_ptr<ArchiverRun> RunHidden(const std::string& batchPath, const std::string& folder) override;
    // EventPump
    void ProcessPendingEvents() override;
    void WaitForEvent(std::chrono::milliseconds timeout) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Initialize();
    void Form_Load();
    void Form_QueryUnload();
    void OnCreate();
    void OnCommand(int id);
    void OnClose();
    void OnActivate(WPARAM wParam);
    void OnEndSession(bool ending);

    void cmdSearch_Click(int buttonId);
    void cmdINI_Click();
    void cmdSTJ_Click();
    void mnuFileQuit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();

    void SetDialogFlags(std::int32_t save);
    void CreateControls();
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    int ScaleX(int twips) const;
    int ScaleY(int twips) const;
    void ReportFailure();

    HWND hwnd_ = nullptr;
    int dpiX_ = 96;
    int dpiY_ = 96;
    GdiObject<HFONT> font_;
    MidletDescriptor descriptor_;
    Win32Files files_;

    // The file dialogs' shared state: what the common dialog object held.
    DWORD cdlFlags_ = 0;
    std::wstring cdlFileName_;

    HWND focusBeforeDisable_ = nullptr;
    HWND focusBeforeDeactivate_ = nullptr;
    std::exception_ptr startupFailure_;
    bool building_ = false;
    bool closeRequested_ = false;
};

}  // namespace kestrane

// The main window: the fields for the files of a package, the INI text,
// the two actions, and the menus. Its texts are the program's only document:
// each action reads them once, hands them to the core and shows its outcome.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "descriptor/DescriptorBuffer.h"
#include "package/PackageBuild.h"
#include "ui/ScopedWin.h"
#include "ui/Win32System.h"
#include "ui/WindowBase.h"

namespace kestrane {

class frmMain final : public WindowBase, private MessageRouter, private BuildProgress {
public:
    frmMain() : system_(*this) {}

    // Creates and shows the window; false when the system refused.
    bool Create(HINSTANCE instance, int showCommand);

    // Keyboard handling shared by the message loop and the build's wait:
    // Tab moves through the fields, Enter and Esc do nothing of their own.
    void TranslateAndDispatch(MSG& msg) override;

    // The busy state of a build: the waiting label, and every control and
    // menu entry greyed (the window itself stays enabled).
    void ShowWaitLabel(bool visible);
    void SetControlsEnabled(bool enabled);

    // "Ordner umwandeln" with the source folder filled in, as for a folder
    // dropped on the window.
    void OpenFolderConversion(const std::wstring& source);
    // "/ordner QUELLE ZIEL": the conversion starts at once; when the user
    // closes its window the program ends, with the run's exit code.
    void RunFolderConversion(const std::wstring& source, const std::wstring& target);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnFailure(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND OwnerWindow() const override { return hwnd_; }
    void WaitingForArchiver(bool waiting) override;

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
    void mnuFileFolder_Click();
    void mnuFileQuit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();

    void CreateControls();
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    std::string FieldText(int id) const;
    PackageRequest ReadRequest() const;
    void ShowOutcome(const Outcome& outcome);
    void ShowMessage(std::string_view text, bool critical);
    void ReportFailure();

    GdiObject<HFONT> font_;
    DescriptorBuffer descriptor_;
    Win32System system_;

    HWND focusBeforeDisable_ = nullptr;
    HWND focusBeforeDeactivate_ = nullptr;
    std::exception_ptr startupFailure_;
    bool building_ = false;
    bool closeRequested_ = false;
    int exitCode_ = 0;
};

}  // namespace kestrane

// "Ordner umwandeln": the window that turns a whole folder of suites into
// packages. The conversion runs on a thread of its own with a system port of
// its own; the window only shows what that thread posts it, so it paints,
// moves and cancels while rar.exe works.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "package/FolderConversion.h"
#include "ui/ScopedWin.h"
#include "ui/WindowBase.h"

namespace kestrane {

struct FolderWindowStart {
    std::wstring rar;  // the main window's rar.exe field
    std::wstring source;
    std::wstring target;
    bool startAtOnce = false;  // "/ordner": the run begins as the window shows
};

class frmFolder final : public WindowBase {
public:
    // Shows the window modally over `mainWindow` (which takes no input until
    // it closes). The exit code of the last run (see FolderSummary), 1 when
    // none ran to its end.
    static int ShowModal(HWND mainWindow, const FolderWindowStart& start);

private:
    class Conversion;

    frmFolder(HWND mainWindow, FolderWindowStart start);
    ~frmFolder();

    bool Create(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnFailure(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Form_Load();
    void CreateControls();
    void OnCommand(int id);
    LRESULT OnNotify(const NMHDR& header);
    void OnClose();
    void Close();
    void OnSuitesFound(std::size_t count);
    void OnSuiteFinished(std::unique_ptr<SuiteResult> result);
    void OnConversionEnded(std::unique_ptr<FolderSummary> summary);

    void cmdSearch_Click(int fieldId, const wchar_t* title);
    void cmdStart_Click();
    void cmdClose_Click();
    void CopySelectedRows();
    void SelectAllRows();

    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    void SetRunning(bool running);
    void ShowStatus(const std::string& text);
    void ShowMessage(const std::string& text);

    HWND mainWindow_;
    FolderWindowStart start_;
    GdiObject<HFONT> font_;
    std::unique_ptr<Conversion> conversion_;
    std::vector<SuiteResult> results_;
    FolderSummary counts_;
    int exitCode_ = 1;
    bool closeRequested_ = false;
};

}  // namespace kestrane

// "Ordner umwandeln": the window that turns a whole folder of suites into
// packages. The conversion runs on a thread of its own with a system port of
// its own; the window only shows what that thread posts it, so it paints,
// moves and cancels while rar.exe works. It can be made larger: the list
// grows with it, and the row chosen in it is shown whole below it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "package/FolderConversion.h"
#include "ui/ScopedWin.h"
#include "ui/WindowBase.h"

namespace kestrane {

class frmFolder final : public WindowBase {
public:
    // Shows the window modally over `mainWindow` (which takes no input until
    // it closes). The exit code of the last run (see FolderSummary), 1 when
    // none ran to its end, 2 when an unattended run could not start. The
    // fields show `start` (rar.exe is the main window's). `unattended` is
    // "/ordner": the run begins as the window shows, asks nothing and closes
    // the window when it is over; what went wrong is in the log.
    static int ShowModal(HWND mainWindow, const FolderJob& start, bool unattended);

private:
    class Conversion;

    frmFolder(FolderJob start, bool unattended);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleFailure(UINT message, WPARAM wParam, LPARAM lParam) override;

    void DispatchCommand(int id) override;
    void Form_Load(const CREATESTRUCTW& created);
    void Form_Resize(int clientWidth, int clientHeight);
    void Form_QueryUnload();
    void ShowDetail(int row);
    LRESULT lvwResults_Notify(const NMHDR& header);
    void conversion_SuitesFound(std::size_t count);
    void conversion_SuiteFinished(std::unique_ptr<SuiteResult> result);
    void conversion_Ended(std::unique_ptr<FolderSummary> summary);

    void cmdSearch_Click(int fieldId, const wchar_t* title);
    void cmdStart_Click();
    void cmdClose_Click();
    void CopySelectedRows();

    void SetRunning(bool running);
    void ShowStatus(std::string_view text);
    void ShowMessage(const std::string& text);

    FolderJob start_;
    bool unattended_;
    GdiObject<HFONT> font_;
    std::vector<RECT> createdPlaces_;         // each control of the table as created, in pixels
    std::unique_ptr<Conversion> conversion_;  // a run still going is stopped and waited for, with the window there
    std::vector<SuiteResult> results_;
    FolderSummary counts_;
    DWORD lastShown_ = 0;  // GetTickCount when the run's progress was last drawn
    int exitCode_ = 1;
    POINT smallestWindow_{};  // the window's size as created: it gets no smaller
    int widthGrown_ = 0;      // pixels the client area is wider than as created
    bool closeRequested_ = false;
};

}  // namespace kestrane

// The main window: the fields for the files of a package, the INI text,
// the two actions, and the menus. Its texts are the program's only document:
// each action reads them once, hands them to the core and shows its outcome.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "package/FolderConversion.h"
#include "package/PackageBuild.h"
#include "ui/ScopedWin.h"
#include "ui/Win32System.h"
#include "ui/WindowBase.h"

namespace kestrane {

class frmMain final : public WindowBase {
public:
    frmMain();
    ~frmMain();

    // Creates and shows the window; false when the system refused.
    bool Create(HINSTANCE instance, int showCommand);

    // Files handed to the program, dropped on its window or named on its
    // command line: each goes to its field by its extension, then the
    // pairing fills what is still empty; anything else is named once.
    void TakeFiles(const std::vector<std::wstring>& paths);

    // The busy state of a build: the waiting label, and every control and
    // menu entry greyed (the window itself stays enabled).
    void ShowWaitLabel(bool visible);
    void SetControlsEnabled(bool enabled);

    // "/ordner QUELLE ZIEL": the conversion starts at once, asks nothing,
    // and the program ends with the run, with its exit code.
    void RunFolderConversion(FolderJob run);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleFailure(UINT message, WPARAM wParam, LPARAM lParam) override;
    class Build;

    void DispatchCommand(int id) override;
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Deactivate();
    void Form_QueryUnload();
    void Form_Unload();
    void Form_OLEDragDrop(HDROP drop);

    void cmdSearchRAR_Click();
    void cmdSearchJAR_Click();
    void cmdSearchJAD_Click();
    void cmdSearchOBJ_Click();
    void cmdSearchSTJ_Click();
    void cmdINI_Click();
    void cmdSTJ_Click();
    void mnuFileMakeJad_Click();
    void mnuFileFolder_Click();
    void mnuFileQuit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();

    // "Ordner umwandeln" with the source folder filled in, as for a folder
    // dropped on the window.
    void OpenFolderConversion(const std::wstring& source);
    std::string FieldText(int id) const;
    PackageRequest ReadRequest() const;
    // Fills an empty JAD or JAR field with the partner of the file just chosen.
    void PairWithChosenFile(int fieldId);
    // A "Suchen..." button: the file chosen in the dialog goes to the field.
    void SearchFile(int fieldId, bool save, const wchar_t* filter, const std::wstring& proposal = L"");
    std::optional<std::wstring> AskFileName(bool save, const wchar_t* filter, const std::wstring& proposal);
    bool AskYesNo(std::string_view question);
    void StartBuild(bool packItself);
    void build_Waiting(bool waiting);
    void build_Ended(std::unique_ptr<Outcome> outcome);
    void ShowOutcome(const Outcome& outcome);
    void ShowMessage(std::string_view text, bool critical);

    GdiObject<HFONT> font_;
    Win32System system_;

    HWND focusBeforeDisable_ = nullptr;
    HWND focusBeforeDeactivate_ = nullptr;
    std::string startupFailure_;
    bool building_ = false;  // from the click on "Erstelle STJ" to its last box
    std::unique_ptr<Build> build_;
    PackageRequest buildRequest_;  // what the build running or just ended builds
    bool closeRequested_ = false;
    int exitCode_ = 0;
};

}  // namespace kestrane

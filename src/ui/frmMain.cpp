#include "ui/frmMain.h"
#include "ui/LateBound.h"

#include <commctrl.h>
#include <commdlg.h>

#include "descriptor/Text.h"
#include "package/IniText.h"
#include "package/SuiteFiles.h"
#include "package/Words.h"
#include "resource.h"
#include "ui/ProgramFiles.h"
#include "ui/Settings.h"
#include "ui/UiWords.h"
#include "ui/WinText.h"
#include "ui/WorkerThread.h"
#include "ui/frmFolder.h"
#include "ui/frmInfo.h"

namespace kestrane {

namespace {

constexpr WindowLook kLook{KESTRANE_MAIN_CLASS, L"Kestrane", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0,
                           {5175, 4575},        true};
constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;                       // 4100
constexpr DWORD kSaveFlags = OFN_CREATEPROMPT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 8198
constexpr int kFileNameChars = 260;
// What the build's thread posts to the window.
constexpr UINT WM_BUILD_WAITING = WM_APP + 1;  // wParam: TRUE as the wait begins, FALSE as it ends
constexpr UINT WM_BUILD_ENDED = WM_APP + 2;    // lParam: Outcome*, the window's to delete

// In tab order, which is also the order of creation and so of keyboard focus.
constexpr ControlSpec kControls[] = {
    {IDC_LBLRAR, ControlKind::Label, L"rar.exe:", 120, 150, 0, 0},
    {IDC_TXTRAR, ControlKind::Field, L"", 1080, 120, 2895, 285},
    {IDC_CMDSEARCHRAR, ControlKind::Button, L"Suchen...", 4080, 60, 975, 375},
    {IDC_LBLJAR, ControlKind::Label, L"JAR-Datei:", 120, 630, 0, 0},
    {IDC_TXTJAR, ControlKind::Field, L"", 1080, 600, 2895, 285},
    {IDC_CMDSEARCHJAR, ControlKind::Button, L"Suchen...", 4080, 540, 975, 375},
    {IDC_CMDSEARCHJAD, ControlKind::Button, L"Suchen...", 4080, 900, 975, 375},
    {IDC_LBLJAD, ControlKind::Label, L"JAD-Datei:", 120, 990, 0, 0},
    {IDC_LBLOBJ, ControlKind::Label, L"OBJ-Datei:", 120, 1350, 0, 0},
    {IDC_TXTJAD, ControlKind::Field, L"", 1080, 960, 2895, 285},
    {IDC_TXTOBJ, ControlKind::Field, L"", 1080, 1320, 2895, 285},
    {IDC_CMDSEARCHOBJ, ControlKind::Button, L"Suchen...", 4080, 1260, 975, 375},
    {IDC_CMDINI, ControlKind::Button, L"Erstelle INI", 4080, 3120, 975, 375},
    {IDC_TXTINI, ControlKind::MultiLineField, L"", 1080, 1800, 2895, 1695},
    {IDC_LBLINI, ControlKind::Label, L"INI-Datei:", 120, 1830, 0, 0},
    {IDC_CMDSTJ, ControlKind::Button, L"Erstelle STJ", 4080, 4080, 975, 375},
    {IDC_TXTSTJ, ControlKind::Field, L"", 1080, 3720, 2895, 285},
    {IDC_LBLSTJ, ControlKind::Label, L"STJ-Datei:", 120, 3750, 0, 0},
    {IDC_CMDSEARCHSTJ, ControlKind::Button, L"Suchen...", 4080, 3660, 975, 375},
    {IDC_LBLWAIT, ControlKind::Label, L"Bitte warten...", 120, 4200, 0, 0},
};

constexpr const wchar_t* kJarFilter = L"JAR-Dateien\0*.jar\0";  // description and pattern, each ended by a zero
constexpr const wchar_t* kJadFilter = L"JAD-Dateien\0*.jad\0";

// The JAD's folder and base name with ".stj"; empty without a JAD path.
std::wstring ProposedPackagePath(const std::wstring& jad) {
    if (jad.find_first_not_of(L' ') == std::wstring::npos) return {};
    // A dot after the last separator begins the extension.
    const std::size_t last = jad.find_last_of(L"\\/.");
    return (last != std::wstring::npos && jad[last] == L'.' ? jad.substr(0, last) : jad) + L".stj";
}

// Names the buttons of a question box in German as it shows.
LRESULT CALLBACK GermanYesNoButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDYES, L"&Ja");
        SetDlgItemTextW(box, IDNO, L"&Nein");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool frmMain::Create(HINSTANCE instance, int showCommand) {
    Form_Initialize();

    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
    if (!CreateWithLook(instance, kLook, menu, showCommand)) {
        DestroyMenu(menu);
        return false;
    }
    if (!startupFailure_.empty()) ShowMessage(startupFailure_, true);
    return true;
}

LRESULT frmMain::HandleFailure(UINT, WPARAM, LPARAM) {
    ShowMessage(CurrentFailureText(), true);
    return 0;
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: Form_Load(); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            Form_Deactivate();
        else
            Form_Activate();
        return 0;
    case WM_CLOSE: Form_QueryUnload(); return 0;
    case WM_ENDSESSION:
        if (wParam) Form_Unload();
        return 0;
    case WM_DROPFILES: Form_OLEDragDrop(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_DESTROY: PostQuitMessage(exitCode_); return 0;
    case WM_BUILD_WAITING: build_Waiting(wParam != FALSE); return 0;
    case WM_BUILD_ENDED: build_Ended(TakePosted<Outcome>(lParam)); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void frmMain::Form_Initialize() { InitCommonControls(); }

void frmMain::Form_Load() {
    font_ = GdiObject<HFONT>(CreateWindowFont(FW_NORMAL));
    CreateControls(kControls, font_.Get());
    ShowWindow(Control(IDC_LBLWAIT), SW_HIDE);  // shown only while a build waits
    SetWindowTextW(Control(IDC_TXTINI), Widen(kIniTemplate).c_str());
    // What DragAcceptFiles does, without loading shell32 at the start.
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    try {
        SetWindowTextW(Control(IDC_TXTRAR), LoadRarPath(ProgramName()).c_str());
    } catch (...) {
        // Told once the window shows, so the user sees which program speaks.
        startupFailure_ = CurrentFailureText();
    }
}

void frmMain::Form_Unload() {
    try {
        SaveRarPath(ProgramName(), WindowText(Control(IDC_TXTRAR)));
    } catch (...) {
        ShowMessage(CurrentFailureText(), true);
    }
}

void frmMain::DispatchCommand(int id) {
    // The controls are grey during a build, but commands can still arrive
    // (posted by another program, or an accelerator); none may start while
    // the build runs on its thread. "Beenden" is a close, which the build
    // defers.
    if (building_ && id != IDM_FILE_QUIT) return;
    switch (id) {
    case IDC_CMDSEARCHRAR: cmdSearchRAR_Click(); break;
    case IDC_CMDSEARCHJAR: cmdSearchJAR_Click(); break;
    case IDC_CMDSEARCHJAD: cmdSearchJAD_Click(); break;
    case IDC_CMDSEARCHOBJ: cmdSearchOBJ_Click(); break;
    case IDC_CMDSEARCHSTJ: cmdSearchSTJ_Click(); break;
    case IDC_CMDINI: cmdINI_Click(); break;
    case IDC_CMDSTJ: cmdSTJ_Click(); break;
    case IDM_FILE_MAKEJAD: mnuFileMakeJad_Click(); break;
    case IDM_FILE_FOLDER: mnuFileFolder_Click(); break;
    case IDM_FILE_QUIT: mnuFileQuit_Click(); break;
    case IDM_HELP_HELP: mnuHelpHelp_Click(); break;
    case IDM_HELP_ABOUT: mnuHelpAbout_Click(); break;
    }
}

// The focus goes back to the field the user left, as in dialogs.
void frmMain::Form_Deactivate() {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) focusBeforeDeactivate_ = focus;
}

void frmMain::Form_Activate() {
    HWND target = focusBeforeDeactivate_;
    if (!target || !IsWindow(target) || !IsWindowEnabled(target)) target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    SetFocus(target && IsWindowEnabled(target) ? target : hwnd_);
}

void frmMain::Form_QueryUnload() {
    // A close during a build waits for the build's end, so that nothing
    // runs on a window that is gone; it then takes the normal steps.
    if (building_) {
        closeRequested_ = true;
        return;
    }
    if (!IsWindowEnabled(hwnd_)) return;  // a modal window of ours is open
    Form_Unload();
    DestroyWindow(hwnd_);
}

void frmMain::Form_OLEDragDrop(HDROP drop) {
    std::vector<std::wstring> paths;
    auto query = LateBound<decltype(DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    auto finish = LateBound<decltype(DragFinish)>(L"shell32.dll", "DragFinish");
    if (!query || !finish) return;
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring& path = paths.emplace_back(query(drop, i, nullptr, 0), L'\0');
        query(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
    }
    finish(drop);
    // Nothing is taken while a build runs: the fields are its inputs.
    if (!building_ && IsWindowEnabled(hwnd_)) TakeFiles(paths);
}

void frmMain::TakeFiles(const std::vector<std::wstring>& paths) try {
    std::wstring ignored;
    std::wstring folder;  // the first folder among them is converted as a whole
    for (const std::wstring& path : paths) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (folder.empty()) folder = path;
            continue;
        }
        int field = 0;
        switch (RoleOfFile(Narrow(path))) {
        case FileRole::Jad: field = IDC_TXTJAD; break;
        case FileRole::Jar: field = IDC_TXTJAR; break;
        case FileRole::Obj: field = IDC_TXTOBJ; break;
        case FileRole::Stj: field = IDC_TXTSTJ; break;
        case FileRole::Archiver: field = IDC_TXTRAR; break;
        case FileRole::Unknown: break;
        }
        if (field) {
            SetWindowTextW(Control(field), path.c_str());
        } else {
            ignored += L"\n";
            ignored.append(path, path.find_last_of(L"\\/") + 1);
        }
    }
    PairWithChosenFile(IDC_TXTJAR);
    PairWithChosenFile(IDC_TXTJAD);
    if (!ignored.empty()) ShowMessage(Concatenated({ui_words::kFilesNotTakenText, Narrow(ignored)}), false);
    if (!folder.empty()) OpenFolderConversion(folder);
} catch (...) {
    ShowMessage(CurrentFailureText(), true);
}

void frmMain::cmdSearchRAR_Click() { SearchFile(IDC_TXTRAR, false, L"rar.exe\0rar.exe\0"); }

void frmMain::cmdSearchJAR_Click() { SearchFile(IDC_TXTJAR, false, kJarFilter); }

void frmMain::cmdSearchJAD_Click() { SearchFile(IDC_TXTJAD, false, kJadFilter); }

void frmMain::cmdSearchOBJ_Click() { SearchFile(IDC_TXTOBJ, false, L"OBJ-Dateien\0*.obj\0"); }

// The package usually goes beside its JAD, named after it.
void frmMain::cmdSearchSTJ_Click() {
    SearchFile(IDC_TXTSTJ, true, L"STJ-Dateien\0*.stj\0", ProposedPackagePath(WindowText(Control(IDC_TXTJAD))));
}

void frmMain::SearchFile(int fieldId, bool save, const wchar_t* filter, const std::wstring& proposal) {
    const std::optional<std::wstring> chosen = AskFileName(save, filter, proposal);
    // A cancelled dialog empties the field, as it always has.
    SetWindowTextW(Control(fieldId), chosen.value_or(L"").c_str());
    if (chosen) PairWithChosenFile(fieldId);
}

std::optional<std::wstring> frmMain::AskFileName(bool save, const wchar_t* filter, const std::wstring& proposal) {
    wchar_t fileName[kFileNameChars] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = kFileNameChars;
    ofn.Flags = save ? kSaveFlags : kOpenFlags;
    const std::size_t nameStart = proposal.find_last_of(L"\\/") + 1;  // 0 without a folder
    const std::wstring folder = proposal.substr(0, nameStart);
    if (proposal.size() - nameStart < kFileNameChars) {
        proposal.copy(fileName, proposal.size() - nameStart, nameStart);
        if (!folder.empty()) ofn.lpstrInitialDir = folder.c_str();
    }
    auto dialog = save ? LateBound<decltype(GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW")
                       : LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!dialog || !dialog(&ofn)) return std::nullopt;
    return std::wstring(fileName);
}

void frmMain::PairWithChosenFile(int fieldId) {
    if (fieldId == IDC_TXTJAR && IsBlank(FieldText(IDC_TXTJAD))) {
        if (const auto jad = PartnerJad(FieldText(IDC_TXTJAR), system_))
            SetWindowTextW(Control(IDC_TXTJAD), Widen(*jad).c_str());
    }
    if (fieldId == IDC_TXTJAD && IsBlank(FieldText(IDC_TXTJAR))) {
        if (const auto jar = PartnerJar(FieldText(IDC_TXTJAD), system_))
            SetWindowTextW(Control(IDC_TXTJAR), Widen(*jar).c_str());
    }
}

bool frmMain::AskYesNo(std::string_view question) {
    // The program speaks German whatever language the system's buttons speak.
    const UniqueOwned<HHOOK, UnhookWindowsHookEx> germanButtons(
        SetWindowsHookExW(WH_CBT, GermanYesNoButtons, nullptr, GetCurrentThreadId()));
    return MessageBoxW(hwnd_, Widen(question).c_str(), L"Kestrane", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void frmMain::cmdINI_Click() {
    const IniOutcome outcome = GenerateIni(FieldText(IDC_TXTJAD), system_);
    for (const std::string& complaint : outcome.complaints) ShowMessage(complaint, true);
    if (outcome.text) SetWindowTextW(Control(IDC_TXTINI), Widen(*outcome.text).c_str());
}

// The build, on a WorkerThread started with the object: it tells the window
// when the wait begins and ends, and posts its outcome at the end.
class frmMain::Build final : private BuildProgress {
public:
    Build(HWND window, PackageRequest request, bool packItself)
        : window_(window), request_(std::move(request)), packItself_(packItself), thread_([this] { Work(); }) {}

    bool Started() const { return thread_.Started(); }

private:
    void Work() {
        auto outcome = std::make_unique<Outcome>();
        try {
            OleSession com;  // the shell starts the batch file
            Win32System system;
            const BuildOptions options{.settleBeforeRun = std::chrono::milliseconds(1000),
                                       .settleAfterRun = std::chrono::milliseconds(1000),
                                       .replaceWhenGood = true,
                                       .checked = true,
                                       .packItself = packItself_};
            *outcome = BuildPackage(request_, system, options, this);
        } catch (...) {
            *outcome = {Outcome::Kind::SystemError, CurrentFailureText(), std::nullopt, std::nullopt};
        }
        PostOwned(window_, WM_BUILD_ENDED, std::move(outcome));
    }

    void WaitingForArchiver(bool waiting) override { PostMessageW(window_, WM_BUILD_WAITING, waiting, 0); }

    HWND window_;
    PackageRequest request_;
    bool packItself_;
    WorkerThread thread_;  // last: it starts once all it reads is there, and goes first
};

frmMain::frmMain() = default;

frmMain::~frmMain() = default;  // a build still running is waited for

void frmMain::cmdSTJ_Click() {
    PackageRequest request = ReadRequest();
    if (const std::optional<std::string> refusal = CheckRequest(request, system_)) {
        ShowMessage(*refusal, true);
        return;
    }
    // What the phone would refuse is asked about before anything is written.
    // The build packs the JAD as the checks read it.
    SuiteReading suite = ReadSuite(request.jar, request.jad, system_);
    suite.jarFile.reset();  // not held open while the user is asked
    request.jadBytes = suite.jadBytes;
    request.jadWritten = suite.jadWritten;
    const SuiteFindings findings = CheckSuite(suite, request.iniText);
    if (!findings.findings.empty()) {
        if (!AskYesNo(FindingsQuestion(findings.findings))) return;
        request.correctedJarSize = findings.correctedJarSize;
    }
    buildRequest_ = std::move(request);
    StartBuild(false);
}

// From here until its last box the window takes no command, no dropped file
// and no close: those wait for the build's end (a close) or are not taken.
void frmMain::StartBuild(bool packItself) {
    building_ = true;
    build_ = std::make_unique<Build>(hwnd_, buildRequest_, packItself);
    if (!build_->Started()) {
        const DWORD error = GetLastError();
        build_.reset();
        build_Ended(std::make_unique<Outcome>(Outcome{
            Outcome::Kind::SystemError, SystemError(std::string(ui_words::kBuildNotStartedText), error).Report(),
            std::nullopt, std::nullopt}));
    }
}

void frmMain::build_Waiting(bool waiting) {
    ShowWaitLabel(waiting);
    if (waiting) SetControlsEnabled(false);
}

void frmMain::build_Ended(std::unique_ptr<Outcome> outcome) {
    build_.reset();  // the thread has posted its last; waits for its end
    // Today's rar.exe writes RAR5 unless told otherwise, and the newest cannot
    // write anything else; the phone reads only the older format. That file
    // is gone already; the user decides whether Kestrane packs the suite itself.
    if (outcome->kind == Outcome::Kind::WrongFormat &&
        AskYesNo(Concatenated(
            {outcome->message, " ", ui_words::kRar5DiscardedText, "\n\n", ui_words::kPackItselfQuestionText}))) {
        StartBuild(true);
        return;
    }
    ShowOutcome(*outcome);
    building_ = false;
    if (closeRequested_) {
        closeRequested_ = false;
        Form_QueryUnload();
    }
}

PackageRequest frmMain::ReadRequest() const {
    return {.rar = FieldText(IDC_TXTRAR),
            .jar = FieldText(IDC_TXTJAR),
            .jad = FieldText(IDC_TXTJAD),
            .obj = FieldText(IDC_TXTOBJ),
            .stj = FieldText(IDC_TXTSTJ),
            .iniText = FieldText(IDC_TXTINI),
            .stagingFolder = Narrow(ProgramFolder()),
            .userFolder = Narrow(UserDataFolder())};
}

void frmMain::ShowOutcome(const Outcome& outcome) {
    switch (outcome.kind) {
    case Outcome::Kind::SystemError:
        // The window is idle again before it says what went wrong.
        SetControlsEnabled(true);
        [[fallthrough]];
    case Outcome::Kind::InputProblem: ShowMessage(outcome.message, true); return;
    case Outcome::Kind::Built:
    case Outcome::Kind::ArchiverFailed:
        ShowMessage(outcome.message, outcome.kind == Outcome::Kind::ArchiverFailed);
        [[fallthrough]];
    // Answered with "Nein": the user has heard why no package came of it.
    case Outcome::Kind::WrongFormat:
        SetControlsEnabled(true);
        SetWindowTextW(Control(IDC_TXTSTJ), L"");
        return;
    }
}

void frmMain::mnuFileMakeJad_Click() {
    std::string jar = FieldText(IDC_TXTJAR);
    if (IsBlank(jar)) {
        const std::optional<std::wstring> chosen = AskFileName(false, kJarFilter, L"");
        if (!chosen) return;
        jar = Narrow(*chosen);
        SetWindowTextW(Control(IDC_TXTJAR), chosen->c_str());
    }
    const MadeJad made = JadFromJar(jar, system_);
    if (!made.jad) {
        ShowMessage(Concatenated({JadFaultText(made), "\n\n", ui_words::kNoJadWrittenText}), true);
        return;
    }
    const std::optional<std::wstring> target = AskFileName(true, kJadFilter, Widen(WithoutExtension(jar)) + L".jad");
    if (!target) return;
    system_.WriteWholeFile(Narrow(*target), *made.jad);
    SetWindowTextW(Control(IDC_TXTJAD), target->c_str());
}

void frmMain::mnuFileFolder_Click() { OpenFolderConversion(L""); }

void frmMain::OpenFolderConversion(const std::wstring& source) {
    if (building_ || !IsWindowEnabled(hwnd_)) return;
    FolderJob start;
    start.rar = FieldText(IDC_TXTRAR);
    start.source = Narrow(source);
    frmFolder::ShowModal(hwnd_, start, false);
}

void frmMain::RunFolderConversion(FolderJob run) {
    run.rar = FieldText(IDC_TXTRAR);
    exitCode_ = frmFolder::ShowModal(hwnd_, run, true);
    Form_QueryUnload();
}

void frmMain::mnuFileQuit_Click() { Form_QueryUnload(); }

void frmMain::mnuHelpHelp_Click() { OpenReadme(hwnd_, ProgramFolder()); }

void frmMain::mnuHelpAbout_Click() { frmInfo::ShowModal(hwnd_, ProgramFolder()); }

std::string frmMain::FieldText(int id) const { return Narrow(WindowText(Control(id))); }

void frmMain::ShowMessage(std::string_view text, bool critical) {
    const UINT style = MB_OK | (critical ? MB_ICONERROR : MB_ICONINFORMATION);
    MessageBoxW(hwnd_, Widen(text).c_str(), L"Kestrane", style);
}

void frmMain::ShowWaitLabel(bool visible) {
    ShowWindow(Control(IDC_LBLWAIT), visible ? SW_SHOW : SW_HIDE);
    UpdateWindow(hwnd_);
}

void frmMain::SetControlsEnabled(bool enabled) {
    if (!enabled) {
        HWND focus = GetFocus();
        focusBeforeDisable_ = (focus && IsChild(hwnd_, focus)) ? focus : nullptr;
    }
    for (const ControlSpec& spec : kControls) EnableWindow(Control(spec.id), enabled);

    // The menu headings go grey with their items.
    const UINT state = MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED);
    HMENU bar = GetMenu(hwnd_);
    for (int heading = 0; heading < GetMenuItemCount(bar); ++heading) {
        HMENU popup = GetSubMenu(bar, heading);
        for (int item = 0; item < GetMenuItemCount(popup); ++item) EnableMenuItem(popup, item, state);
        EnableMenuItem(bar, heading, state);
    }
    DrawMenuBar(hwnd_);

    if (enabled && focusBeforeDisable_ && GetActiveWindow() == hwnd_) SetFocus(focusBeforeDisable_);
}

}  // namespace kestrane

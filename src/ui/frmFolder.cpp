#include "ui/frmFolder.h"
#include "ui/LateBound.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <shlobj.h>

#include "resource.h"
#include "ui/Win32System.h"
#include "ui/UiWords.h"
#include "ui/WinText.h"
#include "ui/WorkerThread.h"

namespace kestrane {

namespace {

constexpr int kClientWidthTwips = 8895;
constexpr int kClientHeightTwips = 6420;
constexpr WindowLook kLook{
    KESTRANE_FOLDER_CLASS, L"Ordner umwandeln", WS_OVERLAPPEDWINDOW, 0, {kClientWidthTwips, kClientHeightTwips}, true};

// What the conversion's thread posts to the window; each pointer is the
// window's to delete.
constexpr UINT WM_SUITES_FOUND = WM_APP + 1;      // wParam: the count
constexpr UINT WM_SUITE_FINISHED = WM_APP + 2;    // lParam: SuiteResult*
constexpr UINT WM_CONVERSION_ENDED = WM_APP + 3;  // lParam: FolderSummary*
// The run of "/ordner", posted so that it begins once the window shows.
constexpr UINT WM_START_AT_ONCE = WM_APP + 4;
// How often a run's progress is drawn at least while suites end faster.
constexpr DWORD kShowEvery = 100;  // ms
// The exit code of a run that could not start.
constexpr int kCouldNotStart = 2;

// In tab order.
constexpr ControlSpec kControls[] = {
    {IDC_FOLDER_LBLSOURCE, ControlKind::Label, L"Quellordner:", 120, 150, 1260, 0},
    {IDC_FOLDER_TXTSOURCE, ControlKind::Field, L"", 1440, 120, 6240, 285, Anchor::Widen},
    {IDC_FOLDER_CMDSOURCE, ControlKind::Button, L"Suchen...", 7800, 60, 975, 375, Anchor::MoveRight},
    {IDC_FOLDER_LBLTARGET, ControlKind::Label, L"Zielordner:", 120, 630, 1260, 0},
    {IDC_FOLDER_TXTTARGET, ControlKind::Field, L"", 1440, 600, 6240, 285, Anchor::Widen},
    {IDC_FOLDER_CMDTARGET, ControlKind::Button, L"Suchen...", 7800, 540, 975, 375, Anchor::MoveRight},
    {IDC_FOLDER_CHKSUBFOLDERS, ControlKind::CheckBox, L"Unterordner einbeziehen", 1440, 1020, 4200, 255},
    {IDC_FOLDER_CHKOVERWRITE, ControlKind::CheckBox, L"Vorhandene STJ-Dateien überschreiben", 1440, 1320, 4200, 255},
    // Off: Kestrane packs the suites itself, in the format the phone reads.
    {IDC_FOLDER_CHKARCHIVER, ControlKind::CheckBox, L"Mit rar.exe packen", 1440, 1620, 4200, 255},
    {IDC_FOLDER_CMDSTART, ControlKind::Button, L"Start", 6720, 1140, 975, 375, Anchor::MoveRight},
    {IDC_FOLDER_CMDCLOSE, ControlKind::Button, L"Schließen", 7800, 1140, 975, 375, Anchor::MoveRight},
    {IDC_FOLDER_LVWRESULTS, ControlKind::List, L"", 120, 1980, 8655, 3000, Anchor::Fill},
    // The chosen row whole: a reason can be longer than its column.
    {IDC_FOLDER_TXTDETAIL, ControlKind::Detail, L"", 120, 5040, 8655, 600, Anchor::MoveDownWiden},
    {IDC_FOLDER_PRGPROGRESS, ControlKind::Progress, L"", 120, 5700, 8655, 255, Anchor::MoveDownWiden},
    {IDC_FOLDER_LBLSTATUS, ControlKind::Label, L"", 120, 6060, 8655, 0, Anchor::MoveDownWiden},
};

constexpr int kResultColumn = 3;

// The controls a run greys: everything that would change what it works on.
constexpr int kJobControls[] = {IDC_FOLDER_TXTSOURCE,   IDC_FOLDER_CMDSOURCE,     IDC_FOLDER_TXTTARGET,
                                IDC_FOLDER_CMDTARGET,   IDC_FOLDER_CHKSUBFOLDERS, IDC_FOLDER_CHKOVERWRITE,
                                IDC_FOLDER_CHKARCHIVER, IDC_FOLDER_LBLSOURCE,     IDC_FOLDER_LBLTARGET};

struct Column {
    const wchar_t* title;
    int widthTwips;
};
constexpr Column kColumns[] = {{L"Datei", 2880}, {L"Suite", 1800}, {L"Telefon", 1020}, {L"Ergebnis", 2640}};

bool Checked(HWND box) { return Button_GetCheck(box) == BST_CHECKED; }

// Starts the folder picker in the folder the field names.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

// The run: its job, the thread that works it (started with the object), and
// the flag that stops it. The listener's calls come on that thread and only
// post to the window.
class frmFolder::Conversion final : private FolderListener {
public:
    Conversion(HWND window, FolderJob job) : window_(window), job_(std::move(job)), thread_([this] { Work(); }) {}
    ~Conversion() { cancel_ = true; }  // thread_ then waits for the suite being packed

    bool Started() const { return thread_.Started(); }
    void Cancel() { cancel_ = true; }
    bool Cancelled() override { return cancel_; }

private:
    void Work() {
        auto summary = std::make_unique<FolderSummary>();
        try {
            Win32System system;
            // Only rar.exe takes its members from a staging folder; packing
            // itself needs none, and no folder to make and remove per suite.
            std::optional<WorkFolder> work;
            if (job_.useArchiver) job_.workFolder = work.emplace(system).Path();
            *summary = ConvertFolder(job_, system, *this);
        } catch (...) {
            summary->refusal = CurrentFailureText();
        }
        PostOwned(window_, WM_CONVERSION_ENDED, std::move(summary));
    }

    void SuitesFound(std::size_t count) override { PostMessageW(window_, WM_SUITES_FOUND, count, 0); }
    void SuiteFinished(std::size_t, const SuiteResult& result) override {
        PostOwned(window_, WM_SUITE_FINISHED, std::make_unique<SuiteResult>(result));
    }

    HWND window_;
    FolderJob job_;
    std::atomic<bool> cancel_{false};
    WorkerThread thread_;  // last: it starts once all it reads is there, and goes first
};

int frmFolder::ShowModal(HWND mainWindow, const FolderJob& start, bool unattended) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    frmFolder window(start, unattended);
    return window.RunModal(mainWindow, kLook) ? window.exitCode_ : 1;
}

frmFolder::frmFolder(FolderJob start, bool unattended) : start_(std::move(start)), unattended_(unattended) {}

LRESULT frmFolder::HandleFailure(UINT, WPARAM, LPARAM) {
    ShowMessage(CurrentFailureText());
    return 0;
}

LRESULT frmFolder::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: Form_Load(*reinterpret_cast<const CREATESTRUCTW*>(lParam)); return 0;
    case WM_NOTIFY: return lvwResults_Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COPY: CopySelectedRows(); return 0;
    case WM_CLOSE: Form_QueryUnload(); return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) Form_Resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO:
        if (smallestWindow_.x > 0) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = smallestWindow_;
        return 0;
    case WM_SUITES_FOUND: conversion_SuitesFound(static_cast<std::size_t>(wParam)); return 0;
    case WM_SUITE_FINISHED: conversion_SuiteFinished(TakePosted<SuiteResult>(lParam)); return 0;
    case WM_CONVERSION_ENDED: conversion_Ended(TakePosted<FolderSummary>(lParam)); return 0;
    case WM_START_AT_ONCE: cmdStart_Click(); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void frmFolder::Form_Load(const CREATESTRUCTW& created) {
    smallestWindow_ = {created.cx, created.cy};
    font_ = GdiObject<HFONT>(CreateWindowFont(FW_NORMAL));
    createdPlaces_ = CreateControls(kControls, font_.Get());
    HWND list = Control(IDC_FOLDER_LVWRESULTS);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.cx = ScaleX(kColumns[i].widthTwips);
        ListView_InsertColumn(list, i, &column);
    }
    SetWindowTextW(Control(IDC_FOLDER_TXTSOURCE), Widen(start_.source).c_str());
    SetWindowTextW(Control(IDC_FOLDER_TXTTARGET), Widen(start_.target).c_str());
    Button_SetCheck(Control(IDC_FOLDER_CHKSUBFOLDERS), start_.includeSubfolders ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(Control(IDC_FOLDER_CHKOVERWRITE), start_.overwrite ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(Control(start_.source.empty() ? IDC_FOLDER_TXTSOURCE : IDC_FOLDER_TXTTARGET));
    // Handled once the window shows and its loop runs.
    if (unattended_) PostMessageW(hwnd_, WM_START_AT_ONCE, 0, 0);
}

// The controls go where their anchors take them in the grown client area,
// and the result column takes the width the list gained, so that reasons
// show whole.
void frmFolder::Form_Resize(int clientWidth, int clientHeight) {
    if (!Control(IDC_FOLDER_LBLSTATUS)) return;  // sized before the controls exist
    // Never taken as smaller than the design.
    const int grown = std::max(0, clientWidth - ScaleX(kClientWidthTwips));
    const int grownDown = std::max(0, clientHeight - ScaleY(kClientHeightTwips));
    HDWP batch = BeginDeferWindowPos(static_cast<int>(std::size(kControls)));
    for (std::size_t i = 0; i < std::size(kControls) && i < createdPlaces_.size() && batch; ++i) {
        RECT place = createdPlaces_[i];
        switch (kControls[i].anchor) {
        case Anchor::Fixed: break;
        case Anchor::Widen: place.right += grown; break;
        case Anchor::MoveRight: OffsetRect(&place, grown, 0); break;
        case Anchor::Fill:
            place.right += grown;
            place.bottom += grownDown;
            break;
        case Anchor::MoveDownWiden:
            OffsetRect(&place, 0, grownDown);
            place.right += grown;
            break;
        }
        batch = DeferWindowPos(batch, Control(kControls[i].id), nullptr, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch) EndDeferWindowPos(batch);
    HWND list = Control(IDC_FOLDER_LVWRESULTS);
    const int column = ListView_GetColumnWidth(list, kResultColumn);
    ListView_SetColumnWidth(list, kResultColumn,
                            std::max(ScaleX(kColumns[kResultColumn].widthTwips), column + grown - widthGrown_));
    widthGrown_ = grown;
}

void frmFolder::ShowDetail(int row) {
    std::wstring text;
    if (row >= 0 && static_cast<std::size_t>(row) < results_.size())
        text = Widen(results_[row].file + "\r\n" + results_[row].result);
    SetWindowTextW(Control(IDC_FOLDER_TXTDETAIL), text.c_str());
}

void frmFolder::DispatchCommand(int id) {
    switch (id) {
    case IDC_FOLDER_CMDSOURCE: cmdSearch_Click(IDC_FOLDER_TXTSOURCE, ui_words::kSourcePickerTitleText.data()); break;
    case IDC_FOLDER_CMDTARGET: cmdSearch_Click(IDC_FOLDER_TXTTARGET, ui_words::kTargetPickerTitleText.data()); break;
    case IDC_FOLDER_CMDSTART: cmdStart_Click(); break;
    case IDC_FOLDER_CMDCLOSE:
    case IDCANCEL: cmdClose_Click(); break;  // Esc, as in a dialog
    }
}

LRESULT frmFolder::lvwResults_Notify(const NMHDR& header) {
    if (header.idFrom != IDC_FOLDER_LVWRESULTS) return 0;
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_FOCUSED) && !(change.uOldState & LVIS_FOCUSED))
            ShowDetail(change.iItem);
    }
    if (header.code == LVN_KEYDOWN && GetKeyState(VK_CONTROL) < 0) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
        if (key == 'C') CopySelectedRows();
        if (key == 'A') ListView_SetItemState(Control(IDC_FOLDER_LVWRESULTS), -1, LVIS_SELECTED, LVIS_SELECTED);
    }
    return 0;
}

void frmFolder::Form_QueryUnload() {
    // A run ends with its current suite; the window goes once it has.
    if (conversion_) {
        closeRequested_ = true;
        conversion_->Cancel();
        ShowStatus(ui_words::kClosingAfterSuiteText);
        return;
    }
    CloseModal();
}

void frmFolder::cmdClose_Click() { Form_QueryUnload(); }

void frmFolder::cmdSearch_Click(int fieldId, const wchar_t* title) {
    if (conversion_) return;
    const std::wstring current = WindowText(Control(fieldId));
    OleSession com;  // the folder picker is a shell dialog
    wchar_t chosen[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = hwnd_;
    info.pszDisplayName = chosen;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = current.empty() ? 0 : reinterpret_cast<LPARAM>(current.c_str());
    auto browse = LateBound<decltype(SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    auto pathOf = LateBound<decltype(SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
    auto free = LateBound<decltype(CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (!browse || !pathOf || !free) return;
    LPITEMIDLIST picked = browse(&info);
    if (!picked) return;  // cancelled: the field keeps its text
    const bool ok = pathOf(picked, chosen) != FALSE;
    free(picked);
    if (ok) SetWindowTextW(Control(fieldId), chosen);
}

void frmFolder::cmdStart_Click() {
    if (conversion_) {
        conversion_->Cancel();
        EnableWindow(Control(IDC_FOLDER_CMDSTART), FALSE);
        ShowStatus(SummaryLine(counts_) + std::string(ui_words::kCancellingAfterSuiteText));
        return;
    }
    FolderJob job = start_;  // rar.exe's path, as the main window had it
    job.source = Narrow(WindowText(Control(IDC_FOLDER_TXTSOURCE)));
    job.target = Narrow(WindowText(Control(IDC_FOLDER_TXTTARGET)));
    job.includeSubfolders = Checked(Control(IDC_FOLDER_CHKSUBFOLDERS));
    job.overwrite = Checked(Control(IDC_FOLDER_CHKOVERWRITE));
    job.useArchiver = Checked(Control(IDC_FOLDER_CHKARCHIVER));

    ListView_DeleteAllItems(Control(IDC_FOLDER_LVWRESULTS));
    results_.clear();
    ShowDetail(-1);
    counts_ = {};
    SendMessageW(Control(IDC_FOLDER_PRGPROGRESS), PBM_SETPOS, 0, 0);  // no macro for progress bars
    ShowStatus(ui_words::kSearchingText);
    exitCode_ = 1;
    conversion_ = std::make_unique<Conversion>(hwnd_, std::move(job));
    if (!conversion_->Started()) {
        const DWORD error = GetLastError();
        conversion_.reset();
        ShowStatus("");
        if (unattended_) {
            exitCode_ = kCouldNotStart;
            CloseModal();
            return;
        }
        ThrowSystemError(std::string(ui_words::kConversionNotStartedText), error);
    }
    SetRunning(true);
}

void frmFolder::conversion_SuitesFound(std::size_t count) {
    counts_.found = count;
    SendMessageW(Control(IDC_FOLDER_PRGPROGRESS), PBM_SETRANGE32, 0, static_cast<LPARAM>(count));
    if (!conversion_ || !conversion_->Cancelled()) ShowStatus(SummaryLine(counts_));
}

void frmFolder::conversion_SuiteFinished(std::unique_ptr<SuiteResult> result) {
    counts_.Add(*result);
    HWND list = Control(IDC_FOLDER_LVWRESULTS);
    const std::wstring texts[] = {Widen(result->file), Widen(result->suite), Widen(PhoneWord(result->phone)),
                                  Widen(result->result)};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(results_.size());
    item.pszText = const_cast<wchar_t*>(texts[0].c_str());
    const int row = ListView_InsertItem(list, &item);
    for (int column = 1; column < static_cast<int>(std::size(texts)); ++column)
        ListView_SetItemText(list, row, column, const_cast<wchar_t*>(texts[column].c_str()));
    results_.push_back(std::move(*result));
    // Suites that end faster than the window draws are shown together: the
    // last row, the bar and the counts follow once no further suite waits,
    // and a tenth of a second after they last did.
    MSG next{};
    if (GetTickCount() - lastShown_ < kShowEvery &&
        PeekMessageW(&next, hwnd_, WM_SUITE_FINISHED, WM_SUITE_FINISHED, PM_NOREMOVE))
        return;
    lastShown_ = GetTickCount();
    ListView_EnsureVisible(list, row, FALSE);
    SendMessageW(Control(IDC_FOLDER_PRGPROGRESS), PBM_SETPOS, results_.size(), 0);
    if (!conversion_ || !conversion_->Cancelled()) ShowStatus(SummaryLine(counts_));
}

void frmFolder::conversion_Ended(std::unique_ptr<FolderSummary> summary) {
    conversion_.reset();  // the thread has posted its last; waits for its end
    SetRunning(false);
    exitCode_ = summary->ExitCode();
    if (!summary->refusal.empty()) {
        ShowStatus(unattended_ ? summary->refusal : "");
        if (!closeRequested_ && !unattended_) ShowMessage(summary->refusal);
    } else {
        ShowStatus(SummaryLine(*summary) + std::string(summary->cancelled ? ui_words::kCancelledText : ""));
    }
    // An unattended run's list is in the log; the script that started it goes on.
    if (closeRequested_ || unattended_) CloseModal();
}

void frmFolder::SetRunning(bool running) {
    for (const int id : kJobControls) EnableWindow(Control(id), !running);
    HWND start = Control(IDC_FOLDER_CMDSTART);
    SetWindowTextW(start, (running ? ui_words::kCancelText : ui_words::kStartText).data());
    EnableWindow(start, TRUE);
}

void frmFolder::CopySelectedRows() {
    HWND list = Control(IDC_FOLDER_LVWRESULTS);
    std::wstring text;
    for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) != -1;) {
        if (static_cast<std::size_t>(row) < results_.size()) text += Widen(ResultLine(results_[row])) + L"\r\n";
    }
    if (text.empty() || !OpenClipboard(hwnd_)) return;
    EmptyClipboard();
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (void* bytes = memory.Get() ? GlobalLock(memory.Get()) : nullptr) {
        CopyMemory(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory.Get());
        if (SetClipboardData(CF_UNICODETEXT, memory.Get())) memory.Release();  // the clipboard owns it now
    }
    CloseClipboard();
}

void frmFolder::ShowStatus(std::string_view text) {
    SetWindowTextW(Control(IDC_FOLDER_LBLSTATUS), Widen(text).c_str());
}

void frmFolder::ShowMessage(const std::string& text) {
    // Nobody is there to click in an unattended run: the status line says it.
    if (unattended_) {
        ShowStatus(text);
        return;
    }
    MessageBoxW(hwnd_, Widen(text).c_str(), L"Kestrane", MB_OK | MB_ICONERROR);
}

}  // namespace kestrane

// Works a running Kestrane from the outside, the way a user would: starts a
// copy of the program, finds its windows and controls, types, clicks, answers
// its message boxes and file dialogs, reads its settings, and closes it.
// Every wait ends after kWait at the latest with a DriverError that says what
// did not happen; GoogleTest reports it and ends the test case.
#pragma once

#include <windows.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "resource.h"

namespace e2e {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
inline constexpr Ms kWait = 10s;

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the CTest registration passes through the environment.
struct Setup {
    std::filesystem::path program;  // KESTRANE_EXE: the built Kestrane.exe
    std::string buildDirUnix;       // KESTRANE_BUILD_DIR, as the Unix side sees it
    std::filesystem::path workDir;  // KESTRANE_E2E_WORK: this test program's folder for its cases
    int dpi = 96;                   // KESTRANE_DPI: the screen DPI the prefix was made with
};
const Setup& TheSetup();

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);
// A Unix path as Wine's Z: drive shows it; other paths unchanged.
std::filesystem::path FromUnix(std::string_view path);

// WM_GETTEXT, also across processes.
std::wstring WindowText(HWND hwnd);

// Polls `done` every 20 ms; throws DriverError("timed out … waiting for <what>").
void WaitFor(const std::function<bool()>& done, const std::string& what, Ms timeout = kWait);

enum class Icon { None, Error, Warning, Information, Question, Unknown };
std::ostream& operator<<(std::ostream& out, Icon icon);

struct Box {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring text;
    Icon icon = Icon::None;
};
std::ostream& operator<<(std::ostream& out, const Box& box);
// Title, text and icon of a message box (of any process).
Box ReadBox(HWND box);

struct RegValue {
    DWORD type = REG_NONE;
    std::wstring data;
    bool operator==(const RegValue&) const = default;
};
std::ostream& operator<<(std::ostream& out, const RegValue& value);

// An open or save dialog (Wine's own) of the program.
class FileDialog {
public:
    FileDialog(HWND dialog, HWND nameBox) : dialog_(dialog), nameBox_(nameBox) {}
    HWND Hwnd() const { return dialog_; }
    std::wstring FileName() const;
    // Types `name` into the file name box and presses OK; waits until the dialog is gone.
    void Accept(const std::wstring& name);
    void Cancel();

private:
    void PressAndWait(int buttonId, const char* what);
    HWND dialog_;
    HWND nameBox_;
};

class App {
public:
    // A fresh folder for the running test case, holding a copy of the program
    // named K<id>.exe, <id> eight hex digits standing for the case (short, so
    // that deep checkouts stay below MAX_PATH); the settings of that name are deleted.
    App();
    ~App();  // ends the program if it still runs
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    const std::wstring& Name() const { return name_; }                      // the program's name without ".exe"
    const std::filesystem::path& Folder() const { return folder_; }         // working directory, data files
    const std::filesystem::path& ProgramFolder() const { return appDir_; }  // the program and its files
    std::filesystem::path ExePath() const { return appDir_ / (name_ + L".exe"); }
    // Writes `bytes` to Folder()/name (or to an absolute path) and returns the path.
    std::filesystem::path WriteFile(const std::filesystem::path& name, std::string_view bytes) const;
    // Copies the stand-in archiver (KESTRANE_FAKERAR) into `folder`, made if
    // needed, as rar.exe; returns its path.
    std::filesystem::path InstallStandInArchiver(const std::filesystem::path& folder) const;
    // Copies the readme.txt that the build puts next to Kestrane.exe into ProgramFolder().
    void CopyReadme() const;
    // The lines the shell's "open" command (the recorder) was given since the start.
    std::vector<std::wstring> ShellOpened() const;

    // Starts the program, with `arguments` (else those of SetArguments) on its
    // command line, and waits until its main window shows and it is idle.
    void Start(const std::wstring& arguments = L"");
    // Starts the program as a script does, without waiting for any window:
    // for runs that end by themselves (see WaitExit).
    void Launch(const std::wstring& arguments);
    // Arguments for the next Start(), after the program's name (quote paths yourself).
    void SetArguments(std::wstring arguments) { arguments_ = std::move(arguments); }
    HANDLE Process() const { return process_.hProcess; }
    bool Running() const;
    DWORD WaitExit(Ms timeout = kWait);
    DWORD Close(Ms timeout = kWait);  // WM_CLOSE to the main window, then WaitExit

    HWND Main() const;
    HWND Control(int id) const;
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text);
    RECT ClientRect(int id) const;  // the control's rectangle in the main window's client coordinates
    void Click(int id);             // posted BM_CLICK, so that a modal box does not block
    void Menu(int id);              // posted WM_COMMAND
    void Key(UINT vk);              // key down and up, posted to the focused control
    int FocusedId() const;          // control ID of the focused window, 0 if none of ours
    // Returns once the program has handled what was posted to it so far.
    void Drain() const;

    std::vector<HWND> Dialogs() const;  // the program's visible top-level "#32770" windows
    std::optional<Box> FindBox() const;
    Box WaitBox(Ms timeout = kWait) const;
    void Answer(const Box& box);  // presses OK and waits until the box is gone
    // Presses the box's button `buttonId` (IDYES, IDNO, ...) and waits until the box is gone.
    void Press(const Box& box, int buttonId);
    // The caption of the box's button `buttonId`; empty when it has none.
    static std::wstring ButtonText(const Box& box, int buttonId);
    // Waits for a box, answers it, and tells whether it had this text, icon and title.
    testing::AssertionResult ExpectBox(const testing::Matcher<const std::wstring&>& text, Icon icon,
                                       const std::wstring& title = L"Kestrane", Ms timeout = kWait);
    // No box once the program has handled what was posted to it; looks without sleeping.
    testing::AssertionResult ExpectNoBox() const;
    FileDialog WaitFileDialog(Ms timeout = kWait) const;

    // HKCU\Software\VB and VBA Program Settings\<Name()>\RAR, value "Path".
    std::optional<RegValue> Setting() const;
    void SetSetting(const std::wstring& path) const;

    // Saves a PNG of the main window as <build>/screenshots/<name>.png.
    std::filesystem::path Screenshot(const std::string& name) const;
    // The same of another window, e.g. the About window.
    std::filesystem::path Screenshot(const std::string& name, HWND window) const;

    // The program's visible top-level window of this class (e.g. KESTRANE_INFO_CLASS), or nullptr.
    HWND FindWindowOfClass(const wchar_t* className) const;
    HWND WaitWindowOfClass(const wchar_t* className, Ms timeout = kWait) const;

private:
    std::wstring name_;
    std::filesystem::path folder_;
    std::filesystem::path appDir_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
    std::wstring arguments_;
};

// The font of the program's labels: MS Sans Serif 8.25 pt at the screen's DPI.
// The size of `text` on one line in a font of that face and height (pixels, negative for the em height).
SIZE TextExtent(const std::wstring& text, const wchar_t* face, int height, BYTE pitchAndFamily);
SIZE LabelTextExtent(const std::wstring& caption);
// For comparing paths case-blind, as Windows does.
std::wstring Lower(std::wstring text);
int ScreenDpi();

// A command of the Unix side (the readers no one here wrote: unar, unrar,
// 7-Zip), run through /bin/sh in `folder`; its exit code and what it printed.
struct UnixRun {
    int exitCode = -1;
    std::string output;
};
UnixRun RunOnUnix(const std::string& command, const std::filesystem::path& folder);
// A Windows path as the Unix side names it, quoted for /bin/sh.
std::string UnixQuoted(const std::filesystem::path& path);

// User plus kernel time used so far by the threads of the process that owns `window`.
std::chrono::microseconds ProcessCpuTime(HWND window);

// The full paths of the modules (the program, its DLLs) loaded in the process that owns `window`.
std::vector<std::filesystem::path> LoadedModules(HWND window);

// Takes the write permission of a file or folder away (chmod a-w) for the
// life of this object and gives it back to the owner (u+w) after. Wine
// ignores Windows' read-only attribute on folders, so this is how a test makes
// a folder that the user may not write. Root writes there all the same: the
// test must be registered with kestrane_e2e_test_unprivileged (CMakeLists.txt).
class WriteProtected {
public:
    explicit WriteProtected(std::filesystem::path path);
    ~WriteProtected();
    WriteProtected(const WriteProtected&) = delete;
    WriteProtected& operator=(const WriteProtected&) = delete;

private:
    std::filesystem::path path_;
};

}  // namespace e2e

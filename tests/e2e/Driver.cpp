#include "Driver.h"

#include <tlhelp32.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <utility>

namespace e2e {

namespace fs = std::filesystem;

namespace {

constexpr int kFileNameCombo = 0x47C;  // cmb13 of the explorer-style dialogs
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kBoxText = 0xFFFF;
constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

std::string Env(const char* name) {
    wchar_t value[4096];
    const DWORD n = GetEnvironmentVariableW(Wide(name).c_str(), value, 4096);
    if (n == 0 || n >= 4096) throw DriverError(std::string("environment variable ") + name + " is not set");
    return Utf8(value);
}

std::string LastError(const std::string& what) { return what + " failed, error " + std::to_string(GetLastError()); }

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd, name, 256);
    return name;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

// The visible top-level windows of a process, topmost first.
std::vector<HWND> TopLevelWindows(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FileNameBox(HWND dialog) {
    if (HWND box = GetDlgItem(dialog, kFileNameCombo)) return box;
    return GetDlgItem(dialog, kFileNameEdit);
}

// The icon of a message box. Icon handles belong to the process that loaded
// them, so the box's icon is told apart by its pixels: the screen under the
// icon control against each system icon drawn the same size on the same
// background.
Icon IconOf(HWND box) {
    HWND control = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            IsWindowVisible(child))
            control = child;
    }
    if (!control || !SendMessageW(control, STM_GETICON, 0, 0)) return Icon::None;
    RECT r;
    GetWindowRect(control, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return Icon::None;

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    auto grab = [&](auto&& paint) {
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        paint();
        GdiFlush();
        std::vector<COLORREF> pixels(static_cast<const COLORREF*>(bits), static_cast<const COLORREF*>(bits) + w * h);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        return pixels;
    };
    const auto shown = grab([&] { BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY); });

    struct Candidate {
        Icon icon;
        LPCWSTR id;
    };
    const Candidate candidates[] = {{Icon::Error, IDI_ERROR},
                                    {Icon::Warning, IDI_WARNING},
                                    {Icon::Information, IDI_INFORMATION},
                                    {Icon::Question, IDI_QUESTION}};
    Icon best = Icon::Unknown;
    size_t bestMismatch = shown.size() / 20 + 1;  // more than 5 % of the pixels off: none of them
    for (const Candidate& c : candidates) {
        const auto drawn = grab([&] {
            // The DIB holds 0x00RRGGBB, a COLORREF 0x00BBGGRR.
            const COLORREF corner = RGB(GetBValue(shown[0]), GetGValue(shown[0]), GetRValue(shown[0]));
            HBRUSH background = CreateSolidBrush(corner);
            RECT all{0, 0, w, h};
            FillRect(dc, &all, background);
            DeleteObject(background);
            DrawIconEx(dc, 0, 0, LoadIconW(nullptr, c.id), w, h, 0, nullptr, DI_NORMAL);
        });
        size_t mismatch = 0;
        for (size_t i = 0; i < shown.size(); ++i) {
            const COLORREF a = shown[i], b = drawn[i];
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 8) {
                    ++mismatch;
                    break;
                }
        }
        if (mismatch < bestMismatch) {
            bestMismatch = mismatch;
            best = c.icon;
        }
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return best;
}

std::string Describe(const std::vector<HWND>& windows) {
    std::ostringstream out;
    for (HWND w : windows) {
        wchar_t title[256] = L"";
        GetWindowTextW(w, title, 256);  // no throw: this runs while reporting another failure
        out << " [" << Utf8(ClassOf(w)) << " \"" << Utf8(title) << "\"]";
    }
    return out.str();
}

// Eight hex digits that stand for a case's name (FNV-1a); case.txt in its
// folder names the case for whoever looks.
std::string ShortId(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
    return digits;
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length))
        throw DriverError("the window does not answer WM_GETTEXTLENGTH");
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 5000,
                             &copied))
        throw DriverError("the window does not answer WM_GETTEXT");
    text.resize(copied);
    return text;
}

Box ReadBox(HWND hwnd) {
    Box box{hwnd, WindowText(hwnd), {}, Icon::None};
    if (HWND text = GetDlgItem(hwnd, kBoxText)) box.text = WindowText(text);
    // On top, so that no other window hides the icon; it may not be painted yet.
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while ((box.icon = IconOf(hwnd)) == Icon::Unknown && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    return box;
}

const Setup& TheSetup() {
    static const Setup setup = [] {
        SetProcessDPIAware();
        Setup s;
        s.program = FromUnix(Env("KESTRANE_EXE"));
        s.buildDirUnix = Env("KESTRANE_BUILD_DIR");
        s.workDir = FromUnix(Env("KESTRANE_E2E_WORK"));
        s.dpi = std::stoi(Env("KESTRANE_DPI"));
        if (Env("DISPLAY").empty()) throw DriverError("no X display; run under tests/wine/with-xvfb.sh");
        return s;
    }();
    return setup;
}

std::string Utf8(std::wstring_view text) {
    std::string out(text.size() * 3, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Wide(std::string_view utf8) {
    std::wstring out(utf8.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                   static_cast<int>(out.size())));
    return out;
}

fs::path FromUnix(std::string_view path) {
    if (path.empty() || path.front() != '/') return Wide(path);
    std::wstring dos = L"Z:" + Wide(path);
    for (wchar_t& c : dos)
        if (c == L'/') c = L'\\';
    return dos;
}

void WaitFor(const std::function<bool()>& done, const std::string& what, Ms timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            throw DriverError("timed out after " + std::to_string(timeout.count()) + " ms waiting for " + what);
        std::this_thread::sleep_for(20ms);
    }
}

std::ostream& operator<<(std::ostream& out, Icon icon) {
    constexpr const char* names[] = {"no icon",          "error icon",    "warning icon",
                                     "information icon", "question icon", "unknown icon"};
    return out << names[static_cast<int>(icon)];
}

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "box \"" << Utf8(box.title) << "\": \"" << Utf8(box.text) << "\" with " << box.icon;
}

std::ostream& operator<<(std::ostream& out, const RegValue& value) {
    return out << (value.type == REG_SZ ? "REG_SZ" : "type " + std::to_string(value.type)) << " \"" << Utf8(value.data)
               << '"';
}

// ---- FileDialog ----

std::wstring FileDialog::FileName() const { return WindowText(nameBox_); }

void FileDialog::Accept(const std::wstring& name) {
    if (!SendMessageTimeoutW(nameBox_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_NORMAL, 5000,
                             nullptr))
        throw DriverError("the file dialog's name box does not answer WM_SETTEXT");
    PressAndWait(IDOK, "OK");
}

void FileDialog::Cancel() { PressAndWait(IDCANCEL, "Cancel"); }

void FileDialog::PressAndWait(int buttonId, const char* what) {
    HWND button = GetDlgItem(dialog_, buttonId);
    if (!button) throw DriverError(std::string("the file dialog has no ") + what + " button");
    PostMessageW(button, BM_CLICK, 0, 0);
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog_, &pid);
    try {
        WaitFor([&] { return !IsWindow(dialog_); }, std::string("the file dialog to close after ") + what);
    } catch (const DriverError& e) {
        throw DriverError(std::string(e.what()) + "; windows shown:" + Describe(TopLevelWindows(pid)));
    }
}

// ---- App ----

App::App() {
    const Setup& setup = TheSetup();
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string caseName = test ? std::string(test->test_suite_name()) + "." + test->name() : "Manual";
    // Short names, whatever the length of the case's name: a checkout deep
    // in a home folder must leave the cases' own paths room below MAX_PATH.
    const std::string id = ShortId(caseName);
    name_ = Wide("K" + id);
    folder_ = setup.workDir / Wide(id);
    appDir_ = folder_ / L"app";
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    fs::create_directories(appDir_);
    std::ofstream(folder_ / L"case.txt", std::ios::binary) << caseName << "\n";
    fs::copy_file(setup.program, ExePath(), fs::copy_options::overwrite_existing);
    RegDeleteTreeW(HKEY_CURRENT_USER, (kSettingsRoot + name_).c_str());
}

App::~App() {
    if (process_.hProcess) {
        if (Running()) {
            TerminateProcess(process_.hProcess, 999);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

fs::path App::WriteFile(const fs::path& name, std::string_view bytes) const {
    const fs::path path = name.is_absolute() ? name : folder_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

fs::path App::InstallStandInArchiver(const fs::path& folder) const {
    wchar_t fakeRar[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"KESTRANE_FAKERAR", fakeRar, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) throw DriverError("KESTRANE_FAKERAR (the stand-in rar.exe) is not set");
    fs::create_directories(folder);
    fs::copy_file(FromUnix(Utf8(fakeRar)), folder / L"rar.exe", fs::copy_options::overwrite_existing);
    return folder / L"rar.exe";
}

void App::CopyReadme() const {
    fs::copy_file(TheSetup().program.parent_path() / L"readme.txt", appDir_ / L"readme.txt",
                  fs::copy_options::overwrite_existing);
}

std::vector<std::wstring> App::ShellOpened() const {
    std::ifstream in(folder_ / L"shell-open.log", std::ios::binary);
    const std::wstring text = Wide(std::string(std::istreambuf_iterator<char>(in), {}));
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

void App::Start(const std::wstring& arguments) {
    Launch(arguments);
    WaitFor(
        [&] {
            if (!Running()) {
                DWORD code = 0;
                GetExitCodeProcess(process_.hProcess, &code);
                throw DriverError("the program ended with exit code " + std::to_string(code) +
                                  " before its main window showed");
            }
            for (HWND w : TopLevelWindows(process_.dwProcessId))
                if (ClassOf(w) == KESTRANE_MAIN_CLASS) main_ = w;
            return main_ != nullptr;
        },
        "the main window (class KestraneMain)");
    Drain();
}

void App::Launch(const std::wstring& arguments) {
    if (process_.hProcess) {
        if (Running()) throw DriverError("Start: the program still runs");
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
    }
    main_ = nullptr;
    // The recorder registered for .txt files writes here; children inherit it.
    SetEnvironmentVariableW(L"KESTRANE_RECORDER_LOG", (folder_ / L"shell-open.log").c_str());
    // Null standard handles: an inherited pipe would stay open through the wineserver.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    std::wstring command = L"\"" + ExePath().wstring() + L"\"";
    const std::wstring& extra = arguments.empty() ? arguments_ : arguments;
    if (!extra.empty()) command += L" " + extra;
    if (!CreateProcessW(ExePath().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &startup, &process_))
        throw DriverError(LastError("CreateProcess of " + Utf8(ExePath().wstring())));
    WaitForInputIdle(process_.hProcess, static_cast<DWORD>(kWait.count()));
}

bool App::Running() const { return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD App::WaitExit(Ms timeout) {
    if (!process_.hProcess) throw DriverError("WaitExit: the program was not started");
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        throw DriverError("the program did not end within " + std::to_string(timeout.count()) +
                          " ms; windows shown:" + Describe(TopLevelWindows(process_.dwProcessId)));
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

DWORD App::Close(Ms timeout) {
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    return WaitExit(timeout);
}

HWND App::Main() const {
    if (!main_ || !IsWindow(main_)) throw DriverError("the main window is not there (program not started or ended)");
    return main_;
}

HWND App::Control(int id) const {
    HWND control = GetDlgItem(Main(), id);
    if (!control) throw DriverError("the main window has no control with ID " + std::to_string(id));
    return control;
}

std::wstring App::Text(int id) const { return WindowText(Control(id)); }

void App::SetText(int id, const std::wstring& text) {
    if (!SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000,
                             nullptr))
        throw DriverError("control " + std::to_string(id) + " does not answer WM_SETTEXT");
}

RECT App::ClientRect(int id) const {
    RECT r;
    GetWindowRect(Control(id), &r);
    MapWindowPoints(HWND_DESKTOP, Main(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void App::Click(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void App::Menu(int id) { PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void App::Key(UINT vk) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(Main(), nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : Main();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    // The key down is handled first, and the characters it makes are posted
    // while it is; only then goes the key up, so that both, and those
    // characters, are handled when Key returns.
    PostMessageW(target, WM_KEYDOWN, vk, scan | 1);
    Drain();
    PostMessageW(target, WM_KEYUP, vk, scan | 1 | (LPARAM{3} << 30));
    Drain();
}

int App::FocusedId() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(Main(), nullptr), &info) || !info.hwndFocus) return 0;
    return GetParent(info.hwndFocus) == Main() ? GetDlgCtrlID(info.hwndFocus) : 0;
}

// The program's thread handles what is posted to it in the order it was
// posted, so once a marker posted now has been handled, so has everything
// posted before it. The marker is a text limit on txtOBJ, which nobody
// reads; it is put back afterwards. Sent messages would not do: they are
// handled before posted ones, whatever came first.
void App::Drain() const {
    HWND field = main_ && IsWindow(main_) ? GetDlgItem(main_, IDC_TXTOBJ) : nullptr;
    if (!field) return;  // gone: the caller's checks tell
    DWORD_PTR original = 0;
    if (!SendMessageTimeoutW(field, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, static_cast<UINT>(kWait.count()), &original)) {
        if (!IsWindow(field) || !Running()) return;
        throw DriverError("the program did not answer within " + std::to_string(kWait.count()) + " ms");
    }
    static WPARAM counter = 0;
    const WPARAM marker = 1000 + (++counter % 1000);
    PostMessageW(field, EM_SETLIMITTEXT, marker, 0);
    try {
        WaitFor(
            [&] {
                DWORD_PTR limit = 0;
                if (!IsWindow(field) || !Running()) return true;
                return SendMessageTimeoutW(field, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 1000, &limit) && limit == marker;
            },
            "the program to handle what was posted to it");
    } catch (const DriverError&) {
        if (!IsWindow(field) || !Running()) return;
        throw;
    }
    SendMessageTimeoutW(field, EM_SETLIMITTEXT, original, 0, SMTO_NORMAL, static_cast<UINT>(kWait.count()), nullptr);
}

std::vector<HWND> App::Dialogs() const {
    std::vector<HWND> dialogs;
    if (process_.hProcess)
        for (HWND w : TopLevelWindows(process_.dwProcessId))
            if (ClassOf(w) == L"#32770") dialogs.push_back(w);
    return dialogs;
}

std::optional<Box> App::FindBox() const {
    for (HWND w : Dialogs())
        if (!FileNameBox(w)) return ReadBox(w);
    return std::nullopt;
}

Box App::WaitBox(Ms timeout) const {
    std::optional<Box> box;
    try {
        WaitFor([&] { return (box = FindBox()).has_value(); }, "a message box", timeout);
    } catch (const DriverError& e) {
        throw DriverError(std::string(e.what()) + "; windows shown:" +
                          (process_.hProcess ? Describe(TopLevelWindows(process_.dwProcessId)) : " none"));
    }
    return *box;
}

void App::Answer(const Box& box) {
    if (HWND ok = GetDlgItem(box.hwnd, IDOK))
        PostMessageW(ok, BM_CLICK, 0, 0);
    else
        PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box.hwnd); }, "the message box to close");
}

void App::Press(const Box& box, int buttonId) {
    HWND button = GetDlgItem(box.hwnd, buttonId);
    if (!button) throw DriverError("the message box has no button " + std::to_string(buttonId));
    PostMessageW(button, BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindow(box.hwnd); }, "the message box to close");
}

std::wstring App::ButtonText(const Box& box, int buttonId) {
    HWND button = GetDlgItem(box.hwnd, buttonId);
    return button ? WindowText(button) : std::wstring();
}

testing::AssertionResult App::ExpectBox(const testing::Matcher<const std::wstring&>& text, Icon icon,
                                        const std::wstring& title, Ms timeout) {
    Box box;
    try {
        box = WaitBox(timeout);
    } catch (const DriverError& e) {
        return testing::AssertionFailure() << e.what();
    }
    Answer(box);
    testing::StringMatchResultListener why;
    const bool textOk = text.MatchAndExplain(box.text, &why);
    if (textOk && box.icon == icon && box.title == title) return testing::AssertionSuccess() << box;
    std::ostringstream wanted;
    text.DescribeTo(&wanted);
    return testing::AssertionFailure() << "saw " << box << "\n  expected title \"" << Utf8(title) << "\", text that "
                                       << wanted.str() << ", " << icon;
}

// A box that a handler shows runs its own message loop, so it is up by the
// time the marker of Drain() has been handled. The second marker lets a step
// that a handler posts to its own window run too. Work of another thread has
// to have ended visibly before this is asked.
testing::AssertionResult App::ExpectNoBox() const {
    Drain();
    Drain();
    if (auto box = FindBox()) return testing::AssertionFailure() << "unexpected " << *box;
    return testing::AssertionSuccess();
}

FileDialog App::WaitFileDialog(Ms timeout) const {
    std::optional<FileDialog> dialog;
    try {
        WaitFor(
            [&] {
                for (HWND w : Dialogs())
                    if (HWND name = FileNameBox(w)) dialog.emplace(w, name);
                return dialog.has_value();
            },
            "a file dialog", timeout);
    } catch (const DriverError& e) {
        throw DriverError(std::string(e.what()) + "; windows shown:" +
                          (process_.hProcess ? Describe(TopLevelWindows(process_.dwProcessId)) : " none"));
    }
    return *dialog;
}

std::optional<RegValue> App::Setting() const {
    const std::wstring key = kSettingsRoot + name_ + L"\\RAR";
    DWORD type = 0, size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Path", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Path", RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
    return RegValue{type, data};
}

void App::SetSetting(const std::wstring& path) const {
    const std::wstring key = kSettingsRoot + name_ + L"\\RAR";
    const LSTATUS status = RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Path", REG_SZ, path.c_str(),
                                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) throw DriverError("RegSetKeyValue failed, error " + std::to_string(status));
}

namespace {

// Runs `script` with the Unix shell: Wine starts a Unix program given by its
// path like a Windows one, but neither waits for it nor learns its exit
// code, so the script makes the file `done` once it succeeded, and this
// waits for that file.
void RunUnixShell(const std::string& script, const fs::path& done, const std::string& what) {
    std::wstring line = L"Z:\\bin\\sh -c \"" + Wide(script) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION shell{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &shell))
        throw DriverError(LastError("starting the shell for " + what));
    if (shell.hProcess) CloseHandle(shell.hProcess);
    if (shell.hThread) CloseHandle(shell.hThread);
    WaitFor([&] { return fs::exists(done); }, what);
}

}  // namespace

UnixRun RunOnUnix(const std::string& command, const fs::path& folder) {
    const fs::path output = folder / L"unix-run.out", code = folder / L"unix-run.code";
    std::error_code ignored;
    fs::remove(output, ignored);
    fs::remove(code, ignored);
    const std::string out = UnixQuoted(output), done = UnixQuoted(code);
    // The exit code is written under another name and renamed: whole once it shows.
    RunUnixShell("cd " + UnixQuoted(folder) + " && { " + command + "; } >" + out + " 2>&1; echo $? >" + done +
                     ".part; mv " + done + ".part " + done,
                 code, "the Unix command " + command);
    UnixRun run;
    std::ifstream(code) >> run.exitCode;
    std::ifstream in(output, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

// ImageMagick's import takes the shot. It writes under another name and
// renames, so that the file is whole once it shows.
fs::path App::Screenshot(const std::string& name) const { return Screenshot(name, Main()); }

fs::path App::Screenshot(const std::string& name, HWND window) const {
    RECT r;
    if (!GetWindowRect(window, &r)) throw DriverError("Screenshot: no window to take");
    const std::string dir = TheSetup().buildDirUnix + "/screenshots";
    fs::create_directories(FromUnix(dir));
    const std::string finalPath = dir + "/" + name + ".png", partPath = dir + "/" + name + ".part.png";
    std::error_code ignored;
    fs::remove(FromUnix(finalPath), ignored);
    std::ostringstream script;
    script << "import -window root -crop " << r.right - r.left << "x" << r.bottom - r.top << "+" << r.left << "+"
           << r.top << " +repage '" << partPath << "' && mv '" << partPath << "' '" << finalPath << "'";
    RunUnixShell(script.str(), FromUnix(finalPath), "the screenshot " + finalPath);
    return FromUnix(finalPath);
}

// ---- Measuring ----

int ScreenDpi() {
    TheSetup();  // DPI aware from here on
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE TextExtent(const std::wstring& text, const wchar_t* face, int height, BYTE pitchAndFamily) {
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    return size;
}

SIZE LabelTextExtent(const std::wstring& caption) {
    // As a label shows it: "&&" is one ampersand, a single one marks the access key.
    std::wstring shown;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return TextExtent(shown, L"MS Sans Serif", -MulDiv(825, ScreenDpi(), 7200), DEFAULT_PITCH | FF_DONTCARE);
}

std::wstring Lower(std::wstring text) {
    CharLowerW(text.data());
    return text;
}

// ---- Further windows ----

HWND App::FindWindowOfClass(const wchar_t* className) const {
    if (!process_.hProcess) return nullptr;
    for (HWND w : TopLevelWindows(process_.dwProcessId))
        if (ClassOf(w) == className) return w;
    return nullptr;
}

HWND App::WaitWindowOfClass(const wchar_t* className, Ms timeout) const {
    HWND found = nullptr;
    try {
        WaitFor([&] { return (found = FindWindowOfClass(className)) != nullptr; },
                "a window of class " + Utf8(className), timeout);
    } catch (const DriverError& e) {
        throw DriverError(std::string(e.what()) + "; windows shown:" +
                          (process_.hProcess ? Describe(TopLevelWindows(process_.dwProcessId)) : " none"));
    }
    return found;
}

// ---- Process times ----

// The sum over the process's threads: Wine 8 answers GetProcessTimes for
// another process with the caller's own times, but GetThreadTimes of another
// process's threads with theirs. Threads that have ended are not counted.
std::chrono::microseconds ProcessCpuTime(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) throw DriverError(LastError("CreateToolhelp32Snapshot"));
    auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    ULONGLONG total = 0;  // in units of 100 ns
    int threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        FILETIME created, exited, kernel, user;
        if (thread && GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            total += ticks(kernel) + ticks(user);
            ++threads;
        }
        if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    if (threads == 0) throw DriverError("no thread times for process " + std::to_string(pid));
    return std::chrono::microseconds(total / 10);
}

// ---- The process seen from the system ----

std::vector<fs::path> LoadedModules(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) throw DriverError(LastError("CreateToolhelp32Snapshot of the modules"));
    std::vector<fs::path> modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        modules.emplace_back(entry.szExePath);
    CloseHandle(snapshot);
    if (modules.empty()) throw DriverError("no modules listed for process " + std::to_string(pid));
    return modules;
}

namespace {

// The path as Unix programs see it; Wine's kernel32 knows every drive's mapping.
std::string UnixPath(const fs::path& path) {
    using ToUnix = char*(__cdecl*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) throw DriverError("not running under Wine: no wine_get_unix_file_name");
    char* unixPath = toUnix(fs::absolute(path).c_str());
    if (!unixPath) throw DriverError("no Unix path for " + Utf8(path.wstring()));
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Runs chmod, which leaves a mark once it succeeded.
void Chmod(const char* mode, const fs::path& path) {
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) throw DriverError(LastError("GetTempPath"));
    static int calls = 0;
    const fs::path mark =
        fs::path(temp) / (L"chmod-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++calls));
    RunUnixShell("chmod " + std::string(mode) + " '" + UnixPath(path) + "' && : >'" + UnixPath(mark) + "'", mark,
                 "chmod " + std::string(mode) + " " + Utf8(path.wstring()));
    std::error_code ignored;
    fs::remove(mark, ignored);
}

}  // namespace

std::string UnixQuoted(const fs::path& path) {
    std::string quoted = "'";
    for (const char c : UnixPath(path)) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

WriteProtected::WriteProtected(fs::path path) : path_(std::move(path)) { Chmod("a-w", path_); }

WriteProtected::~WriteProtected() {
    try {
        Chmod("u+w", path_);
    } catch (const DriverError& e) {
        ADD_FAILURE() << e.what();
    }
}

}  // namespace e2e

// Registered in the test prefix as the "open" command of .txt files: instead
// of showing the file, appends the path it was given, as one UTF-8 line, to
// the file named by KESTRANE_RECORDER_LOG (which the test sets before it
// starts the program, whose children inherit it).
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t log[MAX_PATH];
    if (!GetEnvironmentVariableW(L"KESTRANE_RECORDER_LOG", log, MAX_PATH)) return 2;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring line = argc > 1 ? argv[1] : L"";
    line += L"\r\n";
    std::string utf8(line.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 4;
}

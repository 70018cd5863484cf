// How long Kestrane takes from its start to a window the user can work with,
// against a bare Win32 window built the same way (BareWindow.cpp):
//
//   startup_bench RUNS WORK_FOLDER KESTRANE.exe BARE.exe
//
// Copies both programs into WORK_FOLDER and starts them in turn, one warm-up
// start each and then RUNS measured ones. A start is timed from CreateProcess
// until WaitForInputIdle has returned and a visible top-level window of the
// program's main class belongs to the process; then the window gets WM_CLOSE
// and the program must end. Prints every time and the medians. Exit code 0
// unless a program failed to start, show its window or end, or Kestrane's
// median exceeds 5 x the bare window's + 500 ms: a sanity bound that tells
// of something broken (a hang, a time-out in the start), not a target.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr DWORD kTimeoutMs = 10000;
constexpr double kFactor = 5.0;
constexpr double kSlackMs = 500.0;

struct Program {
    const char* label;
    const wchar_t* windowClass;
    fs::path exe;  // the copy in the work folder
    std::vector<double> times;
};

// A Unix path (as CMake passes it) the way Wine's Z: drive shows it.
fs::path FromUnix(std::wstring path) {
    if (path.empty() || path.front() != L'/') return path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path;
}

std::string Narrow(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

struct Search {
    DWORD pid;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[64] = L"";
    if (pid == search->pid && IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 64) &&
        wcscmp(name, search->windowClass) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindow(DWORD pid, const wchar_t* windowClass) {
    Search search{pid, windowClass, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One start of the program, in milliseconds up to its idle, visible window.
double StartOnce(const Program& program, const fs::path& workFolder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // null handles, as a start from the shell
    std::wstring command = L"\"" + program.exe.wstring() + L"\"";
    PROCESS_INFORMATION process{};
    const auto start = Clock::now();
    if (!CreateProcessW(program.exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, workFolder.c_str(),
                        &startup, &process))
        throw std::runtime_error("CreateProcess failed, error " + std::to_string(GetLastError()));
    const DWORD idle = WaitForInputIdle(process.hProcess, kTimeoutMs);
    HWND window = nullptr;
    while (!(window = VisibleWindow(process.dwProcessId, program.windowClass)) &&
           Clock::now() - start < std::chrono::milliseconds(kTimeoutMs) &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        std::this_thread::sleep_for(1ms);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    std::string failure;
    if (idle != 0) failure = "WaitForInputIdle returned " + std::to_string(idle);
    if (!window) failure = "no visible window of its class within " + std::to_string(kTimeoutMs) + " ms";
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kTimeoutMs);
        if (failure.empty()) failure = "it did not end after WM_CLOSE";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!failure.empty()) throw std::runtime_error(failure);
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Run(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: startup_bench RUNS WORK_FOLDER KESTRANE.exe BARE.exe\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    if (runs < 1) throw std::runtime_error("RUNS must be a positive number");
    const fs::path workFolder = FromUnix(argv[2]);
    fs::create_directories(workFolder);
    Program programs[] = {{"Kestrane", L"KestraneMain", workFolder / L"KestraneBench.exe", {}},
                          {"bare window", L"KestraneBareWindow", workFolder / L"BareWindow.exe", {}}};
    for (int i = 0; i < 2; ++i) {
        // Removed first: MinGW's copy_file does not overwrite under Wine.
        fs::remove(programs[i].exe);
        fs::copy_file(FromUnix(argv[3 + i]), programs[i].exe);
        std::printf("%-12s %s, %llu bytes\n", programs[i].label, Narrow(FromUnix(argv[3 + i]).wstring()).c_str(),
                    static_cast<unsigned long long>(fs::file_size(programs[i].exe)));
    }

    for (int run = 0; run <= runs; ++run) {
        for (Program& program : programs) {
            double ms = 0;
            try {
                ms = StartOnce(program, workFolder);
            } catch (const std::exception& e) {
                std::printf("%s, start %d: %s\n", program.label, run, e.what());
                return 1;
            }
            std::printf("%-12s %s %2d: %7.1f ms\n", program.label, run ? "run   " : "warm-up", run, ms);
            if (run) program.times.push_back(ms);
        }
    }
    // Kestrane keeps the rar.exe path under the program's name; not this bench's business.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\KestraneBench");

    const double subject = Median(programs[0].times), bare = Median(programs[1].times);
    const double bound = kFactor * bare + kSlackMs;
    std::printf("median of %d starts: Kestrane %.1f ms, bare window %.1f ms (%.2fx); bound %.1f ms\n", runs, subject,
                bare, subject / bare, bound);
    if (subject > bound) {
        std::printf("Kestrane starts beyond the bound of %.0f x the bare window + %.0f ms\n", kFactor, kSlackMs);
        return 1;
    }
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "startup_bench: %s\n", e.what());
        return 2;
    }
}

// kestrane: the folder conversion of the window as a command-line tool.
#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Cli.h"
#include "descriptor/TextEncoding.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "ui/Win32System.h"
#include "ui/WinText.h"
#else
#include <signal.h>
#include <unistd.h>

#include "cli/PosixSystem.h"
#endif

namespace {

// Set by Ctrl+C; the run asks before each suite. A signal handler reaches
// nothing but a lock-free atomic of static duration.
std::atomic<bool> stopRequested{false};

extern "C" void RequestStop([[maybe_unused]] int signalNumber) {
    stopRequested = true;
#ifdef _WIN32
    // Windows' C run-time resets the handler on each signal; the next Ctrl+C
    // must not end the program mid-package either.
    std::signal(signalNumber, RequestStop);
#endif
}

// Ctrl+C also ends a wait the program is in, such as for a pipe that takes
// no more output: without SA_RESTART the call returns, and the run ends.
void StopOn(int signalNumber) {
#ifdef _WIN32
    std::signal(signalNumber, RequestStop);
#else
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
#endif
}

#ifdef _WIN32
// A console shows what it is given in UTF-16 whatever its code page, which
// stays the user's; a pipe or a file takes the UTF-8 bytes as they are.
void WriteToConsoleOrStream(std::FILE* stream, std::string_view text) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode) || text.empty()) {
        kestrane::WriteBytes(stream, text);
        return;
    }
    const std::wstring wide = kestrane::Widen(text);
    // Whatever stdio still holds comes first.
    std::fflush(stream);
    for (DWORD done = 0, written = 0; done < wide.size(); done += written)
        if (!WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) ||
            written == 0)
            break;
}
#endif

int Main(const std::vector<std::string>& arguments) {
    using namespace kestrane;
    Console console;
#ifdef _WIN32
    console.write = WriteToConsoleOrStream;
    console.progress = _isatty(_fileno(console.err)) != 0;
#else
    console.progress = isatty(fileno(console.err)) != 0;
#endif
    const auto parsed = ParseOptions(arguments);
    if (const UsageError* error = std::get_if<UsageError>(&parsed)) {
        console.write(console.err, error->message + "\n");
        return 2;
    }
    // The system's descriptions of its errors in the user's language.
    std::setlocale(LC_ALL, "");
    StopOn(SIGINT);
    StopOn(SIGTERM);
#ifdef _WIN32
    // The window's port, which reads SOURCE_DATE_EPOCH itself.
    Win32System system;
#else
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    PosixSystem system(epoch ? FixedNow(epoch) : std::nullopt);
#endif
    return RunKestrane(std::get<CliOptions>(parsed), system, console, stopRequested);
}

}  // namespace

#ifdef _WIN32
// The arguments as Windows has them, in UTF-16 (little-endian in memory), so
// that every file name arrives whole whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string_view units(reinterpret_cast<const char*>(argv[i]), std::wcslen(argv[i]) * sizeof(wchar_t));
        arguments.push_back(kestrane::Utf16ToUtf8(units, false));
    }
    return Main(arguments);
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif

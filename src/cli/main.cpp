// kestrane: the folder conversion of the window as a command-line tool.
#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/Cli.h"
#include "descriptor/TextEncoding.h"
#include "package/RarArchive.h"

namespace {

// Set by Ctrl+C; the run asks before each suite. A signal handler reaches
// nothing but a lock-free atomic of static duration.
std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int signalNumber) {
    stopRequested = true;
    // Windows' C run-time resets the handler on each signal; the next Ctrl+C
    // must not end the program mid-package either.
    std::signal(signalNumber, RequestStop);
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

int Main(const std::vector<std::string>& arguments) {
    using namespace kestrane;
#ifdef _WIN32
    // The lines are UTF-8, the usage errors' quotes too; a console shows
    // them so only when told.
    SetConsoleOutputCP(CP_UTF8);
#endif
    const auto parsed = ParseOptions(arguments);
    if (const UsageError* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "%s\n", error->message.c_str());
        return 2;
    }
    // The system's descriptions of its errors in the user's language.
    std::setlocale(LC_ALL, "");
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    PosixSystem system(epoch ? DosTimeOfEpoch(epoch) : std::nullopt);
    Console console;
    console.progress = IsTerminal(stderr);
    return RunKestrane(std::get<CliOptions>(parsed), system, console, stopRequested);
}

}  // namespace

#ifdef _WIN32
// The arguments as Windows has them, in UTF-16, so that every file name
// arrives whole whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        std::string units;
        for (const wchar_t* c = argv[i]; *c; ++c) {
            units += static_cast<char>(*c & 0xFF);
            units += static_cast<char>((*c >> 8) & 0xFF);
        }
        arguments.push_back(kestrane::Utf16ToUtf8(units, false));
    }
    return Main(arguments);
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif

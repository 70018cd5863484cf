// Stand-in for rar.exe, used by Kestrane's tests instead of the real archiver.
//
// Every run appends one record to rar.log beside the executable:
//     cmdline=<the command line exactly as received, UTF-8>
//     cwd=<the working folder, UTF-8>
// On Windows the command line is GetCommandLineW(); elsewhere it is argv
// joined with single spaces.  Then, unless told to fail, it carries out
// `a -m0 -ep <archive> <files...>` (see command.hpp).
//
// Steering from a test:
//   FAKERAR_SLEEP_MS=<ms> or a file rar.sleep holding <ms>: wait that long first.
//   FAKERAR_FAIL set, or a file rar.fail beside the executable: exit with 3
//   without touching any archive.
//   FAKERAR_HALF set, or a file rar.half beside the executable: write half
//   the archive straight under its name, as a full disk leaves it, and exit
//   with 5.
//   FAKERAR_RAR5 set, or a file rar.rar5 beside the executable: behave like
//   rar 5.50 and later, which write RAR5 by default (and rar 7, which knows
//   no -ma4 and so writes nothing else).
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "command.hpp"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#else
#include <cstdlib>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
std::string utf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();  // terminating zero
    return out;
}
#endif

std::optional<std::string> environment(const char* name) {
#ifdef _WIN32
    const std::wstring wname(name, name + std::char_traits<char>::length(name));
    const DWORD size = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    GetEnvironmentVariableW(wname.c_str(), value.data(), size);
    return utf8(value.c_str());
#else
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
#endif
}

std::optional<std::string> file_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

long long milliseconds(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return 0;
    long long value = 0;
    const auto result = std::from_chars(text.data() + begin, text.data() + text.size(), value);
    return result.ec == std::errc() && value > 0 ? value : 0;
}

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    std::string cmdline;
    std::vector<std::string> args;
    fs::path exe_dir;
#ifdef _WIN32
    const wchar_t* line = GetCommandLineW();
    cmdline = utf8(line);
    int count = 0;
    if (wchar_t** wargv = CommandLineToArgvW(line, &count)) {
        for (int i = 1; i < count; ++i) args.push_back(utf8(wargv[i]));
        LocalFree(wargv);
    }
    std::wstring module(32768, L'\0');
    module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
    exe_dir = fs::path(module).parent_path();
#else
    for (int i = 0; i < argc; ++i) {
        if (i > 0) cmdline += ' ';
        cmdline += argv[i];
        if (i > 0) args.emplace_back(argv[i]);
    }
    std::error_code ec;
    exe_dir = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec) exe_dir = fs::absolute(fakerar::path_from_utf8(argc > 0 ? argv[0] : "")).parent_path();
#endif

    std::error_code cwd_error;
    const fs::path cwd = fs::current_path(cwd_error);
    {
        std::ofstream log(exe_dir / "rar.log", std::ios::binary | std::ios::app);
        log << "cmdline=" << cmdline << "\ncwd=" << fakerar::path_to_utf8(cwd) << '\n';
    }

    auto sleep_ms = environment("FAKERAR_SLEEP_MS");
    if (!sleep_ms) sleep_ms = file_text(exe_dir / "rar.sleep");
    if (sleep_ms) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds(*sleep_ms)));

    std::error_code ec_fail;
    if (environment("FAKERAR_FAIL") || fs::exists(exe_dir / "rar.fail", ec_fail)) {
        std::cerr << "fakerar: failing on request (FAKERAR_FAIL or rar.fail)\n";
        return fakerar::kExitForcedFailure;
    }

    std::error_code ec_rar5;
    const auto format = environment("FAKERAR_RAR5") || fs::exists(exe_dir / "rar.rar5", ec_rar5)
                            ? fakerar::Format::Rar5
                            : fakerar::Format::Rar4;
    std::string error;
    const auto command = fakerar::parse_command(args, error, format);
    if (!command) {
        std::cerr << (format == fakerar::Format::Rar5 ? "" : "fakerar: ") << error << '\n';
        return fakerar::kExitUsage;
    }
    std::error_code ec_half;
    const bool half = environment("FAKERAR_HALF") || fs::exists(exe_dir / "rar.half", ec_half);
    return fakerar::run_add(*command, cwd, std::cout, format, half);
}

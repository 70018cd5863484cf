#include "ui/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/LateBound.h"
#include "ui/WinText.h"

namespace kestrane {

namespace {

enum class Switch { None, Folder, Subfolders, Overwrite };

Switch SwitchOf(const std::wstring& argument) {
    const std::pair<const wchar_t*, Switch> switches[] = {{L"/ordner", Switch::Folder},
                                                          {L"/unterordner", Switch::Subfolders},
                                                          {L"/ueberschreiben", Switch::Overwrite},
                                                          {L"/\u00fcberschreiben", Switch::Overwrite}};
    for (const auto& [name, which] : switches)
        if (lstrcmpiW(argument.c_str(), name) == 0) return which;
    return Switch::None;
}

// Whether anything follows the program's own name, which comes first, quoted
// or up to the first blank.
bool HasArguments(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return *line != L'\0';
}

}  // namespace

StartArguments ParseStartArguments(const std::vector<std::wstring>& arguments) {
    StartArguments parsed;
    bool subfolders = false;
    bool overwrite = false;
    int foldersWanted = 0;
    for (const std::wstring& argument : arguments) {
        switch (SwitchOf(argument)) {
        case Switch::Folder:
            parsed.folderRun.emplace();
            foldersWanted = 2;
            break;
        case Switch::Subfolders: subfolders = true; break;
        case Switch::Overwrite: overwrite = true; break;
        case Switch::None:
            if (foldersWanted == 0) {
                parsed.files.push_back(argument);
            } else {
                (foldersWanted == 2 ? parsed.folderRun->source : parsed.folderRun->target) = Narrow(argument);
                --foldersWanted;
            }
            break;
        }
    }
    if (parsed.folderRun) {
        parsed.folderRun->includeSubfolders = subfolders;
        parsed.folderRun->overwrite = overwrite;
    }
    return parsed;
}

std::vector<std::wstring> ProgramArguments() {
    // A start without arguments, the usual one, loads no shell32 for them.
    const wchar_t* line = GetCommandLineW();
    if (!HasArguments(line)) return {};
    auto splitLine = LateBound<decltype(CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
    if (!splitLine) return {};
    int count = 0;
    wchar_t** split = splitLine(line, &count);
    if (!split) return {};
    std::vector<std::wstring> arguments(split + (count > 0 ? 1 : 0), split + count);
    LocalFree(split);
    return arguments;
}

}  // namespace kestrane

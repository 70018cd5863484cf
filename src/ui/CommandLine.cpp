#include "ui/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

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
            if (foldersWanted == 2) {
                parsed.folderRun->source = argument;
            } else if (foldersWanted == 1) {
                parsed.folderRun->target = argument;
            } else {
                parsed.files.push_back(argument);
            }
            if (foldersWanted > 0) --foldersWanted;
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
    int count = 0;
    wchar_t** split = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!split) return {};
    std::vector<std::wstring> arguments(split + (count > 0 ? 1 : 0), split + count);
    LocalFree(split);
    return arguments;
}

}  // namespace kestrane

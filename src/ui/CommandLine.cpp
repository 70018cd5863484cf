#include "ui/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

namespace kestrane {

StartArguments ParseStartArguments(const std::vector<std::wstring>& arguments) {
    StartArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (lstrcmpiW(arguments[i].c_str(), L"/ordner") == 0) {
            FolderRunArguments run;
            if (i + 1 < arguments.size()) run.source = arguments[++i];
            if (i + 1 < arguments.size()) run.target = arguments[++i];
            parsed.folderRun = std::move(run);
        } else {
            parsed.files.push_back(arguments[i]);
        }
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

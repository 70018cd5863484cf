#include "ui/ProgramFiles.h"
#include "ui/LateBound.h"

#include <shellapi.h>
#include <shlobj.h>

namespace kestrane {

namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::wstring ProgramFolder() {
    std::wstring path = ModulePath();
    path.resize(path.find_last_of(L'\\') + 1);
    if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
    return path;
}

std::wstring ProgramName() {
    std::wstring name = ModulePath();
    name.erase(0, name.find_last_of(L'\\') + 1);
    if (const std::size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
    return name;
}

std::wstring UserDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    auto folderPath = LateBound<decltype(SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
    if (!folderPath || FAILED(folderPath(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
        !folder[0])
        return {};
    std::wstring path = folder;
    if (path.back() != L'\\') path.push_back(L'\\');
    return path + L"Kestrane\\";
}

void OpenReadme(HWND owner, const std::wstring& programFolder) {
    const std::wstring readme = programFolder + L"readme.txt";
    if (auto execute = LateBound<decltype(ShellExecuteW)>(L"shell32.dll", "ShellExecuteW"))
        execute(owner, L"open", readme.c_str(), L"", L"", SW_SHOWNORMAL);
}

}  // namespace kestrane

#include "ui/Settings.h"

#include <windows.h>

#include "ui/ScopedWin.h"
#include "ui/UiWords.h"
#include "ui/WinText.h"

namespace kestrane {

namespace {

constexpr wchar_t kValueName[] = L"Path";

std::wstring SectionKey(const std::wstring& programName) {
    return L"Software\\VB and VBA Program Settings\\" + programName + L"\\RAR";
}

}  // namespace

std::wstring LoadRarPath(const std::wstring& programName) {
    const std::string context(ui_words::kSettingNotReadText);
    UniqueRegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(programName).c_str(), 0, KEY_QUERY_VALUE, key.Put());
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) ThrowSystemError(context, static_cast<DWORD>(status));

    DWORD type = 0;
    DWORD bytes = 0;
    status = RegQueryValueExW(key.Get(), kValueName, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) ThrowSystemError(context, static_cast<DWORD>(status));
    if (type != REG_SZ && type != REG_EXPAND_SZ) ThrowSystemError(context, ERROR_DATATYPE_MISMATCH);

    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key.Get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
    if (status != ERROR_SUCCESS) ThrowSystemError(context, static_cast<DWORD>(status));
    value.resize(bytes / sizeof(wchar_t));
    // A stored string may or may not carry its terminating zero.
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

void SaveRarPath(const std::wstring& programName, const std::wstring& path) {
    const std::string context(ui_words::kSettingNotSavedText);
    UniqueRegKey key;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(programName).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, key.Put(), nullptr);
    if (status != ERROR_SUCCESS) ThrowSystemError(context, static_cast<DWORD>(status));
    const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), bytes);
    if (status != ERROR_SUCCESS) ThrowSystemError(context, static_cast<DWORD>(status));
}

}  // namespace kestrane

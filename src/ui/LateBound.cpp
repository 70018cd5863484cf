#include "ui/LateBound.h"

#include <string>

namespace kestrane {

FARPROC LateBoundAddress(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (!module) {
        wchar_t system[MAX_PATH] = L"";
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        module = LoadLibraryW((std::wstring(system) + L"\\" + dll).c_str());
        if (!module) return nullptr;
    }
    return GetProcAddress(module, name);
}

}  // namespace kestrane

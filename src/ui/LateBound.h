// Functions of the system DLLs that only some commands need (the file
// dialogs, the folder picker, dropped files, the readme, the About window's
// picture, COM): their DLL is loaded when one is first called, not at the
// program's start, so that the first window shows about as fast as a bare
// window does. A DLL loaded so stays until the program ends, as one linked
// at the start would: COM objects and shell windows may still use it.
#pragma once

#include <windows.h>

namespace kestrane {

// The function `name` of the system DLL `dll` (from the system folder, never
// from the program's or the current one), or nullptr where it cannot be had.
FARPROC LateBoundAddress(const wchar_t* dll, const char* name);

template <typename Function>
Function* LateBound(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(LateBoundAddress(dll, name)));
}

}  // namespace kestrane

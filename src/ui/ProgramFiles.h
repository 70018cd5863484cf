// The program's own files: the folder it runs from, its name, its help.
#pragma once

#include <windows.h>

#include <string>

namespace kestrane {

// The running program's folder with exactly one trailing backslash.
std::wstring ProgramFolder();
// The running program's file name without folder and extension.
std::wstring ProgramName();

// The user's own folder for the program's files, "%LOCALAPPDATA%\Kestrane\"
// (not necessarily there yet); empty when the system names none.
std::wstring UserDataFolder();

// Has the shell open "readme.txt" from `programFolder`. Offered, not
// promised: whether the shell found the file and a program for it is not
// looked at, as with any document a user opens.
void OpenReadme(HWND owner, const std::wstring& programFolder);

}  // namespace kestrane

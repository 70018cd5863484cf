// The one per-user setting: where the user's rar.exe is. It lives where
// per-user settings stored by application name, section and key have
// always lived for tools of this kind, so an existing user's value carries
// over: HKCU\Software\VB and VBA Program Settings\<program name>\RAR, "Path".
#pragma once

#include <string>

namespace kestrane {

// The stored path, or empty when none is stored. Throws AppError.
std::wstring LoadRarPath(const std::wstring& programName);
// Stores the path (also when empty). Throws AppError.
void SaveRarPath(const std::wstring& programName, const std::wstring& path);

}  // namespace kestrane

// Text at the edges of the program: UTF-8 inside, UTF-16 for the W
// functions, and the ANSI and OEM code pages for the files that need them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "package/AppError.h"

namespace kestrane {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The text in code page `codePage`; nothing when a character has no exact form there.
std::optional<std::string> Encode(std::wstring_view wide, UINT codePage);
std::wstring Decode(std::string_view bytes, UINT codePage);

// An AppError for `error` with the German context sentence and the system's description.
AppError SystemError(std::string context, DWORD error);
// Throws that AppError: one throw in the program for the many places that fail so.
[[noreturn]] void ThrowSystemError(std::string context, DWORD error);
// Throws it for the thread's last error, read before `context()` makes the sentence.
template <typename Context>
[[noreturn]] void ThrowLastError(Context context) {
    const DWORD error = GetLastError();
    ThrowSystemError(context(), error);
}

// What to tell the user of the exception being handled (call it inside a
// catch block): an AppError's report, anything else as unexpected.
std::string CurrentFailureText();

// The text of a window or control.
std::wstring WindowText(HWND hwnd);

}  // namespace kestrane

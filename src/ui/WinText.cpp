#include "ui/WinText.h"

#include <exception>

#include "ui/UiWords.h"

namespace kestrane {

std::wstring Decode(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int count = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), count);
    return wide;
}

std::wstring Widen(std::string_view utf8) { return Decode(utf8, CP_UTF8); }

std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), count, nullptr, nullptr);
    return utf8;
}

std::optional<std::string> Encode(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int count =
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &lossy);
    if (count <= 0 || lossy) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), count, nullptr, nullptr);
    // A round trip guards against code pages that map silently without a default character.
    if (Decode(bytes, codePage) != wide) return std::nullopt;
    return bytes;
}

AppError SystemError(std::string context, DWORD error) {
    // The system's description of the number, without the trailing line end.
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer) text.assign(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return AppError(std::move(context), error, Narrow(text));
}

void ThrowSystemError(std::string context, DWORD error) { throw SystemError(std::move(context), error); }

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string CurrentFailureText() {
    try {
        throw;
    } catch (const AppError& error) {
        return error.Report();
    } catch (const std::exception& error) {
        return ui_words::UnexpectedFailureText(error.what());
    } catch (...) {
        return ui_words::UnexpectedFailureText("");
    }
}

}  // namespace kestrane

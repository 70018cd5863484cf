// UTF-8 to the single-byte code pages a console and Windows' ANSI text use,
// which only the command-line tool needs: in a file of their own, so that
// Kestrane.exe, which takes the core from a library, carries none of it.
#include <cstddef>

#include "descriptor/TextEncoding.h"
#include "descriptor/Windows1252.h"

namespace kestrane {

namespace {

// 0x80 to 0xFF of code page 437: letters, box drawing, Greek and signs.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Each character by the code page's upper half (ASCII stays as it is), or
// nothing when one is missing there.
template <std::size_t N>
std::optional<std::string> ToSingleByte(std::string_view utf8, const char16_t (&upper)[N], char32_t latin1From) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto [code, length] = Utf8CharacterAt(utf8, i);
        if (length == 0) return std::nullopt;
        i += length;
        if (code < 0x80 || (code >= latin1From && code <= 0xFF)) {
            out += static_cast<char>(code);
            continue;
        }
        std::size_t at = 0;
        while (at < N && upper[at] != code) ++at;
        if (at == N) return std::nullopt;
        out += static_cast<char>(0x80 + at);
    }
    return out;
}

}  // namespace

std::optional<std::string> Utf8ToWindows1252(std::string_view text) {
    return ToSingleByte(text, kWindows1252High, 0xA0);
}

// Code page 437 has no Latin-1 half: every character above ASCII is looked up.
std::optional<std::string> Utf8ToCp437(std::string_view text) { return ToSingleByte(text, kCp437High, 0x100); }

}  // namespace kestrane

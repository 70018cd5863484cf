#include "descriptor/TextEncoding.h"

#include "descriptor/Windows1252.h"

namespace kestrane {

Utf8Character Utf8CharacterAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1};
    // The lead byte gives the length and, in the bits below its leading
    // ones, the character's highest bits; a shorter form would do below the
    // minimum of that length.
    const std::size_t length = lead < 0xC2 || lead > 0xF4 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 0 || text.size() - at < length) return {};
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t code = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0u) != 0x80u) return {};
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length};
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8CharacterAt(bytes, i).length;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    // The lead byte says how many bytes of six bits each follow it.
    static constexpr char32_t kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    const int following = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    out += static_cast<char>(kLead[following] | code >> (6 * following));
    for (int shift = 6 * (following - 1); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | (code >> shift & 0x3F));
}

std::string EscapedLine(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8CharacterAt(text, i).length;
        if (length > 0 && c >= 0x20 && c != 0x7F) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        if (c == '\n' || c == '\r' || c == '\t')
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        else
            out.append({'\\', 'x', kHex[c >> 4], kHex[c & 0xF]});
        ++i;
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte);
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? static_cast<char32_t>(first << 8 | second) : static_cast<char32_t>(second << 8 | first);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t code = unit(i);
        const char32_t low = i + 1 < units ? unit(i + 1) : 0;
        if (code >= 0xD800 && code <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, code);  // a lone surrogate turns into U+FFFD there
        }
    }
    return out;
}

}  // namespace kestrane

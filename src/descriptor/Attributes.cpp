#include "descriptor/Attributes.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "descriptor/Text.h"
#include "descriptor/TextEncoding.h"

namespace kestrane {

namespace {

constexpr std::string_view kJarUrlKey = "MIDlet-Jar-URL";
constexpr std::string_view kJarSizeKey = "MIDlet-Jar-Size";

constexpr bool IsSpaceOrTab(char32_t c) { return c == ' ' || c == '\t'; }
constexpr bool IsLineBreak(char32_t c) { return c == '\r' || c == '\n'; }

// Where a JAD line's name and value lie, in code units of the whole text.
struct JadLine {
    std::size_t nameBegin, nameEnd, valueBegin, valueEnd;
};

// Goes through the lines of `count` code units, `unit(i)` giving the i-th,
// each ended by CR LF, LF or CR: `each(begin, end)` for each until it
// returns false.
template <class Unit, class Each>
void ForEachLine(std::size_t count, Unit unit, Each each) {
    std::size_t start = 0;
    while (start < count) {
        std::size_t end = start;
        while (end < count && !IsLineBreak(unit(end))) ++end;
        if (!each(start, end)) return;
        start = end;
        if (start < count) start += (unit(start) == '\r' && start + 1 < count && unit(start + 1) == '\n') ? 2 : 1;
    }
}

// Goes through the "Name: value" lines of `count` code units. Written once
// for bytes and for UTF-16 units, so that the lines read are exactly the
// lines a size is replaced in.
template <class Unit, class OnLine>
void ScanJadLines(std::size_t count, Unit unit, OnLine onLine) {
    ForEachLine(count, unit, [&](std::size_t start, std::size_t end) {
        std::size_t colon = start;
        while (colon < end && unit(colon) != ':') ++colon;
        if (colon < end) {
            JadLine line{start, colon, colon + 1, end};
            while (line.nameBegin < line.nameEnd && IsSpaceOrTab(unit(line.nameBegin))) ++line.nameBegin;
            while (line.nameEnd > line.nameBegin && IsSpaceOrTab(unit(line.nameEnd - 1))) --line.nameEnd;
            while (line.valueBegin < line.valueEnd && IsSpaceOrTab(unit(line.valueBegin))) ++line.valueBegin;
            while (line.valueEnd > line.valueBegin && IsSpaceOrTab(unit(line.valueEnd - 1))) --line.valueEnd;
            if (line.nameBegin < line.nameEnd) onLine(line);
        }
        return true;
    });
}

// The i-th byte of a text as a code unit.
auto ByteUnits(std::string_view text) {
    return [text](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[i])); };
}

struct JadLayout {
    JadEncoding encoding;
    std::size_t bomSize;
};

JadLayout DetectLayout(std::string_view bytes) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) return {JadEncoding::Utf16LittleEndian, 2};
    if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) return {JadEncoding::Utf16BigEndian, 2};
    // Without a byte order mark: the first two characters of a JAD are the
    // ASCII letters of a name, so UTF-16 shows as every other byte NUL.
    if (bytes.size() >= 4) {
        if (at(0) != 0 && at(1) == 0 && at(2) != 0 && at(3) == 0) return {JadEncoding::Utf16LittleEndian, 0};
        if (at(0) == 0 && at(1) != 0 && at(2) == 0 && at(3) != 0) return {JadEncoding::Utf16BigEndian, 0};
    }
    const std::size_t bom = bytes.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    return {IsValidUtf8(bytes.substr(bom)) ? JadEncoding::Utf8 : JadEncoding::Windows1252, bom};
}

// Letters, digits, '-' and '_', as the JAR format allows them.
bool IsManifestName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

// Keys that only the tools that built a JAR write into its manifest; a JAD
// made from the manifest leaves them out. Compared without regard to case;
// a key ending in '*' stands for every key that starts with it.
bool IsBuildToolKey(std::string_view name) {
    constexpr std::string_view kKeys[] = {
        "Manifest-Version", "Created-By", "Built-By", "Ant-Version",           "Build-Jdk",  "Build-Jdk-Spec",
        "Archiver-Version", "Bnd-*",      "Tool",     "Originally-Created-By", "Class-Path",
    };
    return std::any_of(std::begin(kKeys), std::end(kKeys), [name](std::string_view key) {
        if (!key.ends_with('*')) return EqualsIgnoringAsciiCase(name, key);
        key.remove_suffix(1);
        return EqualsIgnoringAsciiCase(name.substr(0, key.size()), key);
    });
}

}  // namespace

const std::string* FindAttribute(const AttributeList& attributes, std::string_view name) {
    for (const Attribute& attribute : attributes)
        if (EqualsIgnoringAsciiCase(attribute.name, name)) return &attribute.value;
    return nullptr;
}

AttributeList ParseManifest(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());

    // Physical lines joined into logical ones first: tools fold after 72
    // bytes, also in the middle of a UTF-8 sequence.
    std::vector<std::string> lines;
    ForEachLine(bytes.size(), ByteUnits(bytes), [&](std::size_t start, std::size_t end) {
        const std::string_view line = bytes.substr(start, end - start);
        if (line.empty()) return false;
        if (line.front() != ' ')
            lines.emplace_back(line);
        else if (!lines.empty())
            lines.back() += line.substr(1);
        return true;
    });

    const bool utf8 =
        std::all_of(lines.begin(), lines.end(), [](const std::string& line) { return IsValidUtf8(line); });

    AttributeList attributes;
    for (const std::string& line : lines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = TrimSpacesAndTabs(std::string_view(line).substr(0, colon));
        if (!IsManifestName(name)) continue;
        std::string value = TrimSpacesAndTabs(std::string_view(line).substr(colon + 1));
        if (!utf8) value = Windows1252ToUtf8(value);
        attributes.push_back({std::move(name), std::move(value)});
    }
    return attributes;
}

JadAttributes ParseJad(std::string_view bytes) {
    const JadLayout layout = DetectLayout(bytes);
    const std::string_view body = bytes.substr(layout.bomSize);
    const std::string text = IsUtf16(layout.encoding)
                                 ? Utf16ToUtf8(body, layout.encoding == JadEncoding::Utf16BigEndian)
                             : layout.encoding == JadEncoding::Windows1252 ? Windows1252ToUtf8(body)
                                                                           : std::string(body);

    JadAttributes jad;
    jad.encoding = layout.encoding;
    ScanJadLines(text.size(), ByteUnits(text), [&](const JadLine& line) {
        jad.attributes.push_back({text.substr(line.nameBegin, line.nameEnd - line.nameBegin),
                                  text.substr(line.valueBegin, line.valueEnd - line.valueBegin)});
    });
    return jad;
}

std::string Utf16JadToUtf8(std::string_view bytes) {
    const JadLayout layout = DetectLayout(bytes);
    if (!IsUtf16(layout.encoding)) return std::string(bytes);
    return Utf16ToUtf8(bytes.substr(layout.bomSize), layout.encoding == JadEncoding::Utf16BigEndian);
}

MadeJad MakeJad(const AttributeList& manifest, std::string_view jarFileName, std::uint64_t jarSize) {
    const std::string* midlet = FindAttribute(manifest, "MIDlet-1");
    if (midlet == nullptr || midlet->empty()) return {std::nullopt, JadFault::NoMidlet};

    std::string jad;
    for (const Attribute& attribute : manifest) {
        if (IsBuildToolKey(attribute.name) || EqualsIgnoringAsciiCase(attribute.name, kJarUrlKey) ||
            EqualsIgnoringAsciiCase(attribute.name, kJarSizeKey))
            continue;
        // A second value under the same name is one a phone would not see.
        if (FindAttribute(manifest, attribute.name) != &attribute.value) continue;
        jad += Concatenated({attribute.name, ": ", attribute.value, "\r\n"});
    }
    jad += Concatenated({kJarUrlKey, ": ", jarFileName, "\r\n"});
    jad += Concatenated({kJarSizeKey, ": ", DecimalText(jarSize), "\r\n"});
    return {std::move(jad)};
}

MadeJad MakeJad(const JarReading& jar, std::string_view jarFileName, std::uint64_t jarSize) {
    if (!jar.contents) return {std::nullopt, JadFault::JarUnreadable, jar.problem, jar.method};
    if (!jar.contents->manifest) return {std::nullopt, JadFault::NoManifest};
    return MakeJad(ParseManifest(*jar.contents->manifest), jarFileName, jarSize);
}

std::string ReplaceJarSize(std::string_view jadBytes, std::uint64_t jarSize) {
    const JadLayout layout = DetectLayout(jadBytes);
    const std::size_t width = IsUtf16(layout.encoding) ? 2 : 1;
    const bool bigEndian = layout.encoding == JadEncoding::Utf16BigEndian;
    const std::string_view body = jadBytes.substr(layout.bomSize);
    const std::size_t count = body.size() / width;

    auto unit = [&](std::size_t i) -> char32_t {
        if (width == 1) return static_cast<unsigned char>(body[i]);
        const auto first = static_cast<unsigned char>(body[2 * i]);
        const auto second = static_cast<unsigned char>(body[2 * i + 1]);
        return bigEndian ? static_cast<char32_t>(first << 8 | second) : static_cast<char32_t>(second << 8 | first);
    };
    auto encode = [&](std::string_view ascii) {
        std::string out;
        for (const char c : ascii) {
            if (width == 2 && bigEndian) out += '\0';
            out += c;
            if (width == 2 && !bigEndian) out += '\0';
        }
        return out;
    };
    auto isSizeKey = [&](const JadLine& line) {
        if (line.nameEnd - line.nameBegin != kJarSizeKey.size()) return false;
        for (std::size_t i = 0; i < kJarSizeKey.size(); ++i) {
            const char32_t c = unit(line.nameBegin + i);
            if (c > 0x7F || !SameIgnoringAsciiCase(static_cast<char>(c), kJarSizeKey[i])) return false;
        }
        return true;
    };

    const std::string digits = DecimalText(jarSize);
    std::string out(jadBytes.substr(0, layout.bomSize));
    std::size_t copied = 0;  // code units of the body already in `out`
    bool replaced = false;
    ScanJadLines(count, unit, [&](const JadLine& line) {
        if (!isSizeKey(line)) return;
        out += body.substr(copied * width, (line.valueBegin - copied) * width);
        out += encode(digits);
        copied = line.valueEnd;
        replaced = true;
    });
    out += body.substr(copied * width, (count - copied) * width);

    if (!replaced) {
        std::string lineEnd = "\r\n";  // the JAD's first line's, where it has one
        ForEachLine(count, unit, [&](std::size_t, std::size_t end) {
            if (end < count)
                lineEnd = unit(end) == '\n' ? "\n" : end + 1 < count && unit(end + 1) == '\n' ? "\r\n" : "\r";
            return false;
        });
        if (count > 0 && !IsLineBreak(unit(count - 1))) out += encode(lineEnd);
        out += encode(Concatenated({kJarSizeKey, ": ", digits, lineEnd}));
    }
    out += body.substr(count * width);  // an odd last byte of UTF-16 stays last
    return out;
}

}  // namespace kestrane

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

// Goes through the lines of `text`, each ended by CR LF, LF or CR:
// `each(line)` for each until it returns false.
template <class Each>
void ForEachLine(std::string_view text, Each each) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (!each(text.substr(start, end - start))) return;
        start = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    }
}

// Goes through the "Name: value" lines of `text`: `onLine(name, value)`,
// both without the spaces and tabs around them, as views into `text`. One
// scan for reading a JAD and for replacing its size, so that the lines read
// are exactly the lines a size is replaced in.
template <class OnLine>
void ScanJadLines(std::string_view text, OnLine onLine) {
    ForEachLine(text, [&](std::string_view line) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return true;
        const std::string_view name = Trimmed(line.substr(0, colon), " \t");
        if (!name.empty()) onLine(name, Trimmed(line.substr(colon + 1), " \t"));
        return true;
    });
}

AttributeList AttributeLines(std::string_view text) {
    AttributeList attributes;
    ScanJadLines(text, [&](std::string_view name, std::string_view value) {
        attributes.push_back({std::string(name), std::string(value)});
    });
    return attributes;
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

// The keys a JAD made from a manifest leaves out: those that only the tools
// that built the JAR write, and the two it gets anew. Compared without regard
// to case; a key ending in '*' stands for every key that starts with it.
bool IsLeftOutOfJad(std::string_view name) {
    constexpr std::string_view kKeys[] = {
        "Manifest-Version", "Created-By",       "Built-By",  "Ant-Version", "Build-Jdk",
        "Build-Jdk-Spec",   "Archiver-Version", "Bnd-*",     "Tool",        "Originally-Created-By",
        "Class-Path",       kJarUrlKey,         kJarSizeKey,
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

    // Physical lines joined into logical ones first, each after a LF: tools
    // fold after 72 bytes, also in the middle of a UTF-8 sequence.
    std::string text;
    ForEachLine(bytes, [&](std::string_view line) {
        if (line.empty()) return false;
        if (line.front() != ' ') {
            text += '\n';
            text += line;
        } else if (!text.empty()) {
            text += line.substr(1);
        }
        return true;
    });
    if (!IsValidUtf8(text)) text = Windows1252ToUtf8(text);

    AttributeList attributes = AttributeLines(text);
    std::erase_if(attributes, [](const Attribute& attribute) { return !IsManifestName(attribute.name); });
    return attributes;
}

JadAttributes ParseJad(std::string_view bytes) {
    const JadLayout layout = DetectLayout(bytes);
    const std::string_view body = bytes.substr(layout.bomSize);
    const std::string text = IsUtf16(layout.encoding)
                                 ? Utf16ToUtf8(body, layout.encoding == JadEncoding::Utf16BigEndian)
                             : layout.encoding == JadEncoding::Windows1252 ? Windows1252ToUtf8(body)
                                                                           : std::string(body);
    return {AttributeLines(text), layout.encoding};
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
        // Each name once: a second value under the same name is one a phone would not see.
        if (IsLeftOutOfJad(attribute.name) || FindAttribute(manifest, attribute.name) != &attribute.value) continue;
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
    const std::size_t low = layout.encoding == JadEncoding::Utf16BigEndian ? 1 : 0;  // a UTF-16 unit's low byte
    const std::string_view body = jadBytes.substr(layout.bomSize);
    // The body's code units as bytes, each one beyond ASCII as 0x80: what
    // the lines are told by (line ends, colons, blanks, the key) is ASCII.
    std::string units(body);
    if (width == 2) {
        units.assign(body.size() / 2, '\x80');
        for (std::size_t i = 0; i < units.size(); ++i) {
            const std::string_view unit = body.substr(2 * i, 2);
            if (unit[1 - low] == 0 && static_cast<unsigned char>(unit[low]) < 0x80) units[i] = unit[low];
        }
    }
    auto encode = [&](std::string_view ascii) {
        if (width == 1) return std::string(ascii);
        std::string out(2 * ascii.size(), '\0');
        for (std::size_t i = 0; i < ascii.size(); ++i) out[2 * i + low] = ascii[i];
        return out;
    };

    const std::string digits = DecimalText(jarSize);
    std::string out(jadBytes.substr(0, layout.bomSize));
    std::size_t copied = 0;  // code units of the body already in `out`
    bool replaced = false;
    ScanJadLines(units, [&](std::string_view name, std::string_view value) {
        if (!EqualsIgnoringAsciiCase(name, kJarSizeKey)) return;
        const auto valueBegin = static_cast<std::size_t>(value.data() - units.data());
        out += body.substr(copied * width, (valueBegin - copied) * width);
        out += encode(digits);
        copied = valueBegin + value.size();
        replaced = true;
    });
    out += body.substr(copied * width, (units.size() - copied) * width);

    if (!replaced) {
        std::string lineEnd = "\r\n";  // the JAD's first line's, where it has one
        if (const std::size_t end = units.find_first_of("\r\n"); end != std::string::npos)
            lineEnd = units.compare(end, 2, "\r\n") == 0 ? "\r\n" : units.substr(end, 1);
        if (!units.empty() && units.back() != '\r' && units.back() != '\n') out += encode(lineEnd);
        out += encode(Concatenated({kJarSizeKey, ": ", digits, lineEnd}));
    }
    out += body.substr(units.size() * width);  // an odd last byte of UTF-16 stays last
    return out;
}

}  // namespace kestrane

// The attributes of a suite: the main section of a JAR's manifest and the
// lines of a JAD, both as UTF-8 name/value pairs; a JAD made from a
// manifest; and a JAD's MIDlet-Jar-Size set to the JAR's real size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor/JarArchive.h"

namespace kestrane {

struct Attribute {
    std::string name;
    std::string value;
    friend bool operator==(const Attribute&, const Attribute&) = default;
};

using AttributeList = std::vector<Attribute>;

// The value of the first attribute called `name`, compared without regard
// to ASCII case as phones and JAR tools compare them; null when none is.
const std::string* FindAttribute(const AttributeList& attributes, std::string_view name);

// The main section of a manifest, in its order. Lines end in CR LF, LF or
// CR; a line that starts with a space continues the one before (the space
// itself is dropped); the section ends at the first empty line. Spaces after
// the colon and at the end of a value are dropped; lines without a colon or
// whose name is not made of letters, digits, '-' and '_' are skipped. A UTF-8 byte order mark is dropped; a manifest
// that is not UTF-8 is read as Windows-1252.
AttributeList ParseManifest(std::string_view bytes);

enum class JadEncoding { Utf8, Windows1252, Utf16LittleEndian, Utf16BigEndian };

constexpr bool IsUtf16(JadEncoding encoding) {
    return encoding == JadEncoding::Utf16LittleEndian || encoding == JadEncoding::Utf16BigEndian;
}

struct JadAttributes {
    AttributeList attributes;
    JadEncoding encoding = JadEncoding::Utf8;
};

// Every "Name: value" line of a JAD, in its order, as UTF-8. Spaces and tabs
// around names and values are dropped; lines without a colon or a name are
// skipped. UTF-16 is recognised by its byte order mark or, without one, by
// the NULs of the first two characters; a UTF-8 byte order mark is dropped;
// bytes that are not UTF-8 are read as Windows-1252.
JadAttributes ParseJad(std::string_view bytes);

// A UTF-16 JAD (see ParseJad) as UTF-8 without a byte order mark, every
// line and line end as it was; a JAD in any other encoding comes back as it is.
std::string Utf16JadToUtf8(std::string_view bytes);

// Why no JAD can be made from a JAR; the caller words it for the user.
enum class JadFault {
    None,
    JarUnreadable,  // see the JAR's reading
    NoManifest,     // no META-INF/MANIFEST.MF
    NoMidlet,       // the manifest names no MIDlet-1
};

struct MadeJad {
    std::optional<std::string> jad;      // UTF-8, "Name: value" lines ending in CR LF
    JadFault problem = JadFault::None;   // when there is none: why
    JarFault jarFault = JarFault::None;  // with JarUnreadable
    std::uint16_t method = 0;            // with JarFault::ManifestMethod
};

// The manifest's attributes without the build tools' keys and without any
// MIDlet-Jar-URL or MIDlet-Jar-Size, each name once (its first value), then
// MIDlet-Jar-URL (the JAR's file name) and MIDlet-Jar-Size. A manifest
// without MIDlet-1 makes no JAD.
MadeJad MakeJad(const AttributeList& manifest, std::string_view jarFileName, std::uint64_t jarSize);

// The same from a read JAR: its reading problem, or no manifest, make no JAD.
MadeJad MakeJad(const JarReading& jar, std::string_view jarFileName, std::uint64_t jarSize);

// The JAD's bytes with the value of every MIDlet-Jar-Size line replaced by
// `jarSize`; without such a line, one is added at the end with the JAD's
// own line end. Everything else stays byte for byte, in the JAD's encoding.
std::string ReplaceJarSize(std::string_view jadBytes, std::uint64_t jarSize);

}  // namespace kestrane

#include "package/SuiteCheck.h"

#include <algorithm>
#include <cstddef>

#include "package/Platform.h"
#include "package/Words.h"
#include "descriptor/Text.h"
#include "descriptor/DescriptorBuffer.h"
#include "descriptor/DescriptorFields.h"

namespace kestrane {

namespace {

// The comma-separated fields of MIDlet-1: name, icon, class.
std::vector<std::string> MidletFields(std::string_view value) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(',', start);
        fields.push_back(std::string(Trimmed(value.substr(start, comma - start), " \t")));  // the last one to the end
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

// The class field of a MIDlet-<n> value; empty where it names none.
std::string MidletClass(std::string_view value) {
    std::vector<std::string> fields = MidletFields(value);
    return fields.size() >= 3 ? std::move(fields[2]) : std::string();
}

std::optional<std::uint64_t> ParseSize(std::string_view value) {
    if (value.empty() || value.size() > 19) return std::nullopt;  // 19 digits always fit
    std::uint64_t size = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return size;
}

bool HasEntry(const std::vector<std::string>& entries, std::string_view name) {
    return std::find(entries.begin(), entries.end(), name) != entries.end();
}

void CheckJarSize(const AttributeList& jad, std::uint64_t jarSize, SuiteFindings& out) {
    const std::string* value = FindAttribute(jad, "MIDlet-Jar-Size");
    if (value && ParseSize(*value) == jarSize) return;
    out.findings.push_back(value ? Finding{FindingKind::JarSizeDiffers, JarSizeDiffersText(*value, jarSize)}
                                 : Finding{FindingKind::JarSizeMissing, JarSizeMissingText(jarSize)});
    out.correctedJarSize = jarSize;
}

void CompareWithManifest(const AttributeList& jad, const AttributeList& manifest, SuiteFindings& out) {
    for (const std::string_view key : {"MIDlet-Name", "MIDlet-Version", "MIDlet-Vendor"}) {
        const std::string* ours = FindAttribute(jad, key);
        const std::string* theirs = FindAttribute(manifest, key);
        if (ours == nullptr || theirs == nullptr || *ours == *theirs) continue;
        out.findings.push_back({FindingKind::AttributeDiffers, AttributeDiffersText(key, *ours, *theirs)});
    }
}

// The JAR entry of a class named as MIDlet-1 and the INI name it.
std::string ClassEntry(std::string_view cls) { return InternalName(cls) + ".class"; }

void CheckMidletEntries(const AttributeList& jad, const std::vector<std::string>& entries, SuiteFindings& out) {
    const std::string* midlet = FindAttribute(jad, "MIDlet-1");
    if (midlet == nullptr) return;  // today's input checks already refuse such a JAD
    const std::vector<std::string> fields = MidletFields(*midlet);
    if (fields.size() >= 3 && !fields[2].empty()) {
        const std::string entry = ClassEntry(fields[2]);
        if (!HasEntry(entries, entry))
            out.findings.push_back({FindingKind::ClassMissing, ClassMissingText(fields[2], entry)});
    }
    if (fields.size() >= 2 && !fields[1].empty()) {
        const std::string& icon = fields[1];
        const bool found = HasEntry(entries, icon) || (icon.front() == '/' && HasEntry(entries, icon.substr(1)));
        if (!found) out.findings.push_back({FindingKind::IconMissing, IconMissingText(icon)});
    }
}

// The two values of the INI text the checks compare, as the user may have
// edited it: lines ended by CR LF or LF, the key before the first '='
// without regard to case, the first line of a key counts, values as they
// stand. A key that is missing counts as empty.
struct IniValues {
    std::string suite, cls;
};

IniValues ParseIniValues(std::string_view text) {
    std::optional<std::string> suite, cls;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (!suite && EqualsIgnoringAsciiCase(key, "suite")) suite = value;
        if (!cls && EqualsIgnoringAsciiCase(key, "class")) cls = value;
    }
    return {suite.value_or(""), cls.value_or("")};
}

// Whether the INI's suite is the JAD's MIDlet-Name: the whole name, or the
// part of it that "Erstelle INI" takes (its first word of printable ASCII).
bool SuiteNamesJad(const std::string& suite, const std::string& name, std::string_view jadBytes) {
    if (suite == name) return true;
    DescriptorBuffer descriptor;
    descriptor.Load(Utf16JadToUtf8(jadBytes));
    const std::string generated = GetMidletName(descriptor);
    return !generated.empty() && suite == generated;
}

void CheckIni(std::string_view iniText, std::string_view jadBytes, const AttributeList& jad, const JarReading& jar,
              SuiteFindings& out) {
    const IniValues ini = ParseIniValues(iniText);
    if (const std::string* name = FindAttribute(jad, "MIDlet-Name"); name && !SuiteNamesJad(ini.suite, *name, jadBytes))
        out.findings.push_back({FindingKind::IniSuiteDiffers, IniSuiteDiffersText(ini.suite, *name)});
    if (ini.cls.empty()) {
        out.findings.push_back({FindingKind::IniClassEmpty, std::string(kIniClassEmptyText)});
        return;
    }
    if (!jar.contents) return;
    const std::string entry = ClassEntry(ini.cls);
    if (HasEntry(jar.contents->entries, entry)) return;
    // MIDlet-1's class, missing too, has been reported once already.
    const std::string* midlet = FindAttribute(jad, "MIDlet-1");
    if (midlet && ClassEntry(MidletClass(*midlet)) == entry) return;
    out.findings.push_back({FindingKind::IniClassMissing, ClassMissingText(ini.cls, entry, true)});
}

}  // namespace

std::vector<std::string> MidletClasses(const AttributeList& jad, const AttributeList& manifest) {
    std::vector<std::string> classes;
    for (const AttributeList* attributes : {&jad, &manifest}) {
        for (unsigned n = 1;; ++n) {
            const std::string* midlet = FindAttribute(*attributes, Concatenated({"MIDlet-", DecimalText(n)}));
            if (midlet == nullptr) break;
            if (std::string cls = MidletClass(*midlet); !cls.empty()) classes.push_back(std::move(cls));
        }
        if (!classes.empty()) break;
    }
    return classes;
}

std::vector<Finding> NeedFindings(const ClassVerdict& verdict, const AttributeList& jad,
                                  const AttributeList& manifest) {
    // What the suite says it needs, shown beside what its classes need.
    auto declared = [&](std::string_view key) {
        const std::string* value = FindAttribute(jad, key);
        if (value == nullptr) value = FindAttribute(manifest, key);
        return value ? *value : std::string();
    };
    std::vector<Finding> findings;
    for (const NeedGroup& group : verdict.needs) {
        const std::string said = group.kind == NeedKind::Midp20   ? declared("MicroEdition-Profile")
                                 : group.kind == NeedKind::Cldc11 ? declared("MicroEdition-Configuration")
                                                                  : std::string();
        findings.push_back(
            {group.onlyIfPresent ? FindingKind::MayLack : FindingKind::CannotRun, NeedText(group, said)});
    }
    if (verdict.unread > 0) findings.push_back({FindingKind::ClassesUnread, ClassesUnreadText(verdict.unread)});
    return findings;
}

SuiteFindings CheckSuite(std::string_view jadBytes, const JarReading& jar, std::uint64_t jarSize, bool sameFile,
                         std::optional<std::string_view> iniText) {
    if (sameFile) return {.findings = {{FindingKind::SameFile, std::string(kSameFileText)}}};
    SuiteFindings out;
    const JadAttributes jad = ParseJad(jadBytes);
    if (!jar.contents)
        out.findings.push_back({FindingKind::JarUnreadable, JarFaultText(jar.problem, jar.method)});
    else if (!jar.contents->manifest)
        out.findings.push_back({FindingKind::NoManifest, std::string(kNoManifestText)});

    CheckJarSize(jad.attributes, jarSize, out);
    if (jar.contents) {
        if (jar.contents->manifest) CompareWithManifest(jad.attributes, ParseManifest(*jar.contents->manifest), out);
        CheckMidletEntries(jad.attributes, jar.contents->entries, out);
    }
    if (iniText) CheckIni(*iniText, jadBytes, jad.attributes, jar, out);
    if (IsUtf16(jad.encoding)) out.findings.push_back({FindingKind::JadIsUtf16, std::string(kJadIsUtf16Text)});
    return out;
}

}  // namespace kestrane

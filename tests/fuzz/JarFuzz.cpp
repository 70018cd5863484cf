// Feeds arbitrary bytes to the JAR reader (manifest and classes), as a
// manifest and as a JAD to their parsers, and through the suite checks.
// Nothing may be read outside the bytes, no reading may take more than a few
// passes over them (the classes: more than their cap), and what comes out
// must keep the promises of the headers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "descriptor/Attributes.h"
#include "descriptor/JarArchive.h"
#include "descriptor/Text.h"
#include "descriptor/TextEncoding.h"
#include "package/IniText.h"
#include "package/SuiteCheck.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Aborts on any read outside the bytes, and counts what is read.
class GuardedSource : public kestrane::ByteSource {
public:
    explicit GuardedSource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() override { return bytes_.size(); }
    std::string Read(std::uint64_t offset, std::size_t length) override {
        Require(offset <= bytes_.size() && length <= bytes_.size() - offset);
        read += length;
        return std::string(bytes_.substr(static_cast<std::size_t>(offset), length));
    }
    std::uint64_t read = 0;

private:
    std::string_view bytes_;
};

bool IsBlankAt(std::string_view text, std::size_t i) { return text[i] == ' ' || text[i] == '\t'; }

// What both parsers promise of every attribute.
void RequireClean(const kestrane::AttributeList& attributes) {
    for (const kestrane::Attribute& attribute : attributes) {
        Require(!attribute.name.empty() && attribute.name.find(':') == std::string::npos);
        for (const std::string* text : {&attribute.name, &attribute.value}) {
            Require(text->find_first_of("\r\n") == std::string::npos);
            Require(kestrane::IsValidUtf8(*text));
            Require(text->empty() || (!IsBlankAt(*text, 0) && !IsBlankAt(*text, text->size() - 1)));
        }
    }
}

void CheckReplacedSize(std::string_view input, const kestrane::JadAttributes& jad) {
    const std::uint64_t size = input.size() * 7919u + 3;
    const std::string digits = std::to_string(size);
    const kestrane::JadAttributes after = kestrane::ParseJad(kestrane::ReplaceJarSize(input, size));
    if (after.encoding != jad.encoding) {
        // Only bytes too few to tell UTF-16 by, or a file whose only bytes
        // outside UTF-8 were in the old value, read differently afterwards.
        Require(input.size() < 4 ||
                (jad.encoding == kestrane::JadEncoding::Windows1252 && after.encoding == kestrane::JadEncoding::Utf8));
        return;
    }
    kestrane::AttributeList expected = jad.attributes;
    bool found = false;
    for (kestrane::Attribute& attribute : expected) {
        if (kestrane::EqualsIgnoringAsciiCase(attribute.name, "MIDlet-Jar-Size")) {
            attribute.value = digits;
            found = true;
        }
    }
    if (!found) expected.push_back({"MIDlet-Jar-Size", digits});
    Require(after.attributes == expected);
}

void CheckMadeJad(const kestrane::JarReading& jar, std::uint64_t size) {
    const kestrane::MadeJad made = kestrane::MakeJad(jar, "suite.jar", size);
    Require(made.jad.has_value() != (made.problem != kestrane::JadFault::None));
    if (!made.jad) return;
    const kestrane::AttributeList manifest = kestrane::ParseManifest(*jar.contents->manifest);
    const kestrane::JadAttributes jad = kestrane::ParseJad(*made.jad);
    Require(jad.encoding == kestrane::JadEncoding::Utf8);
    const kestrane::AttributeList& lines = jad.attributes;
    Require(lines.size() >= 3);
    Require(lines[lines.size() - 2] == kestrane::Attribute{"MIDlet-Jar-URL", "suite.jar"});
    Require(lines.back() == kestrane::Attribute{"MIDlet-Jar-Size", std::to_string(size)});
    std::set<std::string> names;
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        // Each a manifest attribute's first value, once, and none of the tools' keys.
        const std::string* value = kestrane::FindAttribute(manifest, lines[i].name);
        Require(value != nullptr && *value == lines[i].value);
        std::string lower = lines[i].name;
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        Require(names.insert(lower).second);
        Require(lower != "manifest-version" && lower != "created-by" && lower != "midlet-jar-size" &&
                lower != "midlet-jar-url");
    }
    Require(names.count("midlet-1") == 1);
}

// Each class entry read, refused or left unread, the reads within the cap.
void CheckClasses(std::string_view input, const kestrane::JarContents& contents) {
    GuardedSource source(input);
    const kestrane::SuiteClasses suite = kestrane::ReadClasses(source, contents);
    const std::size_t classEntries = static_cast<std::size_t>(
        std::count_if(contents.entries.begin(), contents.entries.end(),
                      [](const std::string& name) { return name.size() > 6 && name.ends_with(".class"); }));
    Require(suite.classes.size() + suite.damaged.size() + suite.encrypted.size() + suite.unread.size() == classEntries);
    Require(source.read <= kestrane::kMaxClassesCost);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    GuardedSource source(input);
    const kestrane::JarReading jar = kestrane::ReadJar(source);
    Require(jar.contents.has_value() != (jar.problem != kestrane::JarFault::None));
    // The end's search window, the directory, the manifest's header and data:
    // none bigger than the file.
    Require(source.read <= 4 * std::uint64_t{size} + 8);
    if (jar.contents) {
        std::size_t names = 0;
        bool named = false;
        for (const std::string& entry : jar.contents->entries) {
            names += entry.size();
            named = named || kestrane::EqualsIgnoringAsciiCase(entry, kestrane::kManifestName);
        }
        Require(jar.contents->entries.size() <= 0xFFFF && names <= size);
        if (jar.contents->manifest) Require(named && jar.contents->manifest->size() <= kestrane::kMaxManifestSize);
        CheckMadeJad(jar, size);
        CheckClasses(input, *jar.contents);
    }
    GuardedSource again(input);
    const kestrane::JarReading second = kestrane::ReadJar(again);
    Require(second.problem == jar.problem && second.method == jar.method &&
            second.contents.has_value() == jar.contents.has_value());

    RequireClean(kestrane::ParseManifest(input));
    const kestrane::JadAttributes jad = kestrane::ParseJad(input);
    RequireClean(jad.attributes);
    CheckReplacedSize(input, jad);

    // The package's copy of a UTF-16 JAD is UTF-8; any other JAD stays as it is.
    const std::string packaged = kestrane::Utf16JadToUtf8(input);
    if (kestrane::IsUtf16(jad.encoding))
        Require(kestrane::IsValidUtf8(packaged));
    else
        Require(packaged == input);

    // The window's INI text is UTF-8; the input is one where it is valid.
    const std::string_view ini = kestrane::IsValidUtf8(input) ? input : kestrane::kIniTemplate;
    const kestrane::SuiteFindings found = kestrane::CheckSuite(input, jar, size, false, ini);
    bool sizeFinding = false;
    for (const kestrane::Finding& finding : found.findings) {
        Require(!finding.text.empty() && kestrane::IsValidUtf8(finding.text));
        sizeFinding = sizeFinding || finding.kind == kestrane::FindingKind::JarSizeMissing ||
                      finding.kind == kestrane::FindingKind::JarSizeDiffers;
    }
    Require(sizeFinding == (found.correctedJarSize == std::uint64_t{size}));
    Require(sizeFinding == found.correctedJarSize.has_value());
    return 0;
}

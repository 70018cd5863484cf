// Feeds arbitrary bytes to the class reader. It must never read outside them
// (ASan and UBSan watch), and what it reads must keep the promises of
// ClassFile.h: a class or a fault, names in internal form, lists sorted and
// each name once, and a class read whole, so that any shorter prefix or one
// byte more is damaged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor/ClassFile.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

template <typename T>
bool SortedUnique(const std::vector<T>& items) {
    return std::adjacent_find(items.begin(), items.end(), [](const T& a, const T& b) { return !(a < b); }) ==
           items.end();
}

bool IsInternalName(std::string_view name) {
    return !name.empty() && name.front() != '/' && name.back() != '/' && name.find("//") == std::string_view::npos &&
           name.find_first_of(".;[") == std::string_view::npos;
}

// "a.b.C" as "a/b/C": ASCII identifiers only.
bool IsConvertedDottedName(std::string_view name) {
    return IsInternalName(name) && name.find('/') != std::string_view::npos &&
           std::all_of(name.begin(), name.end(), [](char c) {
               const char lower = static_cast<char>(c | 0x20);
               return c == '/' || c == '_' || c == '$' || (c >= '0' && c <= '9') || (lower >= 'a' && lower <= 'z');
           });
}

void RequireValid(const kestrane::ClassFile& file) {
    Require(IsInternalName(file.name));
    Require(file.superName.empty() ? file.name == "java/lang/Object" : IsInternalName(file.superName));
    Require(std::all_of(file.interfaces.begin(), file.interfaces.end(), IsInternalName));
    Require(SortedUnique(file.classes) && SortedUnique(file.members) && SortedUnique(file.namedInStrings));
    for (std::string_view name : file.classes) Require(IsInternalName(name) && name != file.name);
    for (const kestrane::MemberReference& member : file.members)
        Require(!member.owner.empty() && !member.name.empty() && member.method == (member.descriptor[0] == '('));
    Require(std::all_of(file.namedInStrings.begin(), file.namedInStrings.end(), IsConvertedDottedName));
    Require(file.methodsWithoutStackMap <= file.methodsNeedingStackMap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const kestrane::ClassReading reading = kestrane::ReadClass(input);
    Require(reading.file.has_value() == (reading.fault == kestrane::ClassFault::None));
    const bool magic = input.size() >= 4 && input.substr(0, 4) == "\xCA\xFE\xBA\xBE";
    Require(magic == (reading.fault != kestrane::ClassFault::NotAClass));
    if (!reading.file) return 0;
    RequireValid(*reading.file);

    for (const std::size_t cut : {size - 1, size / 2 + 2}) {
        if (cut < size) Require(kestrane::ReadClass(input.substr(0, cut)).fault == kestrane::ClassFault::Damaged);
    }
    const std::string longer = std::string(input) + '\0';
    Require(kestrane::ReadClass(longer).fault == kestrane::ClassFault::Damaged);
    return 0;
}

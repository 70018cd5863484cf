#include "package/Platform.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "descriptor/Text.h"

namespace kestrane {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t start = text.find_first_not_of(kWhiteSpace); start != std::string_view::npos;) {
        const std::size_t end = text.find_first_of(kWhiteSpace, start);
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(kWhiteSpace, end);
    }
    return words;
}

// The text of PhoneApis.txt, as the build deflated it into PhoneApis.inc:
// kPhoneApisSize and kPhoneApisDeflated.
#include "PhoneApis.inc"

std::string PhoneApisText() {
    std::string text(kPhoneApisSize, '\0');
    uLongf size = static_cast<uLongf>(text.size());
    // Deflated by our own build: only the memory can fail.
    const int result =
        uncompress(reinterpret_cast<Bytef*>(text.data()), &size, kPhoneApisDeflated, sizeof kPhoneApisDeflated);
    if (result != Z_OK || size != text.size()) throw std::bad_alloc();
    return text;
}

[[noreturn]] void Refuse(const char* what, std::string_view line) {
    throw std::invalid_argument(Concatenated({what, ": ", line}));
}

Provider ProviderNamed(std::string_view name) {
    constexpr std::pair<std::string_view, Provider> kNames[] = {{"Phone", Provider::Phone},
                                                                {"Cldc11", Provider::Cldc11},
                                                                {"Midp20", Provider::Midp20},
                                                                {"OptionalPackage", Provider::OptionalPackage},
                                                                {"Vendor", Provider::Vendor}};
    for (const auto& [known, provider] : kNames)
        if (name == known) return provider;
    Refuse("no such provider", name);
}

// "class java/lang/Object", the root, or "class NAME extends SUPER", with
// "implements" and the interfaces after it.
bool IsClassLine(const std::vector<std::string_view>& words) {
    if (words.size() == 2) return words[1] == "java/lang/Object";
    return words.size() >= 4 && words[2] == "extends" && (words.size() == 4 || words[4] == "implements");
}

// What follows the first `count` words of `line`, without the white space around it.
std::string_view AfterWords(std::string_view line, std::size_t count) {
    std::size_t start = line.find_first_not_of(kWhiteSpace);
    for (std::size_t i = 0; i < count && start != std::string_view::npos; ++i)
        start = line.find_first_not_of(kWhiteSpace, line.find_first_of(kWhiteSpace, start));
    if (start == std::string_view::npos) return {};
    return line.substr(start, line.find_last_not_of(kWhiteSpace) + 1 - start);
}

std::string WithEach(std::string_view name, char from, char to) {
    std::string text(name);
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

}  // namespace

ApiTables::ApiTables(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        Read(text.substr(start, end - start));
        start = end + 1;
    }
}

void ApiTables::Read(std::string_view line) {
    const std::vector<std::string_view> words = Words(line);
    const bool members = inMembers_;
    inMembers_ = false;
    if (words.empty() || words[0].starts_with('#')) return;
    if (kWhiteSpace.find(line[0]) != std::string_view::npos) {
        if (!members) Refuse("members below no class", line);
        // The members of one class are one view, across their lines.
        std::string_view& all = tables_.back().classes.back().members;
        const std::string_view more = AfterWords(line, 0);
        all = all.empty()
                  ? more
                  : std::string_view(all.data(), static_cast<std::size_t>(more.data() + more.size() - all.data()));
        inMembers_ = true;
    } else if (words[0] == "table" && words.size() == 2) {
        tables_.push_back({ProviderNamed(words[1]), {}, {}});
    } else if (tables_.empty()) {
        Refuse("a line before any table", line);
    } else if (words[0] == "class" && IsClassLine(words)) {
        tables_.back().classes.push_back({words[1], words.size() > 2 ? words[3] : "", AfterWords(line, 5), {}});
        inMembers_ = true;
    } else if (words[0] == "add-to" && words.size() == 2) {
        tables_.back().classes.push_back({words[1], {}, {}, {}});
        inMembers_ = true;
    } else if (words[0] == "package" && words.size() >= 2) {
        tables_.back().packages.push_back({words[1], tables_.back().provider, AfterWords(line, 2)});
    } else {
        Refuse("a line of no known form", line);
    }
}

Platform::Platform(std::span<const ApiTable> tables) {
    for (const ApiTable& table : tables) Add(table);
    // Longest prefix first, so that a package inside another goes to its own
    // provider; of equal ones the earlier table's. The tables name a few dozen
    // packages: sorted by insertion, which keeps equal ones in their order,
    // in a fraction of std::stable_sort's code.
    for (std::size_t i = 1; i < packages_.size(); ++i)
        for (std::size_t j = i; j > 0 && packages_[j - 1].prefix.size() < packages_[j].prefix.size(); --j)
            std::swap(packages_[j - 1], packages_[j]);
}

void Platform::Add(const ApiTable& table) {
    for (const ApiClass& apiClass : table.classes) {
        Entry& entry = classes_[apiClass.name];
        if (!apiClass.superName.empty() || apiClass.name == "java/lang/Object") {
            entry.superName = apiClass.superName;
            entry.interfaces = Words(apiClass.interfaces);
            entry.offer = {table.provider, {}, apiClass.name};
        }
        if (apiClass.members == "*") {
            entry.open = true;
            continue;
        }
        for (std::string_view key : Words(apiClass.members)) entry.members.emplace(key, table.provider);
    }
    packages_.insert(packages_.end(), table.packages.begin(), table.packages.end());
}

const Platform& Platform::Phone() {
    static const std::string text = PhoneApisText();
    static const ApiTables tables(text);
    static const Platform phone(tables.Tables());
    return phone;
}

Offer Platform::ClassOffer(std::string_view name) const {
    if (const auto found = classes_.find(name); found != classes_.end()) return found->second.offer;
    for (const ApiPackage& package : packages_)
        if (name.starts_with(package.prefix)) return {package.provider, package.name, {}};
    if (name.starts_with("java/") || name.starts_with("javax/")) return {Provider::JavaSe, {}, {}};
    return {};
}

Platform::Search Platform::Find(std::string_view owner, const MemberReference& reference) const {
    // How the tables spell a member: "getWidth()I", "out:Ljava/io/PrintStream;".
    const std::string key = Concatenated({reference.name, reference.method ? "" : ":", reference.descriptor});
    const bool constructor = reference.name == "<init>";  // never inherited
    Search search;
    // As the VM resolves: the class and its superclasses first, then their
    // interfaces and those the interfaces extend. The tables hold no cycles;
    // the list of visited names is a few entries long.
    std::vector<std::string_view> order;
    for (std::string_view name = owner; !name.empty();) {
        order.push_back(name);
        const auto found = classes_.find(name);
        name = found == classes_.end() || constructor ? std::string_view{} : found->second.superName;
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto found = classes_.find(order[i]);
        if (found == classes_.end()) continue;
        const Entry& entry = found->second;
        if (const auto member = entry.members.find(key); member != entry.members.end())
            return {&member->second, order[i], search.nearestOpen};
        if (entry.open && !search.nearestOpen) search.nearestOpen = &entry;
        if (constructor) continue;
        for (std::string_view name : entry.interfaces)
            if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
    }
    return search;
}

Offer Platform::MemberOffer(std::string_view owner, const MemberReference& reference) const {
    const Search search = Find(owner, reference);
    if (search.found) return {*search.found, {}, search.declaringClass};
    if (search.nearestOpen) return search.nearestOpen->offer;
    if (classes_.find(owner) == classes_.end()) return ClassOffer(owner);
    return {Provider::JavaSe, {}, owner};
}

bool Platform::Knows(std::string_view owner, const MemberReference& reference) const {
    return Find(owner, reference).found != nullptr;
}

std::string DottedName(std::string_view internalName) { return WithEach(internalName, '/', '.'); }

std::string InternalName(std::string_view dottedName) { return WithEach(dottedName, '.', '/'); }

std::string_view SimpleName(std::string_view internalName) {
    const std::size_t slash = internalName.rfind('/');
    return slash == std::string_view::npos ? internalName : internalName.substr(slash + 1);
}

}  // namespace kestrane

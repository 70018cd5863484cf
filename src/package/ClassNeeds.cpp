#include "package/ClassNeeds.h"

#include <algorithm>
#include <string_view>
#include <tuple>
#include <utility>

#include "descriptor/Text.h"
#include "package/NameMap.h"
#include "package/Platform.h"

namespace kestrane {

bool ClassVerdict::Runs() const { return unread == 0 && !CannotRun(); }

bool ClassVerdict::CannotRun() const {
    return std::any_of(needs.begin(), needs.end(), [](const NeedGroup& need) { return !need.onlyIfPresent; });
}

namespace {

enum class Reach { Not, Optional, Always };

using ClassIndex = NameMap<const ClassFile*>;

// What the MIDlets reach, and what they reach only through a name in a
// string: two walks over the JAR's classes, each class visited once.
class Reachability {
public:
    explicit Reachability(const ClassIndex& index) : index_(index) {}

    void Walk(const std::vector<std::string_view>& roots, Reach reach) {
        std::vector<std::string_view> queue;
        for (std::string_view root : roots) Mark(root, reach, queue);
        while (!queue.empty()) {
            const ClassFile& file = *index_.at(queue.back());
            queue.pop_back();
            // Its superclass and interfaces among them.
            for (std::string_view name : file.classes) Mark(name, reach, queue);
        }
    }

    // The classes reached always name these in strings, as Class.forName takes them.
    std::vector<std::string_view> NamedInStrings() const {
        std::vector<std::string_view> names;
        for (const auto& [name, reach] : reach_) {
            if (reach == Reach::Not) continue;
            for (const std::string& named : index_.at(name)->namedInStrings) names.push_back(named);
        }
        return names;
    }

    Reach Of(std::string_view name) const {
        const auto found = reach_.find(name);
        return found == reach_.end() ? Reach::Not : found->second;
    }

private:
    void Mark(std::string_view name, Reach reach, std::vector<std::string_view>& queue) {
        if (index_.find(name) == index_.end()) return;
        Reach& known = reach_[name];
        if (known >= reach) return;
        known = reach;
        queue.push_back(name);
    }

    const ClassIndex& index_;
    NameMap<Reach> reach_;
};

// The groups being gathered, by kind, provider and whether only optional.
class NeedCollector {
public:
    NeedGroup& Group(NeedKind kind, std::string_view provider, bool optional) {
        Key key{optional, kind, std::string(provider)};
        auto it = Place(key);
        if (it == groups_.end() || it->first != key)
            it = groups_.insert(
                it, {std::move(key), {.kind = kind, .provider = std::string(provider), .onlyIfPresent = optional}});
        return it->second;
    }
    // The examples are kept sorted, each once.
    void Add(NeedKind kind, std::string_view provider, bool optional, std::string example) {
        std::vector<std::string>& examples = Group(kind, provider, optional).examples;
        const auto at = std::lower_bound(examples.begin(), examples.end(), example);
        if (at == examples.end() || *at != example) examples.insert(at, std::move(example));
    }

    // What is needed always is not said again as optional. A group left with
    // nothing to say goes: the classes with code to verify are counted in
    // theirs whether or not one of them lacks its StackMap.
    std::vector<NeedGroup> Result() {
        for (auto& [key, group] : groups_) {
            const auto& [optional, kind, provider] = key;
            if (!optional) continue;
            const Key alwaysKey{false, kind, provider};
            const auto always = Place(alwaysKey);
            if (always == groups_.end() || always->first != alwaysKey) continue;
            const std::vector<std::string>& said = always->second.examples;
            std::erase_if(group.examples, [&](const std::string& example) {
                return std::binary_search(said.begin(), said.end(), example);
            });
            if (always->second.floatingPoint) group.floatingPoint = false;
        }
        std::vector<NeedGroup> needs;
        for (auto& [key, group] : groups_) {
            if (group.examples.empty() && !group.floatingPoint && group.count == 0) continue;
            needs.push_back(std::move(group));
        }
        return needs;
    }

private:
    using Key = std::tuple<bool, NeedKind, std::string>;  // the optional ones last, then in the order of NeedKind
    using Groups = std::vector<std::pair<Key, NeedGroup>>;

    // Where the group of `key` is, or would be put.
    Groups::iterator Place(const Key& key) {
        return std::lower_bound(groups_.begin(), groups_.end(), key,
                                [](const Groups::value_type& group, const Key& k) { return group.first < k; });
    }

    Groups groups_;  // a few, in the order of their keys
};

std::optional<NeedKind> KindOf(Provider provider) {
    switch (provider) {
    case Provider::Phone: return std::nullopt;
    case Provider::Cldc11: return NeedKind::Cldc11;
    case Provider::Midp20: return NeedKind::Midp20;
    case Provider::OptionalPackage: return NeedKind::OptionalPackage;
    case Provider::Vendor: return NeedKind::Vendor;
    case Provider::JavaSe: return NeedKind::JavaSe;
    case Provider::Nowhere: return NeedKind::Missing;
    }
    return std::nullopt;
}

class Judgement {
public:
    Judgement(const SuiteClasses& suite, const ClassIndex& index, NeedCollector& needs)
        : index_(index), platform_(Platform::Phone()), needs_(needs) {
        // An entry the JAR holds but nobody can read is damaged, not missing.
        for (const auto* entries : {&suite.damaged, &suite.encrypted})
            for (const std::string& entry : *entries) needs_.Add(NeedKind::DamagedClass, {}, false, entry);
        // A class the JAR holds that is not judged, damaged or left unread
        // (what it needs is then not known): never missing.
        for (const auto* entries : {&suite.damaged, &suite.encrypted, &suite.unread})
            for (std::string_view entry : *entries)
                if (entry.ends_with(".class")) unreadable_.push_back(entry.substr(0, entry.size() - 6));
        std::sort(unreadable_.begin(), unreadable_.end());
    }

    // What the VM asks of the class to load it, the classes and members it
    // names, and the classes it names in strings.
    void Judge(const ClassFile& file, bool optional) {
        if (file.major < kOldestLoadableMajor || file.major > kNewestLoadableMajor)
            needs_.Add(NeedKind::ClassVersion, {}, optional,
                       Concatenated({DecimalText(file.major), ".", DecimalText(file.minor)}));
        if (file.methodsNeedingStackMap > 0) {
            NeedGroup& verified = needs_.Group(NeedKind::NotPreverified, {}, optional);
            ++verified.total;
            if (file.methodsWithoutStackMap > 0) ++verified.count;  // of those needing one
        }
        if (file.usesJsr) needs_.Add(NeedKind::Jsr, {}, optional, DottedName(file.name));
        if (file.usesFloatingPoint) needs_.Group(NeedKind::Cldc11, {}, optional).floatingPoint = true;
        for (std::string_view name : file.classes)
            if (index_.find(name) == index_.end()) NeedClass(name, optional);
        for (const MemberReference& reference : file.members) JudgeMember(reference, optional);
        for (const std::string& named : file.namedInStrings) JudgeNamedInString(named);
    }

    void NeedClass(std::string_view name, bool optional) {
        // Said as damaged already, or left unread.
        if (std::binary_search(unreadable_.begin(), unreadable_.end(), name)) return;
        const Offer offer = platform_.ClassOffer(name);
        if (const auto kind = KindOf(offer.provider)) needs_.Add(*kind, offer.name, optional, DottedName(name));
    }

private:
    // A class named in a string that the JAR does not hold is asked for only
    // if the platform has it; a string no table knows is no class at all.
    void JudgeNamedInString(std::string_view name) {
        if (index_.find(name) != index_.end()) return;
        if (platform_.ClassOffer(name).provider != Provider::Nowhere) NeedClass(name, true);
    }

    void JudgeMember(const MemberReference& reference, bool optional) {
        if (reference.owner.starts_with('[')) return;  // an array's clone and length: the VM's own
        if (index_.find(reference.owner) == index_.end()) {
            // A class the platform lacks is said as a class; its members add nothing.
            if (platform_.ClassOffer(reference.owner).provider == Provider::Phone)
                NeedMember(platform_.MemberOffer(reference.owner, reference), reference, optional);
            return;
        }
        for (std::string_view above : PlatformAncestors(reference))
            if (platform_.ClassOffer(above).provider == Provider::Phone && platform_.Knows(above, reference))
                return NeedMember(platform_.MemberOffer(above, reference), reference, optional);
    }

    void NeedMember(const Offer& offer, const MemberReference& reference, bool optional) {
        if (const auto kind = KindOf(offer.provider))
            needs_.Add(*kind, offer.name, optional,
                       Concatenated({SimpleName(offer.declaringClass), ".", reference.name}));
    }

    // A member asked of the suite's own class: up its superclasses and
    // interfaces inside the JAR, as the VM resolves it. A member one of them
    // declares is the suite's own (none is returned); else the platform
    // classes' above them: the first classes outside the JAR, superclass first.
    std::vector<std::string_view> PlatformAncestors(const MemberReference& reference) const {
        std::vector<std::string_view> ancestors, inside{reference.owner};
        for (std::size_t i = 0; i < inside.size(); ++i) {
            const ClassFile& file = *index_.at(inside[i]);
            const MemberReference own{file.name, reference.name, reference.descriptor, reference.method};
            if (std::binary_search(file.declared.begin(), file.declared.end(), own)) return {};
            auto step = [&](std::string_view next) {
                if (next.empty()) return;
                auto& list = index_.find(next) == index_.end() ? ancestors : inside;
                if (std::find(list.begin(), list.end(), next) == list.end()) list.push_back(next);
            };
            step(file.superName);
            for (std::string_view interface : file.interfaces) step(interface);
        }
        return ancestors;
    }

    const ClassIndex& index_;
    const Platform& platform_;
    NeedCollector& needs_;
    std::vector<std::string_view> unreadable_;  // the class names of the entries not judged, sorted
};

}  // namespace

ClassVerdict JudgeClasses(const SuiteClasses& suite, const std::vector<std::string>& midlets) {
    ClassIndex index;
    for (const ClassFile& file : suite.classes) index.emplace(file.name, &file);

    NeedCollector needs;
    Judgement judgement(suite, index, needs);
    std::vector<std::string_view> roots;  // the index's names, which the suite's classes hold
    for (const std::string& midlet : midlets) {
        if (midlet.empty()) continue;
        const std::string name = InternalName(midlet);
        if (const auto found = index.find(name); found != index.end())
            roots.push_back(found->first);
        else
            judgement.NeedClass(name, false);
    }
    // Without a MIDlet to start from, every class counts.
    if (roots.empty())
        for (const ClassFile& file : suite.classes) roots.push_back(file.name);

    Reachability reach(index);
    reach.Walk(roots, Reach::Always);
    reach.Walk(reach.NamedInStrings(), Reach::Optional);
    for (const ClassFile& file : suite.classes) {
        const Reach how = reach.Of(file.name);
        if (how != Reach::Not) judgement.Judge(file, how == Reach::Optional);
    }

    return {needs.Result(), suite.classes.size(), suite.unread.size()};
}

}  // namespace kestrane

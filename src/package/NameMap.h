// A map from names to values in one sorted vector, for tables that are filled
// once and then only searched (the class tables, a run's logs): it finds by
// binary search, and takes in Kestrane.exe a fraction of what a hash table's
// code takes. The names are views; what they view outlives the map.
#pragma once

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrane {

template <typename Value>
class NameMap {
public:
    using Entry = std::pair<std::string_view, Value>;
    using ConstIterator = typename std::vector<Entry>::const_iterator;

    ConstIterator begin() const { return entries_.begin(); }
    ConstIterator end() const { return entries_.end(); }

    ConstIterator find(std::string_view name) const {
        const auto it = Place(entries_, name);
        return it != entries_.end() && it->first == name ? it : entries_.end();
    }
    // The value of `name`, which is there.
    const Value& at(std::string_view name) const { return find(name)->second; }
    // The value of `name`, one made where there is none.
    Value& operator[](std::string_view name) {
        auto it = Place(entries_, name);
        if (it == entries_.end() || it->first != name) it = entries_.insert(it, Entry(name, Value()));
        return it->second;
    }
    // Keeps the value there is.
    void emplace(std::string_view name, Value value) {
        const auto it = Place(entries_, name);
        if (it == entries_.end() || it->first != name) entries_.insert(it, Entry(name, std::move(value)));
    }

private:
    template <typename Entries>
    static auto Place(Entries& entries, std::string_view name) {
        return std::lower_bound(entries.begin(), entries.end(), name,
                                [](const Entry& entry, std::string_view n) { return entry.first < n; });
    }

    std::vector<Entry> entries_;
};

}  // namespace kestrane

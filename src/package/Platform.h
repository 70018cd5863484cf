// What a phone offers and what would provide the rest, as tables of classes
// and of packages. The phone of this program is one list of tables (CLDC 1.0,
// MIDP 1.0, its maker's classes); another phone would be another list, not
// another design. PhoneApis.txt holds the phone's tables, each with the
// published API it is written from.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor/ClassFile.h"
#include "package/NameMap.h"

namespace kestrane {

// Who offers a class or a member.
enum class Provider : std::uint8_t {
    Phone,            // the phone itself
    Cldc11,           // CLDC 1.1
    Midp20,           // MIDP 2.0
    OptionalPackage,  // a JSR of its own, named in Offer::provider
    Vendor,           // a maker's classes, named in Offer::provider
    JavaSe,           // a java.* or javax.* class (or member) none of the tables has
    Nowhere,          // no table knows the class
};

// One class of a published API, or what an API adds to a class of another
// table. Names are in the class file's internal form.
struct ApiClass {
    std::string_view name;  // "javax/microedition/lcdui/Canvas"
    // The superclass, "java/lang/Object" for an interface; empty when the
    // entry adds members to a class an earlier table has.
    std::string_view superName;
    std::string_view interfaces;  // the interfaces it implements or extends, separated by white space
    // Its public and protected members, separated by white space: a method as name
    // and descriptor, "setFullScreenMode(Z)V", a field as name, colon and
    // descriptor, "out:Ljava/io/PrintStream;". Compile-time constants (static
    // final primitives and Strings) are left out: compilers copy their value
    // and never refer to them. "*" for a class whose members are all of its
    // table without being listed (a class the phone lacks altogether).
    std::string_view members;
};

// A package, all of whose classes come from one provider: "javax/bluetooth/".
struct ApiPackage {
    std::string_view prefix;
    Provider provider;
    std::string_view name;  // with OptionalPackage and Vendor: "JSR 82 (Bluetooth)", "Nokia"
};

struct ApiTable {
    Provider provider;  // for the phone's own tables: Phone
    std::vector<ApiClass> classes;
    std::vector<ApiPackage> packages;  // after the classes: a class of a table wins over a package
};

// Tables read from their text, in the form PhoneApis.txt describes; their
// names and members are views into the text, which outlives them. A line
// the form has not is refused with std::invalid_argument.
class ApiTables {
public:
    explicit ApiTables(std::string_view text);

    std::span<const ApiTable> Tables() const { return tables_; }

private:
    void Read(std::string_view line);

    std::vector<ApiTable> tables_;
    bool inMembers_ = false;  // the line before was a class's or its members'
};

struct Offer {
    Provider provider = Provider::Nowhere;
    std::string_view name;  // with OptionalPackage and Vendor, who provides it
    // For a member: the class of the table that has it, internal form (for a
    // member no table has, the class it was asked of).
    std::string_view declaringClass;
};

class Platform {
public:
    // `tables` in order: the phone's first, then what provides the rest.
    explicit Platform(std::span<const ApiTable> tables);

    // The platform of this program's phone: CLDC 1.0, MIDP 1.0 and
    // com.siemens.mp.*, with CLDC 1.1, MIDP 2.0, the optional packages and
    // the makers' classes for the rest. Built once.
    static const Platform& Phone();

    // Who offers the class `name` (internal form).
    Offer ClassOffer(std::string_view name) const;
    // Who offers the member `reference` asks of the platform class `owner`,
    // resolved as the VM resolves it: the class, its superclasses, then its
    // interfaces. A member no table has is of Java SE when every class on
    // the way lists its members, and of the nearest class that does not
    // (a class of MIDP 2.0, of a package) otherwise.
    Offer MemberOffer(std::string_view owner, const MemberReference& reference) const;
    // Whether any table has the member on `owner` or above it; the suite's
    // own classes are resolved with it (a member no table has is their own).
    bool Knows(std::string_view owner, const MemberReference& reference) const;

private:
    struct Entry {
        std::string_view superName;
        std::vector<std::string_view> interfaces;
        Offer offer;  // who offers the class itself
        bool open = false;
        NameMap<Provider> members;  // and who added each
    };
    struct Search {
        const Provider* found = nullptr;
        std::string_view declaringClass;
        const Entry* nearestOpen = nullptr;
    };

    void Add(const ApiTable& table);
    Search Find(std::string_view owner, const MemberReference& reference) const;

    NameMap<Entry> classes_;
    std::vector<ApiPackage> packages_;  // longest prefix first
};

// "java/lang/String" -> "java.lang.String" and back; "String" from SimpleName.
std::string DottedName(std::string_view internalName);
std::string InternalName(std::string_view dottedName);
std::string_view SimpleName(std::string_view internalName);

}  // namespace kestrane

// Reading one Java class file as the phone's VM reads it: its version, the
// classes and members it names, and what its code asks of the VM. The
// reader keeps what the checks need, not the class: a suite of hundreds of
// classes is judged from a few kilobytes of names, each class's in one text
// of its own that the names view. It never reads outside its bytes; a class
// it cannot read is a fault, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

enum class ClassFault {
    None,
    NotAClass,  // does not start with 0xCAFEBABE
    Damaged,    // cut short, an index or a length outside the class, a constant of no known kind
};

// A field or method that the class's code refers to through its constant
// pool (Fieldref, Methodref, InterfaceMethodref). The names are views: into
// the ClassFile's names where it comes from a class.
struct MemberReference {
    std::string_view owner;       // internal form, "javax/microedition/lcdui/Canvas"; an array class as "[I"
    std::string_view name;        // "setFullScreenMode"
    std::string_view descriptor;  // "(Z)V"
    bool method = true;           // false for a field
    auto operator<=>(const MemberReference&) const = default;
};

struct ClassFile {
    std::uint16_t major = 0, minor = 0;
    // Every name below but those in strings views this text, which copies
    // of the ClassFile share.
    std::shared_ptr<const std::string> names;
    std::string_view name;       // internal form, "a/b/C"
    std::string_view superName;  // empty only for java/lang/Object
    std::vector<std::string_view> interfaces;
    // Every other class the class names, in internal form, sorted, each once:
    // its constant pool's classes (an array class as its element class, no
    // primitive arrays), and the classes in the descriptors of its fields,
    // its methods and the members it refers to. Its super class and its
    // interfaces are among them (the pool names them as classes); the class
    // itself never is.
    std::vector<std::string_view> classes;
    // The members it refers to, sorted, each once.
    std::vector<MemberReference> members;
    // The fields and methods it declares itself (their owner is the class),
    // sorted: a reference to one of them is the suite's own, whatever
    // platform class above has a member of the same name.
    std::vector<MemberReference> declared;
    // The String constants that have the form of a class name ("a.b.C", as
    // Class.forName takes it), in internal form, sorted, each once.
    std::vector<std::string> namedInStrings;

    // What the VM of CLDC 1.0 asks of a class before it loads it.
    // Methods whose code branches, switches or has an exception handler: the
    // VM verifies only those with a StackMap attribute in their Code.
    std::size_t methodsNeedingStackMap = 0;
    std::size_t methodsWithoutStackMap = 0;  // of those, without one
    bool usesJsr = false;                    // jsr, jsr_w or ret anywhere in its code
    // Floating point anywhere: a float or double bytecode, a Float or Double
    // constant, newarray of float or double, a field or descriptor with F or D.
    bool usesFloatingPoint = false;
};

struct ClassReading {
    std::optional<ClassFile> file;  // none when the class cannot be read
    ClassFault fault = ClassFault::None;
};

ClassReading ReadClass(std::string_view bytes);

// Every class entry of a JAR (a name ending in ".class"), read: see
// ReadClasses in JarArchive.h. Each list is in the order of the entries.
struct SuiteClasses {
    std::vector<ClassFile> classes;
    // Entries that cannot be read as a class: their headers, their data (its
    // CRC), their method or the class itself.
    std::vector<std::string> damaged;
    std::vector<std::string> encrypted;  // entries that are encrypted
    std::vector<std::string> unread;     // class entries left unread past kMaxClassesCost (JarArchive.h)
};

// The class versions the VM of CLDC 1.0 loads: 45 (JDK 1.0.2 and 1.1) to
// 48 (J2SE 1.4).
inline constexpr std::uint16_t kOldestLoadableMajor = 45;
inline constexpr std::uint16_t kNewestLoadableMajor = 48;

}  // namespace kestrane

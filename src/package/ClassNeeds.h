// Will the suite run on the phone? Its classes judged as the phone's VM
// loads and links them: what the VM refuses to load at all, and what the
// classes the MIDlets reach need beyond what the phone offers (see
// Platform.h), each need attributed to what would provide it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "descriptor/ClassFile.h"

namespace kestrane {

// One kind of need; at most one group of each kind (and provider) per suite.
enum class NeedKind {
    // The VM cannot load these classes at all.
    DamagedClass,  // examples: the entries (damaged or encrypted)
    ClassVersion,  // examples: the versions found, "49.0"
    // count: the classes with at least one method that needs a StackMap and
    // lacks it, of total: the classes with a method that needs one (no examples)
    NotPreverified,
    Jsr,  // examples: the classes with jsr or ret
    // What the phone does not offer.
    Cldc11,           // CLDC 1.1's classes and members; floatingPoint when float or double is used (no example)
    Midp20,           // MIDP 2.0's classes and the members it added to MIDP 1.0's
    OptionalPackage,  // provider: "JSR 82 (Bluetooth)"
    Vendor,           // provider: "Nokia"
    JavaSe,           // classes and members of Java SE only
    Missing,          // in no platform known and not in the JAR: the JAR is incomplete
};

struct NeedGroup {
    NeedKind kind;
    std::string provider = {};  // with OptionalPackage and Vendor, who provides it; else empty
    // What needs it, in Java's spelling: a class as "javax.microedition.lcdui.game.GameCanvas",
    // a member as its class's simple name and the member's, "Canvas.setFullScreenMode".
    // Sorted, each once; the whole list (the words cut it).
    std::vector<std::string> examples = {};
    bool floatingPoint = false;  // with Cldc11: float or double in the code
    std::size_t count = 0;       // with NotPreverified: how many classes are not verified
    std::size_t total = 0;       // with NotPreverified: of how many with code that needs it
    // Reached only through a class named in a string (Class.forName): loaded
    // only when the code asks for it, so it does not count against the suite.
    bool onlyIfPresent = false;
};

struct ClassVerdict {
    // In the order of NeedKind, then by provider; the optional ones after.
    std::vector<NeedGroup> needs;
    std::size_t classes = 0;  // classes read
    // Class entries left unread (SuiteClasses::unread): what they need is not known.
    std::size_t unread = 0;
    // The suite runs when every class was read and nothing but optional needs are left.
    bool Runs() const;
    // The classes read need what the phone lacks, whatever the unread ones need.
    bool CannotRun() const;
};

// `midlets` are the MIDlet classes of the suite (from its MIDlet-n
// attributes) in Java's dotted spelling. What the MIDlets reach counts: their
// superclasses and every class they name, transitively, inside the JAR; a
// MIDlet class the JAR lacks is Missing. When the JAR holds none of them,
// every class counts. A member asked of one of the suite's own classes is
// looked for up its superclasses and interfaces to the platform's classes
// above them; one no table has there is taken as the suite's own. A damaged
// or encrypted entry is said once, as DamagedClass, not again as Missing.
// A class left unread is the JAR's all the same, never Missing.
ClassVerdict JudgeClasses(const SuiteClasses& suite, const std::vector<std::string>& midlets);

}  // namespace kestrane

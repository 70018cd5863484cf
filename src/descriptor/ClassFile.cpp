#include "descriptor/ClassFile.h"

#include <algorithm>

#include "descriptor/TextEncoding.h"

namespace kestrane {

namespace {

// Ends the reading of a class that cannot be read, throwing its fault: one
// throw for the reader's many checks.
[[noreturn]] void Break(ClassFault fault = ClassFault::Damaged) { throw fault; }

constexpr std::uint32_t kMagic = 0xCAFEBABE;

// The constant kinds the reader looks into.
enum Tag : std::uint8_t {
    kUtf8 = 1,
    kFloat = 4,
    kLong = 5,
    kDouble = 6,
    kClass = 7,
    kString = 8,
    kFieldref = 9,
    kMethodref = 10,
    kInterfaceMethodref = 11,
    kNameAndType = 12,
};

// The size of an entry after its tag, by tag, for every kind up to today's
// Java: a class of a newer Java is read in full, so that it is judged by its
// version instead of refused as broken. 0 for a tag of no kind and for Utf8,
// whose first two bytes give the length of its text.
constexpr std::uint8_t kBodySizes[] = {0, 0, 0, 4, 4, 8, 8, 2, 2, 4, 4, 4, 4, 0, 0, 3, 2, 4, 4, 2, 2};

// Big-endian reads that refuse every byte outside the class.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Position() const { return pos_; }
    std::size_t Left() const { return bytes_.size() - pos_; }
    std::uint8_t U1() { return static_cast<std::uint8_t>(Take(1)[0]); }
    std::uint16_t U2() {
        const std::uint16_t high = U1();
        return static_cast<std::uint16_t>(high << 8 | U1());
    }
    std::uint32_t U4() {
        const std::uint32_t high = U2();
        return high << 16 | U2();
    }
    std::string_view Take(std::size_t length) {
        if (length > Left()) Break();
        const std::string_view taken = bytes_.substr(pos_, length);
        pos_ += length;
        return taken;
    }
    void Skip(std::size_t length) { Take(length); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// The constant pool as ASM's ClassReader keeps it: one pass that notes where
// each entry starts, the entries decoded only when asked for.
class ConstantPool {
public:
    // Reads the count and the entries; the cursor is left after the pool.
    explicit ConstantPool(Cursor& in, std::string_view bytes) : bytes_(bytes) {
        const std::uint16_t count = in.U2();
        if (count == 0) Break();
        starts_.assign(count, 0);
        for (std::size_t i = 1; i < count; ++i) {
            starts_[i] = in.Position();
            const std::uint8_t tag = in.U1();
            if (tag >= std::size(kBodySizes) || (kBodySizes[tag] == 0 && tag != kUtf8)) Break();
            in.Skip(tag == kUtf8 ? in.U2() : kBodySizes[tag]);
            // A long or a double takes two slots, the second one unusable.
            if ((tag == kLong || tag == kDouble) && ++i == count) Break();
        }
    }

    std::size_t Count() const { return starts_.size(); }
    // 0 for index 0 and for the second slot of a long or a double.
    std::uint8_t TagAt(std::size_t index) const {
        if (index >= starts_.size() || starts_[index] == 0) return 0;
        return static_cast<std::uint8_t>(bytes_[starts_[index]]);
    }
    std::string_view Utf8(std::size_t index) const {
        Cursor entry = Entry(index, kUtf8);
        return entry.Take(entry.U2());
    }
    // A Class or a String entry: the Utf8 it names.
    std::string_view NamedUtf8(std::size_t index, std::uint8_t tag) const { return Utf8(Entry(index, tag).U2()); }
    // A Fieldref, Methodref or InterfaceMethodref: its class, and the name
    // and descriptor of its NameAndType.
    MemberReference MemberAt(std::size_t index) const {
        Cursor entry = Entry(index, TagAt(index));
        const std::uint16_t owner = entry.U2();
        Cursor type = Entry(entry.U2(), kNameAndType);
        const std::uint16_t name = type.U2();
        return {NamedUtf8(owner, kClass), Utf8(name), Utf8(type.U2()), TagAt(index) != kFieldref};
    }

private:
    // A cursor on the entry's body, after its tag; refuses an index outside
    // the pool or an entry of another kind.
    Cursor Entry(std::size_t index, std::uint8_t tag) const {
        if (tag == 0 || TagAt(index) != tag) Break();
        return Cursor(bytes_.substr(starts_[index] + 1));
    }

    std::string_view bytes_;
    std::vector<std::size_t> starts_;
};

// A class name in internal form: parts joined by '/', none of them empty,
// none with '.', ';' or '['. The pool's text is modified UTF-8; names are
// taken only where that is plain UTF-8 (no encoded zero byte, no character
// beyond U+FFFF), so that what the program shows of them is always text.
bool IsInternalName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.back() == '/') return false;
    unsigned high = 0;  // a byte of 0x80 or above sets 0x80: only then is the UTF-8 looked at
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '/' ? name[i + 1] == '/' : name[i] == '.' || name[i] == ';' || name[i] == '[') return false;
        high |= static_cast<unsigned char>(name[i]);
    }
    return high < 0x80 || IsValidUtf8(name);
}

// The name, which must be a class name in internal form.
std::string_view InternalName(std::string_view name) {
    if (!IsInternalName(name)) Break();
    return name;
}

// A field's or method's own name: a class name of one part; '<' only in
// <init> and <clinit>.
bool IsMemberName(std::string_view name) {
    if (name == "<init>" || name == "<clinit>") return true;
    return name.find_first_of("/<") == std::string_view::npos && IsInternalName(name);
}

// Reads one field type at `pos` of a descriptor: the class it names goes to
// `classes`; float and double are noted. Returns the position after it.
std::size_t ReadFieldType(std::string_view descriptor, std::size_t pos, ClassFile& out) {
    std::size_t dimensions = 0;
    while (pos < descriptor.size() && descriptor[pos] == '[') ++pos, ++dimensions;
    if (dimensions > 255 || pos == descriptor.size()) Break();
    switch (descriptor[pos]) {
    case 'B':
    case 'C':
    case 'I':
    case 'J':
    case 'S':
    case 'Z': return pos + 1;
    case 'F':
    case 'D':
        // The reference VM of CLDC 1.0 has no floating point: its loader
        // takes neither F nor D in the type of a field, parameter or result.
        out.usesFloatingPoint = true;
        return pos + 1;
    case 'L': {
        const std::size_t end = descriptor.find(';', pos);
        if (end == std::string_view::npos) Break();
        out.classes.push_back(InternalName(descriptor.substr(pos + 1, end - pos - 1)));
        return end + 1;
    }
    default: Break();
    }
}

// A method's descriptor or a field's.
void ReadDescriptor(std::string_view descriptor, bool method, ClassFile& out) {
    std::size_t pos = 0;
    if (method) {
        if (descriptor.empty() || descriptor[0] != '(') Break();
        pos = 1;
        while (pos < descriptor.size() && descriptor[pos] != ')') pos = ReadFieldType(descriptor, pos, out);
        if (pos == descriptor.size()) Break();
        if (descriptor.substr(++pos) == "V") return;  // past ')': the result, a field type or V
    }
    if (ReadFieldType(descriptor, pos, out) != descriptor.size()) Break();
}

// A Class entry's name: an array's element class, nothing for an array of a
// primitive type.
void ReadClassEntry(std::string_view name, ClassFile& out) {
    if (!name.empty() && name[0] == '[')
        ReadDescriptor(name, false, out);
    else
        out.classes.push_back(InternalName(name));
}

// A member the class refers to or declares, into `list` once its name and
// descriptor are read.
void ReadMember(const MemberReference& member, std::vector<MemberReference>& list, ClassFile& out) {
    if (!IsMemberName(member.name)) Break();
    ReadDescriptor(member.descriptor, member.method, out);
    list.push_back(member);
}

bool IsIdentifierStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$'; }

// "com.example.Plugin", as Class.forName takes a name: identifiers joined
// by dots, at least one dot. Returns the internal form, or nothing.
std::optional<std::string> DottedClassName(std::string_view text) {
    if (text.find('.') == std::string_view::npos) return std::nullopt;
    std::string internal(text);
    bool partStart = true;
    for (char& c : internal) {
        if (c == '.') {
            if (partStart) return std::nullopt;
            c = '/';
            partStart = true;
        } else if (IsIdentifierStart(c) || (!partStart && c >= '0' && c <= '9')) {
            partStart = false;
        } else {
            return std::nullopt;
        }
    }
    if (partStart) return std::nullopt;
    return internal;
}

// Every entry of the pool that names something: classes, members, strings.
// The reference VM of CLDC 1.0, built without floating point, refuses a
// Float or Double constant already when its loader reads the pool.
void ReadPoolEntries(const ConstantPool& pool, ClassFile& out) {
    for (std::size_t i = 1; i < pool.Count(); ++i) {
        switch (pool.TagAt(i)) {
        case kClass: ReadClassEntry(pool.NamedUtf8(i, kClass), out); break;
        case kFieldref:
        case kMethodref:
        case kInterfaceMethodref: ReadMember(pool.MemberAt(i), out.members, out); break;
        case kString:
            if (auto name = DottedClassName(pool.NamedUtf8(i, kString))) out.namedInStrings.push_back(*name);
            break;
        case kFloat:
        case kDouble: out.usesFloatingPoint = true; break;
        default: break;
        }
    }
}

// The float and double instructions, which the verifier of the CLDC 1.0
// reference VM does not know.
bool IsFloatingPointOpcode(std::uint8_t op) {
    if (op >= 0x0b && op <= 0x0f) return true;                                  // fconst_0..2, dconst_0..1
    if (op == 0x17 || op == 0x18 || op == 0x38 || op == 0x39) return true;      // fload dload fstore dstore
    if ((op >= 0x22 && op <= 0x29) || (op >= 0x43 && op <= 0x4a)) return true;  // and their _n forms
    if (op == 0x30 || op == 0x31 || op == 0x51 || op == 0x52) return true;      // faload daload fastore dastore
    if (op >= 0x62 && op <= 0x77 && (op - 0x60) % 4 >= 2) return true;          // f/d add sub mul div rem neg
    if (op == 0x86 || op == 0x87 || op == 0x89 || op == 0x8a) return true;      // i2f i2d l2f l2d
    if (op >= 0x8b && op <= 0x90) return true;                                  // f2i f2l f2d d2i d2l d2f
    if (op >= 0x95 && op <= 0x98) return true;                                  // fcmpl fcmpg dcmpl dcmpg
    return op == 0xae || op == 0xaf;                                            // freturn dreturn
}

bool IsBranchOpcode(std::uint8_t op) {
    return (op >= 0x99 && op <= 0xa8) || op == 0xc6 || op == 0xc7 || op == 0xc8 || op == 0xc9;  // if*, goto, jsr
}

// The length of the instruction at `pc`, its operands within the code.
std::size_t InstructionLength(std::string_view code, std::size_t pc) {
    const std::uint8_t op = static_cast<std::uint8_t>(code[pc]);
    Cursor operands(code.substr(pc + 1));
    // One row per operand length, as the tables of the class file format list them.
    // clang-format off
    switch (op) {
    case 0x10: case 0x12: case 0x15: case 0x16: case 0x17: case 0x18: case 0x19:  // bipush ldc *load
    case 0x36: case 0x37: case 0x38: case 0x39: case 0x3a: case 0xa9: case 0xbc:  // *store ret newarray
        return 2;
    case 0x11: case 0x13: case 0x14: case 0x84: case 0xbb: case 0xbd: case 0xc0: case 0xc1:
        return 3;  // sipush ldc_w ldc2_w iinc new anewarray checkcast instanceof
    case 0xc5: return 4;  // multianewarray
    case 0xb9: case 0xba: case 0xc8: case 0xc9: return 5;  // invokeinterface invokedynamic goto_w jsr_w
    // clang-format on
    case 0xc4: {
        const std::uint8_t widened = operands.U1();
        if (widened == 0x84) return 6;  // wide iinc
        if ((widened >= 0x15 && widened <= 0x19) || (widened >= 0x36 && widened <= 0x3a) || widened == 0xa9) return 4;
        Break();
    }
    case 0xaa:
    case 0xab: {
        // tableswitch and lookupswitch: their table starts at a multiple of
        // four from the start of the code.
        const std::size_t padding = (4 - (pc + 1) % 4) % 4;
        operands.Skip(padding + 4);
        std::uint64_t tableSize = 0;
        if (op == 0xaa) {
            const auto low = static_cast<std::int32_t>(operands.U4());
            const auto high = static_cast<std::int32_t>(operands.U4());
            if (high < low) Break();
            tableSize = (std::int64_t{high} - low + 1) * 4;
        } else {
            const auto pairs = static_cast<std::int32_t>(operands.U4());
            if (pairs < 0) Break();
            tableSize = std::uint64_t(pairs) * 8;
        }
        if (tableSize > operands.Left()) Break();
        return 1 + padding + (op == 0xaa ? 12 : 8) + static_cast<std::size_t>(tableSize);
    }
    default:
        if (op <= 0xc9) return IsBranchOpcode(op) || (op >= 0xb2 && op <= 0xb8) ? 3 : 1;
        Break();  // breakpoint, the VM's own and the undefined ones
    }
}

// Walks the bytecode instruction by instruction; whether it branches or switches.
bool ReadBytecode(std::string_view code, const ConstantPool& pool, ClassFile& file) {
    bool branches = false;
    for (std::size_t pc = 0; pc < code.size();) {
        const std::size_t length = InstructionLength(code, pc);
        if (length > code.size() - pc) Break();
        const std::uint8_t op = static_cast<std::uint8_t>(code[pc]);
        const std::uint8_t next = static_cast<std::uint8_t>(length > 1 ? code[pc + 1] : 0);
        // Subroutines: the reference VM's verifier of CLDC 1.0 takes no jsr,
        // jsr_w or ret, in a wide form neither.
        if (op == 0xa8 || op == 0xc9 || op == 0xa9 || (op == 0xc4 && next == 0xa9)) file.usesJsr = true;
        if (IsBranchOpcode(op) || op == 0xaa || op == 0xab) branches = true;
        if (IsFloatingPointOpcode(op) || (op == 0xc4 && IsFloatingPointOpcode(next))) file.usesFloatingPoint = true;
        if (op == 0xbc && (next == 6 || next == 7)) file.usesFloatingPoint = true;  // newarray T_FLOAT, T_DOUBLE
        if (op == 0x12 || op == 0x13 || op == 0x14) {
            const std::size_t index =
                op == 0x12 ? next : (std::size_t{next} << 8 | static_cast<unsigned char>(code[pc + 2]));
            const std::uint8_t tag = pool.TagAt(index);
            if (tag == 0) Break();
            if (tag == kFloat || tag == kDouble) file.usesFloatingPoint = true;
        }
        pc += length;
    }
    return branches;
}

// Each attribute's name and body.
template <typename Each>
void ReadAttributes(Cursor& in, const ConstantPool& pool, Each each) {
    const std::uint16_t count = in.U2();
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::string_view name = pool.Utf8(in.U2());
        each(name, in.Take(in.U4()));
    }
}

// A Code attribute's body. The reference VM of CLDC 1.0 verifies a method
// against the StackMap attribute the preverifier put into its Code: a method
// that branches, switches or has a handler and lacks one is refused. Java
// 6's StackMapTable is another attribute, which the VM does not read.
void ReadCode(std::string_view body, const ConstantPool& pool, ClassFile& file) {
    Cursor in(body);
    in.Skip(4);  // max_stack, max_locals
    const std::uint32_t codeLength = in.U4();
    if (codeLength == 0 || codeLength > 0xFFFF) Break();
    const bool branches = ReadBytecode(in.Take(codeLength), pool, file);
    const std::uint16_t handlers = in.U2();
    for (std::uint16_t i = 0; i < handlers; ++i) {
        const std::uint16_t start = in.U2(), end = in.U2(), handler = in.U2(), catchType = in.U2();
        if (start >= end || end > codeLength || handler >= codeLength) Break();
        if (catchType != 0) pool.NamedUtf8(catchType, kClass);
    }
    bool stackMap = false;
    ReadAttributes(in, pool,
                   [&](std::string_view name, std::string_view) { stackMap = stackMap || name == "StackMap"; });
    if (in.Left() != 0) Break();
    if (branches || handlers > 0) {
        ++file.methodsNeedingStackMap;
        if (!stackMap) ++file.methodsWithoutStackMap;
    }
}

// The fields or the methods, with the attributes of each; of a method's
// only its Code is read.
void ReadMembers(Cursor& in, const ConstantPool& pool, bool methods, ClassFile& out) {
    const std::uint16_t count = in.U2();
    for (std::uint16_t i = 0; i < count; ++i) {
        in.Skip(2);  // access flags
        const std::string_view name = pool.Utf8(in.U2());
        ReadMember({{}, name, pool.Utf8(in.U2()), methods}, out.declared, out);
        bool code = false;
        ReadAttributes(in, pool, [&](std::string_view attribute, std::string_view body) {
            if (!methods || attribute != "Code") return;
            if (code) Break();
            code = true;
            ReadCode(body, pool, out);
        });
    }
}

// The class itself, its super class, an interface: no array.
std::string_view ClassName(const ConstantPool& pool, std::uint16_t index) {
    return InternalName(pool.NamedUtf8(index, kClass));
}

template <typename T>
void SortUnique(std::vector<T>& items) {
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
}

// Every name of the file that views the class's bytes; the owner of a
// declared member is the file's name.
template <typename Each>
void ForEachName(ClassFile& file, Each each) {
    each(file.name);
    each(file.superName);
    for (std::string_view& name : file.interfaces) each(name);
    for (std::string_view& name : file.classes) each(name);
    for (MemberReference& member : file.members) {
        each(member.owner);
        each(member.name);
        each(member.descriptor);
    }
    for (MemberReference& member : file.declared) {
        each(member.name);
        each(member.descriptor);
    }
}

// The names copied out of the class's bytes into one text of the file's
// own: one allocation a class instead of one a name.
void KeepNames(ClassFile& file) {
    std::size_t size = 0;
    ForEachName(file, [&size](std::string_view& name) { size += name.size(); });
    std::shared_ptr<std::string> names(new std::string);  // not make_shared: that brings more of the C++ library
    names->reserve(size);                                 // no copy moves the views made before
    ForEachName(file, [&names](std::string_view& name) {
        const std::size_t at = names->size();
        names->append(name);
        name = std::string_view(*names).substr(at);
    });
    for (MemberReference& member : file.declared) member.owner = file.name;
    file.names = std::move(names);
}

ClassFile Read(std::string_view bytes) {
    Cursor in(bytes);
    if (bytes.size() < 4 || in.U4() != kMagic) Break(ClassFault::NotAClass);
    ClassFile file;
    file.minor = in.U2();
    file.major = in.U2();
    const ConstantPool pool(in, bytes);
    in.Skip(2);  // access flags
    file.name = ClassName(pool, in.U2());
    if (const std::uint16_t super = in.U2(); super != 0)
        file.superName = ClassName(pool, super);
    else if (file.name != "java/lang/Object")
        Break();
    const std::uint16_t interfaces = in.U2();
    for (std::uint16_t i = 0; i < interfaces; ++i) file.interfaces.push_back(ClassName(pool, in.U2()));
    ReadPoolEntries(pool, file);
    ReadMembers(in, pool, false, file);
    ReadMembers(in, pool, true, file);
    ReadAttributes(in, pool, [](std::string_view, std::string_view) {});
    if (in.Left() != 0) Break();  // bytes after the class's end

    // Each name once before the names are copied: most come many times over
    // (every method's descriptor names its classes again).
    SortUnique(file.classes);
    std::erase(file.classes, file.name);
    SortUnique(file.members);
    SortUnique(file.declared);  // by name and descriptor: their owner is one
    KeepNames(file);
    SortUnique(file.namedInStrings);
    return file;
}

}  // namespace

ClassReading ReadClass(std::string_view bytes) {
    try {
        return ClassReading{Read(bytes), ClassFault::None};
    } catch (ClassFault fault) {
        return ClassReading{std::nullopt, fault};
    }
}

}  // namespace kestrane

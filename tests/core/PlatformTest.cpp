// The phone's tables asked about facts of the published APIs: which release
// or package brought a class or a member, resolved as the VM resolves it.
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <stdexcept>
#include <string>

#include "package/NameMap.h"
#include "package/Platform.h"

namespace kestrane {
namespace {

struct Fact {
    const char* owner;   // internal form
    const char* member;  // name and descriptor, a field as "name:descriptor"; empty: the class itself
    Provider provider;
    const char* who = "";  // the provider's name begins so
};

Offer Asked(const Fact& fact) {
    const Platform& phone = Platform::Phone();
    const std::string_view member = fact.member;
    if (member.empty()) return phone.ClassOffer(fact.owner);
    const std::size_t split = member.find_first_of("(:");
    MemberReference reference{fact.owner, member.substr(0, split), member.substr(split + (member[split] == ':')),
                              member[split] == '('};
    return phone.MemberOffer(fact.owner, reference);
}

TEST(Platform, EachPublishedFactIsOfTheReleaseThatBroughtIt) {
    const Fact facts[] = {
        {"java/lang/System", "out:Ljava/io/PrintStream;", Provider::Phone},
        {"java/lang/Boolean", "TRUE:Ljava/lang/Boolean;", Provider::Cldc11},
        {"java/lang/String", "intern()Ljava/lang/String;", Provider::Cldc11},
        {"java/lang/Thread", "getName()Ljava/lang/String;", Provider::Cldc11},
        {"java/lang/StringBuffer", "append(F)Ljava/lang/StringBuffer;", Provider::Cldc11},
        {"java/lang/Math", "sqrt(D)D", Provider::Cldc11},
        {"java/lang/Math", "round(F)I", Provider::JavaSe},                         // not even CLDC 1.1 has it
        {"java/lang/Integer", "valueOf(I)Ljava/lang/Integer;", Provider::JavaSe},  // what autoboxing calls
        {"java/lang/Runnable", "toString()Ljava/lang/String;", Provider::Phone},   // an interface reaches Object
        {"javax/microedition/lcdui/Canvas", "<init>()V", Provider::Phone},
        {"javax/microedition/lcdui/List", "setTitle(Ljava/lang/String;)V", Provider::Phone},  // Screen's in MIDP 1.0
        {"javax/microedition/lcdui/Form", "getWidth()I", Provider::Midp20},
        {"javax/microedition/lcdui/Alert", "setIndicator(Ljavax/microedition/lcdui/Gauge;)V", Provider::Midp20},
        {"javax/microedition/lcdui/Image", "getRGB([IIIIIII)V", Provider::Midp20},
        {"javax/microedition/lcdui/Display", "flashBacklight(I)Z", Provider::Midp20},
        {"javax/microedition/lcdui/ChoiceGroup", "setFont(ILjavax/microedition/lcdui/Font;)V", Provider::Midp20},
        {"javax/microedition/lcdui/game/Sprite", "setFrame(I)V", Provider::Midp20},
        {"javax/microedition/media/control/ToneControl", "", Provider::Midp20},
        {"javax/microedition/media/control/VideoControl", "", Provider::OptionalPackage, "JSR 135"},
        {"javax/microedition/pki/Certificate", "", Provider::Midp20},
        {"javax/microedition/pki/UserCredentialManager", "", Provider::OptionalPackage, "JSR 177"},
        {"javax/microedition/io/file/FileConnection", "", Provider::OptionalPackage, "JSR 75"},
        {"javax/wireless/messaging/TextMessage", "", Provider::OptionalPackage, "JSR 120"},
        {"javax/microedition/m3g/Graphics3D", "", Provider::OptionalPackage, "JSR 184"},
        {"org/w3c/dom/Document", "", Provider::OptionalPackage, "JSR 226"},
        {"org/xml/sax/helpers/DefaultHandler", "", Provider::OptionalPackage, "JSR 172"},
        {"com/mascotcapsule/micro3d/v3/Graphics3D", "", Provider::Vendor, "MascotCapsule"},
        {"com/siemens/mp/io/File", "", Provider::Phone},
        {"java/util/ArrayList", "", Provider::JavaSe},
        {"org/bouncycastle/crypto/Digest", "", Provider::Nowhere},
        // MIDP 1.0 (JSR 37) and CLDC 1.0 (JSR 30) beside what came later.
        {"java/util/Timer", "", Provider::Phone},  // MIDP 1.0's, not CLDC's
        {"java/util/Random", "nextInt()I", Provider::Phone},
        {"java/util/Random", "nextInt(I)I", Provider::Cldc11},
        {"java/lang/String", "equals(Ljava/lang/Object;)Z", Provider::Phone},
        {"java/lang/String", "equalsIgnoreCase(Ljava/lang/String;)Z", Provider::Cldc11},
        {"java/lang/Thread", "interrupt()V", Provider::Cldc11},
        {"java/lang/Float", "", Provider::Cldc11},
        {"java/lang/ref/WeakReference", "", Provider::Cldc11},
        {"java/lang/NoClassDefFoundError", "", Provider::Cldc11},
        {"java/lang/StringBuilder", "", Provider::JavaSe},  // what javac 5 and later make of every string +
        {"javax/microedition/lcdui/Canvas", "repaint()V", Provider::Phone},
        {"javax/microedition/lcdui/Canvas", "setFullScreenMode(Z)V", Provider::Midp20},
        {"javax/microedition/lcdui/Font", "getFont(I)Ljavax/microedition/lcdui/Font;", Provider::Midp20},
        {"javax/microedition/lcdui/Image", "createImage(Ljava/lang/String;)Ljavax/microedition/lcdui/Image;",
         Provider::Phone},
        {"javax/microedition/lcdui/Image", "createRGBImage([IIIZ)Ljavax/microedition/lcdui/Image;", Provider::Midp20},
        {"javax/microedition/lcdui/game/GameCanvas", "", Provider::Midp20},
        {"javax/microedition/lcdui/CustomItem", "", Provider::Midp20},
        {"javax/microedition/midlet/MIDlet", "notifyDestroyed()V", Provider::Phone},
        {"javax/microedition/midlet/MIDlet", "platformRequest(Ljava/lang/String;)Z", Provider::Midp20},
        {"javax/microedition/io/HttpConnection", "", Provider::Phone},
        {"javax/microedition/io/PushRegistry", "", Provider::Midp20},
        {"javax/microedition/rms/RecordStore",
         "openRecordStore(Ljava/lang/String;Z)Ljavax/microedition/rms/RecordStore;", Provider::Phone},
        {"javax/microedition/rms/RecordStore",
         "openRecordStore(Ljava/lang/String;ZIZ)Ljavax/microedition/rms/RecordStore;", Provider::Midp20},
        {"javax/microedition/media/control/RecordControl", "", Provider::OptionalPackage, "JSR 135"},
        // The optional packages by their published package lists, and the makers' own classes.
        {"javax/bluetooth/LocalDevice", "", Provider::OptionalPackage, "JSR 82"},
        {"javax/microedition/pim/PIM", "", Provider::OptionalPackage, "JSR 75"},
        {"javax/microedition/location/LocationProvider", "", Provider::OptionalPackage, "JSR 179"},
        {"javax/microedition/content/Registry", "", Provider::OptionalPackage, "JSR 211"},
        {"javax/microedition/amms/GlobalManager", "", Provider::OptionalPackage, "JSR 234"},
        {"javax/microedition/sensor/SensorManager", "", Provider::OptionalPackage, "JSR 256"},
        {"javax/microedition/m2g/SVGImage", "", Provider::OptionalPackage, "JSR 226"},
        {"javax/microedition/khronos/opengles/GL10", "", Provider::OptionalPackage, "JSR 239"},
        {"java/nio/ByteBuffer", "", Provider::OptionalPackage, "JSR 239"},
        {"com/nokia/mid/ui/FullCanvas", "", Provider::Vendor, "Nokia"},
        {"com/samsung/util/AudioClip", "", Provider::Vendor, "Samsung"},
        {"com/siemens/mp/game/Light", "", Provider::Phone},
    };
    for (const Fact& fact : facts) {
        const Offer offer = Asked(fact);
        EXPECT_EQ(offer.provider, fact.provider) << fact.owner << " " << fact.member;
        EXPECT_TRUE(offer.name.starts_with(fact.who)) << fact.owner << " " << offer.name;
    }
}

TEST(Platform, AMemberIsSaidOfTheClassThatDeclaresIt) {
    const MemberReference getWidth{"javax/microedition/lcdui/List", "getWidth", "()I", true};
    EXPECT_EQ(Platform::Phone().MemberOffer("javax/microedition/lcdui/List", getWidth).declaringClass,
              "javax/microedition/lcdui/Displayable");
}

// A platform of two made-up tables, read from text as PhoneApis.txt is
// written: what each line says is what the platform answers.
TEST(Platform, ReadFromItsTextAnswersAsTheTextSays) {
    const std::string text =
        "# a comment, and a blank line\n"
        "\n"
        "table Phone\n"
        "class java/lang/Object\n"
        "    <init>()V hashCode()I\n"
        "class a/Shape extends java/lang/Object implements a/Drawable a/Sized\n"
        "    <init>()V draw()V\n"
        "\tarea:I\r\n"
        "class a/Drawable extends java/lang/Object\n"
        "class a/Sized extends java/lang/Object\n"
        "    size()I\n"
        "table Vendor\n"
        "add-to a/Shape\n"
        "    rotate(I)V\n"
        "class b/Open extends a/Shape\n"
        "    *\n"
        "package b/ Maker of b\n";
    const ApiTables tables(text);
    const Platform platform(tables.Tables());
    const auto member = [&](const char* owner, const char* name, const char* descriptor, bool method) {
        return platform.MemberOffer(owner, MemberReference{owner, name, descriptor, method});
    };
    EXPECT_EQ(member("a/Shape", "draw", "()V", true).provider, Provider::Phone);
    EXPECT_EQ(member("a/Shape", "area", "I", false).provider, Provider::Phone);  // on a line of its own
    EXPECT_EQ(member("a/Shape", "hashCode", "()I", true).declaringClass, "java/lang/Object");
    EXPECT_EQ(member("a/Shape", "size", "()I", true).declaringClass, "a/Sized");  // the second interface
    EXPECT_EQ(member("a/Shape", "rotate", "(I)V", true).provider, Provider::Vendor);
    EXPECT_EQ(member("a/Shape", "scale", "(I)V", true).provider, Provider::JavaSe);
    EXPECT_EQ(member("b/Open", "scale", "(I)V", true).provider, Provider::Vendor);  // "*": all of its table
    EXPECT_EQ(platform.ClassOffer("b/Other").name, "Maker of b");
    EXPECT_EQ(platform.ClassOffer("a/Sized").provider, Provider::Phone);

    const char* const malformed[] = {
        "class a/B extends java/lang/Object\n",                             // before any table
        "table Phone\n    run()V\n",                                        // members below no class
        "table Phone\nclass a/B\n",                                         // a class without its superclass
        "table Phone\nclass a/B implements a/C\n",                          // the same
        "table Phone\nclass a/B extends\n",                                 // the same
        "table Somebody\n",                                                 // no such provider
        "table Phone\ninterface a/B\n",                                     // no such form
        "table Phone\nclass a/B extends java/lang/Object\n\n    run()V\n",  // a blank line ends the members
    };
    for (const char* bad : malformed) EXPECT_THROW(ApiTables{bad}, std::invalid_argument) << bad;
}

// The tables' map, filled in no order: it finds each name once, with the
// value it was first given, and lists its names in order.
TEST(NameMap, KeepsTheFirstValueOfEachNameAndFindsItInAnyOrder) {
    NameMap<int> map;
    const char* const names[] = {"java/lang/String", "a", "java/lang/Object", "a", "", "java/lang/String"};
    for (int i = 0; i < 6; ++i) map.emplace(names[i], i);
    map["java/io/Reader"] += 7;  // made with 0
    map["a"] += 10;
    const NameMap<int>& seen = map;
    const std::pair<const char*, int> expected[] = {
        {"", 4}, {"a", 11}, {"java/io/Reader", 7}, {"java/lang/Object", 2}, {"java/lang/String", 0}};
    std::size_t listed = 0;
    for (const auto& [name, value] : seen) {
        ASSERT_LT(listed, std::size(expected));
        EXPECT_EQ(name, expected[listed].first);
        EXPECT_EQ(value, expected[listed].second);
        EXPECT_EQ(seen.find(name)->second, value);
        ++listed;
    }
    EXPECT_EQ(listed, std::size(expected));
    EXPECT_TRUE(seen.find("java/lang") == seen.end());
    EXPECT_TRUE(seen.find("java/lang/StringBuffer") == seen.end());
}

}  // namespace
}  // namespace kestrane

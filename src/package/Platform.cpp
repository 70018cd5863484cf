#include "package/Platform.h"

#include <algorithm>
#include <array>

namespace kestrane {

namespace {

// Every exception and error of the tables has these two constructors.
constexpr std::string_view kThrowableConstructors = "<init>()V <init>(Ljava/lang/String;)V";

// ---------------------------------------------------------------------------
// The phone's own: CLDC 1.0, as published in JSR 30 (Connected, Limited
// Device Configuration 1.0, Java Community Process, 2000): java.lang,
// java.io, java.util and javax.microedition.io with their public and
// protected members.
constexpr ApiClass kCldc10[] = {
    {"java/lang/Object", "", "",
     "<init>()V equals(Ljava/lang/Object;)Z getClass()Ljava/lang/Class; hashCode()I notify()V notifyAll()V "
     "toString()Ljava/lang/String; wait()V wait(J)V wait(JI)V"},
    {"java/lang/Class", "java/lang/Object", "",
     "forName(Ljava/lang/String;)Ljava/lang/Class; getName()Ljava/lang/String; "
     "getResourceAsStream(Ljava/lang/String;)Ljava/io/InputStream; isArray()Z isAssignableFrom(Ljava/lang/Class;)Z "
     "isInstance(Ljava/lang/Object;)Z isInterface()Z newInstance()Ljava/lang/Object; toString()Ljava/lang/String;"},
    {"java/lang/Runtime", "java/lang/Object", "",
     "exit(I)V freeMemory()J gc()V getRuntime()Ljava/lang/Runtime; totalMemory()J"},
    {"java/lang/System", "java/lang/Object", "",
     "arraycopy(Ljava/lang/Object;ILjava/lang/Object;II)V currentTimeMillis()J exit(I)V gc()V "
     "getProperty(Ljava/lang/String;)Ljava/lang/String; identityHashCode(Ljava/lang/Object;)I "
     "err:Ljava/io/PrintStream; out:Ljava/io/PrintStream;"},
    {"java/lang/Runnable", "java/lang/Object", "", "run()V"},
    {"java/lang/Thread", "java/lang/Object", "java/lang/Runnable",
     "<init>()V <init>(Ljava/lang/Runnable;)V activeCount()I currentThread()Ljava/lang/Thread; getPriority()I "
     "isAlive()Z join()V run()V setPriority(I)V sleep(J)V start()V toString()Ljava/lang/String; yield()V"},
    {"java/lang/String", "java/lang/Object", "",
     "<init>()V <init>(Ljava/lang/String;)V <init>([C)V <init>([CII)V <init>([BIILjava/lang/String;)V "
     "<init>([BLjava/lang/String;)V <init>([BII)V <init>([B)V <init>(Ljava/lang/StringBuffer;)V charAt(I)C "
     "compareTo(Ljava/lang/String;)I concat(Ljava/lang/String;)Ljava/lang/String; endsWith(Ljava/lang/String;)Z "
     "equals(Ljava/lang/Object;)Z getBytes(Ljava/lang/String;)[B getBytes()[B getChars(II[CI)V hashCode()I "
     "indexOf(I)I indexOf(II)I indexOf(Ljava/lang/String;)I indexOf(Ljava/lang/String;I)I lastIndexOf(I)I "
     "lastIndexOf(II)I length()I regionMatches(ZILjava/lang/String;II)Z replace(CC)Ljava/lang/String; "
     "startsWith(Ljava/lang/String;I)Z startsWith(Ljava/lang/String;)Z substring(I)Ljava/lang/String; "
     "substring(II)Ljava/lang/String; toCharArray()[C toLowerCase()Ljava/lang/String; toString()Ljava/lang/String; "
     "toUpperCase()Ljava/lang/String; trim()Ljava/lang/String; valueOf(Ljava/lang/Object;)Ljava/lang/String; "
     "valueOf([C)Ljava/lang/String; valueOf([CII)Ljava/lang/String; valueOf(Z)Ljava/lang/String; "
     "valueOf(C)Ljava/lang/String; valueOf(I)Ljava/lang/String; valueOf(J)Ljava/lang/String;"},
    {"java/lang/StringBuffer", "java/lang/Object", "",
     "<init>()V <init>(I)V <init>(Ljava/lang/String;)V append(Ljava/lang/Object;)Ljava/lang/StringBuffer; "
     "append(Ljava/lang/String;)Ljava/lang/StringBuffer; append([C)Ljava/lang/StringBuffer; "
     "append([CII)Ljava/lang/StringBuffer; append(Z)Ljava/lang/StringBuffer; append(C)Ljava/lang/StringBuffer; "
     "append(I)Ljava/lang/StringBuffer; append(J)Ljava/lang/StringBuffer; capacity()I charAt(I)C "
     "delete(II)Ljava/lang/StringBuffer; deleteCharAt(I)Ljava/lang/StringBuffer; ensureCapacity(I)V getChars(II[CI)V "
     "insert(ILjava/lang/Object;)Ljava/lang/StringBuffer; insert(ILjava/lang/String;)Ljava/lang/StringBuffer; "
     "insert(I[C)Ljava/lang/StringBuffer; insert(IZ)Ljava/lang/StringBuffer; insert(IC)Ljava/lang/StringBuffer; "
     "insert(II)Ljava/lang/StringBuffer; insert(IJ)Ljava/lang/StringBuffer; length()I "
     "reverse()Ljava/lang/StringBuffer; setCharAt(IC)V setLength(I)V toString()Ljava/lang/String;"},
    {"java/lang/Math", "java/lang/Object", "", "abs(I)I abs(J)J max(II)I max(JJ)J min(II)I min(JJ)J"},
    {"java/lang/Boolean", "java/lang/Object", "",
     "<init>(Z)V booleanValue()Z equals(Ljava/lang/Object;)Z hashCode()I toString()Ljava/lang/String;"},
    {"java/lang/Byte", "java/lang/Object", "",
     "<init>(B)V byteValue()B equals(Ljava/lang/Object;)Z hashCode()I parseByte(Ljava/lang/String;)B "
     "parseByte(Ljava/lang/String;I)B toString()Ljava/lang/String;"},
    {"java/lang/Short", "java/lang/Object", "",
     "<init>(S)V equals(Ljava/lang/Object;)Z hashCode()I parseShort(Ljava/lang/String;)S "
     "parseShort(Ljava/lang/String;I)S shortValue()S toString()Ljava/lang/String;"},
    {"java/lang/Character", "java/lang/Object", "",
     "<init>(C)V charValue()C digit(CI)I equals(Ljava/lang/Object;)Z hashCode()I isDigit(C)Z isLowerCase(C)Z "
     "isUpperCase(C)Z toLowerCase(C)C toUpperCase(C)C toString()Ljava/lang/String;"},
    {"java/lang/Integer", "java/lang/Object", "",
     "<init>(I)V byteValue()B equals(Ljava/lang/Object;)Z hashCode()I intValue()I longValue()J "
     "parseInt(Ljava/lang/String;)I parseInt(Ljava/lang/String;I)I shortValue()S toBinaryString(I)Ljava/lang/String; "
     "toHexString(I)Ljava/lang/String; toOctalString(I)Ljava/lang/String; toString()Ljava/lang/String; "
     "toString(I)Ljava/lang/String; toString(II)Ljava/lang/String; valueOf(Ljava/lang/String;)Ljava/lang/Integer; "
     "valueOf(Ljava/lang/String;I)Ljava/lang/Integer;"},
    {"java/lang/Long", "java/lang/Object", "",
     "<init>(J)V equals(Ljava/lang/Object;)Z hashCode()I longValue()J parseLong(Ljava/lang/String;)J "
     "parseLong(Ljava/lang/String;I)J toString()Ljava/lang/String; toString(J)Ljava/lang/String; "
     "toString(JI)Ljava/lang/String;"},
    {"java/lang/Throwable", "java/lang/Object", "",
     "<init>()V <init>(Ljava/lang/String;)V getMessage()Ljava/lang/String; printStackTrace()V "
     "toString()Ljava/lang/String;"},
    {"java/lang/Exception", "java/lang/Throwable", "", kThrowableConstructors},
    {"java/lang/RuntimeException", "java/lang/Exception", "", kThrowableConstructors},
    {"java/lang/ArithmeticException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/ArrayStoreException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/ClassCastException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/IllegalArgumentException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/IllegalThreadStateException", "java/lang/IllegalArgumentException", "", kThrowableConstructors},
    {"java/lang/NumberFormatException", "java/lang/IllegalArgumentException", "", kThrowableConstructors},
    {"java/lang/IllegalMonitorStateException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/IndexOutOfBoundsException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/ArrayIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException", "",
     "<init>()V <init>(Ljava/lang/String;)V <init>(I)V"},
    {"java/lang/StringIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException", "",
     "<init>()V <init>(Ljava/lang/String;)V <init>(I)V"},
    {"java/lang/NegativeArraySizeException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/NullPointerException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/SecurityException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/lang/ClassNotFoundException", "java/lang/Exception", "", kThrowableConstructors},
    {"java/lang/IllegalAccessException", "java/lang/Exception", "", kThrowableConstructors},
    {"java/lang/InstantiationException", "java/lang/Exception", "", kThrowableConstructors},
    {"java/lang/InterruptedException", "java/lang/Exception", "", kThrowableConstructors},
    {"java/lang/Error", "java/lang/Throwable", "", kThrowableConstructors},
    {"java/lang/VirtualMachineError", "java/lang/Error", "", kThrowableConstructors},
    {"java/lang/OutOfMemoryError", "java/lang/VirtualMachineError", "", kThrowableConstructors},

    {"java/io/InputStream", "java/lang/Object", "",
     "<init>()V available()I close()V mark(I)V markSupported()Z read()I read([B)I read([BII)I reset()V skip(J)J"},
    {"java/io/OutputStream", "java/lang/Object", "", "<init>()V close()V flush()V write(I)V write([B)V write([BII)V"},
    {"java/io/ByteArrayInputStream", "java/io/InputStream", "",
     "<init>([B)V <init>([BII)V available()I close()V mark(I)V markSupported()Z read()I read([BII)I reset()V "
     "skip(J)J buf:[B count:I mark:I pos:I"},
    {"java/io/ByteArrayOutputStream", "java/io/OutputStream", "",
     "<init>()V <init>(I)V close()V reset()V size()I toByteArray()[B toString()Ljava/lang/String; write(I)V "
     "write([BII)V buf:[B count:I"},
    {"java/io/DataInput", "java/lang/Object", "",
     "readBoolean()Z readByte()B readChar()C readFully([B)V readFully([BII)V readInt()I readLong()J readShort()S "
     "readUTF()Ljava/lang/String; readUnsignedByte()I readUnsignedShort()I skipBytes(I)I"},
    {"java/io/DataOutput", "java/lang/Object", "",
     "write(I)V write([B)V write([BII)V writeBoolean(Z)V writeByte(I)V writeChar(I)V "
     "writeChars(Ljava/lang/String;)V writeInt(I)V writeLong(J)V writeShort(I)V writeUTF(Ljava/lang/String;)V"},
    {"java/io/DataInputStream", "java/io/InputStream", "java/io/DataInput",
     "<init>(Ljava/io/InputStream;)V available()I close()V mark(I)V markSupported()Z read()I read([B)I "
     "read([BII)I readBoolean()Z readByte()B readChar()C readFully([B)V readFully([BII)V readInt()I readLong()J "
     "readShort()S readUTF()Ljava/lang/String; readUTF(Ljava/io/DataInput;)Ljava/lang/String; readUnsignedByte()I "
     "readUnsignedShort()I reset()V skip(J)J skipBytes(I)I in:Ljava/io/InputStream;"},
    {"java/io/DataOutputStream", "java/io/OutputStream", "java/io/DataOutput",
     "<init>(Ljava/io/OutputStream;)V close()V flush()V write(I)V write([BII)V writeBoolean(Z)V writeByte(I)V "
     "writeChar(I)V writeChars(Ljava/lang/String;)V writeInt(I)V writeLong(J)V writeShort(I)V "
     "writeUTF(Ljava/lang/String;)V out:Ljava/io/OutputStream;"},
    {"java/io/Reader", "java/lang/Object", "",
     "<init>()V <init>(Ljava/lang/Object;)V close()V mark(I)V markSupported()Z read()I read([C)I read([CII)I "
     "ready()Z reset()V skip(J)J lock:Ljava/lang/Object;"},
    {"java/io/Writer", "java/lang/Object", "",
     "<init>()V <init>(Ljava/lang/Object;)V close()V flush()V write(I)V write([C)V write([CII)V "
     "write(Ljava/lang/String;)V write(Ljava/lang/String;II)V lock:Ljava/lang/Object;"},
    {"java/io/InputStreamReader", "java/io/Reader", "",
     "<init>(Ljava/io/InputStream;)V <init>(Ljava/io/InputStream;Ljava/lang/String;)V close()V mark(I)V "
     "markSupported()Z read()I read([CII)I ready()Z reset()V skip(J)J"},
    {"java/io/OutputStreamWriter", "java/io/Writer", "",
     "<init>(Ljava/io/OutputStream;)V <init>(Ljava/io/OutputStream;Ljava/lang/String;)V close()V flush()V "
     "write(I)V write([CII)V write(Ljava/lang/String;II)V"},
    {"java/io/PrintStream", "java/io/OutputStream", "",
     "<init>(Ljava/io/OutputStream;)V checkError()Z close()V flush()V print(Z)V print(C)V print(I)V print(J)V "
     "print([C)V print(Ljava/lang/String;)V print(Ljava/lang/Object;)V println()V println(Z)V println(C)V "
     "println(I)V println(J)V println([C)V println(Ljava/lang/String;)V println(Ljava/lang/Object;)V setError()V "
     "write(I)V write([BII)V"},
    {"java/io/IOException", "java/lang/Exception", "", kThrowableConstructors},
    {"java/io/EOFException", "java/io/IOException", "", kThrowableConstructors},
    {"java/io/InterruptedIOException", "java/io/IOException", "",
     "<init>()V <init>(Ljava/lang/String;)V bytesTransferred:I"},
    {"java/io/UnsupportedEncodingException", "java/io/IOException", "", kThrowableConstructors},
    {"java/io/UTFDataFormatException", "java/io/IOException", "", kThrowableConstructors},

    {"java/util/Calendar", "java/lang/Object", "",
     "<init>()V after(Ljava/lang/Object;)Z before(Ljava/lang/Object;)Z equals(Ljava/lang/Object;)Z get(I)I "
     "getInstance()Ljava/util/Calendar; getInstance(Ljava/util/TimeZone;)Ljava/util/Calendar; "
     "getTime()Ljava/util/Date; getTimeInMillis()J getTimeZone()Ljava/util/TimeZone; set(II)V "
     "setTime(Ljava/util/Date;)V setTimeInMillis(J)V setTimeZone(Ljava/util/TimeZone;)V fields:[I isSet:[Z time:J"},
    {"java/util/Date", "java/lang/Object", "",
     "<init>()V <init>(J)V equals(Ljava/lang/Object;)Z getTime()J hashCode()I setTime(J)V"},
    {"java/util/Enumeration", "java/lang/Object", "", "hasMoreElements()Z nextElement()Ljava/lang/Object;"},
    {"java/util/Hashtable", "java/lang/Object", "",
     "<init>()V <init>(I)V clear()V contains(Ljava/lang/Object;)Z containsKey(Ljava/lang/Object;)Z "
     "elements()Ljava/util/Enumeration; get(Ljava/lang/Object;)Ljava/lang/Object; isEmpty()Z "
     "keys()Ljava/util/Enumeration; put(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object; rehash()V "
     "remove(Ljava/lang/Object;)Ljava/lang/Object; size()I toString()Ljava/lang/String;"},
    {"java/util/Random", "java/lang/Object", "", "<init>()V <init>(J)V next(I)I nextInt()I nextLong()J setSeed(J)V"},
    {"java/util/Vector", "java/lang/Object", "",
     "<init>()V <init>(I)V <init>(II)V addElement(Ljava/lang/Object;)V capacity()I contains(Ljava/lang/Object;)Z "
     "copyInto([Ljava/lang/Object;)V elementAt(I)Ljava/lang/Object; elements()Ljava/util/Enumeration; "
     "ensureCapacity(I)V firstElement()Ljava/lang/Object; indexOf(Ljava/lang/Object;)I "
     "indexOf(Ljava/lang/Object;I)I insertElementAt(Ljava/lang/Object;I)V isEmpty()Z lastElement()Ljava/lang/Object; "
     "lastIndexOf(Ljava/lang/Object;)I lastIndexOf(Ljava/lang/Object;I)I removeAllElements()V "
     "removeElement(Ljava/lang/Object;)Z removeElementAt(I)V setElementAt(Ljava/lang/Object;I)V setSize(I)V size()I "
     "toString()Ljava/lang/String; trimToSize()V capacityIncrement:I elementCount:I elementData:[Ljava/lang/Object;"},
    {"java/util/Stack", "java/util/Vector", "",
     "<init>()V empty()Z peek()Ljava/lang/Object; pop()Ljava/lang/Object; push(Ljava/lang/Object;)Ljava/lang/Object; "
     "search(Ljava/lang/Object;)I"},
    {"java/util/TimeZone", "java/lang/Object", "",
     "<init>()V getAvailableIDs()[Ljava/lang/String; getDefault()Ljava/util/TimeZone; getID()Ljava/lang/String; "
     "getOffset(IIIIII)I getRawOffset()I getTimeZone(Ljava/lang/String;)Ljava/util/TimeZone; useDaylightTime()Z"},
    {"java/util/EmptyStackException", "java/lang/RuntimeException", "", "<init>()V"},
    {"java/util/NoSuchElementException", "java/lang/RuntimeException", "", kThrowableConstructors},

    {"javax/microedition/io/Connection", "java/lang/Object", "", "close()V"},
    {"javax/microedition/io/InputConnection", "java/lang/Object", "javax/microedition/io/Connection",
     "openDataInputStream()Ljava/io/DataInputStream; openInputStream()Ljava/io/InputStream;"},
    {"javax/microedition/io/OutputConnection", "java/lang/Object", "javax/microedition/io/Connection",
     "openDataOutputStream()Ljava/io/DataOutputStream; openOutputStream()Ljava/io/OutputStream;"},
    {"javax/microedition/io/StreamConnection", "java/lang/Object",
     "javax/microedition/io/InputConnection javax/microedition/io/OutputConnection", ""},
    {"javax/microedition/io/ContentConnection", "java/lang/Object", "javax/microedition/io/StreamConnection",
     "getEncoding()Ljava/lang/String; getLength()J getType()Ljava/lang/String;"},
    {"javax/microedition/io/StreamConnectionNotifier", "java/lang/Object", "javax/microedition/io/Connection",
     "acceptAndOpen()Ljavax/microedition/io/StreamConnection;"},
    {"javax/microedition/io/Datagram", "java/lang/Object", "java/io/DataInput java/io/DataOutput",
     "getAddress()Ljava/lang/String; getData()[B getLength()I getOffset()I reset()V "
     "setAddress(Ljavax/microedition/io/Datagram;)V setAddress(Ljava/lang/String;)V setData([BII)V setLength(I)V"},
    {"javax/microedition/io/DatagramConnection", "java/lang/Object", "javax/microedition/io/Connection",
     "getMaximumLength()I getNominalLength()I newDatagram(I)Ljavax/microedition/io/Datagram; "
     "newDatagram(ILjava/lang/String;)Ljavax/microedition/io/Datagram; "
     "newDatagram([BI)Ljavax/microedition/io/Datagram; "
     "newDatagram([BILjava/lang/String;)Ljavax/microedition/io/Datagram; receive(Ljavax/microedition/io/Datagram;)V "
     "send(Ljavax/microedition/io/Datagram;)V"},
    {"javax/microedition/io/Connector", "java/lang/Object", "",
     "open(Ljava/lang/String;)Ljavax/microedition/io/Connection; "
     "open(Ljava/lang/String;I)Ljavax/microedition/io/Connection; "
     "open(Ljava/lang/String;IZ)Ljavax/microedition/io/Connection; "
     "openDataInputStream(Ljava/lang/String;)Ljava/io/DataInputStream; "
     "openDataOutputStream(Ljava/lang/String;)Ljava/io/DataOutputStream; "
     "openInputStream(Ljava/lang/String;)Ljava/io/InputStream; "
     "openOutputStream(Ljava/lang/String;)Ljava/io/OutputStream;"},
    {"javax/microedition/io/ConnectionNotFoundException", "java/io/IOException", "", kThrowableConstructors},
};

// ---------------------------------------------------------------------------
// The phone's own: MIDP 1.0, as published in JSR 37 (Mobile Information
// Device Profile 1.0, Java Community Process, 2000): javax.microedition.lcdui,
// .midlet, .rms, io.HttpConnection, java.util.Timer and TimerTask, and
// java.lang.IllegalStateException.
constexpr ApiClass kMidp10[] = {
    {"java/lang/IllegalStateException", "java/lang/RuntimeException", "", kThrowableConstructors},
    {"java/util/Timer", "java/lang/Object", "",
     "<init>()V cancel()V schedule(Ljava/util/TimerTask;J)V schedule(Ljava/util/TimerTask;JJ)V "
     "schedule(Ljava/util/TimerTask;Ljava/util/Date;)V schedule(Ljava/util/TimerTask;Ljava/util/Date;J)V "
     "scheduleAtFixedRate(Ljava/util/TimerTask;JJ)V scheduleAtFixedRate(Ljava/util/TimerTask;Ljava/util/Date;J)V"},
    {"java/util/TimerTask", "java/lang/Object", "java/lang/Runnable",
     "<init>()V cancel()Z run()V scheduledExecutionTime()J"},
    {"javax/microedition/io/HttpConnection", "java/lang/Object", "javax/microedition/io/ContentConnection",
     "getDate()J getExpiration()J getFile()Ljava/lang/String; getHeaderField(I)Ljava/lang/String; "
     "getHeaderField(Ljava/lang/String;)Ljava/lang/String; getHeaderFieldDate(Ljava/lang/String;J)J "
     "getHeaderFieldInt(Ljava/lang/String;I)I getHeaderFieldKey(I)Ljava/lang/String; getHost()Ljava/lang/String; "
     "getLastModified()J getPort()I getProtocol()Ljava/lang/String; getQuery()Ljava/lang/String; "
     "getRef()Ljava/lang/String; getRequestMethod()Ljava/lang/String; "
     "getRequestProperty(Ljava/lang/String;)Ljava/lang/String; getResponseCode()I "
     "getResponseMessage()Ljava/lang/String; "
     "getURL()Ljava/lang/String; setRequestMethod(Ljava/lang/String;)V "
     "setRequestProperty(Ljava/lang/String;Ljava/lang/String;)V"},

    {"javax/microedition/midlet/MIDlet", "java/lang/Object", "",
     "<init>()V destroyApp(Z)V getAppProperty(Ljava/lang/String;)Ljava/lang/String; notifyDestroyed()V "
     "notifyPaused()V pauseApp()V resumeRequest()V startApp()V"},
    {"javax/microedition/midlet/MIDletStateChangeException", "java/lang/Exception", "", kThrowableConstructors},

    {"javax/microedition/lcdui/Displayable", "java/lang/Object", "",
     "addCommand(Ljavax/microedition/lcdui/Command;)V isShown()Z removeCommand(Ljavax/microedition/lcdui/Command;)V "
     "setCommandListener(Ljavax/microedition/lcdui/CommandListener;)V"},
    {"javax/microedition/lcdui/Canvas", "javax/microedition/lcdui/Displayable", "",
     "<init>()V getGameAction(I)I getHeight()I getKeyCode(I)I getKeyName(I)Ljava/lang/String; getWidth()I "
     "hasPointerEvents()Z hasPointerMotionEvents()Z hasRepeatEvents()Z hideNotify()V isDoubleBuffered()Z "
     "keyPressed(I)V keyReleased(I)V keyRepeated(I)V paint(Ljavax/microedition/lcdui/Graphics;)V "
     "pointerDragged(II)V pointerPressed(II)V pointerReleased(II)V repaint()V repaint(IIII)V serviceRepaints()V "
     "showNotify()V"},
    {"javax/microedition/lcdui/Screen", "javax/microedition/lcdui/Displayable", "",
     "getTicker()Ljavax/microedition/lcdui/Ticker; getTitle()Ljava/lang/String; "
     "setTicker(Ljavax/microedition/lcdui/Ticker;)V setTitle(Ljava/lang/String;)V"},
    {"javax/microedition/lcdui/Alert", "javax/microedition/lcdui/Screen", "",
     "<init>(Ljava/lang/String;)V <init>(Ljava/lang/String;Ljava/lang/String;Ljavax/microedition/lcdui/Image;"
     "Ljavax/microedition/lcdui/AlertType;)V addCommand(Ljavax/microedition/lcdui/Command;)V getDefaultTimeout()I "
     "getImage()Ljavax/microedition/lcdui/Image; getString()Ljava/lang/String; getTimeout()I "
     "getType()Ljavax/microedition/lcdui/AlertType; setCommandListener(Ljavax/microedition/lcdui/CommandListener;)V "
     "setImage(Ljavax/microedition/lcdui/Image;)V setString(Ljava/lang/String;)V setTimeout(I)V "
     "setType(Ljavax/microedition/lcdui/AlertType;)V"},
    {"javax/microedition/lcdui/AlertType", "java/lang/Object", "",
     "<init>()V playSound(Ljavax/microedition/lcdui/Display;)Z ALARM:Ljavax/microedition/lcdui/AlertType; "
     "CONFIRMATION:Ljavax/microedition/lcdui/AlertType; ERROR:Ljavax/microedition/lcdui/AlertType; "
     "INFO:Ljavax/microedition/lcdui/AlertType; WARNING:Ljavax/microedition/lcdui/AlertType;"},
    {"javax/microedition/lcdui/Choice", "java/lang/Object", "",
     "append(Ljava/lang/String;Ljavax/microedition/lcdui/Image;)I delete(I)V "
     "getImage(I)Ljavax/microedition/lcdui/Image; "
     "getSelectedFlags([Z)I getSelectedIndex()I getString(I)Ljava/lang/String; "
     "insert(ILjava/lang/String;Ljavax/microedition/lcdui/Image;)V isSelected(I)Z "
     "set(ILjava/lang/String;Ljavax/microedition/lcdui/Image;)V setSelectedFlags([Z)V setSelectedIndex(IZ)V size()I"},
    {"javax/microedition/lcdui/Item", "java/lang/Object", "",
     "getLabel()Ljava/lang/String; setLabel(Ljava/lang/String;)V"},
    {"javax/microedition/lcdui/ChoiceGroup", "javax/microedition/lcdui/Item", "javax/microedition/lcdui/Choice",
     "<init>(Ljava/lang/String;I)V <init>(Ljava/lang/String;I[Ljava/lang/String;[Ljavax/microedition/lcdui/Image;)V "
     "append(Ljava/lang/String;Ljavax/microedition/lcdui/Image;)I delete(I)V "
     "getImage(I)Ljavax/microedition/lcdui/Image; "
     "getSelectedFlags([Z)I getSelectedIndex()I getString(I)Ljava/lang/String; "
     "insert(ILjava/lang/String;Ljavax/microedition/lcdui/Image;)V isSelected(I)Z "
     "set(ILjava/lang/String;Ljavax/microedition/lcdui/Image;)V setLabel(Ljava/lang/String;)V setSelectedFlags([Z)V "
     "setSelectedIndex(IZ)V size()I"},
    {"javax/microedition/lcdui/Command", "java/lang/Object", "",
     "<init>(Ljava/lang/String;II)V getCommandType()I getLabel()Ljava/lang/String; getPriority()I"},
    {"javax/microedition/lcdui/CommandListener", "java/lang/Object", "",
     "commandAction(Ljavax/microedition/lcdui/Command;Ljavax/microedition/lcdui/Displayable;)V"},
    {"javax/microedition/lcdui/DateField", "javax/microedition/lcdui/Item", "",
     "<init>(Ljava/lang/String;I)V <init>(Ljava/lang/String;ILjava/util/TimeZone;)V getDate()Ljava/util/Date; "
     "getInputMode()I setDate(Ljava/util/Date;)V setInputMode(I)V setLabel(Ljava/lang/String;)V"},
    {"javax/microedition/lcdui/Display", "java/lang/Object", "",
     "callSerially(Ljava/lang/Runnable;)V getCurrent()Ljavax/microedition/lcdui/Displayable; "
     "getDisplay(Ljavax/microedition/midlet/MIDlet;)Ljavax/microedition/lcdui/Display; isColor()Z numColors()I "
     "setCurrent(Ljavax/microedition/lcdui/Displayable;)V "
     "setCurrent(Ljavax/microedition/lcdui/Alert;Ljavax/microedition/lcdui/Displayable;)V"},
    {"javax/microedition/lcdui/Font", "java/lang/Object", "",
     "charWidth(C)I charsWidth([CII)I getBaselinePosition()I getDefaultFont()Ljavax/microedition/lcdui/Font; "
     "getFace()I getFont(III)Ljavax/microedition/lcdui/Font; getHeight()I getSize()I getStyle()I isBold()Z "
     "isItalic()Z isPlain()Z isUnderlined()Z stringWidth(Ljava/lang/String;)I substringWidth(Ljava/lang/String;II)I"},
    {"javax/microedition/lcdui/Form", "javax/microedition/lcdui/Screen", "",
     "<init>(Ljava/lang/String;)V <init>(Ljava/lang/String;[Ljavax/microedition/lcdui/Item;)V "
     "append(Ljavax/microedition/lcdui/Item;)I append(Ljavax/microedition/lcdui/Image;)I append(Ljava/lang/String;)I "
     "delete(I)V get(I)Ljavax/microedition/lcdui/Item; insert(ILjavax/microedition/lcdui/Item;)V "
     "set(ILjavax/microedition/lcdui/Item;)V setItemStateListener(Ljavax/microedition/lcdui/ItemStateListener;)V "
     "size()I"},
    {"javax/microedition/lcdui/Gauge", "javax/microedition/lcdui/Item", "",
     "<init>(Ljava/lang/String;ZII)V getMaxValue()I getValue()I isInteractive()Z setLabel(Ljava/lang/String;)V "
     "setMaxValue(I)V setValue(I)V"},
    {"javax/microedition/lcdui/Graphics", "java/lang/Object", "",
     "clipRect(IIII)V drawArc(IIIIII)V drawChar(CIII)V drawChars([CIIIII)V "
     "drawImage(Ljavax/microedition/lcdui/Image;III)V drawLine(IIII)V drawRect(IIII)V drawRoundRect(IIIIII)V "
     "drawString(Ljava/lang/String;III)V drawSubstring(Ljava/lang/String;IIIII)V fillArc(IIIIII)V fillRect(IIII)V "
     "fillRoundRect(IIIIII)V getBlueComponent()I getClipHeight()I getClipWidth()I getClipX()I getClipY()I "
     "getColor()I getFont()Ljavax/microedition/lcdui/Font; getGrayScale()I getGreenComponent()I getRedComponent()I "
     "getStrokeStyle()I getTranslateX()I getTranslateY()I setClip(IIII)V setColor(I)V setColor(III)V "
     "setFont(Ljavax/microedition/lcdui/Font;)V setGrayScale(I)V setStrokeStyle(I)V translate(II)V"},
    {"javax/microedition/lcdui/Image", "java/lang/Object", "",
     "createImage(II)Ljavax/microedition/lcdui/Image; "
     "createImage(Ljavax/microedition/lcdui/Image;)Ljavax/microedition/lcdui/Image; "
     "createImage(Ljava/lang/String;)Ljavax/microedition/lcdui/Image; "
     "createImage([BII)Ljavax/microedition/lcdui/Image; "
     "getGraphics()Ljavax/microedition/lcdui/Graphics; getHeight()I getWidth()I isMutable()Z"},
    {"javax/microedition/lcdui/ImageItem", "javax/microedition/lcdui/Item", "",
     "<init>(Ljava/lang/String;Ljavax/microedition/lcdui/Image;ILjava/lang/String;)V getAltText()Ljava/lang/String; "
     "getImage()Ljavax/microedition/lcdui/Image; getLayout()I setAltText(Ljava/lang/String;)V "
     "setImage(Ljavax/microedition/lcdui/Image;)V setLabel(Ljava/lang/String;)V setLayout(I)V"},
    {"javax/microedition/lcdui/ItemStateListener", "java/lang/Object", "",
     "itemStateChanged(Ljavax/microedition/lcdui/Item;)V"},
    {"javax/microedition/lcdui/List", "javax/microedition/lcdui/Screen", "javax/microedition/lcdui/Choice",
     "<init>(Ljava/lang/String;I)V <init>(Ljava/lang/String;I[Ljava/lang/String;[Ljavax/microedition/lcdui/Image;)V "
     "append(Ljava/lang/String;Ljavax/microedition/lcdui/Image;)I delete(I)V "
     "getImage(I)Ljavax/microedition/lcdui/Image; "
     "getSelectedFlags([Z)I getSelectedIndex()I getString(I)Ljava/lang/String; "
     "insert(ILjava/lang/String;Ljavax/microedition/lcdui/Image;)V isSelected(I)Z "
     "set(ILjava/lang/String;Ljavax/microedition/lcdui/Image;)V setSelectedFlags([Z)V setSelectedIndex(IZ)V size()I "
     "SELECT_COMMAND:Ljavax/microedition/lcdui/Command;"},
    {"javax/microedition/lcdui/StringItem", "javax/microedition/lcdui/Item", "",
     "<init>(Ljava/lang/String;Ljava/lang/String;)V getText()Ljava/lang/String; setLabel(Ljava/lang/String;)V "
     "setText(Ljava/lang/String;)V"},
    {"javax/microedition/lcdui/TextBox", "javax/microedition/lcdui/Screen", "",
     "<init>(Ljava/lang/String;Ljava/lang/String;II)V delete(II)V getCaretPosition()I getChars([C)I "
     "getConstraints()I getMaxSize()I getString()Ljava/lang/String; insert([CIII)V insert(Ljava/lang/String;I)V "
     "setChars([CII)V setConstraints(I)V setMaxSize(I)I setString(Ljava/lang/String;)V size()I"},
    {"javax/microedition/lcdui/TextField", "javax/microedition/lcdui/Item", "",
     "<init>(Ljava/lang/String;Ljava/lang/String;II)V delete(II)V getCaretPosition()I getChars([C)I "
     "getConstraints()I getMaxSize()I getString()Ljava/lang/String; insert([CIII)V insert(Ljava/lang/String;I)V "
     "setChars([CII)V setConstraints(I)V setLabel(Ljava/lang/String;)V setMaxSize(I)I setString(Ljava/lang/String;)V "
     "size()I"},
    {"javax/microedition/lcdui/Ticker", "java/lang/Object", "",
     "<init>(Ljava/lang/String;)V getString()Ljava/lang/String; setString(Ljava/lang/String;)V"},

    {"javax/microedition/rms/RecordComparator", "java/lang/Object", "", "compare([B[B)I"},
    {"javax/microedition/rms/RecordEnumeration", "java/lang/Object", "",
     "destroy()V hasNextElement()Z hasPreviousElement()Z isKeptUpdated()Z keepUpdated(Z)V nextRecord()[B "
     "nextRecordId()I numRecords()I previousRecord()[B previousRecordId()I rebuild()V reset()V"},
    {"javax/microedition/rms/RecordFilter", "java/lang/Object", "", "matches([B)Z"},
    {"javax/microedition/rms/RecordListener", "java/lang/Object", "",
     "recordAdded(Ljavax/microedition/rms/RecordStore;I)V recordChanged(Ljavax/microedition/rms/RecordStore;I)V "
     "recordDeleted(Ljavax/microedition/rms/RecordStore;I)V"},
    {"javax/microedition/rms/RecordStore", "java/lang/Object", "",
     "addRecord([BII)I addRecordListener(Ljavax/microedition/rms/RecordListener;)V closeRecordStore()V "
     "deleteRecord(I)V deleteRecordStore(Ljava/lang/String;)V "
     "enumerateRecords(Ljavax/microedition/rms/RecordFilter;Ljavax/microedition/rms/RecordComparator;Z)"
     "Ljavax/microedition/rms/RecordEnumeration; getLastModified()J getName()Ljava/lang/String; getNextRecordID()I "
     "getNumRecords()I getRecord(I)[B getRecord(I[BI)I getRecordSize(I)I getSize()I getSizeAvailable()I getVersion()I "
     "listRecordStores()[Ljava/lang/String; openRecordStore(Ljava/lang/String;Z)Ljavax/microedition/rms/RecordStore; "
     "removeRecordListener(Ljavax/microedition/rms/RecordListener;)V setRecord(I[BII)V"},
    {"javax/microedition/rms/RecordStoreException", "java/lang/Exception", "", kThrowableConstructors},
    {"javax/microedition/rms/InvalidRecordIDException", "javax/microedition/rms/RecordStoreException", "",
     kThrowableConstructors},
    {"javax/microedition/rms/RecordStoreFullException", "javax/microedition/rms/RecordStoreException", "",
     kThrowableConstructors},
    {"javax/microedition/rms/RecordStoreNotFoundException", "javax/microedition/rms/RecordStoreException", "",
     kThrowableConstructors},
    {"javax/microedition/rms/RecordStoreNotOpenException", "javax/microedition/rms/RecordStoreException", "",
     kThrowableConstructors},
};

// The phone maker's own classes count as the phone's, as a whole package.
constexpr ApiPackage kPhoneMakerPackages[] = {{"com/siemens/mp/", Provider::Phone, ""}};

// ---------------------------------------------------------------------------
// CLDC 1.1, as published in JSR 139 (Connected Limited Device Configuration
// 1.1, Java Community Process, 2003): the classes it added and the members it
// added to CLDC 1.0's classes.
constexpr ApiClass kCldc11[] = {
    {"java/lang/Float", "java/lang/Object", "", "*"},
    {"java/lang/Double", "java/lang/Object", "", "*"},
    {"java/lang/ref/Reference", "java/lang/Object", "", "*"},
    {"java/lang/ref/WeakReference", "java/lang/ref/Reference", "", "*"},
    {"java/lang/NoClassDefFoundError", "java/lang/Error", "", "*"},
    {"java/lang/Boolean", "", "", "FALSE:Ljava/lang/Boolean; TRUE:Ljava/lang/Boolean;"},
    {"java/lang/Integer", "", "", "doubleValue()D floatValue()F"},
    {"java/lang/Long", "", "", "doubleValue()D floatValue()F"},
    {"java/lang/Math", "", "",
     "abs(F)F abs(D)D ceil(D)D cos(D)D floor(D)D max(FF)F max(DD)D min(FF)F min(DD)D sin(D)D sqrt(D)D tan(D)D "
     "toDegrees(D)D toRadians(D)D E:D PI:D"},
    {"java/lang/String", "", "",
     "equalsIgnoreCase(Ljava/lang/String;)Z intern()Ljava/lang/String; valueOf(F)Ljava/lang/String; "
     "valueOf(D)Ljava/lang/String;"},
    {"java/lang/StringBuffer", "", "",
     "append(F)Ljava/lang/StringBuffer; append(D)Ljava/lang/StringBuffer; insert(IF)Ljava/lang/StringBuffer; "
     "insert(ID)Ljava/lang/StringBuffer;"},
    {"java/lang/Thread", "", "",
     "<init>(Ljava/lang/String;)V <init>(Ljava/lang/Runnable;Ljava/lang/String;)V getName()Ljava/lang/String; "
     "interrupt()V"},
    {"java/io/DataInput", "", "", "readDouble()D readFloat()F"},
    {"java/io/DataInputStream", "", "", "readDouble()D readFloat()F"},
    {"java/io/DataOutput", "", "", "writeDouble(D)V writeFloat(F)V"},
    {"java/io/DataOutputStream", "", "", "writeDouble(D)V writeFloat(F)V"},
    {"java/io/PrintStream", "", "", "print(F)V print(D)V println(F)V println(D)V"},
    {"java/util/Date", "", "", "toString()Ljava/lang/String;"},
    {"java/util/Random", "", "", "nextDouble()D nextFloat()F nextInt(I)I"},
};

// ---------------------------------------------------------------------------
// MIDP 2.0, as published in JSR 118 (Mobile Information Device Profile 2.0,
// Java Community Process, 2002): its new classes and packages, and the
// members it added to MIDP 1.0's classes.
constexpr ApiClass kMidp20[] = {
    {"javax/microedition/lcdui/CustomItem", "javax/microedition/lcdui/Item", "", "*"},
    {"javax/microedition/lcdui/Spacer", "javax/microedition/lcdui/Item", "", "*"},
    {"javax/microedition/lcdui/ItemCommandListener", "java/lang/Object", "", "*"},
    {"javax/microedition/lcdui/game/GameCanvas", "javax/microedition/lcdui/Canvas", "", "*"},
    {"javax/microedition/lcdui/game/Layer", "java/lang/Object", "", "*"},
    {"javax/microedition/lcdui/game/LayerManager", "java/lang/Object", "", "*"},
    {"javax/microedition/lcdui/game/Sprite", "javax/microedition/lcdui/game/Layer", "", "*"},
    {"javax/microedition/lcdui/game/TiledLayer", "javax/microedition/lcdui/game/Layer", "", "*"},
    // The audio subset of MIDP 2.0; the rest of javax.microedition.media is
    // the Mobile Media API's (see kOptionalPackages).
    {"javax/microedition/media/Control", "java/lang/Object", "", "*"},
    {"javax/microedition/media/Controllable", "java/lang/Object", "", "*"},
    {"javax/microedition/media/Manager", "java/lang/Object", "", "*"},
    {"javax/microedition/media/MediaException", "java/lang/Exception", "", "*"},
    {"javax/microedition/media/Player", "java/lang/Object", "javax/microedition/media/Controllable", "*"},
    {"javax/microedition/media/PlayerListener", "java/lang/Object", "", "*"},
    {"javax/microedition/media/control/ToneControl", "java/lang/Object", "javax/microedition/media/Control", "*"},
    {"javax/microedition/media/control/VolumeControl", "java/lang/Object", "javax/microedition/media/Control", "*"},
    {"javax/microedition/pki/Certificate", "java/lang/Object", "", "*"},
    {"javax/microedition/pki/CertificateException", "java/io/IOException", "", "*"},
    {"javax/microedition/io/CommConnection", "java/lang/Object", "javax/microedition/io/StreamConnection", "*"},
    {"javax/microedition/io/HttpsConnection", "java/lang/Object", "javax/microedition/io/HttpConnection", "*"},
    {"javax/microedition/io/PushRegistry", "java/lang/Object", "", "*"},
    {"javax/microedition/io/SecureConnection", "java/lang/Object", "javax/microedition/io/SocketConnection", "*"},
    {"javax/microedition/io/SecurityInfo", "java/lang/Object", "", "*"},
    {"javax/microedition/io/ServerSocketConnection", "java/lang/Object",
     "javax/microedition/io/StreamConnectionNotifier", "*"},
    {"javax/microedition/io/SocketConnection", "java/lang/Object", "javax/microedition/io/StreamConnection", "*"},
    {"javax/microedition/io/UDPDatagramConnection", "java/lang/Object", "javax/microedition/io/DatagramConnection",
     "*"},

    {"javax/microedition/lcdui/Alert", "", "",
     "getIndicator()Ljavax/microedition/lcdui/Gauge; setIndicator(Ljavax/microedition/lcdui/Gauge;)V"},
    {"javax/microedition/lcdui/Canvas", "", "", "setFullScreenMode(Z)V sizeChanged(II)V"},
    {"javax/microedition/lcdui/Choice", "", "",
     "deleteAll()V getFitPolicy()I getFont(I)Ljavax/microedition/lcdui/Font; setFitPolicy(I)V "
     "setFont(ILjavax/microedition/lcdui/Font;)V"},
    {"javax/microedition/lcdui/ChoiceGroup", "", "",
     "deleteAll()V getFitPolicy()I getFont(I)Ljavax/microedition/lcdui/Font; setFitPolicy(I)V "
     "setFont(ILjavax/microedition/lcdui/Font;)V"},
    {"javax/microedition/lcdui/Command", "", "",
     "<init>(Ljava/lang/String;Ljava/lang/String;II)V getLongLabel()Ljava/lang/String;"},
    {"javax/microedition/lcdui/Display", "", "",
     "flashBacklight(I)Z getBestImageHeight(I)I getBestImageWidth(I)I getBorderStyle(Z)I getColor(I)I "
     "numAlphaLevels()I setCurrentItem(Ljavax/microedition/lcdui/Item;)V vibrate(I)Z"},
    {"javax/microedition/lcdui/Displayable", "", "",
     "getHeight()I getTicker()Ljavax/microedition/lcdui/Ticker; getTitle()Ljava/lang/String; getWidth()I "
     "setTicker(Ljavax/microedition/lcdui/Ticker;)V setTitle(Ljava/lang/String;)V sizeChanged(II)V"},
    {"javax/microedition/lcdui/Font", "", "", "getFont(I)Ljavax/microedition/lcdui/Font;"},
    {"javax/microedition/lcdui/Form", "", "", "deleteAll()V getHeight()I getWidth()I"},
    {"javax/microedition/lcdui/Graphics", "", "",
     "copyArea(IIIIIII)V drawRGB([IIIIIIIZ)V drawRegion(Ljavax/microedition/lcdui/Image;IIIIIIII)V "
     "fillTriangle(IIIIII)V getDisplayColor(I)I"},
    {"javax/microedition/lcdui/Image", "", "",
     "createImage(Ljavax/microedition/lcdui/Image;IIIII)Ljavax/microedition/lcdui/Image; "
     "createImage(Ljava/io/InputStream;)Ljavax/microedition/lcdui/Image; "
     "createRGBImage([IIIZ)Ljavax/microedition/lcdui/Image; getRGB([IIIIIII)V"},
    {"javax/microedition/lcdui/ImageItem", "", "",
     "<init>(Ljava/lang/String;Ljavax/microedition/lcdui/Image;ILjava/lang/String;I)V getAppearanceMode()I"},
    {"javax/microedition/lcdui/Item", "", "",
     "addCommand(Ljavax/microedition/lcdui/Command;)V getLayout()I getMinimumHeight()I getMinimumWidth()I "
     "getPreferredHeight()I getPreferredWidth()I notifyStateChanged()V "
     "removeCommand(Ljavax/microedition/lcdui/Command;)V "
     "setDefaultCommand(Ljavax/microedition/lcdui/Command;)V "
     "setItemCommandListener(Ljavax/microedition/lcdui/ItemCommandListener;)V setLayout(I)V setPreferredSize(II)V"},
    {"javax/microedition/lcdui/List", "", "",
     "deleteAll()V getFitPolicy()I getFont(I)Ljavax/microedition/lcdui/Font; "
     "removeCommand(Ljavax/microedition/lcdui/Command;)V "
     "setFitPolicy(I)V setFont(ILjavax/microedition/lcdui/Font;)V "
     "setSelectCommand(Ljavax/microedition/lcdui/Command;)V"},
    {"javax/microedition/lcdui/StringItem", "", "",
     "<init>(Ljava/lang/String;Ljava/lang/String;I)V getAppearanceMode()I getFont()Ljavax/microedition/lcdui/Font; "
     "setFont(Ljavax/microedition/lcdui/Font;)V"},
    {"javax/microedition/lcdui/TextBox", "", "", "setInitialInputMode(Ljava/lang/String;)V"},
    {"javax/microedition/lcdui/TextField", "", "", "setInitialInputMode(Ljava/lang/String;)V"},
    {"javax/microedition/midlet/MIDlet", "", "",
     "checkPermission(Ljava/lang/String;)I platformRequest(Ljava/lang/String;)Z"},
    {"javax/microedition/rms/RecordStore", "", "",
     "openRecordStore(Ljava/lang/String;ZIZ)Ljavax/microedition/rms/RecordStore; "
     "openRecordStore(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)Ljavax/microedition/rms/RecordStore; "
     "setMode(IZ)V"},
};

constexpr ApiPackage kMidp20Packages[] = {
    {"javax/microedition/lcdui/game/", Provider::Midp20, ""},
};

// ---------------------------------------------------------------------------
// The optional packages, each by its JSR as published by the Java Community
// Process. org.w3c.dom is counted to the SVG API (JSR 226), which brings it;
// org.xml.sax to the Web Services API (JSR 172), whose XML parser is SAX.
constexpr ApiPackage kOptionalPackages[] = {
    {"javax/microedition/io/file/", Provider::OptionalPackage, "JSR 75 (FileConnection)"},
    {"javax/microedition/pim/", Provider::OptionalPackage, "JSR 75 (PIM)"},
    {"javax/bluetooth/", Provider::OptionalPackage, "JSR 82 (Bluetooth)"},
    {"javax/obex/", Provider::OptionalPackage, "JSR 82 (Bluetooth)"},
    {"javax/wireless/messaging/", Provider::OptionalPackage, "JSR 120/205 (Wireless Messaging)"},
    {"javax/microedition/media/", Provider::OptionalPackage, "JSR 135 (Mobile Media)"},
    {"javax/microedition/xml/rpc/", Provider::OptionalPackage, "JSR 172 (Web Services)"},
    {"javax/xml/parsers/", Provider::OptionalPackage, "JSR 172 (Web Services)"},
    {"javax/xml/namespace/", Provider::OptionalPackage, "JSR 172 (Web Services)"},
    {"javax/xml/rpc/", Provider::OptionalPackage, "JSR 172 (Web Services)"},
    {"org/xml/sax/", Provider::OptionalPackage, "JSR 172 (Web Services)"},
    {"javax/microedition/securityservice/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"javax/microedition/jcrmi/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"javax/microedition/apdu/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"javax/microedition/pki/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"java/security/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"javax/crypto/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"java/rmi/", Provider::OptionalPackage, "JSR 177 (Security and Trust)"},
    {"javax/microedition/location/", Provider::OptionalPackage, "JSR 179 (Location)"},
    {"javax/microedition/sip/", Provider::OptionalPackage, "JSR 180 (SIP)"},
    {"javax/microedition/m3g/", Provider::OptionalPackage, "JSR 184 (Mobile 3D Graphics)"},
    {"javax/microedition/content/", Provider::OptionalPackage, "JSR 211 (Content Handler)"},
    {"javax/microedition/m2g/", Provider::OptionalPackage, "JSR 226 (Scalable 2D Vector Graphics)"},
    {"org/w3c/dom/", Provider::OptionalPackage, "JSR 226 (Scalable 2D Vector Graphics)"},
    {"javax/microedition/payment/", Provider::OptionalPackage, "JSR 229 (Payment)"},
    {"javax/microedition/amms/", Provider::OptionalPackage, "JSR 234 (Advanced Multimedia Supplements)"},
    {"javax/microedition/global/", Provider::OptionalPackage, "JSR 238 (Internationalization)"},
    {"javax/microedition/khronos/", Provider::OptionalPackage, "JSR 239 (OpenGL ES)"},
    {"java/nio/", Provider::OptionalPackage, "JSR 239 (OpenGL ES)"},
    {"javax/microedition/sensor/", Provider::OptionalPackage, "JSR 256 (Mobile Sensor)"},
    {"javax/microedition/contactless/", Provider::OptionalPackage, "JSR 257 (Contactless Communication)"},
};

// The makers' and operators' own classes, by the packages their developer
// documentation names.
constexpr ApiPackage kVendorPackages[] = {
    {"com/nokia/", Provider::Vendor, "Nokia"},
    {"com/motorola/", Provider::Vendor, "Motorola"},
    {"com/samsung/", Provider::Vendor, "Samsung"},
    {"com/sonyericsson/", Provider::Vendor, "Sony Ericsson"},
    {"com/lge/", Provider::Vendor, "LG"},
    {"mmpp/", Provider::Vendor, "LG"},
    {"com/mascotcapsule/", Provider::Vendor, "MascotCapsule"},
    {"com/vodafone/", Provider::Vendor, "Vodafone"},
    {"com/sprintpcs/", Provider::Vendor, "Sprint"},
    {"com/nttdocomo/", Provider::Vendor, "NTT DoCoMo"},
    {"com/kddi/", Provider::Vendor, "KDDI"},
    {"com/jblend/", Provider::Vendor, "Aplix JBlend"},
    {"com/j_phone/", Provider::Vendor, "J-Phone"},
    {"net/rim/", Provider::Vendor, "BlackBerry"},
    {"com/sagem/", Provider::Vendor, "Sagem"},
    {"com/alcatel/", Provider::Vendor, "Alcatel"},
    {"com/sharp/", Provider::Vendor, "Sharp"},
    {"com/panasonic/", Provider::Vendor, "Panasonic"},
};

constexpr ApiTable kPhoneTables[] = {
    {Provider::Phone, kCldc10, {}},
    {Provider::Phone, kMidp10, kPhoneMakerPackages},
    {Provider::Cldc11, kCldc11, {}},
    {Provider::Midp20, kMidp20, kMidp20Packages},
    {Provider::OptionalPackage, {}, kOptionalPackages},
    {Provider::Vendor, {}, kVendorPackages},
};

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        if (space != 0) words.push_back(text.substr(0, space));
        if (space == std::string_view::npos) break;
        text.remove_prefix(space + 1);
    }
    return words;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// How the tables spell a member: "getWidth()I", "out:Ljava/io/PrintStream;".
std::string MemberKey(const MemberReference& reference) {
    return reference.method ? reference.name + reference.descriptor : reference.name + ':' + reference.descriptor;
}

}  // namespace

Platform::Platform(std::span<const ApiTable* const> tables) {
    for (std::size_t i = 0; i < tables.size(); ++i) Add(*tables[i], tables[i]->provider == Provider::Phone);
    // Longest prefix first, so that a package inside another goes to its own
    // provider; of equal ones the earlier table's.
    std::stable_sort(packages_.begin(), packages_.end(),
                     [](const ApiPackage& a, const ApiPackage& b) { return a.prefix.size() > b.prefix.size(); });
}

void Platform::Add(const ApiTable& table, bool phone) {
    const Offer offer{phone ? Provider::Phone : table.provider, {}, {}};
    for (const ApiClass& apiClass : table.classes) {
        Entry& entry = classes_[apiClass.name];
        if (!apiClass.superName.empty() || apiClass.name == "java/lang/Object") {
            entry.superName = apiClass.superName;
            entry.interfaces = Words(apiClass.interfaces);
            entry.offer = offer;
            entry.offer.declaringClass = apiClass.name;
        }
        if (apiClass.members == "*") {
            entry.open = true;
            continue;
        }
        for (std::string_view key : Words(apiClass.members)) entry.members.emplace(key, offer.provider);
    }
    for (const ApiPackage& package : table.packages)
        packages_.push_back({package.prefix, phone ? Provider::Phone : package.provider, package.name});
}

const Platform& Platform::Phone() {
    static const std::vector<const ApiTable*> tables = [] {
        std::vector<const ApiTable*> pointers;
        for (const ApiTable& table : kPhoneTables) pointers.push_back(&table);
        return pointers;
    }();
    static const Platform phone(tables);
    return phone;
}

Offer Platform::PackageOffer(std::string_view name) const {
    for (const ApiPackage& package : packages_)
        if (StartsWith(name, package.prefix)) return {package.provider, package.name, {}};
    if (StartsWith(name, "java/") || StartsWith(name, "javax/")) return {Provider::JavaSe, {}, {}};
    return {};
}

Offer Platform::ClassOffer(std::string_view name) const {
    const auto found = classes_.find(name);
    if (found != classes_.end()) return found->second.offer;
    return PackageOffer(name);
}

Platform::Search Platform::Find(std::string_view owner, std::string_view key, bool constructor) const {
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
    for (std::size_t i = 0; i < order.size() && !constructor; ++i) {
        const auto found = classes_.find(order[i]);
        if (found == classes_.end()) continue;
        for (std::string_view name : found->second.interfaces)
            if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
    }
    for (std::string_view name : order) {
        const auto found = classes_.find(name);
        if (found == classes_.end()) continue;
        const Entry& entry = found->second;
        if (const auto member = entry.members.find(key); member != entry.members.end()) {
            search.found = &member->second;
            search.declaringClass = name;
            return search;
        }
        if (entry.open && !search.nearestOpen) search.nearestOpen = &entry;
    }
    return search;
}

Offer Platform::MemberOffer(std::string_view owner, const MemberReference& reference) const {
    const Search search = Find(owner, MemberKey(reference), reference.name == "<init>");
    if (search.found) return {*search.found, {}, search.declaringClass};
    if (search.nearestOpen) return search.nearestOpen->offer;
    if (classes_.find(owner) == classes_.end()) return ClassOffer(owner);
    return {Provider::JavaSe, {}, owner};
}

bool Platform::Knows(std::string_view owner, const MemberReference& reference) const {
    return Find(owner, MemberKey(reference), reference.name == "<init>").found != nullptr;
}

std::string DottedName(std::string_view internalName) {
    std::string dotted(internalName);
    std::replace(dotted.begin(), dotted.end(), '/', '.');
    return dotted;
}

std::string_view SimpleName(std::string_view internalName) {
    const std::size_t slash = internalName.rfind('/');
    return slash == std::string_view::npos ? internalName : internalName.substr(slash + 1);
}

}  // namespace kestrane

package java.lang;
public final class String {
    public String() {}
    public int length() { return 0; }
    public char charAt(int i) { return 0; }
    public boolean equalsIgnoreCase(String s) { return false; }
    public boolean isEmpty() { return false; }
    public static String valueOf(int i) { return null; }
    public static String valueOf(Object o) { return null; }
}

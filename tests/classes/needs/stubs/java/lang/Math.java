package java.lang;
public final class Math {
    public static int abs(int a) { return a; }
    public static int max(int a, int b) { return a; }
}

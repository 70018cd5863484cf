package java.lang;
public final class System {
    public static long currentTimeMillis() { return 0; }
    public static String getProperty(String key) { return null; }
}

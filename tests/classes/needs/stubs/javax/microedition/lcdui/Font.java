package javax.microedition.lcdui;
public final class Font {
    public static Font getFont(int face, int style, int size) { return null; }
    public int getHeight() { return 0; }
    // MIDP 2.0
    public static Font getFont(int fontSpecifier) { return null; }
}

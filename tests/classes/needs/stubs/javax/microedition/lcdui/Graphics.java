package javax.microedition.lcdui;
public class Graphics {
    public static final int TOP = 16, LEFT = 4;
    public void setColor(int rgb) {}
    public void fillRect(int x, int y, int w, int h) {}
    public void drawString(String s, int x, int y, int anchor) {}
    public void setFont(Font f) {}
    public void drawImage(Image i, int x, int y, int anchor) {}
    // MIDP 2.0
    public void drawRegion(Image src, int xs, int ys, int w, int h, int t, int xd, int yd, int a) {}
}

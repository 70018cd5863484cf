package javax.microedition.lcdui;

public class Graphics {
    public void drawString(String text, int x, int y, int anchor) {}
}

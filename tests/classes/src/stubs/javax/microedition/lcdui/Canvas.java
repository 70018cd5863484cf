package javax.microedition.lcdui;

public abstract class Canvas {
    protected abstract void paint(Graphics g);
    public final void repaint() {}
}

package javax.microedition.lcdui;
public abstract class Canvas extends Displayable {
    protected Canvas() {}
    protected abstract void paint(Graphics g);
    public int getWidth() { return 0; }
    public int getHeight() { return 0; }
    public final void repaint() {}
    protected void keyPressed(int keyCode) {}
    public int getGameAction(int keyCode) { return 0; }
    // MIDP 2.0
    public void setFullScreenMode(boolean mode) {}
}

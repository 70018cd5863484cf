package javax.microedition.lcdui.game;
public abstract class GameCanvas extends javax.microedition.lcdui.Canvas {
    protected GameCanvas(boolean suppressKeyEvents) {}
    protected javax.microedition.lcdui.Graphics getGraphics() { return null; }
    public void flushGraphics() {}
    public int getKeyStates() { return 0; }
}

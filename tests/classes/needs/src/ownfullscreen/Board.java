import javax.microedition.lcdui.*;
public class Board extends Canvas {
    private boolean full;
    protected void paint(Graphics g) {}
    public void tick() { repaint(); }
    // A method of the game's own that MIDP 2.0 also has on Canvas.
    public void setFullScreenMode(boolean on) { full = on; }
}

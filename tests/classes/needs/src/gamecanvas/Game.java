import javax.microedition.lcdui.game.GameCanvas;
public class Game extends GameCanvas {
    public Game() { super(true); }
    protected void paint(javax.microedition.lcdui.Graphics g) {}
    public void tick() {
        if (getKeyStates() != 0) flushGraphics();
        repaint();
    }
}

import javax.microedition.lcdui.*;
public class Board extends Canvas {
    protected void paint(Graphics g) {}
    public void tick() { repaint(); }
}
